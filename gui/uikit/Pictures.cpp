#include "gui/uikit/Pictures.h"

#include <QString>

namespace orlo {

QImage LoadPicture(int id) {
    return QImage(QStringLiteral(":/pictures/%1.png").arg(id));
}

} // namespace orlo
