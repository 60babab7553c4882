#include "core/settings/ModeList.h"

#include "core/platform/CodePage.h"
#include "core/settings/ModeListText.h"
#include "tests/support/TempDirectory.h"

#include <fstream>
#include <gtest/gtest.h>

namespace orlo {
namespace {

// One record as the Windows tool's installer writes it: id, a reserved byte, four CP932 fields.
std::string Record(std::uint8_t id, const std::string& name, const std::string& table90 = "t90.tbl",
                   const std::string& table50 = "t50.tbl", const std::string& description = "") {
    std::string record(MODE_RECORD_SIZE, '\0');
    record[0] = static_cast<char>(id);
    record[1] = '\x7F';
    const auto put = [&record](std::size_t offset, const std::string& utf8) {
        const std::string cp932 = Utf8ToCp932(utf8).value();
        record.replace(offset, cp932.size(), cp932);
    };
    put(2, table90);
    put(26, table50);
    put(50, name);
    put(90, description);
    return record;
}

void WriteFile(const std::filesystem::path& path, const std::string& bytes) {
    std::filesystem::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << bytes;
}

TEST(ModeListTest, CompleteRecordsOnlyInFileOrder) {
    const std::string two = Record(5, "高天井モード") + Record(0, "標準モード");
    ASSERT_EQ(260u, two.size());
    const std::vector<ModeRecord> both = ParseModeList(two);
    ASSERT_EQ(2u, both.size());
    EXPECT_EQ(5, both[0].id);
    EXPECT_EQ("高天井モード", both[0].name);
    EXPECT_EQ("t90.tbl", both[0].table90);
    EXPECT_EQ(0, both[1].id);
    EXPECT_EQ("標準モード", both[1].name);

    EXPECT_EQ(1u, ParseModeList(std::string_view(two).substr(0, 259)).size());
    EXPECT_TRUE(ParseModeList(std::string_view(two).substr(0, 129)).empty());
    EXPECT_TRUE(ParseModeList({}).empty());
}

TEST(ModeListTest, FieldsWithoutTerminatorAndForeignBytes) {
    std::string record = Record(0xFF, "", "");
    // A name that fills its 40 bytes has no terminator: taken whole, the description not mixed in.
    record.replace(50, 40, std::string(40, 'N'));
    record.replace(90, 3, "XYZ");
    // Bytes that are no CP932 text are kept as they are.
    record.replace(2, 2, "\x80\xA0");
    const std::vector<ModeRecord> modes = ParseModeList(record);
    ASSERT_EQ(1u, modes.size());
    EXPECT_EQ(0xFF, modes[0].id);
    EXPECT_EQ(std::string(40, 'N'), modes[0].name);
    EXPECT_EQ("XYZ", modes[0].description);
    EXPECT_EQ("\x80\xA0", modes[0].table90);
}

TEST(ModeListTest, UnreadableFilesGiveAnEmptyList) {
    test::TempDirectory directory;
    EXPECT_TRUE(ReadModeList(directory.Path() / "missing.dat").empty());
    EXPECT_TRUE(ReadModeList(directory.Path()).empty()); // a directory
    WriteFile(directory.Path() / "big.dat", std::string(MODE_LIST_MAX_BYTES + MODE_RECORD_SIZE, '\0'));
    EXPECT_TRUE(ReadModeList(directory.Path() / "big.dat").empty());
    WriteFile(directory.Path() / "aml.dat", Record(1, "高感度モード"));
    ASSERT_EQ(1u, ReadModeList(directory.Path() / "aml.dat").size());
}

TEST(ModeListTest, EncodeRoundTripsAndRefusesWhatDoesNotFit) {
    const std::vector<ModeRecord> modes = {
        {0, "a_c90.tbl", "a_c50.tbl", "標準モード", "一般的な天井への設置"}, {200, "", "", "Ｘ", ""}};
    std::string bytes;
    std::string error;
    ASSERT_TRUE(EncodeModeList(modes, bytes, error)) << error;
    EXPECT_EQ(2 * MODE_RECORD_SIZE, bytes.size());
    EXPECT_EQ(modes, ParseModeList(bytes));

    // 19 double-byte characters (38 bytes) and a terminator fit the 40-byte name; 20 do not.
    std::vector<ModeRecord> longName = {{1, "", "", std::string(), ""}};
    for (int i = 0; i < 19; ++i) {
        longName[0].name += "名";
    }
    ASSERT_TRUE(EncodeModeList(longName, bytes, error)) << error;
    longName[0].name += "名";
    const std::string before = bytes;
    EXPECT_FALSE(EncodeModeList(longName, bytes, error));
    EXPECT_NE(std::string::npos, error.find("name"));
    EXPECT_EQ(before, bytes); // untouched on failure

    EXPECT_FALSE(EncodeModeList({{1, std::string(24, 't'), "", "n", ""}}, bytes, error));
    EXPECT_FALSE(EncodeModeList({{1, "", "", "\xF0\x9F\x98\x80", ""}}, bytes, error)); // not in CP932
}

TEST(ModeListTest, ReadableTextParsesAndFormatsBack) {
    const std::string text = "# modes\n"
                             "\n"
                             "0 | 標準モード | s90.tbl | s50.tbl | 一般的な天井\r\n"
                             "  0x1F |高感度モード\n"
                             "255 | 最後 | a | | d\n";
    std::vector<ModeRecord> modes;
    std::string error;
    ASSERT_TRUE(ParseModeListText(text, modes, error)) << error;
    ASSERT_EQ(3u, modes.size());
    EXPECT_EQ((ModeRecord{0, "s90.tbl", "s50.tbl", "標準モード", "一般的な天井"}), modes[0]);
    EXPECT_EQ((ModeRecord{0x1F, "", "", "高感度モード", ""}), modes[1]);
    EXPECT_EQ((ModeRecord{255, "a", "", "最後", "d"}), modes[2]);

    std::vector<ModeRecord> again;
    ASSERT_TRUE(ParseModeListText(FormatModeListText(modes), again, error)) << error;
    EXPECT_EQ(modes, again);
}

TEST(ModeListTest, ReadableTextErrorsNameTheLineAndKeepTheRecords) {
    const std::vector<ModeRecord> kept = {{9, "", "", "kept", ""}};
    const struct {
        const char* text;
        const char* expected;
    } cases[] = {{"1 | a\n256 | b\n", "line 2: the mode id '256'"},
                 {"x | a\n", "line 1: the mode id 'x'"},
                 {"-1 | a\n", "line 1: the mode id"},
                 {"0x | a\n", "line 1: the mode id"},
                 {"1 |  \n", "line 1: the mode has no name"},
                 {"# c\n1\n", "line 2: expected"},
                 {"1 | a | b | c | d | e\n", "line 1: expected"}};
    for (const auto& c : cases) {
        std::vector<ModeRecord> modes = kept;
        std::string error;
        EXPECT_FALSE(ParseModeListText(c.text, modes, error)) << c.text;
        EXPECT_EQ(0u, error.find(c.expected)) << error;
        EXPECT_EQ(kept, modes);
    }
}

TEST(ModeListTest, LocatedInTheWorkingDirectoryThenBesideTheProgramThenItsDataDirectory) {
    test::TempDirectory directory;
    const std::filesystem::path previous = std::filesystem::current_path();
    std::filesystem::create_directories(directory.Path() / "work");
    std::filesystem::current_path(directory.Path() / "work");
    const std::filesystem::path program = directory.Path() / "prefix" / "bin";
    const std::filesystem::path relative = std::filesystem::path("conf") / "aml.dat";

    EXPECT_EQ(relative, LocateModeList(program));
    WriteFile(directory.Path() / "prefix" / "share" / "orlo-x1" / relative, "");
    EXPECT_EQ(directory.Path() / "prefix" / "share" / "orlo-x1" / relative, LocateModeList(program));
    WriteFile(program / relative, "");
    EXPECT_EQ(program / relative, LocateModeList(program));
    WriteFile(directory.Path() / "work" / relative, "");
    EXPECT_EQ(relative, LocateModeList(program));
    std::filesystem::current_path(previous);
}

TEST(ModeListTest, TheSampleFileHoldsJapaneseModes) {
    const std::vector<ModeRecord> modes = ReadModeList(ORLO_SAMPLE_MODE_LIST);
    ASSERT_EQ(4u, modes.size());
    EXPECT_EQ(0, modes[0].id);
    EXPECT_EQ("標準モード", modes[0].name);
    EXPECT_EQ(5, modes[3].id);
}

} // namespace
} // namespace orlo
