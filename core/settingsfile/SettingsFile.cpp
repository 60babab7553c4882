#include "core/settingsfile/SettingsFile.h"

#include "core/platform/CodePage.h"
#include "core/platform/FileIo.h"
#include "core/platform/PrivateProfile.h"
#include "core/platform/TextFileEncoding.h"
#include "core/settingsfile/SettingRules.h"

#include <algorithm>
#include <chrono>
#include <functional>
#include <string>
#include <thread>

namespace orlo {

namespace {

// A settings file is a few kilobytes; anything far larger is not one.
constexpr std::size_t MaxSettingsFileBytes = 1 << 20;
constexpr std::size_t MaxValueChars = 511;
constexpr std::size_t DeviceInfoBytes = 20;
constexpr int WriteAttempts = 5;
constexpr const char* DeviceInfoSection = "System";
constexpr const char* DeviceInfoKey = "DeviceInfo";
// The false-detection rectangles: a section of this tool's own, one key a slot.
constexpr const char* FalseRectSection = "OrloSetupFalseRect";
constexpr std::size_t MaxCoordinateChars = 12;

std::string AreaMaskSection(std::uint32_t number) {
    return "AreaMask" + std::to_string(number + 1);
}
std::string MotionMaskSection(std::uint32_t number) {
    return "MotionMask" + std::to_string(number + 1);
}
std::string OtherKey(int number) {
    return (number < 10 ? "Other0" : "Other") + std::to_string(number);
}
std::string KeyName(const std::string& section, const std::string& key) {
    return section + "." + key;
}
std::string FalseRectKey(std::uint32_t number) {
    return "Rect" + std::to_string(number + 1);
}
std::string FalseRectValue(const SettingsFalseRect& rect) {
    return std::to_string(rect.left) + "," + std::to_string(rect.top) + "," + std::to_string(rect.right) +
           "," + std::to_string(rect.bottom);
}

// "left,top,right,bottom": four whole numbers a coordinate field holds, blanks around each allowed and
// nothing else, since only this tool writes the section.
std::optional<SettingsFalseRect> ParseFalseRect(std::uint32_t number, std::string_view text) {
    std::array<std::int32_t, 4> edges{};
    std::size_t count = 0;
    for (std::size_t start = 0; start <= text.size(); ++count) {
        const std::size_t comma = std::min(text.find(',', start), text.size());
        std::string_view part = text.substr(start, comma - start);
        start = comma + 1;
        const std::size_t first = part.find_first_not_of(" \t");
        part = first == std::string_view::npos ? std::string_view() : part.substr(first);
        part = part.substr(0, part.find_last_not_of(" \t") + 1);
        const std::string_view digits = !part.empty() && part.front() == '-' ? part.substr(1) : part;
        if (count == edges.size() || digits.empty() || digits.size() > MaxCoordinateChars ||
            !std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; })) {
            return std::nullopt;
        }
        const std::optional<std::int64_t> value = ParseLongPrefix(part);
        if (!value || !CoordinateRule.Allows(*value)) {
            return std::nullopt;
        }
        edges[count] = static_cast<std::int32_t>(*value);
    }
    if (count != edges.size()) {
        return std::nullopt;
    }
    return SettingsFalseRect{number, edges[0], edges[1], edges[2], edges[3]};
}

// Visits every numeric key in file order with its section, key, the value as a signed number, the
// value that marks the key as missing and the values the setting takes. The same table drives the
// writer and the reader, so both keep one order.
class RecordFields {
public:
    using Visitor = std::function<bool(const std::string& section, const std::string& key,
                                       std::int64_t& value, std::int32_t rejected, const SettingRule& rule)>;

