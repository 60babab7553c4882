#pragma once

#include "gui/uikit/Range.h"

#include <QColor>
#include <QComboBox>
#include <QList>
#include <QStringList>
#include <QTreeWidget>
#include <QVariant>
#include <memory>
#include <vector>

class QMenu;

namespace orlo {

class COrgPropertyGridCtrl;

// The editor of a colour property: drawn as the grid's other drop-down lists are, showing the colour,
// and opening a menu of preset colours (and the full colour dialog) instead of a list.
class COrgColourCombo : public QComboBox {
    Q_OBJECT

public:
    explicit COrgColourCombo(QWidget* parent = nullptr);

    void SetColour(const QColor& colour);
    QMenu* Menu() const { return menu_; }

    void showPopup() override;

private:
    QMenu* menu_;
};

// One row of a property grid: a group of rows or an editable value (a choice among texts, a number
// with a range, or a colour). Values are read and written here; the grid's editors follow them.
class COrgPropertyGridProperty {
public:
    enum class Kind { Group, Choice, Number, Colour };

    static std::unique_ptr<COrgPropertyGridProperty> MakeGroup(const QString& name, qint64 data = 0);
    // A value that is not one of the options shows as an empty choice.
    static std::unique_ptr<COrgPropertyGridProperty>
    MakeChoice(const QString& name, const QStringList& options, const QString& value, qint64 data = 0);
    static std::unique_ptr<COrgPropertyGridProperty> MakeNumber(const QString& name, int value, CRange range,
                                                                qint64 data = 0);
    // Offers the palette's colours and otherText, which opens the full colour dialog.
    static std::unique_ptr<COrgPropertyGridProperty> MakeColour(const QString& name, const QColor& value,
                                                                const QList<QColor>& palette,
                                                                const QString& otherText, qint64 data = 0);

    COrgPropertyGridProperty(const COrgPropertyGridProperty&) = delete;
    COrgPropertyGridProperty& operator=(const COrgPropertyGridProperty&) = delete;
    ~COrgPropertyGridProperty();

    // Only before the property is added to a grid.
    COrgPropertyGridProperty* AddSubItem(std::unique_ptr<COrgPropertyGridProperty> item);
    int GetSubItemsCount() const { return static_cast<int>(subItems_.size()); }
    COrgPropertyGridProperty* GetSubItem(int index) const;
    COrgPropertyGridProperty* GetParent() const { return parent_; }

    Kind GetKind() const { return kind_; }
    const QString& GetName() const { return name_; }
    qint64 GetData() const { return data_; }
    // Choice: the text (empty when none is chosen); Number: int; Colour: QColor; Group: invalid.
    const QVariant& GetValue() const { return value_; }
    // A number is limited to the range.
    void SetValue(const QVariant& value);
    // A value read from elsewhere: a number is kept and shown as it is, also outside the range, until
    // it is changed. Other kinds as SetValue.
    void LoadValue(const QVariant& value);
    // The value as shown: a group lists its items' values.
    QString ValueText() const;
    const QStringList& Options() const { return options_; }
    CRange GetRange() const { return range_; }
    const QList<QColor>& Palette() const { return palette_; }
    const QString& OtherText() const { return otherText_; }

    // The in-place editor while a grid shows the property; null for groups and before.
    QWidget* GetEditor() const { return editor_; }

    // Enables or disables this property and every property below it.
    void EnableRecursive(bool enabled);
    bool IsEnabled() const { return enabled_; }

private:
    friend class COrgPropertyGridCtrl;
    COrgPropertyGridProperty(Kind kind, const QString& name, qint64 data);
    void Refresh();

    Kind kind_;
    QString name_;
    qint64 data_;
    QVariant value_;
    QStringList options_;
    CRange range_;
    QList<QColor> palette_;
    QString otherText_;
    bool enabled_ = true;
    COrgPropertyGridProperty* parent_ = nullptr;
    std::vector<std::unique_ptr<COrgPropertyGridProperty>> subItems_;
    // Set while the property is shown by a grid.
    QTreeWidgetItem* item_ = nullptr;
    QWidget* editor_ = nullptr;
    bool refreshing_ = false;
};

// A two-column grid of named values in collapsible groups, edited in place.
class COrgPropertyGridCtrl : public QTreeWidget {
    Q_OBJECT

public:
    explicit COrgPropertyGridCtrl(QWidget* parent = nullptr);
    ~COrgPropertyGridCtrl() override;

    COrgPropertyGridProperty* AddProperty(std::unique_ptr<COrgPropertyGridProperty> property);
    int GetPropertyCount() const { return static_cast<int>(properties_.size()); }
    COrgPropertyGridProperty* GetProperty(int index) const;
    // Takes what the number editors show, also a number still being typed (limited to its range).
    void CommitEdits();
    void RemoveAll();
    void SetGroupTextColour(const QColor& colour);

private:
    void Attach(COrgPropertyGridProperty& property, QTreeWidgetItem* parentItem);
    QWidget* CreateEditor(COrgPropertyGridProperty& property);

    std::vector<std::unique_ptr<COrgPropertyGridProperty>> properties_;
    QColor groupTextColour_{0x69, 0x69, 0x69};
};

} // namespace orlo
