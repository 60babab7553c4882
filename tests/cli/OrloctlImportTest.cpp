#include "cli/CommandLine.h"
#include "core/platform/CodePage.h"
#include "core/platform/FileIo.h"
#include "core/platform/IniDocument.h"
#include "tests/cli/OrloctlFixture.h"
#include "tests/support/FileBytes.h"

#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <sstream>

namespace orlo::cli {
namespace {

// The line (from 1) of `key` in `section` of an INI text, counted by hand.
std::size_t KeyLine(const std::string& text, const std::string& section, const std::string& key) {
    std::istringstream in(text);
    bool inSection = false;
    std::size_t number = 0;
    for (std::string line; std::getline(in, line);) {
        ++number;
        if (line.starts_with("[")) {
            inSection = line.starts_with("[" + section + "]");
        } else if (inSection && line.starts_with(key + "=")) {
            return number;
        }
    }
    return 0;
}

class OrloctlImportTest : public OrloctlTest {
protected:
    // A backup of the simulator with one key's value replaced; returns the file's text.
    std::string BackupWith(const char* name, const std::string& section, const std::string& key,
                           const std::string& value) {
        EXPECT_EQ(EXIT_OK, Orloctl({"export", File("backup.ini")}).status);
        IniDocument document = IniDocument::Parse(test::FileBytes(File("backup.ini")));
        EXPECT_TRUE(document.Set(section, key, value));
        const std::string text = document.Serialize();
        EXPECT_TRUE(WriteFileAtomically(File(name), text));
        return text;
    }
};

TEST_F(OrloctlImportTest, ValuesTheSensorCannotTakeAreRefusedWithKeyAndLineBeforeAnythingIsSent) {
    struct Case {
        const char* section;
        const char* key;
        const char* value;
        const char* allowed;
    };
    const Case cases[] = {
        {"Ditection", "Threshold", "70000", "1..1000"},
        {"Ditection", "Threshold", "", "1..1000"},
        {"Ditection", "Threshold", "0", "1..1000"},
        {"Ditection", "Threshold", "many", "1..1000"},
        {"Ditection", "SizeMin", "-5", "20..1600"},
        {"Ditection", "SizeMax", "1601", "20..1600"},
        {"Camera", "Camera", "4", "0..3"},
        {"Camera", "Mode", "256", "0..255"},
        {"AreaMask2", "Left", "40000", "-32768..32767"},
        {"AreaMask16", "JudgeFlag", "256", "1..100, 128, 144, 255"},
        {"AreaMask1", "JudgeFlag", "0", "1..100, 128, 144, 255"},
        {"AreaMask1", "JudgeFlag", "101", "1..100, 128, 144, 255"},
        {"MotionMask3", "Bottom", "-32769", "-32768..32767"},
        {"System", "USBSendTimeout", "65536", "0..65535"},
        {"Other", "Other01", "65536", "0..65535"},
        {"Other", "Other02", "300", "0..255"},
        {"Other", "Other12", "2147483648", "-2147483648..2147483647"},
        {"Other", "Other25", "99999", "-32768..32767"},
        {"Other", "Other28", "256", "0..255"},
    };
    ASSERT_EQ(EXIT_OK, Orloctl({"set", "threshold", "777"}).status);
    const sim::SensorSettings before = simulator->settings();
    for (const Case& c : cases) {
        const std::string text = BackupWith("bad.ini", c.section, c.key, c.value);
        const std::size_t line = KeyLine(text, c.section, c.key);
        ASSERT_GT(line, 1u);
        const std::string place = File("bad.ini") + ":" + std::to_string(line);
        const std::string expected = "orloctl: " + place + ": " + c.section + "." + c.key + "=" + c.value +
                                     " is not a value the sensor takes (" + c.allowed + ") (result -51)";
        for (const char* command : {"import", "diff"}) {
            const Outcome run = Orloctl({command, File("bad.ini")});
            EXPECT_EQ(EXIT_DEVICE_FAILED, run.status) << command << " " << c.key << "=" << c.value;
            EXPECT_EQ(expected, run.LastErrorLine()) << command;
        }
        EXPECT_TRUE(simulator->settings() == before) << c.key << "=" << c.value;
    }

    // The size mask as `set` takes it: the minimum not above the maximum.
    const std::string text = BackupWith("bad.ini", "Ditection", "SizeMin", "900");
    IniDocument document = IniDocument::Parse(text);
    document.Set("Ditection", "SizeMax", "800");
    ASSERT_TRUE(WriteFileAtomically(File("bad.ini"), document.Serialize()));
    const Outcome run = Orloctl({"import", File("bad.ini")});
    EXPECT_EQ(EXIT_DEVICE_FAILED, run.status);
    EXPECT_NE(std::string::npos, run.LastErrorLine().find(": Ditection.SizeMin=900 is not a value the sensor "
                                                          "takes (20..800) (result -51)"))
        << run.err;
    EXPECT_TRUE(simulator->settings() == before);
}

TEST_F(OrloctlImportTest, ValidValuesReadAsTheProfileFunctionsReadThem) {
    // Blanks before the number, anything after its digits and quotes around it do not count.
    std::string text = BackupWith("site.ini", "Ditection", "Threshold", "  600 ; tuned");
    IniDocument document = IniDocument::Parse(text);
    document.Set("AreaMask4", "JudgeFlag", "144");
    document.Set("AreaMask4", "Left", "-32768");
    document.Set("Other", "Other01", "65535px");
    text = document.Serialize();
    // Set would keep the quotes as part of the value; a hand-edited file has them bare.
    const std::string sizeMax = "SizeMax=1600";
    ASSERT_NE(std::string::npos, text.find(sizeMax));
    text.replace(text.find(sizeMax), sizeMax.size(), "SizeMax=\"+1200\"");
    ASSERT_TRUE(WriteFileAtomically(File("site.ini"), text));
    const Outcome run = Orloctl({"import", File("site.ini")});
    ASSERT_EQ(EXIT_OK, run.status) << run.err;
    EXPECT_TRUE(run.err.empty()) << run.err;
    const sim::SensorSettings settings = simulator->settings();
    EXPECT_EQ(600, settings.threshold);
    EXPECT_EQ(1200, settings.sizeMax);
    EXPECT_EQ(0x90, settings.areaMasks[3].judge);
    EXPECT_EQ(-32768, settings.areaMasks[3].rect.left);
    EXPECT_EQ(65535, settings.other01);
    EXPECT_EQ(EXIT_OK, Orloctl({"diff", File("site.ini")}).status);
}

TEST_F(OrloctlImportTest, ALinkLostMidImportNamesWhatWasWrittenAndImportingAgainCompletesIt) {
    ASSERT_EQ(EXIT_OK, Orloctl({"export", File("site.ini")}).status);
    const sim::SensorSettings backedUp = simulator->settings();
    ASSERT_EQ(EXIT_OK, Orloctl({"set", "threshold", "777"}).status);
    ASSERT_EQ(EXIT_OK, Orloctl({"set", "motion-masks", "5,10,20,300,400"}).status);
    ASSERT_EQ(EXIT_OK, Orloctl({"set", "others", "Other28=9"}).status);
    // The link drops at the answer to the first motion mask write.
    std::string error;
    sim::FaultSet drop;
    ASSERT_TRUE(drop.add("drop-after=0@0x76", error)) << error;
    simulator->setFaults(drop);
    Outcome run = Orloctl({"import", File("site.ini")});
    EXPECT_EQ(EXIT_DEVICE_FAILED, run.status);
    EXPECT_NE(std::string::npos,
              run.err.find("orloctl: the sensor holds part of the file: written: Camera.Camera "
                           "to AreaMask16; not written: MotionMask1 to OrloSetupFalseRect.Rect10. "
                           "Import " +
                           File("site.ini") + " again to complete it.\n"))
        << run.err;
    EXPECT_NE(std::string::npos, run.LastErrorLine().find("(result -104)")) << run.err;
    EXPECT_EQ(backedUp.threshold, simulator->settings().threshold); // written before the link dropped
    EXPECT_EQ(9, simulator->settings().other28);                    // not written

    simulator->setFaults({});
    run = Orloctl({"import", File("site.ini")});
    EXPECT_EQ(EXIT_OK, run.status) << run.err;
    EXPECT_EQ(EXIT_OK, Orloctl({"diff", File("site.ini")}).status);
}

TEST_F(OrloctlImportTest, AUtf8FileWithoutAMarkIsWarnedAbout) {
    ASSERT_EQ(EXIT_OK, Orloctl({"set", "info-text", "入口"}).status);
    ASSERT_EQ(EXIT_OK, Orloctl({"export", File("cp932.ini")}).status);
    const std::string cp932 = test::FileBytes(File("cp932.ini"));
    const std::string utf8 = *Cp932ToUtf8(cp932);
    ASSERT_TRUE(WriteFileAtomically(File("utf8.ini"), utf8));
    ASSERT_TRUE(WriteFileAtomically(File("marked.ini"), "\xEF\xBB\xBF" + utf8));

    // A CP932 file and a UTF-8 file with its mark read as they always did, without a word.
    for (const char* name : {"cp932.ini", "marked.ini"}) {
        const Outcome diff = Orloctl({"diff", File(name)});
        EXPECT_EQ(EXIT_OK, diff.status) << name << diff.out;
        EXPECT_TRUE(diff.err.empty()) << diff.err;
        const Outcome import = Orloctl({"import", File(name)});
        EXPECT_EQ(EXIT_OK, import.status);
        EXPECT_TRUE(import.err.empty()) << import.err;
    }

    const std::string warning = "orloctl: warning: " + File("utf8.ini") +
                                " has no byte-order mark, so it is read as CP932, but it is UTF-8: "
                                "System.DeviceInfo \"入口\" is sent as \"";
    const Outcome diff = Orloctl({"diff", File("utf8.ini")});
    EXPECT_EQ(EXIT_DIFFERENT, diff.status); // the sensor holds the text, the file its UTF-8 bytes
    EXPECT_EQ(0u, diff.err.find(warning)) << diff.err;
    const Outcome import = Orloctl({"import", File("utf8.ini")});
    EXPECT_EQ(EXIT_OK, import.status); // a warning, not a refusal: the file is what the user chose
    EXPECT_EQ(0u, import.err.find(warning)) << import.err;
}

} // namespace
} // namespace orlo::cli
