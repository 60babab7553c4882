#include "monitor/HomeDlg.h"

#include "app/MiraSettingsDlg.h"
#include "app/PlaceholderPages.h"
#include "connect/LanConnectDlg.h"
#include "resources/StringTable.h"
#include "sim/Simulator.h"
#include "uikit/ImgButton.h"
#include "uikit/MessageBox.h"
#include "uikit/OrgMFCButton.h"

#include <QAction>
#include <QTemporaryDir>
#include <QtTest>
#include <fstream>

namespace orlo {
namespace {

using namespace std::chrono_literals;

QString Text(int id) {
    const auto text = LoadString(id);
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// The main window with the real monitoring page, in a directory of its own, against the simulator.
struct Fixture {
    explicit Fixture(const std::string& faults = "") {
        QDir::setCurrent(directory.path());
        std::ofstream("Orlo-X1.conf") << "[Application]\nRenewInterval=50\n";
        sim::SimConfig config;
        config.tcp = sim::TcpEndpoint{"127.0.0.1", 0};
        if (!faults.empty()) {
            std::string error;
            config.faults.add(faults, error);
        }
        simulator = std::make_unique<sim::Simulator>(config);
        std::string error;
        started = simulator->start(error);
        PageFactory factory = PlaceholderPageFactory();
        factory.home = [this](DeviceSession& session, CMiraSettingsDlgBase& window) {
            auto page = std::make_unique<CHomeDlg>(session, window);
            home = page.get();
            page->ConnectOnStart("127.0.0.1", simulator->tcpPort());
            return std::unique_ptr<CHomePageBase>(std::move(page));
        };
        window = std::make_unique<CMiraSettingsDlg>(factory);
        window->show();
    }
    ~Fixture() {
        window.reset();
        simulator.reset();
        COrgMessageBox::ResetPresets();
    }

    bool PictureShown() const {
        // Anything but black and the grey placeholder inside the picture area.
        const QImage& surface = home->Surface();
        for (int y = 100; y < 540; y += 7) {
            for (int x = 20; x < 620; x += 7) {
                const QColor c = surface.pixelColor(x, y);
                if (c != QColor(Qt::black) && c != QColor(128, 128, 128)) {
                    return true;
                }
            }
        }
        return false;
    }

    QTemporaryDir directory;
    std::unique_ptr<sim::Simulator> simulator;
    bool started = false;
    CHomeDlg* home = nullptr;
    std::unique_ptr<CMiraSettingsDlg> window;
};

class HomeDlgTest : public QObject {
    Q_OBJECT

private slots:
    void ConnectsAndShowsLivePictures() {
        Fixture fixture;
        QVERIFY(fixture.started);
        DeviceSession& session = fixture.window->Session();
        QTRY_VERIFY_WITH_TIMEOUT(session.IsConnected(), 10000);
        QVERIFY(fixture.window->windowTitle().contains(QStringLiteral("Orlo-X1")));
        QVERIFY(fixture.window->windowTitle().contains(QStringLiteral("127.0.0.1:")));
        QTRY_VERIFY_WITH_TIMEOUT(fixture.PictureShown(), 10000);
        QVERIFY(fixture.home->IsMonitoring());
        // The demonstration's connection is not remembered.
        std::ifstream conf("Orlo-X1.conf");
        const std::string text{std::istreambuf_iterator<char>(conf), std::istreambuf_iterator<char>()};
        QVERIFY(text.find("PortNo") == std::string::npos);

        // Leaving the page stops the loop; coming back resumes it.
        fixture.window->RequestPage(PageId::Camera);
        QCOMPARE(fixture.window->CurrentPage(), PageId::Camera);
        QVERIFY(!fixture.home->IsMonitoring());
        fixture.window->RequestPage(PageId::Home);
        QVERIFY(fixture.home->IsMonitoring());
    }

    void CancelledDialogReconnectsWithTheRememberedValues() {
        Fixture fixture;
        DeviceSession& session = fixture.window->Session();
        QTRY_VERIFY_WITH_TIMEOUT(session.IsConnected(), 10000);
        const std::uint16_t port = session.LanPort();
        QTimer closer;
        connect(&closer, &QTimer::timeout, [] {
            for (QWidget* widget : QApplication::topLevelWidgets()) {
                if (auto* dialog = qobject_cast<CLanConnectDlg*>(widget); dialog && dialog->isVisible()) {
                    dialog->reject();
                }
            }
        });
        closer.start(20);
        fixture.home->LanAction()->trigger();
        QVERIFY(session.IsConnected());
        QCOMPARE(session.LanPort(), port);
        QVERIFY(fixture.home->IsMonitoring());
    }

    void SettingsAbnormalGoesToTheCameraPage() {
        COrgMessageBox::PresetAnswer(MessageAnswer::Ok);
        Fixture fixture("abnormal@0x03");
        QTRY_VERIFY_WITH_TIMEOUT(COrgMessageBox::AnsweredTexts().contains(Text(1113)), 10000);
        QTRY_COMPARE_WITH_TIMEOUT(fixture.window->CurrentPage(), PageId::Camera, 5000);
        QVERIFY(fixture.window->Session().IsConnected()); // the link stays open
        QVERIFY(!fixture.home->IsMonitoring());
    }

    void LinkCutDuringAResponseDisconnects() {
        COrgMessageBox::PresetAnswer(MessageAnswer::Ok);
        Fixture fixture("drop-after=100@0x03");
        QTRY_VERIFY_WITH_TIMEOUT(COrgMessageBox::AnsweredTexts().contains(Text(1112)), 10000);
        QTRY_VERIFY(!fixture.window->Session().IsConnected());
        QVERIFY(fixture.window->windowTitle().isEmpty() ||
                !fixture.window->windowTitle().contains(QStringLiteral("127.0.0.1")));
    }

    void ConnectFailureReportsAndStaysDisconnected() {
        COrgMessageBox::PresetAnswer(MessageAnswer::Ok);
        Fixture fixture("error=0xF3@0x00");
        QTRY_VERIFY_WITH_TIMEOUT(!COrgMessageBox::AnsweredTexts().isEmpty(), 10000);
        QVERIFY(COrgMessageBox::AnsweredTexts().first().contains(QStringLiteral("F3h")));
        QVERIFY(!fixture.window->Session().IsConnected());
        QVERIFY(!fixture.window->NavigationButton(PageId::Camera)->isEnabled());
    }

    void FilterButtons() {
        Fixture fixture;
        CHomeDlg& home = *fixture.home;
        const auto states = [&] {
            return QString("%1%2%3%4")
                .arg(home.FilterButton(0)->GetCheckState())
                .arg(home.FilterButton(1)->GetCheckState())
                .arg(home.FilterButton(2)->GetCheckState())
                .arg(home.FilterButton(3)->GetCheckState());
        };
        home.FilterButton(1)->click();
        home.FilterButton(2)->click();
        QCOMPARE(states(), QStringLiteral("0110"));
        QCOMPARE(home.GetResultFilter(), FILTER_AREA_MASK | FILTER_SIZE_MASK);
        home.FilterButton(3)->click(); // all three: "すべて" instead
        QCOMPARE(states(), QStringLiteral("1000"));
        QCOMPARE(home.GetResultFilter(), FILTER_ALL);
        home.FilterButton(0)->click(); // off again; the others stay off
        QCOMPARE(states(), QStringLiteral("0000"));
        home.FilterButton(3)->click();
        home.FilterButton(0)->click();
        QCOMPARE(states(), QStringLiteral("1000"));
    }
};

} // namespace
} // namespace orlo

QTEST_MAIN(orlo::HomeDlgTest)
#include "HomeDlgTest.moc"
