#include "gui/editors/AreaSettingDlg.h"
#include "gui/editors/FalseRectDlg.h"
#include "gui/monitor/HomeDlg.h"
#include "gui/settings/DetectSettingDlg.h"
#include "gui/uikit/ImgButton.h"
#include "gui/uikit/OrgListCtrl.h"
#include "gui/uikit/RangeEdit.h"
#include "tests/gui/settings/EditorSteps.h"
#include "tests/gui/settings/PageFixture.h"

#include <fstream>
#include <sstream>

namespace orlo {

using test::DrawAndClose;
using test::DrawnSensorRect;
using test::ModalDriver;

// The whole tool against the simulator: the monitoring page, the detection page and the area-mask
// editor, with the detection log recording what the monitoring loop receives.
class DetectionEndToEndTest : public QObject {
    Q_OBJECT

    struct Detection {
        Rect rect;
        int areaMaskFlag = 0;
        int falseDetectionFlag = 0;
    };

    // The detections of the log file's complete lines after its first `skipBytes` bytes.
    static std::vector<Detection> LoggedDetections(const std::filesystem::path& file, std::size_t skipBytes) {
        std::ifstream in(file);
        std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
        // Whole lines only: the writer may be in the middle of one.
        text.resize(text.rfind('\n') == std::string::npos ? 0 : text.rfind('\n') + 1);
        std::vector<Detection> detections;
        std::istringstream lines(skipBytes < text.size() ? text.substr(skipBytes) : std::string());
        for (std::string line; std::getline(lines, line);) {
            std::vector<long> fields;
            std::istringstream cells(line);
            std::string cell;
            std::getline(cells, cell, ','); // time
            while (std::getline(cells, cell, ',')) {
                fields.push_back(std::stol(cell));
            }
            // count, plain count, indicator, then 8 fields per detection
            for (std::size_t at = 3; at + 8 <= fields.size(); at += 8) {
                detections.push_back(
                    {{static_cast<std::int32_t>(fields[at]), static_cast<std::int32_t>(fields[at + 1]),
                      static_cast<std::int32_t>(fields[at + 2]), static_cast<std::int32_t>(fields[at + 3])},
                     static_cast<int>(fields[at + 4]),
                     static_cast<int>(fields[at + 6])});
            }
        }
        return detections;
    }

    // The monitoring page connected to a simulator inside the process, logging every detection, and
    // the detection page, in a folder of their own.
    struct Tool {
        QTemporaryDir directory;
        std::unique_ptr<sim::Simulator> simulator;
        CHomeDlg* home = nullptr;
        CDetectSettingDlg* page = nullptr;
        std::unique_ptr<CMiraSettingsDlg> window;

        // False when the simulator or the connection did not come up (the reason is logged).
        bool Started() {
            Start();
            return !QTest::currentTestFailed();
        }

