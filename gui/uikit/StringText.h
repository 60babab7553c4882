#pragma once

#include <QString>

namespace orlo {

// A text of the program's string table for a window; empty for an unknown id.
QString StringText(int id);

} // namespace orlo
