#include "gui/settings/SettingsFileDialog.h"
#include "gui/shell/MiraSettingsApp.h"
#include "tests/gui/settings/EveryWindow.h"
#include "tests/gui/settings/TextFitChecks.h"
#include "tests/gui/settings/WidgetTextChecks.h"

#include <QFileDialog>
#include <QTreeWidget>

namespace orlo {
namespace {

constexpr int STR_LOCALE = 1000;

} // namespace

// Every window of the tool in Japanese and in English, with the program's font: each text shows
// whole in its control, and no two buttons of a window read alike.
class WindowTextsTest : public QObject {
    Q_OBJECT

private:
    QStringList problems_;

    void Check(const test::VisitedWindow& visited) {
        test::TextFitCheck fit(visited.data);
        QStringList found = fit.Offenders(visited.window);
        found += test::ButtonsReadingAlike(visited.window);
        if (fit.Checked() == 0) {
            found << QStringLiteral("no text measured");
        }
        for (const QString& problem : found) {
            problems_ << visited.where + QStringLiteral(": ") + problem;
        }
    }

    static void UseLanguage(Language language) {
        SetLanguage(language);
        CMiraSettingsApp::ApplyLocale(LoadString(STR_LOCALE));
    }

    static void Languages() {
        QTest::addColumn<Language>("language");
        QTest::newRow("ja") << Language::Japanese;
        QTest::newRow("en") << Language::English;
    }

private slots:
    void initTestCase() { CMiraSettingsApp::UseProgramFont(); }

    void init() { problems_.clear(); }
    void cleanup() { UseLanguage(Language::Japanese); }

    void pagesAndEditorsShowTheirTextsWhole_data() { Languages(); }
    void pagesAndEditorsShowTheirTextsWhole() {
        QFETCH(Language, language);
        UseLanguage(language);
        test::EveryWindow([this](const test::VisitedWindow& visited) {
            Check(visited);
        }).VisitPagesAndEditors();
        QVERIFY2(problems_.isEmpty(), qPrintable(problems_.join(QLatin1Char('\n'))));
    }

    void dialogsShowTheirTextsWhole_data() { Languages(); }
    void dialogsShowTheirTextsWhole() {
        QFETCH(Language, language);
        UseLanguage(language);
        test::EveryWindow([this](const test::VisitedWindow& visited) { Check(visited); }).VisitDialogs();
        QVERIFY2(problems_.isEmpty(), qPrintable(problems_.join(QLatin1Char('\n'))));
    }

    // The checks see what a user sees: a text cut by its control, an elided list item and two
    // buttons that read alike are reported with their widths.
    void checksReportWhatDoesNotFit() {
        QWidget window;
        auto* label = new QLabel(QStringLiteral("A caption much longer than its label"), &window);
        label->setGeometry(0, 0, 60, 20);
        auto* fits = new QLabel(QStringLiteral("Fits"), &window);
        fits->setGeometry(0, 30, 200, 20);
        auto* list = new QTreeWidget(&window);
        list->setColumnCount(1);
        list->setHeaderHidden(true);
        new QTreeWidgetItem(list, {QStringLiteral("An item far too wide for a narrow list")});
        list->setGeometry(0, 60, 100, 80);
        auto* first = new QPushButton(QStringLiteral("&Areas"), &window);
        auto* second = new QPushButton(QStringLiteral("Areas"), &window);
        first->setGeometry(0, 150, 100, 30);
        second->setGeometry(0, 190, 100, 30);
        window.show();
        QCoreApplication::processEvents();
        const QStringList found = test::TextFitCheck().Offenders(window);
        QCOMPARE(found.size(), 2);
        QVERIFY2(found[0].startsWith(QStringLiteral("QLabel 'A caption much longer")), qPrintable(found[0]));
        QVERIFY2(found[0].endsWith(QStringLiteral("wide, has 60")), qPrintable(found[0]));
        QVERIFY2(found[1].startsWith(QStringLiteral("QTreeWidget 'An item far too wide")),
                 qPrintable(found[1]));
        QCOMPARE(test::ButtonsReadingAlike(window).size(), 1);
    }

    // The file dialogs name their file kinds in the language of the program.
    void fileDialogsNameTheirFiltersInTheLanguage_data() { Languages(); }
    void fileDialogsNameTheirFiltersInTheLanguage() {
        QFETCH(Language, language);
        UseLanguage(language);
        QStringList filters;
        test::ModalDriver driver;
        const auto readAndCancel = [&filters](QFileDialog& dialog) {
            filters << dialog.nameFilters();
            dialog.reject();
        };
        for (int i = 0; i < 3; ++i) {
            driver.Then(test::ModalDriver::On<QFileDialog>(readAndCancel));
        }
        QVERIFY(AskSettingsFileToSave(nullptr).isEmpty());
        QVERIFY(AskSettingsFileToOpen(nullptr).isEmpty());
        QVERIFY(AskReportFileToSave(nullptr).isEmpty());
        QVERIFY(driver.Done());
        QCOMPARE(filters.size(), 4); // the settings file twice, the report's HTML and PDF
        for (const QString& filter : filters) {
            QVERIFY2(test::HoldsJapanese(filter) == (language == Language::Japanese), qPrintable(filter));
        }
    }
};

} // namespace orlo

QTEST_MAIN(orlo::WindowTextsTest)
#include "WindowTextsTest.moc"
