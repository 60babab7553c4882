#include "gui/monitor/HomeDlgBase.h"

#include "core/device/ConnectProcedures.h"
#include "core/device/DetectionCommands.h"
#include "core/device/ResultMessage.h"
#include "core/device/SystemCommands.h"
#include "core/regions/TevoArea.h"
#include "core/strings/CaptionIds.h"
#include "gui/connect/ComConnectDlg.h"
#include "gui/connect/LanConnectDlg.h"
#include "gui/monitor/SettingHomeDlg.h"
#include "gui/shell/MiraSettingsDlgBase.h"
#include "gui/shell/SessionCancel.h"
#include "gui/shell/TaskRunner.h"
#include "gui/shell/WindowMessages.h"
#include "gui/uikit/ImgButton.h"
#include "gui/uikit/MessageEvent.h"
#include "gui/uikit/OrgMessageBox.h"
#include "gui/uikit/Pictures.h"
#include "gui/uikit/StringText.h"

#include <QLabel>
#include <QPainter>

namespace orlo {

namespace {

constexpr int ComConnectDurationMs = 5000;
constexpr int LanConnectDurationMs = 1000;
constexpr int MSG_CONNECT_FAILED = 1100;
constexpr int MSG_RESULT_LOST = 1101;
constexpr int MSG_LINK_FAILURE = 1112;
constexpr int MSG_SETTINGS_ABNORMAL = 1113;
constexpr int STR_COM_CAPTION = 5100;
constexpr int STR_LAN_CAPTION = 5101;
constexpr int MSG_TASK_NOT_STARTED = 9010;
constexpr int WM_CONNECT_ON_START = 0x1407;
constexpr std::chrono::milliseconds ReconnectInterval{3000};

QString VersionText(const DeviceInfo& info) {
    return QStringLiteral("%1 %2.%3.%4.%5")
        .arg(QString::fromStdString(info.name))
        .arg(info.version1)
        .arg(info.version2)
        .arg(info.version3)
        .arg(info.version4);
}

// "%s %d.%d.%d.%d  COM%d:%d" with the port's device path in place of COM%d.
QString FormatComCaption(const DeviceInfo& info, const std::string& port, std::uint32_t baudRate) {
    QString format = StringText(STR_COM_CAPTION);
    const qsizetype tail = format.indexOf(QStringLiteral("  "));
    return VersionText(info) + format.mid(tail, 2) + QString::fromStdString(port) + QLatin1Char(':') +
           QString::number(baudRate);
}

// "%s %d.%d.%d.%d  %s:%d"
QString FormatLanCaption(const DeviceInfo& info, const Ipv4Address& address, std::uint16_t port) {
    QString format = StringText(STR_LAN_CAPTION);
    const qsizetype tail = format.indexOf(QStringLiteral("  "));
    return VersionText(info) + format.mid(tail, 2) + QString::fromStdString(FormatIpv4(address)) +
           QLatin1Char(':') + QString::number(port);
}

Ipv4Address ParseAddress(const std::string& host) {
    Ipv4Address address{};
    unsigned parts[4] = {};
    if (std::sscanf(host.c_str(), "%u.%u.%u.%u", &parts[0], &parts[1], &parts[2], &parts[3]) == 4) {
        for (int i = 0; i < 4; ++i) {
            address[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(parts[i]);
        }
    }
    return address;
}

} // namespace

// The picture area shows the painter's surface.
class CHomeDlgBase::PictureView : public QWidget {
public:
    PictureView(const CResultPainter& painter, QWidget* parent) : QWidget(parent), painter_(painter) {
        setFixedSize(CResultPainter::SurfaceSide, CResultPainter::SurfaceSide);
        setAttribute(Qt::WA_OpaquePaintEvent);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.drawImage(0, 0, painter_.Surface());
    }

private:
    const CResultPainter& painter_;
};

CHomeDlgBase::CHomeDlgBase(DeviceSession& session, CMiraSettingsDlgBase& mainWindow)
    : CHomePageBase(&mainWindow), session_(session), mainWindow_(mainWindow), config_("."),
      detectionLog_("."), waitDialog_(new CWaitDlg(this)), pictureArea_(new PictureView(painter_, this)),
      imageSwitch_(new CImgButton(this)), diffSwitch_(new CImgButton(this)),
      reconnectStatus_(new QLabel(this)), detectionSource_(session), reconnector_(ReconnectInterval) {
    InitControls();
    loop_ =
        std::make_unique<AcquisitionLoop>(detectionSource_, config_, static_cast<AcquisitionReporter&>(*this),
                                          detectionLog_.IsEnabled() ? &detectionLog_ : nullptr, clock_);
}

CHomeDlgBase::~CHomeDlgBase() {
    EndAcquisition(); // a page that has not ended it itself
    detectionLog_.StopDetectionLog();
}

void CHomeDlgBase::EndAcquisition() {
    reconnector_.Stop();
    loop_.reset();
}

void CHomeDlgBase::InitControls() {
    imageSwitch_->Setup(PIC_SWITCH, {2, true});
    imageSwitch_->SetCheckState(config_.ReadGetImage() ? 1 : 0);
    connect(imageSwitch_, &CImgButton::clicked, this, &CHomeDlgBase::ToggleImageSwitch);
    diffSwitch_->Setup(PIC_SWITCH, {2, true});
    diffSwitch_->SetCheckState(config_.ReadGetDiffImage() ? 1 : 0);
    connect(diffSwitch_, &CImgButton::clicked, this, &CHomeDlgBase::ToggleDiffSwitch);
    const std::array<QString, 4> captions = {StringText(CAP_FILTER_ALL), StringText(CAP_FILTER_AREA_MASK),
                                             StringText(CAP_FILTER_SIZE_MASK),
                                             StringText(CAP_FILTER_FALSE_DETECTION)};
    for (std::size_t i = 0; i < filterButtons_.size(); ++i) {
        filterButtons_[i] = new CImgButton(captions[i], this);
        filterButtons_[i]->Setup(PIC_COMMON_BUTTON, {2, true});
        connect(filterButtons_[i], &CImgButton::clicked, this,
                [this, i] { ClickFilter(static_cast<int>(i)); });
    }
    reconnectStatus_->setText(StringText(CAP_RECONNECTING));
    reconnectStatus_->setAlignment(Qt::AlignCenter);
    reconnectStatus_->setStyleSheet(QStringLiteral("background: rgba(255, 255, 255, 200); color: #303030;"));
    reconnectStatus_->hide();
    painter_.DrawDisconnected();
}

void CHomeDlgBase::LayoutControls() {
    const QRect row = LayoutConnectRow({344, 16});
    pictureArea_->move(24, row.bottom() + 1 + 16);
    reconnectStatus_->setGeometry(pictureArea_->x(), pictureArea_->y(), pictureArea_->width(),
                                  reconnectStatus_->sizeHint().height() + 12);
    const int pictureBottom = pictureArea_->geometry().bottom() + 1;
    const int pictureRight = pictureArea_->geometry().right() + 1;
    const auto centreOn = [](QWidget* widget, int x, const QWidget* anchor) {
        widget->move(x, anchor->y() + anchor->height() / 2 - widget->height() / 2);
    };
    auto* image = new QLabel(StringText(CAP_PICTURE_SWITCH), this);
    image->adjustSize();
    image->move(24, pictureBottom + 16);
    centreOn(imageSwitch_, image->geometry().right() + 1 + 4, image);
    centreOn(diffSwitch_, pictureRight - diffSwitch_->width(), image);
    auto* diff = new QLabel(StringText(CAP_DIFF_SWITCH), this);
    diff->adjustSize();
    diff->move(diffSwitch_->x() - 4 - diff->width(), image->y());

    const int switchBottom = std::max(imageSwitch_->geometry().bottom(), image->geometry().bottom()) + 1;
    auto* filters = new QLabel(StringText(CAP_EXCLUDED_RESULTS), this);
    filters->adjustSize();
    filters->move(24, switchBottom + 24);
    int x = 24 + 24;
    int filterBottom = 0;
    for (CImgButton* button : filterButtons_) {
        button->move(x, filters->geometry().bottom() + 1 + 16);
        x += button->width() + 16;
        filterBottom = button->geometry().bottom() + 1;
    }
    WindowSizeForClient({pictureRight + 24, filterBottom + 32});
}

bool CHomeDlgBase::CanLeavePage() {
    // After a cut there is no sensor for the other pages: the page stays, disconnected.
    const LoopStop stop = StopLoopBehindWaitDialog();
    ReportLoopStop(stop);
    return stop == LoopStop::Stopped;
}

void CHomeDlgBase::ResumeMonitoring() {
    StartMonitoring();
}

void CHomeDlgBase::PrepareToClose() {
    // The program ends at once whatever the sensor does: the exchange or connect in flight is cut
    // instead of waited for, so no thread outlives the page by more than moments.
    reconnecting_ = false;
    reconnectStatus_->hide();
    reconnector_.RequestStop();
    loop_->RequestStop();
    session_.Abort();
    reconnector_.Stop();
    loop_->StopAndWaitIdle();
    session_.ClearAbort();
}

void CHomeDlgBase::ConnectOnStart(const std::string& host, std::uint16_t port) {
    ipAddress_ = ParseAddress(host);
    lanPort_ = port;
    rememberConnection_ = false;
    connectOnShow_ = true;
}

void CHomeDlgBase::showEvent(QShowEvent* event) {
    CHomePageBase::showEvent(event);
    if (connectOnShow_) {
        connectOnShow_ = false;
        PostMessageTo(this, WM_CONNECT_ON_START);
    }
}

bool CHomeDlgBase::event(QEvent* event) {
    const auto type = event->type();
    if (type == MessageType(WM_MONITOR_REPAINT)) {
        PaintPicture();
        livePictureShown_ = session_.IsConnected();
    } else if (type == MessageType(WM_MONITOR_RESULT_LOST)) {
        HandleLinkLoss(MSG_RESULT_LOST);
    } else if (type == MessageType(WM_MONITOR_LINK_FAILURE)) {
        HandleLinkLoss(MSG_LINK_FAILURE);
    } else if (type == MessageType(WM_MONITOR_RECONNECTED)) {
        FinishReconnect();
    } else if (type == MessageType(WM_MONITOR_SETTINGS_ABNORMAL)) {
        ShowMessage(MSG_SETTINGS_ABNORMAL);
        PostMessageTo(&mainWindow_, WM_SHOW_CAMERA_PAGE);
    } else if (type == MessageType(WM_HOME_DISCONNECT)) {
        DisconnectDevice();
    } else if (type == MessageType(WM_CONNECT_ON_START)) {
        ConnectByLan();
    } else {
        return CHomePageBase::event(event);
    }
    return true;
}

void CHomeDlgBase::ConnectWithComDialog() {
    StopReconnecting();
    if (!StopMonitoring()) {
        return;
    }
    const ConnectionType previous = session_.GetConnectionType();
    session_.Disconnect();
    SetConnectedState(false);
    CComConnectDlg dialog(this, config_);
    if (dialog.exec() != QDialog::Accepted) {
        ReconnectAfterCancel(previous);
        return;
    }
    comPort_ = dialog.Port();
    baudRate_ = dialog.BaudRate();
    angleOfView_ = dialog.AngleOfView();
    rememberConnection_ = true;
    ConnectByCom();
}

void CHomeDlgBase::ConnectWithLanDialog() {
    StopReconnecting();
    if (!StopMonitoring()) {
        return;
    }
    const ConnectionType previous = session_.GetConnectionType();
    session_.Disconnect();
    SetConnectedState(false);
    CLanConnectDlg dialog(this, config_);
    if (dialog.exec() != QDialog::Accepted) {
        ReconnectAfterCancel(previous);
        return;
    }
    ipAddress_ = dialog.Address();
    lanPort_ = dialog.Port();
    angleOfView_ = dialog.AngleOfView();
    rememberConnection_ = true;
    ConnectByLan();
}

void CHomeDlgBase::ReconnectAfterCancel(ConnectionType previous) {
    if (previous == ConnectionType::Com) {
        ConnectByCom();
    } else if (previous == ConnectionType::Lan) {
        ConnectByLan();
    }
}

void CHomeDlgBase::ConnectByCom() {
    const auto result = RunConnect(ConnectionType::Com, ComConnectDurationMs, [this] {
        config_.WriteComPort(comPort_);
        config_.WriteBaudRate(static_cast<std::int32_t>(baudRate_));
        config_.WriteAngleOfViewCom(angleOfView_);
    });
    if (result.value_or(RC_OPEN_FAILED) != RC_OK) {
        ReportConnectError(result.value_or(RC_OPEN_FAILED),
                           result ? session_.SerialConnection().LastOpenFailure() : OpenFailure::None);
        return;
    }
    FinishConnect();
}

void CHomeDlgBase::ConnectByLan() {
    const auto result = RunConnect(ConnectionType::Lan, LanConnectDurationMs, [this] {
        config_.WriteIpAddress(ipAddress_);
        config_.WritePortNo(lanPort_);
        config_.WriteAngleOfViewLan(angleOfView_);
    });
    if (result.value_or(RC_OPEN_FAILED) != RC_OK) {
        ReportConnectError(result.value_or(RC_OPEN_FAILED), OpenFailure::None);
        return;
    }
    FinishConnect();
}

std::optional<ResultCode> CHomeDlgBase::RunConnect(ConnectionType type, int durationMs,
                                                   const std::function<void()>& remember) {
    // The connection is remembered by the worker too: each key is a synced file write, which a busy
    // disk can hold for longer than the window may stop answering.
    SessionCancel cancel(session_);
    return RunTask(
        durationMs,
        [this, type, &remember] {
            const ResultCode connected = OpenLink(type);
            if (connected == RC_OK && rememberConnection_) {
                remember();
            }
            return connected;
        },
        cancel.Action());
}

ResultCode CHomeDlgBase::OpenLink(ConnectionType type) {
    const bool com = type == ConnectionType::Com;
    mainWindow_.SetCaption({});
    ResultCode connected = com ? orlo::ConnectCom(session_, comPort_, baudRate_, angleOfView_)
                               : orlo::ConnectLan(session_, FormatIpv4(ipAddress_), lanPort_, angleOfView_);
    DeviceInfo info;
    if (connected == RC_OK) {
        connected = GetDeviceInfo(session_, DeviceSession::CommandTimeoutMs, info);
        if (connected != RC_OK) {
            session_.Disconnect();
        }
    }
    // Which sensor this is, so that edits kept from a lost link are offered only to the same one. A
    // sensor that does not give its text is still connected, only not recognised.
    if (std::string text;
        connected == RC_OK && GetDeviceInfoBytes(session_, DeviceSession::CommandTimeoutMs, text) == RC_OK) {
        session_.SetConnectedSensor({info.name, text});
    }
    if (connected == RC_OK) {
        mainWindow_.SetCaption(com ? FormatComCaption(info, comPort_, baudRate_)
                                   : FormatLanCaption(info, ipAddress_, lanPort_));
    }
    return connected;
}

void CHomeDlgBase::FinishConnect() {
    SetConnectedState(true);
    detectionLog_.StartNewLogFile();
    StartMonitoring();
    PaintPicture();
    // After the page has settled: a settings page may hold edits that the lost link kept from the sensor.
    PostMessageTo(&mainWindow_, WM_OFFER_KEPT_EDITS);
}

void CHomeDlgBase::Disconnect() {
    StopReconnecting();
    DisconnectDevice();
}

void CHomeDlgBase::ReportConnectError(ResultCode result, OpenFailure portFailure) {
    if (result == RC_TIMEOUT) {
        ShowMessage(MSG_CONNECT_FAILED);
    } else {
        COrgMessageBox::Show(this, QString::fromStdString(ComConnectResultMessage(result, portFailure)));
    }
    SetConnectedState(false);
    PaintPicture();
}

void CHomeDlgBase::StartMonitoring() {
    if (session_.IsConnected()) {
        loop_->StartMonitoring();
    }
}

bool CHomeDlgBase::StopMonitoring() {
    const LoopStop stop = StopLoopBehindWaitDialog();
    ReportLoopStop(stop);
    return stop != LoopStop::NotStarted;
}

CHomeDlgBase::LoopStop CHomeDlgBase::StopLoopBehindWaitDialog() {
    if (!loop_->IsRunning() && loop_->IsIdle()) {
        return LoopStop::Stopped;
    }
    SessionCancel cancel(session_, [this] { loop_->RequestStop(); });
    const bool ran = RunTask(
                         DetectionTimeoutMs(session_.BaudRate(), 1),
                         [this] {
                             loop_->StopAndWaitIdle();
                             return RC_OK;
                         },
                         cancel.Action())
                         .has_value();
    if (!ran) {
        return LoopStop::NotStarted;
    }
    // A press after the loop had already parked cut nothing.
    return cancel.Pressed() && !session_.IsConnected() ? LoopStop::Cut : LoopStop::Stopped;
}

void CHomeDlgBase::ReportLoopStop(LoopStop stop) {
    if (stop == LoopStop::NotStarted) {
        ShowMessage(MSG_TASK_NOT_STARTED);
    } else if (stop == LoopStop::Cut) {
        COrgMessageBox::Show(this, QString::fromStdString(ResultMessage(RC_CANCELLED)));
        SetConnectedState(false);
        PaintPicture();
    }
}

std::optional<ResultCode> CHomeDlgBase::RunTask(int durationMs, std::function<ResultCode()> task,
                                                std::function<void()> cancel) {
    return orlo::RunTask(*waitDialog_, durationMs, std::move(task), std::move(cancel));
}

void CHomeDlgBase::ReportLinkLost(int messageId) {
    // The report may come after a click has already taken the user to another page: back to this one,
    // where the link is shown as lost.
    if (mainWindow_.CurrentPage() != PageId::Home) {
        mainWindow_.ReturnHome();
    }
    ShowMessage(messageId);
    DisconnectDevice();
}

void CHomeDlgBase::HandleLinkLoss(int messageId) {
    const ConnectionType lost = session_.GetConnectionType();
    if (!config_.ReadAutoReconnect() || lost == ConnectionType::None || reconnecting_) {
        ReportLinkLost(messageId);
        return;
    }
    if (mainWindow_.CurrentPage() != PageId::Home) {
        mainWindow_.ReturnHome();
    }
    if (!StopMonitoring()) {
        return;
    }
    session_.Disconnect();
    SetConnectedState(false);
    reconnecting_ = true;
    reconnectStatus_->show();
    reconnectStatus_->raise();
    PaintPicture();
    if (!reconnector_.Start([this, lost] { return OpenLink(lost); },
                            [this] { PostMessageTo(this, WM_MONITOR_RECONNECTED); })) {
        reconnecting_ = false;
        reconnectStatus_->hide();
        ShowMessage(messageId); // no retries without a thread: as with the option off
    }
}

void CHomeDlgBase::FinishReconnect() {
    if (!reconnecting_) {
        return; // stopped after the link answered: the user's connect goes first
    }
    reconnector_.Stop(); // its thread has ended
    reconnecting_ = false;
    reconnectStatus_->hide();
    FinishConnect();
}

void CHomeDlgBase::StopReconnecting() {
    if (!reconnecting_) {
        return;
    }
    reconnecting_ = false;
    reconnectStatus_->hide();
    reconnector_.RequestStop();
    // The user gives the retries up: the attempt in progress (a connect to a sensor that may not
    // answer for many seconds) is cut rather than waited for.
    if (reconnector_.IsAttempting()) {
        session_.Abort();
        reconnector_.Stop();
        session_.ClearAbort();
    } else {
        reconnector_.Stop();
    }
    session_.Disconnect(); // an attempt may have connected just before it was stopped
    PaintPicture();
}

void CHomeDlgBase::DisconnectDevice() {
    if (reconnecting_) {
        return; // already disconnected; the retries go on
    }
    if (!StopMonitoring()) {
        return;
    }
    session_.Disconnect();
    SetConnectedState(false);
    PaintPicture();
}

void CHomeDlgBase::OpenDisplaySettings() {
    CSettingHomeDlg dialog(this, config_, {QColor(255, 215, 0)});
    dialog.exec();
}

void CHomeDlgBase::ToggleImageSwitch() {
    imageSwitch_->SetCheckState(1 - imageSwitch_->GetCheckState());
    config_.WriteGetImage(imageSwitch_->GetCheckState() == 1);
}

void CHomeDlgBase::ToggleDiffSwitch() {
    diffSwitch_->SetCheckState(1 - diffSwitch_->GetCheckState());
    config_.WriteGetDiffImage(diffSwitch_->GetCheckState() == 1);
}

void CHomeDlgBase::ClickFilter(int index) {
    CImgButton* clicked = FilterButton(index);
    clicked->SetCheckState(1 - clicked->GetCheckState());
    if (index == 0) {
        if (clicked->GetCheckState() == 1) {
            for (int i = 1; i < 4; ++i) {
                FilterButton(i)->SetCheckState(0);
            }
        }
    } else {
        const bool allThree = FilterButton(1)->GetCheckState() == 1 &&
                              FilterButton(2)->GetCheckState() == 1 && FilterButton(3)->GetCheckState() == 1;
        FilterButton(0)->SetCheckState(allThree ? 1 : 0);
        if (allThree) {
            for (int i = 1; i < 4; ++i) {
                FilterButton(i)->SetCheckState(0);
            }
        }
    }
    PaintPicture();
}

int CHomeDlgBase::GetResultFilter() const {
    if (FilterButton(0)->GetCheckState() == 1) {
        return FILTER_ALL;
    }
    return (FilterButton(1)->GetCheckState() == 1 ? FILTER_AREA_MASK : 0) |
           (FilterButton(2)->GetCheckState() == 1 ? FILTER_SIZE_MASK : 0) |
           (FilterButton(3)->GetCheckState() == 1 ? FILTER_FALSE_DETECTION : 0);
}

void CHomeDlgBase::PaintPicture() {
    if (reconnecting_ || !session_.IsConnected()) {
        painter_.DrawDisconnected();
    } else {
        PaintSettings settings;
        settings.portrait = session_.Portrait() == 1;
        settings.detectionAreas = session_.DetectionAreaCache();
        settings.showArea = {config_.ReadPefShortRange() && config_.ReadIsShowArea(0) != 0,
                             config_.ReadPefShortMotion() && config_.ReadIsShowArea(1) != 0};
        settings.filterBits = GetResultFilter();
        painter_.DrawPicture(*composer_.Snapshot(), settings);
    }
    pictureArea_->update();
}

void CHomeDlgBase::ShowMessage(int stringId) {
    COrgMessageBox::Show(this, StringText(stringId));
}

void CHomeDlgBase::OnCycleCompleted(CycleOutput output) {
    CycleInput input;
    input.imageKind = output.imageKind;
    input.motionCycleWithBlock = output.IsMotionCycleWithBlock();
    input.picture = &output.picture;
    input.block = output.Block();
    input.results = std::move(output.results);
    input.indicator = output.indicator;
    input.showDifference = output.isShowDiff != 0;
    input.tint = TintColour::FromConfig(output.diffColor);
    input.motionArea = session_.DetectionAreaCache()[MOTION_DETECTION_AREA];
    input.portrait = session_.Portrait() == 1;
    composer_.Update(input);
    PostMessageTo(this, WM_MONITOR_REPAINT);
}

void CHomeDlgBase::OnResultLost() {
    PostMessageTo(this, WM_MONITOR_RESULT_LOST);
}

void CHomeDlgBase::OnLinkFailure() {
    PostMessageTo(this, WM_MONITOR_LINK_FAILURE);
}

void CHomeDlgBase::OnSettingsAbnormal() {
    PostMessageTo(this, WM_MONITOR_SETTINGS_ABNORMAL);
}

} // namespace orlo
