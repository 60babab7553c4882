#pragma once

#include "gui/shell/PageBase.h"
#include "gui/shell/PageFactory.h"

namespace orlo {

class DeviceSession;

// Stand-ins for the pages that are not built yet, so the main window's whole flow runs. The
// monitoring stand-in has the page's layout (connect row, picture area, switches and filters) with
// its controls inactive, and disconnects when the main window asks.
class CPlaceholderHomePage : public CHomePageBase {
    Q_OBJECT

public:
    CPlaceholderHomePage(DeviceSession& session, QWidget* mainWindow);

    bool CanLeavePage() override { return true; }
    void ResumeMonitoring() override {}
    void PrepareToClose() override {}

protected:
    bool event(QEvent* event) override;

private:
    void LayoutControls();

    DeviceSession& session_;
    QWidget* mainWindow_; // not the parent once the window has put its pages in a scroll area
};

// An empty settings page with its title.
class CPlaceholderPage : public CPageBase {
    Q_OBJECT

public:
    CPlaceholderPage(const QString& title, QWidget* mainWindow);

    bool CanLeavePage() override { return true; }
};

PageFactory PlaceholderPageFactory();

} // namespace orlo
