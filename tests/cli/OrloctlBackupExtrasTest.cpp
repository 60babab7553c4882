#include "cli/CommandLine.h"
#include "core/platform/FileIo.h"
#include "tests/cli/OrloctlFixture.h"

#include <gtest/gtest.h>
#include <map>
#include <regex>

namespace orlo::cli {
namespace {

struct Box {
    int left, top, right, bottom;
    bool flagged;
    auto Edges() const { return std::make_tuple(left, top, right, bottom); }
};

class OrloctlBackupExtrasTest : public OrloctlTest {
protected:
    // The results of one detection cycle.
    std::vector<Box> Detect() {
        const Outcome run = Orloctl({"detect", "--count", "1", "--json"});
        EXPECT_EQ(EXIT_OK, run.status) << run.err;
        static const std::regex result(
            R"(\{"left": (-?\d+), "top": (-?\d+), "right": (-?\d+), "bottom": (-?\d+), )"
            R"("value": \d+, "areaMask": \d+, "sizeMask": \d+, "falseDetection": (\d+)\})");
        std::vector<Box> boxes;
        for (auto it = std::sregex_iterator(run.out.begin(), run.out.end(), result);
             it != std::sregex_iterator(); ++it) {
            const auto& m = *it;
            boxes.push_back(
                {std::stoi(m[1]), std::stoi(m[2]), std::stoi(m[3]), std::stoi(m[4]), m[5] != "0"});
        }
        return boxes;
    }
    // The plant: the one box that stays where it is over several cycles.
    std::optional<Box> Plant() {
        std::map<std::tuple<int, int, int, int>, int> seen;
        constexpr int cycles = 4;
        for (int i = 0; i < cycles; ++i) {
            for (const Box& box : Detect()) {
                ++seen[box.Edges()];
            }
        }
        for (const auto& [edges, count] : seen) {
            if (count == cycles) {
                const auto [l, t, r, b] = edges;
                return Box{l, t, r, b, false};
            }
        }
        return std::nullopt;
    }
    bool PlantFlagged(const Box& plant) {
        for (const Box& box : Detect()) {
            if (box.Edges() == plant.Edges()) {
                return box.flagged;
            }
        }
        ADD_FAILURE() << "the plant was not reported";
        return false;
    }
};

TEST_F(OrloctlBackupExtrasTest, ARegisteredPlantStaysAFalseDetectionOverAFactoryResetAndARestore) {
    const auto plant = Plant();
    ASSERT_TRUE(plant);
    const std::string edges = std::to_string(plant->left) + "," + std::to_string(plant->top) + "," +
                              std::to_string(plant->right) + "," + std::to_string(plant->bottom);
    ASSERT_EQ(EXIT_OK, Orloctl({"set", "false-rects", "4," + edges}).status);
    ASSERT_TRUE(PlantFlagged(*plant));

    ASSERT_EQ(EXIT_OK, Orloctl({"export", File("backup.ini")}).status);
    const auto text = ReadFileLimited(File("backup.ini"), 1 << 20);
    ASSERT_TRUE(text);
    EXPECT_NE(std::string::npos, text->find("[OrloSetupFalseRect]"));
    EXPECT_NE(std::string::npos, text->find("Rect5=" + edges + "\r\n"));

    ASSERT_EQ(EXIT_OK, Orloctl({"initialize"}).status);
    EXPECT_NE(std::string::npos, Orloctl({"get", "false-rects"}).out.find("4 -1 -1 -1 -1\n"));
    EXPECT_FALSE(PlantFlagged(*plant)) << "the factory settings hold no rectangles";
    const Outcome diff = Orloctl({"diff", File("backup.ini")});
    EXPECT_EQ(EXIT_DIFFERENT, diff.status);
    EXPECT_NE(std::string::npos,
              diff.out.find("OrloSetupFalseRect.Rect5 file=" + edges + " sensor=-1,-1,-1,-1\n"))
        << diff.out;

    const Outcome restore = Orloctl({"import", File("backup.ini")});
    ASSERT_EQ(EXIT_OK, restore.status) << restore.err;
    EXPECT_TRUE(PlantFlagged(*plant));
    EXPECT_EQ(EXIT_OK, Orloctl({"diff", File("backup.ini")}).status);
}

TEST_F(OrloctlBackupExtrasTest, AnOlderBackupLeavesTheRectanglesAndADamagedOneSendsNothing) {
    ASSERT_EQ(EXIT_OK, Orloctl({"set", "false-rects", "2,300,300,400,400"}).status);
    ASSERT_EQ(EXIT_OK, Orloctl({"export", File("backup.ini")}).status);
    auto text = ReadFileLimited(File("backup.ini"), 1 << 20);
    ASSERT_TRUE(text);
    const std::size_t section = text->find("[OrloSetupFalseRect]");
    ASSERT_NE(std::string::npos, section);

    ASSERT_TRUE(WriteFileAtomically(File("older.ini"), text->substr(0, section)));
    ASSERT_EQ(EXIT_OK, Orloctl({"set", "false-rects", "2,clear"}).status);
    ASSERT_EQ(EXIT_OK, Orloctl({"set", "false-rects", "6,10,10,90,90"}).status);
    ASSERT_EQ(EXIT_OK, Orloctl({"import", File("older.ini")}).status);
    const std::string rects = Orloctl({"get", "false-rects"}).out;
    EXPECT_NE(std::string::npos, rects.find("2 -1 -1 -1 -1\n")) << rects;
    EXPECT_NE(std::string::npos, rects.find("6 10 10 90 90\n")) << rects;
    EXPECT_EQ(EXIT_OK, Orloctl({"diff", File("older.ini")}).status) << "no rectangles to compare";

    std::string damaged = *text;
    damaged.replace(damaged.find("Rect3=300,300,400,400"), 21, "Rect3=300,300,400");
    ASSERT_TRUE(WriteFileAtomically(File("damaged.ini"), damaged));
    ASSERT_EQ(EXIT_OK, Orloctl({"set", "threshold", "777"}).status);
    const Outcome refused = Orloctl({"import", File("damaged.ini")});
    EXPECT_EQ(EXIT_DEVICE_FAILED, refused.status);
    EXPECT_NE(std::string::npos, refused.err.find("OrloSetupFalseRect.Rect3=300,300,400")) << refused.err;
    EXPECT_EQ("777\n", Orloctl({"get", "threshold"}).out) << "nothing of the file was sent";
}

TEST_F(OrloctlBackupExtrasTest, TheReportsDetailsStandAtItsTopAndGoWithReportOnly) {
    const Outcome report =
        Orloctl({"report", "-", "--site", "北口 <B>", "--installer", "山田", "--note", "line 1\nline 2"});
    ASSERT_EQ(EXIT_OK, report.status) << report.err;
    const std::size_t site = report.out.find("<td>北口 &lt;B&gt;</td>");
    ASSERT_NE(std::string::npos, site);
    EXPECT_NE(std::string::npos, report.out.find("<td>山田</td>"));
    EXPECT_NE(std::string::npos, report.out.find("<td>line 1<br>line 2</td>"));
    EXPECT_EQ(std::string::npos, report.out.find("<td>お客様</td>"));

    ASSERT_EQ(EXIT_OK, Orloctl({"--customer", "ACME", "report", File("r.html")}).status);
    const auto file = ReadFileLimited(File("r.html"), 1 << 22);
    ASSERT_TRUE(file);
    EXPECT_NE(std::string::npos, file->find("<td>ACME</td>"));

    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"export", File("x.ini"), "--site", "A"},
          {"report", File("y.html"), "--note"}}) {
        const Outcome refused = Orloctl(args);
        EXPECT_EQ(EXIT_USAGE, refused.status) << args[0];
    }
    EXPECT_FALSE(std::filesystem::exists(File("x.ini")));
    EXPECT_FALSE(std::filesystem::exists(File("y.html")));
}

} // namespace
} // namespace orlo::cli
