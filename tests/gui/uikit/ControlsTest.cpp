#include "gui/uikit/ImgButton.h"
#include "gui/uikit/MessageEvent.h"
#include "gui/uikit/OrgComboBox.h"
#include "gui/uikit/OrgListCtrl.h"
#include "gui/uikit/OrgMessageBox.h"
#include "gui/uikit/OrgPropertyGrid.h"
#include "gui/uikit/RangeEdit.h"

#include <QLabel>
#include <QMessageBox>
#include <QSpinBox>
#include <QtTest>
#include <climits>
#include <vector>

namespace orlo {
namespace {

// A parent window that records the range-edit messages and the key presses it receives.
class Recorder : public QWidget {
public:
    std::vector<QObject*> changedSources;
    std::vector<int> keys;

protected:
    bool event(QEvent* event) override {
        if (event->type() == MessageType(WM_RANGE_EDIT_CHANGED)) {
            changedSources.push_back(static_cast<CMessageEvent*>(event)->Source());
            return true;
        }
        if (event->type() == QEvent::KeyPress) {
            keys.push_back(static_cast<QKeyEvent*>(event)->key());
            return true;
        }
        return QWidget::event(event);
    }
};

// Cells of 10 x 10 in a distinct colour each: red = 40 * column + 1, green = 40 * row + 1.
QImage GridPicture(int columns, int rows) {
    QImage image(10 * columns, 10 * rows, QImage::Format_RGB32);
    for (int column = 0; column < columns; ++column) {
        for (int row = 0; row < rows; ++row) {
            for (int y = 0; y < 10; ++y) {
                for (int x = 0; x < 10; ++x) {
                    image.setPixelColor(column * 10 + x, row * 10 + y,
                                        QColor(40 * column + 1, 40 * row + 1, 0));
                }
            }
        }
    }
    return image;
}

QColor CellColour(int column, int row) {
    return QColor(40 * column + 1, 40 * row + 1, 0);
}

} // namespace

class ControlsTest : public QObject {
    Q_OBJECT

private:
    // A shown window with a range edit (20..1600) and a second edit to move the focus to.
    struct RangeEditWindow {
        Recorder window;
        CRangeEdit* edit = new CRangeEdit(&window);
        QLineEdit* other = new QLineEdit(&window);

        RangeEditWindow() {
            edit->SetRange({20, 1600});
            other->move(0, 40);
            window.show();
            window.activateWindow();
        }
    };

    static void LeaveWith(RangeEditWindow& w, const QString& typed) {
        w.edit->setFocus();
        QCoreApplication::processEvents();
        w.edit->clear();
        QTest::keyClicks(w.edit, typed);
        QCoreApplication::processEvents();
        w.window.changedSources.clear();
        w.other->setFocus();
        QCoreApplication::processEvents();
    }

private slots:
    void rangeEditClampsOnLosingTheFocus_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("shown");
        QTest::newRow("below") << "5"
                               << "20";
        QTest::newRow("above") << "2000"
                               << "1600";
        QTest::newRow("empty") << ""
                               << "20";
        QTest::newRow("not a number") << "abc"
                                      << "20";
    }

    void rangeEditClampsOnLosingTheFocus() {
        QFETCH(QString, typed);
        QFETCH(QString, shown);
        RangeEditWindow w;
        QVERIFY(QTest::qWaitForWindowActive(&w.window));
        LeaveWith(w, typed);
        QCOMPARE(w.edit->text(), shown);
        // The replacement itself is not reported as a change; the focus-out message is, once.
        QCOMPARE(w.window.changedSources.size(), std::size_t{1});
        QCOMPARE(w.window.changedSources.front(), static_cast<QObject*>(w.edit));
    }

    void rangeEditKeepsAValueInsideTheRange() {
        RangeEditWindow w;
        QVERIFY(QTest::qWaitForWindowActive(&w.window));
        LeaveWith(w, QStringLiteral("1600"));
        QCOMPARE(w.edit->text(), QStringLiteral("1600"));
        QVERIFY(w.window.changedSources.empty());
    }

