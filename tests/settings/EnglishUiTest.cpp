#include "app/MiraSettingsApp.h"
#include "app/WaitDlg.h"
#include "app/config/AppConfig.h"
#include "connect/ComConnectDlg.h"
#include "connect/IPAddressSearchDlg.h"
#include "connect/LanConnectDlg.h"
#include "regions/editors/AreaMaskJudgeSettingDlg.h"
#include "regions/editors/AreaSettingDlg.h"
#include "regions/editors/DetectAreaSettingDlg.h"
#include "regions/editors/FalseRectDlg.h"
#include "regions/editors/MotionMaskSettingDlg.h"
#include "regions/editors/SizeSettingDlg.h"
#include "settings/SettingHomeDlg.h"
#include "settings/USBTimeoutSettingDlg.h"
#include "tests/settings/EditorSteps.h"
#include "tests/settings/MonitoredWindow.h"
#include "tests/settings/WidgetTextChecks.h"
#include "uikit/ImgButton.h"
#include "uikit/OrgComboBox.h"
#include "uikit/StringText.h"

#include <QCheckBox>
#include <QDir>

namespace orlo {
namespace {

using test::ModalDriver;
using test::OnLoadedEditor;
using test::PageFixture;

constexpr int SLOW = 30000;
constexpr int MSG_CONFIRM_RESTART = 1123;

} // namespace

// Every page and dialog in English: no text of the program left in Japanese, no caption cut off by
// its control, no control cut off by its window. With ORLO_SCREENSHOT_DIR set, the monitoring page,
// the camera page and the area-mask editor are saved there as PNG files.
class EnglishUiTest : public QObject {
    Q_OBJECT

private:
    QStringList problems_;

    // A window of its own: shown first, so that it is laid out as the user sees it.
    void CheckShown(QWidget& window, const QString& where) {
        window.show();
        QCoreApplication::processEvents();
        Check(window, where);
        window.hide();
    }

    void Check(const QWidget& widget, const QString& where, const QList<const QWidget*>& data = {}) {
        for (const QString& text : test::JapaneseTexts(widget, data)) {
            problems_ << where + QStringLiteral(": Japanese ") + text;
        }
        for (const QString& text : test::ClippedWidgets(widget) + test::OverlappingCaptions(widget)) {
            problems_ << where + QStringLiteral(": ") + text;
        }
    }

    static void Screenshot(QWidget& widget, const QString& name) {
        const QString directory = qEnvironmentVariable("ORLO_SCREENSHOT_DIR");
        if (!directory.isEmpty()) {
            QVERIFY(widget.grab().save(QDir(directory).filePath(name), "PNG"));
        }
    }

    template <typename Editor>
    void CheckEditor(ModalDriver& driver, CImgButton* opener, const QString& where,
                     const QString& shot = {}) {
        driver.Then(OnLoadedEditor<Editor>([this, where, shot](Editor& editor) {
            if (!shot.isEmpty()) {
                test::DragOn(editor, {60, 170}, {230, 330}); // a mask in the list
            }
            Check(editor, where);
            if (!shot.isEmpty()) {
                Screenshot(editor, shot);
            }
            editor.CancelButton()->click();
        }));
        opener->click();
        QTRY_VERIFY_WITH_TIMEOUT(driver.Done(), SLOW);
    }

private slots:
    void initTestCase() { CMiraSettingsApp::UseProgramFont(); }

    void init() {
        problems_.clear();
        SetLanguage(Language::English);
    }
    void cleanup() { SetLanguage(Language::Japanese); }

