#pragma once

#include "core/config/AppConfig.h"
#include "gui/connect/ComConnectDlg.h"
#include "gui/connect/IPAddressSearchDlg.h"
#include "gui/connect/LanConnectDlg.h"
#include "gui/editors/AreaMaskJudgeSettingDlg.h"
#include "gui/editors/AreaSettingDlg.h"
#include "gui/editors/DetectAreaSettingDlg.h"
#include "gui/editors/FalseRectDlg.h"
#include "gui/editors/MotionMaskSettingDlg.h"
#include "gui/editors/SizeSettingDlg.h"
#include "gui/monitor/SettingHomeDlg.h"
#include "gui/settings/CompareDlg.h"
#include "gui/settings/ReportDetailsDlg.h"
#include "gui/settings/USBTimeoutSettingDlg.h"
#include "gui/shell/WaitDlg.h"
#include "gui/uikit/ImgButton.h"
#include "gui/uikit/OrgComboBox.h"
#include "gui/uikit/OrgListCtrl.h"
#include "gui/uikit/OrgMessageBox.h"
#include "gui/uikit/StringText.h"
#include "tests/gui/settings/EditorSteps.h"
#include "tests/gui/settings/MonitoredWindow.h"

#include <QMessageBox>
#include <functional>

namespace orlo::test {

// One window of the tool, laid out and shown as the user sees it, in the current language.
struct VisitedWindow {
    QWidget& window;
    QString where;
    // Controls that show values from the sensor or the installation's files, not the program's texts.
    QList<const QWidget*> data;
};
using WindowVisitor = std::function<void(const VisitedWindow&)>;

// Opens every window of the tool one after another and hands each to a visitor: the main window
// with each page against the simulator, every editor of the detection page (with a region in its
// list), the judgement dialog, the USB time-out dialog, the connection and search dialogs, the
// display settings, the wait dialog, the report details, the comparison and a message box for every text of
// the string table that spans lines. Failures to reach a window are recorded as test failures.
class EveryWindow {
public:
    explicit EveryWindow(WindowVisitor visit) : visit_(std::move(visit)) {}

    void VisitPagesAndEditors() {
        MonitoredWindow monitored;
        QVERIFY(monitored.started);
        PageFixture& f = *monitored.fixture;
        QTRY_VERIFY_WITH_TIMEOUT(monitored.home->IsMonitoring(), SLOW);
        QTest::qWait(300); // a picture or two
        // The mode names are the installation's mode list, whatever its language.
        data_ = {f.camera->ModeList()};
        Visit(*f.window, QStringLiteral("monitoring page"));

        for (const auto& [page, where] :
             {std::pair{PageId::Camera, "camera page"}, std::pair{PageId::Detection, "detection page"},
              std::pair{PageId::System, "system page"}}) {
            f.ShowPage(page);
            QCOMPARE(f.window->CurrentPage(), page);
            Visit(*f.window, QString::fromLatin1(where));
            if (page == PageId::Detection) {
                VisitEditors(*f.detection);
            }
        }
        CUSBTimeoutSettingDlg timeouts(f.window.get(), f.Session());
        VisitShown(timeouts, QStringLiteral("USB time-out dialog"));
        QVERIFY2(f.unexpectedBoxes.isEmpty(), qPrintable(f.unexpectedBoxes.join(QLatin1Char('\n'))));
    }

    void VisitDialogs() {
        data_.clear();
        QTemporaryDir directory;
        AppConfig config(directory.path().toStdString());
        CComConnectDlg com(nullptr, config, [] { return std::vector<SerialPortInfo>{}; });
        VisitShown(com, QStringLiteral("COM dialog"));
        CLanConnectDlg lan(nullptr, config);
        VisitShown(lan, QStringLiteral("LAN dialog"));
        CIPAddressSearchDlg search(nullptr, config);
        VisitShown(search, QStringLiteral("IP search dialog"));
        CSettingHomeDlg display(nullptr, config, {QColor(255, 215, 0)});
        VisitShown(display, QStringLiteral("display settings"));
        CWaitDlg wait(nullptr);
        VisitShown(wait, QStringLiteral("wait dialog"));
        CReportDetailsDlg details(nullptr, {});
        VisitShown(details, QStringLiteral("report details"));
        CCompareDlg same(nullptr, {});
        VisitShown(same, QStringLiteral("comparison without differences"));
        CCompareDlg different(nullptr, {{"Ditection.Threshold", "300", "777"}});
        VisitShown(different, QStringLiteral("comparison with a difference"));
        VisitMessageBoxes();
    }

private:
    static constexpr int SLOW = 30000;

