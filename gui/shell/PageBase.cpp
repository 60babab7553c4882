#include "gui/shell/PageBase.h"

namespace orlo {

CPageBase::CPageBase(QWidget* mainWindow) : CBasisDialog(mainWindow) {
    // A child widget in the main window's page area rather than a window of its own.
    setWindowFlags(Qt::Widget);
}

} // namespace orlo
