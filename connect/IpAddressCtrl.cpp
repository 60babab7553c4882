#include "connect/IpAddressCtrl.h"

#include <QApplication>
#include <QClipboard>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QRegularExpressionValidator>
#include <QStyleOptionFrame>
#include <algorithm>
#include <utility>

namespace orlo {
namespace {

constexpr int kMaxByte = 255;

bool IsModifierKey(int key) {
    return key == Qt::Key_Shift || key == Qt::Key_Control || key == Qt::Key_Alt || key == Qt::Key_Meta ||
           key == Qt::Key_AltGr;
}

int FrameWidth(const QWidget* widget) {
    return widget->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, widget);
}

} // namespace

CIpAddressCtrl::CIpAddressCtrl(QWidget* parent) : QWidget(parent) {
    auto* layout = new QHBoxLayout(this); // owned by the control
    const int margin = FrameWidth(this) + 1;
    layout->setContentsMargins(margin, margin, margin, margin);
    layout->setSpacing(0);
    const auto* digits =
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]{0,3}")), this);
    for (int i = 0; i < 4; ++i) {
        if (i > 0) {
            auto* dot = new QLabel(QStringLiteral("."), this); // owned by the control
            dot->setAlignment(Qt::AlignCenter);
            layout->addWidget(dot);
        }
        auto* field = new QLineEdit(this); // owned by the control
        field->setFrame(false);
        field->setAlignment(Qt::AlignCenter);
        field->setValidator(digits);
        field->setFixedWidth(field->fontMetrics().horizontalAdvance(QStringLiteral("0000")) + 4);
        field->installEventFilter(this);
        connect(field, &QLineEdit::textEdited, this, [this, i] { OnEdited(i); });
        layout->addWidget(field);
        fields_[static_cast<std::size_t>(i)] = field;
    }
    setFocusProxy(fields_[0]);
    // As high as a plain line edit, so it lines up with the edits of the same dialog.
    const QLineEdit reference;
    height_ = reference.sizeHint().height();
}

void CIpAddressCtrl::SetAddress(const Ipv4Address& address) {
    for (std::size_t i = 0; i < fields_.size(); ++i) {
        fields_[i]->setText(QString::number(address[i]));
    }
}

Ipv4Address CIpAddressCtrl::GetAddress() const {
    Ipv4Address address{};
    for (std::size_t i = 0; i < fields_.size(); ++i) {
        address[i] = static_cast<std::uint8_t>(std::min(fields_[i]->text().toInt(), kMaxByte));
    }
    return address;
}

QSize CIpAddressCtrl::sizeHint() const {
    return {layout()->sizeHint().width(), std::max(height_, layout()->sizeHint().height())};
}

int CIpAddressCtrl::IndexOf(const QObject* field) const {
    for (std::size_t i = 0; i < fields_.size(); ++i) {
        if (fields_[i] == field) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

void CIpAddressCtrl::FocusField(int index) {
    Field(index)->setFocus(Qt::TabFocusReason);
}

void CIpAddressCtrl::OnEdited(int index) {
    QLineEdit* field = Field(index);
    if (field->text().toInt() > kMaxByte) {
        field->setText(QString::number(kMaxByte));
    }
    if (field->text().size() == 3 && index < 3) {
        FocusField(index + 1);
        movedInto_ = index + 1;
    }
}

bool CIpAddressCtrl::PasteAddress() {
    const QStringList parts = QApplication::clipboard()->text().trimmed().split(QLatin1Char('.'));
    if (parts.size() != 4) {
        return false;
    }
    Ipv4Address address{};
    for (std::size_t i = 0; i < address.size(); ++i) {
        bool ok = false;
        const uint value = parts[static_cast<qsizetype>(i)].toUInt(&ok);
        if (!ok || value > kMaxByte) {
            return false;
        }
        address[i] = static_cast<std::uint8_t>(value);
    }
    SetAddress(address);
    FocusField(3);
    Field(3)->end(false);
    return true;
}

bool CIpAddressCtrl::eventFilter(QObject* watched, QEvent* event) {
    const int index = IndexOf(watched);
    if (index >= 0 && (event->type() == QEvent::FocusIn || event->type() == QEvent::FocusOut)) {
        update(); // the frame shows whether a field has the focus
        movedInto_ = -1;
        // Typing replaces the old number; a click places the caret where it was clicked instead.
        if (event->type() == QEvent::FocusIn &&
            static_cast<QFocusEvent*>(event)->reason() != Qt::MouseFocusReason) {
            Field(index)->selectAll();
        }
    }
    if (index < 0 || event->type() != QEvent::KeyPress) {
        return QWidget::eventFilter(watched, event);
    }
    const auto* key = static_cast<QKeyEvent*>(event);
    if (IsModifierKey(key->key())) {
        return QWidget::eventFilter(watched, event); // Shift on the way to a dot
    }
    const bool justMovedHere = std::exchange(movedInto_, -1) == index;
    const QLineEdit* field = Field(index);
    const bool atStart = field->cursorPosition() == 0 && !field->hasSelectedText();
    const bool atEnd = field->cursorPosition() == field->text().size() && !field->hasSelectedText();
    if (key->matches(QKeySequence::Paste)) {
        return PasteAddress();
    }
    switch (key->key()) {
    case Qt::Key_Period:
        // The dot that ends a three-digit number has been typed ahead by the automatic move.
        if (!justMovedHere && !field->text().isEmpty() && index < 3) {
            FocusField(index + 1);
        }
        return true;
    case Qt::Key_Backspace:
    case Qt::Key_Left:
        if (atStart && index > 0) {
            FocusField(index - 1);
            Field(index - 1)->end(false);
            return true;
        }
        break;
    case Qt::Key_Right:
        if (atEnd && index < 3) {
            FocusField(index + 1);
            Field(index + 1)->home(false);
            return true;
        }
        break;
    default:
        break;
    }
    return QWidget::eventFilter(watched, event);
}

void CIpAddressCtrl::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    QStyleOptionFrame frame;
    frame.initFrom(this);
    frame.rect = rect();
    frame.lineWidth = FrameWidth(this);
    frame.midLineWidth = 0;
    frame.state |= QStyle::State_Sunken;
    if (std::any_of(fields_.begin(), fields_.end(),
                    [](const QLineEdit* field) { return field->hasFocus(); })) {
        frame.state |= QStyle::State_HasFocus;
    }
    painter.fillRect(rect(), palette().brush(QPalette::Base));
    style()->drawPrimitive(QStyle::PE_PanelLineEdit, &frame, &painter, this);
}

} // namespace orlo
