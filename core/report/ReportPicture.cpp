#include "core/report/ReportPicture.h"

#include "core/imaging/ImgDataConvert.h"
#include "core/monitor/PictureComposition.h"
#include "core/regions/SensorGeometry.h"

#include <algorithm>
#include <string>

namespace orlo {

namespace {

constexpr int RegionPenWidth = 2;
constexpr int DigitScale = 3;
constexpr int DigitWidth = 3;
constexpr int DigitHeight = 5;
constexpr Rgb LabelBackground{0, 0, 0};
constexpr std::uint8_t GREY_LEVEL = 128;

// 3 x 5 digits, one row a byte, bit 2 the left column.
constexpr std::array<std::array<std::uint8_t, DigitHeight>, 10> Digits{{
    {7, 5, 5, 5, 7},
    {2, 6, 2, 2, 7},
    {7, 1, 7, 4, 7},
    {7, 1, 7, 1, 7},
    {5, 5, 7, 1, 1},
    {7, 4, 7, 1, 7},
    {7, 4, 7, 5, 7},
    {7, 1, 1, 1, 1},
    {7, 5, 7, 5, 7},
    {7, 5, 7, 1, 7},
}};

class Canvas {
public:
    explicit Canvas(CImageData& image) : image_(image) {}

    void Fill(int left, int top, int right, int bottom, Rgb colour) {
        left = std::max(left, 0);
        top = std::max(top, 0);
        right = std::min(right, image_.Width());
        bottom = std::min(bottom, image_.Height());
        for (int y = top; y < bottom; ++y) {
            std::uint8_t* row = image_.Row(y);
            for (int x = left; x < right; ++x) {
                row[x * 3] = colour.blue;
                row[x * 3 + 1] = colour.green;
                row[x * 3 + 2] = colour.red;
            }
        }
    }

    // The pen is centred on the rectangle's edges, as a drawn outline is.
    void Outline(const Rect& r, Rgb colour, int width) {
        const int before = width / 2;
        const int after = width - before;
        Fill(r.left - before, r.top - before, r.right + after, r.top + after, colour);
        Fill(r.left - before, r.bottom - before, r.right + after, r.bottom + after, colour);
        Fill(r.left - before, r.top - before, r.left + after, r.bottom + after, colour);
        Fill(r.right - before, r.top - before, r.right + after, r.bottom + after, colour);
    }

    // The number on a dark plate with its top-left corner at (x, y).
    void Number(int x, int y, int number, Rgb colour) {
        const std::string digits = std::to_string(number);
        const int advance = (DigitWidth + 1) * DigitScale;
        Fill(x, y, x + static_cast<int>(digits.size()) * advance + DigitScale,
             y + (DigitHeight + 2) * DigitScale, LabelBackground);
        for (std::size_t i = 0; i < digits.size(); ++i) {
            const auto& glyph = Digits[static_cast<std::size_t>(digits[i] - '0')];
            const int left = x + DigitScale + static_cast<int>(i) * advance;
            for (int row = 0; row < DigitHeight; ++row) {
                for (int column = 0; column < DigitWidth; ++column) {
                    if (glyph[static_cast<std::size_t>(row)] & (4 >> column)) {
                        const int px = left + column * DigitScale;
                        const int py = y + DigitScale + row * DigitScale;
                        Fill(px, py, px + DigitScale, py + DigitScale, colour);
                    }
                }
            }
        }
    }

private:
    CImageData& image_;
};

// Nearest-sample enlargement so that the longer side is REPORT_PICTURE_LONG_SIDE.
CImageData Enlarged(const CImageData& colour) {
    const int longSide = std::max(colour.Width(), colour.Height());
    const int factor = std::max(1, REPORT_PICTURE_LONG_SIDE / std::max(1, longSide));
    CImageData large(colour.Width() * factor, colour.Height() * factor, ImageFormat::Bgr24, true);
    for (int y = 0; y < large.Height(); ++y) {
        const std::uint8_t* source = colour.Row(y / factor);
        std::uint8_t* row = large.Row(y);
        for (int x = 0; x < large.Width(); ++x) {
            std::copy_n(source + (x / factor) * 3, 3, row + x * 3);
        }
    }
    return large;
}

CImageData ColourPicture(const ReportScene& scene) {
    if (!scene.picture.HasPixels()) {
        // The frame's shape at the report's size, uniform grey as the monitoring page shows it.
        const int shortSide = REPORT_PICTURE_LONG_SIDE * SENSOR_SHORT_SIDE / SENSOR_LONG_SIDE;
        CImageData grey(scene.portrait ? shortSide : REPORT_PICTURE_LONG_SIDE,
                        scene.portrait ? REPORT_PICTURE_LONG_SIDE : shortSide, ImageFormat::Bgr24, true);
        grey.Fill(GREY_LEVEL);
        return grey;
    }
    CImageData raw = scene.picture;
    if (!raw.IsRaw()) {
        raw = CImageData(scene.picture.Width(), scene.picture.Height(), scene.picture.Format(), true);
        CImgDataConvert::ConvertRaw(scene.picture, raw);
    }
    if (raw.Format() == ImageFormat::Bgr24) {
        return raw;
    }
    CImageData colour(raw.Width(), raw.Height(), ImageFormat::Bgr24, true);
    CImgDataConvert::ConvertFormat(raw, colour);
    return colour;
}

void DrawRegions(Canvas& canvas, const std::vector<NumberedRegion>& regions, double scale, bool portrait,
                 Rgb colour) {
    for (const NumberedRegion& region : regions) {
        if (IsUnset(region.rect)) {
            continue;
        }
        const Rect r = SensorToImage(region.rect, scale, portrait);
        canvas.Outline(r, colour, RegionPenWidth);
        canvas.Number(std::min(r.left, r.right) + RegionPenWidth, std::min(r.top, r.bottom) + RegionPenWidth,
                      region.number, colour);
    }
}

} // namespace

CImageData ComposeReportPicture(const ReportScene& scene) {
    CImageData image = Enlarged(ColourPicture(scene));
    if (!image.HasPixels()) {
        return image;
    }
    Canvas canvas(image);
    const double scale = static_cast<double>(image.Width()) / SensorFrameSize(scene.portrait).width;
    const std::array<Rgb, 2> areaColours{HUMAN_AREA_COLOUR, MOTION_AREA_COLOUR};
    for (std::size_t i = 0; i < scene.detectionAreas.size(); ++i) {
        canvas.Outline(SensorToImage(scene.detectionAreas[i], scale, scene.portrait), areaColours[i],
                       RESULT_PEN_WIDTH);
    }
    DrawRegions(canvas, scene.areaMasks, scale, scene.portrait, AREA_MASK_REGION_COLOUR);
    DrawRegions(canvas, scene.motionMasks, scale, scene.portrait, MOTION_MASK_REGION_COLOUR);
    DrawRegions(canvas, scene.falseRects, scale, scene.portrait, FALSE_RECT_REGION_COLOUR);
    for (const DetectionResult& result : scene.results) {
        if (const auto colour = ResultColour(result, FILTER_ALL)) {
            canvas.Outline(
                SensorToImage({result.left, result.top, result.right, result.bottom}, scale, scene.portrait),
                *colour, RESULT_PEN_WIDTH);
        }
    }
    return image;
}

} // namespace orlo
