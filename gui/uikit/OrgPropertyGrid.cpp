#include "gui/uikit/OrgPropertyGrid.h"

#include "gui/uikit/DigitsValidator.h"
#include "gui/uikit/OrgEdit.h"

#include <QColorDialog>
#include <QComboBox>
#include <QHeaderView>
#include <QMenu>
#include <QPixmap>
#include <QSignalBlocker>
#include <QSpinBox>
#include <algorithm>

namespace orlo {
namespace {

QIcon Swatch(const QColor& colour) {
    QPixmap pixmap(16, 12);
    pixmap.fill(colour);
    return QIcon(pixmap);
}

QString ColourText(const QColor& colour) {
    return QStringLiteral("RGB(%1, %2, %3)").arg(colour.red()).arg(colour.green()).arg(colour.blue());
}

// A number field that takes digits only (and a minus where the range has negatives) and, when it is
// left (or committed), shows the value limited to its range: below the minimum or erased gives the
// minimum, above the maximum the maximum. A value loaded from outside the range is shown as it is
// until it is changed.
class RangeSpinBox : public QSpinBox {
public:
    explicit RangeSpinBox(CRange limits) : limits_(limits) {
        setCorrectionMode(QAbstractSpinBox::CorrectToNearestValue);
        setRange(limits.minimum, limits.maximum);
    }

    // The range widens to hold a value outside the limits (a step from it goes back into them) and
    // narrows again with the next value inside them.
    void Show(int value) {
        const int low = std::min(value, limits_.minimum);
        const int high = std::max(value, limits_.maximum);
        if (low != minimum() || high != maximum()) {
            setRange(low, high);
        }
        setValue(value);
    }

    QValidator::State validate(QString& text, int&) const override {
        CDigitsValidator::NarrowDigits(text);
        const QString typed = Typed(text);
        const QValidator::State form = CDigitsValidator::Check(typed, limits_.minimum < 0);
        if (form != QValidator::Acceptable) {
            return form;
        }
        return Takes(COrgEdit::ParseLeadingInt(typed)) ? QValidator::Acceptable : QValidator::Intermediate;
    }

    void fixup(QString& text) const override { text = textFromValue(valueFromText(text)); }

    int valueFromText(const QString& text) const override {
        const QString typed = Typed(text);
        if (typed.isEmpty()) {
            return limits_.minimum;
        }
        const int value = COrgEdit::ParseLeadingInt(typed);
        return Takes(value) ? value : limits_.Clamp(value);
    }

private:
    // A value of the range, or the one shown from outside it, unchanged.
    bool Takes(int value) const { return limits_.Contains(value) || value == this->value(); }

    QString Typed(const QString& text) const {
        QString typed = text;
        if (typed.startsWith(prefix())) {
            typed.remove(0, prefix().size());
        }
        if (typed.endsWith(suffix())) {
            typed.chop(suffix().size());
        }
        return typed;
    }

