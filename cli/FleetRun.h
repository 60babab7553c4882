#pragma once

#include "cli/CommandLine.h"
#include "cli/HostList.h"

#include <optional>
#include <string>

namespace orlo::cli {

// One sensor of a run against many: where it is, what identification found, and how its command ended.
struct SensorRun {
    // Skipped: an address of a range that is no sensor, not part of the run. NotIdentified: one of a
    // range that connected but did not say what it is (a sensor busy with another client).
    enum class State { Waiting, Skipped, Done, NotIdentified, NotRun };

    HostEntry host;
    std::optional<SensorIdentity> identity;
    State state = State::Waiting;
    GlobalOptions options; // the command's options for this sensor
    int status = EXIT_OK;
    std::string out;
    std::string err;
    std::string file; // the file the command writes for this sensor, if any

    // The information text when identification found one, else empty.
    std::string Text() const {
        return identity && identity->outcome == IdentifyOutcome::Sensor ? identity->text : std::string();
    }
    bool Failed() const {
        return state != State::Skipped &&
               (state != State::Done || (status != EXIT_OK && status != EXIT_DIFFERENT));
    }
};

} // namespace orlo::cli
