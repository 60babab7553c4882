#pragma once

#include "core/platform/IniDocument.h"
#include "core/settingsfile/SettingsRecord.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

namespace orlo {

// Settings files are written in CP932 (as the Windows tool writes them) and read as UTF-16LE with
// a byte-order mark, UTF-8 with a byte-order mark, or else CP932. A CP932 file's DeviceInfo is
// taken as its bytes, so a text the sensor holds survives a backup whatever bytes it has.

// Values that the reader takes for a missing key: a settings file cannot restore them.
inline constexpr std::int32_t UnrestorableCoordinate = -2;
inline constexpr std::int32_t UnrestorableOther27To28 = 0;
inline constexpr std::string_view UnrestorableDeviceInfo = "-1";

// Why a settings file could not be read or written, for a message that names the cause.
struct SettingsFileProblem {
    enum class Cause {
        None,
        File,          // the file itself: `error` holds the system's reason
        MissingKey,    // `key` is not in the file
        RejectedValue, // `key` holds `value`, which marks it as missing
        NotCp932,      // `key` holds text the sensor's character set cannot hold
        LineBreak,     // `key` holds a line break, which no INI line can
        NotAllowed, // `key` holds `value` (empty, no number, or outside `allowed`), which the sensor does not
                    // take
    };
    Cause cause = Cause::None;
    std::string key;   // "Section.Key"
    std::string value; // the value for a message: UTF-8 where it converts, else its bytes
    std::error_code error;
    std::size_t line = 0; // the key's line in the file (from 1), where the reader names one
    std::string allowed;  // NotAllowed: the values the key takes, as SettingRule::Describe gives them
};

// What the reader noticed in a file it read: things the file's writer likely did not mean.
struct SettingsFileNotes {
    // The file has no byte-order mark, so it reads as CP932, yet it is valid UTF-8 and DeviceInfo holds
    // non-ASCII text: the sensor gets the UTF-8 bytes of a text that was meant as characters.
    bool unmarkedUtf8 = false;
    std::string deviceInfoAsUtf8; // then: DeviceInfo as the file's writer likely meant it
};

// One key where two records differ, with both values as a settings file holds them (DeviceInfo as
// its CP932 bytes).
struct SettingsDifference {
    std::string key; // "Section.Key"
    std::string first;
    std::string second;
};

// The record's keys set into `document` in file order, DeviceInfo as its CP932 bytes. False when
// DeviceInfo holds a line break, which no INI line can; every other key is set all the same.
bool SetSettingsKeys(IniDocument& document, const SettingsRecord& record);
// Every key whose value differs, in file order; the false-detection rectangles only where both hold them.
std::vector<SettingsDifference> DifferentSettings(const SettingsRecord& first, const SettingsRecord& second);

// The bytes of a new settings file holding the record; nothing (with `problem`) when the record
// cannot be written.
std::optional<std::string> NewSettingsFile(const SettingsRecord& record,
                                           SettingsFileProblem* problem = nullptr);
// 0, or -1 when the file cannot be written or the record cannot be (a line break in DeviceInfo, or a
// DeviceInfo a Unicode file cannot hold); keys of an existing file are updated in place, in its
// encoding, and its false-detection section is removed when the record holds no rectangles.
int WriteSettingsFile(const std::filesystem::path& path, const SettingsRecord& record,
                      SettingsFileProblem* problem = nullptr);
// 0, or -1 when the file cannot be read, a key is missing or holds its rejected value, a number is
// empty or outside what the sensor's field holds or the setting allows (SettingRules.h; SizeMin above
// SizeMax too), or DeviceInfo of a Unicode file has no CP932 form. Valid numbers read as the Windows
// profile functions read them (blanks before, anything after the digits ignored). The section of
// false-detection rectangles is optional; when present it must hold Rect1..Rect10, each four
// coordinates "left,top,right,bottom" and nothing else. The record and `notes` are written only on
// success.
int ReadSettingsFile(const std::filesystem::path& path, SettingsRecord& record,
                     SettingsFileProblem* problem = nullptr, SettingsFileNotes* notes = nullptr);
// ReadSettingsFile for the bytes of a settings file.
int ReadSettingsText(std::string_view bytes, SettingsRecord& record, SettingsFileProblem* problem = nullptr,
                     SettingsFileNotes* notes = nullptr);

} // namespace orlo
