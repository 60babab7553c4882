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
constexpr int APPLY_BUTTON_BOTTOM_GAP = 40;

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
    // The page's dialogs (the region editors) report a lost link here.
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
        ReportError(result);
        return;
    }
    ShowValues();
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
