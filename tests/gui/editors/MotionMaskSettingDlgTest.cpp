#include "gui/editors/MotionMaskSettingDlg.h"

#include "EditorFixture.h"
#include "core/device/DetectionSettingsCommands.h"
#include "gui/uikit/ImgButton.h"
#include "gui/uikit/OrgListCtrl.h"

namespace orlo {
namespace {

using namespace orlo::test;

const SurfaceTransform LANDSCAPE{600.0 / 1599, 0, 75};

bool NearBlack(QColor c) {
    return c.red() < 40 && c.green() < 40 && c.blue() < 40;
}
bool NearRed(QColor c) {
    return c.red() > 200 && c.green() < 60 && c.blue() < 60;
}

int CountPixels(const QImage& image, const QRect& area, bool (*matches)(QColor)) {
    int count = 0;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            count += matches(image.pixelColor(x, y)) ? 1 : 0;
        }
    }
    return count;
}

QRect ToQRect(const Rect& rect) {
    return QRect(rect.left, rect.top, rect.Width(), rect.Height());
}

} // namespace

class MotionMaskSettingDlgTest : public QObject {
    Q_OBJECT

private slots:
    void cleanup() { COrgMessageBox::ResetPresets(); }

    void aNewMaskHasNoJudgementAndItsRowOnlyNumberAndDelete() {
        SimulatedSensor sensor;
        QVERIFY(sensor.started);
        std::vector<CTevoArea> masks;
        QCOMPARE(ReadMotionMasks(sensor.session, masks), RC_OK);
        CMotionMaskSettingDlg editor(&sensor.session, &sensor.owner, masks);
        QCOMPARE(editor.windowTitle(), QStringLiteral("エリア設定"));
        QVERIFY(ShowAndLoad(editor));
        QVERIFY(!editor.DeleteAllButton()->isEnabled());
        Drag(editor, QPoint(100, 200), QPoint(260, 330));
        Drag(editor, QPoint(300, 300), QPoint(420, 450));
        COrgListCtrl& list = *editor.List();
        QCOMPARE(list.columnCount(), 3);
        QCOMPARE(list.rowCount(), 2);
        QCOMPARE(list.item(1, 1)->text(), QStringLiteral("1"));
        QVERIFY(!list.item(1, 2)->icon().isNull());
        QVERIFY(list.item(1, 2)->text().isEmpty());
        QCOMPARE(editor.Masks()[1].GetRect(), SurfaceToSensor(Rect{292, 252, 412, 402}, LANDSCAPE));
        QVERIFY(editor.DeleteAllButton()->isEnabled());

        // The delete image asks with the mask's number.
        COrgMessageBox::PresetAnswer(MessageAnswer::Yes);
        QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, list.visualItemRect(list.item(1, 2)).center());
        QTRY_COMPARE(COrgMessageBox::AnsweredTexts().size(), 1);
        QCOMPARE(COrgMessageBox::AnsweredTexts().front(),
                 QStringLiteral("No.1のエリアを削除します。\n削除してよろしいですか?"));
        QVERIFY(!editor.Masks()[1].IsSet());
        QVERIFY(editor.Masks()[0].IsSet());

