#include "EditorFixture.h"
#include "core/device/ResultMessage.h"
#include "core/regions/RectTracking.h"
#include "gui/editors/MotionMaskSettingDlg.h"
#include "gui/uikit/ImgButton.h"

#include <optional>

namespace orlo {
namespace {

using namespace orlo::test;

// The smallest editor on the base: the picture alone, with a load result the test can force.
class PictureEditor : public CDetectSettingSubDlgBace {
public:
    PictureEditor(DeviceSession* session, QWidget* owner) : CDetectSettingSubDlgBace(session, owner) {
        InitControls();
    }

    std::optional<ResultCode> forcedResult;
    int loads = 0;

protected:
    void LayoutControls() override {
        SetDisplayBox({8, 48});
        PlaceUpdateButton();
        PlaceOkCancel(664, 300, 340);
        WindowSizeForClient({616, 720});
    }
    ResultCode AcquireData(DeviceSession& session, CImageData& picture) override {
        ++loads;
        return forcedResult ? *forcedResult : CDetectSettingSubDlgBace::AcquireData(session, picture);
    }
    double ScaleFor(const CImageData&) const override { return MASK_EDITOR_SCALE; }
    void DrawSurface() override { DrawPictureOnWorkSurface(); }
};

} // namespace

class EditorBaseTest : public QObject {
    Q_OBJECT

private slots:
    void cleanup() { COrgMessageBox::ResetPresets(); }

    void loadsThePictureWhenShownAndOnUpdate() {
        SimulatedSensor sensor;
        QVERIFY(sensor.started);
        PictureEditor editor(&sensor.session, &sensor.owner);
        QVERIFY(!editor.HasPicture());
        QVERIFY(ShowAndLoad(editor));
        QCOMPARE(editor.loads, 1);
        QCOMPARE(editor.CurrentPicture().Width(), 320);
        QCOMPARE(editor.CurrentPicture().Height(), 240);
        QCOMPARE(editor.DisplayBox(), QRect(8, 48, 600, 600));
        QCOMPARE(editor.UpdateImageButton()->geometry(), QRect(16, 16, 24, 24));
        // The work surface shows the picture inside its rectangle and black around it.
        editor.repaint();
        QCOMPARE(editor.WorkSurface().pixelColor(300, 10), QColor(Qt::black));
        QCOMPARE(editor.WorkSurface().pixelColor(300, 580), QColor(Qt::black));
        editor.UpdateImageButton()->click();
        QTRY_COMPARE(editor.loads, 2);
        QVERIFY(editor.isVisible());
        QCOMPARE(sensor.owner.returnHome, 0);
    }

    void waitDurationFollowsTheBaudRate() {
        DeviceSession session;
        OwnerPage owner;
        PictureEditor editor(&session, &owner);
        QCOMPARE(editor.LoadDurationMs(), 48000); // 115200 until a serial connection chose another rate
        const std::pair<std::uint32_t, int> rates[] = {{9600, 380000},  {38400, 120000}, {115200, 48000},
                                                       {230400, 36000}, {460800, 28000}, {57600, 380000}};
        for (const auto& [baud, duration] : rates) {
            session.SetComParameters("/dev/ttyACM0", baud);
            QCOMPARE(editor.LoadDurationMs(), duration);
        }
    }

    void aTimedOutLoadSendsThePageHomeAndCloses() {
        SimulatedSensor sensor;
        QVERIFY(sensor.started);
        PictureEditor editor(&sensor.session, &sensor.owner);
        editor.forcedResult = RC_TIMEOUT;
        COrgMessageBox::PresetAnswer(MessageAnswer::Ok);
        editor.show();
        QTRY_VERIFY(!editor.isVisible());
        QCOMPARE(editor.result(), int(QDialog::Rejected));
        QCOMPARE(COrgMessageBox::AnsweredTexts(),
                 QStringList{QString::fromStdString(ResultMessage(RC_TIMEOUT))});
        QTRY_COMPARE(sensor.owner.returnHome, 1);
        QVERIFY(!editor.HasPicture());
    }

