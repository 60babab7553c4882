#include "gui/uikit/AlphaDC.h"
#include "gui/uikit/BasisDC.h"
#include "gui/uikit/ImageConvert.h"
#include "gui/uikit/Pictures.h"

#include <QtTest>

namespace orlo {

class DrawingTest : public QObject {
    Q_OBJECT

private:
    static QImage Solid(int width, int height, QColor colour) {
        QImage image(width, height, QImage::Format_RGB32);
        image.fill(colour);
        return image;
    }

    static bool IsColour(const QImage& image, int x, int y, QColor colour) {
        return image.pixelColor(x, y).rgb() == colour.rgb();
    }

private slots:
    void drawFittedLandscapeOnSquare() {
        CBasisDC dc;
        QVERIFY(dc.CreateSurface({600, 600}));
        dc.DrawFitted(Solid(320, 240, Qt::white));
        QCOMPARE(dc.Zoom(), 1.875);
        QCOMPARE(dc.Offset(), QPoint(0, 75));
        const QImage& surface = dc.SurfaceBitmap();
        QVERIFY(IsColour(surface, 0, 74, Qt::black));
        QVERIFY(IsColour(surface, 0, 75, Qt::white));
        QVERIFY(IsColour(surface, 599, 524, Qt::white));
        QVERIFY(IsColour(surface, 599, 525, Qt::black));
    }

    void drawFittedPortraitOnSquare() {
        CBasisDC dc;
        QVERIFY(dc.CreateSurface({600, 600}));
        dc.DrawFitted(Solid(240, 320, Qt::white));
        QCOMPARE(dc.Zoom(), 1.875);
        QCOMPARE(dc.Offset(), QPoint(75, 0));
        const QImage& surface = dc.SurfaceBitmap();
        QVERIFY(IsColour(surface, 74, 0, Qt::black));
        QVERIFY(IsColour(surface, 75, 0, Qt::white));
        QVERIFY(IsColour(surface, 524, 599, Qt::white));
        QVERIFY(IsColour(surface, 525, 599, Qt::black));
    }

    void drawFittedTakesLibraryPicturesInBothLayouts() {
        for (const bool raw : {true, false}) {
            CImageData picture(4, 2, ImageFormat::Bgr24, raw);
            // Top row blue, bottom row red, whatever the row order in memory.
            for (int x = 0; x < 4; ++x) {
                picture.Row(0)[x * 3] = 255;
                picture.Row(1)[x * 3 + 2] = 255;
            }
            CBasisDC dc;
            QVERIFY(dc.CreateSurface({40, 40}));
            dc.DrawFitted(picture);
            QCOMPARE(dc.Offset(), QPoint(0, 10));
            QCOMPARE(dc.SurfaceBitmap().pixelColor(20, 12), QColor(Qt::blue));
            QCOMPARE(dc.SurfaceBitmap().pixelColor(20, 27), QColor(Qt::red));
        }
    }

    void outlinesFollowTheTransform() {
        CBasisDC dc;
        QVERIFY(dc.CreateSurface({640, 640}));
        dc.DrawFitted(Solid(1600, 1200, Qt::black));
        QCOMPARE(dc.Zoom(), 0.4);
        QCOMPARE(dc.Offset(), QPoint(0, 80));
        QCOMPARE(dc.Map({100, 100}), QPoint(40, 120));
        QCOMPARE(dc.Map({-3, -3}), QPoint(-1, 79)); // truncation toward zero, then the offset
        QCOMPARE(dc.Map({1599, 1199}), QPoint(639, 559));

        dc.RectOutline({100, 100, 300, 200}, QPen(Qt::red, 1));
        const QImage& surface = dc.SurfaceBitmap();
        QVERIFY(IsColour(surface, 40, 120, Qt::red));
        QVERIFY(IsColour(surface, 80, 120, Qt::red));  // top edge
        QVERIFY(IsColour(surface, 120, 140, Qt::red)); // right edge
        QVERIFY(IsColour(surface, 80, 160, Qt::red));  // bottom edge at trunc(200 * 0.4) + 80
        QVERIFY(IsColour(surface, 40, 140, Qt::red));  // left edge
        QVERIFY(IsColour(surface, 80, 140, Qt::black));
        QVERIFY(IsColour(surface, 80, 161, Qt::black));
    }

