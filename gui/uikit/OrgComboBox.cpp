#include "gui/uikit/OrgComboBox.h"

namespace orlo {

COrgComboBox::COrgComboBox(QWidget* parent) : QComboBox(parent) {}

int COrgComboBox::AddItem(const QString& text, qint64 value) {
    const int previous = currentIndex();
    addItem(text, QVariant::fromValue(value));
    if (previous < 0) {
        // QComboBox selects the first item it gets.
        setCurrentIndex(-1);
    }
    return count() - 1;
}

qint64 COrgComboBox::GetSelectedValue() const {
    const int index = currentIndex();
    return index < 0 ? -1 : itemData(index).toLongLong();
}

int COrgComboBox::SelectByValue(qint64 value) {
    for (int i = 0; i < count(); ++i) {
        if (itemData(i).toLongLong() == value) {
            setCurrentIndex(i);
            return i;
        }
    }
    return -1;
}

} // namespace orlo
