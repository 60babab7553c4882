// Opens one region editor against a sensor (or orlo-sim) for trying the editors by hand or with
// xdotool: region_editor_harness --lan HOST:PORT --editor area|motion
// The editor starts with the sensor's regions; after an OK they are written to the sensor with
// read-back, the way the detection page applies them, and printed one per line. Exit status: 0
// applied, 1 cancelled, 2 a device operation failed, 64 usage.
#include "device/ConnectProcedures.h"
#include "device/DetectionSettingsCommands.h"
#include "device/DeviceSession.h"
#include "device/ResultMessage.h"
#include "regions/editors/AreaSettingDlg.h"
#include "regions/editors/MotionMaskSettingDlg.h"

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
    if (!portOk || (editor != "area" && editor != "motion")) {
        std::fprintf(stderr, "usage: %s --lan HOST:PORT [--editor area|motion]\n", argv[0]);
        return 64;
    }
    DeviceSession session;
    if (const ResultCode result = ConnectLan(session, lan.substr(0, colon), port, 90); result != RC_OK) {
        return Failed("connecting", result);
    }
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    return editor == "area" ? RunAreaEditor(session) : RunMotionEditor(session);
}
