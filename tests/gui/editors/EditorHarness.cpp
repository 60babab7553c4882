// Opens one region editor against a sensor (or orlo-sim) for trying the editors by hand or with
// xdotool: region_editor_harness --lan HOST:PORT --editor area|motion|false|detection-area|size
// The editor starts with the sensor's settings; after an OK they are written to the sensor with
// read-back, the way the detection page applies them, and printed one per line. The order of the
// detection areas goes to Orlo-X1.conf of the current directory. Exit status: 0 applied, 1
// cancelled, 2 a device operation failed, 64 usage.
#include "core/device/ConnectProcedures.h"
#include "core/device/DetectionSettingsCommands.h"
#include "core/device/DeviceSession.h"
#include "core/device/ResultMessage.h"
#include "gui/editors/AreaSettingDlg.h"
#include "gui/editors/DetectAreaSettingDlg.h"
#include "gui/editors/FalseRectDlg.h"
#include "gui/editors/MotionMaskSettingDlg.h"
#include "gui/editors/SizeSettingDlg.h"

#include <QApplication>
#include <cstdio>
#include <cstring>
#include <string>

namespace {

using namespace orlo;

int Failed(const char* what, ResultCode result) {
    std::fprintf(stderr, "%s: %s (result %d)\n", what, ResultMessage(result).c_str(), result);
    return 2;
}

void PrintRect(const char* kind, const CTevoArea& region, const char* extra) {
    const Rect r = region.GetRect();
    std::printf("%s %d: %d %d %d %d%s\n", kind, region.GetNumber(), r.left, r.top, r.right, r.bottom, extra);
}

int RunAreaEditor(DeviceSession& session) {
    std::vector<CAreaMaskArea> areas;
    if (const ResultCode result = ReadAreaMasks(session, areas); result != RC_OK) {
        return Failed("reading the area masks", result);
    }
    CAreaSettingDlg editor(&session, nullptr, areas);
    if (editor.exec() != QDialog::Accepted) {
        return 1;
    }
    if (const ResultCode result = ApplyAreaMasks(session, editor.Areas()); result != RC_OK) {
        return Failed("writing the area masks", result);
    }
    for (const CAreaMaskArea& area : editor.Areas()) {
        if (area.IsSet()) {
            const std::string judge = " judge 0x" + QString::number(area.JudgeByte(), 16).toStdString();
            PrintRect("area", area, judge.c_str());
        }
    }
    return 0;
}

int RunMotionEditor(DeviceSession& session) {
    std::vector<CTevoArea> masks;
    if (const ResultCode result = ReadMotionMasks(session, masks); result != RC_OK) {
        return Failed("reading the motion masks", result);
    }
    CMotionMaskSettingDlg editor(&session, nullptr, masks);
    if (editor.exec() != QDialog::Accepted) {
        return 1;
    }
    if (const ResultCode result = ApplyMotionMasks(session, editor.Masks()); result != RC_OK) {
        return Failed("writing the motion masks", result);
    }
    for (const CTevoArea& mask : editor.Masks()) {
        if (mask.IsSet()) {
            PrintRect("motion", mask, "");
        }
    }
    return 0;
}

int RunFalseRectEditor(DeviceSession& session) {
    std::vector<CFalseRectArea> rects;
    if (const ResultCode result = ReadFalseRects(session, rects); result != RC_OK) {
        return Failed("reading the false-detection rectangles", result);
    }
    CFalseRectDlg editor(&session, nullptr, rects);
    if (editor.exec() != QDialog::Accepted) {
        return 1;
    }
    if (const ResultCode result = ApplyFalseRects(session, editor.Registered()); result != RC_OK) {
        return Failed("writing the false-detection rectangles", result);
    }
    for (const CFalseRectArea& rect : editor.Registered()) {
        if (rect.IsSet()) {
            PrintRect("false", rect, "");
        }
    }
    return 0;
}

int RunDetectionAreaEditor(DeviceSession& session) {
    CDetectAreaSettingDlg::Areas areas;
    if (const ResultCode result = GetHumanDetectionArea(session, 1000, areas[HUMAN_DETECTION_AREA]);
        result != RC_OK) {
        return Failed("reading the human detection area", result);
    }
    if (const ResultCode result = GetMotionDetectionArea(session, 1000, areas[MOTION_DETECTION_AREA]);
        result != RC_OK) {
        return Failed("reading the motion detection area", result);
    }
    CDetectAreaSettingDlg editor(&session, nullptr, areas);
    if (editor.exec() != QDialog::Accepted) {
        return 1;
    }
    const CDetectAreaSettingDlg::Areas& edited = editor.GetAreas();
    if (const ResultCode result = SetHumanDetectionAreaVerified(session, edited[HUMAN_DETECTION_AREA]);
        result != RC_OK) {
        return Failed("writing the human detection area", result);
    }
    if (const ResultCode result = SetMotionDetectionAreaVerified(session, edited[MOTION_DETECTION_AREA]);
        result != RC_OK) {
        return Failed("writing the motion detection area", result);
    }
    const char* names[] = {"human", "motion"};
    for (std::size_t id = 0; id < edited.size(); ++id) {
        const Rect& r = edited[id];
        std::printf("%s %d %d %d %d\n", names[id], r.left, r.top, r.right, r.bottom);
    }
    return 0;
}

int RunSizeEditor(DeviceSession& session) {
    SizeMask sizeMask;
    if (const ResultCode result = GetSizeMask(session, 1000, sizeMask); result != RC_OK) {
        return Failed("reading the size mask", result);
    }
    CSizeSettingDlg editor(&session, nullptr, sizeMask.minimum, sizeMask.maximum);
    if (editor.exec() != QDialog::Accepted) {
        return 1;
    }
    // The page's own check before it applies.
    if (editor.Maximum() < editor.Minimum()) {
        std::fprintf(stderr, "the maximum is below the minimum\n");
        return 2;
    }
    const SizeMask edited{static_cast<std::uint16_t>(editor.Minimum()),
                          static_cast<std::uint16_t>(editor.Maximum())};
    if (const ResultCode result = SetSizeMaskVerified(session, edited); result != RC_OK) {
        return Failed("writing the size mask", result);
    }
    std::printf("sizemask %d %d\n", editor.Minimum(), editor.Maximum());
    return 0;
}

using EditorRun = int (*)(DeviceSession&);

EditorRun EditorNamed(const std::string& name) {
    const std::pair<const char*, EditorRun> editors[] = {{"area", RunAreaEditor},
                                                         {"motion", RunMotionEditor},
                                                         {"false", RunFalseRectEditor},
                                                         {"detection-area", RunDetectionAreaEditor},
                                                         {"size", RunSizeEditor}};
    for (const auto& [editorName, run] : editors) {
        if (name == editorName) {
            return run;
        }
    }
    return nullptr;
}

} // namespace

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    std::string lan;
    std::string editor = "area";
    for (int i = 1; i + 1 < argc; i += 2) {
        if (std::strcmp(argv[i], "--lan") == 0) {
            lan = argv[i + 1];
        } else if (std::strcmp(argv[i], "--editor") == 0) {
            editor = argv[i + 1];
        }
    }
    const std::size_t colon = lan.rfind(':');
    bool portOk = false;
    const std::uint16_t port =
        colon == std::string::npos ? 0 : QString::fromStdString(lan.substr(colon + 1)).toUShort(&portOk);
    const EditorRun run = EditorNamed(editor);
    if (!portOk || run == nullptr) {
        std::fprintf(stderr, "usage: %s --lan HOST:PORT [--editor area|motion|false|detection-area|size]\n",
                     argv[0]);
        return 64;
    }
    DeviceSession session;
    if (const ResultCode result = ConnectLan(session, lan.substr(0, colon), port, 90); result != RC_OK) {
        return Failed("connecting", result);
    }
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    return run(session);
}
