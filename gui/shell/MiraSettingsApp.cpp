#include "gui/shell/MiraSettingsApp.h"

#include "core/strings/LanguageChoice.h"
#include "core/strings/StringTable.h"
#include "gui/shell/MiraSettingsDlg.h"
#include "gui/shell/WorkingDirectory.h"
#include "gui/uikit/Pictures.h"

#include <QApplication>
#include <QDir>
#include <QFontDatabase>
#include <QLibraryInfo>
#include <QLocale>
#include <QTimer>
#include <QTranslator>
#include <chrono>
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace orlo {
namespace {

constexpr int STR_LOCALE = 1000;

} // namespace

CMiraSettingsApp::CMiraSettingsApp(PageFactory pages) : pages_(std::move(pages)) {}

QString CMiraSettingsApp::ApplyLocale(std::string_view name) {
    std::vector<std::string> candidates{std::string(name)};
    // Windows' C runtime knows its locales by other names, and has no C.UTF-8.
    if (name == "japanese") {
        candidates = {"ja_JP.UTF-8", "ja_JP.utf8", "C.UTF-8", "ja-JP", "Japanese_Japan.932"};
        QLocale::setDefault(QLocale(QLocale::Japanese, QLocale::Japan));
    } else if (name == "english") {
        candidates = {"en_US.UTF-8", "en_US.utf8", "C.UTF-8", "en-US", "English_United States.1252"};
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    }
    for (const std::string& candidate : candidates) {
        if (std::setlocale(LC_ALL, candidate.c_str()) != nullptr) {
            return QString::fromStdString(candidate);
        }
    }
    return {};
}

void CMiraSettingsApp::UseProgramFont() {
    // Japanese Windows' own UI fonts first, then the CJK font of Linux systems (and of Wine).
    const QStringList families = QFontDatabase::families();
    for (const char* name : {"Meiryo UI", "Yu Gothic UI", "MS UI Gothic", "Noto Sans CJK JP"}) {
        const QString family = QString::fromLatin1(name);
        if (families.contains(family)) {
            QFont font(family);
            font.setPixelSize(13);
            QApplication::setFont(font);
            return;
        }
    }
}

void CMiraSettingsApp::UseBareWindowTitles() {
    // Qt hands the window system "title — display name", and for an empty title the application
    // name: both empty leaves every title as it is.
    QGuiApplication::setApplicationDisplayName(QString());
    QCoreApplication::setApplicationName(QString());
}

bool CMiraSettingsApp::InstallQtTranslation(QTranslator& translator, Language language) {
    const QString directory = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    if (language == Language::English) {
        // Qt's own texts are English; the system's English file is usually empty (and then not loaded).
        if (translator.load(QStringLiteral("qtbase_en"), directory)) {
            QCoreApplication::installTranslator(&translator);
        }
        return true;
    }
    // The Windows build carries the file inside the program; elsewhere it comes with the system's Qt.
    const bool loaded = translator.load(QStringLiteral("qtbase_ja"), QStringLiteral(":/translations")) ||
                        translator.load(QStringLiteral("qtbase_ja"), directory);
    return loaded && QCoreApplication::installTranslator(&translator);
}

Language CMiraSettingsApp::ChooseStartupLanguage(const QString& option) {
    const std::optional<Language> chosen = ParseLanguageName(option.toStdString());
    if (!option.isEmpty() && !chosen) {
        std::fprintf(stderr,
                     "orlo-setup: --lang %s is not a language of this program (en, ja); using the "
                     "system's\n",
                     qPrintable(option));
    }
    return ChooseLanguage(
        chosen, MessagesLocale(std::getenv("LC_ALL"), std::getenv("LC_MESSAGES"), std::getenv("LANG")));
}

int CMiraSettingsApp::InitInstance(const StartupOptions& options) {
    SetLanguage(ChooseStartupLanguage(options.language));
    ApplyLocale(LoadString(STR_LOCALE));
    UseBareWindowTitles();
    QTranslator qtTexts;
    if (!InstallQtTranslation(qtTexts, CurrentLanguage()) && CurrentLanguage() == Language::Japanese) {
        std::fprintf(stderr, "orlo-setup: Qt's Japanese texts (qtbase_ja.qm) are not installed; standard "
                             "dialogs stay in English\n");
    }
    if (EnterWorkingDirectory(QCoreApplication::applicationDirPath()).isEmpty()) {
        std::fprintf(stderr, "orlo-setup: no writable working directory; staying in %s\n",
                     qPrintable(QDir::currentPath()));
    }
    UseProgramFont();
    QApplication::setWindowIcon(QIcon(QPixmap::fromImage(LoadPicture(PIC_APP_ICON))));

    CMiraSettingsDlg window(pages_, nullptr,
                            options.commandLog ? CommandLog::Switch::On : CommandLog::Switch::OutputLogFile);
    bool saved = true;
    QTimer screenshotTimer;
    if (!options.screenshotPath.isEmpty()) {
        // Once the window is up and painted (with the demonstration: once its first picture is shown,
        // which takes seconds on a slow machine or under Wine): save its picture and close it.
        const auto started = std::chrono::steady_clock::now();
        screenshotTimer.setInterval(100);
        QObject::connect(&screenshotTimer, &QTimer::timeout, &window, [&, started] {
            const auto waited = std::chrono::steady_clock::now() - started;
            const auto* home = dynamic_cast<const CHomePageBase*>(window.Page(PageId::Home));
            const bool ready = !options.demo || (home != nullptr && home->ShowsLivePicture());
            if (waited < std::chrono::milliseconds(800) || (!ready && waited < std::chrono::seconds(30))) {
                return;
            }
            screenshotTimer.stop();
            saved = window.grab().save(options.screenshotPath, "PNG");
            if (!saved) {
                std::fprintf(stderr, "orlo-setup: cannot write %s\n", qPrintable(options.screenshotPath));
            }
            window.close();
        });
        screenshotTimer.start();
    }
    window.exec();
    return saved ? 0 : 1;
}

} // namespace orlo