    void rangeEditReportsEveryTypedChangeAndKeepsTheCaret() {
        RangeEditWindow w;
        QVERIFY(QTest::qWaitForWindowActive(&w.window));
        w.edit->setFocus();
        QCoreApplication::processEvents();
        QTest::keyClicks(w.edit, QStringLiteral("7"));
        QCoreApplication::processEvents();
        QCOMPARE(w.window.changedSources.size(), std::size_t{1});
        QCOMPARE(w.edit->cursorPosition(), 1);
        w.other->setFocus();
        QCoreApplication::processEvents();
        QCOMPARE(w.edit->text(), QStringLiteral("20"));
        QCOMPARE(w.edit->cursorPosition(), 1);
        QCOMPARE(w.window.changedSources.size(), std::size_t{2});
    }

    void rangeEditSelectsAllOnGainingTheFocus() {
        RangeEditWindow w;
        QVERIFY(QTest::qWaitForWindowActive(&w.window));
        w.edit->SetInt(345);
        w.edit->setFocus();
        QTRY_COMPARE(w.edit->selectedText(), QStringLiteral("345"));
    }

    void rangeEditShowsOnlyValuesInItsRange() {
        Recorder parent;
        CRangeEdit edit(&parent);
        edit.SetRange({20, 1600});
        edit.SetInt(5);
        QCOMPARE(edit.text(), QStringLiteral("20"));
        edit.SetValue(99999);
        QCOMPARE(edit.text(), QStringLiteral("1600"));
        edit.SetInt(400);
        QCOMPARE(edit.GetInt(), 400);
        QCoreApplication::processEvents();
        QCOMPARE(parent.changedSources.size(), std::size_t{3});
    }

    void editReadsLeadingDigits() {
        QCOMPARE(COrgEdit::ParseLeadingInt(QStringLiteral("")), 0);
        QCOMPARE(COrgEdit::ParseLeadingInt(QStringLiteral("abc")), 0);
        QCOMPARE(COrgEdit::ParseLeadingInt(QStringLiteral("  42x7")), 42);
        QCOMPARE(COrgEdit::ParseLeadingInt(QStringLiteral("-12")), -12);
        QCOMPARE(COrgEdit::ParseLeadingInt(QStringLiteral("99999999999")), INT_MAX);
        QCOMPARE(COrgEdit::ParseLeadingInt(QStringLiteral("-99999999999")), INT_MIN);
    }

    void comboBoxSelectsByValue() {
        COrgComboBox combo;
        QCOMPARE(combo.GetSelectedValue(), -1);
        QCOMPARE(combo.AddItem(QStringLiteral("9600"), 9600), 0);
        QCOMPARE(combo.AddItem(QStringLiteral("115200"), 115200), 1);
        QCOMPARE(combo.GetSelectedValue(), -1); // adding does not select
        QCOMPARE(combo.SelectByValue(115200), 1);
        QCOMPARE(combo.GetSelectedValue(), 115200);
        QCOMPARE(combo.SelectByValue(4800), -1);
        QCOMPARE(combo.currentIndex(), 1);
        QCOMPARE(combo.GetSelectedValue(), 115200);
    }

    void imgButtonChoosesTheRowByState() {
        QCOMPARE(CImgButton::StateFor(true, false, false, false, true), CImgButton::Normal);
        QCOMPARE(CImgButton::StateFor(true, true, true, true, true), CImgButton::Pressed);
        QCOMPARE(CImgButton::StateFor(true, false, true, true, true), CImgButton::MouseOver);
        QCOMPARE(CImgButton::StateFor(true, false, true, true, false), CImgButton::Focused);
        QCOMPARE(CImgButton::StateFor(true, false, false, true, true), CImgButton::Focused);
        QCOMPARE(CImgButton::StateFor(false, true, true, true, true), CImgButton::Disabled);
    }

