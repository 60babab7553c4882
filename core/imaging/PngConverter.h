#pragma once

#include "core/imaging/ImageData.h"

#include <cstdint>
#include <span>
#include <vector>

namespace orlo {

// Decodes PNG file images into raw-layout pictures.
class CPngConverter {
public:
    // Grey files without transparency give Grey8, other files without transparency Bgr24, files with
    // an alpha channel or a transparency chunk Bgra32 (straight alpha). 16-bit samples are reduced to
    // 8 bits. Anything that is not a complete, valid PNG within the picture limits fails with BadData
    // or TooLarge and leaves the destination unchanged.
    static ImageStatus Decode(std::span<const std::uint8_t> file, CImageData& destination);
    // A PNG file image of a raw or display picture in Grey8 or Bgr24.
    static ImageStatus Encode(const CImageData& source, std::vector<std::uint8_t>& file);
};

} // namespace orlo
