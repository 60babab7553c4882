#include "cli/CommandContext.h"
#include "device/SettingsTransfer.h"
#include "device/SystemCommands.h"
#include "settings/file/SettingsFile.h"

namespace orlo::cli {

namespace {

bool ShowHelp(const CommandContext& context, const char* text) {
    if (context.options.help) {
        context.out << text;
    }
    return context.options.help;
}

// The commands that take exactly one FILE argument.
bool OneFileArgument(const CommandContext& context, int& exitStatus) {
    if (context.options.arguments.size() != 1) {
        exitStatus = context.UsageFailure(context.options.command + " needs exactly one FILE");
        return false;
    }
    return true;
}

} // namespace

int RunInfo(const CommandContext& context) {
    if (ShowHelp(context, "usage: orloctl CONNECTION info [--json]\nPrints the model name and the firmware "
                          "version: <model> <v1>.<v2>.<v3>.<v4>\n")) {
        return EXIT_OK;
    }
    if (!context.options.arguments.empty()) {
        return context.UsageFailure("info takes no arguments");
    }
    DeviceSession session(context.options.directory);
    int status = EXIT_OK;
    if (!context.Connect(session, status)) {
        return status;
    }
    DeviceInfo info;
    if (const ResultCode result = GetDeviceInfo(session, DeviceSession::CommandTimeoutMs, info);
        result != RC_OK) {
        return context.DeviceFailure(result);
    }
    const std::string version = std::to_string(info.version1) + "." + std::to_string(info.version2) + "." +
                                std::to_string(info.version3) + "." + std::to_string(info.version4);
    if (context.options.json) {
        context.out << "{\"model\": " << JsonString(info.name) << ", \"version\": " << JsonString(version)
                    << "}\n";
    } else {
        context.out << info.name << ' ' << version << '\n';
    }
    return EXIT_OK;
}

namespace {

// export and import: one FILE, one sequence on a connected session.
int RunFileTransfer(const CommandContext& context, const char* help,
                    ResultCode (*transfer)(DeviceSession&, const std::filesystem::path&)) {
    if (ShowHelp(context, help)) {
        return EXIT_OK;
    }
    int status = EXIT_OK;
    if (!OneFileArgument(context, status)) {
        return status;
    }
    DeviceSession session(context.options.directory);
    if (!context.Connect(session, status)) {
        return status;
    }
    const ResultCode result = transfer(session, context.options.arguments[0]);
    return result == RC_OK ? EXIT_OK : context.DeviceFailure(result);
}

} // namespace

int RunExport(const CommandContext& context) {
    return RunFileTransfer(
        context,
        "usage: orloctl CONNECTION export FILE\nBacks every setting of the sensor up to FILE "
        "(false-detection rectangles are not saved).\n",
        ExportSettings);
}

int RunImport(const CommandContext& context) {
    return RunFileTransfer(
        context,
        "usage: orloctl CONNECTION import FILE\nWrites every setting of FILE to the sensor "
        "(false-detection rectangles are not applied).\n",
        ImportSettings);
}

int RunDiff(const CommandContext& context) {
    if (ShowHelp(context,
                 "usage: orloctl CONNECTION diff FILE\nPrints SECTION.KEY file=VALUE sensor=VALUE for "
                 "every setting where the sensor differs from FILE.\nExit status 0 when all are equal, "
                 "1 when some differ.\n")) {
        return EXIT_OK;
    }
    int status = EXIT_OK;
    if (!OneFileArgument(context, status)) {
        return status;
    }
    SettingsRecord fromFile;
    if (ReadSettingsFile(context.options.arguments[0], fromFile) != 0) {
        return context.DeviceFailure(RC_SETTINGS_FILE);
    }
    DeviceSession session(context.options.directory);
    if (!context.Connect(session, status)) {
        return status;
    }
    SettingsRecord fromSensor;
    if (const ResultCode result = ReadSettingsRecord(session, fromSensor); result != RC_OK) {
        return context.DeviceFailure(result);
    }
    // Both sides through the same writer, so values compare in the file's own form.
    IniDocument fileKeys;
    IniDocument sensorKeys;
    SetSettingsKeys(fileKeys, fromFile);
    SetSettingsKeys(sensorKeys, fromSensor);
    int differences = 0;
    for (const std::string& section : sensorKeys.Sections()) {
        for (const auto& [key, sensorValue] : sensorKeys.Keys(section)) {
            const std::string fileValue = fileKeys.Get(section, key).value_or("");
            if (fileValue != sensorValue) {
                context.out << section << '.' << key << " file=" << fileValue << " sensor=" << sensorValue
                            << '\n';
                ++differences;
            }
        }
    }
    return differences == 0 ? EXIT_OK : EXIT_DIFFERENT;
}

int RunRestart(const CommandContext& context) {
    const std::string& command = context.options.command;
    if (ShowHelp(context, "usage: orloctl CONNECTION restart|initialize|recover\n"
                          "restart: restarts the sensor and waits until it answers again (up to 150 s).\n"
                          "initialize: the same, restoring the factory settings.\n"
                          "recover: sets the serial speed (115200 on LAN) and restarts.\n")) {
        return EXIT_OK;
    }
    if (!context.options.arguments.empty()) {
        return context.UsageFailure(command + " takes no arguments");
    }
    DeviceSession session(context.options.directory);
    int status = EXIT_OK;
    if (!context.Connect(session, status)) {
        return status;
    }
    int lastSecond = -1;
    session.SetReconnectProgressHook([&](int elapsedMs) {
        if (elapsedMs / 1000 != lastSecond) {
            lastSecond = elapsedMs / 1000;
            context.err << "orloctl: waiting for the sensor (" << lastSecond << " s)\n";
        }
    });
    ResultCode result = RC_OK;
    if (command == "restart") {
        result = Restart(session, DeviceSession::CommandTimeoutMs);
    } else if (command == "initialize") {
        result = RestartAndInitialize(session, DeviceSession::CommandTimeoutMs);
    } else {
        result = Recover(session);
    }
    return result == RC_OK ? EXIT_OK : context.DeviceFailure(result);
}

} // namespace orlo::cli
