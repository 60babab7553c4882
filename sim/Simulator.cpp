#include "sim/Simulator.h"

#include "sim/LinkControl.h"
#include "sim/PtyLink.h"
#include "sim/ReplayResponder.h"
#include "sim/StateFile.h"
#include "sim/TcpLink.h"

namespace orlo::sim {

Simulator::Simulator(SimConfig config) : config_(std::move(config)) {}

Simulator::~Simulator() {
    stop();
}

bool Simulator::startResponder(std::string& error) {
    if (!config_.replayLog.empty()) {
        ReplayLogError logError;
        auto exchanges = LoadReplayLog(config_.replayLog, logError);
        if (!exchanges) {
            error = "replay log " + config_.replayLog + ": " + logError.Text();
            return false;
        }
        replay_ = std::make_unique<ReplayResponder>(
            std::move(*exchanges), config_.baud.value_or(SensorSettings{}.baudRate), config_.report);
        return true;
    }
    SensorSettings settings;
    if (!config_.stateFile.empty() &&
        loadStateFile(config_.stateFile, settings, error) == StateLoad::Invalid) {
        return false;
    }
    if (config_.baud) {
        settings.baudRate = *config_.baud;
    }
    if (config_.infoText) {
        settings.deviceInfoText = *config_.infoText;
    }
    // Writing once now turns an unusable path into a start error instead of lost settings later.
    if (!config_.stateFile.empty() && !saveStateFile(config_.stateFile, settings, error)) {
        return false;
    }
    core_ =
        std::make_unique<SensorCore>(settings, config_.seed, config_.stateFile, config_.faults, config_.log);
    return true;
}

void Simulator::releaseResponder() {
    core_.reset();
    replay_.reset();
}

bool Simulator::start(std::string& error) {
    if (core_ || replay_) {
        error = "already started";
        return false;
    }
    if (!config_.tcp && !config_.pty) {
        error = "no link: enable TCP and/or the pseudo-terminal";
        return false;
    }
    if (config_.baud && !isSupportedBaud(*config_.baud)) {
        error = "unsupported speed " + std::to_string(*config_.baud);
        return false;
    }
    if (!startResponder(error)) {
        return false;
    }
    Responder& responder = replay_ ? static_cast<Responder&>(*replay_) : *core_;
    auto control = std::make_unique<LinkControl>(config_.restartSilence);
    std::unique_ptr<TcpLink> tcp;
    std::unique_ptr<PtyLink> pty;
    if (config_.tcp) {
        tcp = std::make_unique<TcpLink>(responder, *control, *config_.tcp, config_.log);
        if (!tcp->open(error)) {
            releaseResponder();
            return false;
        }
    }
    if (config_.pty) {
        pty = std::make_unique<PtyLink>(responder, *control, config_.throttle, config_.ptyLink, config_.log);
        if (!pty->open(error)) {
            releaseResponder();
            return false;
        }
    }
    control_ = std::move(control);
    tcp_ = std::move(tcp);
    pty_ = std::move(pty);
    if (tcp_) {
        tcp_->start();
    }
    if (pty_) {
        pty_->start();
    }
    return true;
}

void Simulator::stop() {
    if (!control_) {
        return;
    }
    control_->requestStop();
    if (tcp_) {
        tcp_->join();
    }
    if (pty_) {
        pty_->join();
    }
    // The links hold references to the core and the control: release them first.
    tcp_.reset();
    pty_.reset();
    control_.reset();
}

std::uint16_t Simulator::tcpPort() const {
    return tcp_ ? tcp_->port() : 0;
}

std::string Simulator::ptyPath() const {
    return pty_ ? pty_->path() : std::string();
}

SensorSettings Simulator::settings() const {
    return core_ ? core_->settings() : SensorSettings{};
}

void Simulator::setFaults(FaultSet faults) {
    config_.faults = faults;
    if (core_) {
        core_->setFaults(std::move(faults));
    }
}

} // namespace orlo::sim
