#include "gui/editors/SizeSettingDlg.h"

#include "EditorFixture.h"
#include "core/device/DetectionSettingsCommands.h"
#include "gui/uikit/ImgButton.h"
#include "gui/uikit/RangeEdit.h"

#include <QHeaderView>
#include <QLabel>

namespace orlo {
namespace {

using namespace orlo::test;

constexpr double ZOOM = 600.0 / 320;

// The middle of a detection's left outline on the work surface.
QPoint LeftEdge(const CSizeSettingDlg& editor, const DetectionResult& detection) {
    const Rect pixels = editor.ToPicturePixels(CDetectionRunDlgBase::RectOf(detection));
    return {static_cast<int>(pixels.left * ZOOM),
            75 + static_cast<int>((pixels.top + pixels.bottom) / 2 * ZOOM)};
}

// Detections whose left outline no other outline or number crosses.
bool StandsAlone(const std::vector<DetectionResult>& detections, std::size_t index) {
    const DetectionResult& d = detections[index];
    for (std::size_t other = 0; other < detections.size(); ++other) {
        const DetectionResult& o = detections[other];
        if (other != index && o.left - 40 <= d.left && d.left <= o.right + 40 && o.top - 60 <= d.bottom &&
            d.top <= o.bottom + 40) {
            return false;
        }
    }
    return true;
}

// Pixels of about this colour (the text is smoothed over its shadow) in the box where a detection's
// number is drawn; the picture under it is grey.
int NumberPixels(const CSizeSettingDlg& editor, const DetectionResult& detection, const QColor& colour) {
    const QPoint at = editor.NumberPosition(detection);
    const QFontMetrics metrics(editor.font());
    int count = 0;
    // The rows above the outline's top edge.
    for (int y = at.y(); y < at.y() + metrics.height() - 2; ++y) {
        for (int x = at.x(); x < at.x() + metrics.horizontalAdvance(QStringLiteral("xx")); ++x) {
            if (!editor.WorkSurface().rect().contains(x, y)) {
                continue;
            }
            const QColor c = editor.WorkSurface().pixelColor(x, y);
            if (std::abs(c.red() - colour.red()) + std::abs(c.green() - colour.green()) +
                    std::abs(c.blue() - colour.blue()) <
                90) {
                ++count;
            }
        }
    }
    return count;
}

// Clicks into the field, selects its text and types the new one key by key.
void TypeInto(CRangeEdit& field, const QString& text) {
    QTest::mouseClick(&field, Qt::LeftButton);
    QTest::keyClick(&field, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(&field, text);
}

} // namespace

class SizeSettingDlgTest : public QObject {
    Q_OBJECT

private slots:
    void cleanup() { COrgMessageBox::ResetPresets(); }

    void sizeIsTheLargerSide() {
        DetectionResult detection;
        detection.left = 100;
        detection.top = 50;
        detection.right = 220;
        detection.bottom = 250;
        QCOMPARE(CSizeSettingDlg::DetectionSize(detection), 200);
        detection.right = 400;
        QCOMPARE(CSizeSettingDlg::DetectionSize(detection), 300);
    }

    void theListNumbersEachDetectionWithItsSize() {
        SimulatedSensor sensor;
        QVERIFY(sensor.started);
        CSizeSettingDlg editor(&sensor.session, &sensor.owner, 20, 1600);
        QCOMPARE(editor.MinimumField()->text(), QStringLiteral("20"));
        QCOMPARE(editor.MaximumField()->text(), QStringLiteral("1600"));
        QCOMPARE(editor.DetectionList()->rowCount(), 0);
        QVERIFY(ShowAndLoad(editor));
        QCOMPARE(editor.DisplayBox(), QRect(16, 48, 600, 600));
        QCOMPARE(editor.DetectionList()->pos(), QPoint(624, 48));
        const std::vector<DetectionResult>& detections = editor.Detections();
        QVERIFY(detections.size() >= 2);
        QCOMPARE(editor.DetectionList()->rowCount(), static_cast<int>(detections.size()));
        for (std::size_t i = 0; i < detections.size(); ++i) {
            const int row = static_cast<int>(i);
            QCOMPARE(editor.DetectionList()->item(row, 0)->text(), QString::number(i + 1));
            QCOMPARE(editor.DetectionList()->item(row, 1)->text(),
                     QString::number(std::max(detections[i].right - detections[i].left,
                                              detections[i].bottom - detections[i].top)));
            QCOMPARE(editor.DetectionList()->RowValue(row), static_cast<qint64>(i));
        }
        // Headed columns, and a hint between the picture and the buttons.
        QCOMPARE(editor.DetectionList()->horizontalHeaderItem(1)->text(), QStringLiteral("サイズ"));
        QVERIFY(!editor.DetectionList()->horizontalHeader()->isHidden());
        QVERIFY(editor.Hint()->isVisible());
        QVERIFY(editor.Hint()->geometry().top() > editor.DisplayBox().bottom());
        QVERIFY(editor.Hint()->geometry().bottom() < editor.OkButton()->geometry().top());
    }

