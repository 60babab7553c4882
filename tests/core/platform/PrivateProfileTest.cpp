#include "core/platform/PrivateProfile.h"

#include "tests/support/FileBytes.h"
#include "tests/support/TempDirectory.h"

#include <climits>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace orlo {
namespace {

namespace fs = std::filesystem;
using test::TempDirectory;

void WriteFile(const fs::path& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary);
    out << text;
}

std::vector<std::string> DirectoryEntries(const fs::path& directory) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(directory)) {
        names.push_back(entry.path().filename().string());
    }
    return names;
}

TEST(PrivateProfileTest, MissingFileSectionOrKeyGivesTheDefault) {
    TempDirectory dir;
    const fs::path file = dir.Path() / "test.conf";
    EXPECT_EQ(ReadProfileString(file, "A", "k", "dflt"), "dflt");
    WriteFile(file, "[A]\r\nk=v\r\n");
    EXPECT_EQ(ReadProfileString(file, "B", "k", "dflt"), "dflt");
    EXPECT_EQ(ReadProfileString(file, "A", "other", "dflt"), "dflt");
    EXPECT_EQ(ReadProfileString(file, "a", "K", "dflt"), "v");
}

TEST(PrivateProfileTest, FirstWriteCreatesTheFileAndLaterWritesUpdateInPlace) {
    TempDirectory dir;
    const fs::path file = dir.Path() / "test.conf";
    ASSERT_TRUE(WriteProfileString(file, "Application", "ComNo", "3"));
    EXPECT_EQ(test::FileBytes(file), "[Application]\r\nComNo=3\r\n");

    WriteFile(file, "# kept\n[application]\ncomno = 1\nother=x\n[Display]\nk=v\n");
    ASSERT_TRUE(WriteProfileString(file, "Application", "ComNo", "4"));
    ASSERT_TRUE(WriteProfileString(file, "Display", "New", "5"));
    EXPECT_EQ(test::FileBytes(file), "# kept\n[application]\ncomno = 4\nother=x\n[Display]\nk=v\nNew=5\n");
    EXPECT_EQ(DirectoryEntries(dir.Path()), std::vector<std::string>{"test.conf"});
}

TEST(PrivateProfileTest, ValueAndDefaultAreCutTo511Bytes) {
    TempDirectory dir;
    const fs::path file = dir.Path() / "test.conf";
    const std::string longText(600, '7');
    EXPECT_EQ(ReadProfileString(file, "A", "k", longText), longText.substr(0, 511));
    ASSERT_TRUE(WriteProfileString(file, "A", "k", longText));
    EXPECT_EQ(ReadProfileString(file, "A", "k", ""), longText.substr(0, 511));
}

TEST(PrivateProfileTest, BinaryGarbageReadsAsDefaultsAndStaysIntactAroundAWrite) {
    TempDirectory dir;
    const fs::path file = dir.Path() / "test.conf";
    std::string garbage;
    for (int i = 0; i < 4096; ++i) {
        garbage += static_cast<char>((i * 7919 + 13) % 256);
    }
    WriteFile(file, garbage);
    EXPECT_EQ(ReadProfileString(file, "Application", "PortNo", "9600"), "9600");
    ASSERT_TRUE(WriteProfileString(file, "Application", "PortNo", "1"));
    EXPECT_EQ(ReadProfileString(file, "Application", "PortNo", "9600"), "1");
    EXPECT_EQ(test::FileBytes(file).substr(0, garbage.size()), garbage);
}

TEST(PrivateProfileTest, DirectoryInPlaceOfTheFileGivesDefaultsAndRefusesWrites) {
    TempDirectory dir;
    const fs::path file = dir.Path() / "test.conf";
    fs::create_directory(file);
    WriteFile(file / "inside", "[A]\nk=v\n");
    EXPECT_EQ(ReadProfileString(file, "A", "k", "dflt"), "dflt");
    EXPECT_FALSE(WriteProfileString(file, "A", "k", "new"));
    EXPECT_TRUE(fs::is_directory(file));
    EXPECT_EQ(test::FileBytes(file / "inside"), "[A]\nk=v\n");
    EXPECT_EQ(DirectoryEntries(dir.Path()), std::vector<std::string>{"test.conf"});
}

TEST(PrivateProfileTest, OversizedFileIsNeitherReadNorReplaced) {
    TempDirectory dir;
    const fs::path file = dir.Path() / "test.conf";
    const std::string text = "[A]\nk=v\n" + std::string(std::size_t{1} << 20, ';');
    WriteFile(file, text);
    EXPECT_EQ(ReadProfileString(file, "A", "k", "dflt"), "dflt");
    EXPECT_FALSE(WriteProfileString(file, "A", "k", "new"));
    EXPECT_EQ(test::FileBytes(file), text);
}

