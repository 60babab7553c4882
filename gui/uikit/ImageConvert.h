#pragma once

#include "core/imaging/ImageData.h"

#include <QImage>

namespace orlo {

// A picture of the image library as a QImage, in either row layout; null for an empty picture.
QImage ToQImage(const CImageData& picture);

// A QImage of 16, 24 or 32 bits per pixel as a raw picture of the image library (Rgb565, Bgr24 or
// Bgra32); an empty picture for other depths.
CImageData ToImageData(const QImage& image);

} // namespace orlo
