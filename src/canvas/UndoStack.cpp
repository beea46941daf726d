#include "canvas/UndoStack.h"

#include <algorithm>

namespace {

// Equal runs shorter than this do not split a changed span: a splice costs more than they save.
constexpr qsizetype kMinimumGap = 32;

} // namespace

void TUndoStack::Reset(QByteArray bytes) {
    m_steps.clear();
    m_position = 0;
    m_current = std::move(bytes);
    m_saved = 0;
}

void TUndoStack::Push(const QString& name, QByteArray bytes) {
    if (bytes == m_current)
        return;
    m_steps.erase(m_steps.begin() + static_cast<std::ptrdiff_t>(m_position), m_steps.end());
    if (m_saved > static_cast<std::ptrdiff_t>(m_position))
        m_saved = -1;
    m_steps.push_back({name, Difference(bytes, m_current)});
    m_current = std::move(bytes);
    ++m_position;

    if (m_steps.size() > static_cast<size_t>(kLimit)) {
        m_steps.pop_front();
        --m_position;
        m_saved = m_saved > 0 ? m_saved - 1 : -1;
    }
}

const QByteArray& TUndoStack::Undo() {
    if (CanUndo())
        Cross(m_steps[--m_position]);
    return m_current;
}

const QByteArray& TUndoStack::Redo() {
    if (CanRedo())
        Cross(m_steps[m_position++]);
    return m_current;
}

void TUndoStack::Cross(TStep& step) {
    const QByteArray before = m_current;
    Apply(m_current, step.Splices);
    step.Splices = Difference(m_current, before);
}

size_t TUndoStack::StepBytes() const {
    size_t total = 0;
    for (const TStep& step : m_steps)
        for (const TSplice& splice : step.Splices)
            total += static_cast<size_t>(splice.Bytes.size()) + sizeof(TSplice);
    return total;
}

TUndoStack::TSplices TUndoStack::Difference(const QByteArray& from, const QByteArray& to) {
    const qsizetype shorter = std::min(from.size(), to.size());
    qsizetype prefix =
        std::mismatch(from.cbegin(), from.cbegin() + shorter, to.cbegin()).first - from.cbegin();
    qsizetype suffix = 0;
    while (suffix < shorter - prefix && from[from.size() - 1 - suffix] == to[to.size() - 1 - suffix])
        ++suffix;
    if (from.size() != to.size())
        return {{prefix, from.size() - prefix - suffix, to.mid(prefix, to.size() - prefix - suffix)}};

    // Same length (a move, a rotation, a changed setting): only the runs that differ.
    TSplices splices;
    const qsizetype end = from.size() - suffix;
    qsizetype i = prefix;
    while (i < end) {
        qsizetype runEnd = i + 1;
        qsizetype equal = 0;
        for (qsizetype j = runEnd; j < end && equal < kMinimumGap; ++j) {
            if (from[j] == to[j]) {
                ++equal;
            } else {
                equal = 0;
                runEnd = j + 1;
            }
        }
        splices.push_back({i, runEnd - i, to.mid(i, runEnd - i)});
        i = runEnd;
        while (i < end && from[i] == to[i])
            ++i;
    }
    return splices;
}

void TUndoStack::Apply(QByteArray& bytes, const TSplices& splices) {
    // Last first, so the offsets of the earlier ones still hold.
    for (auto splice = splices.rbegin(); splice != splices.rend(); ++splice)
        bytes.replace(splice->Offset, splice->Length, splice->Bytes);
}
