#include "gui/settings/SettingBaseDlg.h"

#include "core/device/ResultMessage.h"
#include "core/strings/CaptionIds.h"
#include "gui/settings/DeviceTask.h"
#include "gui/settings/ReturnHome.h"
#include "gui/settings/WrittenSettings.h"
#include "gui/shell/SessionCancel.h"
#include "gui/shell/WaitDlg.h"
#include "gui/shell/WindowMessages.h"
#include "gui/uikit/ImgButton.h"
#include "gui/uikit/MessageEvent.h"
#include "gui/uikit/OrgMessageBox.h"
#include "gui/uikit/Pictures.h"
#include "gui/uikit/StringText.h"

#include <QShowEvent>

namespace orlo {
namespace {

constexpr int MSG_LEAVE_UNAPPLIED = 1120;
constexpr int NOTICE_APPLIED = 9080;
constexpr int APPLY_BUTTON_BOTTOM_GAP = 40;

// Results after which the sensor cannot be reached over the link any more.
bool LinkLost(ResultCode code, const DeviceSession& session) {
    switch (code) {
    case RC_TIMEOUT:
    case RC_SEND_FAILED:
    case RC_NO_LINK:
    case RC_SHORT_RESPONSE:
    case RC_SHORT_TRANSFER:
        return true;
    default:
        return !session.IsConnected();
    }
}

} // namespace

CSettingBaseDlg::CSettingBaseDlg(DeviceSession& session, QWidget* mainWindow, int nominalDurationMs)
    : CPageBase(mainWindow), applyButton_(new CImgButton(this)), session_(session),
      waitDialog_(new CWaitDlg(this)), nominalDurationMs_(nominalDurationMs), owner_(mainWindow) {
    connect(applyButton_, &CImgButton::clicked, this, &CSettingBaseDlg::ClickApply);
}

void CSettingBaseDlg::InitControls() {
    applyButton_->Setup(PIC_COMMON_BUTTON);
    applyButton_->setText(StringText(CAP_APPLY));
    LayoutControls();
}

void CSettingBaseDlg::PlacePage(QSize size) {
    WindowSizeForClient(size);
    applyButton_->move(size.width() / 2 - applyButton_->width() / 2,
                       size.height() - APPLY_BUTTON_BOTTOM_GAP - applyButton_->height());
}

void CSettingBaseDlg::showEvent(QShowEvent* event) {
    CPageBase::showEvent(event);
    // A window restored from the task bar shows its pages again; only the main window's page switch
    // means a new visit, which reloads (and drops unapplied edits).
    if (!event->spontaneous()) {
        PostMessageTo(this, WM_APP_LOAD);
    }
}

bool CSettingBaseDlg::event(QEvent* event) {
    if (event->type() == MessageType(WM_APP_LOAD)) {
        Load();
        return true;
    }
    // The page's dialogs (the region editors) report a lost link here; what was edited before is kept.
    const int message = static_cast<int>(event->type());
    if ((message == WM_RETURN_HOME || message == WM_RETURN_HOME_LINK_LOST) && !IsUnchanged()) {
        KeepEditsIfLinkLost(RC_NO_LINK, session_.ConnectedSensor());
    }
    return ForwardReturnHome(*event, owner_) || CPageBase::event(event);
}

void CSettingBaseDlg::Load() {
    // The page may have been left again before the posted load arrived.
    if (!isVisible()) {
        return;
    }
    if (const ResultCode result = RunWithWaitDialog([this] { return LoadWorker(); }); result != RC_OK) {
        ReportError(result);
        return;
    }
    if (reapplyKeptEdits_ && keptFor_ == session_.ConnectedSensor()) {
        keptFor_.reset();
        reapplyKeptEdits_ = false;
        RestoreKeptEdits();
        ShowValues();
        ClickApply();
        return;
    }
    if (reapplyKeptEdits_) {
        ForgetKeptEdits(); // the yes was for another sensor
    }
    ShowValues();
}

void CSettingBaseDlg::ClickApply() {
    if (CollectValues() != 0) {
        return;
    }
    if (!settingsAbnormal_ && IsUnchanged()) {
        return;
    }
    Apply();
}

void CSettingBaseDlg::Apply() {
    const std::optional<SensorMark> sensor = session_.ConnectedSensor();
    SettingsApplyProgress progress;
    const ResultCode result = RunWithWaitDialog([this, &progress] { return ApplyWorker(progress); });
    if (result == RC_CANCELLED) {
        // What reached the sensor; then, stopped between two writes, what the sensor now holds. A
        // cancel of the read-back that follows the writes has cut the link instead.
        COrgMessageBox::Show(this, CancelledWritesText(progress));
        if (session_.IsConnected()) {
            Load();
        } else {
            PostMessageTo(owner_, WM_RETURN_HOME);
        }
        return;
    }
    if (result != RC_OK) {
        KeepEditsIfLinkLost(result, sensor);
        ReportError(result);
        return;
    }
    ShowValues();
    ShowNotice(NOTICE_APPLIED);
}

void CSettingBaseDlg::KeepEditsIfLinkLost(ResultCode code, const std::optional<SensorMark>& sensor) {
    if (!sensor || !LinkLost(code, session_)) {
        return;
    }
    KeepEdits();
    keptFor_ = sensor;
    reapplyKeptEdits_ = false;
}

void CSettingBaseDlg::ForgetKeptEdits() {
    keptFor_.reset();
    reapplyKeptEdits_ = false;
    DropKeptEdits();
}

bool CSettingBaseDlg::HasKeptEditsForConnectedSensor() {
    if (!keptFor_ || reapplyKeptEdits_) {
        return false;
    }
    if (keptFor_ != session_.ConnectedSensor()) {
        ForgetKeptEdits();
        return false;
    }
    return true;
}

void CSettingBaseDlg::AnswerKeptEdits(bool reapply) {
    if (reapply && keptFor_) {
        reapplyKeptEdits_ = true;
    } else {
        ForgetKeptEdits();
    }
}

void CSettingBaseDlg::ReportError(ResultCode code) {
    COrgMessageBox::Show(this, QString::fromStdString(ApplyResultMessage(code)));
    if (const int message = ReturnHomeMessage(code, session_)) {
        PostMessageTo(owner_, message);
    }
}

bool CSettingBaseDlg::CanLeavePage() {
    if (IsUnchanged()) {
        return true;
    }
    return COrgMessageBox::Show(this, StringText(MSG_LEAVE_UNAPPLIED), MessageButtons::YesNo,
                                MessageIcon::Question) == MessageAnswer::Yes;
}

ResultCode CSettingBaseDlg::RunWithWaitDialog(const std::function<ResultCode()>& worker) {
    SessionCancel cancel(session_);
    lastResult_ = RunDeviceTask(*waitDialog_, nominalDurationMs_, worker, cancel.Action());
    return lastResult_;
}

} // namespace orlo
