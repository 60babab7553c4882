#include "gui/monitor/ResultPainter.h"

#include <QtTest>

namespace orlo {
namespace {

const QColor Green(141, 201, 77);
const QColor Orange(237, 125, 49);
const QColor HumanBlue(0, 94, 184);
const QColor MotionBlue(0, 153, 255);

CImageData Picture(int width, int height) {
    CImageData grey(width, height, ImageFormat::Grey8, true);
    grey.Fill(60);
    return DisplayForm(grey);
}

QColor At(const CResultPainter& painter, int x, int y) {
    return painter.Surface().pixelColor(x, y);
}

class ResultPainterTest : public QObject {
    Q_OBJECT

private slots:
    void PictureIsFittedAndResultsScaled() {
        CResultPainter painter;
        DisplaySnapshot snapshot{Picture(320, 240), {{800, 600, 1000, 900, 10, 0, 0, 0}}, false};
        PaintSettings settings;
        settings.showArea = {false, false};
        painter.DrawPicture(snapshot, settings);
        // 640 x 480 at (0, 80): black above, picture below.
        QCOMPARE(At(painter, 5, 79), QColor(Qt::black));
        QCOMPARE(At(painter, 5, 81).red(), 60);
        QCOMPARE(At(painter, 5, 560).red(), 0);
        // {800, 600, 1000, 900} -> {160, 120, 200, 180} in the picture -> {320, 320, 400, 440}.
        QCOMPARE(At(painter, 360, 320), Green);
        QCOMPARE(At(painter, 320, 380), Green);
        QCOMPARE(At(painter, 400, 380), Green);
        QCOMPARE(At(painter, 360, 440), Green);
        QCOMPARE(At(painter, 360, 380).red(), 60);
    }

    void PlaceholderUsesTheSameScale() {
        CResultPainter painter;
        DisplaySnapshot snapshot{{}, {{800, 600, 1000, 900, 10, 0, 0, 0}}, false};
        PaintSettings settings;
        settings.showArea = {false, false};
        painter.DrawPicture(snapshot, settings);
        QCOMPARE(At(painter, 5, 81).red(), 128);
        QCOMPARE(At(painter, 360, 320), Green);
        QCOMPARE(At(painter, 400, 380), Green);
    }

    void LampSizeFollowsTheMargin() {
        CResultPainter painter;
        DisplaySnapshot snapshot{Picture(320, 240), {}, true};
        PaintSettings settings;
        settings.showArea = {false, false};
        painter.DrawPicture(snapshot, settings);
        // 4:3 picture: margin 80, lamp 40 x 40 at (8, 8), red in its middle.
        const QColor lampCentre = At(painter, 28, 28);
        QVERIFY(lampCentre.red() > 150 && lampCentre.green() < 100);
        QCOMPARE(At(painter, 60, 28), QColor(Qt::black));

        painter.DrawPicture({Picture(240, 240), {}, true}, settings); // no margin, no lamp
        QCOMPARE(At(painter, 28, 28).red(), 60);
    }

    void FilterBitsChooseThePens() {
        const DetectionResult both{1, 2, 3, 4, 5, 1, 1, 0};
        const DetectionResult plain{1, 2, 3, 4, 5, 0, 0, 0};
        QColor colour;
        QVERIFY(!CResultPainter::PenForResult(both, 0, colour));
        QVERIFY(CResultPainter::PenForResult(plain, 0, colour));
        QCOMPARE(colour, Green);
        QVERIFY(CResultPainter::PenForResult(both, FILTER_ALL, colour));
        QCOMPARE(colour, Orange);
        QVERIFY(CResultPainter::PenForResult(both, FILTER_SIZE_MASK, colour));
        QCOMPARE(colour, QColor(112, 48, 160));
        QVERIFY(!CResultPainter::PenForResult({1, 2, 3, 4, 5, 0, 0, 1}, FILTER_AREA_MASK, colour));
    }

    void HiddenAreasAreNotDrawn() {
        CResultPainter painter;
        PaintSettings settings;
        settings.detectionAreas = {Rect{400, 400, 1200, 800}, UNSET_RECT};
        settings.showArea = {true, false};
        painter.DrawPicture({Picture(320, 240), {}, false}, settings);
        QCOMPARE(At(painter, 320, 240), HumanBlue); // {80, 80, 240, 160} -> (160, 240) .. (480, 400)
        settings.showArea = {false, false};
        painter.DrawPicture({Picture(320, 240), {}, false}, settings);
        QCOMPARE(At(painter, 320, 240).red(), 60);
    }

    // Each area has its own colour: the neighbour of the human area's rule is tested too.
    void EachDetectionAreaIsOutlinedInItsOwnColour() {
        CResultPainter painter;
        PaintSettings settings;
        settings.detectionAreas = {Rect{400, 400, 1200, 800}, Rect{400, 400, 1200, 800}};
        settings.showArea = {false, true};
        painter.DrawPicture({Picture(320, 240), {}, false}, settings);
        QCOMPARE(At(painter, 320, 240), MotionBlue);
        settings.showArea = {true, false};
        painter.DrawPicture({Picture(320, 240), {}, false}, settings);
        QCOMPARE(At(painter, 320, 240), HumanBlue);
    }
};

} // namespace
} // namespace orlo

QTEST_MAIN(orlo::ResultPainterTest)
#include "ResultPainterTest.moc"
