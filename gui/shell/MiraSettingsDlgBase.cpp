#include "gui/shell/MiraSettingsDlgBase.h"

#include "core/strings/CaptionIds.h"
#include "gui/shell/WindowMessages.h"
#include "gui/shell/WindowSystemTitle.h"
#include "gui/uikit/MessageEvent.h"
#include "gui/uikit/OrgMFCButton.h"
#include "gui/uikit/OrgMessageBox.h"
#include "gui/uikit/Pictures.h"
#include "gui/uikit/StringText.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFrame>
#include <QLabel>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QSessionManager>
#include <QStyle>
#include <QThread>
#include <algorithm>

namespace orlo {
namespace {

constexpr int MSG_OFFER_KEPT_EDITS = 9093;
constexpr QSize NAV_BUTTON_SIZE{120, 48};
constexpr int GAP = 8;
constexpr int RULE_THICKNESS = 2;
// Room for the window frame and title bar while the window system has not told their size yet.
constexpr QSize FRAME_ALLOWANCE{16, 40};

int Index(PageId page) {
    return static_cast<int>(page);
}

QFrame* Rule(QFrame::Shape shape, QWidget* parent) {
    auto* rule = new QFrame(parent); // owned by the window
    rule->setFrameShape(shape);
    rule->setFrameShadow(QFrame::Sunken);
    return rule;
}

} // namespace

CMiraSettingsDlgBase::CMiraSettingsDlgBase(const PageFactory& factory, QWidget* parent,
                                           CommandLog::Switch logSwitch)
    : CBasisDialog(parent), session_(".", logSwitch), navigation_(new QWidget(this)),
      scrollArea_(new QScrollArea(this)), content_(new QWidget),
      horizontalRule_(Rule(QFrame::HLine, navigation_)),
      settingsLabel_(new QLabel(StringText(CAP_SETTINGS), navigation_)),
      verticalRule_(Rule(QFrame::VLine, content_)) {
    scrollArea_->setFrameShape(QFrame::NoFrame);
    scrollArea_->setWidget(content_);
    const QString texts[PAGE_COUNT] = {StringText(CAP_BACK), StringText(CAP_PAGE_CAMERA),
                                       StringText(CAP_PAGE_DETECTION), StringText(CAP_PAGE_SYSTEM)};
    for (int i = 0; i < PAGE_COUNT; ++i) {
        auto* button = new COrgMFCButton(texts[i], navigation_);
        const PageId page = static_cast<PageId>(i);
        connect(button, &QPushButton::clicked, this, [this, page] { RequestPage(page); });
        navButtons_[static_cast<std::size_t>(i)] = button;
    }
    setWindowIcon(QIcon(QPixmap::fromImage(LoadPicture(PIC_APP_ICON))));
    CreatePages(factory);
    InitNavigationButtons();
    // Direct: the session manager waits for the answer.
    connect(qApp, &QGuiApplication::commitDataRequest, this, &CMiraSettingsDlgBase::CommitSessionData,
            Qt::DirectConnection);
}

CMiraSettingsDlgBase::~CMiraSettingsDlgBase() {
    // Also when the window goes without a close request.
    homePage_->PrepareToClose();
    homePage_ = nullptr;
    for (auto& page : pages_) {
        page.reset();
    }
}

void CMiraSettingsDlgBase::CreatePages(const PageFactory& factory) {
    std::unique_ptr<CHomePageBase> home = factory.home(session_, *this);
    homePage_ = home.get();
    pages_[0] = std::move(home);
    const PageFactory::MakePage* makers[] = {&factory.camera, &factory.detection, &factory.system};
    for (std::size_t i = 0; i < 3; ++i) {
        pages_[i + 1] = (*makers[i])(session_, *this);
    }
    for (const auto& page : pages_) {
        page->setParent(content_);
        page->hide();
    }
    homePage_->show();
    currentPage_ = PageId::Home;
}

CPageBase* CMiraSettingsDlgBase::Page(PageId page) const {
    return pages_[static_cast<std::size_t>(Index(page))].get();
}

COrgMFCButton* CMiraSettingsDlgBase::NavigationButton(PageId page) const {
    return navButtons_[static_cast<std::size_t>(Index(page))];
}

void CMiraSettingsDlgBase::InitNavigationButtons() {
    const int icons[PAGE_COUNT] = {PIC_NAV_HOME, PIC_NAV_CAMERA, PIC_NAV_DETECTION, PIC_NAV_SYSTEM};
    QFont font = navButtons_[0]->font();
    font.setPixelSize(QFontInfo(font).pixelSize() + 2);
    for (int i = 0; i < PAGE_COUNT; ++i) {
        COrgMFCButton* button = navButtons_[static_cast<std::size_t>(i)];
        button->setIcon(QIcon(QPixmap::fromImage(LoadPicture(icons[i]))));
        button->setIconSize({32, 32});
        button->setFont(font);
        button->SetStandardFace(false);
        button->SetOverlay(QColor(180, 200, 230), 100);
        button->setFocusPolicy(Qt::TabFocus);
        // Enter does nothing in this window, also on a focused button.
        button->setAutoDefault(false);
        button->setEnabled(i == 0);
    }
    navButtons_[0]->hide();
    LayoutWindow();
}

void CMiraSettingsDlgBase::LayoutWindow() {
    const QRect column = LayoutNavigation({8, 16});
    navigation_->resize(column.right() + 1, column.bottom() + 1);
    // In the scroll area, which starts at the column's right edge.
    const QRect pages = LayoutPages({0, 16});
    FitSeparator(pages);
    content_->resize(pages.right() + 1, pages.bottom() + 1);
    FitToScreen();
}

QSize CMiraSettingsDlgBase::WholeSize() const {
    return {navigation_->width() + content_->width(), std::max(navigation_->height(), content_->height())};
}

void CMiraSettingsDlgBase::FitToScreen() {
    const QSize whole = WholeSize();
    QSize client = whole;
    if (const QScreen* display = screen()) {
        const QSize frame = isVisible() && frameGeometry().size() != size() ? frameGeometry().size() - size()
                                                                            : FRAME_ALLOWANCE;
        const QSize room = display->availableGeometry().size() - frame;
        const int bar = style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, scrollArea_);
        const bool tall = client.height() > room.height();
        const bool wide = client.width() + (tall ? bar : 0) > room.width();
        if (tall) {
            client.setHeight(room.height());
            client.setWidth(std::min(client.width() + bar, room.width()));
        }
        if (wide) {
            client.setWidth(room.width());
            client.setHeight(std::min(whole.height() + bar, room.height()));
        }
    }
    const int column = navigation_->width();
    scrollArea_->setGeometry(column, 0, client.width() - column, client.height());
    WindowSizeForClient(client);
}

