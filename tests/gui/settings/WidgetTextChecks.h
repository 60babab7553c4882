#pragma once

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QComboBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QToolButton>
#include <QWidget>
#include <functional>

namespace orlo::test {

// Any kana, CJK ideograph or full-width form.
inline bool HoldsJapanese(const QString& text) {
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if ((u >= 0x3000 && u <= 0x30FF) || (u >= 0x4E00 && u <= 0x9FFF) || (u >= 0xFF00 && u <= 0xFFEF)) {
            return true;
        }
    }
    return false;
}

// Every text a widget shows or tells: title, tooltip, accessible name, its caption, the items of a
// combo box, menu, list, table or tree and their headers.
inline QStringList WidgetTexts(const QWidget& widget) {
    QStringList texts{widget.windowTitle(), widget.toolTip(), widget.statusTip(), widget.accessibleName()};
    if (const auto* label = qobject_cast<const QLabel*>(&widget)) {
        texts << label->text();
    } else if (const auto* button = qobject_cast<const QAbstractButton*>(&widget)) {
        texts << button->text();
        if (const auto* tool = qobject_cast<const QToolButton*>(&widget); tool != nullptr && tool->menu()) {
            for (const QAction* action : tool->menu()->actions()) {
                texts << action->text() << action->toolTip();
            }
        }
    } else if (const auto* group = qobject_cast<const QGroupBox*>(&widget)) {
        texts << group->title();
    } else if (const auto* combo = qobject_cast<const QComboBox*>(&widget)) {
        for (int i = 0; i < combo->count(); ++i) {
            texts << combo->itemText(i);
        }
    } else if (const auto* edit = qobject_cast<const QLineEdit*>(&widget)) {
        texts << edit->placeholderText();
    } else if (const auto* view = qobject_cast<const QAbstractItemView*>(&widget); view && view->model()) {
        const QAbstractItemModel& model = *view->model();
        std::function<void(const QModelIndex&)> walk = [&](const QModelIndex& parent) {
            for (int row = 0; row < model.rowCount(parent); ++row) {
                for (int column = 0; column < model.columnCount(parent); ++column) {
                    const QModelIndex index = model.index(row, column, parent);
                    texts << index.data(Qt::DisplayRole).toString() << index.data(Qt::ToolTipRole).toString();
                    walk(index);
                }
            }
        };
        walk({});
        for (int column = 0; column < model.columnCount(); ++column) {
            texts << model.headerData(column, Qt::Horizontal).toString();
        }
    }
    return texts;
}

// "Class 'text'" of every widget of root (root included) whose texts hold Japanese, except those
// in `data` (values that come from the sensor or an installation file, not from the program).
inline QStringList JapaneseTexts(const QWidget& root, const QList<const QWidget*>& data = {}) {
    QStringList found;
    QList<const QWidget*> widgets{&root};
    for (const QWidget* child : root.findChildren<QWidget*>()) {
        widgets << child;
    }
    for (const QWidget* widget : widgets) {
        if (data.contains(widget)) {
            continue;
        }
        for (const QString& text : WidgetTexts(*widget)) {
            if (HoldsJapanese(text)) {
                found << QStringLiteral("%1 '%2'").arg(QString::fromLatin1(widget->metaObject()->className()),
                                                       text);
            }
        }
    }
    return found;
}

// The visible captions of root that do not fit their widget, and visible widgets that reach out of
// their parent (so that the parent cuts them off).
inline QStringList ClippedWidgets(const QWidget& root) {
    QStringList found;
    for (const QWidget* widget : root.findChildren<QWidget*>()) {
        if (!widget->isVisibleTo(&root) || widget->isWindow()) {
            continue;
        }
        const QString name = QString::fromLatin1(widget->metaObject()->className());
        // Controls that our windows place themselves (the parts of Qt's composite controls place
        // themselves).
        const QWidget* parent = widget->parentWidget();
        const bool placedByUs = parent != nullptr && parent->inherits("orlo::CBasisDialog");
        if (placedByUs && !parent->rect().contains(widget->geometry())) {
            found << QStringLiteral("%1 '%2' reaches out of its parent")
                         .arg(name, WidgetTexts(*widget).join(QString()));
        }
        bool clipped = false;
        QString caption;
        if (const auto* label = qobject_cast<const QLabel*>(widget); label != nullptr && !label->wordWrap()) {
            caption = label->text();
            const QSize needed = label->sizeHint();
            clipped =
                !caption.isEmpty() && (needed.width() > label->width() || needed.height() > label->height());
        } else if (const auto* button = qobject_cast<const QAbstractButton*>(widget)) {
            caption = button->text();
            // Our picture buttons draw the caption centred over a picture of fixed size.
            const int needed =
                widget->inherits("orlo::CImgButton")
                    ? widget->fontMetrics().horizontalAdvance(QString(caption).remove(QLatin1Char('&'))) + 4
                    : button->sizeHint().width();
            clipped = !caption.isEmpty() && needed > button->width();
        }
        if (clipped) {
            found << QStringLiteral("%1 '%2' is clipped (%3 x %4)")
                         .arg(name, caption)
                         .arg(widget->width())
                         .arg(widget->height());
        }
    }
    return found;
}

// Captions that overlap another caption or button of the same window: a text grown longer than its
// place runs into its neighbour.
inline QStringList OverlappingCaptions(const QWidget& root) {
    QStringList found;
    QList<const QWidget*> captions;
    for (const QWidget* widget : root.findChildren<QWidget*>()) {
        const bool caption = qobject_cast<const QLabel*>(widget) != nullptr ||
                             qobject_cast<const QAbstractButton*>(widget) != nullptr;
        if (caption && widget->isVisibleTo(&root) && widget->parentWidget() != nullptr &&
            widget->parentWidget()->inherits("orlo::CBasisDialog")) {
            captions << widget;
        }
    }
    for (qsizetype i = 0; i < captions.size(); ++i) {
        for (qsizetype k = i + 1; k < captions.size(); ++k) {
            const QWidget* a = captions[i];
            const QWidget* b = captions[k];
            if (a->parentWidget() == b->parentWidget() && a->geometry().intersects(b->geometry()) &&
                qobject_cast<const QLabel*>(a) != nullptr) {
                found << QStringLiteral("'%1' overlaps '%2'")
                             .arg(WidgetTexts(*a).join(QString()), WidgetTexts(*b).join(QString()));
            }
        }
    }
    return found;
}

} // namespace orlo::test
