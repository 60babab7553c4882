#include "core/settings/ModeList.h"

#include "core/platform/CodePage.h"
#include "core/platform/FileIo.h"

#include <algorithm>
#include <array>

namespace orlo {
namespace {

constexpr std::size_t ID_OFFSET = 0;
constexpr std::size_t TABLE90_OFFSET = 2;
constexpr std::size_t TABLE50_OFFSET = TABLE90_OFFSET + MODE_TABLE_FIELD_SIZE;
constexpr std::size_t NAME_OFFSET = TABLE50_OFFSET + MODE_TABLE_FIELD_SIZE;
constexpr std::size_t DESCRIPTION_OFFSET = NAME_OFFSET + MODE_TEXT_FIELD_SIZE;
static_assert(DESCRIPTION_OFFSET + MODE_TEXT_FIELD_SIZE == MODE_RECORD_SIZE);

const std::filesystem::path RELATIVE_PATH = std::filesystem::path("conf") / "aml.dat";

std::string FieldText(std::string_view record, std::size_t offset, std::size_t size) {
    const std::string_view field = record.substr(offset, size);
    const std::string raw(field.substr(0, field.find('\0')));
    return Cp932ToUtf8(raw).value_or(raw);
}

bool PutField(std::string& record, std::size_t offset, std::size_t size, const std::string& text) {
    const std::optional<std::string> encoded = Utf8ToCp932(text);
    // The field keeps at least one zero byte, and a zero inside the text would cut it short.
    if (!encoded || encoded->size() >= size || encoded->find('\0') != std::string::npos) {
        return false;
    }
    std::copy(encoded->begin(), encoded->end(), record.begin() + static_cast<std::ptrdiff_t>(offset));
    return true;
}

} // namespace

std::vector<ModeRecord> ParseModeList(std::string_view bytes) {
    std::vector<ModeRecord> records;
    records.reserve(bytes.size() / MODE_RECORD_SIZE);
    for (std::size_t start = 0; start + MODE_RECORD_SIZE <= bytes.size(); start += MODE_RECORD_SIZE) {
        const std::string_view record = bytes.substr(start, MODE_RECORD_SIZE);
        ModeRecord mode;
        mode.id = static_cast<std::uint8_t>(record[ID_OFFSET]);
        mode.table90 = FieldText(record, TABLE90_OFFSET, MODE_TABLE_FIELD_SIZE);
        mode.table50 = FieldText(record, TABLE50_OFFSET, MODE_TABLE_FIELD_SIZE);
        mode.name = FieldText(record, NAME_OFFSET, MODE_TEXT_FIELD_SIZE);
        mode.description = FieldText(record, DESCRIPTION_OFFSET, MODE_TEXT_FIELD_SIZE);
        records.push_back(std::move(mode));
    }
    return records;
}

std::vector<ModeRecord> ReadModeList(const std::filesystem::path& path) {
    const std::optional<std::string> bytes = ReadFileLimited(path, MODE_LIST_MAX_BYTES);
    return bytes ? ParseModeList(*bytes) : std::vector<ModeRecord>{};
}

bool EncodeModeList(const std::vector<ModeRecord>& records, std::string& bytes, std::string& error) {
    std::string encoded;
    encoded.reserve(records.size() * MODE_RECORD_SIZE);
    for (std::size_t i = 0; i < records.size(); ++i) {
        const ModeRecord& mode = records[i];
        std::string record(MODE_RECORD_SIZE, '\0');
        record[ID_OFFSET] = static_cast<char>(mode.id);
        const struct {
            const char* what;
            const std::string& text;
            std::size_t offset;
            std::size_t size;
        } fields[] = {{"table name (90)", mode.table90, TABLE90_OFFSET, MODE_TABLE_FIELD_SIZE},
                      {"table name (50)", mode.table50, TABLE50_OFFSET, MODE_TABLE_FIELD_SIZE},
                      {"name", mode.name, NAME_OFFSET, MODE_TEXT_FIELD_SIZE},
                      {"description", mode.description, DESCRIPTION_OFFSET, MODE_TEXT_FIELD_SIZE}};
        for (const auto& field : fields) {
            if (!PutField(record, field.offset, field.size, field.text)) {
                error = "mode " + std::to_string(mode.id) + " (record " + std::to_string(i + 1) + "): the " +
                        field.what + " is not CP932 text of at most " + std::to_string(field.size - 1) +
                        " bytes";
                return false;
            }
        }
        encoded += record;
    }
    bytes = std::move(encoded);
    return true;
}

std::filesystem::path LocateModeList(const std::filesystem::path& programDirectory) {
    const std::array<std::filesystem::path, 3> candidates = {RELATIVE_PATH, programDirectory / RELATIVE_PATH,
                                                             programDirectory.parent_path() / "share" /
                                                                 "orlo-x1" / RELATIVE_PATH};
    for (const std::filesystem::path& candidate : candidates) {
        std::error_code ignored;
        if (std::filesystem::is_regular_file(candidate, ignored)) {
            return candidate;
        }
    }
    return RELATIVE_PATH;
}

} // namespace orlo
