#pragma once

#include "gui/uikit/BasisDialog.h"

#include <cstdint>

namespace orlo {

class CQuietNotice;

// The pages of the main window; the id is also the index of the page's navigation button.
enum class PageId : std::int32_t { Home = 0, Camera = 1, Detection = 2, System = 3 };
inline constexpr int PAGE_COUNT = 4;

// A page of the main window: a child dialog in the page area, created with the main window as
// parent. It lays itself out and sizes itself (WindowSizeForClient); the main window then gives every
// page the size of the largest.
class CPageBase : public CBasisDialog {
    Q_OBJECT

public:
    explicit CPageBase(QWidget* mainWindow);

    // Asked before the main window shows another page in its place; false keeps this page shown.
    virtual bool CanLeavePage() = 0;

    // Edits that could not be applied because the link was lost. True when the page keeps some for the
    // sensor connected now; edits kept for another sensor (or an unrecognised one) are dropped here.
    virtual bool HasKeptEditsForConnectedSensor() { return false; }
    // The user's answer to the offer of kept edits: apply them once the page has read the sensor
    // again, or drop them.
    virtual void AnswerKeptEdits(bool reapply) { static_cast<void>(reapply); }

    // The line that says an operation succeeded, made on first use.
    CQuietNotice* Notice();
    // Shows the string-table text stringId in the notice line.
    void ShowNotice(int stringId);

private:
    CQuietNotice* notice_ = nullptr;
};

// The monitoring page. Leaving it stops its acquisition loop; it refuses to be left only when the
// loop could not be stopped.
class CHomePageBase : public CPageBase {
    Q_OBJECT

public:
    using CPageBase::CPageBase;

    // The main window shows the page again after another page (not after ReturnHome, where it posts
    // WM_HOME_DISCONNECT instead).
    virtual void ResumeMonitoring() = 0;
    // The main window is about to close: the page ends its device work (behind the wait dialog when
    // that takes a while), so that nothing runs into it once its destruction has begun.
    virtual void PrepareToClose() = 0;
    // True once a picture from the sensor has been shown (the screenshot of the demonstration waits
    // for it).
    virtual bool ShowsLivePicture() const { return false; }
};

} // namespace orlo
