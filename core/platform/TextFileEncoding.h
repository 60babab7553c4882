#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace orlo {

// The encodings that INI files of the Windows tool come in, told apart by their byte-order mark.
enum class TextFileEncoding { Ansi, Utf8WithMark, Utf16LeWithMark };

// A file's text in a form the INI engine reads (line breaks, brackets and '=' as single ASCII bytes),
// with the encoding to write it back in.
struct DecodedTextFile {
    TextFileEncoding encoding = TextFileEncoding::Ansi;
    // ANSI (CP932): the bytes as they are. A file with a mark: UTF-8 without the mark; an unpaired
    // UTF-16 surrogate is kept in its three-byte form, so it is written back unchanged.
    std::string text;
};

// Nothing for a UTF-16 file of an odd length. Bytes that are not valid in the encoding are kept.
std::optional<DecodedTextFile> DecodeTextFile(std::string_view bytes);
// True when the text is valid UTF-8 throughout.
bool IsUtf8(std::string_view text);
// The file's bytes; nothing when UTF-8 text for a UTF-16 file is not valid.
std::optional<std::string> EncodeTextFile(const DecodedTextFile& file);

} // namespace orlo
