// The Win32 side of the platform seams: code page 932, files, and PNG through the imaging component.
#include "core/imaging/PngConverter.h"
#include "core/platform/CodePage.h"
#include "core/platform/FileIo.h"
#include "core/platform/IpRangeScanner.h"
#include "tests/support/FileBytes.h"
#include "tests/support/TempDirectory.h"

#include <fstream>
#include <gtest/gtest.h>
#include <iterator>

namespace orlo {
namespace {

namespace fs = std::filesystem;

TEST(Win32CodePage, JapaneseTextRoundTripsThroughCp932) {
    const std::string utf8 = "人検知センサー ｶﾒﾗ ①";
    const auto cp932 = Utf8ToCp932(utf8);
    ASSERT_TRUE(cp932);
    // 人 is 0x90 0x6C in code page 932; half-width katakana are single bytes.
    EXPECT_EQ(cp932->substr(0, 2), "\x90\x6C");
    EXPECT_NE(cp932->find("\xB6\xD2\xD7"), std::string::npos);
    EXPECT_EQ(Cp932ToUtf8(*cp932), utf8);
    EXPECT_EQ(Cp932ToUtf8(""), "");
}

TEST(Win32CodePage, InvalidInputFailsInsteadOfBecomingAQuestionMark) {
    EXPECT_FALSE(Cp932ToUtf8("\x81"));             // a lead byte without its trail byte
    EXPECT_FALSE(Utf8ToCp932("\xF0\x9F\x98\x80")); // an emoji has no CP932 form
    EXPECT_FALSE(Utf8ToCp932("\xC3"));             // broken UTF-8
    EXPECT_FALSE(Utf8ToCp932("caf\xC3\xA9"));      // é: CP932 would give a best-fit 'e'
}

TEST(Win32Files, AtomicWriteReplacesAnExistingFileAndLeavesNoTemporary) {
    test::TempDirectory directory;
    const fs::path target = directory.Path() / "設定.ini";
    std::error_code error;
    ASSERT_TRUE(WriteFileAtomically(target, "first\r\n", &error)) << error.message();
    ASSERT_TRUE(WriteFileAtomically(target, "second\r\n", &error)) << error.message();
    EXPECT_EQ(test::FileBytes(target), "second\r\n");
    EXPECT_EQ(ReadFileLimited(target, 100), "second\r\n");
    EXPECT_EQ(std::distance(fs::directory_iterator(directory.Path()), fs::directory_iterator()), 1);

    // A refused file keeps the old one.
    EXPECT_FALSE(WriteFileAtomically(target, "third", &error, [](const fs::path&) { return false; }));
    EXPECT_EQ(test::FileBytes(target), "second\r\n");
}

TEST(Win32Files, ReadsTellMissingFromUnreadable) {
    test::TempDirectory directory;
    const FileContents missing = ReadFileContents(directory.Path() / "none.ini", 100);
    EXPECT_EQ(missing.status, FileContents::Status::Missing);
    EXPECT_EQ(missing.error, std::errc::no_such_file_or_directory);
    EXPECT_EQ(ReadFileContents(directory.Path(), 100).status, FileContents::Status::Unreadable);

    const fs::path large = directory.Path() / "large.ini";
    std::ofstream(large, std::ios::binary) << std::string(101, 'x');
    EXPECT_EQ(ReadFileContents(large, 100).error, std::errc::file_too_large);
    EXPECT_FALSE(ReadFileLimited(large, 100));

    std::error_code error;
    EXPECT_FALSE(WriteFileAtomically(directory.Path() / "no-such-dir" / "a.ini", "x", &error));
    EXPECT_EQ(error, std::errc::no_such_file_or_directory);
}

TEST(Win32Files, RewriteTruncatesAFileAndRefusesADirectory) {
    test::TempDirectory directory;
    const fs::path log = directory.Path() / "CmdLog.log";
    std::ofstream(log, std::ios::binary) << "old contents";
    std::FILE* file = OpenRegularFileForRewrite(log);
    ASSERT_NE(file, nullptr);
    std::fputs("new", file);
    std::fclose(file);
    EXPECT_EQ(test::FileBytes(log), "new");
    EXPECT_EQ(OpenRegularFileForRewrite(directory.Path()), nullptr);
}

TEST(Win32Files, AStreamBeingWrittenCanBeMovedAway) {
    test::TempDirectory directory;
    const fs::path first = directory.Path() / "a.csv";
    std::FILE* file = OpenStdioFile(first, "wb");
    ASSERT_NE(file, nullptr);
    std::fputs("1\n", file);
    fs::rename(first, directory.Path() / "b.csv");
    std::fputs("2\n", file);
    std::fclose(file);
    EXPECT_EQ(test::FileBytes(directory.Path() / "b.csv"), "1\n2\n");
}

CImageData Gradient(ImageFormat format, bool raw) {
    CImageData image;
    EXPECT_EQ(image.ImageData(7, 5, format, raw), ImageStatus::Ok);
    for (int row = 0; row < image.Height(); ++row) {
        for (int byte = 0; byte < image.BytesPerRow(); ++byte) {
            image.Pixels()[row * image.BytesPerRow() + byte] = static_cast<std::uint8_t>(row * 40 + byte * 3);
        }
    }
    return image;
}

// The pixel at (x, y) counted from the top of the picture, whatever its row order.
const std::uint8_t* PixelAt(const CImageData& image, int x, int y, int bytesPerPixel) {
    const int row = image.IsRaw() ? y : image.Height() - 1 - y;
    return image.Pixels() + row * image.BytesPerRow() + x * bytesPerPixel;
}

TEST(Win32Png, GreyAndColourPicturesRoundTrip) {
    for (const auto& [format, bytes] : {std::pair{ImageFormat::Grey8, 1}, std::pair{ImageFormat::Bgr24, 3}}) {
        for (const bool raw : {true, false}) {
            const CImageData source = Gradient(format, raw);
            std::vector<std::uint8_t> file;
            ASSERT_EQ(CPngConverter::Encode(source, file), ImageStatus::Ok);
            ASSERT_GT(file.size(), 8u);
            EXPECT_EQ(std::string(file.begin() + 1, file.begin() + 4), "PNG");
            CImageData decoded;
            ASSERT_EQ(CPngConverter::Decode(file, decoded), ImageStatus::Ok);
            EXPECT_EQ(decoded.Format(), format);
            EXPECT_TRUE(decoded.IsRaw());
            ASSERT_EQ(decoded.Width(), 7);
            ASSERT_EQ(decoded.Height(), 5);
            for (int y = 0; y < 5; ++y) {
                for (int x = 0; x < 7; ++x) {
                    for (int b = 0; b < bytes; ++b) {
                        ASSERT_EQ(PixelAt(decoded, x, y, bytes)[b], PixelAt(source, x, y, bytes)[b])
                            << "raw " << raw << " at " << x << "," << y;
                    }
                }
            }
        }
    }
}

TEST(Win32Png, BrokenFilesFailAndLeaveTheDestination) {
    std::vector<std::uint8_t> file;
    ASSERT_EQ(CPngConverter::Encode(Gradient(ImageFormat::Grey8, true), file), ImageStatus::Ok);
    CImageData destination = Gradient(ImageFormat::Bgr24, true);
    const std::vector<std::uint8_t> notPng{'G', 'I', 'F', '8', '9', 'a', 0, 0};
    EXPECT_EQ(CPngConverter::Decode(notPng, destination), ImageStatus::BadData);
    EXPECT_EQ(CPngConverter::Decode({}, destination), ImageStatus::BadData);
    const std::vector<std::uint8_t> truncated(file.begin(),
                                              file.begin() + static_cast<long>(file.size() / 2));
    EXPECT_EQ(CPngConverter::Decode(truncated, destination), ImageStatus::BadData);
    EXPECT_EQ(destination.Format(), ImageFormat::Bgr24);
    EXPECT_EQ(destination.Width(), 7);

    CImageData withAlpha;
    ASSERT_EQ(withAlpha.ImageData(2, 2, ImageFormat::Bgra32, true), ImageStatus::Ok);
    EXPECT_EQ(CPngConverter::Encode(withAlpha, file), ImageStatus::Unsupported);
}

TEST(Win32Icmp, TheLoopbackAddressAnswers) {
    const IpRangeScanner scanner;
    std::vector<int> progress;
    const ScanResult result = scanner.Scan(ScanRange::FromEnd({127, 0, 0, 1}, 1),
                                           [&](int percent) { progress.push_back(percent); });
    if (result.error != IcmpSocketError::None) {
        GTEST_SKIP() << "ICMP echo is not available to this process (Wine needs root or "
                        "net.ipv4.ping_group_range for it): "
                     << result.errorText;
    }
    ASSERT_EQ(result.answered.size(), 1u);
    EXPECT_EQ(result.answered[0], (Ipv4Address{127, 0, 0, 1}));
    EXPECT_EQ(progress.back(), 100);
}

} // namespace
} // namespace orlo