        void Start() {
            QDir::setCurrent(directory.path());
            std::ofstream("Orlo-X1.conf") << "[Application]\nRenewInterval=20\n";
            std::ofstream("outputdetectlog");
            sim::SimConfig config;
            config.tcp = sim::TcpEndpoint{"127.0.0.1", 0};
            simulator = std::make_unique<sim::Simulator>(config);
            std::string error;
            QVERIFY2(simulator->start(error), error.c_str());
            PageFactory factory = PlaceholderPageFactory();
            factory.home = [this](DeviceSession& session, CMiraSettingsDlgBase& owner) {
                auto made = std::make_unique<CHomeDlg>(session, owner);
                made->ConnectOnStart("127.0.0.1", simulator->tcpPort());
                home = made.get();
                return std::unique_ptr<CHomePageBase>(std::move(made));
            };
            factory.detection = [this](DeviceSession& session, CMiraSettingsDlgBase& owner) {
                auto made =
                    std::make_unique<CDetectSettingDlg>(session, &owner, directory.path().toStdString());
                page = made.get();
                return std::unique_ptr<CPageBase>(std::move(made));
            };
            window = std::make_unique<CMiraSettingsDlg>(factory);
            window->show();
            QTRY_VERIFY_WITH_TIMEOUT(home->IsMonitoring(), 10000);
        }
    };

private slots:
    void AMaskDrawnInTheEditorReachesTheSensorAndExcludesItsDetections() {
        Tool tool;
        QVERIFY(tool.Started());

        // The mask to be drawn: the left half of the picture, from its top-left corner down past its
        // bottom edge, where the band is clamped.
        const QPoint from(9, 124);
        const QPoint to(308, 700);
        const Rect mask = DrawnSensorRect(from, {308, 573});
        const auto inMask = [&mask](const Detection& d) {
            const int cx = (d.rect.left + d.rect.right) / 2;
            const int cy = (d.rect.top + d.rect.bottom) / 2;
            return cx >= mask.left && cx <= mask.right && cy >= mask.top && cy <= mask.bottom;
        };
        std::filesystem::path logFile;
        QTRY_VERIFY_WITH_TIMEOUT(std::filesystem::exists("log") && !std::filesystem::is_empty("log"), 10000);
        for (const auto& entry : std::filesystem::directory_iterator("log")) {
            logFile = entry.path();
        }
        const auto seen = [&](std::size_t fromByte, bool inside) {
            const auto logged = LoggedDetections(logFile, fromByte);
            return std::any_of(logged.begin(), logged.end(),
                               [&](const Detection& d) { return inMask(d) == inside; });
        };
        // Without the mask nothing there is excluded.
        QTRY_VERIFY_WITH_TIMEOUT(seen(0, true), 30000);
        for (const Detection& d : LoggedDetections(logFile, 0)) {
            QCOMPARE(d.areaMaskFlag, 0);
        }

        tool.window->RequestPage(PageId::Detection);
        QCOMPARE(tool.window->CurrentPage(), PageId::Detection);
        QCoreApplication::sendPostedEvents(tool.page, MessageType(CSettingBaseDlg::WM_APP_LOAD));
        QCOMPARE(tool.page->LastResult(), RC_OK);
        QCOMPARE(tool.page->ThresholdEdit()->text(), QStringLiteral("500"));
        ModalDriver driver;
        driver.Then(DrawAndClose<CAreaSettingDlg>(from, to, true));
        tool.page->AreaMaskButton()->click();
        QVERIFY(driver.Done());
        QCOMPARE(tool.page->EditedValues().areaMasks[0].GetRect(), mask);
        tool.page->ClickApply();
        QCOMPARE(tool.page->LastResult(), RC_OK);
        const sim::AreaMask stored = tool.simulator->settings().areaMasks[0];
        QCOMPARE(
            stored.rect,
            (sim::Rect16{static_cast<std::int16_t>(mask.left), static_cast<std::int16_t>(mask.top),
                         static_cast<std::int16_t>(mask.right), static_cast<std::int16_t>(mask.bottom)}));
        QCOMPARE(stored.judge, sim::kJudgeCentre);
        QVERIFY(!tool.simulator->settings().areaMasks[1].rect.isSet());

        // Back on the monitoring page: detections whose centre lies in the mask come back excluded,
        // the others not.
        const std::size_t masked = std::filesystem::file_size(logFile);
        tool.window->RequestPage(PageId::Home);
        QVERIFY(tool.home->IsMonitoring());
        QTRY_VERIFY_WITH_TIMEOUT(seen(masked, true) && seen(masked, false), 30000);
        for (const Detection& d : LoggedDetections(logFile, masked)) {
            QCOMPARE(d.areaMaskFlag, inMask(d) ? 1 : 0);
        }
        tool.window.reset();
    }

