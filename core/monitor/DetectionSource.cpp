#include "core/monitor/DetectionSource.h"

namespace orlo {

ResultCode SessionDetectionSource::Detect(int imageKind, bool wantBlocks, std::uint16_t functionFlags,
                                          std::vector<DetectionResult>& results, bool& indicator,
                                          CImageData& image, std::vector<CImageData>& blocks) {
    return DetectOnce(session_, imageKind, wantBlocks, functionFlags, results, indicator, image, blocks);
}

} // namespace orlo
