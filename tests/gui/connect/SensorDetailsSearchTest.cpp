#include "core/config/AppConfig.h"
#include "core/strings/StringTable.h"
#include "gui/connect/IPAddressSearchDlg.h"
#include "gui/uikit/ImgButton.h"
#include "gui/uikit/OrgListCtrl.h"
#include "gui/uikit/OrgMessageBox.h"
#include "sim/Simulator.h"
#include "tests/support/DialogChecks.h"

#include <QCheckBox>
#include <QFile>
#include <QHeaderView>
#include <QTemporaryDir>
#include <QtTest>
#include <atomic>
#include <memory>

namespace orlo {
namespace {

template <typename T>
T* Child(const QWidget& dialog, const char* name) {
    return dialog.findChild<T*>(QLatin1String(name));
}

QString Text(int id) {
    const auto text = LoadString(id);
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QString Cell(const COrgListCtrl& list, int row, int column) {
    const QTableWidgetItem* item = list.item(row, column);
    return item != nullptr ? item->text() : QStringLiteral("<none>");
}

QStringList Column(const COrgListCtrl& list, int column) {
    QStringList cells;
    for (int row = 0; row < list.rowCount(); ++row) {
        cells << Cell(list, row, column);
    }
    return cells;
}

// What the search found: 127.0.0.1 to 127.0.0.4.
CIPAddressSearchDlg::RangeScan Answering() {
    return [](const ScanRange&, const std::function<void(int)>& progress, const std::atomic<bool>&) {
        progress(100);
        ScanResult result;
        result.answered = {{127, 0, 0, 1}, {127, 0, 0, 2}, {127, 0, 0, 3}, {127, 0, 0, 4}};
        return result;
    };
}

// A user's click on the check box.
void Click(QCheckBox& box) {
    QTest::mouseClick(&box, Qt::LeftButton, {}, QPoint(box.height() / 2, box.height() / 2));
}

} // namespace

// Simulators on 127.0.0.1 to 127.0.0.3, all on one port, with information texts of their own; nothing
// on 127.0.0.4. Each counts the clients it served.
class SensorDetailsSearchTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> dir_;
    std::unique_ptr<AppConfig> config_;
    std::vector<std::unique_ptr<sim::Simulator>> simulators_;
    std::atomic<int> clients_{0};
    std::uint16_t port_ = 0;

    std::unique_ptr<CIPAddressSearchDlg> Open() {
        auto dialog = std::make_unique<CIPAddressSearchDlg>(nullptr, *config_, Answering());
        dialog->SetLanPort(port_);
        dialog->show();
        return dialog;
    }
    static void Search(const QWidget& dialog) {
        CImgButton* search = Child<CImgButton>(dialog, "searchButton");
        QTest::mouseClick(search, Qt::LeftButton, {}, search->rect().center());
    }

private slots:
    void initTestCase() {
        const std::vector<std::array<std::uint8_t, 20>> texts{
            {0x93, 0xFC, 0x8C, 0xFB, ' ', 0x96, 0x6B}, {'H', 'a', 'l', 'l'}, {'X', 0x1B, '[', '2', 'J'}};
        for (std::size_t i = 0; i < texts.size(); ++i) {
            sim::SimConfig config;
            config.tcp = sim::TcpEndpoint{"127.0.0." + std::to_string(i + 1), port_};
            config.infoText = texts[i];
            config.log = [this](const std::string& line) {
                if (line == "tcp: client connected") {
                    ++clients_;
                }
            };
            simulators_.push_back(std::make_unique<sim::Simulator>(config));
            std::string error;
            QVERIFY2(simulators_.back()->start(error), error.c_str());
            port_ = simulators_.back()->tcpPort();
        }
    }

    void init() {
        COrgMessageBox::ResetPresets();
        dir_ = std::make_unique<QTemporaryDir>();
        QVERIFY(dir_->isValid());
        config_ = std::make_unique<AppConfig>(dir_->path().toStdString());
        config_->WriteSearchStartAddress({127, 0, 0, 1});
        config_->WriteSearchEndAddress(4);
    }

