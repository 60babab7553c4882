#pragma once

#include "core/device/DeviceSession.h"
#include "gui/shell/PageBase.h"
#include "gui/shell/PageFactory.h"
#include "gui/uikit/BasisDialog.h"

#include <array>
#include <memory>

class QFrame;
class QLabel;
class QScrollArea;
class QSessionManager;

namespace orlo {

class COrgMFCButton;

// The main window: owns the device session and the four pages, shows one page at a time and
// switches with the navigation column on the left ("戻る" and, under "設定", the three settings
// pages). It asks the current page before it leaves it, takes the pages back home when they report
// a lost link, and shows the connected device in its caption. Closing it ends the program; a
// settings page with edits not yet applied is asked first, as when it is left (also when the user's
// session ends), then the pages go (monitoring, camera, detection, system), then the session. The
// pages lie in a scroll area beside the navigation column, shown whole where the screen is large
// enough; on a smaller screen the window keeps within the available area and only the pages scroll.
class CMiraSettingsDlgBase : public CBasisDialog {
    Q_OBJECT

public:
    explicit CMiraSettingsDlgBase(const PageFactory& factory, QWidget* parent = nullptr,
                                  CommandLog::Switch logSwitch = CommandLog::Switch::OutputLogFile);
    ~CMiraSettingsDlgBase() override;

    DeviceSession& Session() { return session_; }
    PageId CurrentPage() const { return currentPage_; }
    CPageBase* Page(PageId page) const;
    COrgMFCButton* NavigationButton(PageId page) const;
    QScrollArea* ScrollArea() const { return scrollArea_; }
    // Fits the window to the content, or to the available area of its screen when that is smaller.
    void FitToScreen();

    // The caption; callable from any thread (a connect worker sets it while the user-interface
    // thread runs the wait dialog).
    void SetCaption(const QString& caption);

    // As a click on the page's navigation button: nothing for the page already shown or when the
    // current page refuses to be left.
    void RequestPage(PageId target);
    // The monitoring page without asking the current page, and a disconnect request to it.
    void ReturnHome();

protected:
    bool event(QEvent* event) override;
    void changeEvent(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void reject() override;

private:
    void CreatePages(const PageFactory& factory);
    void InitNavigationButtons();
    void LayoutWindow();
    QRect LayoutNavigation(QPoint origin);
    QRect LayoutPages(QPoint origin);
    // The navigation column and the page area side by side, unscrolled.
    QSize WholeSize() const;
    void FitSeparator(const QRect& pageArea);
    void SelectNavigationButton(PageId page);
    bool CanLeaveCurrentPage();
    // Whether closing may drop what the current page holds: the monitoring page ends its work in
    // PrepareToClose instead of being asked (asking would stop its loop before the user decides).
    bool CanCloseCurrentPage();
    void CommitSessionData(QSessionManager& manager);
    void ShowPage(PageId page);
    void SetNavigationEnabled(bool enabled);
    // After a connect: a settings page that kept edits from a lost link to this sensor offers them once.
    void OfferKeptEdits();

    DeviceSession session_;
    QWidget* navigation_; // the column on the left, outside the scroll area so that it stays put
    QScrollArea* scrollArea_;
    QWidget* content_; // owned by the scroll area; parent of the pages
    std::array<COrgMFCButton*, PAGE_COUNT> navButtons_{};
    QFrame* horizontalRule_;
    QLabel* settingsLabel_;
    QFrame* verticalRule_;
    // Owned here rather than by Qt so that they are destroyed in order and before the session.
    std::array<std::unique_ptr<CPageBase>, PAGE_COUNT> pages_;
    CHomePageBase* homePage_ = nullptr;
    PageId currentPage_ = PageId::Home;
};

} // namespace orlo
