#pragma once

#include "gui/monitor/HomeDlgBase.h"

class QAction;
class QToolButton;

namespace orlo {

// The monitoring page's connect row: the "接続" menu button (COM or LAN, and "切断" while connected)
// whose picture shows the connection state, and the button to the display settings.
class CHomeDlg : public CHomeDlgBase {
    Q_OBJECT

public:
    CHomeDlg(DeviceSession& session, CMiraSettingsDlgBase& mainWindow);
    ~CHomeDlg() override;

    QToolButton* ConnectButton() const { return connectButton_; }
    QAction* ComAction() const { return comAction_; }
    QAction* LanAction() const { return lanAction_; }
    QAction* DisconnectAction() const { return disconnectAction_; }

protected:
    QRect LayoutConnectRow(QPoint origin) override;
    void SetConnectedState(bool connected) override;

private:
    QToolButton* connectButton_;
    QAction* comAction_;
    QAction* lanAction_;
    QAction* disconnectAction_;
    CImgButton* settingsButton_;
    QIcon iconDisconnected_;
    QIcon iconConnected_;
};

} // namespace orlo
