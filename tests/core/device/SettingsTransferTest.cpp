#include "core/device/SettingsTransfer.h"

#include "core/platform/IniDocument.h"
#include "core/settingsfile/SettingsFile.h"
#include "tests/support/FakeConnection.h"
#include "tests/support/FileBytes.h"
#include "tests/support/TempDirectory.h"

#include <algorithm>
#include <atomic>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <map>
#include <thread>

namespace orlo {
namespace {

using test::FakeConnection;
using test::FileNames;
using test::ResponseFrame;
using Bytes = std::vector<std::uint8_t>;

Bytes Rect16(int left, int top, int right, int bottom) {
    Bytes bytes;
    for (int v : {left, top, right, bottom}) {
        bytes.push_back(static_cast<std::uint8_t>(v));
        bytes.push_back(static_cast<std::uint8_t>(v >> 8));
    }
    return bytes;
}

// A sensor whose area mask 3 uses the foot point and whose motion area is unset.
Bytes SensorAnswer(const Bytes& request) {
    const std::uint8_t code = request[1];
    switch (code) {
    case 0x02:
        return ResponseFrame(0x00, {3});
    case 0x6E:
        return ResponseFrame(0x00, {2});
    case 0x06:
        return ResponseFrame(0x00, {0xF4, 0x01, 0, 0, 0, 0, 0, 0});
    case 0x08:
        return ResponseFrame(0x00, {20, 0, 0x40, 0x06, 0, 0, 0, 0, 0, 0, 0, 0});
    case 0x62: {
        const int slot = request[4];
        Bytes mask = slot == 3 ? Rect16(10, 20, 300, 400) : Rect16(-1, -1, -1, -1);
        mask.push_back(slot == 3 ? 0x90 : 0xFF);
        return ResponseFrame(0x00, mask);
    }
    case 0x77:
        return ResponseFrame(0x00, Rect16(-1, -1, -1, -1));
    case 0x18:
        return ResponseFrame(0x00, {0xF4, 0x01});
    case 0x1A:
        return ResponseFrame(0x00, {0xE8, 0x03});
    case 0x0D: {
        Bytes text(20, 0);
        text[0] = 'A';
        return ResponseFrame(0x00, text);
    }
    case 0x64:
        return ResponseFrame(0x00, {1, 0});
    case 0x6A:
        return ResponseFrame(0x00, {2, 3, 4, 0, 5, 6});
    case 0x6C:
        return ResponseFrame(0x00, {7});
    case 0x66:
        return ResponseFrame(0x00, Rect16(100, 100, 1500, 1100));
    case 0x79:
        return ResponseFrame(0x00, Rect16(-1, -1, -1, -1));
    case 0x7B:
        return ResponseFrame(0x00, {27, 28});
    case 0x68: // false-detection rectangle 1 is registered
        return ResponseFrame(0x00, request[4] == 1 ? Rect16(5, 6, 70, 80) : Rect16(-1, -1, -1, -1));
    default:
        return ResponseFrame(0x00);
    }
}

// The sensor above with one command answered differently.
FakeConnection::Responder SensorWith(std::uint8_t code, const Bytes& payload) {
    return [=](const Bytes& request) {
        return request[1] == code ? ResponseFrame(0x00, payload) : SensorAnswer(request);
    };
}

// The command codes sent, from frame `first` on.
std::vector<std::uint8_t> Codes(const FakeConnection& link, std::size_t first = 0) {
    std::vector<std::uint8_t> codes;
    for (std::size_t i = first; i < link.Sent().size(); ++i) {
        codes.push_back(link.Sent()[i][1]);
    }
    return codes;
}

class SettingsTransferTest : public ::testing::Test {
protected:
    test::TempDirectory directory;
    // Declared before the session: the session closes its link when it goes.
    FakeConnection link;
    DeviceSession session{directory.Path()};
    std::filesystem::path target = directory.Path() / "バックアップ.ini";

