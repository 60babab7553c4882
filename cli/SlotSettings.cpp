#include "cli/Setting.h"
#include "cli/TextOutput.h"
#include "core/device/DetectionSettingsCommands.h"

#include <type_traits>

namespace orlo::cli {

namespace {

// One kind of numbered region: how many slots, how the sensor's list is read and written, and how
// an edit changes one region.
template <typename Region>
struct SlotKind {
    int slots;
    bool withJudge;
    bool backedUp; // part of a settings file
    const char* form;
    ResultCode (*read)(DeviceSession&, std::vector<Region>&);
    ResultCode (*apply)(DeviceSession&, const std::vector<Region>&, SettingsApplyProgress*);
    void (*edit)(Region&, const SlotEdit&);
};

template <typename Region>
Setting SlotSetting(std::string help, SlotKind<Region> kind) {
    const auto get = [kind](DeviceSession& s, Printed& p) {
        std::vector<Region> regions;
        const ResultCode result = kind.read(s, regions);
        p.json = "[";
        for (const Region& r : regions) {
            std::string line = std::to_string(r.GetNumber()) + " " + RectText(r.GetRect());
            std::string json =
                "{\"slot\": " + std::to_string(r.GetNumber()) + ", \"rect\": " + RectJson(r.GetRect());
            if constexpr (std::is_same_v<Region, CAreaMaskArea>) {
                line += " " + JudgeText(r.GetJudgement());
                json += ", \"judge\": " + JsonString(JudgeText(r.GetJudgement()));
            }
            p.lines.push_back(line);
            p.json += (p.json.size() > 1 ? ", " : "") + json + "}";
        }
        p.json += "]";
        return result;
    };
    const auto check = [kind](const Args& a) {
        return CheckSlotEdits(a, kind.slots, kind.withJudge, kind.form, kind.backedUp);
    };
    const auto set = [kind](DeviceSession& s, const Args& a) {
        std::vector<Region> regions;
        if (const ResultCode result = kind.read(s, regions); result != RC_OK) {
            return result;
        }
        for (const std::string& arg : a) {
            const SlotEdit edit = *ParseSlotEdit(arg, kind.slots, kind.withJudge);
            kind.edit(regions[static_cast<std::size_t>(edit.slot)], edit);
        }
        return kind.apply(s, regions, nullptr);
    };
    return {std::move(help), get, check, set};
}

void EditAreaMask(CAreaMaskArea& mask, const SlotEdit& edit) {
    if (edit.rect) {
        mask.SetRect(*edit.rect);
        mask.SetJudgement(edit.judgement);
    } else {
        mask.Clear();
    }
}

void EditMotionMask(CTevoArea& mask, const SlotEdit& edit) {
    mask.SetRect(edit.rect.value_or(UNSET_RECT));
}

void EditFalseRect(CFalseRectArea& rect, const SlotEdit& edit) {
    if (edit.rect) {
        rect.MarkAdded(*edit.rect);
    } else {
        rect.Clear();
    }
}

} // namespace

void AddSlotSettings(SettingTable& table) {
    table.emplace("area-masks", SlotSetting<CAreaMaskArea>(
                                    "SLOT,LEFT,TOP,RIGHT,BOTTOM,JUDGE | SLOT,clear ... (SLOT 0-15; JUDGE "
                                    "none|center|foot|overlap:1-100)",
                                    {AREA_MASK_SLOTS, true, true, "SLOT,LEFT,TOP,RIGHT,BOTTOM,JUDGE",
                                     ReadAreaMasks, ApplyAreaMasks, EditAreaMask}));
    table.emplace("motion-masks",
                  SlotSetting<CTevoArea>("SLOT,LEFT,TOP,RIGHT,BOTTOM | SLOT,clear ... (SLOT 0-15)",
                                         {MOTION_MASK_SLOTS, false, true, "SLOT,LEFT,TOP,RIGHT,BOTTOM",
                                          ReadMotionMasks, ApplyMotionMasks, EditMotionMask}));
    table.emplace("false-rects",
                  SlotSetting<CFalseRectArea>("SLOT,LEFT,TOP,RIGHT,BOTTOM | SLOT,clear ... (SLOT 0-9)",
                                              {FALSE_RECT_SLOTS, false, false, "SLOT,LEFT,TOP,RIGHT,BOTTOM",
                                               ReadFalseRects, ApplyFalseRects, EditFalseRect}));
}

} // namespace orlo::cli
