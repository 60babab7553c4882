#include "cli/HostList.h"
#include "cli/NarrowFileName.h"
#include "cli/SensorFileName.h"
#include "core/platform/FileIo.h"
#include "tests/support/TempDirectory.h"

#include <gtest/gtest.h>

namespace orlo::cli {
namespace {

constexpr IdentifyTarget kSensor{{192, 168, 0, 21}, 9600};

TEST(SensorFileName, AddressAloneWithoutText) {
    EXPECT_EQ("192.168.0.21", SensorFileName(kSensor, ""));
    EXPECT_EQ("127.0.0.1-40123", SensorFileName({{127, 0, 0, 1}, 40123}, ""));
    EXPECT_EQ("127.0.0.1-40123_Hall", SensorFileName({{127, 0, 0, 1}, 40123}, "Hall"));
}

TEST(SensorFileName, TextsBecomeOneSafeNamePart) {
    // Japanese stays where file names hold it (POSIX, a Japanese Windows); blanks, including the
    // ideographic one, become _.
    const std::string japanese =
        NarrowNameHolds("入") ? "192.168.0.21_" + NarrowFileName("入口_北") : "192.168.0.21";
    EXPECT_EQ(japanese, SensorFileName(kSensor, "入口 北"));
    EXPECT_EQ(japanese, SensorFileName(kSensor, "入口\u3000北"));
#ifndef _WIN32
    EXPECT_EQ("192.168.0.21_入口_北", japanese);
#endif
    // No separator of any system survives, and .. cannot climb out of the folder.
    EXPECT_EQ("192.168.0.21_etc_passwd", SensorFileName(kSensor, "../../etc/passwd"));
    EXPECT_EQ("192.168.0.21_a_.._b", SensorFileName(kSensor, "a/../b"));
    EXPECT_EQ("192.168.0.21_a_b", SensorFileName(kSensor, "a\\b"));
    EXPECT_EQ("192.168.0.21", SensorFileName(kSensor, ".."));
    EXPECT_EQ("192.168.0.21", SensorFileName(kSensor, "/"));
    EXPECT_EQ("192.168.0.21_hidden", SensorFileName(kSensor, ".hidden."));
    // Control bytes, bytes that are not UTF-8 (a CP932 text that did not decode) and C1 controls.
    EXPECT_EQ("192.168.0.21_A_[2J_B", SensorFileName(kSensor, "A\x1b[2J\x07\tB"));
    EXPECT_EQ("192.168.0.21_x_y", SensorFileName(kSensor, "x\x93\xfcy"));
    EXPECT_EQ("192.168.0.21_a_b", SensorFileName(kSensor, "a\u0085b"));
    // What Windows refuses in a name.
    EXPECT_EQ("192.168.0.21_a_b_c_d_e_f_g", SensorFileName(kSensor, "a:b*c?d\"e<f>|g"));
}

TEST(SensorFileName, LongTextsAreCutAtACharacterBoundary) {
    // 59 letters, then three-byte characters: the 60 bytes end before the first of them.
    const std::string text = std::string(59, 'a') + "北北北";
    EXPECT_EQ("192.168.0.21_" + std::string(59, 'a'), SensorFileName(kSensor, text));
    EXPECT_EQ("192.168.0.21_" + std::string(60, 'b'), SensorFileName(kSensor, std::string(70, 'b')));
#ifndef _WIN32
    std::string north;
    for (int i = 0; i < 30; ++i) {
        north += "北";
    }
    EXPECT_EQ("192.168.0.21_" + north.substr(0, 60), SensorFileName(kSensor, north));
#endif
}

class HostListTest : public ::testing::Test {
protected:
    test::TempDirectory directory;

    std::string Write(const std::string& text) {
        const std::string path = (directory.Path() / "hosts.txt").string();
        EXPECT_TRUE(WriteFileAtomically(path, text));
        return path;
    }
};

TEST_F(HostListTest, AFileListsAddressesAndRangesWithPortsAndComments) {
    const std::string file = Write("# the shop\n\n192.168.0.30\n  192.168.0.21:9700  # door\n"
                                   "10.0.0.1-3\r\n192.168.0.30\n10.0.0.2\n");
    std::string failure;
    const auto hosts = ReadHostList(file, failure);
    ASSERT_TRUE(hosts) << failure;
    const std::vector<std::pair<IdentifyTarget, bool>> expected{{{{10, 0, 0, 1}, 9600}, true},
                                                                {{{10, 0, 0, 2}, 9600}, false},
                                                                {{{10, 0, 0, 3}, 9600}, true},
                                                                {{{192, 168, 0, 21}, 9700}, false},
                                                                {{{192, 168, 0, 30}, 9600}, false}};
    ASSERT_EQ(expected.size(), hosts->size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(expected[i].first, (*hosts)[i].target) << i;
        EXPECT_EQ(expected[i].second, (*hosts)[i].fromRange) << i;
    }
}

TEST_F(HostListTest, ARangeOrAnAddressStandsForItself) {
    std::string failure;
    const auto range = ReadHostList("127.0.0.250-300:9601", failure);
    ASSERT_TRUE(range) << failure;
    ASSERT_EQ(6u, range->size());
    EXPECT_EQ((IdentifyTarget{{127, 0, 0, 255}, 9601}), range->back().target);
    const auto one = ReadHostList("127.0.0.9", failure);
    ASSERT_TRUE(one) << failure;
    ASSERT_EQ(1u, one->size());
    EXPECT_FALSE(one->front().fromRange);
}

TEST_F(HostListTest, BadEntriesAreNamedWithTheirLine) {
    std::string failure;
    EXPECT_FALSE(ReadHostList(Write("10.0.0.1\nsensor.local\n"), failure));
    EXPECT_EQ((directory.Path() / "hosts.txt").string() + ":2: not an address A.B.C.D[:PORT] or a range "
                                                          "A.B.C.D-E[:PORT]: sensor.local",
              failure);
    EXPECT_FALSE(ReadHostList(Write("10.0.0.1:0\n"), failure));
    EXPECT_NE(std::string::npos, failure.find(":1: not a port from 1 to 65535: 10.0.0.1:0")) << failure;
    EXPECT_FALSE(ReadHostList(Write("# nothing\n\n"), failure));
    EXPECT_NE(std::string::npos, failure.find("names no sensor")) << failure;
    EXPECT_FALSE(ReadHostList("224.0.0.1-5", failure));
    EXPECT_EQ("--hosts: not a range of host addresses: 224.0.0.1-5", failure);
    EXPECT_FALSE(ReadHostList("10.0.0.5-4", failure));
    EXPECT_FALSE(ReadHostList((directory.Path() / "missing.txt").string(), failure));
    EXPECT_NE(std::string::npos, failure.find("cannot read")) << failure;
}

} // namespace
} // namespace orlo::cli
