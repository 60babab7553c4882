#include "core/device/DetectionCommands.h"

#include "tests/support/FakeConnection.h"
#include "tests/support/TempDirectory.h"

#include <gtest/gtest.h>

namespace orlo {
namespace {

using test::FakeConnection;
using test::ResponseFrame;
using Bytes = std::vector<std::uint8_t>;

void PutU16(Bytes& bytes, std::uint16_t value) {
    bytes.push_back(static_cast<std::uint8_t>(value));
    bytes.push_back(static_cast<std::uint8_t>(value >> 8));
}

struct Record {
    std::int16_t left, top, right, bottom;
    std::uint16_t info;
};

// A detection payload as the sensor builds it.
Bytes DetectionPayload(const std::vector<Record>& records, std::uint8_t state, int width, int height,
                       int blocks, std::uint8_t pixel = 0x40) {
    Bytes payload{static_cast<std::uint8_t>(records.size()), 0x00, state, 0x00};
    for (const Record& r : records) {
        PutU16(payload, static_cast<std::uint16_t>(r.left));
        PutU16(payload, static_cast<std::uint16_t>(r.top));
        PutU16(payload, static_cast<std::uint16_t>(r.right));
        PutU16(payload, static_cast<std::uint16_t>(r.bottom));
        PutU16(payload, r.info);
    }
    std::uint16_t sum = 0;
    for (std::uint8_t b : payload) {
        sum = static_cast<std::uint16_t>(sum + b);
    }
    PutU16(payload, sum);
    if (width > 0) {
        PutU16(payload, static_cast<std::uint16_t>(width));
        PutU16(payload, static_cast<std::uint16_t>(height));
        payload.insert(payload.end(), static_cast<std::size_t>(width * height), pixel);
    }
    for (int i = 0; i < blocks; ++i) {
        payload.insert(payload.end(), 4, 0xEE);
        for (int j = 0; j < 16384; ++j) {
            payload.push_back(static_cast<std::uint8_t>(j + i));
        }
    }
    return payload;
}

class DetectionCommandsTest : public ::testing::Test {
protected:
    test::TempDirectory directory;
    // Declared before the session: the session closes its link when it goes.
    FakeConnection link;
    DeviceSession session{directory.Path()};
    std::vector<DetectionResult> results;
    bool indicator = false;
    CImageData image;
    std::vector<CImageData> blocks;

