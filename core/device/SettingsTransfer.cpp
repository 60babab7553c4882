#include "core/device/SettingsTransfer.h"

#include "core/device/DetectionSettingsCommands.h"
#include "core/device/SystemCommands.h"
#include "core/platform/FileIo.h"
#include "core/settingsfile/SettingsFile.h"

namespace orlo {

namespace {

constexpr int Timeout = DeviceSession::CommandTimeoutMs;

Rect ToRect(const std::array<std::int32_t, 4>& edges) {
    return {edges[0], edges[1], edges[2], edges[3]};
}

std::array<std::int32_t, 4> ToEdges(const Rect& rect) {
    return {rect.left, rect.top, rect.right, rect.bottom};
}

// Runs steps in order until one fails.
class Sequence {
public:
    template <typename Step>
    Sequence& Then(Step step) {
        if (result_ == RC_OK) {
            result_ = step();
        }
        return *this;
    }
    ResultCode Result() const { return result_; }

private:
    ResultCode result_ = RC_OK;
};

// The apply's writes in order, each named by the settings file keys it takes.
std::vector<std::string> ApplyStepNames(const SettingsRecord& record) {
    std::vector<std::string> names = {write_name::MountingDirection, write_name::OperatingMode,
                                      write_name::Threshold, write_name::SizeMask};
    for (int slot = 0; slot < 16; ++slot) {
        names.push_back(write_name::AreaMask(slot));
    }
    for (int slot = 0; slot < 16; ++slot) {
        names.push_back(write_name::MotionMask(slot));
    }
    for (const char* name :
         {write_name::UsbSendTimeout, write_name::UsbReceiveTimeout, "System.DeviceInfo", "Other.Other01",
          "Other.Other02-Other06", "Other.Other07", write_name::HumanDetectionArea, "Other.Other12",
          write_name::MotionDetectionArea, "Other.Other27/Other28"}) {
        names.emplace_back(name);
    }
    if (record.falseRects) {
        for (const SettingsFalseRect& rect : *record.falseRects) {
            names.push_back("OrloSetupFalseRect.Rect" + std::to_string(rect.number + 1));
        }
    }
    return names;
}

} // namespace

ResultCode ReadSettingsRecord(DeviceSession& session, SettingsRecord& record) {
    if (!session.IsConnected()) {
        return RC_NO_LINK;
    }
    SettingsRecord read;
    Sequence sequence;
    sequence.Then([&] { return GetMountingDirection(session, Timeout, read.camera); })
        .Then([&] { return GetOperatingMode(session, Timeout, read.mode); })
        .Then([&] { return GetThreshold(session, Timeout, read.threshold); })
        .Then([&] {
            SizeMask sizeMask;
            const ResultCode result = GetSizeMask(session, Timeout, sizeMask);
            read.sizeMin = sizeMask.minimum;
            read.sizeMax = sizeMask.maximum;
            return result;
        });
    for (std::uint32_t slot = 0; slot < read.areaMasks.size(); ++slot) {
        sequence.Then([&] {
            Rect rect;
            SettingsAreaMask& mask = read.areaMasks[slot];
            const ResultCode result =
                GetAreaMask(session, Timeout, static_cast<int>(slot), rect, mask.judgeFlag);
            mask = {slot, rect.left, rect.top, rect.right, rect.bottom, mask.judgeFlag};
            return result;
        });
    }
    for (std::uint32_t slot = 0; slot < read.motionMasks.size(); ++slot) {
        sequence.Then([&] {
            Rect rect;
            const ResultCode result = GetMotionMask(session, Timeout, static_cast<int>(slot), rect);
            read.motionMasks[slot] = {slot, rect.left, rect.top, rect.right, rect.bottom};
            return result;
        });
    }
    sequence.Then([&] { return GetUsbSendTimeout(session, Timeout, read.usbSendTimeout); })
        .Then([&] { return GetUsbReceiveTimeout(session, Timeout, read.usbReceiveTimeout); })
        .Then([&] { return GetDeviceInfoBytes(session, Timeout, read.deviceInfo); })
        .Then([&] { return GetOther01(session, Timeout, read.other01); })
        .Then([&] {
            Other02To06 others;
            const ResultCode result = GetOther02To06(session, Timeout, others);
            read.other02 = others.other02;
            read.other03 = others.other03;
            read.other04 = others.other04;
            read.other05 = others.other05;
            read.other06 = others.other06;
            return result;
        })
        .Then([&] {
            std::uint8_t other07 = 0;
            const ResultCode result = GetOther07(session, Timeout, other07);
            read.other07 = other07;
            return result;
        })
        .Then([&] {
            Rect area;
            const ResultCode result = GetHumanDetectionArea(session, Timeout, area);
            read.other08To11 = ToEdges(area);
            read.other12 = session.AngleOfView();
            return result;
        })
        .Then([&] {
            Rect area;
            const ResultCode result = GetMotionDetectionArea(session, Timeout, area);
            read.other23To26 = ToEdges(area);
            return result;
        })
        .Then([&] {
            Other27To28 pair;
            const ResultCode result = GetOther27To28(session, Timeout, pair);
            read.other27 = pair.other27;
            read.other28 = pair.other28;
            return result;
        })
        .Then([&] {
            std::vector<CFalseRectArea> records;
            if (const ResultCode result = ReadFalseRects(session, records); result != RC_OK) {
                return result;
            }
            SettingsFalseRects rects{};
            for (std::uint32_t slot = 0; slot < rects.size() && slot < records.size(); ++slot) {
                const Rect rect = records[slot].GetRect();
                rects[slot] = {slot, rect.left, rect.top, rect.right, rect.bottom};
            }
            read.falseRects = rects;
            return RC_OK;
        });
    if (sequence.Result() == RC_OK) {
        record = std::move(read);
    }
    return sequence.Result();
}

ResultCode ExportSettings(DeviceSession& session, const std::filesystem::path& path,
                          SettingsFileProblem* problem) {
    SettingsRecord record;
    if (const ResultCode result = ReadSettingsRecord(session, record); result != RC_OK) {
        return result;
    }
    SettingsFileProblem found;
    const auto bytes = NewSettingsFile(record, &found);
    // The written file must read back as the import reads it, before it takes the target's place.
    const auto restores = [&](const std::filesystem::path& written) {
        SettingsRecord restored;
        return ReadSettingsFile(written, restored, &found) == 0;
    };
    std::error_code writeError;
    if (!bytes || !WriteFileAtomically(path, *bytes, &writeError, restores)) {
        if (writeError) {
            found = {SettingsFileProblem::Cause::File, {}, {}, writeError, 0, {}};
        }
        if (problem != nullptr) {
            *problem = found;
        }
        return -1;
    }
    return RC_OK;
}

ResultCode ExportSettingsText(DeviceSession& session, std::string& bytes, SettingsFileProblem* problem) {
    SettingsRecord record;
    if (const ResultCode result = ReadSettingsRecord(session, record); result != RC_OK) {
        return result;
    }
    SettingsFileProblem found;
    auto made = NewSettingsFile(record, &found);
    SettingsRecord restored;
    if (!made || ReadSettingsText(*made, restored, &found) != 0) {
        if (problem != nullptr) {
            *problem = found;
        }
        return -1;
    }
    bytes = std::move(*made);
    return RC_OK;
}

ResultCode ImportSettings(DeviceSession& session, const std::filesystem::path& path,
                          SettingsFileProblem* problem, SettingsApplyProgress* progress) {
    if (!session.IsConnected()) {
        return RC_NO_LINK;
    }
    SettingsRecord record;
    if (ReadSettingsFile(path, record, problem) != 0) {
        return RC_SETTINGS_FILE;
    }
    return ApplySettingsRecord(session, record, progress);
}

namespace {

// The apply's writes, counted in `done`, then the read of both detection areas and Portrait.
ResultCode WriteRecord(DeviceSession& session, const SettingsRecord& record, SettingsApplyProgress& done) {
    const DeviceSession::UncutCommands uncut(session);
    const auto counted = [&done](ResultCode result) { return CountWrite(&done, result); };
    Sequence sequence;
    sequence.Then([&] { return counted(SetMountingDirection(session, Timeout, record.camera)); })
        .Then([&] { return counted(SetOperatingMode(session, Timeout, record.mode)); })
        .Then([&] { return counted(SetThreshold(session, Timeout, record.threshold)); })
        .Then([&] {
            return counted(SetSizeMask(session, Timeout, {record.sizeMin, record.sizeMax}));
        });
    for (const SettingsAreaMask& mask : record.areaMasks) {
        sequence.Then([&] {
            return counted(SetAreaMask(session, Timeout, static_cast<int>(mask.number),
                                       {mask.left, mask.top, mask.right, mask.bottom}, mask.judgeFlag));
        });
    }
    for (const SettingsMotionMask& mask : record.motionMasks) {
        sequence.Then([&] {
            return counted(SetMotionMask(session, Timeout, static_cast<int>(mask.number),
                                         {mask.left, mask.top, mask.right, mask.bottom}));
        });
    }
    sequence.Then([&] { return counted(SetUsbSendTimeout(session, Timeout, record.usbSendTimeout)); })
        .Then([&] { return counted(SetUsbReceiveTimeout(session, Timeout, record.usbReceiveTimeout)); })
        .Then([&] { return counted(SetDeviceInfoBytes(session, Timeout, record.deviceInfo)); })
        .Then([&] { return counted(SetOther01(session, Timeout, record.other01)); })
        .Then([&] {
            return counted(SetOther02To06(
                session, Timeout,
                {record.other02, record.other03, record.other04, record.other05, record.other06}));
        })
        .Then(
            [&] { return counted(SetOther07(session, Timeout, static_cast<std::uint8_t>(record.other07))); })
        .Then([&] { return counted(SetHumanDetectionArea(session, Timeout, ToRect(record.other08To11))); })
        .Then([&] {
            session.SetAngleOfView(record.other12);
            return counted(RC_OK);
        })
        .Then([&] { return counted(SetMotionDetectionArea(session, Timeout, ToRect(record.other23To26))); })
        .Then([&] {
            return counted(SetOther27To28(session, Timeout, {record.other27, record.other28}));
        });
    if (record.falseRects) {
        for (const SettingsFalseRect& rect : *record.falseRects) {
            sequence.Then([&] {
                return counted(SetFalseRect(session, Timeout, static_cast<int>(rect.number),
                                            {rect.left, rect.top, rect.right, rect.bottom}));
            });
        }
    }
    sequence.Then([&] {
        if (!session.IsConnected()) {
            return RC_NO_LINK;
        }
        Rect area;
        const ResultCode result = GetHumanDetectionArea(session, Timeout, area);
        return result != RC_OK ? result : GetMotionDetectionArea(session, Timeout, area);
    });
    if (sequence.Result() != RC_OK) {
        return sequence.Result();
    }
    if (const auto portrait = PortraitOf(record.camera)) {
        session.SetPortrait(*portrait);
    }
    return RC_OK;
}

} // namespace

ResultCode ApplySettingsRecord(DeviceSession& session, const SettingsRecord& record,
                               SettingsApplyProgress* progress) {
    SettingsApplyProgress done{ApplyStepNames(record), 0};
    const ResultCode result = session.IsConnected() ? WriteRecord(session, record, done) : RC_NO_LINK;
    if (progress != nullptr) {
        *progress = std::move(done);
    }
    return result;
}

} // namespace orlo
