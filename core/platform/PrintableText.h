#pragma once

#include <string>
#include <string_view>

namespace orlo {

// Text from a sensor or a file as it may go to a terminal or into a document: control characters,
// bytes that are not UTF-8 and the backslash are written as \xNN, so no byte can move the cursor,
// change the terminal's state or make the document invalid.
std::string PrintableText(std::string_view text);
// The length of the character at text[i] when PrintableText keeps it as it is: a valid UTF-8 sequence
// that is no control character and no backslash; 0 when it would be escaped.
std::size_t PrintableSequenceLength(std::string_view text, std::size_t i);
// A sensor's CP932 bytes (a settings file's DeviceInfo) as printable UTF-8.
std::string PrintableDeviceText(std::string_view cp932);

} // namespace orlo