    static bool Visit(SettingsRecord& record, const Visitor& visit) {
        auto field = [&](const std::string& section, const char* key, auto& member, std::int32_t rejected,
                         const SettingRule& rule) {
            std::int64_t value = member;
            if (!visit(section, key, value, rejected, rule)) {
                return false;
            }
            member = static_cast<std::remove_reference_t<decltype(member)>>(value);
            return true;
        };
        constexpr std::int32_t edge = UnrestorableCoordinate;
        const SettingRule& xy = CoordinateRule;
        bool ok = field("Camera", "Camera", record.camera, -1, DirectionRule) &&
                  field("Camera", "Mode", record.mode, -1, ByteRule) &&
                  field("Ditection", "Threshold", record.threshold, -1, ThresholdRule) &&
                  field("Ditection", "SizeMin", record.sizeMin, -1, SizeRule) &&
                  field("Ditection", "SizeMax", record.sizeMax, -1, SizeRule);
        for (auto& mask : record.areaMasks) {
            const std::string section = AreaMaskSection(mask.number);
            ok = ok && field(section, "Left", mask.left, edge, xy) &&
                 field(section, "Top", mask.top, edge, xy) && field(section, "Right", mask.right, edge, xy) &&
                 field(section, "Bottom", mask.bottom, edge, xy) &&
                 field(section, "JudgeFlag", mask.judgeFlag, -1, JudgeByteRule);
        }
        for (auto& mask : record.motionMasks) {
            const std::string section = MotionMaskSection(mask.number);
            ok = ok && field(section, "Left", mask.left, edge, xy) &&
                 field(section, "Top", mask.top, edge, xy) && field(section, "Right", mask.right, edge, xy) &&
                 field(section, "Bottom", mask.bottom, edge, xy);
        }
        return ok && field("System", "USBSendTimeout", record.usbSendTimeout, -1, WordRule) &&
               field("System", "USBReceiveTimeout", record.usbReceiveTimeout, -1, WordRule);
    }

    // The Other section follows DeviceInfo in the file.
    static bool VisitOther(SettingsRecord& record, const Visitor& visit) {
        auto field = [&](int number, auto& member, std::int32_t rejected, const SettingRule& rule) {
            std::int64_t value = member;
            if (!visit("Other", OtherKey(number), value, rejected, rule)) {
                return false;
            }
            member = static_cast<std::remove_reference_t<decltype(member)>>(value);
            return true;
        };
        bool ok = field(1, record.other01, -1, WordRule) && field(2, record.other02, -1, ByteRule) &&
                  field(3, record.other03, -1, ByteRule) && field(4, record.other04, -1, WordRule) &&
                  field(5, record.other05, -1, ByteRule) && field(6, record.other06, -1, ByteRule) &&
                  field(7, record.other07, -1, ByteRule);
        for (int i = 0; i < 4; ++i) {
            ok = ok && field(8 + i, record.other08To11[static_cast<std::size_t>(i)], UnrestorableCoordinate,
                             CoordinateRule);
        }
        ok = ok && field(12, record.other12, -1, AngleOfViewRule);
        for (int i = 0; i < 4; ++i) {
            ok = ok && field(23 + i, record.other23To26[static_cast<std::size_t>(i)], UnrestorableCoordinate,
                             CoordinateRule);
        }
        return ok && field(27, record.other27, UnrestorableOther27To28, ByteRule) &&
               field(28, record.other28, UnrestorableOther27To28, ByteRule);
    }
};

struct KeyValue {
    std::string section;
    std::string key;
    std::string value;
};

// Every key of the record with its text in file order, DeviceInfo as `deviceInfo`.
std::vector<KeyValue> KeyValues(const SettingsRecord& record, const std::string& deviceInfo) {
    SettingsRecord copy = record;
    std::vector<KeyValue> values;
    const auto add = [&](const std::string& section, const std::string& key, std::int64_t& value,
                         std::int32_t, const SettingRule&) {
        values.push_back({section, key, std::to_string(static_cast<std::int32_t>(value))});
        return true;
    };
    RecordFields::Visit(copy, add);
    values.push_back({DeviceInfoSection, DeviceInfoKey, deviceInfo});
    RecordFields::VisitOther(copy, add);
    if (record.falseRects) {
        for (const SettingsFalseRect& rect : *record.falseRects) {
            values.push_back({FalseRectSection, FalseRectKey(rect.number), FalseRectValue(rect)});
        }
    }
    return values;
}

bool Report(SettingsFileProblem* problem, SettingsFileProblem::Cause cause, std::string key = {},
            std::string value = {}, std::error_code error = {}, std::size_t line = 0,
            std::string allowed = {}) {
    if (problem != nullptr) {
        *problem = {cause, std::move(key), std::move(value), error, line, std::move(allowed)};
    }
    return false;
}

// A value of a file in the given encoding as UTF-8 for a message, where it converts.
std::string Readable(const std::string& value, TextFileEncoding encoding) {
    return encoding == TextFileEncoding::Ansi ? Cp932ToUtf8(value).value_or(value) : value;
}

std::error_code NotText() {
    return std::make_error_code(std::errc::illegal_byte_sequence);
}