    void circleOutlineIsNotFilled() {
        CBasisDC dc;
        QVERIFY(dc.CreateSurface({100, 100}));
        dc.Fill(Qt::black);
        dc.CircleOutline({50, 50}, 40, QPen(Qt::green, 1));
        const QImage& surface = dc.SurfaceBitmap();
        QVERIFY(IsColour(surface, 50, 50, Qt::black));
        QVERIFY(IsColour(surface, 30, 50, Qt::green) || IsColour(surface, 31, 50, Qt::green));
        QVERIFY(IsColour(surface, 50, 30, Qt::green) || IsColour(surface, 50, 31, Qt::green));
    }

    void surfaceBecomesALibraryPicture() {
        CBasisDC dc;
        QCOMPARE(dc.ToImage().HasPixels(), false);
        QVERIFY(dc.CreateSurface({3, 2}));
        dc.Fill(QColor(10, 20, 30));
        const CImageData picture = dc.ToImage();
        QCOMPARE(picture.Format(), ImageFormat::Bgra32);
        QCOMPARE(picture.Width(), 3);
        QCOMPARE(picture.Height(), 2);
        QVERIFY(picture.IsRaw());
        const std::uint8_t* last = picture.Row(1) + 2 * 4;
        QCOMPARE(int(last[0]), 30);
        QCOMPARE(int(last[1]), 20);
        QCOMPARE(int(last[2]), 10);
        QCOMPARE(int(last[3]), 255);
    }

    void emptyOrHugeSurfacesAreRefused() {
        CBasisDC dc;
        QVERIFY(!dc.CreateSurface({0, 10}));
        QVERIFY(!dc.CreateSurface({-5, 10}));
        dc.RectOutline({0, 0, 10, 10}, QPen(Qt::red)); // no surface: nothing to draw on
        dc.DrawFitted(Solid(10, 10, Qt::white));
        QVERIFY(dc.SurfaceBitmap().isNull());
    }

    void fillRectAlphaOnAnAlphaSurface() {
        CAlphaDC dc;
        QVERIFY(dc.CreateFilled({8, 8}, Qt::black, 0));
        QCOMPARE(dc.GetMode(), CAlphaDC::Mode::Alpha);
        dc.FillRectAlpha(2, 2, 4, 4, 0x80FF8040u); // transparency 0x80, blue 0xFF, green 0x80, red 0x40
        const QImage& surface = dc.SurfaceBitmap();
        QCOMPARE(surface.pixel(3, 3),
                 qRgba(0x40 * 255 / 256, 0x80 * 255 / 256, 0xFF * 255 / 256, 255 - 0x80));
        QCOMPARE(surface.pixel(5, 5), qRgba(63, 127, 254, 127));
        QCOMPARE(qAlpha(surface.pixel(1, 1)), 0);
        QCOMPARE(qAlpha(surface.pixel(6, 6)), 0);
    }

    void fillRectAlphaOnAPlainSurfaceFillsTheColour() {
        CAlphaDC dc;
        QVERIFY(dc.CreateFilled({8, 8}, Qt::white, 255));
        QCOMPARE(dc.GetMode(), CAlphaDC::Mode::Plain);
        dc.FillRectAlpha(QRect(0, 0, 4, 8), 0x80FF8040u);
        QCOMPARE(dc.SurfaceBitmap().pixelColor(1, 1), QColor(0x40, 0x80, 0xFF));
        QCOMPARE(dc.SurfaceBitmap().pixelColor(5, 1), QColor(Qt::white));
    }

