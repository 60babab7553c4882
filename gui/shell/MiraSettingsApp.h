#pragma once

#include "core/strings/StringTable.h"
#include "gui/shell/PageFactory.h"
#include "gui/shell/StartupOptions.h"

#include <QString>
#include <string_view>

class QTranslator;

namespace orlo {

// The application object: the start-up sequence, then the main window run modally until it closes.
class CMiraSettingsApp {
public:
    explicit CMiraSettingsApp(PageFactory pages);

    // Needs the QApplication. Returns the process exit code once the main window has closed.
    int InitInstance(const StartupOptions& options);

    // The C runtime locale for a locale name of the string table ("japanese" and "english" are Windows
    // names: the Japanese or US English UTF-8 locale, else C.UTF-8); the name applied, empty when none
    // could be.
    static QString ApplyLocale(std::string_view name);
    // Japanese text in the Japanese forms of the CJK characters (also for English windows, so that both
    // look alike), when that font is installed.
    static void UseProgramFont();
    // Window titles exactly as each window sets them: the window system gets no program name appended,
    // and an empty title stays empty.
    static void UseBareWindowTitles();
    // Loads Qt's own texts (standard buttons, the colour dialog) in the language into translator and
    // installs it; false when the system has no Japanese translation (Qt's texts are English anyway).
    static bool InstallQtTranslation(QTranslator& translator, Language language);
    // The language option when it names a language, else the language of the locale environment;
    // warns about an option value it does not know.
    static Language ChooseStartupLanguage(const QString& option);

private:
    PageFactory pages_;
};

} // namespace orlo
