#pragma once

#include "core/settings/ModeList.h"

#include <string>
#include <string_view>
#include <vector>

namespace orlo {

// The readable form of a mode list, one mode a line (UTF-8):
//   id | display name | table file (90) | table file (50) | description
// The id is decimal or 0x hexadecimal (0..255); the last three fields may be left out. Blank lines
// and lines starting with '#' are skipped; blanks around the fields are dropped.

// False with "line N: ..." in error on the first line that is not a mode.
bool ParseModeListText(std::string_view text, std::vector<ModeRecord>& records, std::string& error);

// The text for records, with a comment line naming the fields. It parses back to the same records
// when every name is set and no text holds '|', a line break or blanks at either end.
std::string FormatModeListText(const std::vector<ModeRecord>& records);

} // namespace orlo