    void fillRectAlphaIsClippedToTheSurface() {
        CAlphaDC dc;
        QVERIFY(dc.CreateFilled({4, 4}, Qt::black, 0));
        dc.FillRectAlpha(QRect(-10, 2, 100, 100), 0x00FFFFFFu);
        QCOMPARE(qAlpha(dc.SurfaceBitmap().pixel(0, 3)), 255);
        QCOMPARE(qAlpha(dc.SurfaceBitmap().pixel(3, 1)), 0);
    }

    void constantAlphaBlendIgnoresThePixelAlpha() {
        CAlphaDC fill;
        QVERIFY(fill.CreateFilled({100, 100}, QColor(255, 0, 0), 255));
        CBasisDC target;
        QVERIFY(target.CreateSurface({20, 20}));
        fill.AlphaBlendTo(target, QRect(0, 0, 10, 10), 100, false);
        const QColor blended = target.SurfaceBitmap().pixelColor(5, 5);
        QVERIFY2(qAbs(blended.red() - 100) <= 1, qPrintable(QString::number(blended.red())));
        QCOMPARE(blended.green(), 0);
        QCOMPARE(target.SurfaceBitmap().pixelColor(15, 15), QColor(Qt::black));

        // A half transparent surface blended without its pixel alpha counts as opaque.
        CAlphaDC translucent;
        QVERIFY(translucent.CreateFilled({10, 10}, QColor(0, 0, 255), 128));
        translucent.AlphaBlendTo(target, QRect(10, 10, 10, 10), 255, false);
        QCOMPARE(target.SurfaceBitmap().pixelColor(15, 15), QColor(Qt::blue));
    }

    void perPixelAlphaBlendLeavesTransparentPixels() {
        CAlphaDC dc;
        QVERIFY(dc.CreateFilled({10, 10}, Qt::black, 0));
        dc.FillRectAlpha(0, 0, 5, 10, 0x00FFFFFFu); // left half opaque white
        CBasisDC target;
        QVERIFY(target.CreateSurface({10, 10}));
        target.Fill(QColor(0, 0, 200));
        dc.AlphaBlendTo(target, QRect(0, 0, 10, 10), 255, true);
        QCOMPARE(target.SurfaceBitmap().pixelColor(2, 5), QColor(254, 254, 254));
        QCOMPARE(target.SurfaceBitmap().pixelColor(7, 5), QColor(0, 0, 200));
    }

    void lampPictureHasTransparentSurroundings() {
        CAlphaDC lamp;
        QVERIFY(lamp.CreateFromPicture(PIC_INDICATOR_LAMP));
        QCOMPARE(lamp.BitmapSize(), QSize(212, 213));
        QCOMPARE(qAlpha(lamp.SurfaceBitmap().pixel(0, 0)), 0);
        QCOMPARE(qAlpha(lamp.SurfaceBitmap().pixel(106, 106)), 255);
        QVERIFY(qRed(lamp.SurfaceBitmap().pixel(106, 106)) > 150);

        CAlphaDC missing;
        QVERIFY(!missing.CreateFromPicture(12345));
    }

    void everyNamedPictureExists() {
        for (const int id : {158, 162, 167, 168, 169, 170, 171, 172, 183, 189, 190,
                             900, 901, 902, 903, 904, 905, 906, 907, 908, 909}) {
            QVERIFY2(!LoadPicture(id).isNull(), qPrintable(QString::number(id)));
        }
        QCOMPARE(LoadPicture(PIC_COMMON_BUTTON).size(), QSize(240, 200));
        QCOMPARE(LoadPicture(PIC_DIRECTION_0).size(), QSize(240, 540));
        QCOMPARE(LoadPicture(PIC_DIRECTION_90).size(), QSize(216, 600));
        QCOMPARE(LoadPicture(PIC_JUDGE_LIST).pixel(0, 0), LIST_IMAGE_KEY);
    }
};

} // namespace orlo

QTEST_MAIN(orlo::DrawingTest)
#include "DrawingTest.moc"
