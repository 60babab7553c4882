#include "core/device/DetectionCommands.h"

#include "core/device/Wire.h"

#include <algorithm>
#include <array>

namespace orlo {

namespace {

constexpr std::uint8_t CMD_EXECUTE_DETECTION = 0x03;
constexpr std::size_t RecordSize = 10;
constexpr std::size_t BlockSize = 16'384;
constexpr std::size_t BlockEntrySize = 4 + BlockSize;

// Rows: 9600, 38400, 115200, 230400, 460800; columns: image kind 0, 1, 2.
constexpr std::array<std::array<int, 3>, 5> TimeoutTable = {{
    {2000, 90000, 25000},
    {1000, 25000, 6000},
    {1000, 7000, 2000},
    {1000, 4000, 1000},
    {1000, 2000, 1000},
}};
constexpr std::array<std::uint32_t, 5> TableRates = {9600, 38400, 115200, 230400, 460800};

int ImageKindOf(std::uint8_t imageCode) {
    return imageCode & 0x0F;
}
bool AsksForBlocks(std::uint8_t imageCode) {
    return (imageCode & 0xF0) == IMAGE_CODE_BLOCKS;
}

std::size_t MinimumForKind(int imageKind) {
    switch (imageKind) {
    case 1:
        return 76'810;
    case 2:
        return 19'210;
    default:
        return 6;
    }
}

// The longest payload a detection can use: 255 records, the largest picture the image buffer takes
// and the blocks asked for.
std::uint32_t UsefulLength(std::uint8_t imageCode, std::uint16_t functionFlags) {
    std::size_t length = 4 + RecordSize * 255 + 2;
    if (ImageKindOf(imageCode) != 0) {
        length += 4 + DeviceSession::ImageBufferSize;
    }
    if (AsksForBlocks(imageCode)) {
        length += (functionFlags & FUNCTION_BLOCK_2000 ? BlockEntrySize : 0) +
                  (functionFlags & FUNCTION_MOTION_DETECTION ? BlockEntrySize : 0);
    }
    return static_cast<std::uint32_t>(length);
}

int NormalisedKind(int imageKind) {
    return imageKind == 1 || imageKind == 2 ? imageKind : 0;
}

} // namespace

DetectionResult DetectionResult::FromRecord(const DetectionRecord& record) {
    return {record.left,
            record.top,
            record.right,
            record.bottom,
            record.value,
            static_cast<std::uint8_t>((record.exclusionBits >> 15) & 1),
            static_cast<std::uint8_t>((record.exclusionBits >> 14) & 1),
            static_cast<std::uint8_t>((record.exclusionBits >> 13) & 1)};
}

int DetectionTableMs(std::uint32_t baudRate, int imageKind) {
    const auto found = std::find(TableRates.begin(), TableRates.end(), baudRate);
    const std::size_t row =
        found == TableRates.end() ? 0 : static_cast<std::size_t>(found - TableRates.begin());
    return TimeoutTable[row][static_cast<std::size_t>(NormalisedKind(imageKind))];
}

int DetectionTimeoutMs(std::uint32_t baudRate, int imageKind) {
    return DetectionTableMs(baudRate, imageKind) * 4 + 20'000;
}

ResultCode ExecuteDetection(DeviceSession& session, int timeoutMs, std::uint8_t imageCode,
                            std::uint16_t functionFlags, DetectionOutput& output,
                            std::uint8_t* imageDestination,
                            std::span<std::uint8_t* const> blockDestinations) {
    const ResultCode result = session.Transact(CMD_EXECUTE_DETECTION,
                                               wire::PayloadBuilder().U16(functionFlags).U8(imageCode).Span(),
                                               timeoutMs, UsefulLength(imageCode, functionFlags));
    if (result != RC_OK) {
        return result;
    }
    const std::span<const std::uint8_t> payload = session.ResponsePayload();
    const int kind = ImageKindOf(imageCode);
    std::size_t minimum = MinimumForKind(kind);
    if (AsksForBlocks(imageCode)) {
        minimum += (functionFlags & FUNCTION_BLOCK_2000 ? BlockEntrySize : 0) +
                   (functionFlags & FUNCTION_MOTION_DETECTION ? BlockEntrySize : 0);
    }
    if (payload.size() < minimum) {
        return RC_SHORT_RESPONSE;
    }
    const std::size_t count = payload[0];
    if (payload.size() < minimum + RecordSize * count) {
        return RC_SHORT_RESPONSE;
    }

    DetectionOutput decoded;
    decoded.stateByte = payload[2];
    decoded.records.reserve(count);
    for (std::size_t i = 0; i < count; ++i) {
        const std::size_t at = 4 + RecordSize * i;
        const std::uint16_t info = wire::U16(payload, at + 8);
        decoded.records.push_back({wire::S16(payload, at), wire::S16(payload, at + 2),
                                   wire::S16(payload, at + 4), wire::S16(payload, at + 6),
                                   static_cast<std::uint16_t>(info & 0xE000),
                                   static_cast<std::uint16_t>(info & 0x03FF)});
    }
    const std::size_t checksumAt = 4 + RecordSize * count;
    std::uint16_t sum = 0;
    for (std::size_t i = 0; i < checksumAt; ++i) {
        sum = static_cast<std::uint16_t>(sum + payload[i]);
    }
    if (sum != wire::U16(payload, checksumAt)) {
        return RC_CHECKSUM;
    }

    if (imageDestination != nullptr) {
        std::size_t position = checksumAt + 2;
        if (kind != 0) {
            if (payload.size() < position + 4) {
                return RC_SHORT_RESPONSE;
            }
            decoded.width = wire::U16(payload, position);
            decoded.height = wire::U16(payload, position + 2);
            const std::size_t pixels = std::size_t{decoded.width} * decoded.height;
            if (pixels > DeviceSession::ImageBufferSize || payload.size() < position + 4 + pixels) {
                return RC_SHORT_RESPONSE;
            }
            std::copy_n(payload.begin() + static_cast<std::ptrdiff_t>(position + 4), pixels,
                        imageDestination);
            position += 4 + pixels;
        }
        if (AsksForBlocks(imageCode) && (functionFlags & FUNCTION_MOTION_DETECTION)) {
            if (blockDestinations.empty() || payload.size() < position + BlockEntrySize) {
                return RC_SHORT_RESPONSE;
            }
            std::copy_n(payload.begin() + static_cast<std::ptrdiff_t>(position + 4), BlockSize,
                        blockDestinations.front());
        }
    }
    output = std::move(decoded);
    return RC_OK;
}

ResultCode CaptureImage(DeviceSession& session, int timeoutMs, int imageKind, std::uint16_t& width,
                        std::uint16_t& height, std::uint8_t* imageDestination) {
    std::span<const std::uint8_t> payload;
    const auto code = static_cast<std::uint8_t>(imageKind);
    const std::uint32_t useful = imageKind == 0 ? 6 : 10 + DeviceSession::ImageBufferSize;
    const ResultCode result = session.TransactRead(
        CMD_EXECUTE_DETECTION, wire::PayloadBuilder().U16(0).U8(code).Span(),
        static_cast<std::uint32_t>(MinimumForKind(imageKind)), timeoutMs, payload, useful);
    if (result != RC_OK || imageKind == 0) {
        return result;
    }
    const std::uint16_t w = wire::U16(payload, 6);
    const std::uint16_t h = wire::U16(payload, 8);
    const std::size_t pixels = std::size_t{w} * h;
    if (pixels > DeviceSession::ImageBufferSize || payload.size() < 10 + pixels) {
        return RC_SHORT_RESPONSE;
    }
    std::copy_n(payload.begin() + 10, pixels, imageDestination);
    width = w;
    height = h;
    return RC_OK;
}

ResultCode DetectOnce(DeviceSession& session, int imageKind, bool wantBlocks, std::uint16_t functionFlags,
                      std::vector<DetectionResult>& results, bool& indicator, CImageData& image,
                      std::vector<CImageData>& blocks) {
    if (!session.IsConnected()) {
        return RC_NO_LINK;
    }
    const int kind = NormalisedKind(imageKind);
    const auto imageCode = static_cast<std::uint8_t>(kind | (wantBlocks ? IMAGE_CODE_BLOCKS : 0));
    DetectionOutput output;
    const std::vector<std::uint8_t*> blockBuffers = session.BlockBuffers();
    const ResultCode result =
        ExecuteDetection(session, DetectionTimeoutMs(session.BaudRate(), kind), imageCode, functionFlags,
                         output, session.ImageBuffer(), blockBuffers);
    if (result != RC_OK) {
        return result;
    }
    CImageData picture;
    if (kind != 0 && picture.ImageData(output.width, output.height, ImageFormat::Grey8, true,
                                       {session.ImageBuffer(), std::size_t{output.width} * output.height}) !=
                         ImageStatus::Ok) {
        return RC_SHORT_RESPONSE;
    }
    CImageData block;
    const bool withBlock = wantBlocks && (functionFlags & FUNCTION_MOTION_DETECTION);
    if (withBlock && block.ImageData(BLOCK_SIDE, BLOCK_SIDE, ImageFormat::Grey8, true,
                                     {blockBuffers.front(), BlockSize}) != ImageStatus::Ok) {
        return RC_SHORT_RESPONSE;
    }
    for (const DetectionRecord& record : output.records) {
        results.push_back(DetectionResult::FromRecord(record));
    }
    indicator = output.stateByte == 1 || output.stateByte == 2;
    if (kind != 0) {
        image = std::move(picture);
    }
    if (withBlock) {
        blocks.push_back(std::move(block));
    }
    return RC_OK;
}

ResultCode AcquireImage(DeviceSession& session, int imageKind, CImageData& image) {
    if (!session.IsConnected()) {
        return RC_NO_LINK;
    }
    const int kind = NormalisedKind(imageKind);
    std::uint16_t width = 0;
    std::uint16_t height = 0;
    const ResultCode result = CaptureImage(session, DetectionTimeoutMs(session.BaudRate(), kind), kind, width,
                                           height, session.ImageBuffer());
    if (result != RC_OK) {
        return result;
    }
    CImageData picture;
    if (kind != 0 &&
        picture.ImageData(width, height, ImageFormat::Grey8, true,
                          {session.ImageBuffer(), std::size_t{width} * height}) != ImageStatus::Ok) {
        return RC_SHORT_RESPONSE;
    }
    image = std::move(picture);
    return RC_OK;
}

} // namespace orlo
