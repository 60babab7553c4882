#pragma once

#include "cli/CommandLine.h"
#include "cli/Console.h"
#include "cli/Interruption.h"
#include "cli/TextOutput.h"
#include "core/device/DeviceSession.h"

#include <ostream>
#include <string>

namespace orlo::cli {

// What every command gets: the parsed options, the two output streams and, in the program (not in
// tests that run the tool in-process), the interruption by SIGINT or SIGTERM and the terminal.
struct CommandContext {
    const GlobalOptions& options;
    std::ostream& out;
    std::ostream& err;
    Interruption* interruption = nullptr;
    const Console* console = nullptr;

    // "orloctl: <message> (result <code>)" on stderr; returns the device-failure exit status.
    int DeviceFailure(ResultCode code) const;
    // The same line for a failure that is not the sensor's (a local file), with a message of our own.
    int Failure(const std::string& message, ResultCode code) const;
    // A usage error; nothing has been sent to a sensor.
    int UsageFailure(const std::string& message) const;
    // The command log switch the options ask for.
    CommandLog::Switch LogSwitch() const {
        return options.commandLog ? CommandLog::Switch::On : CommandLog::Switch::OutputLogFile;
    }
    // Opens the session over the link the options name; prints the failure. With stopBeforeConnect
    // it opens nothing and returns false with EXIT_OK.
    bool Connect(DeviceSession& session, int& exitStatus) const;
};

// The session of a command, aborted by SIGINT or SIGTERM while it lives (its operation in flight then
// ends with RC_CANCELLED).
struct CommandSession {
    explicit CommandSession(const CommandContext& context);

    DeviceSession session;
    Interruption::Registration abortOnSignal;
};

// What a user who may not open serial ports should do.
std::string DialoutHint();

int RunInfo(const CommandContext& context);
int RunExport(const CommandContext& context);
int RunImport(const CommandContext& context);
int RunDiff(const CommandContext& context);
int RunRestart(const CommandContext& context);
int RunDetect(const CommandContext& context);
int RunGet(const CommandContext& context);
int RunSet(const CommandContext& context);
int RunScan(const CommandContext& context);
int RunPorts(const CommandContext& context);
int RunReport(const CommandContext& context);
// The command `run` against every sensor of --hosts.
int RunFleet(const CommandContext& context, int (*run)(const CommandContext&));

} // namespace orlo::cli