    void outlinesFollowTheSizeMaskFlag() {
        SimulatedSensor sensor;
        QVERIFY(sensor.started);
        CSizeSettingDlg editor(&sensor.session, &sensor.owner, 20, 1600);
        QVERIFY(ShowAndLoad(editor));
        const auto checkColours = [&editor](const QColor& expected, bool flagged) {
            editor.repaint();
            const std::vector<DetectionResult>& detections = editor.Detections();
            int checked = 0;
            for (std::size_t i = 0; i < detections.size(); ++i) {
                QCOMPARE(detections[i].excludedBySizeMask, flagged ? 1 : 0);
                if (!StandsAlone(detections, i)) {
                    continue;
                }
                ++checked;
                QCOMPARE(editor.WorkSurface().pixelColor(LeftEdge(editor, detections[i])), expected);
                // Its number above its top-left corner, in the outline's colour over a black shadow.
                QVERIFY(NumberPixels(editor, detections[i], expected) > 3);
            }
            QVERIFY(checked > 0);
        };
        checkColours(QColor(141, 201, 77), false);

        // A size mask that excludes everything, then the picture again: all purple.
        QCOMPARE(SetSizeMaskVerified(sensor.session, {1599, 1600}), RC_OK);
        editor.UpdateImageButton()->click();
        QTRY_VERIFY(!editor.Detections().empty() && editor.Detections().front().excludedBySizeMask);
        checkColours(QColor(112, 48, 160), true);

        // The detection picked in the list is red, whatever its flag.
        ClickCell(*editor.DetectionList(), 1);
        QCOMPARE(editor.ListSelection(), 1);
        editor.repaint();
        const DetectionResult& picked = editor.Detections()[1];
        QCOMPARE(editor.WorkSurface().pixelColor(LeftEdge(editor, picked)), QColor(255, 0, 0));
        QVERIFY(NumberPixels(editor, picked, QColor(255, 0, 0)) > 3);
        QTest::mouseClick(editor.DetectionList()->viewport(), Qt::LeftButton, {},
                          QPoint(5, editor.DetectionList()->viewport()->height() - 3));
        QCOMPARE(editor.ListSelection(), -1);
        editor.repaint();
        QCOMPARE(editor.WorkSurface().pixelColor(LeftEdge(editor, picked)), QColor(112, 48, 160));
    }

    void noDetectionsLeaveOnlyThePicture() {
        SimulatedSensor sensor;
        QVERIFY(sensor.started);
        // The sensor reports only detections whose centre lies in its human detection area.
        QCOMPARE(SetHumanDetectionAreaVerified(sensor.session, {0, 0, 2, 2}), RC_OK);
        CSizeSettingDlg editor(&sensor.session, &sensor.owner, 100, 900);
        QVERIFY(ShowAndLoad(editor));
        QVERIFY(editor.Detections().empty());
        QCOMPARE(editor.DetectionList()->rowCount(), 0);
        editor.repaint();
        QImage picture = editor.WorkSurface().copy(0, 75, 600, 450);
        for (int y = 0; y < picture.height(); y += 3) {
            for (int x = 0; x < picture.width(); x += 3) {
                const QColor c = picture.pixelColor(x, y);
                QVERIFY(c.red() == c.green() && c.green() == c.blue()); // grey only
            }
        }
    }

    void cancelKeepsThePagesValues() {
        SimulatedSensor sensor;
        QVERIFY(sensor.started);
        CSizeSettingDlg editor(&sensor.session, &sensor.owner, 300, 700);
        QVERIFY(ShowAndLoad(editor));
        TypeInto(*editor.MinimumField(), QStringLiteral("500"));
        QTest::mouseClick(editor.CancelButton(), Qt::LeftButton);
        QCOMPARE(editor.result(), int(QDialog::Rejected));
        QCOMPARE(std::pair(editor.Minimum(), editor.Maximum()), std::pair(300, 700));
    }

    void okRefusesAMaximumBelowTheMinimumAndStaysOpen() {
        SimulatedSensor sensor;
        QVERIFY(sensor.started);
        CSizeSettingDlg editor(&sensor.session, &sensor.owner, 300, 700);
        QVERIFY(ShowAndLoad(editor));
        editor.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&editor));
        TypeInto(*editor.MinimumField(), QStringLiteral("1500"));
        TypeInto(*editor.MaximumField(), QStringLiteral("1200"));
        COrgMessageBox::PresetAnswer(MessageAnswer::Ok);
        QTest::mouseClick(editor.OkButton(), Qt::LeftButton);
        QCOMPARE(COrgMessageBox::AnsweredTexts(), QStringList{Text(1111)});
        QVERIFY(editor.isVisible());
        QCOMPARE(editor.MinimumField()->text(), QStringLiteral("1500"));
        QCOMPARE(editor.MaximumField()->text(), QStringLiteral("1200"));
        QCOMPARE(std::pair(editor.Minimum(), editor.Maximum()), std::pair(300, 700));

        // An equal pair is valid.
        TypeInto(*editor.MaximumField(), QStringLiteral("1500"));
        QTest::mouseClick(editor.OkButton(), Qt::LeftButton);
        QCOMPARE(COrgMessageBox::AnsweredTexts().size(), 1);
        QVERIFY(!editor.isVisible());
        QCOMPARE(editor.result(), int(QDialog::Accepted));
        QCOMPARE(std::pair(editor.Minimum(), editor.Maximum()), std::pair(1500, 1500));
    }

    void outOfRangeFieldsFollowTheRangeEdit() {
        SimulatedSensor sensor;
        QVERIFY(sensor.started);
        CSizeSettingDlg editor(&sensor.session, &sensor.owner, 5, 2000);
        // The page's values are shown within the range.
        QCOMPARE(editor.MinimumField()->text(), QStringLiteral("20"));
        QCOMPARE(editor.MaximumField()->text(), QStringLiteral("1600"));
        QVERIFY(ShowAndLoad(editor));
        editor.MinimumField()->setText(QString());
        editor.MaximumField()->setText(QStringLiteral("9999"));
        editor.OkButton()->click();
        QCOMPARE(editor.Minimum(), 20);
        QCOMPARE(editor.Maximum(), 1600);
    }
};

} // namespace orlo

QTEST_MAIN(orlo::SizeSettingDlgTest)
#include "SizeSettingDlgTest.moc"
