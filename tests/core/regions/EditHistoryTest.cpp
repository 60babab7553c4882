#include "core/regions/EditHistory.h"

#include "core/regions/Geometry.h"

#include <gtest/gtest.h>
#include <vector>

namespace orlo {
namespace {

using Regions = std::vector<Rect>;

// An editor stand-in: applies changes and records each in the history the way the editors do.
struct Session {
    Regions state;
    EditHistory<Regions> history;

    void Change(const Regions& next) {
        history.Record(state, next);
        state = next;
    }
    bool Undo() {
        auto earlier = history.Undo(state);
        if (earlier) {
            state = *earlier;
        }
        return earlier.has_value();
    }
    bool Redo() {
        auto later = history.Redo(state);
        if (later) {
            state = *later;
        }
        return later.has_value();
    }
};

const Regions EMPTY{UNSET_RECT, UNSET_RECT};
const Regions DRAWN{{10, 20, 110, 220}, UNSET_RECT};
const Regions MOVED{{40, 20, 140, 220}, UNSET_RECT};
const Regions SECOND{{40, 20, 140, 220}, {500, 500, 600, 640}};

TEST(EditHistory, UndoesEverySequenceBackToTheExactEarlierStates) {
    Session session{EMPTY, {}};
    EXPECT_FALSE(session.history.CanUndo());
    session.Change(DRAWN);
    session.Change(MOVED);
    session.Change(SECOND);
    ASSERT_TRUE(session.Undo());
    EXPECT_EQ(session.state, MOVED);
    ASSERT_TRUE(session.Undo());
    EXPECT_EQ(session.state, DRAWN);
    ASSERT_TRUE(session.Undo());
    EXPECT_EQ(session.state, EMPTY);
    EXPECT_FALSE(session.Undo());
    EXPECT_EQ(session.state, EMPTY);
}

TEST(EditHistory, RedoReplaysTheUndoneChangesInOrder) {
    Session session{EMPTY, {}};
    session.Change(DRAWN);
    session.Change(MOVED);
    EXPECT_FALSE(session.Redo());
    session.Undo();
    session.Undo();
    EXPECT_TRUE(session.history.CanRedo());
    ASSERT_TRUE(session.Redo());
    EXPECT_EQ(session.state, DRAWN);
    ASSERT_TRUE(session.Redo());
    EXPECT_EQ(session.state, MOVED);
    EXPECT_FALSE(session.Redo());
    // Undo after redo goes back through the same states.
    ASSERT_TRUE(session.Undo());
    EXPECT_EQ(session.state, DRAWN);
}

TEST(EditHistory, ANewChangeAfterUndoDropsTheRedo) {
    Session session{EMPTY, {}};
    session.Change(DRAWN);
    session.Change(MOVED);
    session.Undo();
    session.Change(SECOND);
    EXPECT_FALSE(session.history.CanRedo());
    EXPECT_FALSE(session.Redo());
    EXPECT_EQ(session.state, SECOND);
    ASSERT_TRUE(session.Undo());
    EXPECT_EQ(session.state, DRAWN);
    ASSERT_TRUE(session.Undo());
    EXPECT_EQ(session.state, EMPTY);
}

TEST(EditHistory, AChangeThatChangesNothingIsNotRecorded) {
    Session session{DRAWN, {}};
    session.Change(DRAWN);
    EXPECT_FALSE(session.history.CanUndo());
    session.Change(MOVED);
    session.Undo();
    // Not recorded, so the redo stays.
    session.Change(DRAWN);
    EXPECT_TRUE(session.history.CanRedo());
    ASSERT_TRUE(session.Redo());
    EXPECT_EQ(session.state, MOVED);
}

} // namespace
} // namespace orlo
