#include "core/config/AppConfig.h"

#include "core/platform/PrivateProfile.h"
#include "tests/support/FileBytes.h"
#include "tests/support/TempDirectory.h"

#include <fstream>
#include <gtest/gtest.h>
#include <iterator>

namespace orlo {
namespace {

namespace fs = std::filesystem;
using test::TempDirectory;

void WriteFile(const fs::path& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary);
    out << text;
}

class AppConfigTest : public ::testing::Test {
protected:
    // The stored text of a key, as another program would see it.
    std::string Stored(std::string_view section, std::string_view key) const {
        return ReadProfileString(config.ConfigFile(), section, key, "<missing>");
    }
    void Store(std::string_view section, std::string_view key, std::string_view value) {
        ASSERT_TRUE(WriteProfileString(config.ConfigFile(), section, key, value));
    }

    TempDirectory dir;
    AppConfig config{dir.Path()};
};

TEST_F(AppConfigTest, FilesLieInTheGivenDirectory) {
    EXPECT_EQ(config.ConfigFile(), dir.Path() / "Orlo-X1.conf");
    EXPECT_EQ(config.PefFile(), dir.Path() / "pef");
}

TEST_F(AppConfigTest, MissingFilesGiveTheDefaults) {
    EXPECT_EQ(config.ReadComNo(), 0);
    EXPECT_EQ(config.ReadComPort(), "");
    EXPECT_EQ(config.ReadBaudRate(), 115200);
    EXPECT_EQ(config.ReadAngleOfViewCom(), 90);
    EXPECT_EQ(config.ReadIpAddress(), (Ipv4Address{0, 0, 0, 0}));
    EXPECT_EQ(config.ReadPortNo(), 9600);
    EXPECT_EQ(config.ReadAngleOfViewLan(), 90);
    EXPECT_EQ(config.ReadSearchStartAddress(), (Ipv4Address{0, 0, 0, 0}));
    EXPECT_EQ(config.ReadSearchEndAddress(), 255);
    EXPECT_TRUE(config.ReadGetImage());
    EXPECT_FALSE(config.ReadGetDiffImage());
    EXPECT_EQ(config.ReadImageResolution(), 1);
    EXPECT_EQ(config.ReadRenewInterval(), 3000);
    EXPECT_EQ(config.ReadDetectAreaOverlap(), (std::vector<int>{0, 1, 2, 3}));
    EXPECT_EQ(config.ReadIsShowDiff(0), 1);
    EXPECT_EQ(config.ReadDiffColor(0), 55295);
    EXPECT_EQ(config.ReadIsShowArea(0), 1);
    EXPECT_EQ(config.ReadIsShowArea(1), 1);
    EXPECT_TRUE(config.ReadPefShortRange());
    EXPECT_TRUE(config.ReadPefShortMotion());
    EXPECT_FALSE(fs::exists(config.ConfigFile()));
}

TEST_F(AppConfigTest, NumbersAreStoredWithPercentD) {
    config.WriteComNo(3);
    config.WriteBaudRate(38400);
    config.WriteAngleOfViewCom(50);
    config.WritePortNo(10001);
    config.WriteAngleOfViewLan(50);
    config.WriteSearchEndAddress(-4);
    config.WriteImageResolution(2);
    config.WriteRenewInterval(500);
    config.WriteDiffColor(0, -1);
    EXPECT_EQ(Stored("Application", "ComNo"), "3");
    EXPECT_EQ(Stored("Application", "BaudRate"), "38400");
    EXPECT_EQ(Stored("Application", "AngleOfView_Com"), "50");
    EXPECT_EQ(Stored("Application", "PortNo"), "10001");
    EXPECT_EQ(Stored("Application", "AngleOfView_Lan"), "50");
    EXPECT_EQ(Stored("Application", "SearchEndAddress"), "-4");
    EXPECT_EQ(Stored("Application", "ImageResolution"), "2");
    EXPECT_EQ(Stored("Application", "RenewInterval"), "500");
    EXPECT_EQ(Stored("DiffColor", "ShortMotion"), "-1");

    EXPECT_EQ(config.ReadComNo(), 3);
    EXPECT_EQ(config.ReadBaudRate(), 38400);
    EXPECT_EQ(config.ReadAngleOfViewCom(), 50);
    EXPECT_EQ(config.ReadPortNo(), 10001);
    EXPECT_EQ(config.ReadAngleOfViewLan(), 50);
    EXPECT_EQ(config.ReadSearchEndAddress(), -4);
    EXPECT_EQ(config.ReadImageResolution(), 2);
    EXPECT_EQ(config.ReadRenewInterval(), 500);
    EXPECT_EQ(config.ReadDiffColor(0), -1);
}

TEST_F(AppConfigTest, AutomaticReconnectIsOffUnlessOurSectionSaysOne) {
    EXPECT_FALSE(config.ReadAutoReconnect());
    Store("Application", "AutoReconnect", "1"); // not our section
    EXPECT_FALSE(config.ReadAutoReconnect());
    Store("OrloSetup", "AutoReconnect", "2");
    EXPECT_FALSE(config.ReadAutoReconnect());
    config.WriteAutoReconnect(true);
    EXPECT_EQ(Stored("OrloSetup", "AutoReconnect"), "1");
    EXPECT_TRUE(config.ReadAutoReconnect());
    config.WriteAutoReconnect(false);
    EXPECT_EQ(Stored("OrloSetup", "AutoReconnect"), "0");
    EXPECT_FALSE(config.ReadAutoReconnect());
    EXPECT_EQ(Stored("Application", "AutoReconnect"), "1"); // left alone
}

TEST_F(AppConfigTest, SensorDetailsOfTheSearchAreOursAndOffByDefault) {
    EXPECT_FALSE(config.ReadShowSensorDetails());
    Store("Application", "ShowSensorDetails", "1"); // not our section
    EXPECT_FALSE(config.ReadShowSensorDetails());
    Store("OrloSetup", "ShowSensorDetails", "2");
    EXPECT_FALSE(config.ReadShowSensorDetails());
    config.WriteShowSensorDetails(true);
    EXPECT_EQ(Stored("OrloSetup", "ShowSensorDetails"), "1");
    EXPECT_TRUE(config.ReadShowSensorDetails());
    config.WriteShowSensorDetails(false);
    EXPECT_EQ(Stored("OrloSetup", "ShowSensorDetails"), "0");
    EXPECT_FALSE(config.ReadShowSensorDetails());
}

TEST_F(AppConfigTest, AddressesArePackedAsSigned32BitNumbers) {
    config.WriteIpAddress({10, 0, 0, 1});
    EXPECT_EQ(Stored("Application", "IPAddress"), "167772161");
    config.WriteIpAddress({192, 168, 0, 10});
    EXPECT_EQ(Stored("Application", "IPAddress"), "-1062731766");
    EXPECT_EQ(config.ReadIpAddress(), (Ipv4Address{192, 168, 0, 10}));
    config.WriteIpAddress({255, 255, 255, 255});
    EXPECT_EQ(Stored("Application", "IPAddress"), "-1");
    EXPECT_EQ(config.ReadIpAddress(), (Ipv4Address{255, 255, 255, 255}));

    config.WriteSearchStartAddress({172, 16, 5, 1});
    EXPECT_EQ(Stored("Application", "SearchStartAddress"), "-1408236287");
    EXPECT_EQ(config.ReadSearchStartAddress(), (Ipv4Address{172, 16, 5, 1}));
}

TEST_F(AppConfigTest, UnsignedAddressFormSaturates) {
    Store("Application", "IPAddress", "3232235530");
    EXPECT_EQ(config.ReadIpAddress(), (Ipv4Address{127, 255, 255, 255}));
}

TEST_F(AppConfigTest, SwitchesFollowTheirOwnTruthRules) {
    Store("Application", "GetImage", "2");
    Store("Application", "GetDiffImage", "2");
    EXPECT_TRUE(config.ReadGetImage());
    EXPECT_FALSE(config.ReadGetDiffImage());

    config.WriteGetImage(false);
    config.WriteGetDiffImage(true);
    EXPECT_EQ(Stored("Application", "GetImage"), "0");
    EXPECT_EQ(Stored("Application", "GetDiffImage"), "1");
    EXPECT_FALSE(config.ReadGetImage());
    EXPECT_TRUE(config.ReadGetDiffImage());
}

TEST_F(AppConfigTest, ImageResolutionOutsideZeroToTwoReadsAsZero) {
    for (const auto& [stored, expected] : std::vector<std::pair<std::string, std::int32_t>>{
             {"0", 0}, {"1", 1}, {"2", 2}, {"3", 0}, {"7", 0}, {"-1", 0}, {"x", 0}}) {
        Store("Application", "ImageResolution", stored);
        EXPECT_EQ(config.ReadImageResolution(), expected) << stored;
    }
}

TEST_F(AppConfigTest, GarbageNumbersReadAsTheirLeadingNumberOrZero) {
    Store("Application", "RenewInterval", "abc");
    EXPECT_EQ(config.ReadRenewInterval(), 0);
    Store("Application", "RenewInterval", "3000abc");
    EXPECT_EQ(config.ReadRenewInterval(), 3000);
    Store("Application", "PortNo", "");
    EXPECT_EQ(config.ReadPortNo(), 0);
}

TEST_F(AppConfigTest, DetectAreaOverlapMapsEachCharacterUnchecked) {
    Store("Application", "DetectAreaOverlap", "10");
    EXPECT_EQ(config.ReadDetectAreaOverlap(), (std::vector<int>{1, 0}));
    Store("Application", "DetectAreaOverlap", "ab");
    EXPECT_EQ(config.ReadDetectAreaOverlap(), (std::vector<int>{49, 50}));
    Store("Application", "DetectAreaOverlap", "");
    EXPECT_TRUE(config.ReadDetectAreaOverlap().empty());

    config.WriteDetectAreaOverlap({1, 0});
    EXPECT_EQ(Stored("Application", "DetectAreaOverlap"), "10");
    config.WriteDetectAreaOverlap({0, 12});
    EXPECT_EQ(Stored("Application", "DetectAreaOverlap"), "012");
    EXPECT_EQ(config.ReadDetectAreaOverlap(), (std::vector<int>{0, 1, 2}));
}

TEST_F(AppConfigTest, DisplayOptionsFollowTheItemIndex) {
    config.WriteIsShowDiff(0, false);
    config.WriteDiffColor(0, 255);
    config.WriteIsShowArea(0, false);
    EXPECT_EQ(Stored("IsShowDiff", "ShortMotion"), "0");
    EXPECT_EQ(Stored("DiffColor", "ShortMotion"), "255");
    EXPECT_EQ(Stored("IsShowArea", "BodyDetection"), "0");
    EXPECT_EQ(Stored("IsShowArea", "ShortMotion"), "<missing>");
    config.WriteIsShowArea(1, false);
    EXPECT_EQ(Stored("IsShowArea", "ShortMotion"), "0");

    const std::string before = test::FileBytes(config.ConfigFile());
    config.WriteIsShowDiff(1, true);
    config.WriteDiffColor(1, 7);
    config.WriteIsShowArea(2, true);
    config.WriteIsShowArea(-1, true);
    EXPECT_EQ(test::FileBytes(config.ConfigFile()), before);

    EXPECT_EQ(config.ReadIsShowDiff(0), 0);
    EXPECT_EQ(config.ReadIsShowDiff(1), 1);
    EXPECT_EQ(config.ReadDiffColor(0), 255);
    EXPECT_EQ(config.ReadDiffColor(5), 255);
    EXPECT_EQ(config.ReadIsShowArea(0), 0);
    EXPECT_EQ(config.ReadIsShowArea(1), 0);
    EXPECT_EQ(config.ReadIsShowArea(2), 1);
}

TEST_F(AppConfigTest, DisplaySwitchesReturnTheStoredNumber) {
    Store("IsShowDiff", "ShortMotion", "5");
    Store("IsShowArea", "BodyDetection", "-2");
    EXPECT_EQ(config.ReadIsShowDiff(0), 5);
    EXPECT_EQ(config.ReadIsShowArea(0), -2);
}

TEST_F(AppConfigTest, PefFlagsAreOnOnlyForExactlyOne) {
    WriteFile(config.PefFile(), "[ExecuteFlag]\r\nShortRange=1\r\nShortMotion=2\r\n");
    EXPECT_TRUE(config.ReadPefShortRange());
    EXPECT_FALSE(config.ReadPefShortMotion());
    WriteFile(config.PefFile(), "[executeflag]\r\nshortrange=0\r\nshortmotion=1\r\n");
    EXPECT_FALSE(config.ReadPefShortRange());
    EXPECT_TRUE(config.ReadPefShortMotion());
}

TEST_F(AppConfigTest, NeverWritesPef) {
    config.WriteIsShowArea(0, true);
    config.WriteIsShowArea(1, true);
    config.WriteGetImage(true);
    EXPECT_FALSE(fs::exists(config.PefFile()));
}

TEST_F(AppConfigTest, LookupIgnoresCaseAndWritesKeepTheRestOfTheFile) {
    const std::string text = "; written by hand\r\n"
                             "[application]\r\n"
                             "comno = 7\r\n"
                             "Unknown=keep\r\n"
                             "\r\n"
                             "[Custom]\r\n"
                             "x=1\r\n";
    WriteFile(config.ConfigFile(), text);
    EXPECT_EQ(config.ReadComNo(), 7);
    config.WriteComNo(8);
    config.WritePortNo(10001);
    EXPECT_EQ(test::FileBytes(config.ConfigFile()), "; written by hand\r\n"
                                                    "[application]\r\n"
                                                    "comno = 8\r\n"
                                                    "Unknown=keep\r\n"
                                                    "PortNo=10001\r\n"
                                                    "\r\n"
                                                    "[Custom]\r\n"
                                                    "x=1\r\n");
}

TEST_F(AppConfigTest, EveryReadSeesTheFileAsItIsNow) {
    AppConfig other(dir.Path());
    other.WriteRenewInterval(1000);
    EXPECT_EQ(config.ReadRenewInterval(), 1000);
    WriteFile(config.ConfigFile(), "[Application]\nRenewInterval=2000\n");
    EXPECT_EQ(config.ReadRenewInterval(), 2000);
}

TEST_F(AppConfigTest, ComPortKeepsADevicePathBesideComNo) {
    config.WriteComNo(3);
    config.WriteComPort("/dev/serial/by-id/usb-Orlo_X1-if00");
    EXPECT_EQ(config.ReadComPort(), "/dev/serial/by-id/usb-Orlo_X1-if00");
    EXPECT_EQ(config.ReadComNo(), 3);
    config.WriteComPort("/dev/ttyUSB0\n[Application]");
    EXPECT_EQ(config.ReadComPort(), "/dev/serial/by-id/usb-Orlo_X1-if00");
}

TEST_F(AppConfigTest, AWindowsPortNameAlsoGoesToComNo) {
    config.WriteComNo(3);
    config.WriteComPort("COM12");
    EXPECT_EQ(config.ReadComPort(), "COM12");
    EXPECT_EQ(config.ReadComNo(), 12);
    EXPECT_EQ(Stored("Application", "ComNo"), "12");
    config.WriteComPort("/dev/ttyUSB0");
    EXPECT_EQ(config.ReadComNo(), 12);

    EXPECT_EQ(WindowsComPortNumber("com0"), 0);
    EXPECT_EQ(WindowsComPortNumber("COM255"), 255);
    for (const char* notAComPort :
         {"COM", "COM256", "COM05", "COM-1", "COM1x", "COMx", "/dev/COM1", "LPT1"}) {
        EXPECT_FALSE(WindowsComPortNumber(notAComPort)) << notAComPort;
    }
}

TEST_F(AppConfigTest, AFileWrittenOnTheOtherSystemReadsAndKeepsItsLineEnds) {
    // As the Windows tool leaves it: CRLF line ends, CP932 text.
    WriteFile(config.ConfigFile(),
              "[Application]\r\nComNo=7\r\nBaudRate=38400\r\n[OrloSetup]\r\nx=\x83\x65\r\n");
    EXPECT_EQ(config.ReadComNo(), 7);
    EXPECT_EQ(config.ReadBaudRate(), 38400);
    config.WriteBaudRate(115200);
    EXPECT_EQ(test::FileBytes(config.ConfigFile()),
              "[Application]\r\nComNo=7\r\nBaudRate=115200\r\n[OrloSetup]\r\nx=\x83\x65\r\n");

    // As this tool leaves it on POSIX: LF line ends.
    WriteFile(config.ConfigFile(), "[Application]\nComPort=COM4\n");
    EXPECT_EQ(config.ReadComPort(), "COM4");
    config.WriteComPort("COM5");
    EXPECT_EQ(test::FileBytes(config.ConfigFile()), "[Application]\nComPort=COM5\nComNo=5\n");
}

TEST_F(AppConfigTest, DirectoryInPlaceOfTheFileGivesDefaultsAndIgnoresWrites) {
    fs::create_directory(config.ConfigFile());
    config.WritePortNo(10001);
    config.WriteDetectAreaOverlap({1, 0});
    EXPECT_EQ(config.ReadPortNo(), 9600);
    EXPECT_EQ(config.ReadDetectAreaOverlap(), (std::vector<int>{0, 1, 2, 3}));
    EXPECT_TRUE(fs::is_directory(config.ConfigFile()));
}

TEST_F(AppConfigTest, BinaryFileGivesDefaults) {
    std::string garbage;
    for (int i = 0; i < 2048; ++i) {
        garbage += static_cast<char>((i * 31 + 7) % 256);
    }
    WriteFile(config.ConfigFile(), garbage);
    WriteFile(config.PefFile(), garbage);
    EXPECT_EQ(config.ReadBaudRate(), 115200);
    EXPECT_EQ(config.ReadIpAddress(), (Ipv4Address{0, 0, 0, 0}));
    EXPECT_TRUE(config.ReadPefShortMotion());
}

TEST_F(AppConfigTest, QuotedValuesAndUnicodeFilesAsTheProfileFunctionsReadThem) {
    WriteFile(config.ConfigFile(), "[Application]\r\nRenewInterval=\"1000\"\r\nPortNo='10001'\r\n");
    EXPECT_EQ(config.ReadRenewInterval(), 1000);
    EXPECT_EQ(config.ReadPortNo(), 10001);

    std::string utf16 = "\xFF\xFE";
    for (char c : std::string("[ExecuteFlag]\r\nShortMotion=2\r\n")) {
        utf16 += c;
        utf16 += '\0';
    }
    WriteFile(config.PefFile(), utf16);
    EXPECT_FALSE(config.ReadPefShortMotion());
    EXPECT_TRUE(config.ReadPefShortRange());

    WriteFile(config.ConfigFile(), utf16);
    config.WriteRenewInterval(250);
    EXPECT_EQ(config.ReadRenewInterval(), 250);
    const std::string bytes = test::FileBytes(config.ConfigFile());
    EXPECT_EQ(bytes.substr(0, 2), "\xFF\xFE");
    EXPECT_NE(bytes.find(std::string("R\0e\0n\0e\0w\0", 10)), std::string::npos);
    EXPECT_EQ(bytes.find("RenewInterval"), std::string::npos);
}

TEST(AppConfigDirectoryTest, JapaneseDirectoryWorks) {
    TempDirectory dir;
    const fs::path sub = dir.Path() / fs::path(u8"オルロ設定");
    fs::create_directory(sub);
    AppConfig config(sub);
    config.WriteIpAddress({192, 168, 1, 20});
    EXPECT_EQ(config.ReadIpAddress(), (Ipv4Address{192, 168, 1, 20}));
    EXPECT_TRUE(fs::is_regular_file(sub / "Orlo-X1.conf"));
}

} // namespace
} // namespace orlo
