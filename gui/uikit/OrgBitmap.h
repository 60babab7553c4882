#pragma once

#include <QImage>

namespace orlo {

// The pixels behind a drawing surface: 16, 24 or 32 bits per pixel, rows padded to 4 bytes (QImage
// keeps every row 4-byte aligned). A 32-bit bitmap with alpha keeps the colour unpremultiplied.
class COrgBitmap {
public:
    // False, leaving the bitmap empty, for another depth or a size QImage cannot hold.
    bool Create(int width, int height, int bitsPerPixel, bool withAlpha = false);
    void Release();

    bool IsNull() const { return image_.isNull(); }
    int BitsPerPixel() const { return bitsPerPixel_; }
    QSize Size() const { return image_.size(); }
    QImage& Image() { return image_; }
    const QImage& Image() const { return image_; }

private:
    QImage image_;
    int bitsPerPixel_ = 0;
};

} // namespace orlo
