#include "core/platform/IniDocument.h"

#include <algorithm>

namespace orlo {

namespace {

constexpr std::string_view kBlanks = " \t\r\n\v\f";

std::string_view Trim(std::string_view text) {
    const std::size_t first = text.find_first_not_of(kBlanks);
    if (first == std::string_view::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(kBlanks) - first + 1);
}

char LowerAscii(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool EqualsNoCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                              [](char x, char y) { return LowerAscii(x) == LowerAscii(y); });
}

// The name of a section header line. The last ']' closes it: the second byte of a CP932 character may
// be ']'.
std::optional<std::string_view> SectionName(std::string_view line) {
    const std::string_view trimmed = Trim(line);
    const std::size_t close = trimmed.rfind(']');
    if (trimmed.empty() || trimmed.front() != '[' || close == std::string_view::npos) {
        return std::nullopt;
    }
    return Trim(trimmed.substr(1, close - 1));
}

bool StartsLikeNonKey(std::string_view trimmed) {
    return !trimmed.empty() && (trimmed.front() == '[' || trimmed.front() == ';' || trimmed.front() == '#');
}

struct KeyLine {
    std::string_view name;
    std::string_view value;
    std::size_t equals = 0;
};

std::optional<KeyLine> ParseKeyLine(std::string_view line) {
    if (StartsLikeNonKey(Trim(line))) {
        return std::nullopt;
    }
    const std::size_t equals = line.find('=');
    if (equals == std::string_view::npos) {
        return std::nullopt;
    }
    const std::string_view name = Trim(line.substr(0, equals));
    if (name.empty()) {
        return std::nullopt;
    }
    return KeyLine{name, Trim(line.substr(equals + 1)), equals};
}

bool IsBlankOrComment(std::string_view line) {
    const std::string_view trimmed = Trim(line);
    return trimmed.empty() || trimmed.front() == ';' || trimmed.front() == '#';
}

bool IsQuote(char c) {
    return c == '"' || c == '\'';
}

bool InMatchingQuotes(std::string_view value) {
    return value.size() >= 2 && IsQuote(value.front()) && value.back() == value.front();
}

// A stored value as the profile functions hand it out: without a pair of enclosing quotes.
std::string Unquoted(std::string_view value) {
    return std::string(InMatchingQuotes(value) ? value.substr(1, value.size() - 2) : value);
}

// open + text + close. Appended piece by piece: `"[" + std::string(text)` inserts at the front, where
// GCC 12 at -O3 reports a false overlap (-Wrestrict).
std::string Enclosed(char open, std::string_view text, char close) {
    std::string result(1, open);
    result += text;
    result += close;
    return result;
}

// The text to store for a value: in double quotes when blanks at its ends would be trimmed or its own
// enclosing quotes removed on reading.
std::string Stored(std::string_view value) {
    const bool blankEnd = !value.empty() && (kBlanks.find(value.front()) != std::string_view::npos ||
                                             kBlanks.find(value.back()) != std::string_view::npos);
    if (blankEnd || InMatchingQuotes(value)) {
        return Enclosed('"', value, '"');
    }
    return std::string(value);
}

bool HasLineBreak(std::string_view text) {
    return text.find_first_of("\r\n") != std::string_view::npos;
}

} // namespace

IniDocument::Line::Line(std::string text, std::string ending)
    : text(std::move(text)), ending(std::move(ending)), sectionName(SectionName(this->text)) {}

IniDocument IniDocument::Parse(std::string_view text) {
    IniDocument document;
    bool endingKnown = false;
    std::size_t position = 0;
    while (position < text.size()) {
        const std::size_t lineFeed = text.find('\n', position);
        if (lineFeed == std::string_view::npos) {
            document.lines_.push_back({std::string(text.substr(position)), {}});
            break;
        }
        const bool carriageReturn = lineFeed > position && text[lineFeed - 1] == '\r';
        Line line{std::string(text.substr(position, lineFeed - position - (carriageReturn ? 1 : 0))),
                  carriageReturn ? "\r\n" : "\n"};
        if (!endingKnown) {
            document.newline_ = line.ending;
            endingKnown = true;
        }
        document.lines_.push_back(std::move(line));
        position = lineFeed + 1;
    }
    return document;
}

std::optional<std::size_t> IniDocument::FindSection(std::string_view section) const {
    const std::string_view wanted = Trim(section);
    for (std::size_t i = 0; i < lines_.size(); ++i) {
        const auto& name = lines_[i].sectionName;
        if (name && EqualsNoCase(*name, wanted)) {
            return i;
        }
    }
    return std::nullopt;
}

std::size_t IniDocument::SectionEnd(std::size_t header) const {
    std::size_t end = header + 1;
    while (end < lines_.size() && !lines_[end].sectionName) {
        ++end;
    }
    return end;
}

