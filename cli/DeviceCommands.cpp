#include "cli/CommandContext.h"
#include "core/device/SettingsTransfer.h"
#include "core/device/SystemCommands.h"
#include "core/report/CommissioningReport.h"
#include "core/settings/ModeList.h"
#include "core/settingsfile/SettingsFile.h"

#include <functional>

namespace orlo::cli {

namespace {

bool ShowHelp(const CommandContext& context, const char* text) {
    if (context.options.help) {
        context.out << text;
    }
    return context.options.help;
}

// The file name that means standard output for the commands that write one.
constexpr std::string_view StandardOutputName = "-";

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
    CommandSession commandSession(context);
    DeviceSession& session = commandSession.session;
    int status = EXIT_OK;
    if (!context.Connect(session, status)) {
        return status;
    }
    DeviceInfo info;
    if (const ResultCode result = GetDeviceInfo(session, DeviceSession::CommandTimeoutMs, info);
        result != RC_OK) {
        return context.DeviceFailure(result);
    }
    const std::string version = FormatVersion(info);
    // The sensor's own text may hold anything; none of it may steer the terminal.
    const std::string model = PrintableText(info.name);
    if (context.options.json) {
        context.out << "{\"model\": " << JsonString(model) << ", \"version\": " << JsonString(version)
                    << "}\n";
    } else {
        context.out << model << ' ' << version << '\n';
    }
    return EXIT_OK;
}

namespace {

// What went wrong with a settings file, naming the file, the key and the system's reason.
std::string Describe(const std::string& file, const SettingsFileProblem& problem, const char* verb) {
    // FILE:LINE where the key's line is known, as compilers name a place in a file.
    const std::string name =
        PrintablePath(file) + (problem.line == 0 ? std::string() : ":" + std::to_string(problem.line));
    const std::string key = PrintableText(problem.key);
    const std::string value = PrintableText(problem.value);
    using Cause = SettingsFileProblem::Cause;
    switch (problem.cause) {
    case Cause::File:
        return std::string(verb) == "write"
                   ? FileWriteFailure(file, problem.error)
                   : std::string("cannot ") + verb + " " + name + ": " + problem.error.message();
    case Cause::MissingKey:
        return name + ": " + key + " is missing";
    case Cause::RejectedValue:
        return name + ": " + key + " holds " + value + ", which a settings file cannot restore";
    case Cause::NotCp932:
        return name + ": " + key + " holds text the sensor's character set (CP932) cannot hold: " + value;
    case Cause::LineBreak:
        return name + ": " + key + " holds a line break, which a settings file cannot hold";
    case Cause::NotAllowed:
        return name + ": " + key + "=" + value + " is not a value the sensor takes (" + problem.allowed + ")";
    case Cause::None:
        break;
    }
    return std::string("cannot ") + verb + " " + name;
}

// import and diff: FILE is read before anything is sent; then `run` works with it on a connected session.
int RunWithSettingsFile(const CommandContext& context, const char* help,
                        const std::function<int(DeviceSession&, const SettingsRecord&)>& run) {
    if (ShowHelp(context, help)) {
        return EXIT_OK;
    }
    int status = EXIT_OK;
    if (!OneFileArgument(context, status)) {
        return status;
    }
    const std::string& file = context.options.arguments[0];
    SettingsRecord record;
    SettingsFileProblem problem;
    SettingsFileNotes notes;
    if (ReadSettingsFile(file, record, &problem, &notes) != 0) {
        return context.Failure(Describe(file, problem, "read"), RC_SETTINGS_FILE);
    }
    if (notes.unmarkedUtf8) {
        context.err
            << "orloctl: warning: " << PrintablePath(file)
            << " has no byte-order mark, so it is read as CP932, but it is UTF-8: System.DeviceInfo \""
            << PrintableText(notes.deviceInfoAsUtf8) << "\" is sent as \""
            << PrintableDeviceText(record.deviceInfo)
            << "\". Save the file as UTF-8 with a byte-order mark or as CP932.\n";
    }
    CommandSession commandSession(context);
    DeviceSession& session = commandSession.session;
    if (!context.Connect(session, status)) {
        return status;
    }
    return run(session, record);
}

// A command that writes the file it is given from what it reads of the sensor.
template <typename Run>
int RunWritingFile(const CommandContext& context, const char* help, Run run) {
    if (ShowHelp(context, help)) {
        return EXIT_OK;
    }
    int status = EXIT_OK;
    if (!OneFileArgument(context, status)) {
        return status;
    }
    CommandSession commandSession(context);
    DeviceSession& session = commandSession.session;
    if (!context.Connect(session, status)) {
        return status;
    }
    return run(session, context.options.arguments[0]);
}

} // namespace

int RunExport(const CommandContext& context) {
    return RunWritingFile(
        context,
        "usage: orloctl CONNECTION export FILE\nBacks every setting of the sensor up to FILE, the "
        "false-detection rectangles\nin a section of their own, [OrloSetupFalseRect]; - writes it to "
        "standard "
        "output.\nThe backup is read "
        "back as import would read it before it replaces FILE.\nFILE, when it exists, must be a regular "
        "file.\n",
        [&](DeviceSession& session, const std::string& file) {
            SettingsFileProblem problem;
            std::string bytes;
            const ResultCode result = file == StandardOutputName
                                          ? ExportSettingsText(session, bytes, &problem)
                                          : ExportSettings(session, file, &problem);
            if (result != RC_OK && problem.cause != SettingsFileProblem::Cause::None) {
                const std::string cause = Describe(file, problem, "write");
                return context.Failure(problem.cause == SettingsFileProblem::Cause::File
                                           ? cause
                                           : "the backup would not restore, so it was not written: " + cause,
                                       result);
            }
            if (result == RC_OK && file == StandardOutputName && !WriteBytes(context.out, bytes)) {
                return context.Failure("cannot write the backup to standard output", -1);
            }
            return result == RC_OK ? EXIT_OK : context.DeviceFailure(result);
        });
}

int RunReport(const CommandContext& context) {
    return RunWritingFile(
        context,
        "usage: orloctl CONNECTION report FILE.html [--site TEXT] [--customer TEXT] [--installer TEXT] "
        "[--note TEXT]\nWrites a commissioning report: the details given (a note may hold line breaks), "
        "date and time, the "
        "connection,\nthe model and version, a fresh picture with the detection areas, masks, "
        "false-detection\nrectangles and detections drawn over it, and every setting a backup holds, "
        "in tables.\nThe operating mode is named from the mode list conf/aml.dat in the current "
        "directory\nor in --dir DIR, when there is one.\nOne self-contained HTML file, written only "
        "when the sensor was read completely;\n- writes it to standard output.\n",
        [&](DeviceSession& session, const std::string& file) {
            const std::vector<ModeRecord> modes = ReadModeList(LocateModeList(context.options.directory));
            if (file == StandardOutputName) {
                ReportContent content;
                const ResultCode result = ReadReportContent(session, content);
                if (result != RC_OK) {
                    return context.DeviceFailure(result);
                }
                content.details = context.options.reportDetails;
                return WriteBytes(context.out, ReportHtml(content, modes))
                           ? EXIT_OK
                           : context.Failure("cannot write the report to standard output", -1);
            }
            ReportProblem problem;
            const ResultCode result =
                WriteReport(session, file, modes, context.options.reportDetails, &problem);
            if (problem.fileError) {
                return context.Failure(FileWriteFailure(file, problem.fileError), result);
            }
            return result == RC_OK ? EXIT_OK : context.DeviceFailure(result);
        });
}

int RunImport(const CommandContext& context) {
    return RunWithSettingsFile(
        context,
        "usage: orloctl CONNECTION import FILE\nWrites every setting of FILE to the sensor, the "
        "false-detection rectangles when FILE\nholds them (a file without [OrloSetupFalseRect] leaves the "
        "sensor's as they are).\nFILE is read completely before "
        "the sensor is contacted; a value the sensor does not take\n(the ranges of set) is refused "
        "with its line. After a failure or an interruption (Ctrl-C), stderr names\nthe settings written and "
        "those not.\n",
        [&](DeviceSession& session, const SettingsRecord& record) {
            SettingsApplyProgress progress;
            const ResultCode result = ApplySettingsRecord(session, record, &progress);
            if (result == RC_OK) {
                return EXIT_OK;
            }
            // Before the result line, which stays the last line on stderr.
            const std::string again =
                ". Import " + PrintablePath(context.options.arguments[0]) + " again to complete it.\n";
            if (progress.written > 0 && !progress.NotWritten().empty()) {
                context.err << "orloctl: the sensor holds part of the file: written: " << progress.Written()
                            << "; not written: " << progress.NotWritten() << again;
            } else if (result == RC_CANCELLED && progress.written == 0) {
                context.err << "orloctl: nothing of the file was written; not written: "
                            << progress.NotWritten() << again;
            } else if (result == RC_CANCELLED) {
                context.err << "orloctl: every setting of the file was written: " << progress.Written()
                            << ".\n";
            }
            return context.DeviceFailure(result);
        });
}

int RunDiff(const CommandContext& context) {
    return RunWithSettingsFile(
        context,
        "usage: orloctl CONNECTION diff FILE\nPrints SECTION.KEY file=VALUE sensor=VALUE for every setting\n"
        "where the sensor differs from FILE (the false-detection rectangles when FILE holds them).\nExit "
        "status 0 when all are equal, 1 when some differ.\n",
        [&](DeviceSession& session, const SettingsRecord& fromFile) {
            SettingsRecord fromSensor;
            if (const ResultCode result = ReadSettingsRecord(session, fromSensor); result != RC_OK) {
                return context.DeviceFailure(result);
            }
            const auto differences = DifferentSettings(fromFile, fromSensor);
            for (const SettingsDifference& difference : differences) {
                context.out << difference.key << " file=" << PrintableDeviceText(difference.first)
                            << " sensor=" << PrintableDeviceText(difference.second) << '\n';
            }
            return differences.empty() ? EXIT_OK : EXIT_DIFFERENT;
        });
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
    CommandSession commandSession(context);
    DeviceSession& session = commandSession.session;
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
