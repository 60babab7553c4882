#include "gui/connect/LanConnectDlg.h"

#include "core/config/AppConfig.h"
#include "gui/connect/IPAddressSearchDlg.h"
#include "gui/connect/IpAddressCtrl.h"
#include "gui/uikit/ImgButton.h"
#include "gui/uikit/OrgComboBox.h"
#include "gui/uikit/OrgEdit.h"
#include "gui/uikit/OrgListCtrl.h"
#include "gui/uikit/OrgMessageBox.h"
#include "tests/gui/connect/AddressTyping.h"
#include "tests/support/DialogChecks.h"

#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QtTest>

namespace orlo {
namespace {

const QString kPortMessage = QStringLiteral("ポート番号は1～65535の範囲で入力してください。");

template <typename T>
T* Child(const QWidget& dialog, const char* name) {
    return dialog.findChild<T*>(QLatin1String(name));
}

QStringList FieldTexts(const CIpAddressCtrl& control) {
    QStringList texts;
    for (int i = 0; i < 4; ++i) {
        texts << control.Field(i)->text();
    }
    return texts;
}

} // namespace

class LanConnectDlgTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> dir_;
    std::unique_ptr<AppConfig> config_;

private slots:
    void init() {
        COrgMessageBox::ResetPresets();
        dir_ = std::make_unique<QTemporaryDir>();
        QVERIFY(dir_->isValid());
        config_ = std::make_unique<AppConfig>(dir_->path().toStdString());
    }

    void startsFromTheConfiguration() {
        config_->WriteIpAddress({192, 168, 1, 20});
        config_->WritePortNo(10001);
        config_->WriteAngleOfViewLan(50);
        CLanConnectDlg dialog(nullptr, *config_);
        QCOMPARE(dialog.windowTitle(), QStringLiteral("LAN接続"));
        QCOMPARE(FieldTexts(*Child<CIpAddressCtrl>(dialog, "addressCtrl")),
                 (QStringList{"192", "168", "1", "20"}));
        const COrgEdit* port = Child<COrgEdit>(dialog, "portEdit");
        QCOMPARE(port->text(), QStringLiteral("10001"));
        QVERIFY(port->alignment() & Qt::AlignRight);
        QCOMPARE(Child<COrgComboBox>(dialog, "angleOfViewList")->currentText(), QStringLiteral("50°"));
    }

    void enteredValuesAreTheResult() {
        CLanConnectDlg dialog(nullptr, *config_);
        QVERIFY(test::ShowActive(dialog));
        CIpAddressCtrl* address = Child<CIpAddressCtrl>(dialog, "addressCtrl");
        for (int i = 0; i < 4; ++i) {
            address->Field(i)->clear();
        }
        address->Field(0)->setFocus();
        test::TypeIntoFocus(QStringLiteral("10.0.0.254"));
        COrgEdit* port = Child<COrgEdit>(dialog, "portEdit");
        port->clear();
        QTest::keyClicks(port, QStringLiteral("6x5535")); // digits only
        Child<COrgComboBox>(dialog, "angleOfViewList")->setCurrentIndex(1);
        QTest::keyClick(port, Qt::Key_Return); // "接続" is the default button
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(dialog.Address(), (Ipv4Address{10, 0, 0, 254}));
        QCOMPARE(dialog.Port(), std::uint16_t{65535});
        QCOMPARE(dialog.AngleOfView(), 50);
    }