    CRange limits_;
};

} // namespace

COrgColourCombo::COrgColourCombo(QWidget* parent) : QComboBox(parent), menu_(new QMenu(this)) {
    addItem(QString()); // the one item shows the current colour
}

void COrgColourCombo::SetColour(const QColor& colour) {
    setItemIcon(0, Swatch(colour));
    setItemText(0, ColourText(colour));
}

void COrgColourCombo::showPopup() {
    menu_->setMinimumWidth(width());
    menu_->popup(mapToGlobal(QPoint(0, height())));
}

COrgPropertyGridProperty::COrgPropertyGridProperty(Kind kind, const QString& name, qint64 data)
    : kind_(kind), name_(name), data_(data) {}

COrgPropertyGridProperty::~COrgPropertyGridProperty() = default;

std::unique_ptr<COrgPropertyGridProperty> COrgPropertyGridProperty::MakeGroup(const QString& name,
                                                                              qint64 data) {
    return std::unique_ptr<COrgPropertyGridProperty>(new COrgPropertyGridProperty(Kind::Group, name, data));
}

std::unique_ptr<COrgPropertyGridProperty> COrgPropertyGridProperty::MakeChoice(const QString& name,
                                                                               const QStringList& options,
                                                                               const QString& value,
                                                                               qint64 data) {
    std::unique_ptr<COrgPropertyGridProperty> property(
        new COrgPropertyGridProperty(Kind::Choice, name, data));
    property->options_ = options;
    property->value_ = options.contains(value) ? value : QString();
    return property;
}

std::unique_ptr<COrgPropertyGridProperty> COrgPropertyGridProperty::MakeNumber(const QString& name, int value,
                                                                               CRange range, qint64 data) {
    std::unique_ptr<COrgPropertyGridProperty> property(
        new COrgPropertyGridProperty(Kind::Number, name, data));
    property->range_ = range;
    property->value_ = range.Clamp(value);
    return property;
}

std::unique_ptr<COrgPropertyGridProperty>
COrgPropertyGridProperty::MakeColour(const QString& name, const QColor& value, const QList<QColor>& palette,
                                     const QString& otherText, qint64 data) {
    std::unique_ptr<COrgPropertyGridProperty> property(
        new COrgPropertyGridProperty(Kind::Colour, name, data));
    property->palette_ = palette;
    property->otherText_ = otherText;
    property->value_ = value;
    return property;
}

COrgPropertyGridProperty*
COrgPropertyGridProperty::AddSubItem(std::unique_ptr<COrgPropertyGridProperty> item) {
    if (!item || item_ != nullptr) {
        return nullptr;
    }
    item->parent_ = this;
    subItems_.push_back(std::move(item));
    return subItems_.back().get();
}

COrgPropertyGridProperty* COrgPropertyGridProperty::GetSubItem(int index) const {
    if (index < 0 || index >= GetSubItemsCount()) {
        return nullptr;
    }
    return subItems_[static_cast<std::size_t>(index)].get();
}

void COrgPropertyGridProperty::SetValue(const QVariant& value) {
    switch (kind_) {
    case Kind::Group:
        return;
    case Kind::Choice: {
        const QString text = value.toString();
        value_ = options_.contains(text) ? text : QString();
        break;
    }
    case Kind::Number:
        value_ = range_.Clamp(value.toInt());
        break;
    case Kind::Colour:
        value_ = value.value<QColor>();
        break;
    }
    Refresh();
}

void COrgPropertyGridProperty::LoadValue(const QVariant& value) {
    if (kind_ != Kind::Number) {
        SetValue(value);
        return;
    }
    value_ = value.toInt();
    Refresh();
}

QString COrgPropertyGridProperty::ValueText() const {
    switch (kind_) {
    case Kind::Group: {
        QStringList parts;
        for (const auto& item : subItems_) {
            parts << item->ValueText();
        }
        return parts.join(QStringLiteral(", "));
    }
    case Kind::Choice:
        return value_.toString();
    case Kind::Number:
        return QString::number(value_.toInt());
    case Kind::Colour:
        return ColourText(value_.value<QColor>());
    }
    return {};
}

void COrgPropertyGridProperty::EnableRecursive(bool enabled) {
    enabled_ = enabled;
    if (item_ != nullptr) {
        item_->setDisabled(!enabled);
    }
    if (editor_ != nullptr) {
        editor_->setEnabled(enabled);
    }
    for (const auto& item : subItems_) {
        item->EnableRecursive(enabled);
    }
}

void COrgPropertyGridProperty::Refresh() {
    if (item_ != nullptr) {
        if (kind_ == Kind::Group && !subItems_.empty() && parent_ != nullptr) {
            item_->setText(1, ValueText());
        }
        if (auto* colour = qobject_cast<COrgColourCombo*>(editor_)) {
            colour->SetColour(value_.value<QColor>());
        } else if (auto* combo = qobject_cast<QComboBox*>(editor_)) {
            const QSignalBlocker blocker(combo);
            combo->setCurrentIndex(static_cast<int>(options_.indexOf(value_.toString())));
        } else if (auto* spin = dynamic_cast<RangeSpinBox*>(editor_)) {
            const QSignalBlocker blocker(spin);
            spin->Show(value_.toInt());
        }
    }
    if (parent_ != nullptr) {
        parent_->Refresh();
    }
}

COrgPropertyGridCtrl::COrgPropertyGridCtrl(QWidget* parent) : QTreeWidget(parent) {
    setColumnCount(2);
    setHeaderHidden(true);
    setRootIsDecorated(true);
    setSelectionMode(QAbstractItemView::NoSelection);
    setFocusPolicy(Qt::NoFocus);
    header()->setSectionResizeMode(QHeaderView::Stretch);
}

COrgPropertyGridCtrl::~COrgPropertyGridCtrl() {
    // The editors refer to the properties: remove them first.
    RemoveAll();
}

COrgPropertyGridProperty*
COrgPropertyGridCtrl::AddProperty(std::unique_ptr<COrgPropertyGridProperty> property) {
    if (!property) {
        return nullptr;
    }
    properties_.push_back(std::move(property));
    COrgPropertyGridProperty& added = *properties_.back();
    Attach(added, nullptr);
    return &added;
}

COrgPropertyGridProperty* COrgPropertyGridCtrl::GetProperty(int index) const {
    if (index < 0 || index >= GetPropertyCount()) {
        return nullptr;
    }
    return properties_[static_cast<std::size_t>(index)].get();
}

void COrgPropertyGridCtrl::CommitEdits() {
    for (QSpinBox* spin : findChildren<QSpinBox*>()) {
        spin->interpretText();
    }
}

void COrgPropertyGridCtrl::RemoveAll() {
    clear();
    properties_.clear();
}

void COrgPropertyGridCtrl::SetGroupTextColour(const QColor& colour) {
    groupTextColour_ = colour;
    for (const auto& property : properties_) {
        if (property->item_ != nullptr && property->kind_ == COrgPropertyGridProperty::Kind::Group) {
            property->item_->setForeground(0, groupTextColour_);
        }
    }
}

void COrgPropertyGridCtrl::Attach(COrgPropertyGridProperty& property, QTreeWidgetItem* parentItem) {
    // Items are owned by the tree (or by their parent item).
    auto* item = parentItem != nullptr ? new QTreeWidgetItem(parentItem) : new QTreeWidgetItem(this);
    item->setText(0, property.name_);
    property.item_ = item;
    if (property.kind_ == COrgPropertyGridProperty::Kind::Group) {
        QFont bold = font();
        bold.setBold(true);
        item->setFont(0, bold);
        if (parentItem == nullptr) {
            item->setForeground(0, groupTextColour_);
            item->setFirstColumnSpanned(true);
        }
    }
    for (const auto& sub : property.subItems_) {
        Attach(*sub, item);
    }
    if (property.kind_ != COrgPropertyGridProperty::Kind::Group) {
        property.editor_ = CreateEditor(property);
        property.editor_->setEnabled(property.enabled_);
        setItemWidget(item, 1, property.editor_);
    }
    item->setDisabled(!property.enabled_);
    item->setExpanded(true);
    property.Refresh();
}

QWidget* COrgPropertyGridCtrl::CreateEditor(COrgPropertyGridProperty& property) {
    COrgPropertyGridProperty* target = &property;
    switch (property.kind_) {
    case COrgPropertyGridProperty::Kind::Choice: {
        auto* combo = new QComboBox(); // owned by the tree once set as item widget
        combo->addItems(property.options_);
        connect(combo, &QComboBox::currentIndexChanged, this, [target, combo](int index) {
            target->SetValue(index < 0 ? QString() : combo->itemText(index));
        });
        return combo;
    }
    case COrgPropertyGridProperty::Kind::Number: {
        auto* spin = new RangeSpinBox(property.range_);
        connect(spin, &QSpinBox::valueChanged, this, [target](int value) { target->SetValue(value); });
        return spin;
    }
    case COrgPropertyGridProperty::Kind::Colour: {
        auto* combo = new COrgColourCombo();
        for (const QColor& colour : property.palette_) {
            combo->Menu()->addAction(Swatch(colour), ColourText(colour), this,
                                     [target, colour] { target->SetValue(colour); });
        }
        if (!property.otherText_.isEmpty()) {
            combo->Menu()->addSeparator();
            combo->Menu()->addAction(property.otherText_, this, [this, target] {
                const QColor chosen = QColorDialog::getColor(target->GetValue().value<QColor>(), this);
                if (chosen.isValid()) {
                    target->SetValue(chosen);
                }
            });
        }
        return combo;
    }
    case COrgPropertyGridProperty::Kind::Group:
        break;
    }
    return nullptr;
}

} // namespace orlo
