#pragma once

#include "core/config/AppConfig.h"
#include "core/device/DeviceSession.h"
#include "core/monitor/AcquisitionClock.h"
#include "core/monitor/AcquisitionLoop.h"
#include "core/monitor/AcquisitionReporter.h"
#include "core/monitor/DetectionLog.h"
#include "core/monitor/DetectionSource.h"
#include "core/monitor/LinkReconnector.h"
#include "core/monitor/PictureComposition.h"
#include "core/platform/Ipv4Address.h"
#include "gui/monitor/ResultPainter.h"
#include "gui/shell/PageBase.h"
#include "gui/shell/WaitDlg.h"

#include <array>
#include <chrono>
#include <functional>
#include <memory>
#include <optional>

class QLabel;

namespace orlo {

class CImgButton;
class CMiraSettingsDlgBase;

// Messages the page posts to itself from the acquisition thread.
inline constexpr int WM_MONITOR_RESULT_LOST = 0x1403;
inline constexpr int WM_MONITOR_LINK_FAILURE = 0x1404;
inline constexpr int WM_MONITOR_SETTINGS_ABNORMAL = 0x1405;
inline constexpr int WM_MONITOR_REPAINT = 0x1406;
// From the retry thread: the lost link answers again.
inline constexpr int WM_MONITOR_RECONNECTED = 0x1408;

// The monitoring page: connects to the sensor over COM or LAN, runs the acquisition loop while it is
// shown and draws the live picture with the detection results. The connect controls and their look
// belong to CHomeDlg.
class CHomeDlgBase : public CHomePageBase, private AcquisitionReporter {
    Q_OBJECT

public:
    CHomeDlgBase(DeviceSession& session, CMiraSettingsDlgBase& mainWindow);
    ~CHomeDlgBase() override;

    // False only when the loop could not be stopped (no worker thread); the user has been told.
    bool CanLeavePage() override;
    void ResumeMonitoring() override;
    void PrepareToClose() override;
    bool ShowsLivePicture() const override { return livePictureShown_; }

    // Connects over the LAN as soon as the page is shown, without remembering the connection in the
    // configuration (the demonstration's simulator).
    void ConnectOnStart(const std::string& host, std::uint16_t port);

    int GetResultFilter() const;
    const QImage& Surface() const { return painter_.Surface(); }
    bool IsMonitoring() const { return loop_->IsRunning(); }
    CImgButton* FilterButton(int index) const { return filterButtons_[static_cast<std::size_t>(index)]; }

    // With automatic reconnection on, a link lost while monitoring is retried this often.
    void SetReconnectInterval(std::chrono::milliseconds interval) { reconnector_.SetInterval(interval); }
    bool IsReconnecting() const { return reconnecting_; }
    QLabel* ReconnectStatus() const { return reconnectStatus_; }

protected:
    bool event(QEvent* event) override;
    void showEvent(QShowEvent* event) override;

    // The connect menu's flows. Disconnect stops monitoring behind the wait dialog (or the retries of
    // a lost link) and closes the link; the page stays, disconnected.
    void ConnectWithComDialog();
    void ConnectWithLanDialog();
    void Disconnect();
    void OpenDisplaySettings();
    void ToggleImageSwitch();
    void ToggleDiffSwitch();
    void ClickFilter(int index);

    DeviceSession& Session() const { return session_; }
    CMiraSettingsDlgBase& MainWindow() const { return mainWindow_; }

    void LayoutControls();
    // Places the connect row from origin; returns its rectangle.
    virtual QRect LayoutConnectRow(QPoint origin) = 0;
    virtual void SetConnectedState(bool connected) = 0;
    // The task pattern behind the page's wait dialog, with "中止" calling cancel when there is one;
    // nullopt when the task could not be started.
    virtual std::optional<ResultCode> RunTask(int durationMs, std::function<ResultCode()> task,
                                              std::function<void()> cancel = {});
    // Ends the acquisition thread; the most derived page does this first thing in its destructor, so
    // that the loop never runs into a page that is partly gone.
    void EndAcquisition();

    // The loop's reports, on the acquisition thread.
    void OnCycleCompleted(CycleOutput output) override;
    void OnResultLost() override;
    void OnLinkFailure() override;
    void OnSettingsAbnormal() override;

private:
    class PictureView;

    // How a stop of the loop behind the wait dialog ended: the loop parked, the user cut the exchange
    // with "中止" (the link is closed), or no worker could be started (the loop still runs).
    enum class LoopStop { Stopped, Cut, NotStarted };

    void InitControls();
    // Runs the connect task behind the wait dialog and starts monitoring on success.
    void ConnectByCom();
    void ConnectByLan();
    // The connect task of type behind the wait dialog, which "中止" cuts; remember runs on the worker
    // after a connection that is to be remembered.
    std::optional<ResultCode> RunConnect(ConnectionType type, int durationMs,
                                         const std::function<void()>& remember);
    void FinishConnect();
    void ReconnectAfterCancel(ConnectionType previous);
    // portFailure says why a serial port did not open (None for the LAN).
    void ReportConnectError(ResultCode result, OpenFailure portFailure);
    // A lost link: the message on the monitoring page, then disconnected.
    void ReportLinkLost(int messageId);
    // A lost link with automatic reconnection off: ReportLinkLost; on: the quiet status and retries of
    // the lost connection in the background.
    void HandleLinkLoss(int messageId);
    void FinishReconnect();
    // Ends the retries (behind the wait dialog while an attempt runs) and hides the status.
    void StopReconnecting();
    // Connects with the COM or LAN fields below and shows the sensor in the caption; the session is
    // disconnected on failure.
    ResultCode OpenLink(ConnectionType type);
    void StartMonitoring();
    // Stops the loop behind the wait dialog and tells the user how that ended, but for a plain stop;
    // a cut leaves the page disconnected. False when no worker could be started.
    bool StopMonitoring();
    LoopStop StopLoopBehindWaitDialog();
    void ReportLoopStop(LoopStop stop);
    void DisconnectDevice();
    void PaintPicture();
    void ShowMessage(int stringId);

    DeviceSession& session_;
    CMiraSettingsDlgBase& mainWindow_;
    AppConfig config_;
    DetectionLog detectionLog_;
    CycleComposer composer_;
    CResultPainter painter_;
    CWaitDlg* waitDialog_;
    PictureView* pictureArea_;
    CImgButton* imageSwitch_;
    CImgButton* diffSwitch_;
    std::array<CImgButton*, 4> filterButtons_{};
    QLabel* reconnectStatus_;
    bool livePictureShown_ = false;

    std::string comPort_;
    std::uint32_t baudRate_ = 0;
    Ipv4Address ipAddress_{};
    std::uint16_t lanPort_ = 0;
    int angleOfView_ = 90;
    bool rememberConnection_ = true;
    bool connectOnShow_ = false;
    // On the user-interface thread: retries run, the session belongs to them.
    bool reconnecting_ = false;

    SessionDetectionSource detectionSource_;
    SteadyAcquisitionClock clock_;
    // Its attempts use the members above.
    LinkReconnector reconnector_;
    // Last: the loop's thread uses every member above and is joined first.
    std::unique_ptr<AcquisitionLoop> loop_;
};

} // namespace orlo
