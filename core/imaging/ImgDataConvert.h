#pragma once

#include "core/imaging/ImageData.h"

namespace orlo {

// Format and layout conversions between pictures. The caller prepares the destination with the
// source's width and height plus the target format and layout; a destination that does not fit is
// refused with Mismatch and left unchanged. Rows are matched top to bottom whatever the layouts.
class CImgDataConvert {
public:
    // Destination raw, format Bgr24 or the source's own (a plain copy). Grey keeps its level in
    // every channel; Bgra32 drops alpha; Rgb565 widens each channel to 8 bits.
    static ImageStatus ConvertFormat(const CImageData& source, CImageData& destination);
    // Same format; destination raw.
    static ImageStatus ConvertRaw(const CImageData& source, CImageData& destination);
    // Same format; destination in display layout.
    static ImageStatus ConvertBmp(const CImageData& source, CImageData& destination);
};

} // namespace orlo