std::optional<std::size_t> IniDocument::FindKey(std::string_view section, std::string_view key) const {
    const auto header = FindSection(section);
    if (!header) {
        return std::nullopt;
    }
    const std::string_view wanted = Trim(key);
    const std::size_t end = SectionEnd(*header);
    for (std::size_t i = *header + 1; i < end; ++i) {
        const auto keyLine = ParseKeyLine(lines_[i].text);
        if (keyLine && EqualsNoCase(keyLine->name, wanted)) {
            return i;
        }
    }
    return std::nullopt;
}

std::optional<std::string> IniDocument::Get(std::string_view section, std::string_view key) const {
    const auto line = FindKey(section, key);
    if (!line) {
        return std::nullopt;
    }
    return Unquoted(ParseKeyLine(lines_[*line].text)->value);
}

std::optional<std::size_t> IniDocument::LineNumber(std::string_view section, std::string_view key) const {
    const auto line = FindKey(section, key);
    return line ? std::optional<std::size_t>(*line + 1) : std::nullopt;
}

bool IniDocument::Set(std::string_view section, std::string_view key, std::string_view value) {
    const std::string_view sectionName = Trim(section);
    const std::string_view keyName = Trim(key);
    if (HasLineBreak(section) || HasLineBreak(key) || HasLineBreak(value) || keyName.empty() ||
        keyName.find('=') != std::string_view::npos || StartsLikeNonKey(keyName)) {
        return false;
    }
    const std::string stored = Stored(value);
    std::string newKeyLine = std::string(keyName) + "=" + stored;

    const auto header = FindSection(sectionName);
    if (!header) {
        Insert(lines_.size(), Enclosed('[', sectionName, ']'));
        Insert(lines_.size(), std::move(newKeyLine));
        return true;
    }
    const std::size_t end = SectionEnd(*header);
    for (std::size_t i = *header + 1; i < end; ++i) {
        std::string& text = lines_[i].text;
        const auto keyLine = ParseKeyLine(text);
        if (keyLine && EqualsNoCase(keyLine->name, keyName)) {
            // Keep the line's own spelling and spacing up to where the old value began.
            std::size_t valueStart = keyLine->equals + 1;
            if (!keyLine->value.empty()) {
                valueStart = static_cast<std::size_t>(keyLine->value.data() - text.data());
            }
            text = text.substr(0, valueStart) + stored;
            return true;
        }
    }
    // Blank and comment lines at the end of a section usually introduce the next one.
    std::size_t position = end;
    while (position > *header + 1 && IsBlankOrComment(lines_[position - 1].text)) {
        --position;
    }
    Insert(position, std::move(newKeyLine));
    return true;
}

void IniDocument::Insert(std::size_t position, std::string text) {
    std::string ending = newline_;
    if (position == lines_.size() && !lines_.empty() && lines_.back().ending.empty()) {
        // The text ended without a line break; keep it that way.
        lines_.back().ending = newline_;
        ending.clear();
    }
    lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(position),
                  Line{std::move(text), std::move(ending)});
}

bool IniDocument::RemoveSection(std::string_view section) {
    const auto header = FindSection(section);
    if (!header) {
        return false;
    }
    const auto first = lines_.begin() + static_cast<std::ptrdiff_t>(*header);
    lines_.erase(first, lines_.begin() + static_cast<std::ptrdiff_t>(SectionEnd(*header)));
    return true;
}

std::string IniDocument::Serialize() const {
    std::string text;
    for (const Line& line : lines_) {
        text += line.text;
        text += line.ending;
    }
    return text;
}

std::vector<std::string> IniDocument::Sections() const {
    std::vector<std::string> names;
    for (const Line& line : lines_) {
        const auto& name = line.sectionName;
        if (name && std::none_of(names.begin(), names.end(),
                                 [&](const std::string& known) { return EqualsNoCase(known, *name); })) {
            names.push_back(*name);
        }
    }
    return names;
}

std::vector<std::pair<std::string, std::string>> IniDocument::Keys(std::string_view section) const {
    std::vector<std::pair<std::string, std::string>> keys;
    const auto header = FindSection(section);
    if (!header) {
        return keys;
    }
    const std::size_t end = SectionEnd(*header);
    for (std::size_t i = *header + 1; i < end; ++i) {
        const auto keyLine = ParseKeyLine(lines_[i].text);
        if (keyLine && std::none_of(keys.begin(), keys.end(), [&](const auto& known) {
                return EqualsNoCase(known.first, keyLine->name);
            })) {
            keys.emplace_back(keyLine->name, Unquoted(keyLine->value));
        }
    }
    return keys;
}

} // namespace orlo
