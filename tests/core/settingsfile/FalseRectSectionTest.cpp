#include "core/platform/CodePage.h"
#include "core/platform/IniDocument.h"
#include "core/settingsfile/SettingsFile.h"
#include "tests/support/FileBytes.h"
#include "tests/support/TempDirectory.h"

#include <fstream>
#include <gtest/gtest.h>

namespace orlo {
namespace {

// A record as a sensor gives it: every slot numbered, a few rectangles set.
SettingsRecord RecordWithRectangles() {
    SettingsRecord record;
    record.threshold = 300;
    record.sizeMin = 40;
    record.sizeMax = 900;
    for (std::uint32_t i = 0; i < 16; ++i) {
        record.areaMasks[i].number = i;
        record.motionMasks[i].number = i;
    }
    record.deviceInfo = "Gate";
    record.other27 = 3; // 0 would read as a missing value
    record.other28 = 5;
    SettingsFalseRects rects;
    for (std::uint32_t i = 0; i < rects.size(); ++i) {
        rects[i].number = i;
    }
    rects[0] = {0, 100, 200, 300, 400};
    rects[9] = {9, -32768, 0, 32767, 5}; // the whole range of the field
    record.falseRects = rects;
    return record;
}

class FalseRectSectionTest : public ::testing::Test {
protected:
    test::TempDirectory directory;
    std::filesystem::path file = directory.Path() / "backup.ini";