    void Visit(QWidget& window, const QString& where) { visit_({window, where, data_}); }

    void VisitShown(QWidget& window, const QString& where) {
        window.show();
        QCoreApplication::processEvents();
        Visit(window, where);
        window.hide();
    }

    // Each editor with a region in its list where the user can add one; the area-mask editor also
    // opens its judgement dialog.
    void VisitEditors(CDetectSettingDlg& page) {
        ModalDriver driver;
        const QPoint from{60, 170};
        const QPoint to{230, 330};
        driver.Then(OnLoadedEditor<CAreaSettingDlg>([this, from, to](CAreaSettingDlg& editor) {
            DragOn(editor, from, to);
            Visit(editor, QStringLiteral("area-mask editor"));
            QTimer::singleShot(0, editor.BulkJudgementButton(), &CImgButton::click);
        }));
        driver.Then(ModalDriver::On<CAreaMaskJudgeSettingDlg>([this](CAreaMaskJudgeSettingDlg& dialog) {
            Visit(dialog, QStringLiteral("judgement dialog"));
            dialog.CancelButton()->click();
        }));
        driver.Then(ModalDriver::On<CAreaSettingDlg>(
            [](CAreaSettingDlg& editor) { editor.CancelButton()->click(); }));
        OpenAndWait(driver, page.AreaMaskButton());

        driver.Then(OnLoadedEditor<CMotionMaskSettingDlg>([this, from, to](CMotionMaskSettingDlg& editor) {
            DragOn(editor, from, to);
            Visit(editor, QStringLiteral("motion-mask editor"));
            editor.CancelButton()->click();
        }));
        OpenAndWait(driver, page.MotionMaskButton());

        driver.Then(OnLoadedEditor<CFalseRectDlg>([this](CFalseRectDlg& editor) {
            if (editor.CandidateList()->rowCount() > 0) {
                editor.CandidateList()->SelectRow(0);
                editor.RegisterButton()->click();
            }
            Visit(editor, QStringLiteral("false-detection editor"));
            editor.CancelButton()->click();
        }));
        OpenAndWait(driver, page.FalseRectButton());

        driver.Then(OnLoadedEditor<CDetectAreaSettingDlg>([this](CDetectAreaSettingDlg& editor) {
            Visit(editor, QStringLiteral("detection area editor"));
            editor.CancelButton()->click();
        }));
        OpenAndWait(driver, page.DetectionAreaButton());

        driver.Then(OnLoadedEditor<CSizeSettingDlg>([this](CSizeSettingDlg& editor) {
            Visit(editor, QStringLiteral("size mask editor"));
            editor.CancelButton()->click();
        }));
        OpenAndWait(driver, page.SizeButton());
    }

    static void OpenAndWait(ModalDriver& driver, CImgButton* opener) {
        opener->click();
        QTRY_VERIFY_WITH_TIMEOUT(driver.Done(), SLOW);
    }

    // The program's messages: the texts of the table that span lines.
    void VisitMessageBoxes() {
        for (const StringEntry& entry : StringTableEntries()) {
            const QString text = StringText(entry.id);
            if (!text.contains(QLatin1Char('\n'))) {
                continue;
            }
            bool seen = false;
            const QString where = QStringLiteral("message box %1").arg(entry.id);
            QTimer::singleShot(0, [this, &seen, &where] {
                auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
                if (box != nullptr) {
                    seen = true;
                    Visit(*box, where);
                    box->buttons().constLast()->click();
                }
            });
            COrgMessageBox::Show(nullptr, text, MessageButtons::YesNo);
            QVERIFY2(seen, qPrintable(where));
        }
    }

    WindowVisitor visit_;
    QList<const QWidget*> data_;
};

} // namespace orlo::test
