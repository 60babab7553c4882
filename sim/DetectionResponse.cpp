#include "sim/DetectionResponse.h"

#include "sim/CommandCodes.h"
#include "sim/DetectionJudge.h"
#include "sim/SensorView.h"
#include "sim/WireBuffer.h"

namespace orlo::sim {

bool isValidImageCode(std::uint8_t imageCode) {
    const std::uint8_t high = imageCode & 0xF0;
    return (imageCode & 0x0F) <= 2 && (high == 0 || high == kImageCodeBlocks);
}

std::vector<std::uint8_t> buildDetectionPayload(const Scene& scene, const SensorSettings& settings,
                                                std::uint16_t functionFlags, std::uint8_t imageCode,
                                                bool corruptChecksum) {
    const SensorView view(scene, settings.direction);
    std::vector<DetectionRecord> records;
    if (functionFlags & (kFuncHuman | kFuncBlockB | kFuncMotion)) {
        records = DetectionJudge(settings).judge(view.detections());
    }

    std::vector<std::uint8_t> out;
    WireBuffer w(out);
    w.u8(static_cast<std::uint8_t>(records.size()));
    w.u8(0);
    w.u8(DetectionJudge::stateByte(records));
    w.u8(0);
    for (const auto& r : records) {
        w.s16(r.left);
        w.s16(r.top);
        w.s16(r.right);
        w.s16(r.bottom);
        w.u16(r.info);
    }
    std::uint16_t sum = 0;
    for (auto b : out) {
        sum = static_cast<std::uint16_t>(sum + b);
    }
    w.u16(corruptChecksum ? static_cast<std::uint16_t>(sum ^ 0x5A5A) : sum);

    const int kind = imageCode & 0x0F;
    if (kind != 0) {
        const int longSide = kind == 1 ? 320 : 160;
        const int shortSide = kind == 1 ? 240 : 120;
        const int width = settings.portrait() ? shortSide : longSide;
        const int height = settings.portrait() ? longSide : shortSide;
        w.u16(static_cast<std::uint16_t>(width));
        w.u16(static_cast<std::uint16_t>(height));
        const std::size_t at = out.size();
        out.resize(at + static_cast<std::size_t>(width) * height);
        view.renderPicture(width, height, std::span(out).subspan(at));
    }

    if ((imageCode & 0xF0) == kImageCodeBlocks) {
        for (std::uint16_t flag : {kFuncMotion, kFuncBlockB}) {
            if (!(functionFlags & flag)) {
                continue;
            }
            // Leading 4 bytes: block width and height.
            w.u16(kBlockSide);
            w.u16(kBlockSide);
            const std::size_t at = out.size();
            out.resize(at + kBlockSide * kBlockSide);
            if (flag == kFuncMotion) {
                view.renderDifference(settings.motionArea, settings.motionMasks, std::span(out).subspan(at));
            } else {
                view.renderDifference(Rect16{}, {}, std::span(out).subspan(at));
            }
        }
    }
    return out;
}

} // namespace orlo::sim
