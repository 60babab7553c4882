#pragma once

#include <QColor>
#include <QString>
#include <cstdint>
#include <initializer_list>

namespace orlo {

// A string table text with its "%d" filled in and "%%" shown as "%".
QString FormatNumberText(int id, int value);
// The same with one value per "%d", in order.
QString FormatNumbersText(int id, std::initializer_list<int> values);

// A colour value 0x00BBGGRR (red in the lowest byte) as the editors' callers give it.
QColor ColourFromColorRef(std::uint32_t colorRef);

} // namespace orlo
