#include "gui/monitor/HomeDlg.h"

#include "core/strings/CaptionIds.h"
#include "gui/shell/MiraSettingsDlgBase.h"
#include "gui/shell/WindowMessages.h"
#include "gui/uikit/ImgButton.h"
#include "gui/uikit/MessageEvent.h"
#include "gui/uikit/Pictures.h"
#include "gui/uikit/StringText.h"

#include <QMenu>
#include <QToolButton>

namespace orlo {
namespace {

constexpr int STR_MENU_DISCONNECT = 9086;

} // namespace

CHomeDlg::CHomeDlg(DeviceSession& session, CMiraSettingsDlgBase& mainWindow)
    : CHomeDlgBase(session, mainWindow), connectButton_(new QToolButton(this)),
      settingsButton_(new CImgButton(this)),
      iconDisconnected_(QPixmap::fromImage(LoadPicture(PIC_CONNECT_OFF))),
      iconConnected_(QPixmap::fromImage(LoadPicture(PIC_CONNECT_ON))) {
    connectButton_->setObjectName(QStringLiteral("connectButton"));
    connectButton_->setText(StringText(CAP_CONNECT));
    connectButton_->setIcon(iconDisconnected_);
    connectButton_->setIconSize({24, 24});
    connectButton_->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    connectButton_->setPopupMode(QToolButton::InstantPopup);
    auto* menu = new QMenu(connectButton_);
    comAction_ = menu->addAction(StringText(CAP_MENU_COM));
    lanAction_ = menu->addAction(StringText(CAP_MENU_LAN));
    disconnectAction_ = menu->addAction(StringText(STR_MENU_DISCONNECT));
    comAction_->setCheckable(true);
    lanAction_->setCheckable(true);
    disconnectAction_->setVisible(false);
    connect(comAction_, &QAction::triggered, this, &CHomeDlg::ConnectWithComDialog);
    connect(lanAction_, &QAction::triggered, this, &CHomeDlg::ConnectWithLanDialog);
    connect(disconnectAction_, &QAction::triggered, this, &CHomeDlg::Disconnect);
    connectButton_->setMenu(menu);
    settingsButton_->Setup(PIC_SETTINGS_BUTTON, {1, true});
    connect(settingsButton_, &CImgButton::clicked, this, &CHomeDlg::OpenDisplaySettings);
    LayoutControls();
}

CHomeDlg::~CHomeDlg() {
    EndAcquisition();
}

QRect CHomeDlg::LayoutConnectRow(QPoint origin) {
    const int width = std::max(136, connectButton_->sizeHint().width());
    connectButton_->setGeometry(origin.x() - width / 2, origin.y(), width, 40);
    settingsButton_->setGeometry(616, origin.y() - 4, 48, 48);
    return connectButton_->geometry();
}

void CHomeDlg::SetConnectedState(bool connected) {
    const ConnectionType type = Session().GetConnectionType();
    comAction_->setChecked(connected && type == ConnectionType::Com);
    lanAction_->setChecked(connected && type == ConnectionType::Lan);
    disconnectAction_->setVisible(connected);
    connectButton_->setIcon(connected ? iconConnected_ : iconDisconnected_);
    SendMessageTo(&MainWindow(), connected ? WM_DEVICE_CONNECTED : WM_DEVICE_DISCONNECTED);
    connectButton_->update();
}

} // namespace orlo
