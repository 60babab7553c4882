#include "gui/uikit/BasisDialog.h"

#include <QKeyEvent>

namespace orlo {

CBasisDialog::CBasisDialog(QWidget* parent) : QDialog(parent) {}

void CBasisDialog::WindowSizeForClient(QSize client) {
    setFixedSize(client);
}

void CBasisDialog::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Escape:
    case Qt::Key_F1:
        event->accept();
        return;
    default:
        QDialog::keyPressEvent(event);
    }
}

} // namespace orlo
