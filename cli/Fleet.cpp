#include "cli/CommandContext.h"
#include "cli/FleetSummary.h"
#include "cli/SensorFileName.h"

#include <atomic>
#include <filesystem>
#include <mutex>
#include <set>
#include <sstream>
#include <system_error>
#include <thread>

namespace orlo::cli {

namespace {

constexpr int kDefaultJobs = 8;

// The file a command writes for each sensor into the folder it is given, by its extension.
std::string FolderFileExtension(const std::string& command) {
    return command == "export" ? ".ini" : command == "report" ? ".html" : "";
}

// Runs the command once up to the point where it would open the link, so that a usage error or a
// settings file the sensors cannot take is reported once, before any sensor is contacted.
int CheckCommand(const CommandContext& context, int (*run)(const CommandContext&)) {
    GlobalOptions options = context.options;
    options.stopBeforeConnect = true;
    options.hosts.reset();
    options.lanHost = "127.0.0.1"; // never contacted
    std::ostringstream out;
    std::ostringstream err;
    const int status = run({options, out, err, nullptr, nullptr});
    context.err << err.str();
    return status;
}

// The folder export and report write into; false (with the failure printed) when it cannot be one.
bool PrepareFolder(const CommandContext& context, const std::string& folder, int& status) {
    if (folder == "-") {
        status = context.UsageFailure(context.options.command + " to many sensors needs a FOLDER, not -");
        return false;
    }
    std::error_code error;
    if (std::filesystem::exists(folder, error) && !std::filesystem::is_directory(folder, error)) {
        status = context.UsageFailure(context.options.command + " to many sensors writes into a folder: " +
                                      PrintablePath(folder) + " is not one");
        return false;
    }
    if (!std::filesystem::create_directories(folder, error) && error) {
        status =
            context.Failure("cannot create the folder " + PrintablePath(folder) + ": " + error.message(), -1);
        return false;
    }
    return true;
}

// Import writes to every sensor: with --yes, or when the user at the terminal says so.
bool ImportConfirmed(const CommandContext& context, std::size_t sensors, int& status) {
    if (context.options.yes) {
        return true;
    }
    const Console* console = context.console;
    if (console == nullptr || !console->inIsTerminal || console->in == nullptr) {
        status = context.UsageFailure("import to many sensors writes to each of them: give --yes to do it");
        return false;
    }
    context.err << "orloctl: write " << PrintablePath(context.options.arguments[0]) << " to " << sensors
                << (sensors == 1 ? " sensor" : " sensors") << "? [y/N] " << std::flush;
    std::string answer;
    std::getline(*console->in, answer);
    if (answer != "y" && answer != "Y" && answer != "yes") {
        status = context.UsageFailure("import not confirmed: nothing was written");
        return false;
    }
    return true;
}

// Asks every sensor its information text (for the file names) and which addresses of a range are
// sensors at all. False when interrupted.
bool Identify(const CommandContext& context, std::vector<SensorRun>& runs) {
    std::vector<IdentifyTarget> targets;
    for (const SensorRun& run : runs) {
        targets.push_back(run.host.target);
    }
    AbortSignal abort;
    const Interruption::Registration abortOnSignal(context.interruption, [&abort] { abort.Raise(); });
    const std::vector<SensorIdentity> identities = SensorIdentifier().Identify(targets, {}, &abort);
    if (abort.Raised()) {
        return false;
    }
    // Both lists are sorted by address and port.
    for (std::size_t i = 0; i < runs.size(); ++i) {
        SensorRun& run = runs[i];
        run.identity = identities[i];
        if (!run.host.fromRange || run.identity->outcome == IdentifyOutcome::Sensor) {
            continue;
        }
        // A range holds addresses without sensors; one that took the connection but did not answer
        // may be a sensor busy with another client.
        const bool maybeSensor = run.identity->outcome == IdentifyOutcome::NoAnswer ||
                                 run.identity->outcome == IdentifyOutcome::Closed;
        run.state = maybeSensor ? SensorRun::State::NotIdentified : SensorRun::State::Skipped;
    }
    return true;
}

// The command's options for one sensor: its address, its files.
void PrepareSensor(const GlobalOptions& common, const std::string& folderExtension, SensorRun& run) {
    GlobalOptions& options = run.options;
    options = common;
    options.hosts.reset();
    options.jobs.reset();
    options.yes = false;
    options.lanHost = FormatIpv4(run.host.target.address);
    options.lanPort = run.host.target.port;
    options.commandLogName = "CmdLog-" + SensorFileName(run.host.target, "") + ".log";
    if (!folderExtension.empty()) {
        run.file = (std::filesystem::path(common.arguments[0]) /
                    (SensorFileName(run.host.target, run.Text()) + folderExtension))
                       .string();
        options.arguments[0] = run.file;
    }
}

// Serves the waiting sensors, `jobs` at a time; each gets its own session, output and log.
class FleetWorkers {
public:
    FleetWorkers(const CommandContext& context, int (*run)(const CommandContext&),
                 std::vector<SensorRun>& runs)
        : context_(context), run_(run), runs_(runs) {
        for (SensorRun& sensor : runs_) {
            if (sensor.state == SensorRun::State::Waiting) {
                waiting_.push_back(&sensor);
            }
        }
        progress_ = context.console != nullptr && context.console->errIsTerminal;
    }