    void everyPageAndEditorAgainstTheSimulator() {
        test::MonitoredWindow monitored;
        QVERIFY(monitored.started);
        PageFixture& f = *monitored.fixture;
        CHomeDlg* home = monitored.home;
        QTRY_VERIFY_WITH_TIMEOUT(home->IsMonitoring(), SLOW);
        QTest::qWait(300); // a picture or two
        // The mode names are the installation's mode list, whatever its language.
        const QList<const QWidget*> data{static_cast<const QWidget*>(f.camera->ModeList())};
        Check(*f.window, QStringLiteral("monitoring page"), data);
        Screenshot(*f.window, QStringLiteral("monitoring-page-en.png"));

        f.ShowPage(PageId::Camera);
        QCOMPARE(f.window->CurrentPage(), PageId::Camera);
        Check(*f.window, QStringLiteral("camera page"), data);
        Screenshot(*f.window, QStringLiteral("camera-page-en.png"));

        f.ShowPage(PageId::Detection);
        QCOMPARE(f.window->CurrentPage(), PageId::Detection);
        Check(*f.window, QStringLiteral("detection page"), data);
        ModalDriver driver;
        CDetectSettingDlg& page = *f.detection;
        CheckEditor<CAreaSettingDlg>(driver, page.AreaMaskButton(), QStringLiteral("area-mask editor"),
                                     QStringLiteral("area-mask-editor-en.png"));
        CheckEditor<CMotionMaskSettingDlg>(driver, page.MotionMaskButton(),
                                           QStringLiteral("motion-mask editor"));
        CheckEditor<CFalseRectDlg>(driver, page.FalseRectButton(), QStringLiteral("false-detection editor"));
        CheckEditor<CDetectAreaSettingDlg>(driver, page.DetectionAreaButton(),
                                           QStringLiteral("detection area editor"));
        CheckEditor<CSizeSettingDlg>(driver, page.SizeButton(), QStringLiteral("size mask editor"));

        f.ShowPage(PageId::System);
        QCOMPARE(f.window->CurrentPage(), PageId::System);
        Check(*f.window, QStringLiteral("system page"), data);
        CUSBTimeoutSettingDlg timeouts(f.window.get(), f.Session());
        CheckShown(timeouts, QStringLiteral("USB time-out dialog"));
        QVERIFY2(problems_.isEmpty(), qPrintable(problems_.join(QLatin1Char('\n'))));
        QVERIFY2(f.unexpectedBoxes.isEmpty(), qPrintable(f.unexpectedBoxes.join(QLatin1Char('\n'))));
    }

    void dialogsOnTheirOwn() {
        QTemporaryDir directory;
        AppConfig config(directory.path().toStdString());
        CComConnectDlg com(nullptr, config, [] { return std::vector<SerialPortInfo>{}; });
        CheckShown(com, QStringLiteral("COM dialog"));
        CLanConnectDlg lan(nullptr, config);
        CheckShown(lan, QStringLiteral("LAN dialog"));
        CIPAddressSearchDlg search(nullptr, config);
        CheckShown(search, QStringLiteral("IP search dialog"));
        CSettingHomeDlg display(nullptr, config, {QColor(255, 215, 0)});
        CheckShown(display, QStringLiteral("display settings"));
        CAreaMaskJudgeSettingDlg judgement(Judgement{});
        CheckShown(judgement, QStringLiteral("judgement dialog"));
        CWaitDlg wait(nullptr);
        Check(wait, QStringLiteral("wait dialog"));
        bool seen = false;
        QTimer::singleShot(0, [this, &seen] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (box != nullptr) {
                seen = true;
                Check(*box, QStringLiteral("message box"));
                box->buttons().constLast()->click();
            }
        });
        COrgMessageBox::Show(nullptr, StringText(MSG_CONFIRM_RESTART), MessageButtons::YesNo);
        QVERIFY(seen);
        QVERIFY2(problems_.isEmpty(), qPrintable(problems_.join(QLatin1Char('\n'))));
    }

    // The same windows without a language chosen are the Japanese ones, so the checks above see a
    // difference.
    void japaneseUnlessEnglishIsChosen() {
        SetLanguage(Language::Japanese);
        QTemporaryDir directory;
        AppConfig config(directory.path().toStdString());
        CLanConnectDlg lan(nullptr, config);
        QCOMPARE(lan.windowTitle(), QStringLiteral("LAN接続"));
        QVERIFY(!test::JapaneseTexts(lan).isEmpty());
        CSettingHomeDlg display(nullptr, config, {});
        QVERIFY(test::HoldsJapanese(display.AutoReconnectBox()->text()));
    }
};

} // namespace orlo

QTEST_MAIN(orlo::EnglishUiTest)
#include "EnglishUiTest.moc"
