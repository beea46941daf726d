#include "canvas/UndoStack.h"

#include <algorithm>

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

    const qsizetype shorter = std::min(m_current.size(), bytes.size());
    const auto prefixEnd =
        std::mismatch(m_current.cbegin(), m_current.cbegin() + shorter, bytes.cbegin()).first;
    const qsizetype prefix = prefixEnd - m_current.cbegin();
    qsizetype suffix = 0;
    while (suffix < shorter - prefix &&
           m_current[m_current.size() - 1 - suffix] == bytes[bytes.size() - 1 - suffix])
        ++suffix;

    TStep step;
    step.Name = name;
    step.Back = {prefix, bytes.size() - prefix - suffix,
                 m_current.mid(prefix, m_current.size() - prefix - suffix)};
    step.Forward = {prefix, m_current.size() - prefix - suffix,
                    bytes.mid(prefix, bytes.size() - prefix - suffix)};
    m_steps.push_back(std::move(step));
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
        Apply(m_current, m_steps[--m_position].Back);
    return m_current;
}

const QByteArray& TUndoStack::Redo() {
    if (CanRedo())
        Apply(m_current, m_steps[m_position++].Forward);
    return m_current;
}

size_t TUndoStack::StepBytes() const {
    size_t total = 0;
    for (const TStep& step : m_steps)
        total += static_cast<size_t>(step.Back.Bytes.size() + step.Forward.Bytes.size());
    return total;
}

void TUndoStack::Apply(QByteArray& bytes, const TSplice& splice) {
    bytes.replace(splice.Offset, splice.Length, splice.Bytes);
}