QRect CMiraSettingsDlgBase::LayoutNavigation(QPoint origin) {
    const QRect back(origin, NAV_BUTTON_SIZE);
    navButtons_[0]->setGeometry(back);
    const QRect rule(back.left() - GAP, back.bottom() + 1 + GAP, NAV_BUTTON_SIZE.width() + 2 * GAP,
                     RULE_THICKNESS);
    horizontalRule_->setGeometry(rule);
    settingsLabel_->adjustSize();
    settingsLabel_->move(rule.left() + GAP, rule.bottom() + 1 + GAP);
    int top = settingsLabel_->geometry().bottom() + 1 + GAP;
    for (int i = 1; i < PAGE_COUNT; ++i) {
        navButtons_[static_cast<std::size_t>(i)]->setGeometry(
            QRect(QPoint(settingsLabel_->x(), top), NAV_BUTTON_SIZE));
        top += NAV_BUTTON_SIZE.height() + GAP;
    }
    const int bottom = navButtons_[PAGE_COUNT - 1]->geometry().bottom();
    return QRect(QPoint(origin.x(), origin.y()), QPoint(rule.right(), bottom));
}

QRect CMiraSettingsDlgBase::LayoutPages(QPoint origin) {
    QSize largest(0, 0);
    for (const auto& page : pages_) {
        largest = largest.expandedTo(page->size());
    }
    for (const auto& page : pages_) {
        page->move(origin);
        page->WindowSizeForClient(largest);
    }
    return QRect(origin, largest);
}

void CMiraSettingsDlgBase::FitSeparator(const QRect& pageArea) {
    verticalRule_->setGeometry(pageArea.left(), pageArea.top(), RULE_THICKNESS, pageArea.height());
    verticalRule_->raise();
}

void CMiraSettingsDlgBase::SetCaption(const QString& caption) {
    if (QThread::currentThread() == thread()) {
        setWindowTitle(caption);
        return;
    }
    // Queued, not blocking: the user-interface thread may be about to join the caller.
    QMetaObject::invokeMethod(
        this, [this, caption] { setWindowTitle(caption); }, Qt::QueuedConnection);
}

void CMiraSettingsDlgBase::OfferKeptEdits() {
    for (const PageId id : {PageId::Camera, PageId::Detection}) {
        CPageBase* page = Page(id);
        if (!session_.IsConnected() || page == nullptr || !page->HasKeptEditsForConnectedSensor()) {
            continue;
        }
        const bool reapply =
            COrgMessageBox::Show(this, StringText(MSG_OFFER_KEPT_EDITS), MessageButtons::YesNo,
                                 MessageIcon::Question) == MessageAnswer::Yes;
        page->AnswerKeptEdits(reapply);
        if (reapply) {
            RequestPage(id);
            return; // another page's edits are offered when it is next shown
        }
    }
}

