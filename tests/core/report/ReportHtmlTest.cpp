#include "core/report/CommissioningReport.h"
#include "core/strings/StringTable.h"

#include <gtest/gtest.h>
#include <regex>

namespace orlo {
namespace {

constexpr int STR_REPORT_MODEL = 9603;
constexpr int STR_REPORT_KEY_MODE = 9631;
constexpr int STR_REPORT_KEY_OTHER = 9638;
constexpr int STR_REPORT_KEY_ANGLE_OF_CONNECTION = 9420;

std::string Text(int id) {
    return std::string(LoadString(id));
}

// A sensor as it comes from the factory, the masks in their slots.
ReportContent FreshSensor() {
    ReportContent content;
    content.device.name = "Orlo-X1";
    for (std::uint32_t slot = 0; slot < 16; ++slot) {
        content.settings.areaMasks[slot].number = slot;
        content.settings.motionMasks[slot].number = slot;
    }
    content.settings.other27 = 3;
    content.settings.other28 = 5;
    content.falseRects.assign(10, UNSET_RECT);
    return content;
}

std::vector<std::string> Matches(const std::string& html, const std::string& pattern) {
    const std::regex expression(pattern);
    std::vector<std::string> found;
    for (auto it = std::sregex_iterator(html.begin(), html.end(), expression); it != std::sregex_iterator();
         ++it) {
        found.push_back((*it)[1]);
    }
    return found;
}

std::vector<std::string> Headings(const std::string& html) {
    return Matches(html, "<h[1-3]>([^<]*)</h[1-3]>");
}

// The table row holding the cell of Section.Key, from its first cell on.
std::string RowOf(const std::string& html, const std::string& sectionKey) {
    const auto cell = html.find("data-key=\"" + sectionKey + "\"");
    if (cell == std::string::npos) {
        return {};
    }
    const auto start = html.rfind("<tr>", cell);
    return html.substr(start, html.find("</tr>", cell) - start);
}

class ReportHtmlTest : public ::testing::Test {
protected:
    void TearDown() override { SetLanguage(Language::Japanese); }
};

TEST_F(ReportHtmlTest, SectionHeadingsSpellTheirEnglishNamesRightOnce) {
    const std::string japanese = ReportHtml(FreshSensor(), {});
    const auto headings = Headings(japanese);
    EXPECT_NE(headings.end(), std::find(headings.begin(), headings.end(), "検出 (Detection)"));
    EXPECT_NE(headings.end(), std::find(headings.begin(), headings.end(), "カメラ (Camera)"));
    for (const std::string& heading : headings) {
        EXPECT_EQ(std::string::npos, heading.find("Ditection")) << heading;
    }

    SetLanguage(Language::English);
    const auto english = Headings(ReportHtml(FreshSensor(), {}));
    EXPECT_NE(english.end(), std::find(english.begin(), english.end(), "Detection"));
    const std::regex doubled(R"((.+) \(\1\))");
    for (const std::string& heading : english) {
        EXPECT_FALSE(std::regex_match(heading, doubled)) << heading;
        EXPECT_EQ(std::string::npos, heading.find("Ditection")) << heading;
    }
}

TEST_F(ReportHtmlTest, RegionsAreNumberedByTheirSlotAsTheEditorsNumberThem) {
    ReportContent content = FreshSensor();
    content.settings.areaMasks[0] = {0, 100, 100, 500, 400, 0x80};
    content.settings.areaMasks[1] = {1, 600, 100, 900, 400, 0x90};
    content.settings.motionMasks[1] = {1, 1000, 100, 1400, 500};
    content.falseRects[0] = {50, 50, 300, 300};
    const std::string html = ReportHtml(content, {});
    // The file's sections count from 1, the number column from the slot's 0.
    EXPECT_EQ(0u, RowOf(html, "AreaMask1.Left").find("<tr><td>0</td>")) << RowOf(html, "AreaMask1.Left");
    EXPECT_EQ(0u, RowOf(html, "AreaMask2.Left").find("<tr><td>1</td>")) << RowOf(html, "AreaMask2.Left");
    EXPECT_EQ(0u, RowOf(html, "MotionMask16.Left").find("<tr><td>15</td>"));
    EXPECT_NE(std::string::npos, html.find("<tr><td>0</td><td>50, 50, 300, 300</td></tr>"));

    const ReportScene scene = ReportSceneOf(content);
    ASSERT_EQ(16u, scene.areaMasks.size());
    EXPECT_EQ(0, scene.areaMasks[0].number);
    EXPECT_EQ(1, scene.areaMasks[1].number);
    EXPECT_EQ(1, scene.motionMasks[1].number);
    ASSERT_EQ(10u, scene.falseRects.size());
    EXPECT_EQ(0, scene.falseRects[0].number);
}

TEST_F(ReportHtmlTest, TheOperatingModeIsNamedFromTheModeListWhenItHasIt) {
    ReportContent content = FreshSensor();
    content.settings.mode = 5;
    const std::vector<ModeRecord> modes = {{0, "a.tbl", "b.tbl", "標準モード", ""},
                                           {5, "c.tbl", "d.tbl", "高天井 <4m> & more", ""}};
    const std::string named = RowOf(ReportHtml(content, modes), "Camera.Mode");
    EXPECT_NE(std::string::npos, named.find(">5</td>")) << named;
    EXPECT_NE(std::string::npos,
              named.find("<td>" + Text(STR_REPORT_KEY_MODE) + " (高天井 &lt;4m&gt; &amp; more)</td>"))
        << named;

    const std::string unlisted = RowOf(ReportHtml(content, {modes[0]}), "Camera.Mode");
    EXPECT_NE(std::string::npos, unlisted.find("<td>" + Text(STR_REPORT_KEY_MODE) + "</td>")) << unlisted;
    EXPECT_EQ(unlisted, RowOf(ReportHtml(content, {}), "Camera.Mode"));

    // A name the list's reader could not decode keeps the document valid UTF-8.
    const std::string undecoded =
        RowOf(ReportHtml(content, {{5, "", "", std::string("\x82\xff", 2), ""}}), "Camera.Mode");
    EXPECT_NE(std::string::npos, undecoded.find("(\\x82\\xff)")) << undecoded;
}

TEST_F(ReportHtmlTest, AuxiliaryValuesAreNamedWhereTheirMeaningIsKnown) {
    const std::string html = ReportHtml(FreshSensor(), {});
    const auto meaning = [&html](const std::string& key) {
        const std::string row = RowOf(html, "Other." + key);
        return row.substr(row.rfind("<td>") + 4);
    };
    // The angle of view is the tool's own, chosen when connecting.
    EXPECT_EQ(Text(STR_REPORT_KEY_ANGLE_OF_CONNECTION) + "</td>", meaning("Other12"));
    EXPECT_NE(Text(STR_REPORT_KEY_OTHER) + "</td>", meaning("Other08"));
    EXPECT_NE(Text(STR_REPORT_KEY_OTHER) + "</td>", meaning("Other26"));
    // What the sensor's own auxiliary values mean is not known.
    EXPECT_EQ(Text(STR_REPORT_KEY_OTHER) + "</td>", meaning("Other01"));
    EXPECT_EQ(Text(STR_REPORT_KEY_OTHER) + "</td>", meaning("Other28"));
}

// The model name and the information text come from the sensor: markup in them is shown as text.
TEST_F(ReportHtmlTest, TextsFromTheSensorAreEscapedInTheirCells) {
    ReportContent content = FreshSensor();
    content.device.name = "A&B <x>";
    content.settings.deviceInfo = "A&B <x>";
    const std::string html = ReportHtml(content, {});
    EXPECT_NE(std::string::npos,
              html.find("<tr><td>" + Text(STR_REPORT_MODEL) + "</td><td>A&amp;B &lt;x&gt;</td></tr>"));
    EXPECT_NE(std::string::npos, RowOf(html, "System.DeviceInfo").find(">A&amp;B &lt;x&gt;</td>"));
    EXPECT_EQ(std::string::npos, html.find("A&B <x>"));
    EXPECT_EQ(std::string::npos, html.find("<x>"));
}

// Bytes that could steer a terminal or break the document never reach it raw, and no row is lost.
TEST_F(ReportHtmlTest, ControlAndUndecodableBytesAreShownAsTheTerminalShowsThem) {
    ReportContent content = FreshSensor();
    content.device.name = "Orlo\x1b[2J\x07\x08\xff";
    content.settings.deviceInfo = "entrance\r\nnorth";
    const std::string html = ReportHtml(content, {});
    EXPECT_NE(std::string::npos,
              html.find("<td>" + Text(STR_REPORT_MODEL) + "</td><td>Orlo\\x1b[2J\\x07\\x08\\xff</td>"));
    EXPECT_NE(std::string::npos, RowOf(html, "System.DeviceInfo").find(">entrance\\x0d\\x0anorth</td>"));
    for (const char raw : {'\x1b', '\x07', '\x08', '\r'}) {
        EXPECT_EQ(std::string::npos, html.find(raw)) << int(raw);
    }
    EXPECT_EQ(std::string::npos, html.find('\xff'));
}

TEST_F(ReportHtmlTest, TheWritersDetailsStandAtTheTopEscapedAndTheEmptyOnesAreLeftOut) {
    ReportContent content = FreshSensor();
    content.details = {"北口 <B棟>", "", "山田 & Co", "1行目\r\n<script>2行目\x1b"};
    const std::string html = ReportHtml(content, {});
    const std::size_t site = html.find("<tr><td>設置場所</td><td>北口 &lt;B棟&gt;</td></tr>");
    ASSERT_NE(std::string::npos, site);
    EXPECT_LT(site, html.find("<td>作成日時</td>")) << "the details come first";
    EXPECT_EQ(std::string::npos, html.find("<td>お客様</td>")) << "an empty detail has no row";
    EXPECT_NE(std::string::npos, html.find("<tr><td>設置者</td><td>山田 &amp; Co</td></tr>"));
    EXPECT_NE(std::string::npos,
              html.find("<tr><td>備考</td><td>1行目<br>&lt;script&gt;2行目\\x1b</td></tr>"));
    EXPECT_EQ(std::string::npos, html.find("<script>"));

    SetLanguage(Language::English);
    EXPECT_NE(std::string::npos,
              ReportHtml(content, {}).find("<tr><td>Installer</td><td>山田 &amp; Co</td></tr>"));
    content.details = {};
    const std::string plain = ReportHtml(content, {});
    for (const char* label : {"<td>Site</td>", "<td>Customer</td>", "<td>Installer</td>", "<td>Note</td>"}) {
        EXPECT_EQ(std::string::npos, plain.find(label)) << label;
    }
}

TEST_F(ReportHtmlTest, AMountingDirectionTheSensorDoesNotKnowIsShownAsUnknown) {
    ReportContent content = FreshSensor();
    const auto meaning = [&content](int direction) {
        content.settings.camera = direction;
        const std::string row = RowOf(ReportHtml(content, {}), "Camera.Camera");
        return row.substr(row.rfind("<td>") + 4);
    };
    EXPECT_NE(std::string::npos, meaning(3).find("(270°)"));
    EXPECT_NE(std::string::npos, meaning(0).find("(0°)"));
    const std::string unknown = meaning(7);
    EXPECT_EQ(std::string::npos, unknown.find("°")) << unknown;
    EXPECT_NE(std::string::npos, unknown.find("(" + Text(9654) + ")")) << unknown;
}

} // namespace
} // namespace orlo
