#include "tests/support/PlaceholderPages.h"

#include "core/device/DeviceSession.h"
#include "core/strings/CaptionIds.h"
#include "gui/shell/MiraSettingsDlgBase.h"
#include "gui/shell/WindowMessages.h"
#include "gui/uikit/ImgButton.h"
#include "gui/uikit/MessageEvent.h"
#include "gui/uikit/Pictures.h"
#include "gui/uikit/StringText.h"

#include <QLabel>
#include <QMenu>
#include <QPainter>
#include <QToolButton>

namespace orlo {
namespace {

// The 640 x 640 picture area; black while nothing is connected.
class PictureArea : public QWidget {
public:
    explicit PictureArea(QWidget* parent) : QWidget(parent) { setFixedSize(640, 640); }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.fillRect(rect(), Qt::black);
    }
};

QLabel* Label(const QString& text, QWidget* parent) {
    auto* label = new QLabel(text, parent); // owned by the page
    label->adjustSize();
    return label;
}

// Places a widget of the given size so that its vertical centre is that of anchor.
void CentreOn(QWidget* widget, int x, const QWidget* anchor) {
    widget->move(x, anchor->y() + anchor->height() / 2 - widget->height() / 2);
}

} // namespace

CPlaceholderHomePage::CPlaceholderHomePage(DeviceSession& session, QWidget* mainWindow)
    : CHomePageBase(mainWindow), session_(session), mainWindow_(mainWindow) {
    LayoutControls();
}

void CPlaceholderHomePage::LayoutControls() {
    auto* connect = new QToolButton(this);
    connect->setObjectName(QStringLiteral("connectButton"));
    connect->setText(StringText(CAP_CONNECT));
    connect->setIcon(QIcon(QPixmap::fromImage(LoadPicture(PIC_CONNECT_OFF))));
    connect->setIconSize({24, 24});
    connect->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    connect->setPopupMode(QToolButton::InstantPopup);
    auto* menu = new QMenu(connect);
    menu->addAction(StringText(CAP_MENU_COM))->setEnabled(false);
    menu->addAction(StringText(CAP_MENU_LAN))->setEnabled(false);
    connect->setMenu(menu);
    const int connectWidth = std::max(136, connect->sizeHint().width());
    connect->setGeometry(344 - connectWidth / 2, 16, connectWidth, 40);

    auto* settings = new CImgButton(this);
    settings->Setup(PIC_SETTINGS_BUTTON, {1, true});
    settings->setGeometry(616, 12, 48, 48);

    auto* picture = new PictureArea(this);
    picture->move(24, connect->geometry().bottom() + 1 + 16);
    const int pictureBottom = picture->geometry().bottom() + 1;
    const int pictureRight = picture->geometry().right() + 1;

    QLabel* image = Label(StringText(CAP_PICTURE_SWITCH), this);
    image->move(24, pictureBottom + 16);
    auto* imageSwitch = new CImgButton(this);
    imageSwitch->Setup(PIC_SWITCH, {2, true});
    imageSwitch->SetCheckState(1);
    CentreOn(imageSwitch, image->geometry().right() + 1 + 4, image);

    auto* diffSwitch = new CImgButton(this);
    diffSwitch->Setup(PIC_SWITCH, {2, true});
    CentreOn(diffSwitch, pictureRight - diffSwitch->width(), image);
    QLabel* diff = Label(StringText(CAP_DIFF_SWITCH), this);
    diff->move(diffSwitch->x() - 4 - diff->width(), image->y());

    const int switchBottom = std::max(imageSwitch->geometry().bottom(), image->geometry().bottom()) + 1;
    QLabel* filters = Label(StringText(CAP_EXCLUDED_RESULTS), this);
    filters->move(24, switchBottom + 24);
    int x = 24 + 24;
    int filterBottom = 0;
    for (const QString& caption :
         {StringText(CAP_FILTER_ALL), StringText(CAP_FILTER_AREA_MASK), StringText(CAP_FILTER_SIZE_MASK),
          StringText(CAP_FILTER_FALSE_DETECTION)}) {
        auto* filter = new CImgButton(caption, this);
        filter->Setup(PIC_COMMON_BUTTON, {2, true});
        filter->move(x, filters->geometry().bottom() + 1 + 16);
        x += filter->width() + 16;
        filterBottom = filter->geometry().bottom() + 1;
    }
    WindowSizeForClient({pictureRight + 24, filterBottom + 32});
}

bool CPlaceholderHomePage::event(QEvent* event) {
    if (event->type() == MessageType(WM_HOME_DISCONNECT)) {
        session_.Disconnect();
        SendMessageTo(mainWindow_, WM_DEVICE_DISCONNECTED);
        return true;
    }
    return CHomePageBase::event(event);
}

CPlaceholderPage::CPlaceholderPage(const QString& title, QWidget* mainWindow) : CPageBase(mainWindow) {
    QLabel* label = Label(title, this);
    QFont heading = label->font();
    heading.setPixelSize(QFontInfo(label->font()).pixelSize() * 7 / 5);
    heading.setBold(true);
    label->setFont(heading);
    label->adjustSize();
    label->move(24, 16);
    WindowSizeForClient({label->geometry().right() + 25, label->geometry().bottom() + 17});
}

PageFactory PlaceholderPageFactory() {
    const auto settingsPage = [](const QString& title) {
        return [title](DeviceSession&, CMiraSettingsDlgBase& mainWindow) -> std::unique_ptr<CPageBase> {
            return std::make_unique<CPlaceholderPage>(title, &mainWindow);
        };
    };
    PageFactory factory;
    factory.home = [](DeviceSession& session,
                      CMiraSettingsDlgBase& mainWindow) -> std::unique_ptr<CHomePageBase> {
        return std::make_unique<CPlaceholderHomePage>(session, &mainWindow);
    };
    factory.camera = settingsPage(StringText(CAP_PAGE_CAMERA));
    factory.detection = settingsPage(StringText(CAP_PAGE_DETECTION));
    factory.system = settingsPage(StringText(CAP_PAGE_SYSTEM));
    return factory;
}

} // namespace orlo
