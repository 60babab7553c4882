#pragma once

#include <QImage>

namespace orlo {

// The program's pictures (resources/pictures/PaintPictures.cpp draws them at build time). Picture
// buttons hold their states as a grid of cells: one column per check state, rows normal, pressed,
// disabled, focused and mouse over.
enum PictureId : int {
    PIC_COMMON_BUTTON = 158, // 2 x 5 cells of 120 x 40
    PIC_SEARCH_BUTTON = 162, // 1 x 5 cells of 32 x 32
    PIC_JUDGE_LIST = 167,    // 32 x 16 list image on magenta
    PIC_UPDATE_BUTTON = 168, // 1 x 5 cells of 40 x 40
    PIC_DIRECTION_0 = 169,   // 2 x 5 cells of 120 x 108; 170 (90 degrees) and 172 (270) are 108 x 120
    PIC_DIRECTION_90 = 170,
    PIC_DIRECTION_180 = 171,
    PIC_DIRECTION_270 = 172,
    PIC_DELETE_LIST = 183, // 32 x 16 list image on magenta, drawn in its left 13 pixels
    PIC_ARROW_UP = 189,    // 1 x 5 cells of 40 x 40
    PIC_ARROW_DOWN = 190,
    // Pictures that are named by their role only.
    PIC_INDICATOR_LAMP = 900, // 212 x 213, transparent surroundings
    PIC_NAV_HOME = 901,       // 32 x 32 navigation icons, one per page
    PIC_NAV_CAMERA = 902,
    PIC_NAV_DETECTION = 903,
    PIC_NAV_SYSTEM = 904,
    PIC_APP_ICON = 905,    // 256 x 256
    PIC_CONNECT_OFF = 906, // 24 x 24 connect button pictures
    PIC_CONNECT_ON = 907,
    PIC_SWITCH = 908,         // 2 x 5 cells of 64 x 24 (off, on)
    PIC_SETTINGS_BUTTON = 909 // 1 x 5 cells of 48 x 48
};

// Magenta marks the transparent pixels of list images.
inline constexpr QRgb LIST_IMAGE_KEY = 0xFFFF00FF;

// The picture, or a null image for an id without one.
QImage LoadPicture(int id);

} // namespace orlo
