#pragma once

#include <QObject>
#include <functional>

namespace orlo {

class COrgListCtrl;

// Sizes a list to its columns plus the vertical scroll bar and 4 pixels, and to rows rows plus 4.
void FitListToColumns(COrgListCtrl& list, int rows);

// A single click on a report list as the editors take it: the left button released over the list,
// with the row and column under it (-1 where there is none). The watch belongs to the list.
class CListClickWatch : public QObject {
    Q_OBJECT

public:
    using Handler = std::function<void(int row, int column)>;

    static void Install(COrgListCtrl& list, Handler onClick);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    CListClickWatch(COrgListCtrl& list, Handler onClick);

    COrgListCtrl& list_;
    // Kept apart from the list: events still arrive while the list is being destroyed.
    QObject* viewport_;
    Handler onClick_;
};

} // namespace orlo
