#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace orlo {

// An INI text held line by line, so that comments and lines it does not understand are written back
// byte for byte. Section and key names compare without regard to ASCII letter case; whitespace around
// names and values does not count, and a value in matching double or single quotes reads without
// them, as the Windows profile functions read it. Where a section or key occurs twice, the first one
// counts. The text is bytes: CP932 and UTF-8 both keep line breaks, brackets and '=' as ASCII.
class IniDocument {
public:
    // An empty document; it writes CRLF line endings.
    IniDocument() = default;

    // Accepts LF and CRLF; lines added later use the ending of the text's first line.
    static IniDocument Parse(std::string_view text);

    std::optional<std::string> Get(std::string_view section, std::string_view key) const;
    // The line (from 1) of the key Get reads, for messages.
    std::optional<std::size_t> LineNumber(std::string_view section, std::string_view key) const;

    // Replaces an existing key's value in place, else adds the key at the end of its section, else
    // appends the section with the key. A value with blanks at either end or in matching quotes is
    // written in double quotes, so it reads back as given. Returns false and changes nothing for names
    // or values that could not be read back: a line break anywhere, or a key that is empty, holds '='
    // or starts with '[', ';' or '#'.
    bool Set(std::string_view section, std::string_view key, std::string_view value);

    // Removes the section's header and every line up to the next section; false when there is none.
    bool RemoveSection(std::string_view section);

    std::string Serialize() const;

    bool HasSection(std::string_view section) const { return FindSection(section).has_value(); }

    // Section names in file order, each once.
    std::vector<std::string> Sections() const;
    // The keys of a section in file order with the values Get returns for them.
    std::vector<std::pair<std::string, std::string>> Keys(std::string_view section) const;

private:
    struct Line {
        Line(std::string text, std::string ending);

        std::string text;
        std::string ending; // empty only for a last line without a line break
        // Worked out once: every lookup walks the headers, and a record reads hundreds of keys.
        std::optional<std::string> sectionName;
    };

    std::optional<std::size_t> FindSection(std::string_view section) const;
    std::optional<std::size_t> FindKey(std::string_view section, std::string_view key) const;
    std::size_t SectionEnd(std::size_t header) const;
    void Insert(std::size_t position, std::string text);

    std::vector<Line> lines_;
    std::string newline_ = "\r\n";
};

} // namespace orlo