    void anyOtherLoadFailureOnlyCloses() {
        SimulatedSensor sensor;
        QVERIFY(sensor.started);
        PictureEditor editor(&sensor.session, &sensor.owner);
        editor.forcedResult = RC_SEND_FAILED;
        COrgMessageBox::PresetAnswer(MessageAnswer::Ok);
        editor.show();
        QTRY_VERIFY(!editor.isVisible());
        QCOMPARE(COrgMessageBox::AnsweredTexts(),
                 QStringList{QString::fromStdString(ResultMessage(RC_SEND_FAILED))});
        QTest::qWait(50);
        QCOMPARE(sensor.owner.returnHome, 0);
    }

    void anEditorWithoutALinkSaysSoAndCloses() {
        DeviceSession session;
        OwnerPage owner;
        std::vector<CTevoArea> masks(16);
        masks[2].SetRect({10, 10, 100, 100});
        CMotionMaskSettingDlg editor(&session, &owner, masks);
        COrgMessageBox::PresetAnswer(MessageAnswer::Ok);
        editor.show();
        QTRY_VERIFY(!editor.isVisible());
        QCOMPARE(editor.LoadResult(), RC_NO_LINK);
        QCOMPARE(COrgMessageBox::AnsweredTexts(),
                 QStringList{QString::fromStdString(ResultMessage(RC_NO_LINK))});
        QCOMPARE(editor.Masks()[2].GetRect(), (Rect{10, 10, 100, 100}));
        QCOMPARE(owner.returnHome, 0);
    }

    // The four mappings of the editor over its own picture for each mounting direction and both
    // angles of view: client -> sensor -> client within one pixel.
    void mappingsRoundTripInEveryDirection() {
        for (const int angle : {90, 50}) {
            for (std::uint8_t direction = 0; direction < 4; ++direction) {
                SimulatedSensor sensor(direction, angle);
                QVERIFY(sensor.started);
                QCOMPARE(sensor.session.Portrait(), direction % 2);
                QCOMPARE(sensor.session.AngleOfView(), angle);
                PictureEditor editor(&sensor.session, &sensor.owner);
                QVERIFY(ShowAndLoad(editor));
                const bool portrait = direction % 2 == 1;
                QCOMPARE(editor.PictureOffset(), portrait ? (Point{75, 0}) : (Point{0, 75}));
                const Rect image = editor.ImageRect();
                QCOMPARE(image, portrait ? (Rect{83, 48, 533, 648}) : (Rect{8, 123, 608, 573}));
                for (int step = 0; step <= 100; ++step) {
                    const int x = image.left + image.Width() * step / 100;
                    const int y = image.bottom - image.Height() * step / 100;
                    const Rect client{x, y, image.right - (x - image.left), y};
                    const Rect sensorRect = editor.SurfaceToSensor(editor.ClientToSurface(client));
                    const Rect back = editor.SurfaceToClient(editor.SensorToSurface(sensorRect));
                    QVERIFY2(std::abs(back.left - client.left) <= 1 && std::abs(back.top - client.top) <= 1 &&
                                 std::abs(back.right - client.right) <= 1 &&
                                 std::abs(back.bottom - client.bottom) <= 1,
                             qPrintable(QStringLiteral("direction %1 angle %2 at %3,%4")
                                            .arg(direction)
                                            .arg(angle)
                                            .arg(x)
                                            .arg(y)));
                    QVERIFY(sensorRect.left >= 0 && sensorRect.right < SensorFrameSize(portrait).width);
                    QVERIFY(sensorRect.top >= 0 && sensorRect.bottom < SensorFrameSize(portrait).height);
                }
                editor.reject();
            }
        }
    }
};

} // namespace orlo

QTEST_MAIN(orlo::EditorBaseTest)
#include "EditorBaseTest.moc"
