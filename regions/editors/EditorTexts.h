#pragma once

#include <QColor>
#include <QString>
#include <cstdint>

namespace orlo {

// A string table text with its "%d" filled in and "%%" shown as "%".
QString FormatNumberText(int id, int value);

// A colour value 0x00BBGGRR (red in the lowest byte) as the editors' callers give it.
QColor ColourFromColorRef(std::uint32_t colorRef);

} // namespace orlo