    void SetUp() override {
        session.Attach(link, ConnectionType::Com);
        link.SetResponder(SensorAnswer);
        session.SetAngleOfView(50);
    }
};

TEST_F(SettingsTransferTest, ExportReadsInOrderAndWritesTheFile) {
    ASSERT_EQ(RC_OK, ExportSettings(session, target));
    std::vector<std::uint8_t> expected = {0x02, 0x6E, 0x06, 0x08};
    expected.insert(expected.end(), 16, 0x62);
    expected.insert(expected.end(), 16, 0x77);
    for (std::uint8_t code : {0x18, 0x1A, 0x0D, 0x64, 0x6A, 0x6C, 0x66, 0x79, 0x7B}) {
        expected.push_back(code);
    }
    expected.insert(expected.end(), 10, 0x68);
    EXPECT_EQ(expected, Codes(link));
    EXPECT_EQ(std::vector<std::string>{target.filename().string()},
              FileNames(directory.Path())); // no leftovers

    SettingsRecord record;
    ASSERT_EQ(0, ReadSettingsFile(target, record));
    EXPECT_EQ(144, record.areaMasks[3].judgeFlag);
    EXPECT_EQ(10, record.areaMasks[3].left);
    EXPECT_EQ(50, record.other12);
    EXPECT_EQ(3, record.camera);
    EXPECT_EQ("A", record.deviceInfo);
    std::ifstream in(target, std::ios::binary);
    const std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    EXPECT_EQ("144", IniDocument::Parse(text).Get("AreaMask4", "JudgeFlag"));
    EXPECT_EQ("5,6,70,80", IniDocument::Parse(text).Get("OrloSetupFalseRect", "Rect2"));
    ASSERT_TRUE(record.falseRects);
    EXPECT_EQ((SettingsFalseRect{1, 5, 6, 70, 80}), (*record.falseRects)[1]);
}

TEST_F(SettingsTransferTest, ImportWritesTheFilesRectanglesToTheirSlots) {
    ASSERT_EQ(RC_OK, ExportSettings(session, target));
    const std::size_t before = link.Sent().size();
    SettingsApplyProgress progress;
    ASSERT_EQ(RC_OK, ImportSettings(session, target, nullptr, &progress));
    std::vector<Bytes> rectangles;
    for (std::size_t i = before; i < link.Sent().size(); ++i) {
        if (link.Sent()[i][1] == 0x67) {
            rectangles.push_back(link.Sent()[i]);
        }
    }
    ASSERT_EQ(10U, rectangles.size());
    for (std::size_t slot = 0; slot < rectangles.size(); ++slot) {
        const Bytes& frame = rectangles[slot];
        EXPECT_EQ(slot, frame[4]);
        const Bytes expected = slot == 1 ? Rect16(5, 6, 70, 80) : Rect16(-1, -1, -1, -1);
        EXPECT_TRUE(std::search(frame.begin(), frame.end(), expected.begin(), expected.end()) != frame.end())
            << "slot " << slot;
    }
    EXPECT_EQ(progress.planned.size(), progress.written);
    EXPECT_EQ("OrloSetupFalseRect.Rect10", progress.planned.back());
}

TEST_F(SettingsTransferTest, AnOlderFileLeavesTheSensorsRectanglesAlone) {
    ASSERT_EQ(RC_OK, ExportSettings(session, target));
    std::string text = test::FileBytes(target);
    text.erase(text.find("[OrloSetupFalseRect]"));
    std::ofstream(target, std::ios::binary | std::ios::trunc) << text;
    const std::size_t before = link.Sent().size();
    ASSERT_EQ(RC_OK, ImportSettings(session, target));
    const std::vector<std::uint8_t> codes = Codes(link, before);
    EXPECT_EQ(0, std::count(codes.begin(), codes.end(), 0x67));
    EXPECT_EQ(0x79, codes.back());
}

TEST_F(SettingsTransferTest, ADamagedRectangleSectionSendsNothing) {
    ASSERT_EQ(RC_OK, ExportSettings(session, target));
    std::string text = test::FileBytes(target);
    const std::size_t at = text.find("Rect2=5,6,70,80");
    ASSERT_NE(std::string::npos, at);
    text.replace(at, std::string("Rect2=5,6,70,80").size(), "Rect2=5,6,70");
    std::ofstream(target, std::ios::binary | std::ios::trunc) << text;
    const std::size_t before = link.Sent().size();
    SettingsFileProblem problem;
    EXPECT_EQ(RC_SETTINGS_FILE, ImportSettings(session, target, &problem));
    EXPECT_EQ("OrloSetupFalseRect.Rect2", problem.key);
    EXPECT_EQ(before, link.Sent().size());
}

TEST_F(SettingsTransferTest, FailedExportLeavesTheTargetAlone) {
    std::ofstream(target) << "old backup";
    link.SetResponder([](const Bytes& request) {
        return request[1] == 0x7B ? ResponseFrame(0x50) : SensorAnswer(request);
    });
    EXPECT_EQ(RC_SETTINGS_ABNORMAL, ExportSettings(session, target));
    std::ifstream in(target);
    EXPECT_EQ("old backup",
              std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()));
    EXPECT_EQ(std::vector<std::string>{target.filename().string()},
              FileNames(directory.Path())); // no leftovers

