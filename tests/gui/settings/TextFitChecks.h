#pragma once

#include "gui/editors/DetectAreaList.h"
#include "gui/uikit/OrgMFCButton.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QStyleOption>
#include <QTextDocument>
#include <QWidget>
#include <algorithm>
#include <functional>

namespace orlo::test {

// "Class#name" of a widget for reports.
inline QString WidgetName(const QWidget& widget) {
    QString name = QString::fromLatin1(widget.metaObject()->className());
    if (!widget.objectName().isEmpty()) {
        name += QLatin1Char('#') + widget.objectName();
    }
    return name;
}

// A caption as drawn: "&&" shows "&", a single "&" marks the mnemonic and is not drawn.
inline QString WithoutMnemonic(const QString& caption) {
    QString shown;
    for (qsizetype i = 0; i < caption.size(); ++i) {
        if (caption[i] == QLatin1Char('&') && i + 1 < caption.size()) {
            ++i;
        }
        shown += caption[i];
    }
    return shown;
}

// The width of the widest line of a text.
inline int TextWidth(const QFontMetrics& metrics, const QString& text) {
    int widest = 0;
    for (const QString& line : text.split(QLatin1Char('\n'))) {
        widest = std::max(widest, metrics.horizontalAdvance(line));
    }
    return widest;
}

// Every text of a window's visible controls that its control cannot show whole: a label's, button's,
// check box's or group box's caption wider than the place the style leaves for it, a combo box item
// wider than the field that shows it, a list, table or tree item or a header section wider than its
// column (elided texts count), a wrapped label taller than its control. `data` lists controls that
// show values from the sensor or the installation's files. Each report: widget, text and widths.
class TextFitCheck {
public:
    explicit TextFitCheck(const QList<const QWidget*>& data = {}) : data_(data) {}

    // How many texts the last Offenders call measured.
    int Checked() const { return checked_; }

    QStringList Offenders(const QWidget& root) {
        found_.clear();
        checked_ = 0;
        for (const QWidget* widget : root.findChildren<QWidget*>()) {
            if (widget->isWindow() || !widget->isVisibleTo(&root) || data_.contains(widget)) {
                continue;
            }
            if (const auto* label = qobject_cast<const QLabel*>(widget)) {
                CheckLabel(*label);
            } else if (const auto* button = qobject_cast<const QAbstractButton*>(widget)) {
                CheckButton(*button);
            } else if (const auto* group = qobject_cast<const QGroupBox*>(widget)) {
                CheckGroupBox(*group);
            } else if (const auto* combo = qobject_cast<const QComboBox*>(widget)) {
                CheckComboBox(*combo);
            } else if (const auto* header = qobject_cast<const QHeaderView*>(widget)) {
                CheckHeader(*header);
            } else if (const auto* view = qobject_cast<const QAbstractItemView*>(widget)) {
                CheckItemView(*view);
            } else if (const auto* areas = qobject_cast<const CDetectAreaList*>(widget)) {
                CheckAreaList(*areas);
            }
        }
        return found_;
    }

private:
    void Report(const QWidget& widget, const QString& text, int needed, int available,
                const QString& unit = QStringLiteral("wide")) {
        if (text.isEmpty()) {
            return;
        }
        ++checked_;
        if (needed > available) {
            found_ << QStringLiteral("%1 '%2' needs %3 px %5, has %4")
                          .arg(WidgetName(widget), text)
                          .arg(needed)
                          .arg(available)
                          .arg(unit);
        }
    }

    void CheckLabel(const QLabel& label) {
        QString text = label.text();
        if (Qt::mightBeRichText(text) && label.textFormat() != Qt::PlainText) {
            QTextDocument document;
            document.setHtml(text);
            text = document.toPlainText();
        }
        if (label.buddy() != nullptr) {
            text = WithoutMnemonic(text);
        }
        const int margin = label.margin();
        const QRect inside = label.contentsRect().adjusted(margin, margin, -margin, -margin);
        if (label.wordWrap()) {
            Report(label, text, label.heightForWidth(label.width()), label.height(), QStringLiteral("high"));
            return;
        }
        Report(label, text, TextWidth(label.fontMetrics(), text) + std::max(label.indent(), 0),
               inside.width());
    }

    void CheckButton(const QAbstractButton& button) {
        const QString text = WithoutMnemonic(button.text());
        int needed = TextWidth(button.fontMetrics(), text);
        QStyleOptionButton option;
        option.initFrom(&button);
        option.text = button.text();
        option.icon = button.icon();
        option.iconSize = button.iconSize();
        QRect place = button.contentsRect();
        if (const auto* face = qobject_cast<const COrgMFCButton*>(&button);
            face && !face->DrawsStandardFace()) {
            place = face->CaptionRect();
        } else if (qobject_cast<const QCheckBox*>(&button) != nullptr) {
            place = button.style()->subElementRect(QStyle::SE_CheckBoxContents, &option, &button);
        } else if (qobject_cast<const QRadioButton*>(&button) != nullptr) {
            place = button.style()->subElementRect(QStyle::SE_RadioButtonContents, &option, &button);
        } else if (qobject_cast<const QPushButton*>(&button) != nullptr) {
            place = button.style()->subElementRect(QStyle::SE_PushButtonContents, &option, &button);
            if (!button.icon().isNull()) {
                needed += button.iconSize().width() + 4;
            }
        }
        Report(button, text, needed, place.intersected(button.rect()).width());
    }

