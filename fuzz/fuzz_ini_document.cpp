// INI text from any file the tool opens. Serialising gives back the text byte for byte and a reader
// sees the same keys again; Set changes the one key it names and Get then returns the new value as given.
#include "core/platform/IniDocument.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace {

constexpr std::string_view Blanks = " \t\r\n\v\f";

void Require(bool condition) {
    if (!condition) {
        __builtin_trap();
    }
}

std::string_view Trimmed(std::string_view text) {
    const std::size_t first = text.find_first_not_of(Blanks);
    return first == std::string_view::npos ? std::string_view()
                                           : text.substr(first, text.find_last_not_of(Blanks) - first + 1);
}

bool SameName(std::string_view a, std::string_view b) {
    const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [&](char x, char y) { return lower(x) == lower(y); });
}

void RequireSameContent(const orlo::IniDocument& first, const orlo::IniDocument& second) {
    Require(first.Sections() == second.Sections());
    for (const std::string& section : first.Sections()) {
        Require(first.Keys(section) == second.Keys(section));
        for (const auto& [key, value] : first.Keys(section)) {
            Require(second.Get(section, key) == value);
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const orlo::IniDocument document = orlo::IniDocument::Parse(text);
    for (const std::string& section : document.Sections()) {
        for (const auto& [key, value] : document.Keys(section)) {
            Require(document.Get(section, key) == value);
        }
    }
    const std::string serialized = document.Serialize();
    Require(serialized == text);
    RequireSameContent(document, orlo::IniDocument::Parse(serialized));

    // A key and a value cut from the input, set into every section the text has and into a new one.
    const std::size_t split = size / 2;
    const std::string_view key = text.substr(0, std::min<std::size_t>(split, 16));
    const std::string_view value = text.substr(split, 32);
    std::vector<std::string> targets = document.Sections();
    targets.emplace_back("FuzzSection");
    for (const std::string& target : targets) {
        orlo::IniDocument changed = document;
        if (!changed.Set(target, key, value)) {
            continue;
        }
        Require(changed.Get(target, key) == std::string(value));
        for (const std::string& section : document.Sections()) {
            for (const auto& [otherKey, otherValue] : document.Keys(section)) {
                if (!SameName(section, target) || !SameName(otherKey, Trimmed(key))) {
                    Require(changed.Get(section, otherKey) == otherValue);
                }
            }
        }
        RequireSameContent(changed, orlo::IniDocument::Parse(changed.Serialize()));
    }
    return 0;
}