    // The file of RecordWithRectangles with one key of the section replaced, or removed when value is
    // nullopt.
    void WriteWith(const std::string& key, const std::optional<std::string>& value) {
        ASSERT_EQ(0, WriteSettingsFile(file, RecordWithRectangles()));
        std::string text = test::FileBytes(file);
        const std::string line = key + "=";
        const std::size_t at = text.find(line, text.find("[OrloSetupFalseRect]"));
        ASSERT_NE(std::string::npos, at);
        const std::size_t end = text.find("\r\n", at);
        text.replace(at, end - at, value ? line + *value : std::string());
        std::ofstream(file, std::ios::binary) << text;
    }
    SettingsFileProblem ReadFailure() {
        SettingsRecord record;
        record.threshold = 7;
        SettingsFileProblem problem;
        EXPECT_EQ(-1, ReadSettingsFile(file, record, &problem));
        EXPECT_EQ(7, record.threshold) << "a refused file leaves the record alone";
        return problem;
    }
};

TEST_F(FalseRectSectionTest, RectanglesRoundTripThroughTheirOwnSection) {
    ASSERT_EQ(0, WriteSettingsFile(file, RecordWithRectangles()));
    const std::string text = test::FileBytes(file);
    EXPECT_NE(std::string::npos, text.find("[OrloSetupFalseRect]\r\nRect1=100,200,300,400\r\n"));
    EXPECT_NE(std::string::npos, text.find("Rect2=-1,-1,-1,-1\r\n"));
    EXPECT_NE(std::string::npos, text.find("Rect10=-32768,0,32767,5"));
    // After everything the original reader asks for, so such a file still restores there.
    EXPECT_LT(text.find("Other28="), text.find("[OrloSetupFalseRect]"));
    SettingsRecord read;
    ASSERT_EQ(0, ReadSettingsFile(file, read));
    EXPECT_EQ(RecordWithRectangles(), read);
}

TEST_F(FalseRectSectionTest, AFileWithoutTheSectionReadsWithoutRectangles) {
    SettingsRecord older = RecordWithRectangles();
    older.falseRects.reset();
    ASSERT_EQ(0, WriteSettingsFile(file, older));
    EXPECT_EQ(std::string::npos, test::FileBytes(file).find("OrloSetupFalseRect"));
    SettingsRecord read;
    ASSERT_EQ(0, ReadSettingsFile(file, read));
    EXPECT_FALSE(read.falseRects.has_value());
    EXPECT_EQ(older, read);
}

TEST_F(FalseRectSectionTest, ARecordWithoutRectanglesTakesAnOldSectionOutOfTheFile) {
    ASSERT_EQ(0, WriteSettingsFile(file, RecordWithRectangles()));
    SettingsRecord older = RecordWithRectangles();
    older.falseRects.reset();
    older.threshold = 999;
    ASSERT_EQ(0, WriteSettingsFile(file, older));
    SettingsRecord read;
    ASSERT_EQ(0, ReadSettingsFile(file, read));
    EXPECT_FALSE(read.falseRects.has_value()) << "stale rectangles would be restored";
    EXPECT_EQ(999, read.threshold);
}

TEST_F(FalseRectSectionTest, DamagedSectionIsRefusedNamingTheKeyAndLine) {
    for (const std::string bad : {"1,2,3", "1,2,3,4,5", "1,2,x,4", "1,,3,4", "", "1.5,2,3,4", "40000,0,0,0",
                                  "1,2,3,4 junk", "+1,2,3,4", "--1,2,3,4", "0x10,2,3,4"}) {
        SCOPED_TRACE(bad);
        WriteWith("Rect4", bad);
        const SettingsFileProblem problem = ReadFailure();
        EXPECT_EQ(SettingsFileProblem::Cause::NotAllowed, problem.cause);
        EXPECT_EQ("OrloSetupFalseRect.Rect4", problem.key);
        EXPECT_EQ(bad, problem.value);
        EXPECT_GT(problem.line, 0U);
        EXPECT_NE(std::string::npos, problem.allowed.find("-32768..32767"));
    }
}

TEST_F(FalseRectSectionTest, ASectionWithAKeyMissingIsRefused) {
    WriteWith("Rect7", std::nullopt);
    const SettingsFileProblem problem = ReadFailure();
    EXPECT_EQ(SettingsFileProblem::Cause::MissingKey, problem.cause);
    EXPECT_EQ("OrloSetupFalseRect.Rect7", problem.key);
}

TEST_F(FalseRectSectionTest, BlanksAroundTheNumbersAreTolerated) {
    WriteWith("Rect1", " 100 , 200,300 ,\t400");
    SettingsRecord read;
    ASSERT_EQ(0, ReadSettingsFile(file, read));
    ASSERT_TRUE(read.falseRects);
    EXPECT_EQ((SettingsFalseRect{0, 100, 200, 300, 400}), (*read.falseRects)[0]);
}

TEST_F(FalseRectSectionTest, DifferencesCountRectanglesOnlyWhereBothRecordsHoldThem) {
    SettingsRecord sensor = RecordWithRectangles();
    SettingsRecord file = RecordWithRectangles();
    (*sensor.falseRects)[3] = {3, 1, 2, 3, 4};
    const auto differences = DifferentSettings(file, sensor);
    ASSERT_EQ(1U, differences.size());
    EXPECT_EQ("OrloSetupFalseRect.Rect4", differences[0].key);
    EXPECT_EQ("-1,-1,-1,-1", differences[0].first);
    EXPECT_EQ("1,2,3,4", differences[0].second);

    file.falseRects.reset(); // an older backup says nothing about the rectangles
    EXPECT_TRUE(DifferentSettings(file, sensor).empty());
    EXPECT_TRUE(DifferentSettings(sensor, file).empty());
}

TEST(IniDocumentSections, RemoveSectionTakesItsLinesAndLeavesTheRest) {
    IniDocument document = IniDocument::Parse("[A]\r\nx=1\r\n; note\r\n[B]\r\ny=2\r\n[C]\r\nz=3\r\n");
    EXPECT_TRUE(document.HasSection("b"));
    EXPECT_TRUE(document.RemoveSection("b"));
    EXPECT_FALSE(document.HasSection("B"));
    EXPECT_FALSE(document.RemoveSection("B"));
    EXPECT_EQ("[A]\r\nx=1\r\n; note\r\n[C]\r\nz=3\r\n", document.Serialize());
}

} // namespace
} // namespace orlo
