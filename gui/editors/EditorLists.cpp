#include "gui/editors/EditorLists.h"

#include "gui/uikit/OrgListCtrl.h"

#include <QHeaderView>
#include <QMouseEvent>
#include <QStyle>

namespace orlo {
namespace {

constexpr int LIST_EXTRA = 4;

} // namespace

void FitListToColumns(COrgListCtrl& list, int rows) {
    int width = 0;
    for (int column = 0; column < list.columnCount(); ++column) {
        width += list.columnWidth(column);
    }
    width += list.style()->pixelMetric(QStyle::PM_ScrollBarExtent) + LIST_EXTRA;
    list.resize(width, list.verticalHeader()->defaultSectionSize() * rows + LIST_EXTRA);
}

void CListClickWatch::Install(COrgListCtrl& list, Handler onClick) {
    new CListClickWatch(list, std::move(onClick)); // owned by the list
}

CListClickWatch::CListClickWatch(COrgListCtrl& list, Handler onClick)
    : QObject(&list), list_(list), viewport_(list.viewport()), onClick_(std::move(onClick)) {
    viewport_->installEventFilter(this);
}

bool CListClickWatch::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonRelease && watched == viewport_) {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() == Qt::LeftButton) {
            const QPoint at = mouse->position().toPoint();
            onClick_(list_.rowAt(at.y()), list_.columnAt(at.x()));
        }
    }
    return false;
}

} // namespace orlo
