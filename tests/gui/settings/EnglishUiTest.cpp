#include "core/config/AppConfig.h"
#include "gui/connect/LanConnectDlg.h"
#include "gui/monitor/SettingHomeDlg.h"
#include "gui/shell/MiraSettingsApp.h"
#include "tests/gui/settings/EveryWindow.h"
#include "tests/gui/settings/WidgetTextChecks.h"

#include <QCheckBox>
#include <QDir>
#include <QTemporaryDir>
#include <map>

namespace orlo {

// Every page and dialog in English: no text of the program left in Japanese, no caption cut off by
// its control, no control cut off by its window. With ORLO_SCREENSHOT_DIR set, the monitoring page,
// the camera page and the area-mask editor are saved there as PNG files.
class EnglishUiTest : public QObject {
    Q_OBJECT

private:
    QStringList problems_;

    void Check(const test::VisitedWindow& visited) {
        for (const QString& text : test::JapaneseTexts(visited.window, visited.data)) {
            problems_ << visited.where + QStringLiteral(": Japanese ") + text;
        }
        for (const QString& text :
             test::ClippedWidgets(visited.window) + test::OverlappingCaptions(visited.window)) {
            problems_ << visited.where + QStringLiteral(": ") + text;
        }
        Screenshot(visited);
    }

    static void Screenshot(const test::VisitedWindow& visited) {
        static const std::map<QString, QString> shots{
            {QStringLiteral("monitoring page"), QStringLiteral("monitoring-page-en.png")},
            {QStringLiteral("camera page"), QStringLiteral("camera-page-en.png")},
            {QStringLiteral("area-mask editor"), QStringLiteral("area-mask-editor-en.png")}};
        const QString directory = qEnvironmentVariable("ORLO_SCREENSHOT_DIR");
        const auto shot = shots.find(visited.where);
        if (!directory.isEmpty() && shot != shots.end()) {
            QVERIFY(visited.window.grab().save(QDir(directory).filePath(shot->second), "PNG"));
        }
    }

private slots:
    void initTestCase() { CMiraSettingsApp::UseProgramFont(); }

    void init() {
        problems_.clear();
        SetLanguage(Language::English);
    }
    void cleanup() { SetLanguage(Language::Japanese); }

    void everyPageAndEditorAgainstTheSimulator() {
        test::EveryWindow([this](const test::VisitedWindow& visited) {
            Check(visited);
        }).VisitPagesAndEditors();
        QVERIFY2(problems_.isEmpty(), qPrintable(problems_.join(QLatin1Char('\n'))));
    }

    void dialogsOnTheirOwn() {
        test::EveryWindow([this](const test::VisitedWindow& visited) { Check(visited); }).VisitDialogs();
        QVERIFY2(problems_.isEmpty(), qPrintable(problems_.join(QLatin1Char('\n'))));
    }

    // The same windows without a language chosen are the Japanese ones, so the checks above see a
    // difference.
    void japaneseUnlessEnglishIsChosen() {
        SetLanguage(Language::Japanese);
        QTemporaryDir directory;
        AppConfig config(directory.path().toStdString());
        CLanConnectDlg lan(nullptr, config);
        QCOMPARE(lan.windowTitle(), QStringLiteral("LAN接続"));
        QVERIFY(!test::JapaneseTexts(lan).isEmpty());
        CSettingHomeDlg display(nullptr, config, {});
        QVERIFY(test::HoldsJapanese(display.AutoReconnectBox()->text()));
    }
};

} // namespace orlo

QTEST_MAIN(orlo::EnglishUiTest)
#include "EnglishUiTest.moc"
