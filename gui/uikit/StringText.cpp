#include "gui/uikit/StringText.h"

#include "core/strings/StringTable.h"

namespace orlo {

QString StringText(int id) {
    const std::string_view text = LoadString(id);
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

} // namespace orlo
