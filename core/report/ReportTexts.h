#pragma once

namespace orlo {

// String table ids of the commissioning report.
inline constexpr int STR_REPORT_SITE = 9101;
inline constexpr int STR_REPORT_CUSTOMER = 9102;
inline constexpr int STR_REPORT_INSTALLER = 9103;
inline constexpr int STR_REPORT_NOTE = 9104;
inline constexpr int STR_REPORT_KEY_ANGLE_OF_CONNECTION = 9420;
inline constexpr int STR_REPORT_TITLE = 9600;
inline constexpr int STR_REPORT_CREATED = 9601;
inline constexpr int STR_REPORT_CONNECTION = 9602;
inline constexpr int STR_REPORT_MODEL = 9603;
inline constexpr int STR_REPORT_VERSION = 9604;
inline constexpr int STR_REPORT_PICTURE = 9605;
inline constexpr int STR_REPORT_SETTINGS = 9606;
inline constexpr int STR_REPORT_ITEM = 9607;
inline constexpr int STR_REPORT_VALUE = 9608;
inline constexpr int STR_REPORT_UNIT = 9609;
inline constexpr int STR_REPORT_MEANING = 9610;
inline constexpr int STR_REPORT_UNSET = 9611;
inline constexpr int STR_REPORT_HUMAN_AREA = 9612;
inline constexpr int STR_REPORT_MOTION_AREA = 9613;
inline constexpr int STR_REPORT_AREA_MASKS = 9614;
inline constexpr int STR_REPORT_MOTION_MASKS = 9615;
inline constexpr int STR_REPORT_FALSE_RECTS = 9616;
inline constexpr int STR_REPORT_RESULTS = 9617;
inline constexpr int STR_REPORT_JUDGEMENT = 9618;
inline constexpr int STR_REPORT_JUDGE_CENTER = 9619;
inline constexpr int STR_REPORT_JUDGE_FOOT = 9620;
inline constexpr int STR_REPORT_JUDGE_OVERLAP = 9621;
inline constexpr int STR_REPORT_JUDGE_NONE = 9622;
inline constexpr int STR_REPORT_PLAIN = 9623;
inline constexpr int STR_REPORT_EXCLUDED_AREA = 9624;
inline constexpr int STR_REPORT_EXCLUDED_SIZE = 9625;
inline constexpr int STR_REPORT_EXCLUDED_FALSE = 9626;
inline constexpr int STR_REPORT_UNIT_COORDINATE = 9627;
inline constexpr int STR_REPORT_UNIT_MS = 9628;
inline constexpr int STR_REPORT_UNIT_DEGREES = 9629;
inline constexpr int STR_REPORT_KEY_CAMERA = 9630;
inline constexpr int STR_REPORT_KEY_MODE = 9631;
inline constexpr int STR_REPORT_KEY_THRESHOLD = 9632;
inline constexpr int STR_REPORT_KEY_SIZE_MIN = 9633;
inline constexpr int STR_REPORT_KEY_SIZE_MAX = 9634;
inline constexpr int STR_REPORT_KEY_USB_SEND = 9635;
inline constexpr int STR_REPORT_KEY_USB_RECEIVE = 9636;
inline constexpr int STR_REPORT_KEY_DEVICE_INFO = 9637;
inline constexpr int STR_REPORT_KEY_OTHER = 9638;
inline constexpr int STR_REPORT_EDGE_LEFT = 9640;
inline constexpr int STR_REPORT_EDGE_TOP = 9641;
inline constexpr int STR_REPORT_EDGE_RIGHT = 9642;
inline constexpr int STR_REPORT_EDGE_BOTTOM = 9643;
inline constexpr int STR_REPORT_SECTION_NUMBER = 9644;
inline constexpr int STR_REPORT_DETECTION_VALUE = 9645;
inline constexpr int STR_REPORT_FALSE_NOTE = 9646;
inline constexpr int STR_REPORT_SECTION_CAMERA = 9647;
inline constexpr int STR_REPORT_SECTION_DETECTION = 9648;
inline constexpr int STR_REPORT_SECTION_SYSTEM = 9649;
inline constexpr int STR_REPORT_SECTION_OTHER = 9650;
inline constexpr int STR_REPORT_COLOUR = 9651;
inline constexpr int STR_REPORT_STATE = 9652;
inline constexpr int STR_REPORT_SETTINGS_NOTE = 9653;
inline constexpr int STR_REPORT_UNKNOWN_DIRECTION = 9654;

} // namespace orlo
