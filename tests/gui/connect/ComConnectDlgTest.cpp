#include "gui/connect/ComConnectDlg.h"

#include "core/config/AppConfig.h"
#include "gui/uikit/ImgButton.h"
#include "gui/uikit/OrgComboBox.h"
#include "tests/support/DialogChecks.h"
#ifndef Q_OS_WIN
#include "tests/support/PtyPair.h"
#endif

#include <QLabel>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>
#include <filesystem>
#include <fstream>
#include <future>

namespace orlo {
namespace {

namespace fs = std::filesystem;

const std::vector<SerialPortInfo> kThreePorts{
    {"/dev/ttyACM0", "Orlo-X1"}, {"/dev/ttyUSB0", ""}, {"/dev/ttyUSB1", "FT232R USB UART"}};

CComConnectDlg::PortLister Ports(std::vector<SerialPortInfo> ports) {
    return [ports] { return ports; };
}

COrgComboBox* List(const CComConnectDlg& dialog, const char* name) {
    return dialog.findChild<COrgComboBox*>(QLatin1String(name));
}

CImgButton* Button(const CComConnectDlg& dialog, const char* name) {
    return dialog.findChild<CImgButton*>(QLatin1String(name));
}

QStringList ItemTexts(const QComboBox& list) {
    QStringList texts;
    for (int i = 0; i < list.count(); ++i) {
        texts << list.itemText(i);
    }
    return texts;
}

bool WaitForPorts(CComConnectDlg& dialog) {
    QSignalSpy listed(&dialog, &CComConnectDlg::PortsListed);
    return listed.wait(5000);
}

} // namespace

class ComConnectDlgTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> dir_;
    std::unique_ptr<AppConfig> config_;

private slots:
    void init() {
        dir_ = std::make_unique<QTemporaryDir>();
        QVERIFY(dir_->isValid());
        config_ = std::make_unique<AppConfig>(dir_->path().toStdString());
    }

    void listsPortsWithDescriptionsAndSelectsTheConfiguredValues() {
        config_->WriteComPort("/dev/ttyUSB0");
        config_->WriteBaudRate(460800);
        config_->WriteAngleOfViewCom(50);
        CComConnectDlg dialog(nullptr, *config_, Ports(kThreePorts));
        QVERIFY(WaitForPorts(dialog));
        QCOMPARE(dialog.windowTitle(), QStringLiteral("COM接続"));

        COrgComboBox* ports = List(dialog, "portList");
        QCOMPARE(ItemTexts(*ports),
                 (QStringList{"/dev/ttyACM0 (Orlo-X1)", "/dev/ttyUSB0", "/dev/ttyUSB1 (FT232R USB UART)"}));
        QCOMPARE(ports->currentIndex(), 1);
        QCOMPARE(ports->currentText(), QStringLiteral("/dev/ttyUSB0"));
        COrgComboBox* rates = List(dialog, "baudRateList");
        QCOMPARE(ItemTexts(*rates), (QStringList{"9600", "38400", "115200", "230400", "460800"}));
        QCOMPARE(rates->currentText(), QStringLiteral("460800"));
        COrgComboBox* angles = List(dialog, "angleOfViewList");
        QCOMPARE(ItemTexts(*angles), (QStringList{"90°", "50°"}));
        QCOMPARE(angles->currentText(), QStringLiteral("50°"));

        Button(dialog, "connectButton")->click();
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(dialog.Port(), std::string("/dev/ttyUSB0"));
        QCOMPARE(dialog.BaudRate(), 460800u);
        QCOMPARE(dialog.AngleOfView(), 50);
    }

    void choosingFromTheListShowsThePathAlone() {
        CComConnectDlg dialog(nullptr, *config_, Ports(kThreePorts));
        QVERIFY(WaitForPorts(dialog));
        COrgComboBox* ports = List(dialog, "portList");
        QCOMPARE(ports->currentText(), QStringLiteral("/dev/ttyACM0"));
        dialog.show();
        ports->setFocus();
        QTest::keyClick(ports, Qt::Key_Down);
        QTest::keyClick(ports, Qt::Key_Down);
        QCOMPARE(ports->currentIndex(), 2);
        QCOMPARE(ports->currentText(), QStringLiteral("/dev/ttyUSB1"));
        Button(dialog, "connectButton")->click();
        QCOMPARE(dialog.Port(), std::string("/dev/ttyUSB1"));
    }

