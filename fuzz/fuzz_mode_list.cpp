// The mode list file "conf/aml.dat" is installation data that anyone can replace, and its readable
// form is typed by hand. Any bytes give whole records only; records that can be written again read
// back the same; a readable list that parses formats back to the same records.
#include "core/settings/ModeList.h"
#include "core/settings/ModeListText.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace {

void Require(bool condition) {
    if (!condition) {
        __builtin_trap();
    }
}

void CheckBinary(std::string_view bytes) {
    const std::vector<orlo::ModeRecord> records = orlo::ParseModeList(bytes);
    Require(records.size() == bytes.size() / orlo::MODE_RECORD_SIZE);
    std::string encoded;
    std::string error;
    if (orlo::EncodeModeList(records, encoded, error)) {
        Require(encoded.size() == records.size() * orlo::MODE_RECORD_SIZE);
        Require(orlo::ParseModeList(encoded) == records);
    } else {
        Require(!error.empty());
    }
}

void CheckText(std::string_view text) {
    std::vector<orlo::ModeRecord> records;
    std::string error;
    if (!orlo::ParseModeListText(text, records, error)) {
        Require(error.rfind("line ", 0) == 0);
        return;
    }
    std::vector<orlo::ModeRecord> again;
    Require(orlo::ParseModeListText(orlo::FormatModeListText(records), again, error));
    Require(again == records);
    std::string encoded;
    if (orlo::EncodeModeList(records, encoded, error)) {
        Require(orlo::ParseModeList(encoded).size() == records.size());
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    CheckBinary(input);
    CheckText(input);
    return 0;
}
