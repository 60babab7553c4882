#pragma once

#include "platform/IniDocument.h"
#include "settings/file/SettingsRecord.h"

#include <filesystem>

namespace orlo {

// Settings files are written in CP932 (as the Windows tool writes them) and read as UTF-16LE with
// a byte-order mark, UTF-8 with a byte-order mark, or else CP932.

// The record's keys set into `document` (UTF-8 text), in file order. False when DeviceInfo holds a
// line break, which no INI line can; every other key is set all the same.
bool SetSettingsKeys(IniDocument& document, const SettingsRecord& record);

// 0, or -1 when the file cannot be written or the record cannot be (a line break in DeviceInfo); keys
// of an existing file are updated in place.
int WriteSettingsFile(const std::filesystem::path& path, const SettingsRecord& record);
// 0, or -1 when the file cannot be read, a key is missing or holds its rejected value. The record
// is written only on success.
int ReadSettingsFile(const std::filesystem::path& path, SettingsRecord& record);

} // namespace orlo
