#pragma once

// String ids of the editors' undo, numbers, list headings and hint line.
namespace orlo {

inline constexpr int CAP_REGION_LEFT = 9140; // then top, right, bottom
inline constexpr int CAP_UNDO = 9144;
inline constexpr int CAP_REDO = 9145;
inline constexpr int CAP_HEADING_NUMBER = 9146;
inline constexpr int CAP_HEADING_JUDGEMENT = 9147;
inline constexpr int HINT_MASK_EDITOR = 9148;
inline constexpr int HINT_DETECTION_AREA_EDITOR = 9149;
inline constexpr int HINT_FALSE_RECT_EDITOR = 9150;
inline constexpr int CAP_HEADING_CANDIDATES = 9151;
inline constexpr int CAP_HEADING_REGISTERED = 9152;
inline constexpr int CAP_HEADING_SIZE = 9153;
inline constexpr int HINT_SIZE_EDITOR = 9154;
inline constexpr int CAP_HEADING_AREA_ORDER = 9155;

} // namespace orlo
