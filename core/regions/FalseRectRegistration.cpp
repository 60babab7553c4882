#include "core/regions/FalseRectRegistration.h"

#include <algorithm>

namespace orlo {

FalseRectRegistration::FalseRectRegistration(std::vector<CFalseRectArea> registered)
    : registered_(CompleteSlots(std::move(registered), FALSE_RECT_SLOTS)) {}

bool FalseRectRegistration::HasUnapplied(const std::vector<CFalseRectArea>& records) {
    return std::any_of(records.begin(), records.end(), [](const CFalseRectArea& record) {
        return record.GetState() == FalseRectState::Added;
    });
}

void FalseRectRegistration::DiscardUnapplied(std::vector<CFalseRectArea>& records) {
    for (CFalseRectArea& record : records) {
        if (record.GetState() == FalseRectState::Added) {
            record.Clear();
        }
    }
}

void FalseRectRegistration::SetDetections(std::span<const DetectedBox> detections) {
    DiscardUnapplied(registered_);
    candidates_.clear();
    for (std::size_t position = 0; position < detections.size(); ++position) {
        const DetectedBox& detection = detections[position];
        const bool registered =
            std::any_of(registered_.begin(), registered_.end(), [&detection](const CFalseRectArea& record) {
                return record.GetRect() == detection.rect;
            });
        if (!detection.excluded && !registered) {
            candidates_.push_back({static_cast<int>(position), detection.rect, true});
        }
    }
}

FalseRectRegistration::RegisterResult FalseRectRegistration::Register(int candidate) {
    if (candidate < 0 || candidate >= static_cast<int>(candidates_.size()) ||
        !candidates_[static_cast<std::size_t>(candidate)].listed) {
        return RegisterResult::NoCandidate;
    }
    const int slot = FirstFreeSlot(registered_);
    if (slot < 0) {
        return RegisterResult::Full;
    }
    FalseRectCandidate& chosen = candidates_[static_cast<std::size_t>(candidate)];
    registered_[static_cast<std::size_t>(slot)].MarkAdded(chosen.rect);
    chosen.listed = false;
    return RegisterResult::Registered;
}

bool FalseRectRegistration::Remove(int slot) {
    if (slot < 0 || slot >= static_cast<int>(registered_.size()) ||
        !registered_[static_cast<std::size_t>(slot)].IsSet()) {
        return false;
    }
    CFalseRectArea& record = registered_[static_cast<std::size_t>(slot)];
    const Rect removed = record.GetRect();
    record.Clear();
    // A rectangle read from the sensor that matches no current detection simply disappears.
    const auto candidate = std::find_if(candidates_.begin(), candidates_.end(),
                                        [&removed](const auto& c) { return !c.listed && c.rect == removed; });
    if (candidate != candidates_.end()) {
        candidate->listed = true;
    }
    return true;
}

} // namespace orlo
