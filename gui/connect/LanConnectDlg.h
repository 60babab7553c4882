#pragma once

#include "core/platform/Ipv4Address.h"
#include "gui/uikit/BasisDialog.h"

#include <cstdint>

class QLabel;

namespace orlo {

class AppConfig;
class CImgButton;
class CIpAddressCtrl;
class COrgComboBox;
class COrgEdit;

// "LAN接続": the sensor's IPv4 address, TCP port and angle of view. Only collects the values; the
// caller connects with them and stores them once the connection works. "検索" picks the address from
// an ICMP search of a range (which remembers its range in the configuration).
class CLanConnectDlg : public CBasisDialog {
    Q_OBJECT

public:
    CLanConnectDlg(QWidget* parent, AppConfig& config);

    // Valid once the dialog ended with "接続"; the angle is -1 when its list had no selection.
    Ipv4Address Address() const { return address_; }
    std::uint16_t Port() const { return port_; }
    int AngleOfView() const { return angleOfView_; }

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void LayoutControls();
    void Search();
    void Connect();

    AppConfig& config_;
    QLabel* addressLabel_;
    QLabel* portLabel_;
    QLabel* angleLabel_;
    CIpAddressCtrl* addressCtrl_;
    CImgButton* searchButton_;
    COrgEdit* portEdit_;
    COrgComboBox* angleList_;
    CImgButton* connectButton_;
    CImgButton* cancelButton_;

    Ipv4Address address_{};
    std::uint16_t port_ = 0;
    int angleOfView_ = -1;
};

} // namespace orlo
