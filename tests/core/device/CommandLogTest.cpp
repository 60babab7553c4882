#include "core/device/CommandLog.h"

#include "core/device/DeviceSession.h"
#include "tests/support/FakeConnection.h"
#include "tests/support/FileBytes.h"
#include "tests/support/TempDirectory.h"

#include <cstdio>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <sstream>

namespace orlo {
namespace {

using test::FakeConnection;
using test::ResponseFrame;

// Checks the byte-order mark and that every character is ASCII as UTF-16LE; returns the text.
std::string DecodeUtf16Ascii(const std::string& bytes) {
    EXPECT_GE(bytes.size(), 2u);
    EXPECT_EQ('\xFF', bytes[0]);
    EXPECT_EQ('\xFE', bytes[1]);
    EXPECT_EQ(0u, bytes.size() % 2);
    std::string text;
    for (std::size_t i = 2; i + 1 < bytes.size(); i += 2) {
        EXPECT_EQ('\0', bytes[i + 1]) << "at byte " << i;
        text += bytes[i];
    }
    return text;
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        lines.push_back(line);
    }
    return lines;
}

std::vector<std::string> Fields(const std::string& line) {
    std::vector<std::string> fields;
    std::istringstream in(line);
    for (std::string field; std::getline(in, field, '\t');) {
        fields.push_back(field);
    }
    return fields;
}

TEST(CommandLogFormat, LineOfARequest) {
    const std::uint8_t request[] = {0xFE, 0x02, 0x00, 0x00};
    EXPECT_EQ("S\t2025/03/03 09:05:07.042\t4\tfe 02 00 00\n",
              CommandLog::FormatLine({2025, 3, 3, 9, 5, 7, 42}, request, 4, CommandLog::Direction::Sent));
    const std::uint8_t response[] = {0xAB};
    EXPECT_EQ("R\t2026/12/31 23:59:59.999\t1\tab\n",
              CommandLog::FormatLine({2026, 12, 31, 23, 59, 59, 999}, response, 1,
                                     CommandLog::Direction::Received));
}

class CommandLogFileTest : public ::testing::Test {
protected:
    test::TempDirectory directory;
    FakeConnection link;

    std::filesystem::path LogPath() const { return directory.Path() / "CmdLog.log"; }
    void EnableLog() { std::ofstream(directory.Path() / "outputlog") << ""; }
};

TEST_F(CommandLogFileTest, ExchangeIsLoggedPieceByPieceAsUtf16) {
    EnableLog();
    std::vector<std::uint8_t> payload(2500, 0x11);
    payload[0] = 0xA0;
    {
        DeviceSession session(directory.Path());
        session.Attach(link, ConnectionType::Com);
        link.QueueResponse(ResponseFrame(0x00, payload));
        ASSERT_EQ(RC_OK, session.Transact(0x03, std::vector<std::uint8_t>{0x01, 0x00, 0x01}, 1000));
        session.Disconnect();
    }
    const auto lines = Lines(DecodeUtf16Ascii(test::FileBytes(LogPath())));
    ASSERT_EQ(5u, lines.size());
    const char* directions[] = {"S", "R", "R", "R", "R"};
    const char* counts[] = {"7", "6", "1024", "1024", "452"};
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const auto fields = Fields(lines[i]);
        ASSERT_EQ(4u, fields.size()) << lines[i];
        EXPECT_EQ(directions[i], fields[0]);
        EXPECT_EQ(counts[i], fields[2]);
        EXPECT_EQ(23u, fields[1].size()) << fields[1]; // yyyy/mm/dd hh:mm:ss.mmm
    }
    EXPECT_EQ("fe 03 03 00 01 00 01", Fields(lines[0])[3]);
    EXPECT_EQ("fe 00 c4 09 00 00", Fields(lines[1])[3]);
    EXPECT_EQ(1024u * 3 - 1, Fields(lines[2])[3].size());
    EXPECT_EQ("a0 11", Fields(lines[2])[3].substr(0, 5));
}

