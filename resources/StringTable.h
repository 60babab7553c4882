#pragma once

#include <span>
#include <string_view>

namespace orlo {

// One text of the program's Japanese string table, UTF-8. Texts keep their printf placeholders.
struct StringEntry {
    int id;
    std::string_view text;
};

// The whole table, in ascending id order.
std::span<const StringEntry> StringTableEntries();

// The text with this id, or an empty view when the table has no such id.
std::string_view LoadString(int id);

} // namespace orlo
