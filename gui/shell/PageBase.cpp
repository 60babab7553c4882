#include "gui/shell/PageBase.h"

#include "gui/shell/QuietNotice.h"
#include "gui/uikit/StringText.h"

namespace orlo {

CPageBase::CPageBase(QWidget* mainWindow) : CBasisDialog(mainWindow) {
    // A child widget in the main window's page area rather than a window of its own.
    setWindowFlags(Qt::Widget);
}

CQuietNotice* CPageBase::Notice() {
    if (notice_ == nullptr) {
        notice_ = new CQuietNotice(this);
    }
    return notice_;
}

void CPageBase::ShowNotice(int stringId) {
    Notice()->Show(StringText(stringId));
}

} // namespace orlo
