#include "core/regions/FalseRectRegistration.h"

#include "core/regions/EditHistory.h"

#include <gtest/gtest.h>
#include <vector>

namespace orlo {
namespace {

std::vector<DetectedBox> Boxes(int count, int firstLeft = 0) {
    std::vector<DetectedBox> boxes;
    for (int i = 0; i < count; ++i) {
        const int left = firstLeft + i * 100;
        boxes.push_back({{left, 10, left + 50, 90}, false});
    }
    return boxes;
}

TEST(FalseRectRegistration, OffersOnlyPlainUnregisteredDetections) {
    std::vector<CFalseRectArea> stored(FALSE_RECT_SLOTS);
    stored[4] = CFalseRectArea(4, {100, 10, 150, 90}, FalseRectState::Stored);
    FalseRectRegistration registration(stored);
    std::vector<DetectedBox> boxes = Boxes(4);
    boxes[2].excluded = true;
    registration.SetDetections(boxes);
    ASSERT_EQ(registration.Candidates().size(), 2u);
    EXPECT_EQ(registration.Candidates()[0].detection, 0);
    EXPECT_EQ(registration.Candidates()[1].detection, 3);
    EXPECT_EQ(registration.Candidates()[1].rect, boxes[3].rect);
}

TEST(FalseRectRegistration, RegistersIntoFreeSlotsUntilFull) {
    FalseRectRegistration registration({});
    ASSERT_EQ(registration.Registered().size(), static_cast<std::size_t>(FALSE_RECT_SLOTS));
    registration.SetDetections(Boxes(11));
    for (int i = 0; i < FALSE_RECT_SLOTS; ++i) {
        ASSERT_EQ(registration.Register(i), FalseRectRegistration::RegisterResult::Registered);
        EXPECT_EQ(registration.Registered()[static_cast<std::size_t>(i)].GetState(), FalseRectState::Added);
        EXPECT_FALSE(registration.Candidates()[static_cast<std::size_t>(i)].listed);
    }
    EXPECT_EQ(registration.Register(0), FalseRectRegistration::RegisterResult::NoCandidate);
    EXPECT_EQ(registration.Register(10), FalseRectRegistration::RegisterResult::Full);
    EXPECT_TRUE(registration.Candidates()[10].listed);

    // Removing slot 3 offers its detection again and frees the slot for the next registration.
    ASSERT_TRUE(registration.Remove(3));
    EXPECT_EQ(registration.Registered()[3].GetState(), FalseRectState::Removed);
    EXPECT_TRUE(registration.Candidates()[3].listed);
    EXPECT_FALSE(registration.Remove(3));
    EXPECT_EQ(registration.Register(10), FalseRectRegistration::RegisterResult::Registered);
    EXPECT_EQ(registration.Registered()[3].GetRect(), registration.Candidates()[10].rect);
}

TEST(FalseRectRegistration, ANewRunDropsUnappliedRegistrations) {
    std::vector<CFalseRectArea> records(FALSE_RECT_SLOTS);
    records[0] = CFalseRectArea(0, {0, 10, 50, 90}, FalseRectState::Stored);
    FalseRectRegistration registration(records);
    registration.SetDetections(Boxes(3));
    ASSERT_EQ(registration.Candidates().size(), 2u); // the first is registered already
    ASSERT_EQ(registration.Register(0), FalseRectRegistration::RegisterResult::Registered);
    EXPECT_TRUE(registration.HasUnapplied());

    registration.SetDetections(Boxes(3));
    EXPECT_FALSE(registration.HasUnapplied());
    EXPECT_EQ(registration.Registered()[1].GetState(), FalseRectState::Removed);
    EXPECT_FALSE(registration.Registered()[1].IsSet());
    EXPECT_EQ(registration.Registered()[0].GetState(), FalseRectState::Stored);
    EXPECT_EQ(registration.Candidates().size(), 2u);

    // A stored rectangle that no candidate stands for simply goes when removed.
    ASSERT_TRUE(registration.Remove(0));
    EXPECT_EQ(registration.Candidates().size(), 2u);
}

TEST(FalseRectRegistration, UndoAndRedoGiveBackTheExactEarlierStates) {
    std::vector<CFalseRectArea> records(FALSE_RECT_SLOTS);
    for (int slot = 0; slot < FALSE_RECT_SLOTS; ++slot) {
        records[static_cast<std::size_t>(slot)] = CFalseRectArea(slot, UNSET_RECT, FalseRectState::Stored);
    }
    records[2] = CFalseRectArea(2, {500, 10, 550, 90}, FalseRectState::Stored);
    FalseRectRegistration registration(records);
    registration.SetDetections(Boxes(3));
    EditHistory<FalseRectRegistration::State> history;
    const auto change = [&](auto&& act) {
        const FalseRectRegistration::State before = registration.Current();
        act();
        history.Record(before, registration.Current());
    };
    const FalseRectRegistration::State opened = registration.Current();
    change([&] { ASSERT_EQ(registration.Register(1), FalseRectRegistration::RegisterResult::Registered); });
    const FalseRectRegistration::State registered = registration.Current();
    change([&] { ASSERT_TRUE(registration.Remove(2)); });
    const FalseRectRegistration::State removed = registration.Current();
    EXPECT_EQ(removed.registered[2].GetState(), FalseRectState::Removed);

    registration.Restore(*history.Undo(registration.Current()));
    EXPECT_EQ(registration.Current(), registered);
    registration.Restore(*history.Undo(registration.Current()));
    EXPECT_EQ(registration.Current(), opened);
    EXPECT_TRUE(registration.Candidates()[1].listed) << "the undone registration is offered again";
    EXPECT_FALSE(history.Undo(registration.Current()).has_value());
    registration.Restore(*history.Redo(registration.Current()));
    EXPECT_EQ(registration.Current(), registered);

    // A new change after an undo drops what could have been redone.
    change([&] { ASSERT_EQ(registration.Register(0), FalseRectRegistration::RegisterResult::Registered); });
    EXPECT_FALSE(history.CanRedo());
    // A registration that fails changes nothing and is not recorded.
    change([&] { registration.Register(42); });
    registration.Restore(*history.Undo(registration.Current()));
    EXPECT_EQ(registration.Current(), registered);
}

} // namespace
} // namespace orlo
