#include "sim/PtyLink.h"

namespace orlo::sim {

// Windows has no pseudo-terminals: the simulator serves TCP only there.
PtyLink::PtyLink(Responder& core, LinkControl& control, bool throttle, std::string symlinkPath, SimLogger log)
    : core_(core), control_(control), throttle_(throttle), symlinkPath_(std::move(symlinkPath)),
      log_(std::move(log)) {}

PtyLink::~PtyLink() = default;

bool PtyLink::open(std::string& error) {
    error = "--pty: pseudo-terminals do not exist on Windows; use --tcp";
    return false;
}

void PtyLink::start() {}

void PtyLink::join() {}

} // namespace orlo::sim
