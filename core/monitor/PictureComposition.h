#pragma once

#include "core/device/DetectionCommands.h"
#include "core/imaging/ImageData.h"
#include "core/monitor/DrawingColours.h"
#include "core/regions/Geometry.h"

#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

namespace orlo {

// Result filter bits of the monitoring page's filter buttons.
inline constexpr int FILTER_AREA_MASK = 1;
inline constexpr int FILTER_SIZE_MASK = 2;
inline constexpr int FILTER_FALSE_DETECTION = 4;
inline constexpr int FILTER_ALL = 7;

// The pen colour of a result under the filter bits: the first exclusion the filter shows, green for
// a plain result; nothing when the result is not drawn.
std::optional<Rgb> ResultColour(const DetectionResult& result, int filterBits);

// The colour of the motion tint as stored in the configuration: red in bits 0-7, green 8-15, blue 16-23.
struct TintColour {
    std::uint8_t red = 255;
    std::uint8_t green = 215;
    std::uint8_t blue = 0;
    static TintColour FromConfig(std::int32_t value);
};

// Adds the 128 x 128 motion block, stretched over the motion detection area (nearest sample), at
// half strength in the tint colour. `picture` is Bgr24 in raw layout. The area is clipped to the
// picture, so a box reported outside the sensor frame never writes outside it.
CImageData OverlayDifference(const CImageData& picture, const CImageData& block, const Rect& motionArea,
                             bool portrait, TintColour colour);

// The Bgr24 display-layout form of any picture (grey, raw or display).
CImageData DisplayForm(const CImageData& picture);

// A uniform grey Bgr24 picture of the sensor frame's size, for cycles without a picture.
CImageData GreyFramePicture(bool portrait, bool displayLayout);

// What the painter shows: the last successful cycle.
struct DisplaySnapshot {
    CImageData picture; // Bgr24, display layout; empty before the first picture
    std::vector<DetectionResult> results;
    bool indicatorOn = false;
};

// One successful cycle as the acquisition loop reports it.
struct CycleInput {
    int imageKind = 0;
    bool motionCycleWithBlock = false; // a short-range motion cycle that asked for the block
    const CImageData* picture = nullptr;
    const CImageData* block = nullptr; // may be null or empty
    std::vector<DetectionResult> results;
    bool indicator = false;
    bool showDifference = true; // IsShowDiff of the short-range motion item
    TintColour tint;
    Rect motionArea = UNSET_RECT;
    bool portrait = false;
};

// Builds the displayed picture on the acquisition thread and hands it to the painter as one whole
// object, so painting never sees a half-written picture or result list.
class CycleComposer {
public:
    void Update(const CycleInput& input);
    std::shared_ptr<const DisplaySnapshot> Snapshot() const;

private:
    mutable std::mutex mutex_;
    std::shared_ptr<const DisplaySnapshot> current_ = std::make_shared<DisplaySnapshot>();
};

} // namespace orlo