    void storedPortTheListingMissesStaysOnOfferAtTheTop() {
        // A pseudo-terminal typed in last time, a link the listing does not find now.
        for (const std::string stored : {"/dev/pts/4", "/dev/serial/by-id/usb-Orlo_X1-if00"}) {
            config_->WriteComPort(stored);
            CComConnectDlg dialog(nullptr, *config_, Ports(kThreePorts));
            QVERIFY(WaitForPorts(dialog));
            COrgComboBox* ports = List(dialog, "portList");
            QCOMPARE(ItemTexts(*ports), (QStringList{QString::fromStdString(stored), "/dev/ttyACM0 (Orlo-X1)",
                                                     "/dev/ttyUSB0", "/dev/ttyUSB1 (FT232R USB UART)"}));
            QCOMPARE(ports->currentIndex(), 0);
            QCOMPARE(ports->currentText(), QString::fromStdString(stored));
            Button(dialog, "connectButton")->click();
            QCOMPARE(dialog.Port(), stored);
        }
        // Also when the listing finds nothing at all.
        CComConnectDlg dialog(nullptr, *config_, Ports({}));
        QVERIFY(WaitForPorts(dialog));
        QCOMPARE(ItemTexts(*List(dialog, "portList")), QStringList{"/dev/serial/by-id/usb-Orlo_X1-if00"});
        QCOMPARE(List(dialog, "portList")->currentIndex(), 0);
    }

    void unmatchedRateAndAngleSelectNothing() {
        config_->WriteBaudRate(57600);
        config_->WriteAngleOfViewCom(70);
        CComConnectDlg dialog(nullptr, *config_, Ports(kThreePorts));
        QVERIFY(WaitForPorts(dialog));
        QCOMPARE(List(dialog, "portList")->currentIndex(), 0);
        QCOMPARE(List(dialog, "baudRateList")->currentIndex(), -1);
        QCOMPARE(List(dialog, "angleOfViewList")->currentIndex(), -1);

        Button(dialog, "connectButton")->click();
        QCOMPARE(dialog.Port(), std::string("/dev/ttyACM0"));
        QCOMPARE(dialog.BaudRate(), CComConnectDlg::kNoBaudRate);
        QCOMPARE(dialog.AngleOfView(), -1);
    }

    void windowsPortNumberIsTheFallback() {
        const CComConnectDlg::PortLister windowsPorts = Ports({{"COM1", ""}, {"COM3", ""}, {"COM4", ""}});
        config_->WriteComNo(3);
        {
            CComConnectDlg dialog(nullptr, *config_, windowsPorts);
            QVERIFY(WaitForPorts(dialog));
            QCOMPARE(List(dialog, "portList")->currentText(), QStringLiteral("COM3"));
        }
        {
            // A port number alone names no path here: one the listing misses is not offered.
            config_->WriteComNo(7);
            CComConnectDlg dialog(nullptr, *config_, windowsPorts);
            QVERIFY(WaitForPorts(dialog));
            QCOMPARE(List(dialog, "portList")->count(), 3);
            QCOMPARE(List(dialog, "portList")->currentText(), QStringLiteral("COM1"));
        }
        config_->WriteComPort("COM4");
        CComConnectDlg dialog(nullptr, *config_, windowsPorts);
        QVERIFY(WaitForPorts(dialog));
        QCOMPARE(List(dialog, "portList")->currentText(), QStringLiteral("COM4"));
    }

    void typedPathIsTheResult() {
        CComConnectDlg dialog(nullptr, *config_, Ports(kThreePorts));
        QVERIFY(WaitForPorts(dialog));
        dialog.show();
        QLineEdit* edit = List(dialog, "portList")->lineEdit();
        edit->selectAll();
        QTest::keyClicks(edit, QStringLiteral("/dev/pts/17"));
        // Enter in the field neither adds an item nor swallows the key: "接続" is the default.
        QTest::keyClick(edit, Qt::Key_Return);
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(List(dialog, "portList")->count(), 3);
        QCOMPARE(dialog.Port(), std::string("/dev/pts/17"));
        QCOMPARE(dialog.BaudRate(), 115200u); // the configuration's default
        QCOMPARE(dialog.AngleOfView(), 90);
    }

    void pathTypedWhileListingStays() {
        std::promise<void> release;
        std::shared_future<void> released = release.get_future().share();
        CComConnectDlg dialog(nullptr, *config_, [released] {
            released.wait();
            return kThreePorts;
        });
        QSignalSpy listed(&dialog, &CComConnectDlg::PortsListed);
        dialog.show();
        QLineEdit* edit = List(dialog, "portList")->lineEdit();
        QTest::keyClicks(edit, QStringLiteral("/tmp/sim-pty"));
        release.set_value();
        QVERIFY(listed.wait(5000));
        QCOMPARE(List(dialog, "portList")->count(), 3);
        QCOMPARE(edit->text(), QStringLiteral("/tmp/sim-pty"));
    }

