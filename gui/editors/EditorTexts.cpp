#include "gui/editors/EditorTexts.h"

#include "gui/uikit/StringText.h"

namespace orlo {

QString FormatNumberText(int id, int value) {
    return FormatNumbersText(id, {value});
}

QString FormatNumbersText(int id, std::initializer_list<int> values) {
    const QString format = StringText(id);
    const int* value = values.begin();
    QString text;
    text.reserve(format.size() + 8);
    for (qsizetype i = 0; i < format.size(); ++i) {
        if (format[i] == u'%' && i + 1 < format.size()) {
            if (format[i + 1] == u'd' && value != values.end()) {
                text += QString::number(*value++);
                ++i;
                continue;
            }
            if (format[i + 1] == u'%') {
                text += u'%';
                ++i;
                continue;
            }
        }
        text += format[i];
    }
    return text;
}

QColor ColourFromColorRef(std::uint32_t colorRef) {
    return QColor(static_cast<int>(colorRef & 0xFF), static_cast<int>((colorRef >> 8) & 0xFF),
                  static_cast<int>((colorRef >> 16) & 0xFF));
}

} // namespace orlo