    void CheckGroupBox(const QGroupBox& group) {
        QStyleOptionGroupBox option;
        option.initFrom(&group);
        option.text = group.title();
        option.subControls = QStyle::SC_GroupBoxLabel;
        const QRect label =
            group.style()->subControlRect(QStyle::CC_GroupBox, &option, QStyle::SC_GroupBoxLabel, &group);
        const QString text = WithoutMnemonic(group.title());
        Report(group, text, group.fontMetrics().horizontalAdvance(text),
               std::min(label.width(), group.rect().right() + 1 - label.left()));
    }

    void CheckComboBox(const QComboBox& combo) {
        QStyleOptionComboBox option;
        option.initFrom(&combo);
        option.editable = combo.isEditable();
        option.frame = combo.hasFrame();
        const QRect field =
            combo.style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, &combo);
        // Any item may become the one the field shows.
        for (int i = 0; i < combo.count(); ++i) {
            int needed = combo.fontMetrics().horizontalAdvance(combo.itemText(i));
            if (!combo.itemIcon(i).isNull()) {
                needed += combo.iconSize().width() + 4;
            }
            Report(combo, combo.itemText(i), needed, field.width());
        }
    }

    void CheckHeader(const QHeaderView& header) {
        const QAbstractItemModel* model = header.model();
        if (model == nullptr) {
            return;
        }
        const int margin = header.style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, &header);
        for (int section = 0; section < header.count(); ++section) {
            if (header.isSectionHidden(section)) {
                continue;
            }
            const QString text = model->headerData(section, header.orientation()).toString();
            Report(header, text, header.fontMetrics().horizontalAdvance(text) + 2 * margin,
                   header.sectionSize(section));
        }
    }

    void CheckItemView(const QAbstractItemView& view) {
        const QAbstractItemModel* model = view.model();
        if (model == nullptr) {
            return;
        }
        QStyleOptionViewItem option;
        option.initFrom(&view);
        option.font = view.font();
        option.fontMetrics = view.fontMetrics();
        const int small = view.style()->pixelMetric(QStyle::PM_SmallIconSize, nullptr, &view);
        option.decorationSize = view.iconSize().isValid() ? view.iconSize() : QSize(small, small);
        option.showDecorationSelected = true;
        std::function<void(const QModelIndex&)> walk = [&](const QModelIndex& parent) {
            for (int row = 0; row < model->rowCount(parent); ++row) {
                for (int column = 0; column < model->columnCount(parent); ++column) {
                    const QModelIndex index = model->index(row, column, parent);
                    const QRect place = view.visualRect(index);
                    // Rows out of sight (collapsed) have no place; an editor covers what the item holds.
                    if (place.isEmpty() || view.indexWidget(index) != nullptr) {
                        continue;
                    }
                    option.rect = place;
                    const int needed = view.itemDelegateForIndex(index)->sizeHint(option, index).width();
                    Report(view, index.data(Qt::DisplayRole).toString(), needed, place.width());
                }
                walk(model->index(row, 0, parent));
            }
        };
        walk({});
    }

    void CheckAreaList(const CDetectAreaList& list) {
        for (int index = 0; index < list.Count(); ++index) {
            const QString label = list.ItemLabel(index);
            Report(list, label, QFontMetrics(list.LabelFont(index)).horizontalAdvance(label),
                   list.VisibleLabelRect(index).width());
        }
    }

    QList<const QWidget*> data_;
    QStringList found_;
    int checked_ = 0;
};

// Pairs of visible buttons of a window that read the same: the user cannot tell what each one does.
inline QStringList ButtonsReadingAlike(const QWidget& root) {
    QStringList found;
    QList<const QAbstractButton*> buttons;
    for (const QAbstractButton* button : root.findChildren<QAbstractButton*>()) {
        if (!button->isWindow() && button->isVisibleTo(&root) && !button->text().isEmpty()) {
            buttons << button;
        }
    }
    for (qsizetype i = 0; i < buttons.size(); ++i) {
        for (qsizetype k = i + 1; k < buttons.size(); ++k) {
            if (WithoutMnemonic(buttons[i]->text()) == WithoutMnemonic(buttons[k]->text())) {
                found << QStringLiteral("%1 and %2 both read '%3'")
                             .arg(WidgetName(*buttons[i]), WidgetName(*buttons[k]), buttons[i]->text());
            }
        }
    }
    return found;
}

} // namespace orlo::test