    void Run(int jobs) {
        // This thread is one of the workers.
        std::vector<std::thread> workers;
        const std::size_t count = std::min(static_cast<std::size_t>(jobs), waiting_.size());
        for (std::size_t i = 1; i < count; ++i) {
            try {
                workers.emplace_back([this] { Work(); });
            } catch (const std::system_error&) {
                break; // the others serve the rest
            }
        }
        Work();
        for (std::thread& worker : workers) {
            worker.join();
        }
        if (progress_ && !waiting_.empty()) {
            context_.err << '\n';
        }
    }

private:
    void Work() {
        for (std::size_t i = next_++; i < waiting_.size(); i = next_++) {
            SensorRun& sensor = *waiting_[i];
            if (context_.interruption != nullptr && context_.interruption->Flag()) {
                sensor.state = SensorRun::State::NotRun;
                continue;
            }
            std::ostringstream out;
            std::ostringstream err;
            sensor.status = run_({sensor.options, out, err, context_.interruption, nullptr});
            sensor.out = out.str();
            sensor.err = err.str();
            sensor.state = SensorRun::State::Done;
            Report(sensor);
        }
    }

    void Report(const SensorRun& sensor) {
        std::lock_guard lock(mutex_);
        ++done_;
        failed_ += sensor.Failed() ? 1 : 0;
        if (progress_) {
            context_.err << "\rorloctl: " << done_ << " of " << waiting_.size() << " sensors done, "
                         << failed_ << " failed" << std::flush;
        }
    }

    const CommandContext& context_;
    int (*run_)(const CommandContext&);
    std::vector<SensorRun>& runs_;
    std::vector<SensorRun*> waiting_;
    std::atomic<std::size_t> next_{0};
    bool progress_ = false;
    std::mutex mutex_; // the progress line and its counts
    std::size_t done_ = 0;
    std::size_t failed_ = 0;
};

} // namespace

int RunFleet(const CommandContext& context, int (*run)(const CommandContext&)) {
    const GlobalOptions& options = context.options;
    if (options.help) {
        return run(context);
    }
    std::string failure;
    const auto hosts = ReadHostList(*options.hosts, failure);
    if (!hosts) {
        return context.UsageFailure(failure);
    }
    if (const int status = CheckCommand(context, run); status != EXIT_OK) {
        return status;
    }
    const std::string extension = FolderFileExtension(options.command);
    int status = EXIT_OK;
    if (!extension.empty() && !PrepareFolder(context, options.arguments[0], status)) {
        return status;
    }
    std::vector<SensorRun> runs;
    bool fromRange = false;
    for (const HostEntry& host : *hosts) {
        runs.push_back({host, {}, SensorRun::State::Waiting, {}, EXIT_OK, {}, {}, {}});
        fromRange = fromRange || host.fromRange;
    }
    if ((fromRange || !extension.empty()) && !Identify(context, runs)) {
        return context.DeviceFailure(RC_CANCELLED);
    }
    std::size_t sensors = 0;
    for (SensorRun& sensor : runs) {
        if (sensor.state == SensorRun::State::Waiting) {
            PrepareSensor(options, extension, sensor);
            ++sensors;
        }
    }
    if (std::none_of(runs.begin(), runs.end(),
                     [](const SensorRun& r) { return r.state != SensorRun::State::Skipped; })) {
        return context.Failure("no sensor answered in " + PrintableText(*options.hosts), RC_NO_LINK);
    }
    if (options.command == "import" && sensors > 0 && !ImportConfirmed(context, sensors, status)) {
        return status;
    }
    FleetWorkers(context, run, runs).Run(options.jobs.value_or(kDefaultJobs));
    FleetSummary(options.command, options.json,
                 options.json && (options.command == "info" || options.command == "get"))
        .Print(runs, context.out);
    const bool failed = std::any_of(runs.begin(), runs.end(), [](const SensorRun& r) { return r.Failed(); });
    const bool different =
        std::any_of(runs.begin(), runs.end(), [](const SensorRun& r) { return r.status == EXIT_DIFFERENT; });
    return failed ? EXIT_DEVICE_FAILED : different ? EXIT_DIFFERENT : EXIT_OK;
}

} // namespace orlo::cli
