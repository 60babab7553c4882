#pragma once

#include "core/device/ResultCode.h"
#include "gui/shell/PageBase.h"

#include <array>
#include <filesystem>
#include <functional>

class QLabel;
class QString;

namespace orlo {

class CImgButton;
class CWaitDlg;
class DeviceSession;

// The system page's operations, in page order.
enum class SystemOperation { Restart, Initialize, Timeout, Save, Write, Compare, Recover, Report };
inline constexpr int SYSTEM_OPERATION_COUNT = 8;

// The system page: maintenance operations on the connected sensor, each started by its button after
// a confirmation or a file choice and run on a worker behind the wait dialog: restart, restart with
// the factory settings, the USB time-outs, saving the settings to a file, writing a file back,
// comparing the sensor with a file, recovering the serial speed, and the commissioning report (HTML or
// PDF) with the details asked first, which names the operating mode from the mode list file. A quiet
// line on the page confirms each operation that changed or wrote something. It has no values of its
// own and may always be left. The time-out section can be left out; the layout then closes the gap.
class CSystemDlgBase : public CPageBase {
    Q_OBJECT

public:
    static constexpr int RESTART_DURATION_MS = 150'000;
    static constexpr int FILE_DURATION_MS = 9000;

    CSystemDlgBase(DeviceSession& session, QWidget* mainWindow, bool showTimeoutSection,
                   std::filesystem::path modeListFile);

    bool CanLeavePage() override { return true; }

    CImgButton* Button(SystemOperation operation) const {
        return buttons_[static_cast<std::size_t>(operation)];
    }
    ResultCode LastResult() const { return result_; }
    // The settings file chosen last.
    const QString& FilePath() const { return filePath_; }

protected:
    virtual void InitControls();
    virtual void LayoutControls();
    // Whether the wait dialog offers "中止" (which aborts the session) for a task.
    enum class Cancel { Offered, NotOffered };
    // Runs worker behind the wait dialog and reports its result: `notice` (a string id, 0 for none) in the
    // quiet line for success, message 1107
    // for a missing link, else the result's message (followed by `detail`'s text for the result, when
    // it gives one), going home after a time-out, a failed reconnect, a lost link or a cancel that cut
    // the link.
    virtual void RunTask(const std::function<ResultCode()>& worker, int nominalDurationMs, Cancel cancel,
                         int notice, const std::function<QString(ResultCode)>& detail = {});

    bool event(QEvent* event) override;

private:
    void ClickRestart();
    void ClickInitialize();
    void ClickTimeout();
    void ClickSave();
    void ClickWrite();
    void ClickCompare();
    void ClickRecover();
    void ClickReport();
    bool Confirm(int messageId);

    std::array<CImgButton*, SYSTEM_OPERATION_COUNT> buttons_{};
    QLabel* restartLabel_;
    QLabel* initializeLabel_;
    QLabel* timeoutLabel_;
    QLabel* fileLabel_;
    QLabel* saveText_;
    QLabel* saveNote_;
    QLabel* writeText_;
    QLabel* writeNote_;
    QLabel* compareText_;
    QLabel* recoverLabel_;
    QLabel* reportLabel_;
    QLabel* reportText_;
    DeviceSession& session_;
    QString filePath_;
    CWaitDlg* waitDialog_;
    ResultCode result_ = RC_OK;
    QWidget* owner_;
    bool showTimeoutSection_;
    std::filesystem::path modeListFile_;
};

} // namespace orlo
