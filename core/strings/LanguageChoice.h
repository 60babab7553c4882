#pragma once

#include "core/strings/StringTable.h"

#include <optional>
#include <string_view>

namespace orlo {

// The value of the language option: "ja" or "en"; nothing for any other value.
std::optional<Language> ParseLanguageName(std::string_view name);

// The language a locale name asks for: Japanese for a Japanese locale ("ja", "ja_JP.UTF-8",
// "japanese"), for "C", "C.UTF-8" and "POSIX" (which name no language) and for an empty name; English
// for a locale of any other language.
Language LanguageOfLocale(std::string_view localeName);

// The locale that decides the messages' language, in the order POSIX gives: LC_ALL, else
// LC_MESSAGES, else LANG, the first that is set and not empty. Null pointers stand for unset
// variables.
std::string_view MessagesLocale(const char* lcAll, const char* lcMessages, const char* lang);

// The option when it names a language, else the locale's language.
Language ChooseLanguage(std::optional<Language> option, std::string_view messagesLocale);

} // namespace orlo