// The record's keys set into a file's text (decoded), then encoded again.
std::optional<std::string> UpdatedFile(DecodedTextFile file, const SettingsRecord& record,
                                       SettingsFileProblem* problem) {
    // A CP932 file holds the sensor's bytes as they are; a Unicode file needs them as text.
    const auto deviceInfo = file.encoding == TextFileEncoding::Ansi
                                ? std::optional<std::string>(record.deviceInfo)
                                : Cp932ToUtf8(record.deviceInfo);
    const std::string deviceInfoKey = KeyName(DeviceInfoSection, DeviceInfoKey);
    if (!deviceInfo) {
        Report(problem, SettingsFileProblem::Cause::NotCp932, deviceInfoKey, record.deviceInfo);
        return std::nullopt;
    }
    IniDocument document = IniDocument::Parse(file.text);
    // A record without rectangles must not leave an older file's rectangles to be restored.
    while (!record.falseRects && document.RemoveSection(FalseRectSection)) {
    }
    for (const KeyValue& entry : KeyValues(record, *deviceInfo)) {
        if (!document.Set(entry.section, entry.key, entry.value)) {
            Report(problem, SettingsFileProblem::Cause::LineBreak, KeyName(entry.section, entry.key),
                   Readable(entry.value, file.encoding));
            return std::nullopt;
        }
    }
    file.text = document.Serialize();
    auto bytes = EncodeTextFile(file);
    if (!bytes) {
        Report(problem, SettingsFileProblem::Cause::File, {}, {}, NotText());
    }
    return bytes;
}

// DeviceInfo's value as the 20-byte field holds it: CP932, cut at a character boundary when longer.
// A value that is not CP932 already must convert.
std::optional<std::string> DeviceInfoField(const std::string& value, TextFileEncoding encoding) {
    auto bytes = encoding == TextFileEncoding::Ansi ? std::optional<std::string>(value) : Utf8ToCp932(value);
    if (!bytes) {
        return std::nullopt;
    }
    if (bytes->size() > DeviceInfoBytes) {
        *bytes = std::string(Cp932Prefix(*bytes, DeviceInfoBytes));
    }
    return bytes;
}

} // namespace

bool SetSettingsKeys(IniDocument& document, const SettingsRecord& record) {
    bool allSet = true;
    for (const KeyValue& entry : KeyValues(record, record.deviceInfo)) {
        allSet = document.Set(entry.section, entry.key, entry.value) && allSet;
    }
    return allSet;
}

std::vector<SettingsDifference> DifferentSettings(const SettingsRecord& first, const SettingsRecord& second) {
    const std::vector<KeyValue> a = KeyValues(first, first.deviceInfo);
    const std::vector<KeyValue> b = KeyValues(second, second.deviceInfo);
    std::vector<SettingsDifference> differences;
    // The false-detection rectangles come last and count only where both records hold them.
    for (std::size_t i = 0; i < std::min(a.size(), b.size()); ++i) {
        if (a[i].value != b[i].value) {
            differences.push_back({KeyName(a[i].section, a[i].key), a[i].value, b[i].value});
        }
    }
    return differences;
}

std::optional<std::string> NewSettingsFile(const SettingsRecord& record, SettingsFileProblem* problem) {
    return UpdatedFile(DecodedTextFile{}, record, problem);
}

