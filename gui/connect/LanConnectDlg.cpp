#include "gui/connect/LanConnectDlg.h"

#include "core/config/AppConfig.h"
#include "core/strings/CaptionIds.h"
#include "gui/connect/DialogParts.h"
#include "gui/connect/IPAddressSearchDlg.h"
#include "gui/connect/IpAddressCtrl.h"
#include "gui/uikit/ImgButton.h"
#include "gui/uikit/OrgComboBox.h"
#include "gui/uikit/OrgEdit.h"
#include "gui/uikit/OrgMessageBox.h"
#include "gui/uikit/StringText.h"

#include <QKeyEvent>
#include <QLabel>
#include <algorithm>

namespace orlo {

using namespace connectdlg;

namespace {

constexpr std::int64_t kLastPort = 65535;

// The edit takes any number of digits, so the text is read in full (beyond the last port it no longer
// matters how far); -1 for a text that is not a plain number, such as a negative configured port.
std::int64_t PortValue(const QString& text) {
    std::int64_t value = 0;
    for (const QChar c : text) {
        if (c < u'0' || c > u'9') {
            return -1;
        }
        value = std::min(value * 10 + (c.unicode() - u'0'), kLastPort + 1);
    }
    return value;
}

} // namespace

CLanConnectDlg::CLanConnectDlg(QWidget* parent, AppConfig& config)
    : CBasisDialog(parent), config_(config), addressLabel_(CreateLabel(StringText(CAP_IP_ADDRESS), this)),
      portLabel_(CreateLabel(StringText(CAP_PORT_NUMBER), this)),
      angleLabel_(CreateLabel(StringText(CAP_ANGLE_OF_VIEW), this)), addressCtrl_(new CIpAddressCtrl(this)),
      searchButton_(CreateButton(StringText(CAP_SEARCH), QStringLiteral("searchButton"), this)),
      portEdit_(new COrgEdit(this)), angleList_(new COrgComboBox(this)),
      connectButton_(CreateButton(StringText(CAP_CONNECT), QStringLiteral("connectButton"), this)),
      cancelButton_(CreateButton(StringText(CAP_CANCEL), QStringLiteral("cancelButton"), this)) {
    setWindowTitle(StringText(CAP_LAN_CONNECTION));
    addressCtrl_->setObjectName(QStringLiteral("addressCtrl"));
    portEdit_->setObjectName(QStringLiteral("portEdit"));
    angleList_->setObjectName(QStringLiteral("angleOfViewList"));

    addressCtrl_->SetAddress(config_.ReadIpAddress());
    portEdit_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    portEdit_->SetInt(config_.ReadPortNo());
    FillAngleOfView(*angleList_, config_.ReadAngleOfViewLan());

    connect(searchButton_, &CImgButton::clicked, this, &CLanConnectDlg::Search);
    connect(connectButton_, &CImgButton::clicked, this, &CLanConnectDlg::Connect);
    connect(cancelButton_, &CImgButton::clicked, this, &CLanConnectDlg::reject);
    LayoutControls();
}

void CLanConnectDlg::LayoutControls() {
    addressCtrl_->resize(addressCtrl_->sizeHint());
    portEdit_->resize(addressCtrl_->width(), portEdit_->sizeHint().height());
    angleList_->resize(addressCtrl_->width(), angleList_->sizeHint().height());
    const int rowsBottom = LayoutRows({{addressLabel_, {addressCtrl_, searchButton_}},
                                       {portLabel_, {portEdit_}},
                                       {angleLabel_, {angleList_}}},
                                      kMargin, kMargin, kRowGap);
    const std::vector<QWidget*> buttons{connectButton_, cancelButton_};
    const int clientWidth =
        std::max(searchButton_->geometry().right() + 1, kMargin + ButtonsWidth(buttons)) + kMargin;
    const int bottom = LayoutButtons(buttons, clientWidth, rowsBottom + kMargin);
    WindowSizeForClient({clientWidth, bottom + kMargin});
}

void CLanConnectDlg::Search() {
    CIPAddressSearchDlg search(this, config_);
    // The sensors are asked on the port typed here, when it is one.
    if (const std::int64_t port = PortValue(portEdit_->GetText()); port >= 1 && port <= kLastPort) {
        search.SetLanPort(static_cast<std::uint16_t>(port));
    }
    if (search.exec() == QDialog::Accepted) {
        addressCtrl_->SetAddress(search.SelectedAddress());
    }
}

void CLanConnectDlg::Connect() {
    // The link takes a 16-bit port; 0 (also what an empty edit reads as) reaches no sensor.
    const std::int64_t port = PortValue(portEdit_->GetText());
    if (port < 1 || port > kLastPort) {
        COrgMessageBox::Show(this, StringText(CAP_PORT_OUT_OF_RANGE), MessageButtons::Ok,
                             MessageIcon::Warning);
        portEdit_->setFocus();
        portEdit_->selectAll();
        return;
    }
    address_ = addressCtrl_->GetAddress();
    port_ = static_cast<std::uint16_t>(port);
    angleOfView_ = static_cast<int>(angleList_->GetSelectedValue());
    accept();
}

void CLanConnectDlg::keyPressEvent(QKeyEvent* event) {
    // "接続" is the default button.
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        event->accept();
        Connect();
        return;
    }
    CBasisDialog::keyPressEvent(event);
}

} // namespace orlo