    // A detection the sensor keeps reporting in the same place (the scene's potted plant) is
    // registered as a false detection from the detection page; once applied, the monitoring loop
    // receives it flagged as such.
    void AFalseDetectionRegisteredOnThePageIsExcludedOnTheMonitoringPage() {
        Tool tool;
        QVERIFY(tool.Started());
        tool.window->RequestPage(PageId::Detection);
        QCoreApplication::sendPostedEvents(tool.page, MessageType(CSettingBaseDlg::WM_APP_LOAD));
        QCOMPARE(tool.page->LastResult(), RC_OK);

        // Two runs of the registration: a candidate of the second that the first had too stands still.
        std::vector<Rect> firstRun;
        ModalDriver driver;
        driver.Then(test::OnLoadedEditor<CFalseRectDlg>([&firstRun](CFalseRectDlg& editor) {
            for (const auto& candidate : editor.Candidates()) {
                firstRun.push_back(candidate.rect);
            }
            editor.CancelButton()->click();
        }));
        tool.page->FalseRectButton()->click();
        QVERIFY(driver.Done());
        Rect registered = UNSET_RECT;
        driver.Then(test::OnLoadedEditor<CFalseRectDlg>([&](CFalseRectDlg& editor) {
            for (int row = 0; row < editor.CandidateList()->rowCount(); ++row) {
                COrgListCtrl& list = *editor.CandidateList();
                QTest::mouseClick(list.viewport(), Qt::LeftButton, {},
                                  list.visualItemRect(list.item(row, 0)).center());
                const Rect rect =
                    editor.Candidates()[static_cast<std::size_t>(editor.CandidateSelection())].rect;
                if (std::find(firstRun.begin(), firstRun.end(), rect) != firstRun.end()) {
                    registered = rect;
                    editor.RegisterButton()->click();
                    break;
                }
            }
            editor.OkButton()->click();
        }));
        tool.page->FalseRectButton()->click();
        QVERIFY(driver.Done());
        QVERIFY2(registered != UNSET_RECT, "no candidate stood still");
        QCOMPARE(tool.page->EditedValues().falseRects[0].GetRect(), registered);
        QCOMPARE(tool.page->EditedValues().falseRects[0].GetState(), FalseRectState::Added);

        // Reopening asks first (1127); No keeps the registration and opens nothing.
        COrgMessageBox::PresetAnswer(MessageAnswer::No);
        tool.page->FalseRectButton()->click();
        QCOMPARE(COrgMessageBox::AnsweredTexts(), QStringList{test::Text(1127)});
        COrgMessageBox::ResetPresets();
        QCOMPARE(tool.page->EditedValues().falseRects[0].GetState(), FalseRectState::Added);

        tool.page->ClickApply();
        QCOMPARE(tool.page->LastResult(), RC_OK);
        const sim::Rect16 stored = tool.simulator->settings().falseRects[0];
        QCOMPARE(stored, (sim::Rect16{static_cast<std::int16_t>(registered.left),
                                      static_cast<std::int16_t>(registered.top),
                                      static_cast<std::int16_t>(registered.right),
                                      static_cast<std::int16_t>(registered.bottom)}));
        QCOMPARE(tool.page->EditedValues().falseRects[0].GetState(), FalseRectState::Stored);

        std::filesystem::path logFile;
        QTRY_VERIFY_WITH_TIMEOUT(std::filesystem::exists("log") && !std::filesystem::is_empty("log"), 10000);
        for (const auto& entry : std::filesystem::directory_iterator("log")) {
            logFile = entry.path();
        }
        const std::size_t applied = std::filesystem::file_size(logFile);
        tool.window->RequestPage(PageId::Home);
        QVERIFY(tool.home->IsMonitoring());
        const auto flaggedAt = [&] {
            const auto logged = LoggedDetections(logFile, applied);
            return std::any_of(logged.begin(), logged.end(), [&](const Detection& d) {
                return d.rect == registered && d.falseDetectionFlag == 1;
            });
        };
        QTRY_VERIFY_WITH_TIMEOUT(flaggedAt(), 30000);
        tool.window.reset();
    }
};

} // namespace orlo

QTEST_MAIN(orlo::DetectionEndToEndTest)
#include "DetectionEndToEndTest.moc"
