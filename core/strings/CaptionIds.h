#pragma once

// String ids of the captions that several windows share or that a window lays out itself.
namespace orlo {

inline constexpr int CAP_PLEASE_WAIT = 9700;
inline constexpr int CAP_CONNECT = 9701;
inline constexpr int CAP_PICTURE_SWITCH = 9702;
inline constexpr int CAP_DIFF_SWITCH = 9703;
inline constexpr int CAP_EXCLUDED_RESULTS = 9704;
inline constexpr int CAP_FILTER_ALL = 9705;
inline constexpr int CAP_FILTER_AREA_MASK = 9706;
inline constexpr int CAP_FILTER_SIZE_MASK = 9707;
inline constexpr int CAP_FILTER_FALSE_DETECTION = 9708;
inline constexpr int CAP_PAGE_CAMERA = 9709;
inline constexpr int CAP_PAGE_DETECTION = 9710;
inline constexpr int CAP_PAGE_SYSTEM = 9711;
inline constexpr int CAP_SETTINGS = 9712;
inline constexpr int CAP_BACK = 9713;
inline constexpr int CAP_MENU_COM = 9714;
inline constexpr int CAP_MENU_LAN = 9715;
inline constexpr int CAP_COM_PORT = 9716;
inline constexpr int CAP_BAUD_RATE = 9717;
inline constexpr int CAP_ANGLE_OF_VIEW = 9718;
inline constexpr int CAP_CANCEL = 9719;
inline constexpr int CAP_COM_CONNECTION = 9720;
inline constexpr int CAP_IP_ADDRESS = 9721;
inline constexpr int CAP_PORT_NUMBER = 9722;
inline constexpr int CAP_SEARCH = 9723;
inline constexpr int CAP_LAN_CONNECTION = 9724;
inline constexpr int CAP_PORT_OUT_OF_RANGE = 9725;
inline constexpr int CAP_RANGE_SIGN = 9726;
inline constexpr int CAP_IP_SEARCH = 9727;
inline constexpr int CAP_APPLY = 9728;
inline constexpr int CAP_THRESHOLD = 9729;
inline constexpr int CAP_SIZE = 9730;
inline constexpr int CAP_SIZE_BUTTON = 9731;
inline constexpr int CAP_AREA_MASK_BUTTON = 9732;
inline constexpr int CAP_FALSE_RECT_BUTTON = 9733;
inline constexpr int CAP_DETECTION_AREA_BUTTON = 9734;
inline constexpr int CAP_MOTION_MASK_BUTTON = 9735;
inline constexpr int CAP_PREVIEW_DETECTION_AREAS = 9736;
inline constexpr int CAP_PREVIEW_MOTION_MASKS = 9737;
inline constexpr int CAP_OK = 9738;
inline constexpr int CAP_TIMEOUT_DIALOG = 9739;
inline constexpr int CAP_OTHER_COLOUR = 9740;
inline constexpr int CAP_MOUNTING_DIRECTION = 9741;
inline constexpr int CAP_OPERATING_MODE = 9742;
inline constexpr int CAP_DIRECTION_0 = 9743; // 9744..9746: 90, 180 and 270 degrees
inline constexpr int CAP_RESTART_CAPTION = 9747;
inline constexpr int CAP_INITIALIZE_CAPTION = 9748;
inline constexpr int CAP_TIMEOUT_CAPTION = 9749;
inline constexpr int CAP_FILE_CAPTION = 9750;
inline constexpr int CAP_SAVE_TEXT = 9751;
inline constexpr int CAP_SAVE_NOTE = 9752;
inline constexpr int CAP_WRITE_TEXT = 9753;
inline constexpr int CAP_WRITE_NOTE = 9754;
inline constexpr int CAP_RECOVER_CAPTION = 9755;
inline constexpr int CAP_RESTART = 9756; // 9757..9761: initialise, time-outs, save, write, recover
inline constexpr int CAP_REGISTER = 9762;
inline constexpr int CAP_UNREGISTER = 9763;
inline constexpr int CAP_FALSE_RECT_DIALOG = 9764;
inline constexpr int CAP_AREA_MASK_DIALOG = 9765;
inline constexpr int CAP_MOTION_MASK_DIALOG = 9766;
inline constexpr int CAP_DELETE_ALL = 9767;
inline constexpr int CAP_JUDGE_CENTRE = 9768;
inline constexpr int CAP_JUDGE_FEET = 9769;
inline constexpr int CAP_JUDGE_OVERLAP = 9770;
inline constexpr int CAP_JUDGEMENT_DIALOG = 9771;
inline constexpr int CAP_JUDGE_ALL = 9772;
inline constexpr int CAP_DETECTION_AREA_DIALOG = 9773;
inline constexpr int CAP_SIZE_MASK_DIALOG = 9774;
inline constexpr int CAP_YES = 9775;
inline constexpr int CAP_NO = 9776;
inline constexpr int CAP_AUTO_RECONNECT = 9780;
inline constexpr int CAP_RECONNECTING = 9781;

} // namespace orlo
