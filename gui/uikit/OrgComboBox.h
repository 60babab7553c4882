#pragma once

#include <QComboBox>

namespace orlo {

// A drop-down list whose items carry an integer value. Like the platform list it starts without a
// selection, also after the first item is added.
class COrgComboBox : public QComboBox {
    Q_OBJECT

public:
    explicit COrgComboBox(QWidget* parent = nullptr);

    // The index of the new item.
    int AddItem(const QString& text, qint64 value);
    // The selected item's value; -1 without a selection.
    qint64 GetSelectedValue() const;
    // Selects the first item with this value and returns its index; -1, leaving the selection as it
    // was, when no item has it.
    int SelectByValue(qint64 value);
};

} // namespace orlo
