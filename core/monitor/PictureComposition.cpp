#include "core/monitor/PictureComposition.h"

#include "core/imaging/ImgDataConvert.h"
#include "core/regions/SensorGeometry.h"

#include <algorithm>

namespace orlo {

std::optional<Rgb> ResultColour(const DetectionResult& result, int filterBits) {
    if ((filterBits & FILTER_AREA_MASK) && result.excludedByAreaMask) {
        return AREA_MASK_RESULT_COLOUR;
    }
    if ((filterBits & FILTER_SIZE_MASK) && result.excludedBySizeMask) {
        return SIZE_MASK_RESULT_COLOUR;
    }
    if ((filterBits & FILTER_FALSE_DETECTION) && result.excludedAsFalseDetection) {
        return FALSE_DETECTION_RESULT_COLOUR;
    }
    if (!result.IsPlain()) {
        return std::nullopt;
    }
    return PLAIN_RESULT_COLOUR;
}

TintColour TintColour::FromConfig(std::int32_t value) {
    const auto bits = static_cast<std::uint32_t>(value);
    return {static_cast<std::uint8_t>(bits & 0xFF), static_cast<std::uint8_t>((bits >> 8) & 0xFF),
            static_cast<std::uint8_t>((bits >> 16) & 0xFF)};
}

CImageData OverlayDifference(const CImageData& picture, const CImageData& block, const Rect& motionArea,
                             bool portrait, TintColour colour) {
    CImageData result = picture;
    if (!block.HasPixels() || !result.HasPixels() || result.Format() != ImageFormat::Bgr24) {
        return result;
    }
    const double scale = static_cast<double>(picture.Width()) / SensorFrameSize(portrait).width;
    const Rect box = SensorToImage(motionArea, scale, portrait);
    const int boxWidth = box.right - box.left;
    const int boxHeight = box.bottom - box.top;
    if (boxWidth <= 0 || boxHeight <= 0) {
        return result;
    }
    const double hx = static_cast<double>(block.Width()) / boxWidth;
    const double hy = static_cast<double>(block.Height()) / boxHeight;
    // The loops run over the box as the sensor gave it; only rows and columns inside the picture change.
    const int firstRow = std::max(0, -box.top);
    const int lastRow = std::min(boxHeight, result.Height() - box.top);
    const int firstColumn = std::max(0, -box.left);
    const int lastColumn = std::min(boxWidth, result.Width() - box.left);
    const auto add = [](std::uint8_t& channel, std::uint8_t tint, int v) {
        channel = static_cast<std::uint8_t>(std::min(255, channel + ((tint * v) >> 8)));
    };
    for (int i = firstRow; i < lastRow; ++i) {
        const std::uint8_t* blockRow = block.Row(static_cast<int>(i * hy));
        std::uint8_t* row = result.Row(box.top + i);
        for (int j = firstColumn; j < lastColumn; ++j) {
            const int v = blockRow[static_cast<int>(j * hx)] >> 1;
            std::uint8_t* pixel = row + (box.left + j) * 3;
            add(pixel[0], colour.blue, v);
            add(pixel[1], colour.green, v);
            add(pixel[2], colour.red, v);
        }
    }
    return result;
}

CImageData DisplayForm(const CImageData& picture) {
    if (picture.Format() == ImageFormat::Bgr24 && !picture.IsRaw()) {
        return picture;
    }
    CImageData raw = picture;
    if (!picture.IsRaw()) {
        raw = CImageData(picture.Width(), picture.Height(), picture.Format(), true);
        CImgDataConvert::ConvertRaw(picture, raw);
    }
    CImageData colour = raw;
    if (raw.Format() != ImageFormat::Bgr24) {
        colour = CImageData(raw.Width(), raw.Height(), ImageFormat::Bgr24, true);
        CImgDataConvert::ConvertFormat(raw, colour);
    }
    CImageData display(colour.Width(), colour.Height(), ImageFormat::Bgr24, false);
    CImgDataConvert::ConvertBmp(colour, display);
    return display;
}

CImageData GreyFramePicture(bool portrait, bool displayLayout) {
    const Extent frame = SensorFrameSize(portrait);
    CImageData grey(frame.width, frame.height, ImageFormat::Bgr24, !displayLayout);
    grey.Fill(128);
    return grey;
}

void CycleComposer::Update(const CycleInput& input) {
    const std::shared_ptr<const DisplaySnapshot> previous = Snapshot();
    auto next = std::make_shared<DisplaySnapshot>();
    const bool hasPicture = input.imageKind != 0 && input.picture != nullptr && input.picture->HasPixels();
    const CImageData source = hasPicture ? *input.picture : GreyFramePicture(input.portrait, false);
    CImageData colour(source.Width(), source.Height(), ImageFormat::Bgr24, true);
    CImgDataConvert::ConvertFormat(source, colour);
    if (input.motionCycleWithBlock) {
        if (input.block != nullptr && input.block->HasPixels() && input.showDifference) {
            next->picture = DisplayForm(
                OverlayDifference(colour, *input.block, input.motionArea, input.portrait, input.tint));
        } else {
            next->picture = previous->picture;
        }
    } else {
        next->picture = DisplayForm(colour);
    }
    next->results = input.results;
    next->indicatorOn = input.indicator;
    std::lock_guard lock(mutex_);
    current_ = std::move(next);
}

std::shared_ptr<const DisplaySnapshot> CycleComposer::Snapshot() const {
    std::lock_guard lock(mutex_);
    return current_;
}

} // namespace orlo
