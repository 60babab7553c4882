#include "core/imaging/ImgDataConvert.h"

#include <cstring>

namespace orlo {

namespace {

bool SameSize(const CImageData& a, const CImageData& b) {
    return a.Width() == b.Width() && a.Height() == b.Height();
}

void GreyToBgr(const std::uint8_t* in, std::uint8_t* out, int width) {
    for (int x = 0; x < width; ++x) {
        const std::uint8_t v = in[x];
        out[0] = v;
        out[1] = v;
        out[2] = v;
        out += 3;
    }
}

void BgraToBgr(const std::uint8_t* in, std::uint8_t* out, int width) {
    for (int x = 0; x < width; ++x) {
        out[0] = in[0];
        out[1] = in[1];
        out[2] = in[2];
        in += 4;
        out += 3;
    }
}

void Rgb565ToBgr(const std::uint8_t* in, std::uint8_t* out, int width) {
    for (int x = 0; x < width; ++x) {
        const unsigned word = static_cast<unsigned>(in[0]) | (static_cast<unsigned>(in[1]) << 8);
        const unsigned r = (word >> 11) & 0x1F;
        const unsigned g = (word >> 5) & 0x3F;
        const unsigned b = word & 0x1F;
        out[0] = static_cast<std::uint8_t>((b << 3) | (b >> 2));
        out[1] = static_cast<std::uint8_t>((g << 2) | (g >> 4));
        out[2] = static_cast<std::uint8_t>((r << 3) | (r >> 2));
        in += 2;
        out += 3;
    }
}

using RowConverter = void (*)(const std::uint8_t*, std::uint8_t*, int);

ImageStatus CopyRows(const CImageData& source, CImageData& destination, bool destinationRaw) {
    if (&source == &destination) {
        return ImageStatus::InvalidArgument;
    }
    if (!SameSize(source, destination) || destination.Format() != source.Format() ||
        destination.IsRaw() != destinationRaw) {
        return ImageStatus::Mismatch;
    }
    const std::size_t rowBytes = static_cast<std::size_t>(source.Width()) *
                                 static_cast<std::size_t>(BitsPerPixel(source.Format()) / 8);
    for (int y = 0; y < source.Height(); ++y) {
        std::memcpy(destination.Row(y), source.Row(y), rowBytes);
    }
    return ImageStatus::Ok;
}

} // namespace

ImageStatus CImgDataConvert::ConvertFormat(const CImageData& source, CImageData& destination) {
    if (&source == &destination) {
        return ImageStatus::InvalidArgument;
    }
    if (!SameSize(source, destination) || !destination.IsRaw()) {
        return ImageStatus::Mismatch;
    }
    if (destination.Format() == source.Format()) {
        return CopyRows(source, destination, true);
    }
    if (destination.Format() != ImageFormat::Bgr24) {
        return ImageStatus::Unsupported;
    }
    RowConverter convert = nullptr;
    switch (source.Format()) {
    case ImageFormat::Grey8:
        convert = GreyToBgr;
        break;
    case ImageFormat::Bgra32:
        convert = BgraToBgr;
        break;
    case ImageFormat::Rgb565:
        convert = Rgb565ToBgr;
        break;
    case ImageFormat::Bgr24: // same format, copied above
        break;
    }
    if (convert == nullptr) {
        return ImageStatus::Unsupported;
    }
    for (int y = 0; y < source.Height(); ++y) {
        convert(source.Row(y), destination.Row(y), source.Width());
    }
    return ImageStatus::Ok;
}

ImageStatus CImgDataConvert::ConvertRaw(const CImageData& source, CImageData& destination) {
    return CopyRows(source, destination, true);
}

ImageStatus CImgDataConvert::ConvertBmp(const CImageData& source, CImageData& destination) {
    return CopyRows(source, destination, false);
}

} // namespace orlo
