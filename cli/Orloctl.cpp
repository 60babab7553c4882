#include "cli/Orloctl.h"

#include "cli/CommandContext.h"
#include "core/device/ConnectProcedures.h"
#include "core/device/ResultMessage.h"

#include <algorithm>
#include <functional>
#include <map>

namespace orlo::cli {

int CommandContext::DeviceFailure(ResultCode code) const {
    std::string message = ResultMessage(code);
    std::replace(message.begin(), message.end(), '\n', ' ');
    return Failure(message, code);
}

int CommandContext::Failure(const std::string& message, ResultCode code) const {
    err << "orloctl: " << message << " (result " << code << ")\n";
    return EXIT_DEVICE_FAILED;
}

int CommandContext::UsageFailure(const std::string& message) const {
    err << "orloctl: " << message << "\n(orloctl --help shows the usage)\n";
    return EXIT_USAGE;
}

CommandSession::CommandSession(const CommandContext& context)
    : session(context.options.directory, context.LogSwitch(), context.options.commandLogName),
      abortOnSignal(context.interruption, [this] { session.Abort(); }) {}

bool CommandContext::Connect(DeviceSession& session, int& exitStatus) const {
    if (options.stopBeforeConnect) {
        exitStatus = EXIT_OK;
        return false;
    }
    ResultCode result = RC_OK;
    if (options.lanHost) {
        result = ConnectLan(session, *options.lanHost, options.lanPort, options.angleOfView);
    } else {
        result = ConnectCom(session, *options.comPort, options.baudRate, options.angleOfView);
    }
    if (result == RC_OPEN_FAILED && options.comPort &&
        session.SerialConnection().LastOpenFailure() == OpenFailure::PermissionDenied) {
        exitStatus =
            Failure("cannot open " + *options.comPort + ": permission denied. " + DialoutHint(), result);
        return false;
    }
    if (result != RC_OK) {
        exitStatus = DeviceFailure(result);
        return false;
    }
    return true;
}

std::string DialoutHint() {
    return "Add your user to the dialout group (sudo usermod -aG dialout $USER) and log in again.";
}

namespace {

struct CommandEntry {
    int (*run)(const CommandContext&);
    bool needsSensor;
    bool forMany; // may run against every sensor of --hosts
};

const std::map<std::string, CommandEntry>& Commands() {
    static const std::map<std::string, CommandEntry> commands = {
        {"info", {RunInfo, true, true}},        {"export", {RunExport, true, true}},
        {"import", {RunImport, true, true}},    {"diff", {RunDiff, true, true}},
        {"restart", {RunRestart, true, true}},  {"initialize", {RunRestart, true, false}},
        {"recover", {RunRestart, true, false}}, {"detect", {RunDetect, true, false}},
        {"get", {RunGet, true, true}},          {"set", {RunSet, true, false}},
        {"scan", {RunScan, false, false}},      {"ports", {RunPorts, false, false}},
        {"report", {RunReport, true, true}},
    };
    return commands;
}

} // namespace

int RunOrloctl(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
               Interruption* interruption, const Console* console) {
    UsageError error;
    const auto options = ParseGlobalOptions(args, error);
    if (!options) {
        err << "orloctl: " << error.message << "\n(orloctl --help shows the usage)\n";
        return EXIT_USAGE;
    }
    const CommandContext context{*options, out, err, interruption, console};
    if (options->command.empty()) {
        if (options->help) {
            out << ToolUsage();
            return EXIT_OK;
        }
        return context.UsageFailure("missing command");
    }
    const auto found = Commands().find(options->command);
    if (found == Commands().end()) {
        return context.UsageFailure("unknown command: " + options->command);
    }
    if (options->hosts) {
        if (!found->second.forMany) {
            return context.UsageFailure(
                "--hosts runs info, export, diff, import, report, restart and get, not " + options->command);
        }
        return RunFleet(context, found->second.run);
    }
    if (options->jobs || options->yes) {
        return context.UsageFailure("--jobs and --yes go with --hosts");
    }
    // Commands print their own help; they check their arguments before anything is sent.
    if (found->second.needsSensor && !options->help && !options->lanHost && !options->comPort) {
        return context.UsageFailure(options->command + " needs --lan HOST or --com PORT");
    }
    return found->second.run(context);
}

} // namespace orlo::cli
