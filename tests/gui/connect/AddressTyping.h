#pragma once

#include "gui/connect/IpAddressCtrl.h"
#include "tests/support/DialogChecks.h"

#include <QApplication>
#include <QLineEdit>
#include <QtTest>
#include <vector>

namespace orlo::test {

// The ways a user gets into an address control, which shows 127.0.0.1, to type a new address over it.
enum class AddressEntry {
    ClickStartOfFirst,
    ClickMiddleOfFirst,
    ClickEndOfFirst,
    ClickFirstTwice,
    ClickFrameBeforeFirst,
    SelectAllFromThird,
    HomeFromSecond,
    EndThenBackspaces,
    HomeThenDeletes,
};

// A point over the number where a click puts the caret at position, as the field itself tells.
inline QPoint PointOfCaret(QLineEdit& field, int position) {
    std::vector<int> xs;
    for (int x = 0; x < field.width(); ++x) {
        if (field.cursorPositionAt(QPoint(x, field.height() / 2)) == position) {
            xs.push_back(x);
        }
    }
    if (xs.empty()) {
        return {};
    }
    // Next to the digits: the caret before the first digit and after the last one also answers for
    // the empty space beside the number.
    int x = xs[xs.size() / 2];
    if (position == 0) {
        x = xs.back();
    } else if (position == field.text().size()) {
        x = xs.front();
    }
    return {x, field.height() / 2};
}

inline void ClickInto(QLineEdit& field, int position) {
    QTest::mouseClick(&field, Qt::LeftButton, {}, PointOfCaret(field, position));
}

inline void PressKey(Qt::Key key, int times = 1) {
    for (int i = 0; i < times; ++i) {
        QTest::keyClick(QApplication::focusWidget(), key);
    }
}

// Starts the entry with real mouse and key events, the focus first on elsewhere; enough Backspace and
// Delete presses to empty the whole address.
inline void BeginEntry(const CIpAddressCtrl& control, AddressEntry entry, QWidget& elsewhere) {
    QTest::mouseClick(&elsewhere, Qt::LeftButton, {}, elsewhere.rect().center());
    QVERIFY(elsewhere.hasFocus());
    QLineEdit& first = *control.Field(0);
    switch (entry) {
    case AddressEntry::ClickStartOfFirst:
        ClickInto(first, 0);
        break;
    case AddressEntry::ClickMiddleOfFirst:
        ClickInto(first, 1);
        break;
    case AddressEntry::ClickEndOfFirst:
        ClickInto(first, 3);
        break;
    case AddressEntry::ClickFirstTwice:
        ClickInto(first, 1);
        ClickInto(first, 2);
        break;
    case AddressEntry::ClickFrameBeforeFirst:
        QTest::mouseClick(const_cast<CIpAddressCtrl*>(&control), Qt::LeftButton, {},
                          QPoint(1, control.height() / 2));
        break;
    case AddressEntry::SelectAllFromThird:
        ClickInto(*control.Field(2), 0);
        QTest::keySequence(QApplication::focusWidget(), QKeySequence::SelectAll);
        break;
    case AddressEntry::HomeFromSecond:
        ClickInto(*control.Field(1), 1);
        PressKey(Qt::Key_Home);
        break;
    case AddressEntry::EndThenBackspaces:
        ClickInto(first, 1);
        PressKey(Qt::Key_End);
        PressKey(Qt::Key_Backspace, 12);
        break;
    case AddressEntry::HomeThenDeletes:
        ClickInto(*control.Field(2), 1);
        PressKey(Qt::Key_Home);
        PressKey(Qt::Key_Delete, 12);
        break;
    }
}

// Rows of every entry with two addresses: three-digit numbers that move on by themselves, and short
// ones that a dot ends.
inline void AddEntryRows() {
    QTest::addColumn<int>("entry");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<Ipv4Address>("expected");
    const std::pair<const char*, AddressEntry> entries[] = {
        {"click start of first", AddressEntry::ClickStartOfFirst},
        {"click middle of first", AddressEntry::ClickMiddleOfFirst},
        {"click end of first", AddressEntry::ClickEndOfFirst},
        {"click first twice", AddressEntry::ClickFirstTwice},
        {"click frame", AddressEntry::ClickFrameBeforeFirst},
        {"select all", AddressEntry::SelectAllFromThird},
        {"home", AddressEntry::HomeFromSecond},
        {"end and backspaces", AddressEntry::EndThenBackspaces},
        {"home and deletes", AddressEntry::HomeThenDeletes},
    };
    for (const auto& [name, entry] : entries) {
        QTest::addRow("%s, 192.168.1.10", name)
            << int(entry) << QStringLiteral("192.168.1.10") << Ipv4Address{192, 168, 1, 10};
        QTest::addRow("%s, 10.0.33.4", name)
            << int(entry) << QStringLiteral("10.0.33.4") << Ipv4Address{10, 0, 33, 4};
    }
}

// Types the row's address key by key into whichever widget has the focus; the control then shows
// exactly that address.
inline void EnterRowAddress(const CIpAddressCtrl& control, QWidget& elsewhere) {
    QFETCH(int, entry);
    QFETCH(QString, typed);
    BeginEntry(control, static_cast<AddressEntry>(entry), elsewhere);
    TypeIntoFocus(typed);
    QStringList shown;
    for (int i = 0; i < 4; ++i) {
        shown << control.Field(i)->text();
    }
    QCOMPARE(shown.join(QLatin1Char('.')), typed);
}

} // namespace orlo::test
