#include "cli/CommandContext.h"
#include "core/device/DetectionCommands.h"
#include "core/imaging/PngConverter.h"
#include "core/monitor/DetectionLog.h"
#include "core/platform/FileIo.h"

#include <chrono>
#include <thread>

namespace orlo::cli {

namespace {

struct DetectOptions {
    int imageKind = 1;
    std::uint16_t flags = FUNCTION_HUMAN_DETECTION;
    bool blocks = false;
    int count = 1;
    int intervalMs = 0;
    std::string pngFile;
};

constexpr const char* DetectHelp =
    "usage: orloctl CONNECTION detect [--image 0|1|2] [--flags HEX] [--blocks] [--count N] [--interval MS]\n"
    "                                 [--png FILE] [--json]\n"
    "Runs N detection cycles (default 1) and prints one line per cycle:\n"
    "  time,results,plain results,indicator,left,top,right,bottom,area,size,false,value,...\n"
    "  --image   0 no picture, 1 320 x 240 (default), 2 160 x 120\n"
    "  --flags   function flags in hex (default 0001 human detection; 4000 motion detection)\n"
    "  --blocks  also ask for the 128 x 128 motion block\n"
    "  --interval  milliseconds from the start of one cycle to the next (default 0)\n"
    "  --png     write the last picture to FILE as a grey PNG\n";

bool ParseDetectOptions(const std::vector<std::string>& args, DetectOptions& options, std::string& error) {
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        const auto next = [&]() -> const std::string* { return i + 1 < args.size() ? &args[++i] : nullptr; };
        if (arg == "--blocks") {
            options.blocks = true;
            continue;
        }
        const std::string* value = next();
        if (value == nullptr) {
            error = arg.rfind("--", 0) == 0 ? arg + " needs a value" : "unexpected argument: " + arg;
            return false;
        }
        std::optional<long long> number;
        if (arg == "--image" && (number = ParseInteger(*value, 0, 2))) {
            options.imageKind = static_cast<int>(*number);
        } else if (arg == "--flags" && (number = ParseInteger(*value, 0, 0xFFFF, 16))) {
            options.flags = static_cast<std::uint16_t>(*number);
        } else if (arg == "--count" && (number = ParseInteger(*value, 1, 1'000'000))) {
            options.count = static_cast<int>(*number);
        } else if (arg == "--interval" && (number = ParseInteger(*value, 0, 3'600'000))) {
            options.intervalMs = static_cast<int>(*number);
        } else if (arg == "--png") {
            options.pngFile = *value;
        } else {
            error = arg.rfind("--", 0) == 0 ? "bad value for " + arg + ": " + *value
                                            : "unexpected argument: " + arg;
            return false;
        }
    }
    if (!options.pngFile.empty() && options.imageKind == 0) {
        error = "--png needs a picture (--image 1 or 2)";
        return false;
    }
    return true;
}

// The pause between cycles, cut short by an interruption; false when one came.
bool SleepUntil(const CommandContext& context, std::chrono::steady_clock::time_point until) {
    if (context.interruption != nullptr) {
        return context.interruption->SleepUntil(until);
    }
    std::this_thread::sleep_until(until);
    return true;
}

std::string JsonLine(const DetectionLogRecord& record) {
    std::string line = "{\"results\": [";
    for (std::size_t i = 0; i < record.results.size(); ++i) {
        const DetectionResult& r = record.results[i];
        line += (i == 0 ? "" : ", ") + std::string("{\"left\": ") + std::to_string(r.left) +
                ", \"top\": " + std::to_string(r.top) + ", \"right\": " + std::to_string(r.right) +
                ", \"bottom\": " + std::to_string(r.bottom) + ", \"value\": " + std::to_string(r.value) +
                ", \"areaMask\": " + std::to_string(r.excludedByAreaMask) +
                ", \"sizeMask\": " + std::to_string(r.excludedBySizeMask) +
                ", \"falseDetection\": " + std::to_string(r.excludedAsFalseDetection) + "}";
    }
    const std::string text = FormatDetectionLogLine(record);
    line += "], \"indicator\": " + std::string(record.indicator ? "true" : "false") +
            ", \"time\": " + JsonString(text.substr(0, text.find(','))) + "}\n";
    return line;
}

} // namespace

int RunDetect(const CommandContext& context) {
    if (context.options.help) {
        context.out << DetectHelp;
        return EXIT_OK;
    }
    DetectOptions options;
    std::string error;
    if (!ParseDetectOptions(context.options.arguments, options, error)) {
        return context.UsageFailure("detect: " + error);
    }
    CommandSession commandSession(context);
    DeviceSession& session = commandSession.session;
    int status = EXIT_OK;
    if (!context.Connect(session, status)) {
        return status;
    }
    CImageData lastPicture;
    for (int cycle = 0; cycle < options.count; ++cycle) {
        const auto start = std::chrono::steady_clock::now();
        DetectionLogRecord record{LocalTimestamp::Now(), {}, false};
        CImageData picture;
        std::vector<CImageData> blocks;
        const ResultCode result = DetectOnce(session, options.imageKind, options.blocks, options.flags,
                                             record.results, record.indicator, picture, blocks);
        if (result != RC_OK) {
            return context.DeviceFailure(result);
        }
        context.out << (context.options.json ? JsonLine(record) : FormatDetectionLogLine(record))
                    << std::flush;
        lastPicture = std::move(picture);
        if (cycle + 1 < options.count &&
            !SleepUntil(context, start + std::chrono::milliseconds(options.intervalMs))) {
            return context.DeviceFailure(RC_CANCELLED);
        }
    }
    if (!options.pngFile.empty()) {
        std::vector<std::uint8_t> png;
        const std::string name = PrintablePath(options.pngFile);
        if (CPngConverter::Encode(lastPicture, png) != ImageStatus::Ok) {
            return context.Failure("cannot write " + name + ": the picture cannot be encoded as PNG", -1);
        }
        std::error_code error;
        if (!WriteFileAtomically(options.pngFile, {reinterpret_cast<const char*>(png.data()), png.size()},
                                 &error)) {
            return context.Failure(FileWriteFailure(options.pngFile, error), -1);
        }
    }
    return EXIT_OK;
}

} // namespace orlo::cli