    void emptyListWithoutConfigurationGivesNoPort() {
        CComConnectDlg dialog(nullptr, *config_, Ports({}));
        QVERIFY(WaitForPorts(dialog));
        Button(dialog, "connectButton")->click();
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(dialog.Port(), std::string());
    }

#ifdef Q_OS_WIN
    void listsTheComPortsThatOpen() {
        const QByteArray port = qgetenv("ORLO_TEST_COM_PORT");
        if (port.isEmpty()) {
            QSKIP(
                "no COM port to list: set ORLO_TEST_COM_PORT (scripts/windows-tests.sh maps the simulator's "
                "pseudo-terminal to COM5)");
        }
        CComConnectDlg dialog(nullptr, *config_, [] { return CSerialConnection::EnumeratePorts({}); });
        QVERIFY(WaitForPorts(dialog));
        // Listed by its Windows name, with the friendly name where the system gives one.
        COrgComboBox* list = List(dialog, "portList");
        const QStringList texts = ItemTexts(*list);
        const auto found = std::find_if(texts.begin(), texts.end(), [&](const QString& text) {
            return text == QString::fromLatin1(port) || text.startsWith(QString::fromLatin1(port + " ("));
        });
        QVERIFY2(found != texts.end(), qPrintable(texts.join(QLatin1Char(','))));
        list->setCurrentIndex(static_cast<int>(found - texts.begin()));
        Button(dialog, "connectButton")->click();
        QCOMPARE(dialog.Port(), port.toStdString());
    }
#else
    void listsTheTerminalsThatOpen() {
        test::PtyPair pty;
        QVERIFY(pty.Valid());
        const fs::path root = fs::path(dir_->path().toStdString());
        fs::create_directories(root / "dev");
        fs::create_directories(root / "sys" / "ttyUSB0" / "device");
        std::ofstream(root / "sys" / "ttyUSB0" / "device" / "product") << "Orlo X1 Sensor\n";
        fs::create_symlink(pty.SlavePath(), root / "dev" / "ttyUSB0");
        fs::create_symlink("/dev/null", root / "dev" / "ttyUSB1"); // opens, but is no terminal
        // udev's stable names are relative links to the kernel's names.
        fs::create_directories(root / "dev" / "serial" / "by-id");
        fs::create_symlink("../../ttyUSB0", root / "dev" / "serial" / "by-id" / "usb-Orlo_X1_Sensor-if00");
        const SerialPortLocations where{(root / "dev").string(), (root / "dev" / "serial" / "by-id").string(),
                                        (root / "sys").string()};
        CComConnectDlg dialog(nullptr, *config_,
                              [where] { return CSerialConnection::EnumeratePorts(where); });
        QVERIFY(WaitForPorts(dialog));
        const QString port = QString::fromStdString((root / "dev" / "ttyUSB0").string());
        const QString stable =
            QString::fromStdString((root / "dev" / "serial" / "by-id" / "usb-Orlo_X1_Sensor-if00").string());
        QCOMPARE(ItemTexts(*List(dialog, "portList")),
                 (QStringList{stable + QStringLiteral(" (Orlo X1 Sensor)"),
                              port + QStringLiteral(" (Orlo X1 Sensor)")}));
        QCOMPARE(List(dialog, "portList")->currentText(), stable);
    }
#endif

    void cancelTakesNoValues() {
        config_->WriteComPort("/dev/ttyUSB0");
        CComConnectDlg dialog(nullptr, *config_, Ports(kThreePorts));
        QVERIFY(WaitForPorts(dialog));
        QTimer::singleShot(0, &dialog, [&dialog] {
            // Escape does not close the dialog; "キャンセル" does.
            QTest::keyClick(&dialog, Qt::Key_Escape);
            QVERIFY(dialog.isVisible());
            Button(dialog, "cancelButton")->click();
        });
        QCOMPARE(dialog.exec(), int(QDialog::Rejected));
        QCOMPARE(dialog.Port(), std::string());
        QCOMPARE(dialog.BaudRate(), CComConnectDlg::kNoBaudRate);
        QCOMPARE(dialog.AngleOfView(), -1);
    }

    void layout() {
        CComConnectDlg dialog(nullptr, *config_, Ports(kThreePorts));
        QVERIFY(WaitForPorts(dialog));
        test::VerifyLayout(dialog, 8);
        const auto labels = dialog.findChildren<QLabel*>();
        QCOMPARE(labels.size(), 3);
        const QLabel* first = labels.front();
        QCOMPARE(first->text(), QStringLiteral("COMポート："));
        QCOMPARE(first->x(), 16);
        QCOMPARE(std::min(first->y(), List(dialog, "portList")->y()), 16);
        const QRect connect = Button(dialog, "connectButton")->geometry();
        const QRect cancel = Button(dialog, "cancelButton")->geometry();
        QCOMPARE(connect.size(), QSize(120, 40));
        QCOMPARE(connect.top(), List(dialog, "angleOfViewList")->geometry().bottom() + 1 + 16);
        QCOMPARE(cancel.top(), connect.top());
        QVERIFY(std::abs(connect.left() - (dialog.width() - 1 - cancel.right())) <= 1); // centred together
        QCOMPARE(dialog.height(), connect.bottom() + 1 + 16);
        test::SaveScreenshot(dialog, QStringLiteral("com-connect"));
    }
};

} // namespace orlo

QTEST_MAIN(orlo::ComConnectDlgTest)
#include "ComConnectDlgTest.moc"
