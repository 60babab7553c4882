#pragma once

#include "core/device/SensorIdentifier.h"
#include "core/transport/AbortSignal.h"

#include <QObject>
#include <thread>
#include <vector>

namespace orlo {

// Identifies addresses in the background for a window: the identifier runs on a thread of its own and
// each answer arrives on the user-interface thread as the signal Identified, as soon as it is known.
class SensorIdentification : public QObject {
    Q_OBJECT

public:
    explicit SensorIdentification(QObject* parent = nullptr) : QObject(parent) {}
    ~SensorIdentification() override { Stop(); }

    // Stops a run in progress, then starts one for `targets`; false when no thread could be started.
    bool Start(std::vector<IdentifyTarget> targets);
    // Ends a run in progress at once; no answer of it arrives afterwards.
    void Stop();
    bool Running() const { return worker_.joinable(); }

signals:
    void Identified(const orlo::SensorIdentity& identity);

private:
    AbortSignal abort_;
    std::thread worker_;
    // Counts the runs, so that an answer of a stopped run, already posted, is dropped.
    unsigned run_ = 0;
};

} // namespace orlo
