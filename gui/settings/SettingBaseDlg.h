#pragma once

#include "core/device/DeviceSession.h"
#include "core/device/ResultCode.h"
#include "core/device/SettingsApplyProgress.h"
#include "gui/shell/PageBase.h"

#include <functional>
#include <optional>

namespace orlo {

class CImgButton;
class CWaitDlg;
class DeviceSession;

// A page of sensor settings (camera, detection). Each time it is shown it reads its values afresh on
// a worker behind the wait dialog; the user edits the controls and nothing is sent until "反映",
// which validates, writes and reads back on a second worker and then reloads the page. A page with
// edits not yet applied asks before it is left. Both may be given up with "中止": a load then leaves
// the page's values as they were (and, the link being cut, the main window goes home); an apply stops
// before its next write, says which settings were written and reads the page again. The subclass supplies
// what is read, shown, compared, written and laid out; the workers write only the subclass's value members
// and the user-interface thread reads them after the worker has been joined. When an apply fails because
// the link was lost (or a dialog of the page loses it with edits pending), the edits are kept aside for
// the sensor they were meant for; connected to that sensor again, the main window offers them once, and
// on a yes the page applies them after its next load. A success shows "反映しました" quietly.
class CSettingBaseDlg : public CPageBase {
    Q_OBJECT

public:
    // Posted by a page to itself each time it is shown: load its values from the sensor. A member, as
    // the region editors that a page opens post a message of their own under the same name.
    static constexpr int WM_APP_LOAD = 0x1400;

    CSettingBaseDlg(DeviceSession& session, QWidget* mainWindow, int nominalDurationMs);

    bool CanLeavePage() override;
    bool HasKeptEditsForConnectedSensor() override;
    void AnswerKeptEdits(bool reapply) override;
    bool HoldsKeptEdits() const { return keptFor_.has_value(); }

    // As a click on "反映".
    void ClickApply();
    CImgButton* ApplyButton() const { return applyButton_; }
    ResultCode LastResult() const { return lastResult_; }
    bool SettingsAbnormal() const { return settingsAbnormal_; }

protected:
    // Subclasses set up their own controls, then call this last: it gives the apply button its picture
    // and caption and lays the page out.
    virtual void InitControls();
    // Places the controls and then calls PlacePage with the page's size.
    virtual void LayoutControls() = 0;
    // The values last read (or just applied) into the controls.
    virtual void ShowValues() = 0;
    // Reads the controls into the edited values and validates them: 0 goes on, anything else stops
    // the apply (the subclass has told the user why).
    virtual int CollectValues() = 0;
    // True when the controls hold the values last read from the sensor.
    virtual bool IsUnchanged() const = 0;
    virtual void Apply();
    // The apply message for code; after a time-out or a lost link the main window goes home.
    virtual void ReportError(ResultCode code);
    // The workers' bodies, run on a worker thread: read into, or write from, the value members. The
    // apply counts its writes in progress.
    virtual ResultCode LoadWorker() = 0;
    virtual ResultCode ApplyWorker(SettingsApplyProgress& progress) = 0;
    // Edits kept over a lost link: the edited values set aside, put back in place of those just loaded,
    // or dropped.
    virtual void KeepEdits() = 0;
    virtual void RestoreKeptEdits() = 0;
    virtual void DropKeptEdits() = 0;

    // Runs worker behind the wait dialog with a bar over the nominal duration, "中止" aborting the
    // session; returns once the worker has ended, with its result also kept as the last result.
    ResultCode RunWithWaitDialog(const std::function<ResultCode()>& worker);
    // Sizes the page and puts the apply button, centred, 40 pixels above its bottom edge.
    void PlacePage(QSize size);
    DeviceSession& Session() const { return session_; }
    // Set by a load when the sensor reports its settings as abnormal; forces the next apply.
    void SetSettingsAbnormal(bool abnormal) { settingsAbnormal_ = abnormal; }

    bool event(QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void Load();
    // Sets the edits aside for `sensor` when `code` says the link is gone; nothing when the sensor is
    // not known.
    void KeepEditsIfLinkLost(ResultCode code, const std::optional<SensorMark>& sensor);
    void ForgetKeptEdits();

    CImgButton* applyButton_;
    DeviceSession& session_;
    ResultCode lastResult_ = RC_OK;
    CWaitDlg* waitDialog_;
    int nominalDurationMs_;
    QWidget* owner_;
    bool settingsAbnormal_ = false;
    std::optional<SensorMark> keptFor_; // the sensor the kept edits were meant for
    bool reapplyKeptEdits_ = false;     // the user said yes: apply them after the next load
};

} // namespace orlo
