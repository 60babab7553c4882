#include "core/strings/LanguageChoice.h"

namespace orlo {

std::optional<Language> ParseLanguageName(std::string_view name) {
    if (name == "ja") {
        return Language::Japanese;
    }
    if (name == "en") {
        return Language::English;
    }
    return std::nullopt;
}

Language LanguageOfLocale(std::string_view localeName) {
    // The language is what comes before the territory, code set and modifier: "ja_JP.UTF-8@x".
    const std::string_view language = localeName.substr(0, localeName.find_first_of("_.@"));
    if (language.empty() || language == "C" || language == "POSIX" || language == "ja" ||
        language == "japanese") {
        return Language::Japanese;
    }
    return Language::English;
}

std::string_view MessagesLocale(const char* lcAll, const char* lcMessages, const char* lang) {
    for (const char* value : {lcAll, lcMessages, lang}) {
        if (value != nullptr && *value != '\0') {
            return value;
        }
    }
    return {};
}

Language ChooseLanguage(std::optional<Language> option, std::string_view messagesLocale) {
    return option.value_or(LanguageOfLocale(messagesLocale));
}

} // namespace orlo
