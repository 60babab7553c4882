#include "gui/settings/SystemDlgBase.h"

#include "core/config/AppConfig.h"
#include "core/device/DeviceSession.h"
#include "core/device/ResultMessage.h"
#include "core/device/SettingsTransfer.h"
#include "core/device/SystemCommands.h"
#include "core/platform/FileIo.h"
#include "core/report/CommissioningReport.h"
#include "core/settings/ModeList.h"
#include "core/strings/CaptionIds.h"
#include "gui/settings/CompareDlg.h"
#include "gui/settings/DeviceTask.h"
#include "gui/settings/PageLayout.h"
#include "gui/settings/ReportDetailsDlg.h"
#include "gui/settings/ReportDocument.h"
#include "gui/settings/ReturnHome.h"
#include "gui/settings/SettingsFileDialog.h"
#include "gui/settings/USBTimeoutSettingDlg.h"
#include "gui/settings/WrittenSettings.h"
#include "gui/shell/SessionCancel.h"
#include "gui/shell/WaitDlg.h"
#include "gui/shell/WindowMessages.h"
#include "gui/uikit/ImgButton.h"
#include "gui/uikit/MessageEvent.h"
#include "gui/uikit/OrgMessageBox.h"
#include "gui/uikit/Pictures.h"
#include "gui/uikit/StringText.h"

#include <QFile>
#include <QLabel>
#include <algorithm>
#include <filesystem>