        // Handed back as drawn and written to the sensor as they are.
        editor.OkButton()->click();
        QCOMPARE(ApplyMotionMasks(sensor.session, editor.Masks()), RC_OK);
        const sim::SensorSettings stored = sensor.simulator->settings();
        QCOMPARE(stored.motionMasks[0].left, editor.Masks()[0].GetRect().left);
        QCOMPARE(stored.motionMasks[0].bottom, editor.Masks()[0].GetRect().bottom);
        QVERIFY(!stored.motionMasks[1].isSet());
    }

    void masksArePaintedLilacWithTheirNumbers() {
        SimulatedSensor sensor;
        QVERIFY(sensor.started);
        std::vector<CTevoArea> masks(16);
        for (int slot = 0; slot < 16; ++slot) {
            masks[static_cast<std::size_t>(slot)].SetNumber(slot);
        }
        masks[4].SetRect({100, 100, 700, 600});
        masks[9].SetRect({900, 500, 1500, 1100});
        CMotionMaskSettingDlg editor(&sensor.session, &sensor.owner, masks);
        QVERIFY(ShowAndLoad(editor));
        editor.repaint();
        const QImage shown = editor.WorkSurface();
        // The picture is grey, so lilac (204, 166, 191) laid over it with opacity 100 leaves red 15
        // above green and 5 above blue wherever the mask lies, and nothing outside.
        const QRect area = ToQRect(SensorToPaintRect(masks[4].GetRect(), LANDSCAPE));
        for (const QPoint at : {area.topLeft() + QPoint(2, 2), area.bottomRight() - QPoint(2, 2),
                                QPoint(area.left() + 5, area.center().y() + 25)}) {
            const QColor c = shown.pixelColor(at);
            QVERIFY2(std::abs(c.red() - c.green() - 15) <= 2 && std::abs(c.red() - c.blue() - 5) <= 2,
                     qPrintable(c.name()));
        }
        const QColor outside = shown.pixelColor(area.left() - 2, area.top() - 2);
        QCOMPARE(outside.red(), outside.green());
        QCOMPARE(outside.red(), outside.blue());

        // The number 4 is black in the middle of its mask; selecting its row makes it red.
        const QRect middle(area.center() - QPoint(15, 15), QSize(30, 30));
        QVERIFY(CountPixels(shown, middle, NearBlack) > 3);
        QCOMPARE(CountPixels(shown, middle, NearRed), 0);
        COrgListCtrl& list = *editor.List();
        QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, list.visualItemRect(list.item(0, 1)).center());
        QCOMPARE(editor.ListSelection(), 4);
        editor.repaint();
        QVERIFY(CountPixels(editor.WorkSurface(), middle, NearRed) > 3);
        const QRect other = ToQRect(SensorToPaintRect(masks[9].GetRect(), LANDSCAPE));
        const QRect otherMiddle(other.center() - QPoint(15, 15), QSize(30, 30));
        QCOMPARE(CountPixels(editor.WorkSurface(), otherMiddle, NearRed), 0);
        QVERIFY(CountPixels(editor.WorkSurface(), otherMiddle, NearBlack) > 3);
        // A click on no row clears the list selection.
        QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, QPoint(10, list.viewport()->height() - 5));
        QCOMPARE(editor.ListSelection(), -1);
    }

    void deleteAllEmptiesEverySlotUpToTheLast() {
        SimulatedSensor sensor;
        QVERIFY(sensor.started);
        std::vector<CTevoArea> masks(MOTION_MASK_SLOTS);
        for (int slot = 0; slot < MOTION_MASK_SLOTS; ++slot) {
            masks[static_cast<std::size_t>(slot)].SetNumber(slot);
        }
        for (const std::size_t slot : {0U, 6U, 14U, 15U}) {
            masks[slot].SetRect({static_cast<int>(slot) * 90, 100, static_cast<int>(slot) * 90 + 80, 300});
        }
        CMotionMaskSettingDlg editor(&sensor.session, &sensor.owner, masks);
        QVERIFY(ShowAndLoad(editor));
        QCOMPARE(editor.List()->rowCount(), 4);
        COrgMessageBox::PresetAnswer(MessageAnswer::Yes);
        QTest::mouseClick(editor.DeleteAllButton(), Qt::LeftButton);
        QCOMPARE(COrgMessageBox::AnsweredTexts(), QStringList{Text(1130)});
        QCOMPARE(editor.Masks().size(), std::size_t{MOTION_MASK_SLOTS});
        for (std::size_t slot = 0; slot < editor.Masks().size(); ++slot) {
            QVERIFY2(!editor.Masks()[slot].IsSet(), qPrintable(QString::number(slot)));
        }
        QCOMPARE(editor.List()->rowCount(), 0);
        QVERIFY(!editor.DeleteAllButton()->isEnabled());
    }
};

} // namespace orlo

QTEST_MAIN(orlo::MotionMaskSettingDlgTest)
#include "MotionMaskSettingDlgTest.moc"
