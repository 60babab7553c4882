#pragma once

#include <span>
#include <string_view>

// <windows.h> maps LoadString to the system's own. Included here first, its include guard keeps any later
// inclusion (ours or Qt's) from defining the macro again.
#ifdef _WIN32
#include <windows.h>
#undef LoadString
#endif

namespace orlo {

enum class Language { Japanese, English };

// One text of the program's string table in both languages, UTF-8. Texts keep their printf
// placeholders. An English text is added to an entry as its third field.
struct StringEntry {
    int id;
    std::string_view text;    // Japanese
    std::string_view english; // empty until written
};

// The whole table, in ascending id order.
std::span<const StringEntry> StringTableEntries();

// The language LoadString answers in, for the whole process; Japanese until set.
void SetLanguage(Language language);
Language CurrentLanguage();

// The text with this id in the current language (Japanese where the entry has no English text), or
// an empty view when the table has no such id.
std::string_view LoadString(int id);
std::string_view LoadString(int id, Language language);

} // namespace orlo
