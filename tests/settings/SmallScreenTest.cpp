#include "tests/settings/MonitoredWindow.h"
#include "uikit/ImgButton.h"

#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>

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
                scroll.ensureWidgetVisible(button, 0, 0);
                const QRect onViewport(button->mapTo(scroll.viewport(), QPoint(0, 0)), button->size());
                if (!scroll.viewport()->rect().contains(onViewport) || !ClickReaches(window, *button)) {
                    unreachable << QStringLiteral("page %1: '%2' at %3, %4")
                                       .arg(static_cast<int>(page))
                                       .arg(button->text())
                                       .arg(onViewport.x())
                                       .arg(onViewport.y());
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
        const QPoint at = filter->mapTo(&window, filter->rect().center());
        QWidget* hit = window.childAt(at); // where the window system would deliver the click
        QVERIFY(hit != nullptr);
        QTest::mouseClick(hit, Qt::LeftButton, {}, hit->mapFrom(&window, at));
        QCOMPARE(filter->GetCheckState(), 1 - before);
    }
};

} // namespace orlo

// A virtual screen of a laptop's size, whatever the test environment chose.
int main(int argc, char** argv) {
    QTemporaryDir directory;
    const QString configFile = directory.filePath(QStringLiteral("screen.json"));
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
    qputenv("QT_QPA_PLATFORM", ("offscreen:configfile=" + configFile).toUtf8());
    QApplication application(argc, argv);
    orlo::SmallScreenTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "SmallScreenTest.moc"