    void imgButtonDrawsTheCellOfItsState() {
        QWidget window;
        CImgButton button(QString(), &window);
        QVERIFY(button.Setup(GridPicture(2, 5), {2, true}));
        QCOMPARE(button.size(), QSize(10, 10));
        const auto drawn = [&button] { return button.grab().toImage().pixelColor(5, 5); };
        QCOMPARE(drawn(), CellColour(0, CImgButton::Normal));
        button.SetCheckState(1);
        QCOMPARE(drawn(), CellColour(1, CImgButton::Normal));
        button.setDown(true);
        QCOMPARE(drawn(), CellColour(1, CImgButton::Pressed));
        button.setDown(false);
        QEnterEvent enter(QPointF(2, 2), QPointF(2, 2), QPointF(2, 2));
        QCoreApplication::sendEvent(&button, &enter);
        QVERIFY(button.IsHovered());
        QCOMPARE(drawn(), CellColour(1, CImgButton::MouseOver));
        QEvent leave(QEvent::Leave);
        QCoreApplication::sendEvent(&button, &leave);
        QCOMPARE(drawn(), CellColour(1, CImgButton::Normal));
        button.setEnabled(false);
        QCOMPARE(drawn(), CellColour(1, CImgButton::Disabled));
        QCOMPARE(button.CurrentCell(), QRect(10, 20, 10, 10));
    }

    void imgButtonCellSizeFollowsTheRowsOfThePicture() {
        CImgButton withHover;
        QVERIFY(withHover.Setup(GridPicture(2, 5), {2, true}));
        QCOMPARE(withHover.CellSize(), QSize(10, 10));
        CImgButton withoutHover;
        QVERIFY(withoutHover.Setup(GridPicture(1, 4), {1, false}));
        QCOMPARE(withoutHover.CellSize(), QSize(10, 10));
        QEnterEvent enter(QPointF(2, 2), QPointF(2, 2), QPointF(2, 2));
        QCoreApplication::sendEvent(&withoutHover, &enter);
        QCOMPARE(withoutHover.CurrentState(), CImgButton::Normal);
        CImgButton missing;
        QVERIFY(!missing.Setup(QImage(), {}));
        QVERIFY(missing.CurrentCell().isEmpty());
    }

    void commonButtonPictureGivesA120By40Button() {
        CImgButton button(QStringLiteral("OK"), nullptr);
        QVERIFY(button.Setup(158));
        QCOMPARE(button.size(), QSize(120, 40));
    }

    void listFindsSelectsAndForwardsKeys() {
        Recorder parent;
        auto* list = new COrgListCtrl(&parent);
        const ListColumn columns[] = {{QStringLiteral("No."), Qt::AlignLeft, 40},
                                      {QStringLiteral("サイズ"), Qt::AlignRight, 80}};
        list->AddColumns(columns);
        list->AppendImages(GridPicture(2, 1), 10, CellColour(0, 0).rgb());
        QCOMPARE(list->ImageCount(), 2);
        QCOMPARE(list->InsertRow({QStringLiteral("1"), QStringLiteral("120")}, 7), 0);
        const ListCell cells[] = {{ListCell::Text | ListCell::Value, QStringLiteral("2"), -1, 9},
                                  {ListCell::Image, {}, 1, 0}};
        QCOMPARE(list->InsertRow(cells), 1);
        QCOMPARE(list->FindByValue(9), 1);
        QCOMPARE(list->FindByValue(8), -1);
        QCOMPARE(list->item(0, 1)->text(), QStringLiteral("120"));
        QVERIFY(!list->item(1, 1)->icon().isNull());
        QCOMPARE(list->SelectedRow(), -1);
        list->SelectRow(1);
        QCOMPARE(list->SelectedRow(), 1);
        list->SelectRow(5);
        QCOMPARE(list->SelectedRow(), 1);

        QTest::keyClick(list, Qt::Key_Delete);
        QCoreApplication::processEvents();
        QCOMPARE(parent.keys, std::vector<int>{Qt::Key_Delete});
        QCOMPARE(list->SelectedRow(), 1);
    }

