#pragma once

#include "core/device/DetectionCommands.h"
#include "core/imaging/ImageData.h"
#include "core/monitor/DrawingColours.h"
#include "core/regions/Geometry.h"

#include <array>
#include <cstdint>
#include <vector>

namespace orlo {

// The detection page's region colours, as its previews show them.
inline constexpr Rgb AREA_MASK_REGION_COLOUR{255, 255, 255};
inline constexpr Rgb MOTION_MASK_REGION_COLOUR{204, 166, 191};
inline constexpr Rgb FALSE_RECT_REGION_COLOUR{255, 0, 0};

// A region with the number shown beside it.
struct NumberedRegion {
    int number = 0;
    Rect rect = UNSET_RECT;
};

// What the report's picture shows, all rectangles in sensor coordinates.
struct ReportScene {
    CImageData picture; // the sensor's picture in any format; empty draws the uniform grey frame
    bool portrait = false;
    std::array<Rect, 2> detectionAreas{UNSET_RECT, UNSET_RECT}; // human, motion; unset = whole frame
    std::vector<NumberedRegion> areaMasks;
    std::vector<NumberedRegion> motionMasks;
    std::vector<NumberedRegion> falseRects;
    std::vector<DetectionResult> results;
};

// The side the picture is enlarged to (the sensor's 320 x 240 is too small on paper).
inline constexpr int REPORT_PICTURE_LONG_SIDE = 640;

// The report's picture, Bgr24 in raw layout: the sensor's picture enlarged, the detection areas in
// the monitoring page's colours, the set area masks, motion masks and false-detection rectangles
// numbered in the detection page's colours, and every result framed in the monitoring page's colour
// for why it was excluded (all exclusions shown). Unset slots are not drawn.
CImageData ComposeReportPicture(const ReportScene& scene);

} // namespace orlo
