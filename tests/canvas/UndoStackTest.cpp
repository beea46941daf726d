#include "canvas/UndoStack.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

namespace {

// States made by scattered same-length changes, insertions and removals; undoing and redoing
// across all of them gives every state back exactly, and only the last hundred steps are kept.
TEST(UndoStack, EveryStateComesBackAcrossTheKeptSteps) {
    std::mt19937 random(7);
    std::vector<QByteArray> states{QByteArray(5000, 'a')};
    for (int i = 0; i < 120; ++i) {
        QByteArray next = states.back();
        switch (i % 3) {
        case 0:
            for (int k = 0; k < 4; ++k)
                next[static_cast<qsizetype>(random() % next.size())] = static_cast<char>('b' + k + i % 7);
            break;
        case 1:
            next.insert(static_cast<qsizetype>(random() % next.size()), QByteArray(1 + i % 9, 'x'));
            break;
        default:
            next.remove(static_cast<qsizetype>(random() % (next.size() - 10)), 1 + i % 5);
            break;
        }
        states.push_back(next);
    }

    TUndoStack stack;
    stack.Reset(states.front());
    for (size_t i = 1; i < states.size(); ++i)
        stack.Push(QStringLiteral("Edit %1").arg(i), states[i]);
    ASSERT_EQ(stack.Count(), TUndoStack::kLimit);
    EXPECT_LT(stack.StepBytes(), 20000u) << "steps keep only what changed";

    size_t at = states.size() - 1;
    while (stack.CanUndo()) {
        EXPECT_EQ(stack.UndoName(), QStringLiteral("Edit %1").arg(at));
        ASSERT_EQ(stack.Undo(), states[--at]) << at;
    }
    EXPECT_EQ(at, states.size() - 1 - TUndoStack::kLimit);
    while (stack.CanRedo())
        ASSERT_EQ(stack.Redo(), states[++at]) << at;
    EXPECT_EQ(at, states.size() - 1);
}

TEST(UndoStack, TheSavedStateIsKnownUntilANewEditDropsIt) {
    TUndoStack stack;
    stack.Reset("a");
    EXPECT_TRUE(stack.AtSaved());
    stack.Push("Place", "ab");
    stack.Push("Move", "ac");
    EXPECT_FALSE(stack.AtSaved());
    stack.MarkSaved();
    stack.Undo();
    EXPECT_FALSE(stack.AtSaved());
    stack.Redo();
    EXPECT_TRUE(stack.AtSaved());
    stack.Push("Delete", "ac");
    EXPECT_EQ(stack.Count(), 2) << "a state equal to the current one is no step";

    stack.Undo();
    stack.Undo();
    stack.Push("Wire", "aw");
    EXPECT_FALSE(stack.CanRedo());
    EXPECT_FALSE(stack.AtSaved());
    stack.Undo();
    EXPECT_FALSE(stack.AtSaved()) << "the saved state went with the steps the new edit replaced";
}

} // namespace