TEST_F(CommandLogFileTest, SwitchedOnWithoutTheSwitchFile) {
    EXPECT_FALSE(CommandLog(directory.Path()).IsEnabled());
    EXPECT_TRUE(CommandLog(directory.Path(), CommandLog::Switch::On).IsEnabled());
    {
        CommandLog log(directory.Path(), CommandLog::Switch::On);
        log.StartLog();
        const std::uint8_t request[] = {0xFE, 0x00, 0x00, 0x00};
        log.LogTransfer({2025, 3, 3, 9, 5, 7, 42}, request, 4, CommandLog::Direction::Sent);
    }
    EXPECT_EQ((std::vector<std::string>{"S\t2025/03/03 09:05:07.042\t4\tfe 00 00 00"}),
              Lines(DecodeUtf16Ascii(test::FileBytes(LogPath()))));
    EXPECT_FALSE(std::filesystem::exists(directory.Path() / "outputlog"));
}

TEST_F(CommandLogFileTest, AFastExchangeWaitsForTheWriterAndNothingIsDropped) {
    // Pictures logged faster than lines are written: the queue stops at its limit, every transfer
    // still reaches the file in order, and one transfer larger than the limit passes on its own.
    constexpr std::size_t limit = 64 * 1024;
    constexpr int transfers = 2000;
    std::vector<std::uint8_t> piece(4096);
    {
        CommandLog log(directory.Path(), CommandLog::Switch::On, limit);
        log.StartLog();
        for (int i = 0; i < transfers; ++i) {
            piece[0] = static_cast<std::uint8_t>(i);
            log.LogTransfer({2025, 3, 3, 9, 5, 7, 42}, piece.data(), static_cast<std::uint32_t>(piece.size()),
                            CommandLog::Direction::Received);
        }
        EXPECT_LE(log.PeakQueuedBytes(), limit);
        const std::vector<std::uint8_t> large(limit * 2, 0x5A);
        log.LogTransfer({2025, 3, 3, 9, 5, 8, 0}, large.data(), static_cast<std::uint32_t>(large.size()),
                        CommandLog::Direction::Received);
        log.StopLog();
    }
    const auto lines = Lines(DecodeUtf16Ascii(test::FileBytes(LogPath())));
    ASSERT_EQ(std::size_t{transfers} + 1, lines.size());
    for (int i = 0; i < transfers; i += 499) {
        char first[3];
        std::snprintf(first, sizeof first, "%02x", i & 0xFF);
        EXPECT_EQ(first, Fields(lines[static_cast<std::size_t>(i)])[3].substr(0, 2)) << "line " << i;
    }
    EXPECT_EQ(std::to_string(limit * 2), Fields(lines.back())[2]);
}

TEST_F(CommandLogFileTest, ASessionMayKeepItsLogUnderANameOfItsOwn) {
    EnableLog();
    {
        DeviceSession first(directory.Path(), CommandLog::Switch::OutputLogFile, "CmdLog-127.0.0.1.log");
        DeviceSession second(directory.Path(), CommandLog::Switch::OutputLogFile, "CmdLog-127.0.0.2.log");
        FakeConnection otherLink;
        first.Attach(link, ConnectionType::Lan);
        second.Attach(otherLink, ConnectionType::Lan);
        link.QueueResponse(ResponseFrame(0x00, {1}));
        otherLink.QueueResponse(ResponseFrame(0x00, {2, 3}));
        ASSERT_EQ(RC_OK, first.Transact(0x02, {}, 1000));
        ASSERT_EQ(RC_OK, second.Transact(0x6A, {}, 1000));
        first.Disconnect();
        second.Disconnect();
    }
    EXPECT_FALSE(std::filesystem::exists(LogPath()));
    const auto firstLines =
        Lines(DecodeUtf16Ascii(test::FileBytes(directory.Path() / "CmdLog-127.0.0.1.log")));
    const auto secondLines =
        Lines(DecodeUtf16Ascii(test::FileBytes(directory.Path() / "CmdLog-127.0.0.2.log")));
    ASSERT_EQ(3u, firstLines.size());
    ASSERT_EQ(3u, secondLines.size());
    EXPECT_EQ("fe 02 00 00", Fields(firstLines[0])[3]);
    EXPECT_EQ("fe 6a 00 00", Fields(secondLines[0])[3]);
}