    // As a user types into a freshly opened dialog: no click, every key into whatever has the focus.
    void typedAddressReplacesTheConfiguredOne_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<Ipv4Address>("expected");
        QTest::newRow("loopback") << QStringLiteral("127.0.0.1") << Ipv4Address{127, 0, 0, 1};
        QTest::newRow("three digits then dots")
            << QStringLiteral("192.168.1.20") << Ipv4Address{192, 168, 1, 20};
        QTest::newRow("all three digits") << QStringLiteral("255.255.255.0") << Ipv4Address{255, 255, 255, 0};
        QTest::newRow("single digits") << QStringLiteral("1.2.3.4") << Ipv4Address{1, 2, 3, 4};
    }

    void typedAddressReplacesTheConfiguredOne() {
        QFETCH(QString, typed);
        QFETCH(Ipv4Address, expected);
        config_->WriteIpAddress({192, 168, 0, 10});
        CLanConnectDlg dialog(nullptr, *config_);
        QVERIFY(test::ShowActive(dialog));
        CIpAddressCtrl* address = Child<CIpAddressCtrl>(dialog, "addressCtrl");
        QVERIFY(address->Field(0)->hasFocus());
        test::TypeIntoFocus(typed);
        QCOMPARE(address->GetAddress(), expected);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(dialog.Address(), expected);
    }

    // However the user gets into the address (mouse, Ctrl+A, Home, End with Backspace, Home with
    // Delete), typing an address key by key gives exactly that address.
    void addressTypedOverTheShownOne_data() { test::AddEntryRows(); }

    void addressTypedOverTheShownOne() {
        QFETCH(Ipv4Address, expected);
        config_->WriteIpAddress({127, 0, 0, 1});
        CLanConnectDlg dialog(nullptr, *config_);
        QVERIFY(test::ShowActive(dialog));
        test::EnterRowAddress(*Child<CIpAddressCtrl>(dialog, "addressCtrl"),
                              *Child<COrgEdit>(dialog, "portEdit"));
        if (QTest::currentTestFailed()) {
            return;
        }
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(dialog.Address(), expected);
    }

    void fieldsSelectTheirTextWhenFocused() {
        config_->WriteIpAddress({192, 168, 0, 10});
        CLanConnectDlg dialog(nullptr, *config_);
        QVERIFY(test::ShowActive(dialog));
        CIpAddressCtrl* address = Child<CIpAddressCtrl>(dialog, "addressCtrl");
        QCOMPARE(address->Field(0)->selectedText(), QStringLiteral("192"));
        // A dot moves on with the next number selected; in an empty field it does nothing.
        QTest::keyClick(QApplication::focusWidget(), '.');
        QVERIFY(address->Field(1)->hasFocus());
        QCOMPARE(address->Field(1)->selectedText(), QStringLiteral("168"));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Delete);
        QTest::keyClick(QApplication::focusWidget(), '.');
        QVERIFY(address->Field(1)->hasFocus());
        // Tab goes through the fields and out to the next control.
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QVERIFY(address->Field(2)->hasFocus());
        QCOMPARE(address->Field(2)->selectedText(), QStringLiteral("0"));
        QTest::keyClick(QApplication::focusWidget(), '7');
        QCOMPARE(address->GetAddress(), (Ipv4Address{192, 0, 7, 10}));
    }

    void pastedAddressFillsTheFreshDialog() {
        config_->WriteIpAddress({192, 168, 0, 10});
        CLanConnectDlg dialog(nullptr, *config_);
        QVERIFY(test::ShowActive(dialog));
        QApplication::clipboard()->setText(QStringLiteral("127.0.0.1"));
        QTest::keySequence(QApplication::focusWidget(), QKeySequence::Paste);
        QCOMPARE(Child<CIpAddressCtrl>(dialog, "addressCtrl")->GetAddress(), (Ipv4Address{127, 0, 0, 1}));
    }

    void unreachablePortsAreRefused_data() {
        QTest::addColumn<QString>("text");
        QTest::newRow("above 65535") << QStringLiteral("70000");
        QTest::newRow("empty") << QString();
        QTest::newRow("zero") << QStringLiteral("0");
        QTest::newRow("65536") << QStringLiteral("65536");
        QTest::newRow("beyond 32 bits") << QStringLiteral("4294967297");
        QTest::newRow("negative from the file") << QStringLiteral("-1");
    }

    void unreachablePortsAreRefused() {
        QFETCH(QString, text);
        CLanConnectDlg dialog(nullptr, *config_);
        bool stayedOpen = false;
        QTimer::singleShot(0, &dialog, [&] {
            Child<COrgEdit>(dialog, "portEdit")->setText(text);
            COrgMessageBox::PresetAnswer(MessageAnswer::Ok);
            Child<CImgButton>(dialog, "connectButton")->click();
            QCoreApplication::processEvents();
            stayedOpen = dialog.isVisible() && dialog.result() != QDialog::Accepted;
            Child<COrgEdit>(dialog, "portEdit")->setText(QStringLiteral("9600"));
            Child<CImgButton>(dialog, "connectButton")->click();
        });
        QCOMPARE(dialog.exec(), int(QDialog::Accepted));
        QVERIFY(stayedOpen);
        QCOMPARE(COrgMessageBox::AnsweredTexts(), QStringList{kPortMessage});
        QCOMPARE(dialog.Port(), std::uint16_t{9600});
    }

    void cancelledSearchKeepsTheAddress() {
        config_->WriteIpAddress({172, 16, 0, 9});
        CLanConnectDlg dialog(nullptr, *config_);
        QTimer::singleShot(0, &dialog, [&] {
            QTimer::singleShot(0, &dialog, [] {
                auto* search = qobject_cast<CIPAddressSearchDlg*>(QApplication::activeModalWidget());
                QVERIFY(search != nullptr);
                QCOMPARE(search->windowTitle(), QStringLiteral("IPアドレス検索"));
                Child<CImgButton>(*search, "cancelButton")->click();
            });
            Child<CImgButton>(dialog, "searchButton")->click();
            Child<CImgButton>(dialog, "cancelButton")->click();
        });
        QCOMPARE(dialog.exec(), int(QDialog::Rejected));
        QCOMPARE(Child<CIpAddressCtrl>(dialog, "addressCtrl")->GetAddress(), (Ipv4Address{172, 16, 0, 9}));
    }

    void searchedAddressReplacesTheAddress() {
        config_->WriteIpAddress({172, 16, 0, 9});
        config_->WriteSearchStartAddress({127, 0, 0, 1});
        config_->WriteSearchEndAddress(1);
        CLanConnectDlg dialog(nullptr, *config_);
        QString skipReason;
        QTimer::singleShot(0, &dialog, [&] {
            QTimer::singleShot(0, &dialog, [&] {
                auto* search = qobject_cast<CIPAddressSearchDlg*>(QApplication::activeModalWidget());
                QVERIFY(search != nullptr);
                COrgMessageBox::PresetAnswer(MessageAnswer::Ok); // only used when ICMP is not allowed
                Child<CImgButton>(*search, "searchButton")->click();
                if (!COrgMessageBox::AnsweredTexts().isEmpty()) {
                    skipReason = COrgMessageBox::AnsweredTexts().front();
                }
                Child<CImgButton>(*search, skipReason.isEmpty() ? "okButton" : "cancelButton")->click();
            });
            Child<CImgButton>(dialog, "searchButton")->click();
            Child<CImgButton>(dialog, "connectButton")->click();
        });
        QCOMPARE(dialog.exec(), int(QDialog::Accepted));
        if (!skipReason.isEmpty()) {
            QSKIP(qPrintable(skipReason));
        }
        QCOMPARE(dialog.Address(), (Ipv4Address{127, 0, 0, 1}));
    }

    void addressFieldsMoveOnAndLimitTo255() {
        CIpAddressCtrl control;
        QVERIFY(test::ShowActive(control));
        control.Field(0)->setFocus();
        test::TypeIntoFocus(QStringLiteral("192.168.1.300"));
        QCOMPARE(FieldTexts(control), (QStringList{"192", "168", "1", "255"}));
        QVERIFY(control.Field(3)->hasFocus());

        // Backspace at the start of a field goes back into the previous one.
        control.Field(3)->clear();
        QTest::keyClick(control.Field(3), Qt::Key_Backspace);
        QVERIFY(control.Field(2)->hasFocus());
        QCOMPARE(control.GetAddress(), (Ipv4Address{192, 168, 1, 0})); // empty reads 0

        QApplication::clipboard()->setText(QStringLiteral(" 10.20.30.40 "));
        QTest::keySequence(control.Field(2), QKeySequence::Paste);
        QCOMPARE(control.GetAddress(), (Ipv4Address{10, 20, 30, 40}));
        QApplication::clipboard()->setText(QStringLiteral("10.20.30.256"));
        control.Field(0)->clear();
        control.Field(0)->setFocus();
        QTest::keySequence(control.Field(0), QKeySequence::Paste);
        QCOMPARE(control.GetAddress(), (Ipv4Address{0, 20, 30, 40}));
    }

    void controlAKeepsTheWholeAddressTogether() {
        CIpAddressCtrl control;
        control.SetAddress({192, 168, 0, 10});
        QVERIFY(test::ShowActive(control));
        test::ClickInto(*control.Field(2), 1);
        QTest::keySequence(QApplication::focusWidget(), QKeySequence::SelectAll);
        for (int i = 0; i < 4; ++i) {
            QCOMPARE(control.Field(i)->selectedText(), control.Field(i)->text());
        }
        QTest::keySequence(QApplication::focusWidget(), QKeySequence::Copy);
        QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("192.168.0.10"));
        // Any other key ends the whole selection; the number with the caret keeps its own.
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Shift);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Right);
        QVERIFY(!control.Field(0)->hasSelectedText());
        QVERIFY(!control.Field(3)->hasSelectedText());

        // Erasing the whole address leaves four empty numbers and the caret in the first.
        QTest::keySequence(QApplication::focusWidget(), QKeySequence::SelectAll);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Delete);
        QCOMPARE(FieldTexts(control), (QStringList{"", "", "", ""}));
        QVERIFY(control.Field(0)->hasFocus());
        QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("12"));
        QCOMPARE(FieldTexts(control), (QStringList{"12", "", "", ""}));

        // A click into another number ends the whole selection too.
        QTest::keySequence(QApplication::focusWidget(), QKeySequence::SelectAll);
        test::ClickInto(*control.Field(3), 0);
        QVERIFY(!control.Field(0)->hasSelectedText());
        QVERIFY(control.Field(3)->hasFocus());
    }

    void typingInsideNumbersAndAcrossTheDots() {
        CIpAddressCtrl control;
        control.SetAddress({192, 168, 0, 10});
        QVERIFY(test::ShowActive(control));
        test::ClickInto(*control.Field(2), 1);
        // Home goes to the start of the first number; a digit after the caret replaces the rest of it.
        test::PressKey(Qt::Key_Home);
        test::PressKey(Qt::Key_Right);
        QTest::keyClick(QApplication::focusWidget(), '5');
        QCOMPARE(FieldTexts(control), (QStringList{"15", "168", "0", "10"}));
        QVERIFY(control.Field(0)->hasFocus());
        QTest::keyClick(QApplication::focusWidget(), '0');
        QVERIFY(control.Field(1)->hasFocus()); // the third digit moved on

        // A digit at the end of a full number goes on into the next number.
        test::PressKey(Qt::Key_Home);
        test::PressKey(Qt::Key_Right, 3);
        QTest::keyClick(QApplication::focusWidget(), '7');
        QCOMPARE(FieldTexts(control), (QStringList{"150", "7", "0", "10"}));
        QVERIFY(control.Field(1)->hasFocus());

        // Delete at the end of a number takes the digits after the dot, passing over empty numbers.
        test::PressKey(Qt::Key_Home);
        test::PressKey(Qt::Key_Right, 3);
        test::PressKey(Qt::Key_Delete, 3);
        QCOMPARE(FieldTexts(control), (QStringList{"150", "", "", "0"}));
        QVERIFY(control.Field(0)->hasFocus());
        QCOMPARE(control.Field(0)->cursorPosition(), 3);

        // End goes to the end of the last number; Backspace and Left step back over the dots.
        test::PressKey(Qt::Key_End);
        QVERIFY(control.Field(3)->hasFocus());
        test::PressKey(Qt::Key_Backspace, 3);
        QVERIFY(control.Field(1)->hasFocus());
        QCOMPARE(FieldTexts(control), (QStringList{"150", "", "", ""}));
        test::PressKey(Qt::Key_Left);
        QVERIFY(control.Field(0)->hasFocus());
        QCOMPARE(control.Field(0)->cursorPosition(), 3);
    }

    void clicksSelectTheNumberUnlessDragged() {
        CIpAddressCtrl control;
        control.SetAddress({192, 168, 0, 10});
        QVERIFY(test::ShowActive(control));
        // Beside the numbers, on the frame: the nearest number.
        QTest::mouseClick(&control, Qt::LeftButton, {}, QPoint(control.width() - 2, control.height() / 2));
        QVERIFY(control.Field(3)->hasFocus());
        QCOMPARE(control.Field(3)->selectedText(), QStringLiteral("10"));
        // A drag over part of a number selects that part, and typing replaces only it.
        QLineEdit& second = *control.Field(1);
        QTest::mousePress(&second, Qt::LeftButton, {}, test::PointOfCaret(second, 0));
        QTest::mouseMove(&second, test::PointOfCaret(second, 2));
        QTest::mouseRelease(&second, Qt::LeftButton, {}, test::PointOfCaret(second, 2));
        QCOMPARE(second.selectedText(), QStringLiteral("16"));
        QTest::keyClick(&second, '7');
        QCOMPARE(FieldTexts(control), (QStringList{"192", "78", "0", "10"}));
    }

    void layout() {
        CLanConnectDlg dialog(nullptr, *config_);
        test::VerifyLayout(dialog, 8);
        const QLabel* first = dialog.findChildren<QLabel*>().front();
        QCOMPARE(first->text(), QStringLiteral("IPアドレス："));
        QCOMPARE(first->x(), 16);
        const QRect address = Child<CIpAddressCtrl>(dialog, "addressCtrl")->geometry();
        const QRect search = Child<CImgButton>(dialog, "searchButton")->geometry();
        QCOMPARE(search.left(), address.right() + 1 + 4);
        QVERIFY(std::abs(search.center().y() - address.center().y()) <= 1);
        QCOMPARE(std::min(search.top(), address.top()), 16);
        const QRect port = Child<COrgEdit>(dialog, "portEdit")->geometry();
        QCOMPARE(port.top(), search.bottom() + 1 + 8);
        const QRect angle = Child<COrgComboBox>(dialog, "angleOfViewList")->geometry();
        QCOMPARE(angle.top(), port.bottom() + 1 + 8);
        const QRect connect = Child<CImgButton>(dialog, "connectButton")->geometry();
        QCOMPARE(connect.top(), angle.bottom() + 1 + 16);
        QCOMPARE(dialog.height(), connect.bottom() + 1 + 16);
        test::SaveScreenshot(dialog, QStringLiteral("lan-connect"));
    }
};

} // namespace orlo

QTEST_MAIN(orlo::LanConnectDlgTest)
#include "LanConnectDlgTest.moc"
