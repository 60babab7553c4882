#include "gui/connect/SensorIdentification.h"

#include <QMetaObject>
#include <system_error>

namespace orlo {

bool SensorIdentification::Start(std::vector<IdentifyTarget> targets) {
    Stop();
    const unsigned run = ++run_;
    try {
        worker_ = std::thread([this, run, targets = std::move(targets)] {
            SensorIdentifier().Identify(
                targets,
                [this, run](const SensorIdentity& identity) {
                    // Posted to this object, which the user-interface thread owns.
                    QMetaObject::invokeMethod(
                        this,
                        [this, run, identity] {
                            if (run == run_) {
                                emit Identified(identity);
                            }
                        },
                        Qt::QueuedConnection);
                },
                &abort_);
        });
    } catch (const std::system_error&) {
        return false;
    }
    return true;
}

void SensorIdentification::Stop() {
    if (!worker_.joinable()) {
        return;
    }
    abort_.Raise();
    worker_.join();
    abort_.Clear();
    ++run_;
}

} // namespace orlo