int WriteSettingsFile(const std::filesystem::path& path, const SettingsRecord& record,
                      SettingsFileProblem* problem) {
    const FileContents existing = ReadFileContents(path, MaxSettingsFileBytes);
    std::optional<DecodedTextFile> file;
    if (existing.status == FileContents::Status::Missing) {
        file = DecodedTextFile{};
    } else if (existing.status == FileContents::Status::Loaded) {
        file = DecodeTextFile(existing.text);
    }
    if (!file) {
        Report(problem, SettingsFileProblem::Cause::File, {}, {},
               existing.error ? existing.error : NotText());
        return -1;
    }
    const auto bytes = UpdatedFile(std::move(*file), record, problem);
    if (!bytes) {
        return -1;
    }
    std::error_code error;
    for (int attempt = 0; attempt < WriteAttempts; ++attempt) {
        if (WriteFileAtomically(path, *bytes, &error)) {
            return 0;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    Report(problem, SettingsFileProblem::Cause::File, {}, {}, error);
    return -1;
}

int ReadSettingsFile(const std::filesystem::path& path, SettingsRecord& record, SettingsFileProblem* problem,
                     SettingsFileNotes* notes) {
    const FileContents loaded = ReadFileContents(path, MaxSettingsFileBytes);
    if (loaded.status != FileContents::Status::Loaded) {
        Report(problem, SettingsFileProblem::Cause::File, {}, {}, loaded.error);
        return -1;
    }
    return ReadSettingsText(loaded.text, record, problem, notes);
}

int ReadSettingsText(std::string_view bytes, SettingsRecord& record, SettingsFileProblem* problem,
                     SettingsFileNotes* notes) {
    const auto file = DecodeTextFile(bytes);
    if (!file) {
        Report(problem, SettingsFileProblem::Cause::File, {}, {}, NotText());
        return -1;
    }
    const IniDocument document = IniDocument::Parse(file->text);
    const auto valueOf = [&](const std::string& section,
                             const std::string& key) -> std::optional<std::string> {
        auto value = document.Get(section, key);
        if (!value) {
            Report(problem, SettingsFileProblem::Cause::MissingKey, KeyName(section, key));
        } else {
            // The profile functions hand out a C string, up to 511 characters.
            value->resize(std::min({value->size(), value->find('\0'), MaxValueChars}));
        }
        return value;
    };
    const auto lineOf = [&](const std::string& section, const std::string& key) {
        return document.LineNumber(section, key).value_or(0);
    };

    SettingsRecord read;
    for (std::uint32_t i = 0; i < read.areaMasks.size(); ++i) {
        read.areaMasks[i].number = i;
        read.motionMasks[i].number = i;
    }
    const auto readField = [&](const std::string& section, const std::string& key, std::int64_t& value,
                               std::int32_t rejected, const SettingRule& rule) {
        const auto text = valueOf(section, key);
        if (!text) {
            return false;
        }
        // Where the profile functions would read 0 for no number at all, the sensor would get a value
        // nobody wrote; a number the field cannot hold would reach it cut to its low bits.
        const std::optional<std::int64_t> number = ParseLongPrefix(*text);
        if (number == rejected) {
            return Report(problem, SettingsFileProblem::Cause::RejectedValue, KeyName(section, key),
                          Readable(*text, file->encoding), {}, lineOf(section, key));
        }
        if (!number || !rule.Allows(*number)) {
            return Report(problem, SettingsFileProblem::Cause::NotAllowed, KeyName(section, key),
                          Readable(*text, file->encoding), {}, lineOf(section, key), rule.Describe());
        }
        value = *number;
        return true;
    };
    if (!RecordFields::Visit(read, readField)) {
        return -1;
    }
    if (read.sizeMin > read.sizeMax) {
        Report(problem, SettingsFileProblem::Cause::NotAllowed, KeyName("Ditection", "SizeMin"),
               std::to_string(read.sizeMin), {}, lineOf("Ditection", "SizeMin"),
               SettingRule{SizeRule.minimum, read.sizeMax}.Describe());
        return -1;
    }
    const auto deviceInfo = valueOf(DeviceInfoSection, DeviceInfoKey);
    if (!deviceInfo) {
        return -1;
    }
    const std::string deviceInfoKey = KeyName(DeviceInfoSection, DeviceInfoKey);
    if (*deviceInfo == UnrestorableDeviceInfo) {
        Report(problem, SettingsFileProblem::Cause::RejectedValue, deviceInfoKey, *deviceInfo, {},
               lineOf(DeviceInfoSection, DeviceInfoKey));
        return -1;
    }
    // A text the sensor could not hold is refused, never replaced by an empty one.
    const auto field = DeviceInfoField(*deviceInfo, file->encoding);
    if (!field) {
        Report(problem, SettingsFileProblem::Cause::NotCp932, deviceInfoKey, *deviceInfo, {},
               lineOf(DeviceInfoSection, DeviceInfoKey));
        return -1;
    }
    read.deviceInfo = *field;
    if (!RecordFields::VisitOther(read, readField)) {
        return -1;
    }
    if (document.HasSection(FalseRectSection)) {
        SettingsFalseRects rects{};
        for (std::uint32_t number = 0; number < rects.size(); ++number) {
            const std::string key = FalseRectKey(number);
            const auto text = valueOf(FalseRectSection, key);
            if (!text) {
                return -1;
            }
            const auto rect = ParseFalseRect(number, *text);
            if (!rect) {
                Report(problem, SettingsFileProblem::Cause::NotAllowed, KeyName(FalseRectSection, key),
                       Readable(*text, file->encoding), {}, lineOf(FalseRectSection, key),
                       "left,top,right,bottom: " + CoordinateRule.Describe());
                return -1;
            }
            rects[number] = *rect;
        }
        read.falseRects = rects;
    }
    record = std::move(read);
    if (notes != nullptr) {
        const bool nonAscii = std::any_of(deviceInfo->begin(), deviceInfo->end(),
                                          [](char c) { return static_cast<unsigned char>(c) >= 0x80; });
        const bool unmarkedUtf8 = file->encoding == TextFileEncoding::Ansi && nonAscii && IsUtf8(file->text);
        *notes = {unmarkedUtf8, unmarkedUtf8 ? *deviceInfo : std::string()};
    }
    return 0;
}

} // namespace orlo
