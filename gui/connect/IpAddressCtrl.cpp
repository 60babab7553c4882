#include "gui/connect/IpAddressCtrl.h"

#include <QApplication>
#include <QClipboard>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QRegularExpressionValidator>
#include <QStyleOptionFrame>
#include <algorithm>
#include <cstdlib>
#include <utility>

namespace orlo {
namespace {

constexpr int kMaxByte = 255;
constexpr int kMaxDigits = 3;
constexpr int kLastField = 3;

bool IsModifierKey(int key) {
    return key == Qt::Key_Shift || key == Qt::Key_Control || key == Qt::Key_Alt || key == Qt::Key_Meta ||
           key == Qt::Key_AltGr;
}

int FrameWidth(const QWidget* widget) {
    return widget->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, widget);
}

// The digit a key types; a null character for any other key.
QChar TypedDigit(const QKeyEvent& key) {
    if (key.modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)) {
        return {};
    }
    const QString text = key.text();
    return text.size() == 1 && text[0] >= QLatin1Char('0') && text[0] <= QLatin1Char('9') ? text[0] : QChar();
}

// One number of the control. A click that leaves nothing selected selects the whole number, so that
// typing after a click anywhere in it replaces it; a drag still selects part of it.
class NumberField : public QLineEdit {
public:
    using QLineEdit::QLineEdit;

protected:
    void mouseReleaseEvent(QMouseEvent* event) override {
        QLineEdit::mouseReleaseEvent(event);
        if (event->button() == Qt::LeftButton && !hasSelectedText()) {
            selectAll();
        }
    }
};

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
        auto* field = new NumberField(this); // owned by the control
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

void CIpAddressCtrl::PlaceCaret(int index, bool atEnd) {
    FocusField(index);
    if (atEnd) {
        Field(index)->end(false);
    } else {
        Field(index)->home(false);
    }
}

void CIpAddressCtrl::OnEdited(int index) {
    QLineEdit* field = Field(index);
    if (field->text().toInt() > kMaxByte) {
        field->setText(QString::number(kMaxByte));
    }
    if (field->text().size() == kMaxDigits && index < kLastField) {
        FocusField(index + 1);
        movedInto_ = index + 1;
    }
}

void CIpAddressCtrl::TypeDigit(int index, QChar digit) {
    QLineEdit* field = Field(index);
    if (!field->hasSelectedText()) {
        const int caret = field->cursorPosition();
        const auto length = static_cast<int>(field->text().size());
        if (caret == length && length >= kMaxDigits) {
            if (index < kLastField) {
                FocusField(index + 1);
                TypeDigit(index + 1, digit);
            }
            return;
        }
        if (caret < length) {
            field->setSelection(caret, length - caret);
        }
    }
    field->insert(QString(digit)); // replaces the selection; OnEdited follows
}

void CIpAddressCtrl::DeleteAfterDot(int index) {
    for (int next = index + 1; next <= kLastField; ++next) {
        QLineEdit* field = Field(next);
        if (!field->text().isEmpty()) {
            field->setText(field->text().mid(1));
            return;
        }
    }
}

void CIpAddressCtrl::SelectWhole() {
    wholeSelected_ = true;
    for (QLineEdit* field : fields_) {
        field->selectAll();
    }
}

void CIpAddressCtrl::DeselectWhole() {
    if (!std::exchange(wholeSelected_, false)) {
        return;
    }
    // The field with the focus keeps its own selection, as after a click into it.
    for (QLineEdit* field : fields_) {
        if (!field->hasFocus()) {
            field->deselect();
        }
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
    PlaceCaret(kLastField, true);
    return true;
}

bool CIpAddressCtrl::HandleKey(int index, const QKeyEvent& key) {
    if (IsModifierKey(key.key())) {
        return false; // Shift on the way to a dot
    }
    const bool justMovedHere = std::exchange(movedInto_, -1) == index;
    if (key.matches(QKeySequence::SelectAll)) {
        SelectWhole();
        return true;
    }
    if (wholeSelected_ && key.matches(QKeySequence::Copy)) {
        QApplication::clipboard()->setText(QString::fromStdString(FormatIpv4(GetAddress())));
        return true;
    }
    const QChar digit = TypedDigit(key);
    const bool erase = key.key() == Qt::Key_Backspace || key.key() == Qt::Key_Delete;
    if (wholeSelected_ && (!digit.isNull() || erase)) {
        // Typing over the whole address starts a new one in the first number.
        wholeSelected_ = false;
        for (QLineEdit* field : fields_) {
            field->clear();
        }
        PlaceCaret(0, false);
        if (digit.isNull()) {
            return true;
        }
        index = 0;
    } else {
        DeselectWhole();
    }
    if (key.matches(QKeySequence::Paste)) {
        return PasteAddress();
    }
    if (!digit.isNull()) {
        TypeDigit(index, digit);
        return true;
    }
    const QLineEdit* field = Field(index);
    const bool atStart = field->cursorPosition() == 0 && !field->hasSelectedText();
    const bool atEnd = field->cursorPosition() == field->text().size() && !field->hasSelectedText();
    const bool plain = !(key.modifiers() & Qt::ShiftModifier);
    switch (key.key()) {
    case Qt::Key_Period:
        // The dot that ends a three-digit number has been typed ahead by the automatic move.
        if (!justMovedHere && !field->text().isEmpty() && index < kLastField) {
            FocusField(index + 1);
        }
        return true;
    case Qt::Key_Backspace:
    case Qt::Key_Left:
        if (atStart && index > 0) {
            PlaceCaret(index - 1, true);
            return true;
        }
        break;
    case Qt::Key_Right:
        if (atEnd && index < kLastField) {
            PlaceCaret(index + 1, false);
            return true;
        }
        break;
    case Qt::Key_Delete:
        if (atEnd) {
            DeleteAfterDot(index);
            return true;
        }
        break;
    case Qt::Key_Home:
    case Qt::Key_End:
        if (plain) {
            PlaceCaret(key.key() == Qt::Key_Home ? 0 : kLastField, key.key() == Qt::Key_End);
            return true;
        }
        break;
    default:
        break;
    }
    return false;
}

bool CIpAddressCtrl::eventFilter(QObject* watched, QEvent* event) {
    const int index = IndexOf(watched);
    if (index < 0) {
        return QWidget::eventFilter(watched, event);
    }
    switch (event->type()) {
    case QEvent::FocusIn:
    case QEvent::FocusOut: {
        update(); // the frame shows whether a field has the focus
        movedInto_ = -1;
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
        if (event->type() == QEvent::FocusIn) {
            // Typing replaces the old number; a click selects it once released (NumberField).
            if (reason != Qt::MouseFocusReason) {
                Field(index)->selectAll();
            }
        } else if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason) {
            DeselectWhole();
        }
        break;
    }
    case QEvent::MouseButtonPress:
        DeselectWhole();
        break;
    case QEvent::KeyPress:
        return HandleKey(index, *static_cast<QKeyEvent*>(event));
    default:
        break;
    }
    return QWidget::eventFilter(watched, event);
}

void CIpAddressCtrl::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        QWidget::mousePressEvent(event);
        return;
    }
    const int x = event->position().toPoint().x();
    const auto distance = [this, x](int i) { return std::abs(Field(i)->geometry().center().x() - x); };
    int nearest = 0;
    for (int i = 1; i <= kLastField; ++i) {
        if (distance(i) < distance(nearest)) {
            nearest = i;
        }
    }
    DeselectWhole();
    FocusField(nearest);
    Field(nearest)->selectAll();
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
