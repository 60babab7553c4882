#include "gui/uikit/ImgButton.h"
#include "gui/uikit/OrgMFCButton.h"
#include "tests/gui/settings/MonitoredWindow.h"

#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QWheelEvent>

namespace orlo {
namespace {

using test::PageFixture;

constexpr QSize LAPTOP_SCREEN{1366, 768};
constexpr int SLOW = 30000;

// Where a click at the centre of the widget lands: the widget itself or one of its children.
bool ClickReaches(QWidget& window, QWidget& widget) {
    const QPoint centre = widget.mapTo(&window, widget.rect().center());
    QWidget* hit = window.childAt(centre);
    return hit != nullptr && (hit == &widget || widget.isAncestorOf(hit));
}

// Clicks where the widget is shown, on whatever the window system would deliver the click to there.
void ClickOnWindow(QWidget& window, QWidget& widget) {
    const QPoint at = widget.mapTo(&window, widget.rect().center());
    QWidget* hit = window.childAt(at);
    QVERIFY(hit != nullptr);
    QTest::mouseClick(hit, Qt::LeftButton, {}, hit->mapFrom(&window, at));
}

// One notch of the mouse wheel, downwards, with the pointer over the middle of the page area.
void WheelDown(QScrollArea& scroll) {
    QWidget& viewport = *scroll.viewport();
    const QPoint at = viewport.rect().center();
    QWheelEvent wheel(at, viewport.mapToGlobal(at), QPoint(), QPoint(0, -QWheelEvent::DefaultDeltasPerStep),
                      Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(&viewport, &wheel);
}

// Where each navigation button is on the window.
QList<QRect> NavigationOnWindow(CMiraSettingsDlgBase& window) {
    QList<QRect> places;
    for (PageId page : {PageId::Home, PageId::Camera, PageId::Detection, PageId::System}) {
        QWidget* button = window.NavigationButton(page);
        places << QRect(button->mapTo(&window, QPoint(0, 0)), button->size());
    }
    return places;
}

} // namespace

// The main window on a laptop screen of 1366 x 768: it keeps within the screen's available area and
// every button of every page can be scrolled to and clicked.
class SmallScreenTest : public QObject {
    Q_OBJECT

private slots:
    void everyButtonOfEveryPageCanBeReached() {
        test::MonitoredWindow monitored;
        QVERIFY(monitored.started);
        PageFixture& f = *monitored.fixture;
        CHomeDlg* home = monitored.home;
        QTRY_VERIFY_WITH_TIMEOUT(home->IsMonitoring(), SLOW);
        CMiraSettingsDlgBase& window = *f.window;
        const QRect available = window.screen()->availableGeometry();
        QCOMPARE(available.size(), LAPTOP_SCREEN);
        QVERIFY2(available.contains(window.frameGeometry()),
                 qPrintable(QStringLiteral("window %1 x %2 at %3, %4")
                                .arg(window.frameGeometry().width())
                                .arg(window.frameGeometry().height())
                                .arg(window.frameGeometry().x())
                                .arg(window.frameGeometry().y())));
        QScrollArea& scroll = *window.ScrollArea();
        QVERIFY(scroll.verticalScrollBar()->isVisible()); // the pages are taller than the screen
        QVERIFY(!scroll.horizontalScrollBar()->isVisible());

        int checked = 0;
        QStringList unreachable;
        for (PageId page : {PageId::Home, PageId::Camera, PageId::Detection, PageId::System}) {
            f.ShowPage(page);
            QCOMPARE(window.CurrentPage(), page);
            QList<QAbstractButton*> buttons = window.findChildren<QAbstractButton*>();
            for (QAbstractButton* button : buttons) {
                if (!button->isVisibleTo(&window) || button->isWindow()) {
                    continue;
                }
                // What scrolls must be scrolled to; the rest must be on the window as it is.
                QRect visible = window.rect();
                if (scroll.widget()->isAncestorOf(button)) {
                    scroll.ensureWidgetVisible(button, 0, 0);
                    visible =
                        QRect(scroll.viewport()->mapTo(&window, QPoint(0, 0)), scroll.viewport()->size());
                }
                const QRect onWindow(button->mapTo(&window, QPoint(0, 0)), button->size());
                if (!visible.contains(onWindow) || !ClickReaches(window, *button)) {
                    unreachable << QStringLiteral("page %1: '%2' at %3, %4")
                                       .arg(static_cast<int>(page))
                                       .arg(button->text())
                                       .arg(onWindow.x())
                                       .arg(onWindow.y());
                }
                ++checked;
            }
        }
        QVERIFY2(unreachable.isEmpty(), qPrintable(unreachable.join(QLatin1Char('\n'))));
        QVERIFY(checked >= 20);

        // A click on the lowest filter button, scrolled into view, reaches the page.
        f.ShowPage(PageId::Home);
        CImgButton* filter = home->FilterButton(3);
        scroll.ensureWidgetVisible(filter, 0, 0);
        const int before = filter->GetCheckState();
        ClickOnWindow(window, *filter);
        QCOMPARE(filter->GetCheckState(), 1 - before);
    }

