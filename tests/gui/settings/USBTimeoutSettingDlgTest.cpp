#include "gui/settings/USBTimeoutSettingDlg.h"

#include "gui/uikit/ImgButton.h"
#include "gui/uikit/OrgPropertyGrid.h"
#include "tests/gui/settings/PageFixture.h"
#include "tests/support/FakeSensor.h"
#include "tests/support/TempDirectory.h"

#include <QKeyEvent>
#include <QSpinBox>
#include <QtTest>

namespace orlo {
namespace {

using test::Text;
using Codes = std::vector<std::uint8_t>;

constexpr int MSG_APPLY_MISMATCH = 1103;
constexpr int MSG_TIMEOUT = 1104;
constexpr int MSG_SEND_FAILED = 1112;

// Receives what the dialog posts to its owner.
class Owner : public QWidget {
public:
    std::vector<int> messages;

protected:
    bool event(QEvent* event) override {
        if (event->type() == MessageType(WM_RETURN_HOME) ||
            event->type() == MessageType(WM_RETURN_HOME_LINK_LOST)) {
            messages.push_back(static_cast<int>(event->type()));
            return true;
        }
        return QWidget::event(event);
    }
};

// The dialog over an in-memory sensor, shown without a modal run of its own so that each step can be
// driven to its end: the load runs when the posted request is delivered.
struct Fixture {
    test::TempDirectory directory;
    test::FakeConnection link;
    test::FakeSensor sensor{link};
    DeviceSession session{directory.Path()};
    Owner owner;
    std::unique_ptr<CUSBTimeoutSettingDlg> dialog;

    Fixture() {
        session.Attach(link, ConnectionType::Com);
        dialog = std::make_unique<CUSBTimeoutSettingDlg>(&owner, session);
    }
    ~Fixture() { COrgMessageBox::ResetPresets(); }

    void Open() {
        dialog->show();
        QCoreApplication::sendPostedEvents(dialog.get(), MessageType(WM_USB_TIMEOUT_LOAD));
        QCoreApplication::sendPostedEvents(&owner);
    }
    void Ok() {
        dialog->OkButton()->click();
        QCoreApplication::sendPostedEvents(&owner);
    }
    int Send() const { return dialog->SendItem()->GetValue().toInt(); }
    int Receive() const { return dialog->ReceiveItem()->GetValue().toInt(); }
    static const QStringList& Shown() { return COrgMessageBox::AnsweredTexts(); }
};

QSpinBox* Spin(const COrgPropertyGridProperty* property) {
    return qobject_cast<QSpinBox*>(property->GetEditor());
}

} // namespace

class USBTimeoutSettingDlgTest : public QObject {
    Q_OBJECT

private slots:
    void init() { COrgMessageBox::ResetPresets(); }

    void GridHoldsTheGroupAndBothTimeouts() {
        Fixture f;
        QCOMPARE(f.dialog->windowTitle(), QStringLiteral("タイムアウト値設定"));
        COrgPropertyGridCtrl& grid = *f.dialog->Grid();
        QCOMPARE(grid.GetPropertyCount(), 1);
        const COrgPropertyGridProperty& group = *grid.GetProperty(0);
        QCOMPARE(group.GetKind(), COrgPropertyGridProperty::Kind::Group);
        QCOMPARE(group.GetName(), Text(3200));
        QCOMPARE(f.dialog->SendItem()->GetName(), Text(3300));
        QCOMPARE(f.dialog->ReceiveItem()->GetName(), Text(3301));
        QCOMPARE(f.dialog->ReceiveItem()->GetData(), 1);
        QCOMPARE(f.Send(), 20000); // until the sensor's values are read
        QCOMPARE(f.dialog->SendItem()->GetRange().minimum, 100);
        QCOMPARE(f.dialog->SendItem()->GetRange().maximum, 20000);
        QVERIFY(f.dialog->Grid()->width() >= 280);
        QCOMPARE(f.dialog->OkButton()->geometry().right() + 1, f.dialog->Grid()->geometry().center().x() + 1);
    }

    void ShowsTheSensorsTimeouts() {
        Fixture f;
        f.Open();
        QCOMPARE(f.sensor.Codes(), (Codes{0x18, 0x1A}));
        QCOMPARE(f.Send(), 5000);
        QCOMPARE(f.Receive(), 3000);
        QVERIFY(f.dialog->isVisible());
        QVERIFY(f.Shown().isEmpty());
    }

    void OkWritesBothWithReadBackAndCloses() {
        Fixture f;
        f.Open();
        f.dialog->SendItem()->SetValue(250);
        f.dialog->ReceiveItem()->SetValue(20000);
        f.sensor.ClearCodes();
        f.Ok();
        QCOMPARE(f.sensor.Codes(), (Codes{0x17, 0x18, 0x19, 0x1A}));
        QCOMPARE(f.sensor.sendTimeoutMs, 250);
        QCOMPARE(f.sensor.receiveTimeoutMs, 20000);
        QVERIFY(!f.dialog->isVisible());
        QCOMPARE(f.dialog->result(), int(QDialog::Accepted));
        QVERIFY(f.Shown().isEmpty());
    }

