// orlo-modes: writes the mode list file "conf/aml.dat" from a readable list and prints one back.
#include "core/platform/FileIo.h"
#include "core/settings/ModeList.h"
#include "core/settings/ModeListText.h"

#include <cstdio>
#include <string>
#include <string_view>

namespace {

constexpr int EXIT_FAILED = 1;
constexpr int EXIT_USAGE = 64;
constexpr std::size_t MAX_TEXT_BYTES = 1 << 20;

constexpr const char* USAGE =
    "usage: orlo-modes write LIST.txt FILE.dat   write a mode list file from a readable list\n"
    "       orlo-modes print FILE.dat            print a mode list file as a readable list\n"
    "\n"
    "A readable list has one mode a line: id | name | table file (90) | table file (50) | description\n"
    "(id 0..255, decimal or 0x hexadecimal; the last three fields may be left out; '#' starts a\n"
    "comment line). Texts are UTF-8 here and CP932 in the file, in fields of 24 bytes (table files)\n"
    "and 40 bytes (name, description) that keep a terminating zero byte.\n";

int Fail(const std::string& message) {
    std::fprintf(stderr, "orlo-modes: %s\n", message.c_str());
    return EXIT_FAILED;
}

int Write(const char* listPath, const char* filePath) {
    const std::optional<std::string> text = orlo::ReadFileLimited(listPath, MAX_TEXT_BYTES);
    if (!text) {
        return Fail(std::string("cannot read ") + listPath);
    }
    std::vector<orlo::ModeRecord> records;
    std::string error;
    if (!orlo::ParseModeListText(*text, records, error)) {
        return Fail(std::string(listPath) + ": " + error);
    }
    std::string bytes;
    if (!orlo::EncodeModeList(records, bytes, error)) {
        return Fail(std::string(listPath) + ": " + error);
    }
    if (!orlo::WriteFileAtomically(filePath, bytes)) {
        return Fail(std::string("cannot write ") + filePath);
    }
    return 0;
}

int Print(const char* filePath) {
    const orlo::FileContents file = orlo::ReadFileContents(filePath, orlo::MODE_LIST_MAX_BYTES);
    if (file.status != orlo::FileContents::Status::Loaded) {
        return Fail(std::string("cannot read ") + filePath);
    }
    std::fputs(orlo::FormatModeListText(orlo::ParseModeList(file.text)).c_str(), stdout);
    if (const std::size_t rest = file.text.size() % orlo::MODE_RECORD_SIZE; rest != 0) {
        std::fprintf(stderr, "orlo-modes: %s: the last %zu bytes are not a whole record and were ignored\n",
                     filePath, rest);
    }
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    const std::string_view command = argc > 1 ? argv[1] : "";
    if (command == "write" && argc == 4) {
        return Write(argv[2], argv[3]);
    }
    if (command == "print" && argc == 3) {
        return Print(argv[2]);
    }
    const bool help = command == "--help" || command == "-h";
    std::fputs(USAGE, help ? stdout : stderr);
    return help ? 0 : EXIT_USAGE;
}
