#include "gui/uikit/OrgEdit.h"
#include "gui/uikit/OrgPropertyGrid.h"
#include "gui/uikit/RangeEdit.h"

#include <QClipboard>
#include <QSpinBox>
#include <QtTest>
#include <memory>

Q_DECLARE_METATYPE(orlo::CRange)

namespace orlo {
namespace {

// Each kind of numeric field of the tool, with a range, in a window of its own.
struct Field {
    std::unique_ptr<QWidget> window = std::make_unique<QWidget>();
    QWidget* input = nullptr;

    QString Text() const {
        auto* edit = qobject_cast<QLineEdit*>(input);
        return edit != nullptr ? edit->text() : qobject_cast<QAbstractSpinBox*>(input)->text();
    }
    void Empty() const {
        if (auto* edit = qobject_cast<QLineEdit*>(input)) {
            edit->clear();
        } else {
            qobject_cast<QAbstractSpinBox*>(input)->clear();
        }
    }
};

Field PlainEdit(CRange range) {
    Field field;
    auto* edit = new COrgEdit(field.window.get());
    edit->SetMinusAllowed(range.minimum < 0);
    field.input = edit;
    return field;
}

Field RangeEdit(CRange range) {
    Field field;
    auto* edit = new CRangeEdit(field.window.get());
    edit->SetRange(range);
    field.input = edit;
    return field;
}

Field GridNumber(CRange range) {
    Field field;
    auto* grid = new COrgPropertyGridCtrl(field.window.get());
    field.input =
        grid->AddProperty(COrgPropertyGridProperty::MakeNumber(QStringLiteral("n"), range.minimum, range))
            ->GetEditor();
    return field;
}

std::vector<std::pair<const char*, Field (*)(CRange)>> Kinds() {
    return {{"edit", PlainEdit}, {"range edit", RangeEdit}, {"grid number", GridNumber}};
}

void Paste(QWidget* input, const QString& clipboard) {
    QGuiApplication::clipboard()->setText(clipboard);
    QTest::keyClick(input, Qt::Key_V, Qt::ControlModifier);
}

QSpinBox* SpinOf(const COrgPropertyGridProperty& property) {
    return qobject_cast<QSpinBox*>(property.GetEditor());
}

} // namespace

class NumericEditsTest : public QObject {
    Q_OBJECT

private slots:
    void typedKeysLeaveOnlyTheNumber_data() {
        QTest::addColumn<CRange>("range");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("kept");
        QTest::newRow("letter between digits") << CRange{1, 1000} << "4x5"
                                               << "45";
        QTest::newRow("letters only") << CRange{1, 1000} << "abc" << QString();
        QTest::newRow("blank and plus") << CRange{1, 1000} << " 1+2"
                                        << "12";
        QTest::newRow("minus without negatives") << CRange{0, 100} << "-5"
                                                 << "5";
        QTest::newRow("minus with negatives") << CRange{-50, 50} << "-4x5"
                                              << "-45";
        QTest::newRow("minus after the first key") << CRange{-50, 50} << "5-"
                                                   << "5";
        QTest::newRow("second minus") << CRange{-50, 50} << "--5"
                                      << "-5";
    }

    // What a Japanese input method sends in its full-width mode: the same number.
    void fullWidthDigitsAreTheirNumber() {
        for (const auto& [kind, make] : Kinds()) {
            const Field field = make({-50, 1000});
            field.Empty();
            for (const QChar c : QStringLiteral("－４ｘ５")) {
                QTest::sendKeyEvent(QTest::Click, field.input, Qt::Key_unknown, QString(c), Qt::NoModifier);
            }
            QVERIFY2(field.Text() == QStringLiteral("-45"), kind);
            Paste(field.input, QStringLiteral("１２"));
            QVERIFY2(field.Text() == QStringLiteral("-4512"), kind);
        }
    }

    void typedKeysLeaveOnlyTheNumber() {
        QFETCH(CRange, range);
        QFETCH(QString, typed);
        QFETCH(QString, kept);
        for (const auto& [kind, make] : Kinds()) {
            const Field field = make(range);
            field.Empty();
            QTest::keyClicks(field.input, typed);
            QVERIFY2(field.Text() == kept, kind);
        }
    }

    void aPasteWithALetterIsRefusedWhole() {
        for (const auto& [kind, make] : Kinds()) {
            const Field field = make({1, 1000});
            field.Empty();
            QTest::keyClicks(field.input, QStringLiteral("7"));
            Paste(field.input, QStringLiteral("12a"));
            QVERIFY2(field.Text() == QStringLiteral("7"), kind);
            Paste(field.input, QStringLiteral("-1"));
            QVERIFY2(field.Text() == QStringLiteral("7"), kind);
            Paste(field.input, QStringLiteral("12"));
            QVERIFY2(field.Text() == QStringLiteral("712"), kind);
        }
        const Field negative = RangeEdit({-50, 50});
        negative.Empty();
        Paste(negative.input, QStringLiteral("-1"));
        QCOMPARE(negative.Text(), QStringLiteral("-1"));
    }

    // A value read from a device outside the range that can be typed is shown and kept as it is
    // until the user changes it; what the user types or steps to is limited to the range.
    void aLoadedNumberOutsideTheRangeStaysUntilChanged() {
        COrgPropertyGridCtrl grid;
        auto group = COrgPropertyGridProperty::MakeGroup(QStringLiteral("ms"));
        group->AddSubItem(COrgPropertyGridProperty::MakeNumber(QStringLiteral("a"), 20000, {100, 20000}));
        COrgPropertyGridProperty* number = grid.AddProperty(std::move(group))->GetSubItem(0);
        QSpinBox* spin = SpinOf(*number);

        number->LoadValue(30000);
        QCOMPARE(number->GetValue().toInt(), 30000);
        QCOMPARE(spin->text(), QStringLiteral("30000"));
        QCOMPARE(grid.GetProperty(0)->ValueText(), QStringLiteral("30000"));
        grid.CommitEdits();
        QCOMPARE(number->GetValue().toInt(), 30000);
        // A step goes to the nearer limit, and from there the range holds.
        QTest::keyClick(spin, Qt::Key_Down);
        QCOMPARE(number->GetValue().toInt(), 20000);
        QTest::keyClick(spin, Qt::Key_Up);
        QCOMPARE(number->GetValue().toInt(), 20000);
        QCOMPARE(spin->text(), QStringLiteral("20000"));

        number->LoadValue(50);
        QCOMPARE(spin->text(), QStringLiteral("50"));
        QTest::keyClick(spin, Qt::Key_Up);
        QCOMPARE(number->GetValue().toInt(), 100);

        number->LoadValue(50);
        spin->selectAll();
        QTest::keyClicks(spin, QStringLiteral("99999"));
        grid.CommitEdits();
        QCOMPARE(number->GetValue().toInt(), 20000);
        QCOMPARE(spin->text(), QStringLiteral("20000"));

        number->LoadValue(50);
        spin->selectAll();
        QTest::keyClicks(spin, QStringLiteral("60"));
        grid.CommitEdits();
        QCOMPARE(number->GetValue().toInt(), 100);
        // Set by the program, a number is limited to the range.
        number->SetValue(30000);
        QCOMPARE(number->GetValue().toInt(), 20000);
    }
};

} // namespace orlo

QTEST_MAIN(orlo::NumericEditsTest)
#include "NumericEditsTest.moc"