    void offTheListIsTheAddressesAlone() {
        const int before = clients_;
        const auto dialog = Open();
        QCheckBox* details = Child<QCheckBox>(*dialog, "detailsCheck");
        QCOMPARE(details->text(), QStringLiteral("センサー情報を表示"));
        QVERIFY(!details->isChecked());
        Search(*dialog);
        const COrgListCtrl& list = *Child<COrgListCtrl>(*dialog, "resultList");
        QCOMPARE(list.columnCount(), 1);
        QVERIFY(list.horizontalHeader()->isHidden());
        QCOMPARE(Column(list, 0), (QStringList{"127.0.0.1", "127.0.0.2", "127.0.0.3", "127.0.0.4"}));

        // Switched on afterwards, the sensors are asked once each, so none was asked before.
        Click(*details);
        QTRY_COMPARE(Cell(list, 1, 1), QStringLiteral("Orlo-X1"));
        QTRY_COMPARE(Cell(list, 0, 1), QStringLiteral("Orlo-X1"));
        QTRY_COMPARE(Cell(list, 2, 1), QStringLiteral("Orlo-X1"));
        QCOMPARE(clients_ - before, 3);
    }

    void onEachRowShowsItsSensorAsTheAnswersCome() {
        auto dialog = Open();
        Click(*Child<QCheckBox>(*dialog, "detailsCheck"));
        QFile file(QString::fromStdString(config_->ConfigFile().string()));
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray stored = file.readAll();
        QVERIFY2(stored.contains("[OrloSetup]") && stored.contains("ShowSensorDetails=1"),
                 stored.constData());
        Search(*dialog);
        const COrgListCtrl& list = *Child<COrgListCtrl>(*dialog, "resultList");
        QCOMPARE(list.columnCount(), 4);
        QVERIFY(!list.horizontalHeader()->isHidden());
        QCOMPARE(list.horizontalHeaderItem(1)->text(), Text(9062));
        QCOMPARE(Column(list, 0), (QStringList{"127.0.0.1", "127.0.0.2", "127.0.0.3", "127.0.0.4"}));
        QTRY_COMPARE(Column(list, 3), (QStringList{"入口 北", "Hall", "X\\x1b[2J", Text(9066)}));
        QCOMPARE(Column(list, 1), (QStringList{"Orlo-X1", "Orlo-X1", "Orlo-X1", ""}));
        QCOMPARE(Column(list, 2), (QStringList{"1.2.0.5", "1.2.0.5", "1.2.0.5", ""}));
        // Above: the sensor's character set decoded, a text that would steer a terminal escaped, and
        // for the address where nothing listens what it is.
        // The address where no sensor listens is greyed; the sensors are not.
        const QColor grey = dialog->palette().color(QPalette::Disabled, QPalette::Text);
        QCOMPARE(list.item(3, 0)->foreground().color(), grey);
        QVERIFY(list.item(0, 0)->foreground().color() != grey);
        test::SaveScreenshot(*dialog, QStringLiteral("ip-search-details"));

        // The user picks the sensor by its name.
        Child<COrgListCtrl>(*dialog, "resultList")->SelectRow(1);
        Child<CImgButton>(*dialog, "okButton")->click();
        QCOMPARE(dialog->SelectedAddress(), (Ipv4Address{127, 0, 0, 2}));
    }

    void theChoiceIsRememberedAndUndone() {
        config_->WriteShowSensorDetails(true);
        const auto dialog = Open();
        QCheckBox* details = Child<QCheckBox>(*dialog, "detailsCheck");
        QVERIFY(details->isChecked());
        AppConfig defaults((dir_->path() + QStringLiteral("/other")).toStdString());
        const int narrow = CIPAddressSearchDlg(nullptr, defaults, Answering()).width();
        QVERIFY(dialog->width() > narrow);
        Search(*dialog);
        COrgListCtrl& list = *Child<COrgListCtrl>(*dialog, "resultList");
        QTRY_COMPARE(Cell(list, 2, 1), QStringLiteral("Orlo-X1"));
        list.SelectRow(2);

        Click(*details);
        QVERIFY(!config_->ReadShowSensorDetails());
        QCOMPARE(list.columnCount(), 1);
        QCOMPARE(Column(list, 0), (QStringList{"127.0.0.1", "127.0.0.2", "127.0.0.3", "127.0.0.4"}));
        QCOMPARE(list.SelectedRow(), 2);
        QCOMPARE(dialog->width(), narrow);
    }

    void closingWhileSensorsAreAskedEndsTheirQuestions() {
        config_->WriteShowSensorDetails(true);
        auto dialog = Open();
        Search(*dialog);
        // Gone before its answers are shown: the answers already posted must find no dialog to fill.
        dialog.reset();
        QCoreApplication::processEvents();
        QTest::qWait(50);
    }

    void cleanupTestCase() { simulators_.clear(); }
};

} // namespace orlo

QTEST_MAIN(orlo::SensorDetailsSearchTest)
#include "SensorDetailsSearchTest.moc"
