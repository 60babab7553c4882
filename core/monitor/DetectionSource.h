#pragma once

#include "core/device/DetectionCommands.h"
#include "core/device/DeviceSession.h"
#include "core/device/ResultCode.h"
#include "core/imaging/ImageData.h"

#include <cstdint>
#include <vector>

namespace orlo {

// One detection exchange with the sensor, as the acquisition loop asks for it. Same contract as
// DetectOnce: the outputs are written only on success, results and blocks are appended to.
class DetectionSource {
public:
    virtual ~DetectionSource() = default;
    virtual ResultCode Detect(int imageKind, bool wantBlocks, std::uint16_t functionFlags,
                              std::vector<DetectionResult>& results, bool& indicator, CImageData& image,
                              std::vector<CImageData>& blocks) = 0;
};

// The sensor behind a device session.
class SessionDetectionSource final : public DetectionSource {
public:
    explicit SessionDetectionSource(DeviceSession& session) : session_(session) {}

    ResultCode Detect(int imageKind, bool wantBlocks, std::uint16_t functionFlags,
                      std::vector<DetectionResult>& results, bool& indicator, CImageData& image,
                      std::vector<CImageData>& blocks) override;

private:
    DeviceSession& session_;
};

} // namespace orlo
