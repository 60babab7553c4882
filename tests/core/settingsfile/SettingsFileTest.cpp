#include "core/settingsfile/SettingsFile.h"

#include "core/platform/CodePage.h"
#include "core/platform/IniDocument.h"
#include "tests/support/FileBytes.h"
#include "tests/support/TempDirectory.h"

#include <array>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>

namespace orlo {
namespace {

void WriteBytes(const std::filesystem::path& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

SettingsRecord SampleRecord() {
    SettingsRecord record;
    record.camera = 1;
    record.mode = 3;
    record.threshold = 500;
    record.sizeMin = 20;
    record.sizeMax = 1600;
    for (std::uint32_t i = 0; i < 16; ++i) {
        record.areaMasks[i].number = i;
        record.motionMasks[i].number = i;
    }
    record.areaMasks[2] = {2, 10, 20, 300, 400, 144};
    record.areaMasks[7] = {7, 0, 0, 1600, 1200, 35};
    record.motionMasks[15] = {15, -5, 100, 1599, 1199};
    record.usbSendTimeout = 500;
    record.usbReceiveTimeout = 1000;
    record.deviceInfo = *Utf8ToCp932("入口カメラ");
    record.other01 = 65535;
    record.other02 = 2;
    record.other03 = 3;
    record.other04 = 4000;
    record.other05 = 5;
    record.other06 = 6;
    record.other07 = 7;
    record.other08To11 = {100, 100, 1500, 1100};
    record.other12 = 50;
    record.other23To26 = {-1, -1, -1, -1};
    record.other27 = 27;
    record.other28 = 28;
    return record;
}

class SettingsFileTest : public ::testing::Test {
protected:
    test::TempDirectory directory;
    std::filesystem::path file = directory.Path() / "設定.ini";

    // The sample file with one value replaced (or removed when value is empty).
    void WriteSampleWith(const std::string& section, const std::string& key, const std::string& value) {
        ASSERT_EQ(0, WriteSettingsFile(file, SampleRecord()));
        const auto text = Cp932ToUtf8(test::FileBytes(file));
        ASSERT_TRUE(text);
        IniDocument document = IniDocument::Parse(*text);
        document.Set(section, key, value);
        WriteBytes(file, *Utf8ToCp932(document.Serialize()));
    }
    int Read() {
        SettingsRecord record;
        return ReadSettingsFile(file, record);
    }
};

TEST_F(SettingsFileTest, WriteThenReadGivesTheSameRecord) {
    ASSERT_EQ(0, WriteSettingsFile(file, SampleRecord()));
    SettingsRecord read;
    ASSERT_EQ(0, ReadSettingsFile(file, read));
    EXPECT_EQ(SampleRecord(), read);
}

TEST_F(SettingsFileTest, FileLayoutSectionsKeysAndEncoding) {
    ASSERT_EQ(0, WriteSettingsFile(file, SampleRecord()));
    const std::string bytes = test::FileBytes(file);
    // CP932 on disk: 入口 is 93 FC 8C FB.
    EXPECT_NE(std::string::npos, bytes.find("DeviceInfo=\x93\xFC\x8C\xFB"));
    const std::string text = *Cp932ToUtf8(bytes);
    const auto at = [&](const std::string& needle) { return text.find(needle); };
    EXPECT_LT(at("[Camera]"), at("[Ditection]"));
    EXPECT_LT(at("[Ditection]"), at("[AreaMask1]"));
    EXPECT_LT(at("[AreaMask16]"), at("[MotionMask1]"));
    EXPECT_LT(at("[MotionMask16]"), at("[System]"));
    EXPECT_LT(at("[System]"), at("[Other]"));
    EXPECT_EQ(std::string::npos, at("Other13"));
    EXPECT_LT(at("Other12=50"), at("Other23=-1"));

    const IniDocument document = IniDocument::Parse(text);
    EXPECT_EQ("10", document.Get("AreaMask3", "Left"));
    EXPECT_EQ("400", document.Get("AreaMask3", "Bottom"));
    EXPECT_EQ("144", document.Get("AreaMask3", "JudgeFlag"));
    EXPECT_EQ("-1", document.Get("AreaMask1", "Left"));
    EXPECT_EQ("65535", document.Get("Other", "Other01"));
}

TEST_F(SettingsFileTest, RejectedValuesAndMissingKeys) {
    WriteSampleWith("Ditection", "Threshold", "-1");
    EXPECT_EQ(-1, Read());
    WriteSampleWith("AreaMask5", "Left", "-2");
    EXPECT_EQ(-1, Read());
    WriteSampleWith("AreaMask5", "Left", "-1"); // the unset rectangle's edge is valid
    EXPECT_EQ(0, Read());
    WriteSampleWith("Other", "Other27", "0");
    EXPECT_EQ(-1, Read());
    WriteSampleWith("Other", "Other28", "letters");
    EXPECT_EQ(-1, Read());
    WriteSampleWith("System", "DeviceInfo", "-1");
    EXPECT_EQ(-1, Read());

    ASSERT_EQ(0, WriteSettingsFile(file, SampleRecord()));
    std::string text = *Cp932ToUtf8(test::FileBytes(file));
    text = text.substr(0, text.find("[Other]"));
    WriteBytes(file, *Utf8ToCp932(text));
    EXPECT_EQ(-1, Read());
}

TEST_F(SettingsFileTest, NumbersTheFieldCannotHoldAreRefusedNeverCutToTheirLowBits) {
    const SettingsRecord untouched = SampleRecord();
    for (const auto& [section, key, value] :
         std::vector<std::array<std::string, 3>>{{"Camera", "Camera", "257"},
                                                 {"Ditection", "Threshold", "70000"},
                                                 {"Ditection", "Threshold", ""},
                                                 {"AreaMask9", "Right", "40000"},
                                                 {"AreaMask3", "JudgeFlag", "400"},
                                                 {"Other", "Other07", "-1000"}}) {
        WriteSampleWith(section, key, value);
        SettingsRecord record = untouched;
        SettingsFileProblem problem;
        EXPECT_EQ(-1, ReadSettingsFile(file, record, &problem)) << key << "=" << value;
        EXPECT_EQ(SettingsFileProblem::Cause::NotAllowed, problem.cause);
        EXPECT_EQ(section + "." + key, problem.key);
        EXPECT_EQ(value, problem.value);
        const IniDocument written = IniDocument::Parse(*Cp932ToUtf8(test::FileBytes(file)));
        EXPECT_EQ(written.LineNumber(section, key), problem.line);
        EXPECT_EQ(untouched, record);
    }
    // What the profile functions make of a valid number stays: blanks before, anything after it.
    WriteSampleWith("Ditection", "SizeMin", " 30abc");
    SettingsRecord record;
    ASSERT_EQ(0, ReadSettingsFile(file, record));
    EXPECT_EQ(30, record.sizeMin);
}

TEST_F(SettingsFileTest, UnreadableFilesLeaveTheRecordAlone) {
    SettingsRecord record = SampleRecord();
    EXPECT_EQ(-1, ReadSettingsFile(directory.Path() / "missing.ini", record));
    EXPECT_EQ(-1, ReadSettingsFile(directory.Path(), record));
    std::string binary(4096, '\0');
    for (std::size_t i = 0; i < binary.size(); ++i) {
        binary[i] = static_cast<char>(i * 37);
    }
    WriteBytes(file, binary);
    EXPECT_EQ(-1, ReadSettingsFile(file, record));
    { std::ofstream huge(file, std::ios::binary | std::ios::trunc); }
    std::filesystem::resize_file(file, std::uintmax_t{1} << 30); // sparse 1 GiB
    EXPECT_EQ(-1, ReadSettingsFile(file, record));
    EXPECT_EQ(SampleRecord(), record);
}

TEST_F(SettingsFileTest, FilesFromOtherEditorsInEveryEncoding) {
    ASSERT_EQ(0, WriteSettingsFile(file, SampleRecord()));
    const std::string utf8 = *Cp932ToUtf8(test::FileBytes(file));

    WriteBytes(file, "\xEF\xBB\xBF" + utf8);
    SettingsRecord record;
    ASSERT_EQ(0, ReadSettingsFile(file, record));
    EXPECT_EQ(*Utf8ToCp932("入口カメラ"), record.deviceInfo);

    std::string utf16 = "\xFF\xFE";
    const auto wide = [](const std::string& text) {
        std::string out;
        // The sample is ASCII apart from DeviceInfo, which is written as UTF-16 below.
        for (char c : text) {
            out += c;
            out += '\0';
        }
        return out;
    };
    const std::size_t info = utf8.find("DeviceInfo=");
    const std::size_t lineEnd = utf8.find('\n', info);
    utf16 += wide(utf8.substr(0, info)) + wide("DeviceInfo=") +
             std::string("\x65\x51\xE3\x53\xAB\x30\xE1\x30\xE9\x30", 10) // 入口カメラ
             + wide(utf8.substr(lineEnd - (utf8[lineEnd - 1] == '\r' ? 1 : 0)));
    WriteBytes(file, utf16);
    record = {};
    ASSERT_EQ(0, ReadSettingsFile(file, record));
    EXPECT_EQ(SampleRecord(), record);
}

TEST_F(SettingsFileTest, LongDeviceTextIsCutAtACharacterBoundary) {
    WriteSampleWith("System", "DeviceInfo", "あいうえおかきくけこさ"); // 22 bytes in CP932
    SettingsRecord record;
    ASSERT_EQ(0, ReadSettingsFile(file, record));
    EXPECT_EQ(*Utf8ToCp932("あいうえおかきくけこ"), record.deviceInfo);
    WriteSampleWith("System", "DeviceInfo", std::string("x") + "あいうえおかきくけこ"); // 21 bytes
    ASSERT_EQ(0, ReadSettingsFile(file, record));
    EXPECT_EQ(*Utf8ToCp932("xあいうえおかきくけ"), record.deviceInfo);
}

TEST_F(SettingsFileTest, WriterKeepsOtherContentOfAnExistingFile) {
    WriteBytes(file, "; kept comment\r\n[Site]\r\nName=Hall A\r\n[Camera]\r\nCamera=9\r\n");
    ASSERT_EQ(0, WriteSettingsFile(file, SampleRecord()));
    const std::string text = *Cp932ToUtf8(test::FileBytes(file));
    EXPECT_NE(std::string::npos, text.find("; kept comment"));
    const IniDocument document = IniDocument::Parse(text);
    EXPECT_EQ("Hall A", document.Get("Site", "Name"));
    EXPECT_EQ("1", document.Get("Camera", "Camera"));
}

TEST_F(SettingsFileTest, UpdatedUnicodeFileKeepsItsEncodingAndItsText) {
    // UTF-16LE with a byte-order mark: a comment holding U+1F600, which CP932 has no code for.
    const std::string comment = std::string("\xFF\xFE;\0 \0\x3D\xD8\x00\xDE\r\0\n\0", 12);
    WriteBytes(file, comment);
    ASSERT_EQ(0, WriteSettingsFile(file, SampleRecord()));
    SettingsRecord read;
    ASSERT_EQ(0, ReadSettingsFile(file, read));
    EXPECT_EQ(SampleRecord(), read);
    const std::string bytes = test::FileBytes(file);
    EXPECT_EQ(0u, bytes.find(comment));
    EXPECT_NE(std::string::npos, bytes.find(std::string("[\0C\0a\0m\0e\0r\0a\0]\0", 16)));

    // A DeviceInfo whose bytes are not CP932 text has no Unicode form: refused, the file kept.
    SettingsRecord raw = SampleRecord();
    raw.deviceInfo = std::string(20, '\xFF');
    SettingsFileProblem problem;
    EXPECT_EQ(-1, WriteSettingsFile(file, raw, &problem));
    EXPECT_EQ(SettingsFileProblem::Cause::NotCp932, problem.cause);
    EXPECT_EQ(bytes, test::FileBytes(file));
}

TEST_F(SettingsFileTest, DeviceTextWithALineBreakIsRefusedNotDropped) {
    for (const std::string text : {"ab\rcd", "ab\ncd"}) {
        SettingsRecord record = SampleRecord();
        record.deviceInfo = text;
        SettingsFileProblem problem;
        EXPECT_EQ(-1, WriteSettingsFile(file, record, &problem));
        EXPECT_EQ(SettingsFileProblem::Cause::LineBreak, problem.cause);
        EXPECT_EQ("System.DeviceInfo", problem.key);
        EXPECT_FALSE(std::filesystem::exists(file));
    }
}

TEST_F(SettingsFileTest, WriteFailureIsReported) {
    SettingsFileProblem problem;
    EXPECT_EQ(-1, WriteSettingsFile(directory.Path() / "no-such-dir" / "x.ini", SampleRecord(), &problem));
    EXPECT_EQ(SettingsFileProblem::Cause::File, problem.cause);
    EXPECT_EQ(std::errc::no_such_file_or_directory, problem.error);
}

TEST_F(SettingsFileTest, SensorBytesThatAreNotCp932TextSurviveByteForByte) {
    // A field never set (all 0xFF), a text cut inside a double-byte character at byte 20, and blanks
    // and quotes around a text.
    for (const std::string& bytes :
         {std::string(20, '\xFF'), std::string(19, 'a') + "\x82",
          std::string(" ").append(*Utf8ToCp932("入口")).append(" "), std::string("\"quoted\"")}) {
        SettingsRecord record = SampleRecord();
        record.deviceInfo = bytes;
        std::filesystem::remove(file);
        ASSERT_EQ(0, WriteSettingsFile(file, record));
        SettingsRecord read;
        ASSERT_EQ(0, ReadSettingsFile(file, read));
        EXPECT_EQ(bytes, read.deviceInfo);
        EXPECT_EQ(SampleRecord().camera, read.camera);
    }
}

TEST_F(SettingsFileTest, UnicodeTextTheSensorCannotHoldIsRefusedNamingTheKey) {
    ASSERT_EQ(0, WriteSettingsFile(file, SampleRecord()));
    IniDocument document = IniDocument::Parse(*Cp932ToUtf8(test::FileBytes(file)));
    for (const std::string text : {"\xE2\x82\xAC", "\xF0\x9F\x98\x80"}) { // the euro sign, an emoji
        document.Set("System", "DeviceInfo", text);
        WriteBytes(file, "\xEF\xBB\xBF" + document.Serialize());
        SettingsRecord record = SampleRecord();
        record.camera = 3;
        SettingsFileProblem problem;
        EXPECT_EQ(-1, ReadSettingsFile(file, record, &problem));
        EXPECT_EQ(SettingsFileProblem::Cause::NotCp932, problem.cause);
        EXPECT_EQ("System.DeviceInfo", problem.key);
        EXPECT_EQ(text, problem.value);
        EXPECT_EQ(3, record.camera);
    }
}

TEST_F(SettingsFileTest, ReaderToleratesWhatTheProfileFunctionsTolerate) {
    ASSERT_EQ(0, WriteSettingsFile(file, SampleRecord()));
    std::string text = test::FileBytes(file);
    const auto replace = [&](const std::string& from, const std::string& to) {
        text.replace(text.find(from), from.size(), to);
    };
    replace("Threshold=500", "Threshold=\"500\"");
    replace("Other27=27", "Other27='27'");
    // Bytes that are not CP932 in a comment and in a key nobody reads.
    WriteBytes(file, "; \x80\xFF comment\r\n" + text + "[Site]\r\nName=\xA0\xFD\r\n");
    SettingsRecord record;
    ASSERT_EQ(0, ReadSettingsFile(file, record));
    EXPECT_EQ(500, record.threshold);
    EXPECT_EQ(27, record.other27);
    EXPECT_EQ(SampleRecord(), record);
}

TEST_F(SettingsFileTest, ReaderNamesTheKeyItStoppedAt) {
    WriteSampleWith("AreaMask5", "Left", "-2");
    SettingsFileProblem problem;
    SettingsRecord record;
    EXPECT_EQ(-1, ReadSettingsFile(file, record, &problem));
    EXPECT_EQ(SettingsFileProblem::Cause::RejectedValue, problem.cause);
    EXPECT_EQ("AreaMask5.Left", problem.key);
    EXPECT_EQ("-2", problem.value);

    ASSERT_EQ(0, WriteSettingsFile(file, SampleRecord()));
    std::string text = test::FileBytes(file);
    text.erase(text.find("SizeMax="), std::string("SizeMax=1600").size());
    WriteBytes(file, text);
    EXPECT_EQ(-1, ReadSettingsFile(file, record, &problem));
    EXPECT_EQ(SettingsFileProblem::Cause::MissingKey, problem.cause);
    EXPECT_EQ("Ditection.SizeMax", problem.key);

    EXPECT_EQ(-1, ReadSettingsFile(directory.Path() / "missing.ini", record, &problem));
    EXPECT_EQ(SettingsFileProblem::Cause::File, problem.cause);
    EXPECT_EQ(std::errc::no_such_file_or_directory, problem.error);
}

} // namespace
} // namespace orlo
