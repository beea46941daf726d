#pragma once

// The edit history of a circuit, kept as object-stream bytes: the bytes of the current state in
// full, and for every step only the spans in which the state on the other side of it differs.
// Undoing or redoing a step splices those spans in and keeps the spans that lead back instead, so
// a step costs memory in proportion to the part of the stream the edit changed.

#include <QByteArray>
#include <QString>

#include <cstddef>
#include <deque>
#include <vector>

class TUndoStack {
public:
    // Steps kept; the oldest is forgotten first.
    static constexpr int kLimit = 100;

    // Starts again from a circuit: nothing to undo or redo, and this state is the saved one.
    void Reset(QByteArray bytes);
    // An edit called name led to bytes. Steps that could be redone are forgotten.
    void Push(const QString& name, QByteArray bytes);

    bool CanUndo() const { return m_position > 0; }
    bool CanRedo() const { return m_position < m_steps.size(); }
    QString UndoName() const { return CanUndo() ? m_steps[m_position - 1].Name : QString(); }
    QString RedoName() const { return CanRedo() ? m_steps[m_position].Name : QString(); }
    // Move one step back or forward and answer the bytes of the state reached.
    const QByteArray& Undo();
    const QByteArray& Redo();

    const QByteArray& Current() const { return m_current; }
    // The current state is the one last saved (or loaded).
    void MarkSaved() { m_saved = static_cast<std::ptrdiff_t>(m_position); }
    bool AtSaved() const { return m_saved == static_cast<std::ptrdiff_t>(m_position); }
    int Count() const { return static_cast<int>(m_steps.size()); }
    // Bytes held by the steps, without the current state.
    size_t StepBytes() const;

private:
    // Replaces Length bytes at Offset by Bytes.
    struct TSplice {
        qsizetype Offset = 0;
        qsizetype Length = 0;
        QByteArray Bytes;
    };
    using TSplices = std::vector<TSplice>; // in ascending offsets, not overlapping
    struct TStep {
        QString Name;
        // From the state after the edit to the one before while the step is done, the other way
        // while it is undone.
        TSplices Splices;
    };
    // The splices that turn from into to.
    static TSplices Difference(const QByteArray& from, const QByteArray& to);
    static void Apply(QByteArray& bytes, const TSplices& splices);
    // Moves the current state across a step and keeps the way back in it.
    void Cross(TStep& step);

    std::deque<TStep> m_steps;
    size_t m_position = 0; // steps before the current state
    QByteArray m_current;
    std::ptrdiff_t m_saved = 0; // -1: the saved state is no longer in the history
};
