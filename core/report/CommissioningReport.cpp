#include "core/report/CommissioningReport.h"

#include "core/device/DetectionSettingsCommands.h"
#include "core/device/SettingsTransfer.h"
#include "core/imaging/PngConverter.h"
#include "core/monitor/PictureComposition.h"
#include "core/platform/CodePage.h"
#include "core/platform/FileIo.h"
#include "core/platform/IniDocument.h"
#include "core/platform/PrintableText.h"
#include "core/regions/AreaJudge.h"
#include "core/report/ReportPicture.h"
#include "core/report/ReportTexts.h"
#include "core/strings/StringTable.h"

#include <algorithm>
#include <cstdio>
#include <map>

namespace orlo {

namespace {

constexpr int ReportImageKind = 1;
constexpr int DirectionDegrees = 90;

std::string Text(int id) {
    return std::string(LoadString(id));
}

std::string Escaped(std::string_view text) {
    std::string out;
    for (const char c : text) {
        switch (c) {
        case '&':
            out += "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '"':
            out += "&quot;";
            break;
        default:
            out += c;
        }
    }
    return out;
}

// A table text with one %d, as the string table holds it.
std::string WithNumber(int id, int number) {
    char text[128];
    std::snprintf(text, sizeof text, LoadString(id).data(), number);
    return text;
}

std::string Base64(const std::vector<std::uint8_t>& bytes) {
    static constexpr char Alphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    out.reserve((bytes.size() + 2) / 3 * 4);
    for (std::size_t i = 0; i < bytes.size(); i += 3) {
        const std::uint32_t chunk = (std::uint32_t{bytes[i]} << 16) |
                                    (i + 1 < bytes.size() ? std::uint32_t{bytes[i + 1]} << 8 : 0) |
                                    (i + 2 < bytes.size() ? bytes[i + 2] : 0);
        out += Alphabet[(chunk >> 18) & 63];
        out += Alphabet[(chunk >> 12) & 63];
        out += i + 1 < bytes.size() ? Alphabet[(chunk >> 6) & 63] : '=';
        out += i + 2 < bytes.size() ? Alphabet[chunk & 63] : '=';
    }
    return out;
}

std::string HexColour(Rgb colour) {
    char text[8];
    std::snprintf(text, sizeof text, "#%02x%02x%02x", colour.red, colour.green, colour.blue);
    return text;
}

std::string RectText(const Rect& rect) {
    return IsUnset(rect) ? Text(STR_REPORT_UNSET)
                         : std::to_string(rect.left) + ", " + std::to_string(rect.top) + ", " +
                               std::to_string(rect.right) + ", " + std::to_string(rect.bottom);
}

std::string JudgementText(std::uint8_t judgeByte) {
    const Judgement judgement = DecodeJudgeByte(judgeByte);
    switch (judgement.judge) {
    case AreaJudge::CenterPoint:
        return Text(STR_REPORT_JUDGE_CENTER);
    case AreaJudge::FootPoint:
        return Text(STR_REPORT_JUDGE_FOOT);
    case AreaJudge::Overlap:
        return WithNumber(STR_REPORT_JUDGE_OVERLAP, judgement.percent);
    case AreaJudge::None:
        break;
    }
    return Text(STR_REPORT_JUDGE_NONE);
}

std::string ResultState(const DetectionResult& result) {
    std::string state;
    const auto add = [&state](int id) { state += (state.empty() ? "" : ", ") + Text(id); };
    if (result.excludedByAreaMask) {
        add(STR_REPORT_EXCLUDED_AREA);
    }
    if (result.excludedBySizeMask) {
        add(STR_REPORT_EXCLUDED_SIZE);
    }
    if (result.excludedAsFalseDetection) {
        add(STR_REPORT_EXCLUDED_FALSE);
    }
    return state.empty() ? Text(STR_REPORT_PLAIN) : state;
}

std::string Row(const std::vector<std::string>& cells, bool header = false) {
    const char* tag = header ? "th" : "td";
    std::string row = "<tr>";
    for (const std::string& cell : cells) {
        row += std::string("<") + tag + ">" + cell + "</" + tag + ">";
    }
    return row + "</tr>\n";
}

std::string TableStart() {
    return "<table border=\"1\" cellspacing=\"0\" cellpadding=\"4\">\n";
}

// A table with a header row, which is repeated on every printed page the table reaches.
std::string TableWithHeader(const std::vector<std::string>& header) {
    return TableStart() + "<thead>" + Row(header, true) + "</thead>\n";
}

// What a key of the settings file means and in which unit it is counted.
struct KeyMeaning {
    std::string meaning;
    std::string unit;
};

// The operating mode with its name from the mode list beside it, when the list has the mode.
std::string ModeMeaning(const std::string& value, const std::vector<ModeRecord>& modes) {
    const int id = std::atoi(value.c_str());
    const auto found =
        std::find_if(modes.begin(), modes.end(), [id](const ModeRecord& mode) { return mode.id == id; });
    const std::string meaning = Text(STR_REPORT_KEY_MODE);
    return found == modes.end() ? meaning : meaning + " (" + PrintableText(found->name) + ")";
}

KeyMeaning MeaningOf(const std::string& key, const std::string& value, const std::vector<ModeRecord>& modes) {
    const std::string coordinate = Text(STR_REPORT_UNIT_COORDINATE);
    static const std::map<std::string, std::pair<int, int>> named = {
        {"Threshold", {STR_REPORT_KEY_THRESHOLD, 0}},
        {"SizeMin", {STR_REPORT_KEY_SIZE_MIN, STR_REPORT_UNIT_COORDINATE}},
        {"SizeMax", {STR_REPORT_KEY_SIZE_MAX, STR_REPORT_UNIT_COORDINATE}},
        {"USBSendTimeout", {STR_REPORT_KEY_USB_SEND, STR_REPORT_UNIT_MS}},
        {"USBReceiveTimeout", {STR_REPORT_KEY_USB_RECEIVE, STR_REPORT_UNIT_MS}},
        {"DeviceInfo", {STR_REPORT_KEY_DEVICE_INFO, 0}},
        {"Other12", {STR_REPORT_KEY_ANGLE_OF_CONNECTION, STR_REPORT_UNIT_DEGREES}},
    };
    if (key == "Mode") {
        return {ModeMeaning(value, modes), ""};
    }
    if (key == "Camera") {
        const int direction = std::atoi(value.c_str());
        return {Text(STR_REPORT_KEY_CAMERA) + " (" +
                    (PortraitOf(static_cast<std::uint8_t>(direction)) && direction >= 0
                         ? std::to_string(direction * DirectionDegrees) + "°"
                         : Text(STR_REPORT_UNKNOWN_DIRECTION)) +
                    ")",
                ""};
    }
    if (const auto found = named.find(key); found != named.end()) {
        return {Text(found->second.first), found->second.second == 0 ? "" : Text(found->second.second)};
    }
    // "Rect1" of the false-detection section holds slot 0, numbered as the editors number it.
    if (key.rfind("Rect", 0) == 0) {
        return {Text(STR_REPORT_FALSE_RECTS) + " " + std::to_string(std::atoi(key.c_str() + 4) - 1) + " (" +
                    Text(STR_REPORT_EDGE_LEFT) + ", " + Text(STR_REPORT_EDGE_TOP) + ", " +
                    Text(STR_REPORT_EDGE_RIGHT) + ", " + Text(STR_REPORT_EDGE_BOTTOM) + ")",
                coordinate};
    }
    static const std::map<std::string, std::pair<int, int>> areaEdges = {
        {"Other08", {STR_REPORT_HUMAN_AREA, STR_REPORT_EDGE_LEFT}},
        {"Other09", {STR_REPORT_HUMAN_AREA, STR_REPORT_EDGE_TOP}},
        {"Other10", {STR_REPORT_HUMAN_AREA, STR_REPORT_EDGE_RIGHT}},
        {"Other11", {STR_REPORT_HUMAN_AREA, STR_REPORT_EDGE_BOTTOM}},
        {"Other23", {STR_REPORT_MOTION_AREA, STR_REPORT_EDGE_LEFT}},
        {"Other24", {STR_REPORT_MOTION_AREA, STR_REPORT_EDGE_TOP}},
        {"Other25", {STR_REPORT_MOTION_AREA, STR_REPORT_EDGE_RIGHT}},
        {"Other26", {STR_REPORT_MOTION_AREA, STR_REPORT_EDGE_BOTTOM}},
    };
    if (const auto found = areaEdges.find(key); found != areaEdges.end()) {
        return {Text(found->second.first) + " " + Text(found->second.second), coordinate};
    }
    return {Text(STR_REPORT_KEY_OTHER), ""};
}

// The section heading in the report's language with its English name beside it (the settings file
// misspells one section, so the file's own names are not shown); mask sections are headed once.
std::string SectionTitle(const std::string& group) {
    static const std::map<std::string, int> titles = {
        {"Camera", STR_REPORT_SECTION_CAMERA},
        {"Ditection", STR_REPORT_SECTION_DETECTION},
        {"AreaMask", STR_REPORT_AREA_MASKS},
        {"MotionMask", STR_REPORT_MOTION_MASKS},
        {"System", STR_REPORT_SECTION_SYSTEM},
        {"Other", STR_REPORT_SECTION_OTHER},
        {"OrloSetupFalseRect", STR_REPORT_FALSE_RECTS},
    };
    const auto found = titles.find(group);
    if (found == titles.end()) {
        return Escaped(group);
    }
    const std::string title = Text(found->second);
    const std::string english(LoadString(found->second, Language::English));
    return Escaped(title == english ? title : title + " (" + english + ")");
}

std::string Group(const std::string& section) {
    return section.substr(0, section.find_last_not_of("0123456789") + 1);
}

// The value as the settings file holds it; the information text (taken from the record: the file
// cannot hold one with a line break) decoded from CP932, with control characters and bytes that are
// no CP932 text shown as \xNN, as the terminal shows them.
std::string ValueCell(const std::string& section, const std::string& key, const std::string& value,
                      const SettingsRecord& settings) {
    const std::string shown =
        key == "DeviceInfo" ? PrintableDeviceText(settings.deviceInfo) : PrintableText(value);
    return "<td data-key=\"" + Escaped(section) + "." + Escaped(key) + "\">" + Escaped(shown) + "</td>";
}

// One row per mask section: its number, the keys as columns, and what the row means.
std::string MaskTable(const IniDocument& document, const std::vector<std::string>& sections,
                      const SettingsRecord& settings) {
    const auto keys = document.Keys(sections.front());
    std::string html = "<p>" + Escaped(Text(STR_REPORT_UNIT_COORDINATE)) + "</p>\n";
    std::vector<std::string> header{Text(STR_REPORT_SECTION_NUMBER)};
    for (const auto& [key, value] : keys) {
        header.push_back(Escaped(key));
    }
    header.push_back(Text(STR_REPORT_STATE));
    html += TableWithHeader(header);
    for (const std::string& section : sections) {
        // The editors number the masks by their slot, the file's sections count from 1.
        const int slot = std::atoi(section.substr(Group(section).size()).c_str()) - 1;
        html += "<tr><td>" + std::to_string(slot) + "</td>";
        std::map<std::string, std::string> values;
        for (const auto& [key, value] : document.Keys(section)) {
            html += ValueCell(section, key, value, settings);
            values[key] = value;
        }
        const Rect rect{std::atoi(values["Left"].c_str()), std::atoi(values["Top"].c_str()),
                        std::atoi(values["Right"].c_str()), std::atoi(values["Bottom"].c_str())};
        std::string state = IsUnset(rect) ? Text(STR_REPORT_UNSET) : "";
        if (!IsUnset(rect) && values.contains("JudgeFlag")) {
            state = Text(STR_REPORT_JUDGEMENT) + ": " +
                    JudgementText(static_cast<std::uint8_t>(std::atoi(values["JudgeFlag"].c_str())));
        }
        html += "<td>" + Escaped(state) + "</td></tr>\n";
    }
    return html + "</table>\n";
}

std::string KeyTable(const IniDocument& document, const std::string& section, const SettingsRecord& settings,
                     const std::vector<ModeRecord>& modes) {
    std::string html = TableWithHeader(
        {Text(STR_REPORT_ITEM), Text(STR_REPORT_VALUE), Text(STR_REPORT_UNIT), Text(STR_REPORT_MEANING)});
    for (const auto& [key, value] : document.Keys(section)) {
        const KeyMeaning meaning = MeaningOf(key, value, modes);
        html += "<tr><td>" + Escaped(key) + "</td>" + ValueCell(section, key, value, settings) + "<td>" +
                Escaped(meaning.unit) + "</td><td>" + Escaped(meaning.meaning) + "</td></tr>\n";
    }
    return html + "</table>\n";
}

std::string SettingsTables(const SettingsRecord& settings, const std::vector<ModeRecord>& modes) {
    // The information text's cell shows the record's own bytes: a line break, which keeps the text
    // out of a settings file, must not keep its row out of the report.
    SettingsRecord keys = settings;
    keys.deviceInfo.clear();
    IniDocument document;
    SetSettingsKeys(document, keys);
    std::string html;
    const std::vector<std::string> sections = document.Sections();
    for (std::size_t i = 0; i < sections.size();) {
        const std::string group = Group(sections[i]);
        std::vector<std::string> members;
        while (i < sections.size() && Group(sections[i]) == group && group != sections[i]) {
            members.push_back(sections[i++]);
        }
        html += "<h3>" + SectionTitle(group) + "</h3>\n";
        if (members.empty()) {
            html += KeyTable(document, sections[i++], settings, modes);
        } else {
            html += MaskTable(document, members, settings);
        }
    }
    return html;
}

std::string Legend() {
    const std::vector<std::pair<Rgb, int>> entries = {
        {HUMAN_AREA_COLOUR, STR_REPORT_HUMAN_AREA},
        {MOTION_AREA_COLOUR, STR_REPORT_MOTION_AREA},
        {AREA_MASK_REGION_COLOUR, STR_REPORT_AREA_MASKS},
        {MOTION_MASK_REGION_COLOUR, STR_REPORT_MOTION_MASKS},
        {FALSE_RECT_REGION_COLOUR, STR_REPORT_FALSE_RECTS},
        {PLAIN_RESULT_COLOUR, STR_REPORT_PLAIN},
        {AREA_MASK_RESULT_COLOUR, STR_REPORT_EXCLUDED_AREA},
        {SIZE_MASK_RESULT_COLOUR, STR_REPORT_EXCLUDED_SIZE},
        {FALSE_DETECTION_RESULT_COLOUR, STR_REPORT_EXCLUDED_FALSE},
    };
    std::string html = TableWithHeader({Text(STR_REPORT_COLOUR), Text(STR_REPORT_MEANING)});
    for (const auto& [colour, id] : entries) {
        html += "<tr><td bgcolor=\"" + HexColour(colour) + "\" width=\"32\">&nbsp;</td><td>" +
                Escaped(Text(id)) + "</td></tr>\n";
    }
    return html + "</table>\n";
}

std::string PictureSection(const ReportContent& content) {
    std::vector<std::uint8_t> png;
    std::string html = "<h2>" + Text(STR_REPORT_PICTURE) + "</h2>\n";
    if (CPngConverter::Encode(ComposeReportPicture(ReportSceneOf(content)), png) == ImageStatus::Ok) {
        html += "<p><img alt=\"\" src=\"data:image/png;base64," + Base64(png) + "\"></p>\n";
    }
    html += Legend();
    html += "<h3>" + Text(STR_REPORT_RESULTS) + "</h3>\n" +
            TableWithHeader({Text(STR_REPORT_SECTION_NUMBER), Text(STR_REPORT_UNIT_COORDINATE),
                             Text(STR_REPORT_DETECTION_VALUE), Text(STR_REPORT_STATE)});
    for (std::size_t i = 0; i < content.results.size(); ++i) {
        const DetectionResult& r = content.results[i];
        html += Row({std::to_string(i + 1), RectText({r.left, r.top, r.right, r.bottom}),
                     std::to_string(r.value), Escaped(ResultState(r))});
    }
    html += "</table>\n<h3>" + Text(STR_REPORT_FALSE_RECTS) + "</h3>\n<p>" +
            Escaped(Text(STR_REPORT_FALSE_NOTE)) + "</p>\n" +
            TableWithHeader({Text(STR_REPORT_SECTION_NUMBER), Text(STR_REPORT_UNIT_COORDINATE)});
    // Numbered by the sensor's slot, as the masks are.
    for (std::size_t slot = 0; slot < content.falseRects.size(); ++slot) {
        html += Row({std::to_string(slot), RectText(content.falseRects[slot])});
    }
    return html + "</table>\n";
}

// The details the writer gave, each on a row of its own; a note keeps its line breaks.
std::string DetailRows(const ReportDetails& details) {
    std::string html;
    const auto row = [&](int label, const std::string& text) {
        if (text.empty()) {
            return;
        }
        std::string cell;
        std::size_t start = 0;
        while (start <= text.size()) {
            const std::size_t end = std::min(text.find('\n', start), text.size());
            std::string_view line = std::string_view(text).substr(start, end - start);
            if (!line.empty() && line.back() == '\r') {
                line.remove_suffix(1);
            }
            cell += (start == 0 ? "" : "<br>") + Escaped(PrintableText(std::string(line)));
            start = end + 1;
        }
        html += Row({Text(label), cell});
    };
    row(STR_REPORT_SITE, details.site);
    row(STR_REPORT_CUSTOMER, details.customer);
    row(STR_REPORT_INSTALLER, details.installer);
    row(STR_REPORT_NOTE, details.note);
    return html;
}

std::string TimeText(const LocalTimestamp& t) {
    char text[32];
    std::snprintf(text, sizeof text, "%d/%02d/%02d %02d:%02d:%02d", t.year, t.month, t.day, t.hour, t.minute,
                  t.second);
    return text;
}

} // namespace

ReportScene ReportSceneOf(const ReportContent& content) {
    ReportScene scene;
    scene.picture = content.picture;
    scene.portrait = content.portrait;
    const SettingsRecord& s = content.settings;
    scene.detectionAreas = {Rect{s.other08To11[0], s.other08To11[1], s.other08To11[2], s.other08To11[3]},
                            Rect{s.other23To26[0], s.other23To26[1], s.other23To26[2], s.other23To26[3]}};
    for (const SettingsAreaMask& mask : s.areaMasks) {
        scene.areaMasks.push_back(
            {static_cast<int>(mask.number), {mask.left, mask.top, mask.right, mask.bottom}});
    }
    for (const SettingsMotionMask& mask : s.motionMasks) {
        scene.motionMasks.push_back(
            {static_cast<int>(mask.number), {mask.left, mask.top, mask.right, mask.bottom}});
    }
    for (std::size_t slot = 0; slot < content.falseRects.size(); ++slot) {
        scene.falseRects.push_back({static_cast<int>(slot), content.falseRects[slot]});
    }
    scene.results = content.results;
    return scene;
}

std::string ConnectionText(const DeviceSession& session) {
    switch (session.GetConnectionType()) {
    case ConnectionType::Lan:
        return "LAN " + session.IpAddress() + ":" + std::to_string(session.LanPort());
    case ConnectionType::Com:
        return "COM " + session.ComPort() + " " + std::to_string(session.BaudRate()) + " bps";
    case ConnectionType::None:
        break;
    }
    return {};
}

ResultCode ReadReportContent(DeviceSession& session, ReportContent& content) {
    ReportContent read;
    read.created = LocalTimestamp::Now();
    read.connection = ConnectionText(session);
    if (const ResultCode result = GetDeviceInfo(session, DeviceSession::CommandTimeoutMs, read.device);
        result != RC_OK) {
        return result;
    }
    if (const ResultCode result = ReadSettingsRecord(session, read.settings); result != RC_OK) {
        return result;
    }
    for (const SettingsFalseRect& rect : read.settings.falseRects.value_or(SettingsFalseRects{})) {
        read.falseRects.push_back({rect.left, rect.top, rect.right, rect.bottom});
    }
    bool indicator = false;
    std::vector<CImageData> blocks;
    if (const ResultCode result = DetectOnce(session, ReportImageKind, false, FUNCTION_HUMAN_DETECTION,
                                             read.results, indicator, read.picture, blocks);
        result != RC_OK) {
        return result;
    }
    read.portrait = PortraitOf(read.settings.camera).value_or(0) != 0;
    content = std::move(read);
    return RC_OK;
}

std::string ReportHtml(const ReportContent& content, const std::vector<ModeRecord>& modes) {
    const std::string version = FormatVersion(content.device);
    std::string html = "<!DOCTYPE html>\n<html>\n<head>\n<meta charset=\"utf-8\">\n<title>" +
                       Escaped(Text(STR_REPORT_TITLE)) + "</title>\n</head>\n<body>\n<h1>" +
                       Escaped(Text(STR_REPORT_TITLE)) + "</h1>\n" + TableStart();
    html += DetailRows(content.details);
    html += Row({Text(STR_REPORT_CREATED), TimeText(content.created)});
    html += Row({Text(STR_REPORT_CONNECTION), Escaped(PrintableText(content.connection))});
    html += Row({Text(STR_REPORT_MODEL), Escaped(PrintableText(content.device.name))});
    html += Row({Text(STR_REPORT_VERSION), version});
    html += "</table>\n" + PictureSection(content);
    html += "<h2>" + Text(STR_REPORT_SETTINGS) + "</h2>\n<p>" + Escaped(Text(STR_REPORT_SETTINGS_NOTE)) +
            "</p>\n" + SettingsTables(content.settings, modes);
    return html + "</body>\n</html>\n";
}

ResultCode WriteReport(DeviceSession& session, const std::filesystem::path& path,
                       const std::vector<ModeRecord>& modes, const ReportDetails& details,
                       ReportProblem* problem) {
    ReportContent content;
    ReportProblem found;
    found.code = ReadReportContent(session, content);
    content.details = details;
    if (found.code == RC_OK && !WriteFileAtomically(path, ReportHtml(content, modes), &found.fileError)) {
        found.code = RC_NO_LINK;
    }
    if (problem != nullptr) {
        *problem = found;
    }
    return found.code;
}

} // namespace orlo