    link.SetResponder(SensorAnswer);
    EXPECT_EQ(-1, ExportSettings(session, directory.Path() / "missing-dir" / "x.ini"));
}

TEST_F(SettingsTransferTest, ImportWritesInOrderThenRefreshesCacheAndPortrait) {
    ASSERT_EQ(RC_OK, ExportSettings(session, target));
    const std::size_t before = link.Sent().size();
    session.SetAngleOfView(90);
    session.SetPortrait(0);

    ASSERT_EQ(RC_OK, ImportSettings(session, target));
    std::vector<std::uint8_t> expected = {0x01, 0x6D, 0x05, 0x07};
    expected.insert(expected.end(), 16, 0x61);
    expected.insert(expected.end(), 16, 0x76);
    for (std::uint8_t code : {0x17, 0x19, 0x0C, 0x63, 0x69, 0x6B, 0x65, 0x78, 0x7A}) {
        expected.push_back(code);
    }
    expected.insert(expected.end(), 10, 0x67);
    expected.push_back(0x66);
    expected.push_back(0x79);
    EXPECT_EQ(expected, Codes(link, before));
    // The judge byte travels raw.
    EXPECT_EQ(0x90, link.Sent()[before + 4 + 3].back());
    EXPECT_EQ(3, link.Sent()[before + 4 + 3][4]);
    EXPECT_EQ(50, session.AngleOfView());
    EXPECT_EQ(1, session.Portrait());
    EXPECT_EQ((Rect{100, 100, 1500, 1100}), session.DetectionAreaCache()[0]);
}

TEST_F(SettingsTransferTest, ImportStopsAtTheFirstFailureAndKeepsPortraitAndCache) {
    ASSERT_EQ(RC_OK, ExportSettings(session, target));
    link.SetResponder([](const Bytes& request) {
        return request[1] == 0x7A ? ResponseFrame(0xF3) : SensorAnswer(request);
    });
    session.SetPortrait(0);
    session.DetectionAreaCache()[0] = UNSET_RECT;
    const std::size_t before = link.Sent().size();
    EXPECT_EQ(-0xF3, ImportSettings(session, target));
    EXPECT_EQ(0x7A, link.Sent().back()[1]);
    EXPECT_EQ(before + 45, link.Sent().size()); // every write up to and including 0x7A
    EXPECT_EQ(0, session.Portrait());
    EXPECT_EQ(UNSET_RECT, session.DetectionAreaCache()[0]);
}

TEST_F(SettingsTransferTest, ImportFailingAtItsFirstWriteKeepsTheAngleOfView) {
    ASSERT_EQ(RC_OK, ExportSettings(session, target)); // the file's angle of view is 50
    session.SetAngleOfView(90);
    link.SetResponder([](const Bytes& request) {
        return request[1] == 0x01 ? ResponseFrame(0x05) : SensorAnswer(request);
    });
    const std::size_t before = link.Sent().size();
    EXPECT_EQ(-5, ImportSettings(session, target));
    EXPECT_EQ(before + 1, link.Sent().size());
    EXPECT_EQ(90, session.AngleOfView());
}

// The user gives up while the third area mask is being written: that write finishes, nothing more
// is sent, the progress names what the sensor holds, and the link stays open to read it back.
TEST_F(SettingsTransferTest, ACancelledImportStopsBeforeTheNextWriteAndNamesWhatItWrote) {
    ASSERT_EQ(RC_OK, ExportSettings(session, target));
    link.SetResponder([this](const Bytes& request) {
        if (request[1] == 0x61 && request[4] == 2) {
            session.Abort();
        }
        return SensorAnswer(request);
    });
    session.SetPortrait(0);
    const std::size_t before = link.Sent().size();
    SettingsApplyProgress progress;
    EXPECT_EQ(RC_CANCELLED, ImportSettings(session, target, nullptr, &progress));
    EXPECT_EQ(before + 7, link.Sent().size()); // four values and three area masks
    EXPECT_EQ("Camera.Camera to AreaMask3", progress.Written());
    EXPECT_EQ("AreaMask4 to OrloSetupFalseRect.Rect10", progress.NotWritten());
    EXPECT_EQ(56U, progress.Total()); // the backup holds the ten false-detection rectangles too
    EXPECT_EQ(0, session.Portrait());
    ASSERT_TRUE(session.IsConnected());

    session.ClearAbort();
    link.SetResponder(SensorAnswer);
    EXPECT_EQ(RC_OK, ExportSettings(session, target));
}

TEST_F(SettingsTransferTest, ExportWritesThroughATemporaryFileOfItsOwn) {
    // Another export's temporary file, or a backup that happens to be called so.
    const std::filesystem::path tmp = directory.Path() / "tmp.ini";
    std::ofstream(tmp) << "someone else's file";
    ASSERT_EQ(RC_OK, ExportSettings(session, target));
    EXPECT_EQ("someone else's file", test::FileBytes(tmp));

    std::filesystem::remove(tmp);
    ASSERT_EQ(RC_OK, ExportSettings(session, tmp));
    SettingsRecord record;
    EXPECT_EQ(0, ReadSettingsFile(tmp, record));
    EXPECT_EQ((std::vector<std::string>{"tmp.ini", target.filename().string()}), FileNames(directory.Path()));
}

TEST_F(SettingsTransferTest, ParallelExportsIntoOneFolderEachKeepTheirSensor) {
    FakeConnection otherLink;
    DeviceSession other{directory.Path()};
    other.Attach(otherLink, ConnectionType::Lan);
    Bytes otherText(20, 0);
    otherText[0] = 'B';
    otherLink.SetResponder(SensorWith(0x0D, otherText));
    const std::filesystem::path otherTarget = directory.Path() / "other.ini";
    std::atomic<int> failures{0};
    const auto exportMany = [&](DeviceSession& from, const std::filesystem::path& to,
                                const std::string& text) {
        for (int round = 0; round < 25; ++round) {
            SettingsRecord record;
            if (ExportSettings(from, to) != RC_OK || ReadSettingsFile(to, record) != 0 ||
                record.deviceInfo != text) {
                ++failures;
            }
        }
    };
    std::thread second([&] { exportMany(other, otherTarget, "B"); });
    exportMany(session, target, "A");
    second.join();
    EXPECT_EQ(0, failures);
}

TEST_F(SettingsTransferTest, ABackupThatWouldNotRestoreIsNotWritten) {
    std::ofstream(target) << "old backup";
    link.SetResponder(SensorWith(0x7B, {0, 28})); // Other27 of 0 reads as a missing key
    SettingsFileProblem problem;
    EXPECT_EQ(-1, ExportSettings(session, target, &problem));
    EXPECT_EQ(SettingsFileProblem::Cause::RejectedValue, problem.cause);
    EXPECT_EQ("Other.Other27", problem.key);
    EXPECT_EQ("0", problem.value);
    EXPECT_EQ("old backup", test::FileBytes(target));
    EXPECT_EQ(std::vector<std::string>{target.filename().string()}, FileNames(directory.Path()));
}

TEST_F(SettingsTransferTest, SensorTextBytesSurviveABackupAndARestore) {
    // Never set (0xFF throughout), and cut inside a double-byte character at byte 20.
    Bytes halfCharacter(19, 'a');
    halfCharacter.push_back(0x82);
    for (const Bytes& text : {Bytes(20, 0xFF), halfCharacter}) {
        link.SetResponder(SensorWith(0x0D, text));
        ASSERT_EQ(RC_OK, ExportSettings(session, target));
        const std::size_t before = link.Sent().size();
        ASSERT_EQ(RC_OK, ImportSettings(session, target));
        const auto sent =
            std::find_if(link.Sent().begin() + static_cast<std::ptrdiff_t>(before), link.Sent().end(),
                         [](const Bytes& frame) { return frame[1] == 0x0C; });
        ASSERT_NE(link.Sent().end(), sent);
        EXPECT_EQ(text, Bytes(sent->begin() + 4, sent->end()));
    }
}

TEST_F(SettingsTransferTest, ImportNeverSendsATextItCouldNotRead) {
    ASSERT_EQ(RC_OK, ExportSettings(session, target));
    IniDocument document = IniDocument::Parse(test::FileBytes(target));
    document.Set("System", "DeviceInfo", "\xE2\x82\xAC"); // the euro sign, which CP932 has no code for
    std::ofstream(target, std::ios::binary | std::ios::trunc) << "\xEF\xBB\xBF" << document.Serialize();
    const std::size_t before = link.Sent().size();
    SettingsFileProblem problem;
    EXPECT_EQ(RC_SETTINGS_FILE, ImportSettings(session, target, &problem));
    EXPECT_EQ("System.DeviceInfo", problem.key);
    EXPECT_EQ(before, link.Sent().size());
}

TEST_F(SettingsTransferTest, UnreadableFileSendsNothing) {
    ASSERT_EQ(RC_OK, ExportSettings(session, target));
    std::ifstream in(target, std::ios::binary);
    std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    const auto at = text.find("Other28=");
    ASSERT_NE(std::string::npos, at);
    text.erase(at, text.find('\n', at) - at + 1); // one key missing
    std::ofstream(target, std::ios::binary | std::ios::trunc) << text;
    const std::size_t before = link.Sent().size();
    EXPECT_EQ(RC_SETTINGS_FILE, ImportSettings(session, target));
    EXPECT_EQ(RC_SETTINGS_FILE, ImportSettings(session, directory.Path()));
    EXPECT_EQ(before, link.Sent().size());

    session.Disconnect();
    EXPECT_EQ(RC_NO_LINK, ImportSettings(session, target));
    EXPECT_EQ(RC_NO_LINK, ExportSettings(session, target));
}

} // namespace
} // namespace orlo
