#pragma once

#include "gui/uikit/BasisDC.h"

#include <QColor>
#include <cstdint>

class QPainter;

namespace orlo {

// A drawing surface meant to be blended onto others. A plain surface is opaque; an alpha surface keeps
// an alpha value per pixel (unpremultiplied) so a picture with transparent surroundings blends cleanly.
class CAlphaDC : public CBasisDC {
public:
    enum class Mode { Plain = 0, Alpha = 1 };

    // A program picture stretched to size, or at its own size; an alpha surface. False without it.
    bool CreateFromPicture(int pictureId, QSize size);
    bool CreateFromPicture(int pictureId);
    // The image stretched to size, or at its own size. Plain copies the colours and drops the alpha.
    bool CreateFromImage(const QImage& image, QSize size, Mode mode);
    bool CreateFromImage(const QImage& image, Mode mode);
    // A plain surface of one colour; alpha (0..255) becomes every pixel's alpha when it is below 255.
    bool CreateFilled(QSize size, const QColor& colour, int alpha);

    // Blends source (surface pixels) onto destination of painter: the result is the source scaled by
    // constantAlpha / 255 (and by each pixel's alpha with perPixelAlpha) over what is there.
    void AlphaBlendTo(QPainter& painter, const QRect& destination, const QRect& source, int constantAlpha,
                      bool perPixelAlpha) const;
    void AlphaBlendTo(CBasisDC& target, const QRect& destination, const QRect& source, int constantAlpha,
                      bool perPixelAlpha) const;
    // The whole surface onto destination.
    void AlphaBlendTo(CBasisDC& target, const QRect& destination, int constantAlpha,
                      bool perPixelAlpha) const;

    // colour is 0xTTBBGGRR with TT the transparency. On an alpha surface every pixel of the rectangle
    // becomes blue, green and red times 255/256 with alpha 255 - TT; on a plain surface the colour.
    void FillRectAlpha(const QRect& rect, std::uint32_t colour);
    void FillRectAlpha(int x, int y, int width, int height, std::uint32_t colour);

    Mode GetMode() const { return mode_; }
    QSize BitmapSize() const { return SurfaceSize(); }

private:
    Mode mode_ = Mode::Plain;
};

} // namespace orlo
