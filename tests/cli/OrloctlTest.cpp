#include "cli/CommandLine.h"
#include "cli/TextOutput.h"
#include "core/imaging/PngConverter.h"
#include "core/platform/FileIo.h"
#include "tests/cli/OrloctlFixture.h"
#include "tests/support/SystemSkips.h"

#include <gtest/gtest.h>

namespace orlo::cli {
namespace {

TEST_F(OrloctlTest, InfoPrintsModelAndVersion) {
    const Outcome run = Orloctl({"info"});
    ASSERT_EQ(EXIT_OK, run.status) << run.err;
    EXPECT_NE(std::string::npos, run.out.find("Orlo"));
    EXPECT_EQ('\n', run.out.back());
    const Outcome json = Orloctl({"info", "--json"});
    EXPECT_EQ(0u, json.out.find("{\"model\": \""));
}

TEST_F(OrloctlTest, BackupDiffAndRestore) {
    ASSERT_EQ(EXIT_OK, Orloctl({"export", File("backup.ini")}).status);
    EXPECT_EQ(EXIT_OK, Orloctl({"diff", File("backup.ini")}).status);

    ASSERT_EQ(EXIT_OK, Orloctl({"set", "threshold", "777"}).status);
    ASSERT_EQ(EXIT_OK, Orloctl({"set", "area-masks", "3,10,20,300,400,foot"}).status);
    Outcome diff = Orloctl({"diff", File("backup.ini")});
    EXPECT_EQ(EXIT_DIFFERENT, diff.status);
    EXPECT_NE(std::string::npos, diff.out.find("Ditection.Threshold file="));
    EXPECT_NE(std::string::npos, diff.out.find(" sensor=777\n"));
    EXPECT_NE(std::string::npos, diff.out.find("AreaMask4.JudgeFlag file=255 sensor=144\n"));

    ASSERT_EQ(EXIT_OK, Orloctl({"import", File("backup.ini")}).status);
    diff = Orloctl({"diff", File("backup.ini")});
    EXPECT_EQ(EXIT_OK, diff.status) << diff.out;
}

TEST_F(OrloctlTest, SettingsFileIsCheckedBeforeTheLinkOpensAndItsFaultIsNamed) {
    ASSERT_TRUE(WriteFileAtomically(File("broken.ini"), "[Camera]\nCamera=1\n"));
    // Nothing listens on port 1: the file's fault must be found before any connect attempt.
    for (const char* command : {"import", "diff"}) {
        const Outcome run = Plain({"--lan", "127.0.0.1:1", command, File("broken.ini")});
        EXPECT_EQ(EXIT_DEVICE_FAILED, run.status);
        EXPECT_EQ("orloctl: " + File("broken.ini") + ": Camera.Mode is missing (result -51)",
                  run.LastErrorLine());
    }
    const Outcome missing = Plain({"--lan", "127.0.0.1:1", "import", File("missing.ini")});
    EXPECT_EQ("orloctl: cannot read " + File("missing.ini") + ": No such file or directory (result -51)",
              missing.LastErrorLine());
}

TEST_F(OrloctlTest, LocalFileErrorsNameTheFileAndTheReason) {
    const std::string nowhere = File("no-such-dir") + "/backup.ini";
    Outcome run = Orloctl({"export", nowhere});
    EXPECT_EQ(EXIT_DEVICE_FAILED, run.status);
    EXPECT_EQ("orloctl: cannot write " + nowhere + ": No such file or directory (result -1)",
              run.LastErrorLine());

    const std::string picture = File("no-such-dir") + "/last.png";
    run = Orloctl({"detect", "--png", picture});
    EXPECT_EQ(EXIT_DEVICE_FAILED, run.status);
    EXPECT_EQ("orloctl: cannot write " + picture + ": No such file or directory (result -1)",
              run.LastErrorLine());
}

TEST_F(OrloctlTest, SetRefusesWhatABackupCouldNotRestore) {
    const std::vector<std::vector<std::string>> unrestorable = {
        {"set", "area-masks", "3,-2,0,100,100,none"},
        {"set", "motion-masks", "0,10,-2,100,100"},
        {"set", "areas", "human", "0", "0", "-2", "1200"},
        {"set", "others", "Other27=0"},
        {"set", "others", "Other28=0"},
        {"set", "info-text", "-1"},
        {"set", "info-text", "two\nlines"},
        {"set", "info-text", "cr\r"}};
    for (const auto& args : unrestorable) {
        const Outcome run = Orloctl(args);
        EXPECT_EQ(EXIT_USAGE, run.status) << args.back();
        EXPECT_NE(std::string::npos, run.err.find(args[1])) << run.err;
    }
    EXPECT_NE(std::string::npos, Orloctl(unrestorable[0]).err.find("-2 cannot be restored"));
    EXPECT_NE(std::string::npos, Orloctl(unrestorable[0]).err.find("-32768 to 32767, except -2"));
    EXPECT_NE(std::string::npos, Orloctl(unrestorable[3]).err.find("Other27 and Other28: 1 to 255"));
    // False-detection rectangles are not part of a backup.
    EXPECT_EQ(EXIT_OK, Orloctl({"set", "false-rects", "1,-2,0,100,100"}).status);
    ASSERT_EQ(EXIT_OK, Orloctl({"export", File("backup.ini")}).status);
}

TEST_F(OrloctlTest, InfoTextWithBlanksSurvivesABackupAndControlCharactersAreEscaped) {
    ASSERT_EQ(EXIT_OK, Orloctl({"set", "info-text", " 入口 "}).status);
    ASSERT_EQ(EXIT_OK, Orloctl({"export", File("backup.ini")}).status);
    ASSERT_EQ(EXIT_OK, Orloctl({"set", "info-text", "\x1b[2J\x07"}).status);
    EXPECT_EQ("\\x1b[2J\\x07\n", Orloctl({"get", "info-text"}).out);
    const Outcome diff = Orloctl({"diff", File("backup.ini")});
    EXPECT_EQ("System.DeviceInfo file= 入口  sensor=\\x1b[2J\\x07\n", diff.out);
    ASSERT_EQ(EXIT_OK, Orloctl({"import", File("backup.ini")}).status);
    EXPECT_EQ(" 入口 \n", Orloctl({"get", "info-text"}).out);
}

TEST(PrintableTextTest, EscapesWhatCouldSteerATerminal) {
    EXPECT_EQ("Orlo-X1 入口", PrintableText("Orlo-X1 入口"));
    EXPECT_EQ("a\\x1bb\\x7f\\x0a\\x5c", PrintableText("a\x1b"
                                                      "b\x7f\n\\"));
    EXPECT_EQ("\\xc2\\x9b", PrintableText("\xC2\x9B")); // U+009B, the one-byte CSI
    EXPECT_EQ("\\xff\\x82a", PrintableText("\xFF\x82"
                                           "a"));                // not UTF-8
    EXPECT_EQ("\\xed\\xa0\\x80", PrintableText("\xED\xA0\x80")); // a surrogate
    EXPECT_EQ("入口", PrintableDeviceText("\x93\xFC\x8C\xFB"));
    EXPECT_EQ("\\xff\\xff", PrintableDeviceText("\xFF\xFF"));
}

TEST_F(OrloctlTest, GetAndSetRoundTrips) {
    ASSERT_EQ(EXIT_OK, Orloctl({"set", "sizemask", "40", "900"}).status);
    EXPECT_EQ("40 900\n", Orloctl({"get", "sizemask"}).out);
    ASSERT_EQ(EXIT_OK, Orloctl({"set", "usb-timeouts", "500", "1500"}).status);
    EXPECT_EQ("500 1500\n", Orloctl({"get", "usb-timeouts"}).out);
    ASSERT_EQ(EXIT_OK, Orloctl({"set", "areas", "human", "100", "100", "1500", "1100"}).status);
    EXPECT_EQ(0u, Orloctl({"get", "areas"}).out.find("human 100 100 1500 1100\n"));
    ASSERT_EQ(EXIT_OK, Orloctl({"set", "info-text", "入口A"}).status);
    EXPECT_EQ("入口A\n", Orloctl({"get", "info-text"}).out);
    ASSERT_EQ(EXIT_OK, Orloctl({"set", "false-rects", "2,300,300,400,400"}).status);
    EXPECT_NE(std::string::npos, Orloctl({"get", "false-rects"}).out.find("2 300 300 400 400\n"));
    ASSERT_EQ(EXIT_OK, Orloctl({"set", "false-rects", "2,clear"}).status);
    EXPECT_NE(std::string::npos, Orloctl({"get", "false-rects"}).out.find("2 -1 -1 -1 -1\n"));
    ASSERT_EQ(EXIT_OK, Orloctl({"set", "others", "Other01=1234", "Other28=9"}).status);
    const std::string others = Orloctl({"get", "others"}).out;
    EXPECT_NE(std::string::npos, others.find("Other01=1234\n"));
    EXPECT_NE(std::string::npos, others.find("Other28=9\n"));
    ASSERT_EQ(EXIT_OK, Orloctl({"set", "direction", "1"}).status);
    EXPECT_EQ("{\"direction\": 1}\n", Orloctl({"get", "direction", "--json"}).out);
}

TEST_F(OrloctlTest, DetectPrintsLogLinesAndWritesThePicture) {
    const Outcome run = Orloctl({"detect", "--count", "2", "--png", File("last.png")});
    ASSERT_EQ(EXIT_OK, run.status) << run.err;
    std::istringstream lines(run.out);
    int count = 0;
    for (std::string line; std::getline(lines, line); ++count) {
        // time,count,plain,indicator, then eight values per result
        const auto commas = std::count(line.begin(), line.end(), ',');
        EXPECT_TRUE(commas == 4 || (commas - 3) % 8 == 0) << line;
        EXPECT_EQ('/', line.at(4)) << line;
    }
    EXPECT_EQ(2, count);
    const auto png = ReadFileLimited(File("last.png"), 1 << 20);
    ASSERT_TRUE(png);
    CImageData picture;
    ASSERT_EQ(
        ImageStatus::Ok,
        CPngConverter::Decode({reinterpret_cast<const std::uint8_t*>(png->data()), png->size()}, picture));
    EXPECT_EQ(320, picture.Width());
    EXPECT_EQ(240, picture.Height());
}

TEST_F(OrloctlTest, UsageErrorsTouchNoSensor) {
    for (const std::vector<std::string>& link : {std::vector<std::string>{"--lan", "1.2.3"},
                                                 {"--lan", "127.0.0.1:+1"},
                                                 {"--lan", "127.0.0.1: 1"},
                                                 {"--lan", "127.0.0.256"},
                                                 {"--com", "/dev/null", "--baud", "1234"},
                                                 {"--com", "/dev/null", "--baud", "+9600"}}) {
        std::vector<std::string> args = link;
        args.push_back("info");
        const Outcome run = Plain(args);
        EXPECT_EQ(EXIT_USAGE, run.status) << link[1];
        EXPECT_NE(std::string::npos, run.err.find("orloctl: ")) << run.err;
    }
    // Nothing listens on port 1: a usage error must come before any connect attempt.
    const std::vector<std::vector<std::string>> bad = {
        {"frobnicate"},
        {"set", "threshold", "5000"},
        {"set", "sizemask", "900", "40"},
        {"set", "area-masks", "16,1,1,2,2,none"},
        {"set", "info-text", "あいうえおかきくけこさ"},
        {"get"},
        {"detect", "--image", "7"},
        {"detect", "--count", "+2"},
        {"detect", "--count", "-0"},
        {"export"},
    };
    for (const auto& args : bad) {
        std::vector<std::string> full = {"--lan", "127.0.0.1:1"};
        full.insert(full.end(), args.begin(), args.end());
        const Outcome run = Plain(full);
        EXPECT_EQ(EXIT_USAGE, run.status) << args[0];
        EXPECT_NE(std::string::npos, run.err.find("orloctl: ")) << run.err;
    }
    EXPECT_EQ(EXIT_USAGE, Plain({"info"}).status); // no link given
    EXPECT_EQ(EXIT_USAGE, Plain({"--lan", "h", "--com", "/dev/x", "info"}).status);
    EXPECT_EQ(EXIT_OK, Plain({"--help"}).status);
    EXPECT_EQ(EXIT_OK, Plain({"set", "--help"}).status);
}

TEST_F(OrloctlTest, DeviceFailuresEndWithTheResultLine) {
    Outcome run = Plain({"--lan", "127.0.0.1:1", "info"});
    EXPECT_EQ(EXIT_DEVICE_FAILED, run.status);
    EXPECT_NE(std::string::npos, run.LastErrorLine().find("(result -52)"));

    StartSimulator("error=0xF3@0x06");
    run = Orloctl({"get", "threshold"});
    EXPECT_EQ(EXIT_DEVICE_FAILED, run.status);
    EXPECT_NE(std::string::npos, run.LastErrorLine().find("(result -243)"));

    StartSimulator("forget@0x05");
    run = Orloctl({"set", "threshold", "321"});
    EXPECT_EQ(EXIT_DEVICE_FAILED, run.status);
    EXPECT_NE(std::string::npos, run.LastErrorLine().find("(result -50)")) << run.err;

    StartSimulator("silent@0x06");
    run = Orloctl({"get", "threshold"});
    EXPECT_EQ(EXIT_DEVICE_FAILED, run.status);
    EXPECT_EQ("orloctl: 通信でタイムアウトしました。 Orloの電源を切って再起動してください。 (result 1)",
              run.LastErrorLine());
}

TEST_F(OrloctlTest, RestartWaitsForTheSensor) {
    const Outcome run = Orloctl({"restart"});
    EXPECT_EQ(EXIT_OK, run.status) << run.err;
    EXPECT_NE(std::string::npos, run.err.find("waiting for the sensor"));
}

TEST_F(OrloctlTest, InfoOverTheSerialLink) {
    ORLO_SKIP_WITHOUT_PSEUDO_TERMINALS();
    StartSimulator("", true);
    ASSERT_FALSE(simulator->ptyPath().empty());
    const Outcome run = Plain({"--com", simulator->ptyPath(), "--dir", directory.Path().string(), "info"});
    EXPECT_EQ(EXIT_OK, run.status) << run.err;
    EXPECT_NE(std::string::npos, run.out.find("Orlo"));
}

} // namespace
} // namespace orlo::cli
