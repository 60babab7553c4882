#pragma once

#include "core/device/DetectionCommands.h"
#include "core/device/DeviceSession.h"
#include "core/device/ResultCode.h"
#include "core/device/SystemCommands.h"
#include "core/imaging/ImageData.h"
#include "core/platform/LocalTime.h"
#include "core/regions/Geometry.h"
#include "core/report/ReportDetails.h"
#include "core/report/ReportPicture.h"
#include "core/settings/ModeList.h"
#include "core/settingsfile/SettingsRecord.h"

#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

namespace orlo {

// Everything a commissioning report shows of one sensor.
struct ReportContent {
    ReportDetails details;
    LocalTimestamp created;
    std::string connection; // how the sensor was reached
    DeviceInfo device;
    SettingsRecord settings; // read as the settings file export reads it
    std::vector<Rect> falseRects;
    CImageData picture; // a fresh picture of the sensor (raw grey)
    std::vector<DetectionResult> results;
    bool portrait = false;
};

// Reads the device text and versions, every setting of the settings file (with the export's own
// reader), the false-detection rectangles, and one detection run with a picture. The content is
// written only on success.
ResultCode ReadReportContent(DeviceSession& session, ReportContent& content);

// The open link: "LAN address:port" or "COM port baud rate".
std::string ConnectionText(const DeviceSession& session);

// What the report's picture shows: the regions numbered by their slot, as the editors number them.
ReportScene ReportSceneOf(const ReportContent& content);

// The report as one self-contained HTML document (UTF-8): the picture as an embedded PNG with every
// region and result drawn over it, and every key of the settings file in tables, taken from the
// writer's own list of keys, so that the report and a backup of the sensor agree. The operating
// mode is named from `modes` (the mode list) when the list has it; an empty list shows its number only.
std::string ReportHtml(const ReportContent& content, const std::vector<ModeRecord>& modes);

// Why a report was not written.
struct ReportProblem {
    ResultCode code = RC_OK; // the device failure, or -1 for the file
    std::error_code fileError;
};

// Reads the sensor and writes the report through a temporary file beside `path`, which takes
// `path`'s place only when complete; a failed read leaves `path` as it was.
ResultCode WriteReport(DeviceSession& session, const std::filesystem::path& path,
                       const std::vector<ModeRecord>& modes, const ReportDetails& details = {},
                       ReportProblem* problem = nullptr);

} // namespace orlo
