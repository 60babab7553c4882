#include "sim/ReplayLog.h"

#include "sim/ReplayResponder.h"
#include "tests/support/TempDirectory.h"

#include <fstream>
#include <gtest/gtest.h>

namespace orlo::sim {
namespace {

// The log as the tool writes it: byte-order mark, then each character as two bytes.
std::vector<std::uint8_t> Utf16Log(const std::string& text) {
    std::vector<std::uint8_t> bytes{0xFF, 0xFE};
    for (const char c : text) {
        bytes.push_back(static_cast<std::uint8_t>(c));
        bytes.push_back(0);
    }
    return bytes;
}

const std::string Request0 = "S\t2025/03/03 09:05:07.042\t4\tfe 00 00 00\n";
const std::string Header0 = "R\t2025/03/03 09:05:07.050\t6\tfe 00 02 00 00 00\n";
const std::string Payload0 = "R\t2025/03/03 09:05:07.051\t2\t4f 58\n";
const std::string Request2 = "S\t2025/03/03 09:05:08.000\t4\tfe 02 00 00\n";
const std::string Answer2 = "R\t2025/03/03 09:05:08.010\t7\tfe 00 01 00 00 00 01\n";

std::optional<std::vector<RecordedExchange>> Parse(const std::string& text, ReplayLogError& error) {
    return ParseReplayLog(Utf16Log(text), error);
}

TEST(ReplayLogTest, GroupsEveryReceivedPieceUnderItsRequest) {
    ReplayLogError error;
    const auto exchanges = Parse(Request0 + Header0 + Payload0 + Request2 + Answer2 + Request0, error);
    ASSERT_TRUE(exchanges) << error.Text();
    ASSERT_EQ(3u, exchanges->size());
    EXPECT_EQ((std::vector<std::uint8_t>{0xFE, 0x00, 0x00, 0x00}), (*exchanges)[0].request);
    EXPECT_EQ((std::vector<std::uint8_t>{0xFE, 0x00, 0x02, 0x00, 0x00, 0x00, 0x4F, 0x58}),
              (*exchanges)[0].response);
    EXPECT_EQ(4, (*exchanges)[1].line);
    EXPECT_EQ(7u, (*exchanges)[1].response.size());
    // A request that got nothing (a time-out in the recording) keeps an empty response.
    EXPECT_TRUE((*exchanges)[2].response.empty());
}

TEST(ReplayLogTest, DamagedLogsAreRefusedWithTheLineAtFault) {
    struct Case {
        std::string text;
        int line;
        const char* what;
    };
    const std::string good = Request0 + Header0;
    const std::vector<Case> cases = {
        {good + Request2.substr(0, 20), 3, "last line cut off"},
        {good + "S\t2025/03/03 09:05:08.000\t4\tfe 02 00\n", 3, "fewer bytes than the count"},
        {good + "S\t2025/03/03 09:05:08.000\t4\tfe 02 00 0g\n", 3, "not a hex digit"},
        {good + "S\t2025/03/03 09:05:08.000\t4\tFE 02 00 00\n", 3, "upper-case hex"},
        {good + "S\t2025/03/03 09:05:08.000\t4\tfe 02  00 0\n", 3, "two blanks"},
        {good + "X\t2025/03/03 09:05:08.000\t4\tfe 02 00 00\n", 3, "unknown direction"},
        {good + "S\t2025/3/03 09:05:08.000\t4\tfe 02 00 00\n", 3, "short month"},
        {good + "S\t2025/03/03 09:05:08.000\t-4\tfe 02 00 00\n", 3, "negative count"},
        {good + "S\t2025/03/03 09:05:08.000\t4\n", 3, "missing field"},
        {Header0 + Request0, 1, "response before any request"},
        {good + "\n", 3, "empty line"},
    };
    for (const Case& c : cases) {
        ReplayLogError error;
        EXPECT_FALSE(Parse(c.text, error)) << c.what;
        EXPECT_EQ(c.line, error.line) << c.what << ": " << error.Text();
        EXPECT_EQ(0u, error.Text().find("line " + std::to_string(c.line) + ": ")) << c.what;
    }
}

TEST(ReplayLogTest, FilesThatAreNotUtf16LogsAreRefused) {
    ReplayLogError error;
    const std::string text = Request0;
    EXPECT_FALSE(ParseReplayLog(std::vector<std::uint8_t>(text.begin(), text.end()), error)) << "no mark";
    EXPECT_EQ(0, error.line);
    std::vector<std::uint8_t> odd = Utf16Log(Request0 + Header0);
    odd.pop_back();
    EXPECT_FALSE(ParseReplayLog(odd, error)) << "half a character";
    EXPECT_EQ(2, error.line);
    std::vector<std::uint8_t> wide = Utf16Log(Request0);
    wide[5] = 0x30; // a character beyond ASCII in line 1
    EXPECT_FALSE(ParseReplayLog(wide, error));
    EXPECT_EQ(1, error.line);
    EXPECT_FALSE(LoadReplayLog("/nonexistent/CmdLog.log", error));
    EXPECT_EQ(0, error.line);
}

void WriteFile(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes) {
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

TEST(ReplayLogTest, LargeFilesAreReadAsFarAsTheirFirstFault) {
    // Sparse files of 3 GiB: nothing is read beyond the fault, and no size of file is refused as such.
    test::TempDirectory directory;
    const std::uintmax_t size = std::uintmax_t{3} << 30;
    const std::filesystem::path notALog = directory.Path() / "picture.raw";
    WriteFile(notALog, {'P', '5'});
    std::filesystem::resize_file(notALog, size);
    ReplayLogError error;
    EXPECT_FALSE(LoadReplayLog(notALog, error));
    EXPECT_EQ(0, error.line);
    EXPECT_NE(std::string::npos, error.Text().find("byte-order mark")) << error.Text();

    const std::filesystem::path cutLog = directory.Path() / "CmdLog.log";
    WriteFile(cutLog, Utf16Log(Request0 + Header0));
    std::filesystem::resize_file(cutLog, size);
    EXPECT_FALSE(LoadReplayLog(cutLog, error));
    EXPECT_EQ("line 3: a character the log never holds", error.Text());

    EXPECT_FALSE(LoadReplayLog(directory.Path(), error)) << "a folder";
    EXPECT_EQ(0, error.line);
}

TEST(ReplayLogTest, PiecesOfAnySizeReadAsTheWholeFile) {
    const std::vector<std::uint8_t> good = Utf16Log(Request0 + Header0 + Payload0 + Request2 + Answer2);
    std::vector<std::uint8_t> damaged = Utf16Log(Request0 + Header0 + Request2.substr(0, 20));
    for (const std::size_t pieceSize : {std::size_t{1}, std::size_t{3}, std::size_t{64}}) {
        ReplayLogReader goodReader;
        ReplayLogReader damagedReader;
        for (std::size_t at = 0; at < good.size(); at += pieceSize) {
            goodReader.Feed(std::span(good).subspan(at, std::min(pieceSize, good.size() - at)));
        }
        for (std::size_t at = 0; at < damaged.size(); at += pieceSize) {
            damagedReader.Feed(std::span(damaged).subspan(at, std::min(pieceSize, damaged.size() - at)));
        }
        ReplayLogError error;
        const auto exchanges = goodReader.Finish(error);
        ASSERT_TRUE(exchanges) << pieceSize << ": " << error.Text();
        ASSERT_EQ(2u, exchanges->size());
        EXPECT_EQ(8u, (*exchanges)[0].response.size());
        EXPECT_EQ(4, (*exchanges)[1].line);
        EXPECT_FALSE(damagedReader.Finish(error));
        EXPECT_EQ(3, error.line) << pieceSize;
    }
}

TEST(ReplayLogTest, ALineLongerThanAnyTransferIsRefusedBeforeItEnds) {
    // Five million characters of one line: refused once it outgrows the largest transfer, however much
    // more of it follows.
    ReplayLogReader reader;
    EXPECT_TRUE(reader.Feed(Utf16Log(Request0)));
    std::vector<std::uint8_t> digits(2 * 1024 * 1024, 0);
    for (std::size_t i = 0; i < digits.size(); i += 2) {
        digits[i] = '0';
    }
    bool refused = false;
    for (int i = 0; i < 5 && !refused; ++i) {
        refused = !reader.Feed(digits);
    }
    EXPECT_TRUE(refused);
    ReplayLogError error;
    EXPECT_FALSE(reader.Finish(error));
    EXPECT_EQ("line 2: longer than any line the tool writes", error.Text());
}

FrameEvent RequestEvent(std::uint8_t code, std::vector<std::uint8_t> payload = {}) {
    FrameEvent event;
    event.request.code = code;
    event.request.payload = std::move(payload);
    return event;
}

TEST(ReplayLogTest, EachRequestTakesTheNextRecordedOneWithTheSameBytes) {
    ReplayLogError error;
    const std::string later = "R\t2025/03/03 09:05:09.010\t7\tfe 00 01 00 00 00 03\n";
    auto exchanges = Parse(Request0 + Header0 + Payload0 + Request2 + Answer2 + Request2 + later, error);
    ASSERT_TRUE(exchanges);
    std::vector<std::string> reports;
    ReplayResponder replay(std::move(*exchanges), 115200,
                           [&reports](const std::string& line) { reports.push_back(line); });
    // The first 0x02 skips the recorded 0x00 in front of it; the second gets the later answer.
    Reply first = replay.handle(RequestEvent(0x02));
    EXPECT_FALSE(first.silent);
    EXPECT_EQ(0x01, first.bytes.back());
    Reply second = replay.handle(RequestEvent(0x02));
    EXPECT_EQ(0x03, second.bytes.back());
    EXPECT_TRUE(reports.empty());
    // Nothing recorded is left for these: silence and a report each.
    EXPECT_TRUE(replay.handle(RequestEvent(0x02)).silent);
    EXPECT_TRUE(replay.handle(RequestEvent(0x00)).silent);
    FrameEvent garbage;
    garbage.garbage = true;
    EXPECT_TRUE(replay.handle(garbage).silent);
    ASSERT_EQ(3u, reports.size());
    EXPECT_NE(std::string::npos, reports[0].find("fe 02 00 00")) << reports[0];
    EXPECT_EQ(3u, replay.Position());
}

TEST(ReplayLogTest, RequestBytesIncludeThePayload) {
    ReplayLogError error;
    const std::string withPayload = "S\t2025/03/03 09:05:07.042\t7\tfe 03 03 00 01 00 01\n";
    auto exchanges = Parse(withPayload + Header0, error);
    ASSERT_TRUE(exchanges);
    ReplayResponder replay(std::move(*exchanges), 115200, {});
    EXPECT_TRUE(replay.handle(RequestEvent(0x03, {0x01, 0x00, 0x02})).silent);
    EXPECT_FALSE(replay.handle(RequestEvent(0x03, {0x01, 0x00, 0x01})).silent);
}

} // namespace
} // namespace orlo::sim