TEST(PrivateProfileTest, FifoInPlaceOfTheFileDoesNotBlock) {
    TempDirectory dir;
    const fs::path file = dir.Path() / "test.conf";
    ASSERT_EQ(::mkfifo(file.c_str(), 0600), 0);
    EXPECT_EQ(ReadProfileString(file, "A", "k", "dflt"), "dflt");
    EXPECT_FALSE(WriteProfileString(file, "A", "k", "new"));
    EXPECT_TRUE(fs::is_fifo(file));
}

TEST(PrivateProfileTest, FailedWriteInReadOnlyDirectoryLeavesTheFileIntact) {
    if (::geteuid() == 0) {
        GTEST_SKIP() << "permissions do not bind root";
    }
    TempDirectory dir;
    const fs::path sub = dir.Path() / "ro";
    fs::create_directory(sub);
    const fs::path file = sub / "test.conf";
    WriteFile(file, "[A]\r\nk=old\r\n");
    fs::permissions(sub, fs::perms::owner_read | fs::perms::owner_exec);
    EXPECT_FALSE(WriteProfileString(file, "A", "k", "new"));
    fs::permissions(sub, fs::perms::owner_all);
    EXPECT_EQ(test::FileBytes(file), "[A]\r\nk=old\r\n");
    EXPECT_EQ(DirectoryEntries(sub), std::vector<std::string>{"test.conf"});
}

TEST(PrivateProfileTest, WriteIntoMissingDirectoryFails) {
    TempDirectory dir;
    const fs::path file = dir.Path() / "missing" / "test.conf";
    EXPECT_FALSE(WriteProfileString(file, "A", "k", "v"));
    EXPECT_FALSE(fs::exists(file.parent_path()));
}

TEST(PrivateProfileTest, RefusedValueLeavesTheFileIntact) {
    TempDirectory dir;
    const fs::path file = dir.Path() / "test.conf";
    WriteFile(file, "[A]\r\nk=old\r\n");
    EXPECT_FALSE(WriteProfileString(file, "A", "k", "new\r\n[B]"));
    EXPECT_EQ(test::FileBytes(file), "[A]\r\nk=old\r\n");
}

TEST(PrivateProfileTest, JapanesePathWorks) {
    TempDirectory dir;
    const fs::path sub = dir.Path() / fs::path(u8"設定フォルダ");
    fs::create_directory(sub);
    const fs::path file = sub / fs::path(u8"設定.conf");
    ASSERT_TRUE(WriteProfileString(file, "Application", "PortNo", "10001"));
    EXPECT_EQ(ReadProfileString(file, "Application", "PortNo", "9600"), "10001");
    EXPECT_TRUE(fs::is_regular_file(file));
}

TEST(PrivateProfileTest, BytesPassThroughUnchanged) {
    TempDirectory dir;
    const fs::path file = dir.Path() / "test.conf";
    const std::string cp932 = "\x93\xfa\x96\x7b\x8c\xea"; // 日本語 in CP932
    ASSERT_TRUE(WriteProfileString(file, cp932, cp932, cp932));
    EXPECT_EQ(ReadProfileString(file, cp932, cp932, ""), cp932);
    EXPECT_EQ(test::FileBytes(file), "[" + cp932 + "]\r\n" + cp932 + "=" + cp932 + "\r\n");
}

// UTF-16LE with a byte-order mark, from ASCII text.
std::string Utf16(const std::string& ascii) {
    std::string bytes = "\xFF\xFE";
    for (char c : ascii) {
        bytes += c;
        bytes += '\0';
    }
    return bytes;
}

TEST(PrivateProfileTest, FilesWithAByteOrderMarkAreReadAndRewrittenInTheirEncoding) {
    TempDirectory dir;
    const fs::path file = dir.Path() / "test.conf";
    WriteFile(file, Utf16("[Application]\r\nRenewInterval=1000\r\n"));
    EXPECT_EQ(ReadProfileString(file, "Application", "RenewInterval", "3000"), "1000");
    ASSERT_TRUE(WriteProfileString(file, "Application", "PortNo", "10001"));
    EXPECT_EQ(test::FileBytes(file), Utf16("[Application]\r\nRenewInterval=1000\r\nPortNo=10001\r\n"));

    // A character outside the basic plane and an unpaired surrogate survive the rewrite.
    const std::string odd = std::string("\x3D\xD8\x00\xDE\x00\xD8", 6);
    WriteFile(file, Utf16("; ") + odd + Utf16("\r\n[A]\r\nk=1\r\n").substr(2));
    ASSERT_TRUE(WriteProfileString(file, "A", "k", "2"));
    EXPECT_EQ(test::FileBytes(file), Utf16("; ") + odd + Utf16("\r\n[A]\r\nk=2\r\n").substr(2));

    WriteFile(file, "\xEF\xBB\xBF[Application]\nRenewInterval=1000\n");
    EXPECT_EQ(ReadProfileString(file, "Application", "RenewInterval", "3000"), "1000");
    ASSERT_TRUE(WriteProfileString(file, "Application", "RenewInterval", "500"));
    EXPECT_EQ(test::FileBytes(file), "\xEF\xBB\xBF[Application]\nRenewInterval=500\n");

    // A UTF-16 file cut in the middle of a character is not rewritten.
    WriteFile(file, Utf16("[A]\r\nk=1\r\n") + "\x41");
    EXPECT_EQ(ReadProfileString(file, "A", "k", "d"), "d");
    EXPECT_FALSE(WriteProfileString(file, "A", "k", "2"));
    EXPECT_EQ(test::FileBytes(file), Utf16("[A]\r\nk=1\r\n") + "\x41");
}