TEST_F(CommandLogFileTest, EveryOpenRestartsTheFile) {
    EnableLog();
    DeviceSession session(directory.Path());
    session.Attach(link, ConnectionType::Com);
    link.QueueResponse(ResponseFrame(0x00, {1}));
    ASSERT_EQ(RC_OK, session.Transact(0x02, {}, 1000));
    session.Disconnect();
    ASSERT_EQ(3u, Lines(DecodeUtf16Ascii(test::FileBytes(LogPath()))).size());

    session.Attach(link, ConnectionType::Com);
    session.Disconnect();
    EXPECT_EQ(std::string("\xFF\xFE", 2), test::FileBytes(LogPath()));
}

TEST_F(CommandLogFileTest, FailedSendIsNotLogged) {
    EnableLog();
    DeviceSession session(directory.Path());
    session.Attach(link, ConnectionType::Lan);
    link.FailNextSend(1);
    EXPECT_EQ(RC_SEND_FAILED, session.Transact(0x02, {}, 1000));
    session.Disconnect();
    EXPECT_EQ(std::string("\xFF\xFE", 2), test::FileBytes(LogPath()));
}

TEST_F(CommandLogFileTest, SwitchMustBeAFilePresentAtConstruction) {
    {
        DeviceSession session(directory.Path());
        EnableLog(); // too late for this session
        session.Attach(link, ConnectionType::Lan);
        link.QueueResponse(ResponseFrame(0x00, {1}));
        EXPECT_EQ(RC_OK, session.Transact(0x02, {}, 1000));
        session.Disconnect();
    }
    EXPECT_FALSE(std::filesystem::exists(LogPath()));

    std::filesystem::remove(directory.Path() / "outputlog");
    std::filesystem::create_directory(directory.Path() / "outputlog");
    {
        DeviceSession session(directory.Path());
        EXPECT_FALSE(session.Log().IsEnabled());
        session.Attach(link, ConnectionType::Lan);
        session.Disconnect();
    }
    EXPECT_FALSE(std::filesystem::exists(LogPath()));
}

TEST_F(CommandLogFileTest, UnwritableLogFileDoesNotDisturbTheExchange) {
    EnableLog();
    std::filesystem::create_directory(LogPath()); // cannot be opened as a file
    DeviceSession session(directory.Path());
    session.Attach(link, ConnectionType::Lan);
    link.QueueResponse(ResponseFrame(0x00, {1}));
    EXPECT_EQ(RC_OK, session.Transact(0x02, {}, 1000));
    session.Disconnect();
    EXPECT_TRUE(std::filesystem::is_directory(LogPath()));
}

TEST_F(CommandLogFileTest, ASymbolicLinkInPlaceOfTheLogIsNotFollowed) {
    EnableLog();
    const std::filesystem::path victim = directory.Path() / "victim.txt";
    std::ofstream(victim) << "keep me";
    std::filesystem::create_symlink(victim, LogPath());
    DeviceSession session(directory.Path());
    session.Attach(link, ConnectionType::Lan);
    link.QueueResponse(ResponseFrame(0x00, {1}));
    EXPECT_EQ(RC_OK, session.Transact(0x02, {}, 1000));
    session.Disconnect();
    EXPECT_EQ("keep me", test::FileBytes(victim));
    EXPECT_TRUE(std::filesystem::is_symlink(LogPath()));
}

} // namespace
} // namespace orlo
