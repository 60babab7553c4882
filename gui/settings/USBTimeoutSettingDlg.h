#pragma once

#include "core/device/ResultCode.h"
#include "core/settings/UsbTimeouts.h"
#include "gui/uikit/BasisDialog.h"

namespace orlo {

class CImgButton;
class COrgPropertyGridCtrl;
class COrgPropertyGridProperty;
class CWaitDlg;
class DeviceSession;

// Posted by the USB time-out dialog to itself once it is shown: read the time-outs.
inline constexpr int WM_USB_TIMEOUT_LOAD = 0x7E8;

// "タイムアウト値設定": the sensor's USB send and receive time-outs in a property grid, read when the
// dialog opens; "OK" writes those the user changed, each read back. A failed read closes the dialog; a
// failed write keeps it open with the values entered, except after a time-out, which also sends the
// owner home.
class CUSBTimeoutSettingDlg : public CBasisDialog {
    Q_OBJECT

public:
    static constexpr int NOMINAL_DURATION_MS = 1000;

    // owner receives WM_RETURN_HOME or WM_RETURN_HOME_LINK_LOST when the link cannot be used.
    CUSBTimeoutSettingDlg(QWidget* owner, DeviceSession& session);

    COrgPropertyGridCtrl* Grid() const { return grid_; }
    COrgPropertyGridProperty* SendItem() const;
    COrgPropertyGridProperty* ReceiveItem() const;
    CImgButton* OkButton() const { return okButton_; }
    CImgButton* CancelButton() const { return cancelButton_; }
    ResultCode LastResult() const { return result_; }

protected:
    bool event(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void InitGrid();
    void LayoutControls();
    void Load();
    void ClickOk();
    ResultCode RunWithWaitDialog(const std::function<ResultCode()>& worker);

    DeviceSession& session_;
    COrgPropertyGridCtrl* grid_;
    CImgButton* okButton_;
    CImgButton* cancelButton_;
    CWaitDlg* waitDialog_;
    ResultCode result_ = RC_OK;
    // The sensor's values, written by the load worker and read after it has ended.
    UsbTimeouts loaded_;
    bool loadRequested_ = false;
};

} // namespace orlo
