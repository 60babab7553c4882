#include "gui/editors/DetectAreaList.h"

#include "gui/uikit/MessageEvent.h"

#include <QApplication>
#include <QFontMetrics>
#include <QMouseEvent>
#include <QPainter>
#include <algorithm>

namespace orlo {
namespace {

constexpr int SWATCH_SIDE = 32;
constexpr int SWATCH_LEFT = 4;
constexpr int LABEL_LEFT = SWATCH_LEFT + SWATCH_SIDE + 8;
constexpr int ITEM_EXTRA_WIDTH = 42;
constexpr int ITEM_EXTRA_HEIGHT = 8;
constexpr int ITEM_GAP = 2;
const QColor SEPARATOR_COLOUR(240, 240, 240);

} // namespace

struct CDetectAreaList::ItemSurface {
    CListDC surface;
    QString label;
    QColor colour;
    int id = 0;
    QFont font;
    QRect labelRect;
};

CDetectAreaList::CDetectAreaList(QWidget* parent) : QWidget(parent) {
    // Measured in the plain font of the application, not the parent's.
    const QFontMetrics metrics(QApplication::font());
    const QSize text(metrics.horizontalAdvance(QString(30, u'W')), metrics.height());
    itemSize_ =
        QSize(text.width() + ITEM_EXTRA_WIDTH, std::max(text.height(), SWATCH_SIDE) + ITEM_EXTRA_HEIGHT);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

CDetectAreaList::~CDetectAreaList() = default;

int CDetectAreaList::AddItem(const QString& label, const QColor& colour, int id) {
    auto item = std::make_unique<ItemSurface>();
    item->surface.CreateSurface(itemSize_);
    item->label = label;
    item->colour = colour;
    item->id = id;
    item->font = parentWidget() != nullptr ? parentWidget()->font() : font();
    const int labelHeight = QFontMetrics(item->font).height();
    item->labelRect = QRect(LABEL_LEFT, itemSize_.height() / 2 - labelHeight / 2,
                            itemSize_.width() - LABEL_LEFT, labelHeight);
    const int top = entries_.empty() ? 0 : entries_.back().rect.bottom() + 1 + ITEM_GAP;
    entries_.push_back({QRect(QPoint(0, top), itemSize_), item.get(), false});
    items_.push_back(std::move(item));
    update();
    return Count() - 1;
}

void CDetectAreaList::MoveItem(int index, int direction) {
    const int target = direction == Up ? index - 1 : index + 1;
    if (index < 0 || index >= Count() || target < 0 || target >= Count()) {
        return;
    }
    Entry& moved = entries_[static_cast<std::size_t>(index)];
    const int movedId = moved.item->id;
    std::swap(moved.item, entries_[static_cast<std::size_t>(target)].item);
    for (Entry& entry : entries_) {
        entry.selected = entry.item->id == movedId;
    }
    update();
}

int CDetectAreaList::ItemId(int index) const {
    return index >= 0 && index < Count() ? entries_[static_cast<std::size_t>(index)].item->id : -1;
}

QString CDetectAreaList::ItemLabel(int index) const {
    return index >= 0 && index < Count() ? entries_[static_cast<std::size_t>(index)].item->label : QString();
}

bool CDetectAreaList::IsSelected(int index) const {
    return index >= 0 && index < Count() && entries_[static_cast<std::size_t>(index)].selected;
}

int CDetectAreaList::FirstSelected() const {
    for (int index = 0; index < Count(); ++index) {
        if (entries_[static_cast<std::size_t>(index)].selected) {
            return index;
        }
    }
    return -1;
}

void CDetectAreaList::ClearSelection() {
    for (Entry& entry : entries_) {
        entry.selected = false;
    }
    update();
}

QRect CDetectAreaList::ItemRect(int index) const {
    return index >= 0 && index < Count() ? entries_[static_cast<std::size_t>(index)].rect : QRect();
}

QRect CDetectAreaList::VisibleLabelRect(int index) const {
    if (index < 0 || index >= Count()) {
        return {};
    }
    const Entry& entry = entries_[static_cast<std::size_t>(index)];
    return entry.item->labelRect.translated(entry.rect.topLeft()).intersected(rect().adjusted(1, 1, -1, -1));
}

QFont CDetectAreaList::LabelFont(int index) const {
    return index >= 0 && index < Count() ? entries_[static_cast<std::size_t>(index)].item->font : font();
}

void CDetectAreaList::PaintItem(ItemSurface& item, bool selected) const {
    item.surface.Fill(selected ? palette().color(QPalette::Highlight) : QColor(Qt::white));
    QPainter painter(&item.surface.SurfaceBitmap());
    const int middle = itemSize_.height() / 2;
    painter.fillRect(QRect(SWATCH_LEFT, middle - SWATCH_SIDE / 2, SWATCH_SIDE, SWATCH_SIDE), item.colour);
    painter.setFont(item.font);
    painter.setPen(selected ? palette().color(QPalette::HighlightedText) : QColor(Qt::black));
    painter.drawText(item.labelRect, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, item.label);
}

void CDetectAreaList::paintEvent(QPaintEvent*) {
    QImage& back = back_.SurfaceBitmap();
    if (back.isNull()) {
        return;
    }
    back.fill(palette().color(QPalette::Button));
    {
        QPainter painter(&back);
        for (const Entry& entry : entries_) {
            PaintItem(*entry.item, entry.selected);
            painter.drawImage(entry.rect.topLeft(), entry.item->surface.SurfaceBitmap());
            painter.setPen(QPen(SEPARATOR_COLOUR, 1, Qt::SolidLine, Qt::SquareCap));
            const int below = entry.rect.bottom() + 1;
            painter.drawLine(QPoint(entry.rect.left(), below), QPoint(entry.rect.right(), below));
        }
        painter.setPen(palette().color(QPalette::Mid));
        painter.drawRect(QRect(0, 0, width() - 1, height() - 1));
    }
    QPainter(this).drawImage(0, 0, back);
}

void CDetectAreaList::SelectItem(int index) {
    for (int row = 0; row < Count(); ++row) {
        entries_[static_cast<std::size_t>(row)].selected = row == index;
    }
    update();
}

void CDetectAreaList::mousePressEvent(QMouseEvent* event) {
    const QPoint at = event->position().toPoint();
    int hit = -1;
    for (int index = 0; index < Count(); ++index) {
        Entry& entry = entries_[static_cast<std::size_t>(index)];
        entry.selected = entry.rect.contains(at);
        if (entry.selected) {
            hit = index;
        }
    }
    PostMessageTo(parentWidget(), WM_APP_AREASELECT, 0, hit);
    update();
}

void CDetectAreaList::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    back_.CreateSurface(size());
    back_.Fill(palette().color(QPalette::Button));
}

} // namespace orlo