namespace orlo {
namespace {

constexpr int MSG_SAVE_FAILED = 1107;
constexpr int MSG_CONFIRM_RESTART = 1123;
constexpr int MSG_CONFIRM_INITIALIZE = 1124;
constexpr int MSG_CONFIRM_WRITE = 1125;
constexpr int MSG_CONFIRM_RECOVER = 1131;
constexpr int STR_REPORT_SECTION = 9660;
constexpr int STR_REPORT_TEXT = 9661;
constexpr int STR_REPORT_BUTTON = 9662;
constexpr int MSG_REPORT_FAILED = 9664;
constexpr int MSG_FILE_VALUE_REFUSED = 9800;
constexpr int MSG_FILE_UNMARKED_UTF8 = 9801;
constexpr int MSG_FILE_PARTLY_WRITTEN = 9802;
constexpr int NOTICE_SAVED = 9081;
constexpr int NOTICE_WRITTEN = 9082;
constexpr int NOTICE_INITIALIZED = 9083;
constexpr int NOTICE_RESTARTED = 9084;
constexpr int NOTICE_REPORT_SAVED = 9085;
constexpr int STR_COMPARE_BUTTON = 9087;
constexpr int STR_COMPARE_TEXT = 9095;

constexpr int PAGE_WIDTH = 600;
constexpr int SECTION_X = 24;
constexpr int TEXT_X = 56;
constexpr int NOTE_X = 80;
constexpr int BUTTON_X = 160;
constexpr int TOP = 24;
constexpr int BUTTON_BELOW_LABEL = 16;
constexpr int SECTION_BELOW_BUTTON = 40;
constexpr int TEXT_BELOW_LABEL = 8;
constexpr int NOTE_BELOW_TEXT = 2;
constexpr int BUTTON_BELOW_NOTE = 8;
constexpr int TEXT_BELOW_BUTTON = 16;
constexpr int RECOVER_BELOW_WRITE = 120;
constexpr int BOTTOM_MARGIN = 24;

// A string-table text with its printf-style conversions filled in (%s takes UTF-8).
template <typename... Values>
QString FilledText(int id, Values... values) {
    return QString::asprintf(StringText(id).toUtf8().constData(), values...);
}

std::filesystem::path LocalPath(const QString& path) {
    return std::filesystem::path(QFile::encodeName(path).toStdString());
}

// Why a settings file could not be used: the line, key, value and what it takes for a value the sensor
// would refuse; empty otherwise (the result's own message says enough).
QString FileProblemText(const SettingsFileProblem& problem) {
    if (problem.cause != SettingsFileProblem::Cause::NotAllowed) {
        return {};
    }
    return FilledText(MSG_FILE_VALUE_REFUSED, static_cast<int>(problem.line), problem.key.c_str(),
                      problem.value.c_str(), problem.allowed.c_str());
}

} // namespace

CSystemDlgBase::CSystemDlgBase(DeviceSession& session, QWidget* mainWindow, bool showTimeoutSection,
                               std::filesystem::path modeListFile)
    : CPageBase(mainWindow), restartLabel_(MakeLabel(StringText(CAP_RESTART_CAPTION), this)),
      initializeLabel_(MakeLabel(StringText(CAP_INITIALIZE_CAPTION), this)),
      timeoutLabel_(MakeLabel(StringText(CAP_TIMEOUT_CAPTION), this)),
      fileLabel_(MakeLabel(StringText(CAP_FILE_CAPTION), this)),
      saveText_(MakeLabel(StringText(CAP_SAVE_TEXT), this)),
      saveNote_(MakeLabel(StringText(CAP_SAVE_NOTE), this)),
      writeText_(MakeLabel(StringText(CAP_WRITE_TEXT), this)),
      writeNote_(MakeLabel(StringText(CAP_WRITE_NOTE), this)),
      compareText_(MakeLabel(StringText(STR_COMPARE_TEXT), this)),
      recoverLabel_(MakeLabel(StringText(CAP_RECOVER_CAPTION), this)),
      reportLabel_(MakeLabel(StringText(STR_REPORT_SECTION), this)),
      reportText_(MakeLabel(StringText(STR_REPORT_TEXT), this)), session_(session),
      waitDialog_(new CWaitDlg(this)), owner_(mainWindow), showTimeoutSection_(showTimeoutSection),
      modeListFile_(std::move(modeListFile)) {
    void (CSystemDlgBase::*const handlers[SYSTEM_OPERATION_COUNT])() = {
        &CSystemDlgBase::ClickRestart, &CSystemDlgBase::ClickInitialize, &CSystemDlgBase::ClickTimeout,
        &CSystemDlgBase::ClickSave,    &CSystemDlgBase::ClickWrite,      &CSystemDlgBase::ClickCompare,
        &CSystemDlgBase::ClickRecover, &CSystemDlgBase::ClickReport};
    const int captions[SYSTEM_OPERATION_COUNT] = {CAP_RESTART,     CAP_RESTART + 1,  CAP_RESTART + 2,
                                                  CAP_RESTART + 3, CAP_RESTART + 4,  STR_COMPARE_BUTTON,
                                                  CAP_RESTART + 5, STR_REPORT_BUTTON};
    for (std::size_t i = 0; i < buttons_.size(); ++i) {
        buttons_[i] = new CImgButton(StringText(captions[i]), this);
        connect(buttons_[i], &CImgButton::clicked, this, handlers[i]);
    }
    reportLabel_->setObjectName(QStringLiteral("reportLabel"));
    reportText_->setObjectName(QStringLiteral("reportText"));
    compareText_->setObjectName(QStringLiteral("compareText"));
    recoverLabel_->setObjectName(QStringLiteral("recoverLabel"));
    InitControls();
    // The reconnect loop after a restart reports each pass here; its progress shows only as the wait
    // dialog's bar, which runs on its own clock, so there is nothing more to do with it.
    session_.SetReconnectProgressHook([](int) {});
}

void CSystemDlgBase::InitControls() {
    for (CImgButton* button : buttons_) {
        button->Setup(PIC_COMMON_BUTTON);
    }
    timeoutLabel_->setVisible(showTimeoutSection_);
    Button(SystemOperation::Timeout)->setVisible(showTimeoutSection_);
    LayoutControls();
}

void CSystemDlgBase::LayoutControls() {
    int top = TOP;
    // A section: its label, then its button below it; the next section starts below the button.
    const auto section = [&top](QLabel* label, CImgButton* button) {
        label->move(SECTION_X, top);
        button->move(BUTTON_X, Bottom(label) + BUTTON_BELOW_LABEL);
        top = Bottom(button) + SECTION_BELOW_BUTTON;
    };
    section(restartLabel_, Button(SystemOperation::Restart));
    section(initializeLabel_, Button(SystemOperation::Initialize));
    if (showTimeoutSection_) {
        section(timeoutLabel_, Button(SystemOperation::Timeout));
    }
    fileLabel_->move(SECTION_X, top);
    saveText_->move(TEXT_X, Bottom(fileLabel_) + TEXT_BELOW_LABEL);
    saveNote_->move(NOTE_X, Bottom(saveText_) + NOTE_BELOW_TEXT);
    Button(SystemOperation::Save)->move(BUTTON_X, Bottom(saveNote_) + BUTTON_BELOW_NOTE);
    writeText_->move(TEXT_X, Bottom(Button(SystemOperation::Save)) + TEXT_BELOW_BUTTON);
    writeNote_->move(NOTE_X, Bottom(writeText_) + NOTE_BELOW_TEXT);
    Button(SystemOperation::Write)->move(BUTTON_X, Bottom(writeNote_) + BUTTON_BELOW_NOTE);
    // The comparison of our own follows the file section's two operations, in the gap the original
    // page leaves above the recovery, which stays where it was while the comparison fits there.
    compareText_->move(TEXT_X, Bottom(Button(SystemOperation::Write)) + TEXT_BELOW_LABEL);
    Button(SystemOperation::Compare)->move(BUTTON_X, Bottom(compareText_) + BUTTON_BELOW_NOTE);
    top = std::max(Bottom(Button(SystemOperation::Write)) + RECOVER_BELOW_WRITE,
                   Bottom(Button(SystemOperation::Compare)) + SECTION_BELOW_BUTTON);
    section(recoverLabel_, Button(SystemOperation::Recover));
    // The report section of our own follows the sections of the original page.
    reportLabel_->move(SECTION_X, top);
    reportText_->move(TEXT_X, Bottom(reportLabel_) + TEXT_BELOW_LABEL);
    Button(SystemOperation::Report)->move(BUTTON_X, Bottom(reportText_) + BUTTON_BELOW_NOTE);
    WindowSizeForClient({PAGE_WIDTH, Bottom(Button(SystemOperation::Report)) + BOTTOM_MARGIN});
}

bool CSystemDlgBase::event(QEvent* event) {
    // The USB time-out dialog reports a lost link here.
    return ForwardReturnHome(*event, owner_) || CPageBase::event(event);
}

bool CSystemDlgBase::Confirm(int messageId) {
    return COrgMessageBox::Show(this, StringText(messageId), MessageButtons::YesNo, MessageIcon::Question) ==
           MessageAnswer::Yes;
}

void CSystemDlgBase::ClickRestart() {
    if (Confirm(MSG_CONFIRM_RESTART)) {
        RunTask([this] { return Restart(session_, DeviceSession::CommandTimeoutMs); }, RESTART_DURATION_MS,
                Cancel::Offered, NOTICE_RESTARTED);
    }
}

void CSystemDlgBase::ClickInitialize() {
    if (Confirm(MSG_CONFIRM_INITIALIZE)) {
        RunTask([this] { return RestartAndInitialize(session_, DeviceSession::CommandTimeoutMs); },
                RESTART_DURATION_MS, Cancel::Offered, NOTICE_INITIALIZED);
    }
}

void CSystemDlgBase::ClickTimeout() {
    CUSBTimeoutSettingDlg dialog(this, session_);
    dialog.exec();
}

void CSystemDlgBase::ClickSave() {
    const QString path = AskSettingsFileToSave(this);
    if (path.isEmpty()) {
        return;
    }
    filePath_ = path;
    RunTask([this, file = LocalPath(path)] { return ExportSettings(session_, file); }, FILE_DURATION_MS,
            Cancel::NotOffered, NOTICE_SAVED);
}

void CSystemDlgBase::ClickWrite() {
    const QString path = AskSettingsFileToOpen(this);
    if (path.isEmpty() || !Confirm(MSG_CONFIRM_WRITE)) {
        return;
    }
    filePath_ = path;
    const std::filesystem::path file = LocalPath(path);
    // A file that reads but was likely saved in the wrong encoding: the user decides before anything
    // is sent. A file that does not read is reported by the import itself.
    SettingsRecord record;
    SettingsFileNotes notes;
    if (ReadSettingsFile(file, record, nullptr, &notes) == 0 && notes.unmarkedUtf8 &&
        COrgMessageBox::Show(this, FilledText(MSG_FILE_UNMARKED_UTF8, notes.deviceInfoAsUtf8.c_str()),
                             MessageButtons::YesNo, MessageIcon::Warning) != MessageAnswer::Yes) {
        return;
    }
    SettingsFileProblem problem;
    SettingsApplyProgress progress;
    RunTask([this, file, &problem, &progress] { return ImportSettings(session_, file, &problem, &progress); },
            FILE_DURATION_MS, Cancel::Offered, NOTICE_WRITTEN,
            [&problem, &progress](ResultCode result) {
                if (result == RC_CANCELLED) {
                    return WrittenSettingsText(progress);
                }
                if (result == RC_SETTINGS_FILE) {
                    return FileProblemText(problem);
                }
                if (progress.written > 0 && !progress.NotWritten().empty()) {
                    return FilledText(MSG_FILE_PARTLY_WRITTEN, progress.Written().c_str(),
                                      progress.NotWritten().c_str());
                }
                return QString();
            });
}

void CSystemDlgBase::ClickCompare() {
    const QString path = AskSettingsFileToOpen(this);
    if (path.isEmpty()) {
        return;
    }
    filePath_ = path;
    // The file is read first, so a file that cannot be compared costs no exchange with the sensor.
    SettingsRecord fromFile;
    SettingsFileProblem problem;
    if (ReadSettingsFile(LocalPath(path), fromFile, &problem) != 0) {
        result_ = RC_SETTINGS_FILE;
        QString text = QString::fromStdString(ResultMessage(RC_SETTINGS_FILE));
        if (const QString more = FileProblemText(problem); !more.isEmpty()) {
            text += QStringLiteral("\n") + more;
        }
        COrgMessageBox::Show(this, text);
        return;
    }
    SettingsRecord fromSensor;
    RunTask([this, &fromSensor] { return ReadSettingsRecord(session_, fromSensor); }, FILE_DURATION_MS,
            Cancel::Offered, 0);
    if (result_ == RC_OK) {
        CCompareDlg dialog(this, DifferentSettings(fromFile, fromSensor));
        dialog.exec();
    }
}

void CSystemDlgBase::ClickRecover() {
    if (Confirm(MSG_CONFIRM_RECOVER)) {
        RunTask([this] { return Recover(session_); }, RESTART_DURATION_MS, Cancel::Offered, 0);
    }
}

void CSystemDlgBase::ClickReport() {
    // The details first, remembered for the next report but for the note, which belongs to this one.
    AppConfig config(".");
    CReportDetailsDlg detailsDialog(
        this, {config.ReadReportSite(), config.ReadReportCustomer(), config.ReadReportInstaller(), {}});
    if (detailsDialog.exec() != QDialog::Accepted) {
        return;
    }
    const ReportDetails details = detailsDialog.Details();
    config.WriteReportSite(details.site);
    config.WriteReportCustomer(details.customer);
    config.WriteReportInstaller(details.installer);
    const QString path = AskReportFileToSave(this);
    if (path.isEmpty()) {
        return;
    }
    filePath_ = path;
    // The device is read, the document made and the file written on the worker; a failed read
    // writes nothing.
    bool written = false;
    RunTask(
        [this, &written, &details, file = LocalPath(path), pdf = IsPdfPath(path)] {
            ReportContent content;
            const ResultCode result = ReadReportContent(session_, content);
            if (result != RC_OK) {
                return result;
            }
            content.details = details;
            const std::string html = ReportHtml(content, ReadModeList(modeListFile_));
            const QByteArray bytes = pdf ? ReportPdf(html) : QByteArray::fromStdString(html);
            written =
                !bytes.isEmpty() && WriteFileAtomically(file, {bytes.constData(), std::size_t(bytes.size())});
            return RC_OK;
        },
        FILE_DURATION_MS, Cancel::Offered, 0);
    if (result_ != RC_OK) {
        return;
    }
    if (written) {
        ShowNotice(NOTICE_REPORT_SAVED);
    } else {
        COrgMessageBox::Show(this, StringText(MSG_REPORT_FAILED));
    }
}

void CSystemDlgBase::RunTask(const std::function<ResultCode()>& worker, int nominalDurationMs, Cancel cancel,
                             int notice, const std::function<QString(ResultCode)>& detail) {
    {
        SessionCancel sessionCancel(session_);
        result_ = RunDeviceTask(*waitDialog_, nominalDurationMs, worker,
                                cancel == Cancel::Offered ? sessionCancel.Action() : std::function<void()>());
    }
    if (result_ == RC_NO_LINK) {
        COrgMessageBox::Show(this, StringText(MSG_SAVE_FAILED));
        return;
    }
    if (result_ == RC_OK) {
        if (notice != 0) {
            ShowNotice(notice);
        }
        return;
    }
    QString text = QString::fromStdString(ResultMessage(result_));
    if (const QString more = detail ? detail(result_) : QString(); !more.isEmpty()) {
        text += QStringLiteral("\n") + more;
    }
    COrgMessageBox::Show(this, text);
    // A sensor that did not come back after a restart is as lost as one that timed out.
    if (const int message =
            result_ == RC_RECONNECT_FAILED ? WM_RETURN_HOME : ReturnHomeMessage(result_, session_)) {
        PostMessageTo(owner_, message);
    }
}

} // namespace orlo
