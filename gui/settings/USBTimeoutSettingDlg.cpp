#include "gui/settings/USBTimeoutSettingDlg.h"

#include "core/device/ResultMessage.h"
#include "core/strings/CaptionIds.h"
#include "gui/settings/DeviceTask.h"
#include "gui/settings/ReturnHome.h"
#include "gui/shell/WaitDlg.h"
#include "gui/shell/WindowMessages.h"
#include "gui/uikit/ImgButton.h"
#include "gui/uikit/MessageEvent.h"
#include "gui/uikit/OrgMessageBox.h"
#include "gui/uikit/OrgPropertyGrid.h"
#include "gui/uikit/Pictures.h"
#include "gui/uikit/StringText.h"

#include <QKeyEvent>
#include <algorithm>

namespace orlo {
namespace {

constexpr int STR_GROUP = 3200;
constexpr int STR_SEND = 3300;
constexpr int STR_RECEIVE = 3301;
constexpr CRange TIMEOUT_RANGE{100, 20000};
// Shown until the sensor's values have been read.
constexpr int UNLOADED_VALUE = 20000;
constexpr qint64 SEND_ITEM = 0;
constexpr qint64 RECEIVE_ITEM = 1;
const QColor GROUP_TEXT_COLOUR(0x69, 0x69, 0x69);

constexpr int MARGIN = 8;
constexpr int MIN_GRID_WIDTH = 280;
constexpr int BUTTON_GAP = 8;
constexpr int BUTTONS_BELOW_GRID = 16;

} // namespace

CUSBTimeoutSettingDlg::CUSBTimeoutSettingDlg(QWidget* owner, DeviceSession& session)
    : CBasisDialog(owner), session_(session), grid_(new COrgPropertyGridCtrl(this)),
      okButton_(new CImgButton(StringText(CAP_OK), this)),
      cancelButton_(new CImgButton(StringText(CAP_CANCEL), this)), waitDialog_(new CWaitDlg(this)) {
    setWindowTitle(StringText(CAP_TIMEOUT_DIALOG));
    okButton_->Setup(PIC_COMMON_BUTTON);
    cancelButton_->Setup(PIC_COMMON_BUTTON);
    connect(okButton_, &CImgButton::clicked, this, &CUSBTimeoutSettingDlg::ClickOk);
    connect(cancelButton_, &CImgButton::clicked, this, &CUSBTimeoutSettingDlg::reject);
    InitGrid();
    LayoutControls();
}

void CUSBTimeoutSettingDlg::InitGrid() {
    using Property = COrgPropertyGridProperty;
    grid_->SetGroupTextColour(GROUP_TEXT_COLOUR);
    auto group = Property::MakeGroup(StringText(STR_GROUP), 0);
    group->AddSubItem(Property::MakeNumber(StringText(STR_SEND), UNLOADED_VALUE, TIMEOUT_RANGE, SEND_ITEM));
    group->AddSubItem(
        Property::MakeNumber(StringText(STR_RECEIVE), UNLOADED_VALUE, TIMEOUT_RANGE, RECEIVE_ITEM));
    grid_->AddProperty(std::move(group));
}

COrgPropertyGridProperty* CUSBTimeoutSettingDlg::SendItem() const {
    return grid_->GetProperty(0)->GetSubItem(static_cast<int>(SEND_ITEM));
}

COrgPropertyGridProperty* CUSBTimeoutSettingDlg::ReceiveItem() const {
    return grid_->GetProperty(0)->GetSubItem(static_cast<int>(RECEIVE_ITEM));
}

void CUSBTimeoutSettingDlg::LayoutControls() {
    const QSize button = okButton_->size();
    const int gridWidth = std::max(MIN_GRID_WIDTH, 2 * button.width() + BUTTON_GAP);
    const int gridHeight = 8 * fontMetrics().size(Qt::TextSingleLine, QStringLiteral("W")).height() + 24;
    grid_->setGeometry(MARGIN, MARGIN, gridWidth, gridHeight);
    const int centre = MARGIN + gridWidth / 2;
    const int buttonTop = grid_->geometry().bottom() + 1 + BUTTONS_BELOW_GRID;
    okButton_->move(centre - button.width(), buttonTop);
    cancelButton_->move(centre + BUTTON_GAP, buttonTop);
    WindowSizeForClient({gridWidth + 2 * MARGIN, buttonTop + button.height() + MARGIN});
}

void CUSBTimeoutSettingDlg::showEvent(QShowEvent* event) {
    CBasisDialog::showEvent(event);
    if (!loadRequested_) {
        loadRequested_ = true;
        PostMessageTo(this, WM_USB_TIMEOUT_LOAD);
    }
}

bool CUSBTimeoutSettingDlg::event(QEvent* event) {
    if (event->type() == MessageType(WM_USB_TIMEOUT_LOAD)) {
        Load();
        return true;
    }
    return CBasisDialog::event(event);
}

void CUSBTimeoutSettingDlg::keyPressEvent(QKeyEvent* event) {
    // Escape cancels, as "キャンセル" and the close box do; Enter does nothing.
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        reject();
        return;
    }
    CBasisDialog::keyPressEvent(event);
}

ResultCode CUSBTimeoutSettingDlg::RunWithWaitDialog(const std::function<ResultCode()>& worker) {
    result_ = RunDeviceTask(*waitDialog_, NOMINAL_DURATION_MS, worker);
    return result_;
}

void CUSBTimeoutSettingDlg::Load() {
    const ResultCode result = RunWithWaitDialog([this] { return LoadUsbTimeouts(session_, loaded_); });
    if (result == RC_OK) {
        // As the sensor holds them, also outside the range that can be typed.
        SendItem()->LoadValue(static_cast<int>(loaded_.sendMs));
        ReceiveItem()->LoadValue(static_cast<int>(loaded_.receiveMs));
        return;
    }
    COrgMessageBox::Show(this, QString::fromStdString(ResultMessage(result)));
    if (const int message = ReturnHomeMessage(result)) {
        PostMessageTo(parentWidget(), message);
    }
    reject();
}

void CUSBTimeoutSettingDlg::ClickOk() {
    grid_->CommitEdits();
    const UsbTimeouts wanted{static_cast<std::uint16_t>(SendItem()->GetValue().toInt()),
                             static_cast<std::uint16_t>(ReceiveItem()->GetValue().toInt())};
    // Only what the user changed is written: a value the sensor holds outside the range stays.
    const ResultCode result =
        RunWithWaitDialog([this, wanted] { return ApplyUsbTimeouts(session_, wanted, loaded_); });
    if (result == RC_OK) {
        accept();
        return;
    }
    COrgMessageBox::Show(this, QString::fromStdString(ApplyResultMessage(result)));
    if (result == RC_TIMEOUT) {
        PostMessageTo(parentWidget(), WM_RETURN_HOME);
        reject();
    }
}

} // namespace orlo