    // A sensor holding time-outs outside the range that can be typed: they are shown as they are and
    // left alone unless the user changes them; what the user types is limited to the range.
    void TimeoutsOutsideTheRangeAreKeptUnlessEdited() {
        {
            Fixture f;
            f.sensor.sendTimeoutMs = 30000;
            f.sensor.receiveTimeoutMs = 50;
            f.Open();
            QCOMPARE(f.Send(), 30000);
            QCOMPARE(f.Receive(), 50);
            QCOMPARE(Spin(f.dialog->SendItem())->text(), QStringLiteral("30000"));
            QCOMPARE(Spin(f.dialog->ReceiveItem())->text(), QStringLiteral("50"));
            f.sensor.ClearCodes();
            f.Ok();
            QVERIFY(f.sensor.Codes().empty());
            QCOMPARE(f.sensor.sendTimeoutMs, 30000);
            QCOMPARE(f.sensor.receiveTimeoutMs, 50);
            QCOMPARE(f.dialog->result(), int(QDialog::Accepted));
        }
        Fixture f;
        f.sensor.sendTimeoutMs = 30000;
        f.sensor.receiveTimeoutMs = 50;
        f.Open();
        QSpinBox* receive = Spin(f.dialog->ReceiveItem());
        receive->selectAll();
        QTest::keyClicks(receive, QStringLiteral("99999"));
        f.sensor.ClearCodes();
        f.Ok();
        QCOMPARE(f.sensor.Codes(), (Codes{0x19, 0x1A}));
        QCOMPARE(f.sensor.receiveTimeoutMs, 20000);
        QCOMPARE(f.sensor.sendTimeoutMs, 30000);
        QVERIFY(f.Shown().isEmpty());
    }

    void ValueStoredDifferentlyShows1103AndStaysOpen() {
        Fixture f;
        f.Open();
        f.sensor.storeTimeout = [](std::uint16_t ms) { return static_cast<std::uint16_t>(ms / 1000 * 1000); };
        f.dialog->SendItem()->SetValue(1234);
        COrgMessageBox::PresetAnswer(MessageAnswer::Ok);
        f.Ok();
        QCOMPARE(f.Shown(), QStringList{Text(MSG_APPLY_MISMATCH)});
        QVERIFY(f.dialog->isVisible());
        QCOMPARE(f.Send(), 1234); // the user's value stays
        QVERIFY(f.owner.messages.empty());
    }

    void NoLinkShowsCode1hAndCloses() {
        Fixture f;
        f.session.Disconnect();
        COrgMessageBox::PresetAnswer(MessageAnswer::Ok);
        f.Open();
        QCOMPARE(f.Shown().size(), 1);
        QVERIFY(f.Shown().first().contains(QStringLiteral("(コード:1h)")));
        QVERIFY(!f.dialog->isVisible());
        QCOMPARE(f.dialog->result(), int(QDialog::Rejected));
        QVERIFY(f.owner.messages.empty());
        QVERIFY(f.sensor.Codes().empty());
    }

    void LoadFailuresCloseAndSendTheOwnerHome() {
        {
            Fixture f;
            f.sensor.silent = {0x1A};
            COrgMessageBox::PresetAnswer(MessageAnswer::Ok);
            f.Open();
            QCOMPARE(f.Shown(), QStringList{Text(MSG_TIMEOUT)});
            QVERIFY(!f.dialog->isVisible());
            QCOMPARE(f.owner.messages, std::vector<int>{WM_RETURN_HOME});
            QCOMPARE(f.Send(), 20000); // nothing half-loaded is shown
        }
        Fixture f;
        f.link.FailNextSend(0);
        COrgMessageBox::PresetAnswer(MessageAnswer::Ok);
        f.Open();
        QCOMPARE(f.Shown(), QStringList{Text(MSG_SEND_FAILED)});
        QVERIFY(!f.dialog->isVisible());
        QCOMPARE(f.owner.messages, std::vector<int>{WM_RETURN_HOME_LINK_LOST});
    }

    void ApplyFailuresCloseOnlyAfterATimeout() {
        Fixture f;
        f.Open();
        f.dialog->SendItem()->SetValue(250);
        f.link.FailNextSend(0);
        COrgMessageBox::PresetAnswer(MessageAnswer::Ok);
        f.Ok();
        QCOMPARE(f.Shown(), QStringList{Text(MSG_SEND_FAILED)});
        QVERIFY(f.dialog->isVisible());
        QVERIFY(f.owner.messages.empty());

        f.sensor.silent = {0x18};
        COrgMessageBox::PresetAnswer(MessageAnswer::Ok);
        f.Ok();
        QCOMPARE(f.Shown().last(), Text(MSG_TIMEOUT));
        QVERIFY(!f.dialog->isVisible());
        QCOMPARE(f.owner.messages, std::vector<int>{WM_RETURN_HOME});
    }

    void CancelAndEscapeCloseWithoutWriting() {
        Fixture f;
        f.Open();
        f.sensor.ClearCodes();
        f.dialog->SendItem()->SetValue(999);
        QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
        QCoreApplication::sendEvent(f.dialog.get(), &enter);
        QVERIFY(f.dialog->isVisible());
        QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
        QCoreApplication::sendEvent(f.dialog.get(), &escape);
        QVERIFY(!f.dialog->isVisible());
        QCOMPARE(f.dialog->result(), int(QDialog::Rejected));
        f.dialog->show();
        f.dialog->CancelButton()->click();
        QVERIFY(!f.dialog->isVisible());
        QVERIFY(f.sensor.Codes().empty());
    }
};

} // namespace orlo

QTEST_MAIN(orlo::USBTimeoutSettingDlgTest)
#include "USBTimeoutSettingDlgTest.moc"