    void propertyGridKeepsValuesAndGroups() {
        COrgPropertyGridCtrl grid;
        auto group = COrgPropertyGridProperty::MakeGroup(QStringLiteral("差分表示"), 2);
        auto sub = COrgPropertyGridProperty::MakeGroup(QStringLiteral("動体検出(近距離)"));
        const QStringList shown{QStringLiteral("表示"), QStringLiteral("非表示")};
        sub->AddSubItem(COrgPropertyGridProperty::MakeChoice(QStringLiteral("動体検出(近距離)"), shown,
                                                             QStringLiteral("表示")));
        sub->AddSubItem(COrgPropertyGridProperty::MakeColour(
            QStringLiteral("色"), QColor(255, 215, 0), {QColor(255, 215, 0)}, QStringLiteral("その他")));
        COrgPropertyGridProperty* subGroup = group->AddSubItem(std::move(sub));
        grid.AddProperty(std::move(group));
        COrgPropertyGridProperty* interval = grid.AddProperty(
            COrgPropertyGridProperty::MakeNumber(QStringLiteral("更新間隔(ms)"), 100, {500, 60000}, 1));
        COrgPropertyGridProperty* resolution = grid.AddProperty(COrgPropertyGridProperty::MakeChoice(
            QStringLiteral("解像度"), {QStringLiteral("320 x 240"), QStringLiteral("160 x 120")},
            QStringLiteral("7")));

        QCOMPARE(grid.GetPropertyCount(), 3);
        QCOMPARE(grid.GetProperty(0)->GetData(), 2);
        QCOMPARE(interval->GetValue().toInt(), 500);            // clamped into the range
        QCOMPARE(resolution->GetValue().toString(), QString()); // not one of the choices: empty
        QCOMPARE(subGroup->ValueText(), QStringLiteral("表示, RGB(255, 215, 0)"));

        // Editing in the grid changes the property and the group's summary.
        auto* spin = qobject_cast<QSpinBox*>(interval->GetEditor());
        QVERIFY(spin != nullptr);
        QCOMPARE(spin->value(), 500);
        spin->setValue(1500);
        QCOMPARE(interval->GetValue().toInt(), 1500);
        subGroup->GetSubItem(0)->SetValue(QStringLiteral("非表示"));
        QCOMPARE(subGroup->ValueText(), QStringLiteral("非表示, RGB(255, 215, 0)"));

        grid.GetProperty(0)->EnableRecursive(false);
        QVERIFY(!subGroup->GetSubItem(1)->IsEnabled());
        QVERIFY(!subGroup->GetSubItem(0)->GetEditor()->isEnabled());
        QVERIFY(interval->IsEnabled());
    }

    void messageBoxAnswersFromThePreset() {
        COrgMessageBox::ResetPresets();
        COrgMessageBox::PresetAnswer(MessageAnswer::No);
        QCOMPARE(COrgMessageBox::Show(nullptr, QStringLiteral("よろしいですか?"), MessageButtons::YesNo),
                 MessageAnswer::No);
        QCOMPARE(COrgMessageBox::AnsweredTexts(), QStringList{QStringLiteral("よろしいですか?")});
        QVERIFY(!COrgMessageBox::HasPresetAnswers());
        COrgMessageBox::ResetPresets();
    }

    // Japanese has no blanks to break at: a line that fits the screen must not be cut mid-word.
    void messageBoxKeepsEachLineOfTheTextWhole() {
        COrgMessageBox::ResetPresets();
        const QString text =
            QStringLiteral("カメラ取付方向が変更されています。\n"
                           "マスクエリア設定、誤検出矩形登録、検出領域設定を再度行ってください。");
        int labelHeight = 0;
        int lineSpacing = 0;
        QTimer::singleShot(0, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            QVERIFY(box != nullptr);
            auto* label = box->findChild<QLabel*>(QStringLiteral("qt_msgbox_label"));
            QVERIFY(label != nullptr);
            labelHeight = label->height();
            lineSpacing = label->fontMetrics().lineSpacing();
            box->accept();
        });
        COrgMessageBox::Show(nullptr, text, MessageButtons::Ok, MessageIcon::Information);
        QVERIFY(lineSpacing > 0);
        QVERIFY2(labelHeight < 3 * lineSpacing, "the text was wrapped onto more than its two lines");
    }
};

} // namespace orlo

QTEST_MAIN(orlo::ControlsTest)
#include "ControlsTest.moc"
