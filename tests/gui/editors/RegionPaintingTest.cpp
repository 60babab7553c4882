#include "gui/editors/MaskAreaDC.h"
#include "gui/editors/OrgRectTracker.h"

#include <QtTest>
#include <vector>

namespace orlo {
namespace {

QRect Bounds(const QImage& image, bool (*matches)(QColor)) {
    QRect bounds;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (matches(image.pixelColor(x, y))) {
                bounds |= QRect(x, y, 1, 1);
            }
        }
    }
    return bounds;
}

bool Dark(QColor c) {
    return c.red() < 60 && c.green() < 60 && c.blue() < 60;
}
bool Reddish(QColor c) {
    return c.red() > 150 && c.green() < 80 && c.blue() < 80;
}
bool HandleBlack(QColor c) {
    return c == QColor(Qt::black);
}

} // namespace

class RegionPaintingTest : public QObject {
    Q_OBJECT

private slots:
    void regionsAreBlendedWithOpacityHundredAndNumbered() {
        CBasisDC surface;
        QVERIFY(surface.CreateSurface({600, 600}));
        surface.Fill(QColor(40, 40, 40));
        CMaskAreaDC painter;
        QVERIFY(painter.CreateFill(0xFFFFFF));
        std::vector<CTevoArea> regions(3);
        regions[0] = CTevoArea(0, {0, 0, 400, 400});
        regions[2] = CTevoArea(2, {800, 800, 1200, 1000});
        const SurfaceTransform transform{600.0 / 1599, 0, 75};
        painter.DrawRegions(surface, transform, regions, -1, true, QFont());
        const QImage& image = surface.SurfaceBitmap();
        // 40 + (255 - 40) * 100 / 255 = 124.
        const Rect first = SensorToPaintRect(regions[0].GetRect(), transform);
        QVERIFY(std::abs(image.pixelColor(first.left + 1, first.top + 1).red() - 124) <= 1);
        QCOMPARE(image.pixelColor(first.right, first.top + 1), QColor(40, 40, 40));
        QCOMPARE(image.pixelColor(first.left + 1, first.bottom), QColor(40, 40, 40));
        // Nothing for the unset slot 1 at the surface origin.
        QCOMPARE(image.pixelColor(0, 75 + 160), QColor(40, 40, 40));

        // The number is centred on its region: the dark text pixels lie around the middle.
        const QImage firstRegion = image.copy(first.left, first.top, first.Width(), first.Height());
        const QRect text = Bounds(firstRegion, Dark);
        QVERIFY(!text.isEmpty());
        QVERIFY(std::abs(text.center().x() - first.Width() / 2) <= 3);
        QVERIFY(std::abs(text.center().y() - first.Height() / 2) <= text.height());
        QVERIFY(Bounds(firstRegion, Reddish).isEmpty());

        // Selected number 2: red label there.
        painter.DrawRegions(surface, transform, regions, 2, true, QFont());
        const Rect third = SensorToPaintRect(regions[2].GetRect(), transform);
        QVERIFY(!Bounds(image.copy(third.left, third.top, third.Width(), third.Height()), Reddish).isEmpty());
    }

    void trackerShowsItsHandlesInside() {
        CBasisDC surface;
        QVERIFY(surface.CreateSurface({600, 600}));
        surface.Fill(Qt::white);
        COrgRectTracker tracker;
        tracker.SetDrawingOrigin({8, 48});
        tracker.SetRect({108, 148, 208, 178}); // 100 x 30: middle handles on top and bottom only
        tracker.Draw(surface);
        const QImage& image = surface.SurfaceBitmap();
        QCOMPARE(Bounds(image, HandleBlack), QRect(100, 100, 100, 30));
        QVERIFY(HandleBlack(image.pixelColor(100, 100)));
        QVERIFY(HandleBlack(image.pixelColor(199, 129)));
        QVERIFY(HandleBlack(image.pixelColor(150, 100)));  // top middle
        QVERIFY(HandleBlack(image.pixelColor(150, 129)));  // bottom middle
        QVERIFY(!HandleBlack(image.pixelColor(100, 115))); // no left middle: height 30
        QVERIFY(!HandleBlack(image.pixelColor(120, 105)));

        // Tracking: the press moves the rectangle, bounds keep it in, release reports the change.
        tracker.SetBounds({8, 48, 608, 648});
        QVERIFY(!tracker.BeginTrack({50, 50}));
        QVERIFY(tracker.BeginTrack({150, 158}));
        tracker.TrackTo({800, 158});
        QCOMPARE(tracker.GetRect(), (Rect{508, 148, 608, 178}));
        QVERIFY(tracker.EndTrack());
        QVERIFY(tracker.BeginTrack({550, 158}));
        tracker.TrackTo({551, 158});
        tracker.TrackTo({550, 158});
        QVERIFY(!tracker.EndTrack());
        QVERIFY(tracker.BeginTrack({550, 158}));
        tracker.TrackTo({20, 20});
        tracker.CancelTrack();
        QCOMPARE(tracker.GetRect(), (Rect{508, 148, 608, 178}));
    }
};

} // namespace orlo

QTEST_MAIN(orlo::RegionPaintingTest)
#include "RegionPaintingTest.moc"
