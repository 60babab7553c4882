#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace orlo {

// One operating mode of the mode list file "conf/aml.dat": a 130-byte record with the mode id and
// four zero-terminated CP932 texts in fixed fields. Only the id and the display name matter to the
// tool; the rest is carried so that a file can be printed and written back unchanged.
struct ModeRecord {
    std::uint8_t id = 0;
    std::string table90;     // table file name for angle of view 90 (UTF-8)
    std::string table50;     // table file name for angle of view 50
    std::string name;        // display name, the text of the list entry
    std::string description; // second description, not shown
    bool operator==(const ModeRecord&) const = default;
};

inline constexpr std::size_t MODE_RECORD_SIZE = 130;
inline constexpr std::size_t MODE_TABLE_FIELD_SIZE = 24;
inline constexpr std::size_t MODE_TEXT_FIELD_SIZE = 40;
// Larger files are not mode lists; they are not read at all.
inline constexpr std::size_t MODE_LIST_MAX_BYTES = 1 << 20;

// The complete records of a file's bytes in file order; a trailing partial record is ignored. A
// field without a zero byte is taken whole; bytes that are not CP932 are kept as they are.
std::vector<ModeRecord> ParseModeList(std::string_view bytes);

// The records of the file at path; empty when it is missing, unreadable or too large.
std::vector<ModeRecord> ReadModeList(const std::filesystem::path& path);

// The file's bytes for records; false with a message naming the record when a text is not CP932
// or does not fit its field with the terminating zero byte.
bool EncodeModeList(const std::vector<ModeRecord>& records, std::string& bytes, std::string& error);

// Where the mode list is: "conf/aml.dat" in the working directory, else beside the program, else in
// the data directory of an installed program (<prefix>/share/orlo-x1). The working-directory path
// when none exists.
std::filesystem::path LocateModeList(const std::filesystem::path& programDirectory);

} // namespace orlo
