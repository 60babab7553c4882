#include "gui/connect/ComConnectDlg.h"

#include "core/config/AppConfig.h"
#include "core/device/ConnectProcedures.h"
#include "core/strings/CaptionIds.h"
#include "gui/connect/DialogParts.h"
#include "gui/uikit/ImgButton.h"
#include "gui/uikit/OrgComboBox.h"
#include "gui/uikit/StringText.h"

#include <QAbstractItemView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QScrollBar>
#include <algorithm>
#include <system_error>

namespace orlo {

using namespace connectdlg;

namespace {

constexpr int STR_COM_PORT = 5010;
constexpr int kListWidth = 240;

// The port last connected to. A configuration written on Windows has only the port number, and the
// port is named "COM%d" there.
std::string ConfiguredPort(const AppConfig& config) {
    std::string port = config.ReadComPort();
    if (port.empty() && config.ReadComNo() > 0) {
        port = StringTextWithNumber(STR_COM_PORT, config.ReadComNo()).toStdString();
    }
    return port;
}

QString ItemText(const SerialPortInfo& port) {
    const QString path = QString::fromStdString(port.path);
    return port.description.empty()
               ? path
               : QStringLiteral("%1 (%2)").arg(path, QString::fromStdString(port.description));
}

} // namespace

CComConnectDlg::CComConnectDlg(QWidget* parent, const AppConfig& config, PortLister lister)
    : CBasisDialog(parent), configuredPort_(ConfiguredPort(config)), storedPort_(config.ReadComPort()),
      portLabel_(CreateLabel(StringText(CAP_COM_PORT), this)),
      baudRateLabel_(CreateLabel(StringText(CAP_BAUD_RATE), this)),
      angleLabel_(CreateLabel(StringText(CAP_ANGLE_OF_VIEW), this)), portList_(new COrgComboBox(this)),
      baudRateList_(new COrgComboBox(this)), angleList_(new COrgComboBox(this)),
      connectButton_(CreateButton(StringText(CAP_CONNECT), QStringLiteral("connectButton"), this)),
      cancelButton_(CreateButton(StringText(CAP_CANCEL), QStringLiteral("cancelButton"), this)) {
    setWindowTitle(StringText(CAP_COM_CONNECTION));
    portList_->setObjectName(QStringLiteral("portList"));
    baudRateList_->setObjectName(QStringLiteral("baudRateList"));
    angleList_->setObjectName(QStringLiteral("angleOfViewList"));

    // The edit field holds the path alone; the descriptions are only in the drop-down part. No
    // completer: it would complete to an item's text, description included.
    portList_->setEditable(true);
    portList_->setInsertPolicy(QComboBox::NoInsert);
    portList_->setCompleter(nullptr);
    portList_->setEditText(QString::fromStdString(configuredPort_));
    connect(portList_->lineEdit(), &QLineEdit::textEdited, this, [this] { portTyped_ = true; });
    connect(portList_, &QComboBox::activated, this, [this](int index) {
        portList_->setEditText(QString::fromStdString(ports_[static_cast<std::size_t>(index)].path));
    });

    for (const std::uint32_t rate : BaudRateTable) {
        baudRateList_->AddItem(QString::number(rate), rate);
    }
    baudRateList_->SelectByValue(config.ReadBaudRate());
    FillAngleOfView(*angleList_, config.ReadAngleOfViewCom());

    connect(connectButton_, &CImgButton::clicked, this, &CComConnectDlg::Connect);
    connect(cancelButton_, &CImgButton::clicked, this, &CComConnectDlg::reject);
    LayoutControls();
    StartListing(std::move(lister));
}

CComConnectDlg::~CComConnectDlg() {
    if (lister_.joinable()) {
        lister_.join();
    }
}

void CComConnectDlg::LayoutControls() {
    for (COrgComboBox* list : {portList_, baudRateList_, angleList_}) {
        list->resize(kListWidth, list->sizeHint().height());
    }
    const int rowsBottom = LayoutRows(
        {{portLabel_, {portList_}}, {baudRateLabel_, {baudRateList_}}, {angleLabel_, {angleList_}}}, kMargin,
        kMargin, kRowGap);
    const std::vector<QWidget*> buttons{connectButton_, cancelButton_};
    const int clientWidth =
        std::max(portList_->geometry().right() + 1, kMargin + ButtonsWidth(buttons)) + kMargin;
    const int bottom = LayoutButtons(buttons, clientWidth, rowsBottom + kMargin);
    WindowSizeForClient({clientWidth, bottom + kMargin});
}

void CComConnectDlg::StartListing(PortLister lister) {
    try {
        lister_ = std::thread([this, lister] {
            std::vector<SerialPortInfo> ports = lister();
            QMetaObject::invokeMethod(
                this, [this, ports = std::move(ports)] { ShowPorts(ports); }, Qt::QueuedConnection);
        });
    } catch (const std::system_error&) {
        // Without a thread the list is made here, at the cost of a pause.
        ShowPorts(lister());
    }
}

void CComConnectDlg::ShowPorts(const std::vector<SerialPortInfo>& ports) {
    const QString typed = portList_->currentText();
    ports_ = ports;
    const auto stored = [this](const SerialPortInfo& port) { return port.path == storedPort_; };
    if (!storedPort_.empty() && std::none_of(ports_.begin(), ports_.end(), stored)) {
        ports_.insert(ports_.begin(), SerialPortInfo{storedPort_, {}});
    }
    portList_->clear();
    int selected = -1;
    for (std::size_t i = 0; i < ports_.size(); ++i) {
        portList_->AddItem(ItemText(ports_[i]), static_cast<qint64>(i));
        if (ports_[i].path == configuredPort_) {
            selected = static_cast<int>(i);
        }
    }
    if (selected < 0 && !ports_.empty()) {
        selected = 0;
    }
    if (portTyped_) {
        // What the user typed meanwhile stays.
        portList_->setEditText(typed);
    } else if (selected >= 0) {
        portList_->setCurrentIndex(selected);
        portList_->setEditText(QString::fromStdString(ports_[static_cast<std::size_t>(selected)].path));
    } else {
        portList_->setEditText(QString::fromStdString(configuredPort_));
    }
    QAbstractItemView* view = portList_->view();
    view->setMinimumWidth(view->sizeHintForColumn(0) + view->verticalScrollBar()->sizeHint().width());
    emit PortsListed();
}

void CComConnectDlg::Connect() {
    port_ = portList_->currentText().trimmed().toStdString();
    const qint64 rate = baudRateList_->GetSelectedValue();
    baudRate_ = rate < 0 ? kNoBaudRate : static_cast<std::uint32_t>(rate);
    angleOfView_ = static_cast<int>(angleList_->GetSelectedValue());
    accept();
}

void CComConnectDlg::keyPressEvent(QKeyEvent* event) {
    // "接続" is the default button.
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        event->accept();
        Connect();
        return;
    }
    CBasisDialog::keyPressEvent(event);
}

} // namespace orlo
