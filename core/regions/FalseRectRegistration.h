#pragma once

#include "core/regions/Geometry.h"
#include "core/regions/TevoArea.h"

#include <span>
#include <utility>
#include <vector>

namespace orlo {

// A detection of the last run as the registration sees it: its rectangle and whether any rule of the
// sensor (area mask, size mask, false detection) already excluded it.
struct DetectedBox {
    Rect rect;
    bool excluded = false;
};

// A detection that may become a false-detection rectangle.
struct FalseRectCandidate {
    int detection = 0; // position in the sensor's result
    Rect rect;
    bool listed = true; // false once it was registered
    bool operator==(const FalseRectCandidate&) const = default;
};

// The ten false-detection rectangles being edited and the candidates of the last detection run.
// Registering copies a candidate into the first free slot as Added; removing clears a slot (Removed)
// and offers its detection again. Added records are never kept across a new run: they are dropped
// before the candidates are rebuilt, since the detection they came from is gone.
class FalseRectRegistration {
public:
    enum class RegisterResult { Registered, Full, NoCandidate };

    // What an undo gives back: the slots and which candidates are listed.
    struct State {
        std::vector<CFalseRectArea> registered;
        std::vector<FalseRectCandidate> candidates;
        bool operator==(const State&) const = default;
    };

    explicit FalseRectRegistration(std::vector<CFalseRectArea> registered);

    const std::vector<CFalseRectArea>& Registered() const { return registered_; }
    const std::vector<FalseRectCandidate>& Candidates() const { return candidates_; }
    State Current() const { return {registered_, candidates_}; }
    void Restore(State state) {
        registered_ = std::move(state.registered);
        candidates_ = std::move(state.candidates);
    }

    // Some record is registered here but not yet written to the sensor.
    bool HasUnapplied() const { return HasUnapplied(registered_); }
    static bool HasUnapplied(const std::vector<CFalseRectArea>& records);
    // Every Added record becomes Removed.
    static void DiscardUnapplied(std::vector<CFalseRectArea>& records);

    // A new detection run: unapplied registrations are dropped, and every detection that no rule
    // excluded and that is not registered already becomes a listed candidate.
    void SetDetections(std::span<const DetectedBox> detections);
    RegisterResult Register(int candidate);
    // Clears the slot; the first unlisted candidate with its rectangle is listed again. False for a
    // slot that is not in use.
    bool Remove(int slot);

private:
    std::vector<CFalseRectArea> registered_;
    std::vector<FalseRectCandidate> candidates_;
};

} // namespace orlo
