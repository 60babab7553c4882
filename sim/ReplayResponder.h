#pragma once

#include "sim/ReplayLog.h"
#include "sim/Responder.h"

#include <mutex>
#include <vector>

namespace orlo::sim {

// Plays a recorded session back: each request is answered with what was received for the next
// recorded request with the same bytes; one with no such request gets silence, as from a sensor
// that does not understand it, and a line to `report`.
class ReplayResponder : public Responder {
public:
    ReplayResponder(std::vector<RecordedExchange> exchanges, std::uint32_t baud, SimLogger report);

    Reply handle(const FrameEvent& event) override;
    std::uint32_t baud() const override { return baud_; }
    // The recording fixes no line speed; the client's own is taken.
    bool checksLineSpeed() const override { return false; }
    std::chrono::milliseconds receiveTimeout() const override;
    std::chrono::milliseconds sendTimeout() const override;

    // How many recorded requests have been answered or passed over.
    std::size_t Position() const;

private:
    const std::vector<RecordedExchange> exchanges_;
    const std::uint32_t baud_;
    SimLogger report_;
    mutable std::mutex mutex_;
    std::size_t next_ = 0;
};

} // namespace orlo::sim