    // Scrolling moves the page alone: the navigation column stays where it is and works at any
    // scroll position.
    void thePageScrollsUnderAFixedNavigationColumn() {
        test::MonitoredWindow monitored;
        QVERIFY(monitored.started);
        PageFixture& f = *monitored.fixture;
        QTRY_VERIFY_WITH_TIMEOUT(monitored.home->IsMonitoring(), SLOW);
        CMiraSettingsDlgBase& window = *f.window;
        f.ShowPage(PageId::Detection);
        QScrollArea& scroll = *window.ScrollArea();
        QScrollBar& bar = *scroll.verticalScrollBar();
        QVERIFY(bar.isVisible());
        QCOMPARE(bar.value(), 0);
        const QList<QRect> column = NavigationOnWindow(window);
        CPageBase& page = *window.Page(PageId::Detection);
        const QPoint pageAt = page.mapTo(&window, QPoint(0, 0));

        while (bar.value() < bar.maximum()) {
            const int before = bar.value();
            WheelDown(scroll);
            QVERIFY(bar.value() > before);
        }
        QVERIFY(bar.value() > 0);
        QCOMPARE(page.mapTo(&window, QPoint(0, 0)), pageAt - QPoint(0, bar.value()));
        QCOMPARE(NavigationOnWindow(window), column);

        for (PageId target : {PageId::System, PageId::Camera, PageId::Home}) {
            ClickOnWindow(window, *window.NavigationButton(target));
            QCOMPARE(window.CurrentPage(), target);
            QCOMPARE(NavigationOnWindow(window), column);
            // The new page's load, before the next click asks the page whether it may be left.
            QCoreApplication::sendPostedEvents(window.Page(target),
                                               MessageType(CSettingBaseDlg::WM_APP_LOAD));
        }
        QVERIFY(f.unexpectedBoxes.isEmpty());
    }
};

} // namespace orlo

// A virtual screen of a laptop's size, whatever the test environment chose.
int main(int argc, char** argv) {
    // Inside the working folder, named relative to it: a platform argument cannot hold the colon of a
    // Windows drive.
    QTemporaryDir directory(QDir::current().filePath(QStringLiteral("small-screen-XXXXXX")));
    const QString configFile =
        QDir::current().relativeFilePath(QDir(directory.path()).filePath(QStringLiteral("screen.json")));
    QFile file(configFile);
    if (!file.open(QIODevice::WriteOnly)) {
        return 2;
    }
    file.write(QStringLiteral(R"({"windowFrameMargins": true, "screens": [{"name": "laptop", "x": 0, "y": 0,
        "width": %1, "height": %2, "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1}]})")
                   .arg(orlo::LAPTOP_SCREEN.width())
                   .arg(orlo::LAPTOP_SCREEN.height())
                   .toUtf8());
    file.close();
    // Given last on the command line, this platform wins over one the test's runner names there.
    QByteArray platform = ("offscreen:configfile=" + configFile).toUtf8();
    QByteArray platformOption("-platform");
    std::vector<char*> arguments(argv, argv + argc);
    arguments.push_back(platformOption.data());
    arguments.push_back(platform.data());
    int count = static_cast<int>(arguments.size());
    arguments.push_back(nullptr);
    QApplication application(count, arguments.data());
    orlo::SmallScreenTest test;
    return QTest::qExec(&test, count, arguments.data());
}

#include "SmallScreenTest.moc"