TEST(PrivateProfileTest, WriteThroughSymbolicLinkKeepsTheLink) {
    TempDirectory dir;
    const fs::path real = dir.Path() / "real.conf";
    const fs::path link = dir.Path() / "link.conf";
    WriteFile(real, "[A]\nk=old\n");
    fs::create_symlink(real.filename(), link);
    ASSERT_TRUE(WriteProfileString(link, "A", "k", "new"));
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(test::FileBytes(real), "[A]\nk=new\n");
}

TEST(PrivateProfileTest, ReplacementKeepsTheFilesPermissions) {
    TempDirectory dir;
    const fs::path file = dir.Path() / "test.conf";
    WriteFile(file, "[A]\nk=old\n");
    const auto mode = fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read;
    fs::permissions(file, mode);
    ASSERT_TRUE(WriteProfileString(file, "A", "k", "new"));
    EXPECT_EQ(fs::status(file).permissions(), mode);
}

TEST(PrivateProfileTest, ConcurrentWritersLoseNoKey) {
    TempDirectory dir;
    const fs::path file = dir.Path() / "test.conf";
    constexpr int kKeys = 40;
    auto writer = [&](const std::string& prefix) {
        for (int i = 0; i < kKeys; ++i) {
            WriteProfileString(file, "A", prefix + std::to_string(i), std::to_string(i));
        }
    };
    std::thread first(writer, "first");
    std::thread second(writer, "second");
    first.join();
    second.join();
    for (int i = 0; i < kKeys; ++i) {
        EXPECT_EQ(ReadProfileString(file, "A", "first" + std::to_string(i), "lost"), std::to_string(i));
        EXPECT_EQ(ReadProfileString(file, "A", "second" + std::to_string(i), "lost"), std::to_string(i));
    }
}

TEST(ParseLongSaturatedTest, FollowsCLongConversionSaturatedTo32Bits) {
    const std::pair<std::string, std::int32_t> cases[] = {
        {"", 0},
        {"abc", 0},
        {"-", 0},
        {"- 5", 0},
        {"0x10", 0},
        {"\xef\xbc\x91", 0}, // full-width digit one
        {"42", 42},
        {" \t\r\n\v\f42", 42},
        {"+5", 5},
        {"-17x", -17},
        {"3000abc", 3000},
        {"007", 7},
        {"2147483647", INT32_MAX},
        {"2147483648", INT32_MAX},
        {"3232235530", INT32_MAX},
        {"-2147483648", INT32_MIN},
        {"-2147483649", INT32_MIN},
        {"99999999999999999999999999", INT32_MAX},
        {"-99999999999999999999999999", INT32_MIN},
    };
    for (const auto& [text, expected] : cases) {
        EXPECT_EQ(ParseLongSaturated(text), expected) << '"' << text << '"';
    }
}

TEST(ParseLongPrefixTest, TellsNoDigitsFromZeroAndKeepsNumbersBeyond32Bits) {
    for (const char* text : {"", "abc", "-", "- 5", "\xef\xbc\x91"}) {
        EXPECT_EQ(std::nullopt, ParseLongPrefix(text)) << '"' << text << '"';
    }
    EXPECT_EQ(0, ParseLongPrefix("0x10"));
    EXPECT_EQ(-17, ParseLongPrefix(" -17x"));
    EXPECT_EQ(2147483648, ParseLongPrefix("2147483648"));
    EXPECT_EQ(-70000, ParseLongPrefix("-70000"));
    // Saturated far beyond every field, never wrapped.
    EXPECT_LT(std::int64_t{1} << 32, *ParseLongPrefix("99999999999999999999999999"));
    EXPECT_GT(-(std::int64_t{1} << 32), *ParseLongPrefix("-99999999999999999999999999"));
}

} // namespace
} // namespace orlo
