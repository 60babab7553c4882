#include "gui/settings/SystemDlg.h"

#include "core/device/SystemCommands.h"
#include "core/platform/CodePage.h"
#include "core/platform/IniDocument.h"
#include "gui/settings/USBTimeoutSettingDlg.h"
#include "gui/uikit/ImgButton.h"
#include "gui/uikit/OrgMFCButton.h"
#include "gui/uikit/OrgPropertyGrid.h"
#include "tests/gui/settings/PageFixture.h"
#include "tests/support/ScriptedPeer.h"

#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QRegularExpression>
#include <chrono>

namespace orlo {
namespace {

using namespace std::chrono_literals;
using test::ModalDriver;
using test::PageFixture;
using test::Text;
using Codes = std::vector<std::uint8_t>;

constexpr int MSG_RECONNECT_FAILED = 1102;
constexpr int MSG_SAVE_FAILED = 1107;
constexpr int MSG_SETTINGS_FILE = 1108;
constexpr int MSG_CONFIRM_RESTART = 1123;
constexpr int MSG_CONFIRM_INITIALIZE = 1124;
constexpr int MSG_CONFIRM_WRITE = 1125;
constexpr int MSG_CONFIRM_RECOVER = 1131;
constexpr int STR_REPORT_KEY_MODE = 9631;
constexpr int MSG_FILE_VALUE_REFUSED = 9800;
constexpr int MSG_FILE_UNMARKED_UTF8 = 9801;
constexpr int MSG_FILE_PARTLY_WRITTEN = 9802;

void Click(const PageFixture& f, SystemOperation operation) {
    f.system->Button(operation)->click();
}

// As a user does it: a mouse click on the page's button.
void ClickWithMouse(const PageFixture& f, SystemOperation operation) {
    QTest::mouseClick(f.system->Button(operation), Qt::LeftButton);
}

// The page's save, the file chosen in its dialog; false when the dialog did not come.
bool SaveWithButton(const PageFixture& f, const QString& file) {
    ModalDriver driver;
    driver.Then(ModalDriver::ChooseFile(file));
    ClickWithMouse(f, SystemOperation::Save);
    return driver.Done();
}

// The page's write of `file`, its message boxes answered in turn; false when the dialog did not come.
bool WriteWithButton(const PageFixture& f, const QString& file,
                     std::initializer_list<MessageAnswer> answers) {
    ModalDriver driver;
    driver.Then(ModalDriver::ChooseFile(file));
    for (const MessageAnswer answer : answers) {
        COrgMessageBox::PresetAnswer(answer);
    }
    ClickWithMouse(f, SystemOperation::Write);
    return driver.Done();
}

bool WriteBytes(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// A table text with its %d and %s replaced by the values in turn.
QString Filled(QString text, const QStringList& values) {
    for (const QString& value : values) {
        const QRegularExpression conversion(QStringLiteral("%[ds]"));
        const QRegularExpressionMatch match = conversion.match(text);
        if (match.hasMatch()) {
            text.replace(match.capturedStart(), 2, value);
        }
    }
    return text;
}

QByteArray FileText(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// A sensor that answers the connect procedure, the speed change and the restart.
std::optional<std::vector<std::uint8_t>> RecoveringSensor(const test::ScriptedPeer::Request& request) {
    switch (request.code) {
    case 0x00: {
        std::vector<std::uint8_t> info(19, 0);
        const std::string name = "Orlo-X1";
        std::copy(name.begin(), name.end(), info.begin());
        return test::ResponseFrame(0x00, info);
    }
    case 0x02:
        return test::ResponseFrame(0x00, {0});
    case 0x66:
    case 0x79:
        return test::ResponseFrame(0x00, std::vector<std::uint8_t>(8, 0xFF));
    default:
        return test::ResponseFrame(0x00);
    }
}

} // namespace

class SystemDlgTest : public QObject {
    Q_OBJECT

private slots:
    void init() { COrgMessageBox::ResetPresets(); }

    void NoToAnyConfirmationSendsNothing() {
        PageFixture f;
        f.AttachFake();
        f.ShowPage(PageId::System);
        for (int i = 0; i < 3; ++i) {
            COrgMessageBox::PresetAnswer(MessageAnswer::No);
        }
        Click(f, SystemOperation::Restart);
        Click(f, SystemOperation::Initialize);
        Click(f, SystemOperation::Recover);
        QCOMPARE(f.Shown(), (QStringList{Text(MSG_CONFIRM_RESTART), Text(MSG_CONFIRM_INITIALIZE),
                                         Text(MSG_CONFIRM_RECOVER)}));

        const QString file = f.directory.filePath(QStringLiteral("site.ini"));
        QFile(file).open(QIODevice::WriteOnly);
        ModalDriver driver;
        driver.Then(ModalDriver::ChooseFile(file));
        COrgMessageBox::PresetAnswer(MessageAnswer::No);
        Click(f, SystemOperation::Write);
        QVERIFY(driver.Done());
        QCOMPARE(f.Shown().last(), Text(MSG_CONFIRM_WRITE));

        // Cancelled file dialogs ask nothing more.
        driver.Then(ModalDriver::ChooseFile({})).Then(ModalDriver::ChooseFile({}));
        Click(f, SystemOperation::Save);
        Click(f, SystemOperation::Write);
        QVERIFY(driver.Done());
        QCOMPARE(f.Shown().size(), 4);
        QVERIFY(f.sensor.Codes().empty());
        QVERIFY(f.system->FilePath().isEmpty());
        QVERIFY(f.unexpectedBoxes.isEmpty());
    }

    void OverwriteQuestionAnsweredNoSendsNothing() {
        PageFixture f;
        f.AttachFake();
        f.ShowPage(PageId::System);
        const QString file = f.directory.filePath(QStringLiteral("existing.ini"));
        {
            QFile existing(file);
            QVERIFY(existing.open(QIODevice::WriteOnly));
            existing.write("keep me");
        }
        ModalDriver driver;
        driver.Then(ModalDriver::ChooseFile(file))
            .Then(ModalDriver::Answer(QMessageBox::No))
            .Then(ModalDriver::ChooseFile({}));
        Click(f, SystemOperation::Save);
        QVERIFY(driver.Done());
        QVERIFY(f.sensor.Codes().empty());
        QCOMPARE(FileText(file), QByteArray("keep me"));
        QVERIFY(f.Shown().isEmpty());
    }

    void BackUpChangeAndRestoreShowNothing() {
        PageFixture f;
        QVERIFY(f.ConnectSimulator());
        f.ShowPage(PageId::System);
        const sim::SensorSettings original = f.simulator->settings();
        const QString file = f.directory.filePath(QStringLiteral("backup"));
        ModalDriver driver;
        driver.Then(ModalDriver::ChooseFile(file));
        Click(f, SystemOperation::Save);
        QVERIFY(driver.Done());
        QCOMPARE(f.system->LastResult(), RC_OK);
        QCOMPARE(f.system->FilePath(), file); // used as typed, without ".ini"
        QVERIFY(FileText(file).contains("[Camera]"));
        QVERIFY(!QFile::exists(f.directory.filePath(QStringLiteral("tmp.ini"))));

        DeviceSession& session = f.Session();
        QCOMPARE(SetOperatingMode(session, 1000, 5), RC_OK);
        QCOMPARE(SetUsbSendTimeout(session, 1000, 777), RC_OK);
        QCOMPARE(SetMountingDirection(session, 1000, 1), RC_OK);
        QVERIFY(f.simulator->settings() != original);

        driver.Then(ModalDriver::ChooseFile(file));
        COrgMessageBox::PresetAnswer(MessageAnswer::Yes);
        Click(f, SystemOperation::Write);
        QVERIFY(driver.Done());
        QCOMPARE(f.system->LastResult(), RC_OK);
        QCOMPARE(f.Shown(), QStringList{Text(MSG_CONFIRM_WRITE)});
        QVERIFY(f.simulator->settings() == original);
        QCOMPARE(session.Portrait(), 0);
    }

    void ReportButtonSavesHtmlAndPdfStartingInTheProgramDirectory() {
        PageFixture f;
        QVERIFY(f.ConnectSimulator());
        f.ShowPage(PageId::System);
        QString startedIn;
        const QString html = f.directory.filePath(QStringLiteral("site-report"));
        ModalDriver driver;
        driver.Then(ModalDriver::AcceptReportDetails()).Then([&startedIn, html](QWidget* modal) {
            if (auto* dialog = qobject_cast<QFileDialog*>(modal)) {
                startedIn = dialog->directory().absolutePath();
            }
            return ModalDriver::ChooseFile(html)(modal);
        });
        Click(f, SystemOperation::Report);
        QVERIFY(driver.Done());
        QCOMPARE(startedIn, QDir::current().absolutePath());
        QCOMPARE(f.system->LastResult(), RC_OK);
        // A name without a suffix takes the chosen filter's, HTML first.
        QCOMPARE(f.system->FilePath(), html + QStringLiteral(".html"));
        const QByteArray document = FileText(html + QStringLiteral(".html"));
        QVERIFY(document.contains("data-key=\"Ditection.Threshold\""));
        // The simulator's mode 0 is named from the page's mode list.
        QVERIFY(document.contains((Text(STR_REPORT_KEY_MODE) + QString::fromUtf8(" (標準モード)")).toUtf8()));
        QVERIFY(document.contains("data:image/png;base64,"));

        const QString pdf = f.directory.filePath(QStringLiteral("site-report.PDF"));
        driver.Then(ModalDriver::AcceptReportDetails()).Then(ModalDriver::ChooseFile(pdf));
        Click(f, SystemOperation::Report);
        QVERIFY(driver.Done());
        QCOMPARE(f.system->LastResult(), RC_OK);
        const QByteArray printed = FileText(pdf);
        QVERIFY(printed.startsWith("%PDF"));
        // The picture is in it, not just the text.
        QVERIFY(printed.contains("/Image"));
        QVERIFY(f.Shown().isEmpty());
        QVERIFY(f.unexpectedBoxes.isEmpty());
    }

    void ReportOfASensorThatDoesNotAnswerWritesNoFile() {
        PageFixture f;
        QVERIFY(f.ConnectSimulator());
        f.ShowPage(PageId::System);
        std::string error;
        sim::FaultSet faults;
        QVERIFY(faults.add("error=0xF3@0x03", error));
        f.simulator->setFaults(faults);
        const QString file = f.directory.filePath(QStringLiteral("report.html"));
        ModalDriver driver;
        driver.Then(ModalDriver::AcceptReportDetails()).Then(ModalDriver::ChooseFile(file));
        COrgMessageBox::PresetAnswer(MessageAnswer::Ok);
        Click(f, SystemOperation::Report);
        QVERIFY(driver.Done());
        QCOMPARE(f.system->LastResult(), -0xF3);
        QVERIFY(!QFile::exists(file));
        QCOMPARE(f.Shown().size(), 1);
    }

    void FileLackingAKeyShows1108AndWritesNothing() {
        PageFixture f;
        f.AttachFake();
        f.ShowPage(PageId::System);
        const QString file = f.directory.filePath(QStringLiteral("partial.ini"));
        {
            QFile partial(file);
            QVERIFY(partial.open(QIODevice::WriteOnly));
            partial.write("[Camera]\r\nCamera=1\r\nMode=2\r\n");
        }
        ModalDriver driver;
        driver.Then(ModalDriver::ChooseFile(file));
        COrgMessageBox::PresetAnswer(MessageAnswer::Yes);
        COrgMessageBox::PresetAnswer(MessageAnswer::Ok);
        Click(f, SystemOperation::Write);
        QCOMPARE(f.system->LastResult(), RC_SETTINGS_FILE);
        QCOMPARE(f.Shown(), (QStringList{Text(MSG_CONFIRM_WRITE), Text(MSG_SETTINGS_FILE)}));
        QVERIFY(f.sensor.Codes().empty());
        f.DeliverPosted();
        QCOMPARE(f.window->CurrentPage(), PageId::System);
    }

    void FileValueTheSensorCannotTakeIsRefusedNamingKeyAndLine() {
        PageFixture f;
        QVERIFY(f.ConnectSimulator());
        f.ShowPage(PageId::System);
        const QString file = f.directory.filePath(QStringLiteral("backup.ini"));
        QVERIFY(SaveWithButton(f, file));
        IniDocument document = IniDocument::Parse(FileText(file).toStdString());
        QVERIFY(document.Set("Ditection", "Threshold", "70000"));
        QVERIFY(WriteBytes(file, QByteArray::fromStdString(document.Serialize())));
        const sim::SensorSettings before = f.simulator->settings();
        f.requests.Clear();
        QVERIFY(WriteWithButton(f, file, {MessageAnswer::Yes, MessageAnswer::Ok}));
        QCOMPARE(f.system->LastResult(), RC_SETTINGS_FILE);
        const QString refused = Filled(Text(MSG_FILE_VALUE_REFUSED),
                                       {QString::number(*document.LineNumber("Ditection", "Threshold")),
                                        "Ditection.Threshold", "70000", "1..1000"});
        QCOMPARE(f.Shown(), (QStringList{Text(MSG_CONFIRM_WRITE), Text(MSG_SETTINGS_FILE) + "\n" + refused}));
        QVERIFY(f.requests.Codes().empty());
        QVERIFY(f.simulator->settings() == before);
    }

    void LinkLostMidWriteSaysWhatWasWrittenAndWhatWasNot() {
        PageFixture f;
        QVERIFY(f.ConnectSimulator());
        f.ShowPage(PageId::System);
        const QString file = f.directory.filePath(QStringLiteral("backup.ini"));
        QVERIFY(SaveWithButton(f, file));
        std::string error;
        sim::FaultSet faults;
        QVERIFY(faults.add("drop-after=0@0x76", error)); // the first motion mask's answer
        f.simulator->setFaults(faults);
        QVERIFY(WriteWithButton(f, file, {MessageAnswer::Yes, MessageAnswer::Ok}));
        QCOMPARE(f.system->LastResult(), RC_SEND_FAILED);
        QCOMPARE(f.Shown().size(), 2);
        const QString partly =
            Filled(Text(MSG_FILE_PARTLY_WRITTEN),
                   {"Camera.Camera to AreaMask16", "MotionMask1 to OrloSetupFalseRect.Rect10"});
        QVERIFY2(f.Shown().back().endsWith("\n" + partly), qPrintable(f.Shown().back()));
    }

    void Utf8FileWithoutAMarkIsAskedAboutBeforeAnythingIsSent() {
        PageFixture f;
        QVERIFY(f.ConnectSimulator());
        f.ShowPage(PageId::System);
        QCOMPARE(SetDeviceInfoText(f.Session(), 1000, "入口"), RC_OK);
        const QString cp932 = f.directory.filePath(QStringLiteral("cp932.ini"));
        QVERIFY(SaveWithButton(f, cp932));
        QCOMPARE(SetDeviceInfoText(f.Session(), 1000, "A"), RC_OK);
        const QString utf8 = f.directory.filePath(QStringLiteral("utf8.ini"));
        QVERIFY(WriteBytes(utf8, QByteArray::fromStdString(*Cp932ToUtf8(FileText(cp932).toStdString()))));
        const sim::SensorSettings before = f.simulator->settings();
        f.requests.Clear();
        const QString question = Filled(Text(MSG_FILE_UNMARKED_UTF8), {QStringLiteral("入口")});
        QVERIFY(WriteWithButton(f, utf8, {MessageAnswer::Yes, MessageAnswer::No}));
        QCOMPARE(f.Shown(), (QStringList{Text(MSG_CONFIRM_WRITE), question}));
        QVERIFY(f.requests.Codes().empty());
        QVERIFY(f.simulator->settings() == before);

        // The user may still go on; a CP932 file is written without the question.
        QVERIFY(WriteWithButton(f, utf8, {MessageAnswer::Yes, MessageAnswer::Yes}));
        QCOMPARE(f.system->LastResult(), RC_OK);
        QVERIFY(WriteWithButton(f, cp932, {MessageAnswer::Yes}));
        QCOMPARE(f.system->LastResult(), RC_OK);
        QCOMPARE(f.Shown().mid(2), (QStringList{Text(MSG_CONFIRM_WRITE), question, Text(MSG_CONFIRM_WRITE)}));
        std::string text;
        QCOMPARE(GetDeviceInfoText(f.Session(), 1000, text), RC_OK);
        QCOMPARE(QString::fromStdString(text), QStringLiteral("入口"));
    }

    void RestartComesBackAfterTheSensorsSilence() {
        PageFixture f;
        sim::SimConfig config;
        config.restartSilence = 400ms;
        QVERIFY(f.ConnectSimulator(config));
        f.ShowPage(PageId::System);
        COrgMessageBox::PresetAnswer(MessageAnswer::Yes);
        const auto start = std::chrono::steady_clock::now();
        Click(f, SystemOperation::Restart);
        QCOMPARE(f.system->LastResult(), RC_OK);
        QVERIFY(std::chrono::steady_clock::now() - start >= 400ms);
        QCOMPARE(f.Shown(), QStringList{Text(MSG_CONFIRM_RESTART)});
        QVERIFY(f.Session().IsConnected());
        const Codes codes = f.requests.Codes();
        QCOMPARE(codes.front(), 0xFF);
        QCOMPARE(codes.back(), 0x00); // the reconnect's probe
        f.DeliverPosted();
        QCOMPARE(f.window->CurrentPage(), PageId::System);

        // Initialising restores the factory settings the same way.
        QCOMPARE(SetOperatingMode(f.Session(), 1000, 5), RC_OK);
        COrgMessageBox::PresetAnswer(MessageAnswer::Yes);
        Click(f, SystemOperation::Initialize);
        QCOMPARE(f.system->LastResult(), RC_OK);
        QCOMPARE(f.simulator->settings().operatingMode, 0);
        QCOMPARE(f.Shown().size(), 2);
    }

    void RestartThatNeverComesBackShows1102AndGoesHome() {
        PageFixture f;
        sim::SimConfig config;
        config.restartSilence = 10s;
        QVERIFY(f.ConnectSimulator(config));
        f.Session().SetReconnectLimit(600ms);
        f.ShowPage(PageId::System);
        COrgMessageBox::PresetAnswer(MessageAnswer::Yes);
        COrgMessageBox::PresetAnswer(MessageAnswer::Ok);
        Click(f, SystemOperation::Restart);
        QCOMPARE(f.system->LastResult(), RC_RECONNECT_FAILED);
        QCOMPARE(f.Shown().last(), Text(MSG_RECONNECT_FAILED));
        f.DeliverPosted();
        QCOMPARE(f.window->CurrentPage(), PageId::Home);
        QVERIFY(!f.window->NavigationButton(PageId::System)->isEnabled());
    }

    void RestartWithTheLinkGoneShows1107() {
        PageFixture f;
        f.AttachFake();
        f.ShowPage(PageId::System);
        f.Session().Disconnect();
        COrgMessageBox::PresetAnswer(MessageAnswer::Yes);
        COrgMessageBox::PresetAnswer(MessageAnswer::Ok);
        Click(f, SystemOperation::Restart);
        QCOMPARE(f.system->LastResult(), RC_NO_LINK);
        QCOMPARE(f.Shown(), (QStringList{Text(MSG_CONFIRM_RESTART), Text(MSG_SAVE_FAILED)}));
        QVERIFY(f.sensor.Codes().empty());
        f.DeliverPosted();
        QCOMPARE(f.window->CurrentPage(), PageId::System);
    }

    void SendFailureGoesHomeAsLinkLost() {
        PageFixture f;
        f.AttachFake();
        f.ShowPage(PageId::System);
        f.link.FailNextSend(0);
        COrgMessageBox::PresetAnswer(MessageAnswer::Yes);
        COrgMessageBox::PresetAnswer(MessageAnswer::Ok);
        Click(f, SystemOperation::Recover);
        QCOMPARE(f.system->LastResult(), RC_SEND_FAILED);
        f.DeliverPosted();
        QCOMPARE(f.window->CurrentPage(), PageId::Home);
        QVERIFY(!f.Session().IsConnected());
    }

    void RecoveryOverLanSendsTheSpeedOf115200() {
        test::TcpPeer peer(RecoveringSensor);
        PageFixture f;
        // A COM connection at 38400 came first; the LAN link does not use it.
        f.Session().SetComParameters("/dev/ttyACM0", 38400);
        QCOMPARE(ConnectLan(f.Session(), "127.0.0.1", peer.Port(), 90), RC_OK);
        SendMessageTo(f.window.get(), WM_DEVICE_CONNECTED);
        f.ShowPage(PageId::System);
        COrgMessageBox::PresetAnswer(MessageAnswer::Yes);
        Click(f, SystemOperation::Recover);
        QCOMPARE(f.system->LastResult(), RC_OK);
        QCOMPARE(f.Shown(), QStringList{Text(MSG_CONFIRM_RECOVER)});
        std::vector<test::ScriptedPeer::Request> requests = peer.Requests();
        const auto speed =
            std::find_if(requests.begin(), requests.end(), [](const auto& r) { return r.code == 0x0E; });
        QVERIFY(speed != requests.end());
        QCOMPARE(speed->payload, std::vector<std::uint8_t>{2});
        QCOMPARE((speed + 1)->code, 0xFF);
        QCOMPARE(peer.Accepted(), 2); // the link came back after the restart
        QVERIFY(f.Session().IsConnected());
    }

    void TimeoutButtonOpensTheUsbDialog() {
        PageFixture f;
        QVERIFY(f.ConnectSimulator());
        f.ShowPage(PageId::System);
        int shownSend = 0;
        ModalDriver driver;
        driver.Then([&shownSend](QWidget* modal) {
            auto* dialog = qobject_cast<CUSBTimeoutSettingDlg*>(modal);
            // Wait for the dialog's load to finish (its wait dialog is the modal window meanwhile).
            if (dialog == nullptr || dialog->SendItem()->GetValue().toInt() != 5000) {
                return false;
            }
            shownSend = dialog->SendItem()->GetValue().toInt();
            QTimer::singleShot(0, dialog, &QDialog::reject);
            return true;
        });
        Click(f, SystemOperation::Timeout);
        QVERIFY(driver.Done());
        QCOMPARE(shownSend, 5000);
        QCOMPARE(f.window->CurrentPage(), PageId::System);
        QVERIFY(f.system->CanLeavePage());
    }

    void UsbDialogTimeoutTakesTheWindowHome() {
        PageFixture f;
        f.AttachFake();
        f.ShowPage(PageId::System);
        f.sensor.silent = {0x18};
        COrgMessageBox::PresetAnswer(MessageAnswer::Ok);
        Click(f, SystemOperation::Timeout);
        QCOMPARE(f.Shown(), QStringList{Text(1104)});
        f.DeliverPosted();
        QCOMPARE(f.window->CurrentPage(), PageId::Home);
        QVERIFY(!f.Session().IsConnected());
    }

    void LayoutWithAndWithoutTheTimeoutSection() {
        DeviceSession session;
        CSystemDlgBase with(session, nullptr, true, {});
        CSystemDlgBase without(session, nullptr, false, {});
        const auto top = [](const CSystemDlgBase& page, SystemOperation operation) {
            return page.Button(operation)->y();
        };
        QCOMPARE(with.width(), 600);
        QVERIFY(!with.Button(SystemOperation::Timeout)->isHidden());
        QVERIFY(without.Button(SystemOperation::Timeout)->isHidden());
        const int section = top(with, SystemOperation::Timeout) - top(with, SystemOperation::Initialize);
        QCOMPARE(top(with, SystemOperation::Save) - top(without, SystemOperation::Save), section);
        QCOMPARE(with.height() - without.height(), section);
        QCOMPARE(with.Button(SystemOperation::Restart)->x(), 160);
        // The report section follows the recovery; the page ends 24 pixels below its button.
        QCOMPARE(top(with, SystemOperation::Report) -
                     with.Button(SystemOperation::Recover)->geometry().bottom() - 1,
                 40 + with.findChild<QLabel*>(QStringLiteral("reportLabel"))->height() + 8 +
                     with.findChild<QLabel*>(QStringLiteral("reportText"))->height() + 8);
        QCOMPARE(with.height(), with.Button(SystemOperation::Report)->geometry().bottom() + 1 + 24);
        // The comparison lies in the gap above the recovery, which stays 120 pixels below the write.
        const QRect write = with.Button(SystemOperation::Write)->geometry();
        const QRect compare = with.Button(SystemOperation::Compare)->geometry();
        QCOMPARE(compare.x(), 160);
        QVERIFY(compare.top() > write.bottom() + 8);
        QCOMPARE(with.findChild<QLabel*>(QStringLiteral("recoverLabel"))->y(), write.bottom() + 1 + 120);
        for (const QLabel* label : with.findChildren<QLabel*>()) {
            QVERIFY2(label->geometry().right() < with.width(), qPrintable(label->text()));
        }
    }
};

} // namespace orlo

QTEST_MAIN(orlo::SystemDlgTest)
#include "SystemDlgTest.moc"