void CMiraSettingsDlgBase::RequestPage(PageId target) {
    if (target == currentPage_ || !CanLeaveCurrentPage()) {
        return;
    }
    SelectNavigationButton(target);
    ShowPage(target);
}

void CMiraSettingsDlgBase::SelectNavigationButton(PageId page) {
    for (int i = 1; i < PAGE_COUNT; ++i) {
        navButtons_[static_cast<std::size_t>(i)]->SetPressedLook(i == Index(page));
    }
}

bool CMiraSettingsDlgBase::CanLeaveCurrentPage() {
    switch (currentPage_) {
    case PageId::Home:
        // Leaving the monitoring page stops its loop; only a loop that could not be stopped keeps it.
        return homePage_->CanLeavePage();
    case PageId::Camera:
    case PageId::Detection:
        return Page(currentPage_)->CanLeavePage();
    case PageId::System:
        return true;
    }
    return true;
}

bool CMiraSettingsDlgBase::CanCloseCurrentPage() {
    return currentPage_ == PageId::Home || CanLeaveCurrentPage();
}

void CMiraSettingsDlgBase::CommitSessionData(QSessionManager& manager) {
    // The question needs the session manager's leave; without it the session ends as it would.
    if (!manager.allowsInteraction()) {
        return;
    }
    if (!CanCloseCurrentPage()) {
        manager.cancel();
    }
    manager.release();
}

void CMiraSettingsDlgBase::ShowPage(PageId page) {
    currentPage_ = page;
    if (page == PageId::Home) {
        homePage_->show();
        for (int i = 1; i < PAGE_COUNT; ++i) {
            pages_[static_cast<std::size_t>(i)]->hide();
        }
        navButtons_[0]->hide();
        homePage_->ResumeMonitoring();
        return;
    }
    homePage_->hide();
    for (int i = 1; i < PAGE_COUNT; ++i) {
        pages_[static_cast<std::size_t>(i)]->setVisible(i == Index(page));
    }
    navButtons_[0]->show();
}

void CMiraSettingsDlgBase::ReturnHome() {
    SelectNavigationButton(PageId::Home);
    homePage_->show();
    for (int i = 1; i < PAGE_COUNT; ++i) {
        pages_[static_cast<std::size_t>(i)]->hide();
    }
    navButtons_[0]->hide();
    currentPage_ = PageId::Home;
    PostMessageTo(homePage_, WM_HOME_DISCONNECT);
}

void CMiraSettingsDlgBase::SetNavigationEnabled(bool enabled) {
    for (COrgMFCButton* button : navButtons_) {
        button->setEnabled(enabled);
    }
}

bool CMiraSettingsDlgBase::event(QEvent* event) {
    switch (static_cast<int>(event->type())) {
    case WM_DEVICE_DISCONNECTED:
        SetNavigationEnabled(false);
        setWindowTitle(QString());
        return true;
    case WM_DEVICE_CONNECTED:
        SetNavigationEnabled(true);
        return true;
    case WM_RETURN_HOME:
    case WM_RETURN_HOME_LINK_LOST:
        ReturnHome();
        return true;
    case WM_SHOW_CAMERA_PAGE:
        if (currentPage_ != PageId::Camera && CanLeaveCurrentPage()) {
            SelectNavigationButton(PageId::Camera);
            ShowPage(PageId::Camera);
        }
        return true;
    case WM_OFFER_KEPT_EDITS:
        OfferKeptEdits();
        return true;
    default:
        return CBasisDialog::event(event);
    }
}

void CMiraSettingsDlgBase::changeEvent(QEvent* event) {
    CBasisDialog::changeEvent(event);
    if (event->type() == QEvent::WindowTitleChange) {
        ShowEmptyTitleAsEmpty(*this); // the caption is empty while nothing is connected
    }
}

void CMiraSettingsDlgBase::showEvent(QShowEvent* event) {
    CBasisDialog::showEvent(event);
    FitToScreen(); // now on its screen
    if (size() != WholeSize()) {
        move(screen()->availableGeometry().topLeft());
    }
    ShowEmptyTitleAsEmpty(*this);
}

void CMiraSettingsDlgBase::closeEvent(QCloseEvent* event) {
    if (!CanCloseCurrentPage()) {
        event->ignore();
        return;
    }
    // While the window is still on screen, so the wait dialog shows what the program waits for.
    homePage_->PrepareToClose();
    event->accept();
    done(1);
}

void CMiraSettingsDlgBase::reject() {}

} // namespace orlo
