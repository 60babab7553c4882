// The sensor's side of a session as untrusted bytes: the commands that decode the largest and most
// varied responses run one after another on one stream. Besides never touching memory outside its
// buffers, a failed command must leave its outputs as they were.
#include "core/device/DetectionCommands.h"
#include "core/device/DetectionSettingsCommands.h"
#include "core/device/DeviceSession.h"
#include "core/device/SystemCommands.h"
#include "fuzz/StreamConnection.h"
#include "tests/support/TempDirectory.h"

#include <cstddef>
#include <cstdint>

namespace {

void Require(bool condition) {
    if (!condition) {
        __builtin_trap();
    }
}

// One session for the whole run: building one allocates and clears megabytes of buffers, which would
// cost more than the run itself. Its working directory has no command log switch.
orlo::DeviceSession& Session() {
    static const orlo::test::TempDirectory directory;
    static orlo::DeviceSession session(directory.Path());
    return session;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace orlo;
    fuzz::StreamConnection connection({data, size});
    DeviceSession& session = Session();
    session.Attach(connection, ConnectionType::Lan);

    DeviceInfo info;
    info.name = "unchanged";
    if (GetDeviceInfo(session, DeviceSession::CommandTimeoutMs, info) != RC_OK) {
        Require(info.name == "unchanged" && info.version4 == 0);
    }

    std::vector<DetectionResult> results;
    bool indicator = false;
    CImageData image;
    std::vector<CImageData> blocks;
    if (DetectOnce(session, 1, true, FUNCTION_MOTION_DETECTION, results, indicator, image, blocks) == RC_OK) {
        Require(results.size() <= 255 && blocks.size() == 1 &&
                std::size_t(image.Width()) * std::size_t(image.Height()) <= DeviceSession::ImageBufferSize);
    } else {
        Require(results.empty() && !indicator && !image.HasPixels() && blocks.empty());
    }

    CImageData picture;
    if (AcquireImage(session, 1, picture) == RC_OK) {
        Require(std::size_t(picture.Width()) * std::size_t(picture.Height()) <=
                DeviceSession::ImageBufferSize);
    } else {
        Require(!picture.HasPixels());
    }

    std::vector<CAreaMaskArea> masks;
    const ResultCode masksRead = ReadAreaMasks(session, masks);
    Require(masksRead == RC_OK ? masks.size() == AREA_MASK_SLOTS : masks.size() < AREA_MASK_SLOTS);
    session.Disconnect();
    return 0;
}