    void SetUp() override { session.Attach(link, ConnectionType::Lan); }
};

TEST(DetectionTimeouts, TableAndFormula) {
    EXPECT_EQ(48000, DetectionTimeoutMs(115200, 1));
    EXPECT_EQ(24000, DetectionTimeoutMs(460800, 2));
    EXPECT_EQ(380000, DetectionTimeoutMs(9600, 1));
    EXPECT_EQ(28000, DetectionTimeoutMs(9600, 0));
    EXPECT_EQ(120000, DetectionTimeoutMs(38400, 1));
    EXPECT_EQ(36000, DetectionTimeoutMs(230400, 1));
    EXPECT_EQ(DetectionTimeoutMs(9600, 2), DetectionTimeoutMs(57600, 2)); // unknown rate: first row
}

TEST_F(DetectionCommandsTest, DetectOnceDecodesRecordsPictureAndBlock) {
    link.QueueResponse(ResponseFrame(
        0x00,
        DetectionPayload({{100, 200, 300, 400, 0x0005}, {-5, 0, 1599, 1199, 0xE3FF}, {1, 2, 3, 4, 0x1C05}}, 1,
                         320, 240, 1)));
    ASSERT_EQ(RC_OK,
              DetectOnce(session, 1, true, FUNCTION_MOTION_DETECTION, results, indicator, image, blocks));
    EXPECT_EQ((Bytes{0xFE, 0x03, 0x03, 0x00, 0x00, 0x40, 0x21}), link.Sent().back());
    EXPECT_EQ(48000, link.Waits().back().timeoutMs);

    ASSERT_EQ(3u, results.size());
    EXPECT_EQ((DetectionResult{100, 200, 300, 400, 5, 0, 0, 0}), results[0]);
    EXPECT_EQ((DetectionResult{-5, 0, 1599, 1199, 1023, 1, 1, 1}), results[1]);
    EXPECT_EQ((DetectionResult{1, 2, 3, 4, 5, 0, 0, 0}), results[2]); // bits 10-12 ignored
    EXPECT_TRUE(indicator);
    ASSERT_EQ(320, image.Width());
    ASSERT_EQ(240, image.Height());
    EXPECT_EQ(ImageFormat::Grey8, image.Format());
    EXPECT_EQ(0x40, image.Row(239)[319]);
    ASSERT_EQ(1u, blocks.size());
    EXPECT_EQ(128, blocks[0].Width());
    EXPECT_EQ(static_cast<std::uint8_t>(16383), blocks[0].Row(127)[127]);
}

TEST_F(DetectionCommandsTest, MinimumLengthsAndChecksum) {
    // No records, no image: the 4-byte head and its checksum.
    link.QueueResponse(ResponseFrame(0x00, {0, 0, 0, 0, 0, 0}));
    ASSERT_EQ(RC_OK, DetectOnce(session, 0, false, 1, results, indicator, image, blocks));
    link.QueueResponse(ResponseFrame(0x00, {0, 0, 3, 0, 3, 0}));
    ASSERT_EQ(RC_OK, DetectOnce(session, 0, false, 1, results, indicator, image, blocks));
    EXPECT_FALSE(indicator); // state byte 3
    EXPECT_EQ(0, image.Width());

    // Three records need minimum + 30 bytes.
    auto payload = DetectionPayload({{1, 1, 2, 2, 0}, {1, 1, 2, 2, 0}, {1, 1, 2, 2, 0}}, 2, 0, 0, 0);
    ASSERT_EQ(36u, payload.size());
    auto shortened = payload;
    shortened.pop_back();
    link.QueueResponse(ResponseFrame(0x00, shortened));
    EXPECT_EQ(RC_SHORT_RESPONSE, DetectOnce(session, 0, false, 1, results, indicator, image, blocks));
    link.QueueResponse(ResponseFrame(0x00, payload));
    EXPECT_EQ(RC_OK, DetectOnce(session, 0, false, 1, results, indicator, image, blocks));
    EXPECT_TRUE(indicator);

    payload[5] ^= 0x01;
    link.QueueResponse(ResponseFrame(0x00, payload));
    results.clear();
    EXPECT_EQ(RC_CHECKSUM, DetectOnce(session, 0, false, 1, results, indicator, image, blocks));
    EXPECT_TRUE(results.empty());
}

TEST_F(DetectionCommandsTest, ChecksumWrapsAt16Bits) {
    std::vector<Record> records(30, Record{-1, -1, -1, -1, 0xFFFF}); // bytes sum past 65,535
    link.QueueResponse(ResponseFrame(0x00, DetectionPayload(records, 0, 0, 0, 0)));
    EXPECT_EQ(RC_OK, DetectOnce(session, 0, false, 1, results, indicator, image, blocks));
    EXPECT_EQ(30u, results.size());
}

TEST_F(DetectionCommandsTest, BothBlockFunctionsNeedRoomForTwoBlocks) {
    auto payload = DetectionPayload({}, 0, 320, 240, 2);
    ASSERT_EQ(76810u + 2 * 16388u, payload.size());
    DetectionOutput output;
    std::vector<std::uint8_t> block(16384);
    std::uint8_t* blockDestinations[] = {block.data()};
    link.QueueResponse(ResponseFrame(0x00, Bytes(payload.begin(), payload.end() - 1)));
    EXPECT_EQ(RC_SHORT_RESPONSE, ExecuteDetection(session, 1000, 0x21, 0x6000, output, session.ImageBuffer(),
                                                  blockDestinations));
    link.QueueResponse(ResponseFrame(0x00, payload));
    ASSERT_EQ(RC_OK, ExecuteDetection(session, 1000, 0x21, 0x6000, output, session.ImageBuffer(),
                                      blockDestinations));
    EXPECT_EQ(0, block[0]); // the first block after the picture
}

TEST_F(DetectionCommandsTest, PictureSizeFromTheSensorIsChecked) {
    // Claims 400 x 240 (96,000 bytes): more than the picture buffer holds.
    auto payload = DetectionPayload({}, 0, 400, 240, 0);
    link.QueueResponse(ResponseFrame(0x00, payload));
    EXPECT_EQ(RC_SHORT_RESPONSE, DetectOnce(session, 1, false, 1, results, indicator, image, blocks));

    // Claims 320 x 240 but carries fewer pixels than that (kind 2 minimum only).
    payload = DetectionPayload({}, 0, 160, 120, 0);
    payload[6] = 0x40;
    payload[7] = 0x01; // width 320
    link.QueueResponse(ResponseFrame(0x00, payload));
    EXPECT_EQ(RC_SHORT_RESPONSE, DetectOnce(session, 2, false, 1, results, indicator, image, blocks));
    EXPECT_EQ(0, image.Width());
}

TEST_F(DetectionCommandsTest, AbnormalStatusAndDisconnectedSession) {
    link.QueueResponse(ResponseFrame(0x50, DetectionPayload({{1, 1, 2, 2, 0}}, 1, 0, 0, 0)));
    EXPECT_EQ(RC_SETTINGS_ABNORMAL, DetectOnce(session, 0, false, 1, results, indicator, image, blocks));
    EXPECT_TRUE(results.empty());

    link.QueueResponse(ResponseFrame(0x50));
    EXPECT_EQ(RC_SETTINGS_ABNORMAL, AcquireImage(session, 0, image));
    EXPECT_EQ((Bytes{0xFE, 0x03, 0x03, 0x00, 0x00, 0x00, 0x00}), link.Sent().back());

    session.Disconnect();
    EXPECT_EQ(RC_NO_LINK, DetectOnce(session, 1, false, 1, results, indicator, image, blocks));
    EXPECT_EQ(RC_NO_LINK, AcquireImage(session, 1, image));
}

TEST_F(DetectionCommandsTest, AcquireImageReadsThePictureWithoutChecksum) {
    auto payload = DetectionPayload({}, 0, 160, 120, 0, 0x77);
    payload[4] = 0x12; // checksum not tested for a picture
    link.QueueResponse(ResponseFrame(0x00, payload));
    ASSERT_EQ(RC_OK, AcquireImage(session, 2, image));
    EXPECT_EQ(160, image.Width());
    EXPECT_EQ(0x77, image.Row(0)[0]);
    EXPECT_EQ(24000, DetectionTimeoutMs(460800, 2));

    payload.pop_back();
    link.QueueResponse(ResponseFrame(0x00, payload));
    EXPECT_EQ(RC_SHORT_RESPONSE, AcquireImage(session, 2, image));
    EXPECT_EQ(160, image.Width()); // kept
}

} // namespace
} // namespace orlo
