#include "gui/uikit/OrgListCtrl.h"

#include <QCoreApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QPixmap>

namespace orlo {

COrgListCtrl::COrgListCtrl(QWidget* parent) : QTableWidget(parent) {
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setWordWrap(false);
    verticalHeader()->hide();
    horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    horizontalHeader()->setSectionsClickable(false);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setStretchLastSection(false);
    setShowGrid(false);
    QPalette colours = palette();
    colours.setColor(QPalette::Disabled, QPalette::Base, colours.color(QPalette::Button));
    setPalette(colours);
    UpdateRowHeight();
}

void COrgListCtrl::SetExtendedStyles() {
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setShowGrid(true);
}

void COrgListCtrl::SetHeaderVisible(bool visible) {
    horizontalHeader()->setVisible(visible);
}

void COrgListCtrl::AddColumns(std::span<const ListColumn> columns) {
    for (const ListColumn& column : columns) {
        const int index = columnCount();
        insertColumn(index);
        auto* header = new QTableWidgetItem(column.header); // owned by the table
        header->setTextAlignment(column.alignment | Qt::AlignVCenter);
        setHorizontalHeaderItem(index, header);
        setColumnWidth(index, column.width);
    }
}

void COrgListCtrl::AppendImages(const QImage& strip, int imageWidth, QRgb transparentKey) {
    if (strip.isNull() || imageWidth <= 0) {
        return;
    }
    QImage keyed = strip.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < keyed.height(); ++y) {
        auto* row = reinterpret_cast<QRgb*>(keyed.scanLine(y));
        for (int x = 0; x < keyed.width(); ++x) {
            if ((row[x] | 0xFF000000u) == (transparentKey | 0xFF000000u)) {
                row[x] = 0;
            }
        }
    }
    for (int x = 0; x + imageWidth <= keyed.width(); x += imageWidth) {
        images_.emplace_back(QPixmap::fromImage(keyed.copy(x, 0, imageWidth, keyed.height())));
    }
    setIconSize(QSize(imageWidth, keyed.height()));
    UpdateRowHeight();
}

int COrgListCtrl::InsertRow(const QStringList& texts, qint64 value) {
    std::vector<ListCell> cells;
    for (const QString& text : texts) {
        cells.push_back({ListCell::Text, text, -1, 0});
    }
    if (cells.empty()) {
        cells.push_back({0, {}, -1, 0});
    }
    cells.front().mask |= ListCell::Value;
    cells.front().value = value;
    return InsertRow(cells);
}

int COrgListCtrl::InsertRow(std::span<const ListCell> cells) {
    const int row = rowCount();
    insertRow(row);
    for (int column = 0; column < columnCount(); ++column) {
        auto* item = new QTableWidgetItem(); // owned by the table
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
        if (column < static_cast<int>(cells.size())) {
            const ListCell& cell = cells[static_cast<std::size_t>(column)];
            if (cell.mask & ListCell::Text) {
                item->setText(cell.text);
            }
            if ((cell.mask & ListCell::Image) && cell.image >= 0 && cell.image < ImageCount()) {
                item->setIcon(images_[static_cast<std::size_t>(cell.image)]);
            }
            if (column == 0 && (cell.mask & ListCell::Value)) {
                item->setData(Qt::UserRole, QVariant::fromValue(cell.value));
            }
        }
        const QTableWidgetItem* header = horizontalHeaderItem(column);
        if (header != nullptr) {
            item->setTextAlignment(Qt::Alignment(header->textAlignment()));
        }
        setItem(row, column, item);
    }
    return row;
}

int COrgListCtrl::FindByValue(qint64 value) const {
    for (int row = 0; row < rowCount(); ++row) {
        if (RowValue(row) == value) {
            return row;
        }
    }
    return -1;
}

qint64 COrgListCtrl::RowValue(int row) const {
    const QTableWidgetItem* first = item(row, 0);
    return first != nullptr ? first->data(Qt::UserRole).toLongLong() : 0;
}

void COrgListCtrl::SelectRow(int row) {
    if (row < 0 || row >= rowCount()) {
        return;
    }
    setCurrentCell(row, 0, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    scrollToItem(item(row, 0), QAbstractItemView::EnsureVisible);
}

int COrgListCtrl::SelectedRow() const {
    const QList<QTableWidgetItem*> selected = selectedItems();
    return selected.isEmpty() ? -1 : selected.front()->row();
}

void COrgListCtrl::keyPressEvent(QKeyEvent* event) {
    ForwardKey(event);
}

void COrgListCtrl::keyReleaseEvent(QKeyEvent* event) {
    ForwardKey(event);
}

void COrgListCtrl::ForwardKey(QKeyEvent* event) {
    if (parentWidget() != nullptr) {
        QCoreApplication::postEvent(parentWidget(),
                                    new QKeyEvent(event->type(), event->key(), event->modifiers(),
                                                  event->text(), event->isAutoRepeat(), event->count()));
    }
    event->accept();
}

void COrgListCtrl::changeEvent(QEvent* event) {
    QTableWidget::changeEvent(event);
    if (event->type() == QEvent::FontChange) {
        UpdateRowHeight();
    }
}

void COrgListCtrl::UpdateRowHeight() {
    // Rows as high as the text plus one pixel, or the images when they are taller.
    const int height = std::max(fontMetrics().height() + 1, iconSize().height() + 2);
    verticalHeader()->setMinimumSectionSize(1);
    verticalHeader()->setDefaultSectionSize(height);
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
}

} // namespace orlo
