#include "gui/connect/IPAddressSearchDlg.h"

#include "core/config/AppConfig.h"
#include "core/strings/StringTable.h"
#include "gui/connect/IpAddressCtrl.h"
#include "gui/shell/WaitDlg.h"
#include "gui/uikit/ImgButton.h"
#include "gui/uikit/OrgEdit.h"
#include "gui/uikit/OrgListCtrl.h"
#include "gui/uikit/OrgMessageBox.h"
#include "tests/gui/connect/AddressTyping.h"
#include "tests/support/DialogChecks.h"
#include "tests/support/TaskRunnerDoubles.h"
#include "tests/support/WaitCancel.h"

#include <QClipboard>
#include <QHeaderView>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QtTest>
#include <algorithm>
#include <memory>
#include <optional>
#include <thread>

namespace orlo {
namespace {

template <typename T>
T* Child(const QWidget& dialog, const char* name) {
    return dialog.findChild<T*>(QLatin1String(name));
}

QStringList Rows(const COrgListCtrl& list) {
    QStringList rows;
    for (int row = 0; row < list.rowCount(); ++row) {
        rows << list.item(row, 0)->text();
    }
    return rows;
}

// A scan that answers from a fixed list and records what it was asked.
struct FakeScan {
    std::vector<Ipv4Address> answering;
    ScanResult failure; // used when its error is set
    std::optional<ScanRange> range;
    std::thread::id thread;

    CIPAddressSearchDlg::RangeScan Function() {
        return [this](const ScanRange& asked, const std::function<void(int)>& progress,
                      const std::atomic<bool>&) {
            range = asked;
            thread = std::this_thread::get_id();
            if (failure.error != IcmpSocketError::None) {
                return failure;
            }
            ScanResult result;
            for (int x = asked.First(); x <= asked.Last(); ++x) {
                if (std::find(answering.begin(), answering.end(), asked.At(x)) != answering.end()) {
                    result.answered.push_back(asked.At(x));
                }
                progress((x - asked.First() + 1) * 100 / asked.Count());
            }
            return result;
        };
    }
};

// The search dialog on a system that cannot start the scan's worker thread once told so.
class ThreadlessSearchDlg : public CIPAddressSearchDlg {
public:
    using CIPAddressSearchDlg::CIPAddressSearchDlg;
    bool noThreads = false;

protected:
    std::optional<ResultCode> RunTask(CWaitDlg& dialog, int durationMs, std::function<ResultCode()> task,
                                      std::function<void()> cancel) override {
        return noThreads
                   ? test::RunWithoutThread(dialog, durationMs, std::move(task), std::move(cancel))
                   : CIPAddressSearchDlg::RunTask(dialog, durationMs, std::move(task), std::move(cancel));
    }
};

QString Text(int id) {
    const auto text = LoadString(id);
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

void SetRange(const CIPAddressSearchDlg& dialog, const Ipv4Address& first, const QString& end) {
    Child<CIpAddressCtrl>(dialog, "startCtrl")->SetAddress(first);
    Child<COrgEdit>(dialog, "endEdit")->setText(end);
}

// The dialog as it opens with the range 127.0.0.1 to end remembered, scanning with scan.
std::unique_ptr<CIPAddressSearchDlg> OpenFromLoopback(AppConfig& config, FakeScan& scan, int end) {
    config.WriteSearchStartAddress({127, 0, 0, 1});
    config.WriteSearchEndAddress(end);
    return std::make_unique<CIPAddressSearchDlg>(nullptr, config, scan.Function());
}

void ClickSearch(const QWidget& dialog) {
    CImgButton* search = Child<CImgButton>(dialog, "searchButton");
    QTest::mouseClick(search, Qt::LeftButton, {}, search->rect().center());
}

} // namespace

class IPAddressSearchDlgTest : public QObject {
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

    void findsTheLoopbackAddressesInOrder() {
        config_->WriteSearchStartAddress({127, 0, 0, 1});
        config_->WriteSearchEndAddress(5);
        CIPAddressSearchDlg dialog(nullptr, *config_);
        dialog.show();
        QVERIFY(!Child<CImgButton>(dialog, "okButton")->isEnabled());
        COrgMessageBox::PresetAnswer(MessageAnswer::Ok); // answers the box shown when ICMP is not allowed
        Child<CImgButton>(dialog, "searchButton")->click();
        if (!COrgMessageBox::AnsweredTexts().isEmpty()) {
            QSKIP(qPrintable(QStringLiteral("no ICMP socket: ") + COrgMessageBox::AnsweredTexts().front()));
        }
        const COrgListCtrl& list = *Child<COrgListCtrl>(dialog, "resultList");
        QCOMPARE(Rows(list), (QStringList{"127.0.0.1", "127.0.0.2", "127.0.0.3", "127.0.0.4", "127.0.0.5"}));
        QCOMPARE(list.SelectedRow(), 0);
        QVERIFY(Child<CImgButton>(dialog, "okButton")->isEnabled());
        QCOMPARE(dialog.findChild<CWaitDlg*>()->ProgressPos(), 100);

        Child<COrgListCtrl>(dialog, "resultList")->SelectRow(2);
        Child<CImgButton>(dialog, "okButton")->click();
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(dialog.SelectedAddress(), (Ipv4Address{127, 0, 0, 3}));
    }

    void scanRunsOnAWorkerAndRemembersTheRange() {
        FakeScan scan{{{192, 168, 3, 12}, {192, 168, 3, 10}}, {}, {}, {}};
        CIPAddressSearchDlg dialog(nullptr, *config_, scan.Function());
        dialog.show();
        SetRange(dialog, {192, 168, 3, 10}, QStringLiteral("20"));
        Child<CImgButton>(dialog, "searchButton")->click();
        QVERIFY(scan.range.has_value());
        QCOMPARE(scan.range->First(), 10);
        QCOMPARE(scan.range->Count(), 11);
        QVERIFY(scan.thread != std::this_thread::get_id());
        QCOMPARE(Rows(*Child<COrgListCtrl>(dialog, "resultList")),
                 (QStringList{"192.168.3.10", "192.168.3.12"}));
        const CWaitDlg* wait = dialog.findChild<CWaitDlg*>();
        QCOMPARE(wait->ProgressMaximum(), 100);
        QCOMPARE(wait->ProgressPos(), 100);
        QCOMPARE(config_->ReadSearchStartAddress(), (Ipv4Address{192, 168, 3, 10}));
        QCOMPARE(config_->ReadSearchEndAddress(), 20);

        // A later search replaces the list; OK goes with the selection.
        scan.answering = {};
        Child<CImgButton>(dialog, "searchButton")->click();
        QCOMPARE(Child<COrgListCtrl>(dialog, "resultList")->rowCount(), 0);
        QVERIFY(!Child<CImgButton>(dialog, "okButton")->isEnabled());
        Child<CImgButton>(dialog, "okButton")->click();
        QVERIFY(dialog.isVisible());
    }

    // However the user gets into the start address, the address typed key by key is the one searched.
    void typedStartAddressIsSearched_data() { test::AddEntryRows(); }

    void typedStartAddressIsSearched() {
        QFETCH(Ipv4Address, expected);
        FakeScan scan;
        const auto dialog = OpenFromLoopback(*config_, scan, 200);
        QVERIFY(test::ShowActive(*dialog));
        test::EnterRowAddress(*Child<CIpAddressCtrl>(*dialog, "startCtrl"),
                              *Child<COrgEdit>(*dialog, "endEdit"));
        if (QTest::currentTestFailed()) {
            return;
        }
        ClickSearch(*dialog);
        QVERIFY(scan.range.has_value());
        QCOMPARE(scan.range->At(scan.range->First()), expected);
        QCOMPARE(config_->ReadSearchStartAddress(), expected);
    }

    void cancelEndsTheSearchWithWhatHadAnsweredByThen() {
        // A range whose first address answers and whose later ones keep the scan waiting until told
        // to stop, as a search of a large silent network does.
        bool toldToStop = false;
        const auto scan = [&toldToStop](const ScanRange& range, const std::function<void(int)>& progress,
                                        const std::atomic<bool>& cancel) {
            ScanResult result;
            result.answered.push_back(range.At(range.First()));
            progress(1);
            for (int i = 0; i < 10000 && !cancel; ++i) {
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
            }
            toldToStop = cancel;
            result.cancelled = cancel;
            return result;
        };
        CIPAddressSearchDlg dialog(nullptr, *config_, scan);
        dialog.show();
        SetRange(dialog, {10, 0, 0, 7}, QStringLiteral("250"));
        COrgMessageBox::PresetAnswer(MessageAnswer::Ok);
        test::WaitCancel cancel;
        ClickSearch(dialog);
        QVERIFY(cancel.Pressed());
        QVERIFY(toldToStop);
        QCOMPARE(COrgMessageBox::AnsweredTexts(), QStringList{Text(9030)});
        QCOMPARE(Rows(*Child<COrgListCtrl>(dialog, "resultList")), QStringList{"10.0.0.7"});
        QVERIFY(Child<CImgButton>(dialog, "okButton")->isEnabled());
        QVERIFY(dialog.isVisible());
    }

    void okFollowsTheSelection() {
        FakeScan scan{{{10, 0, 0, 1}, {10, 0, 0, 2}}, {}, {}, {}};
        CIPAddressSearchDlg dialog(nullptr, *config_, scan.Function());
        dialog.show();
        SetRange(dialog, {10, 0, 0, 1}, QStringLiteral("2"));
        Child<CImgButton>(dialog, "searchButton")->click();
        CImgButton* ok = Child<CImgButton>(dialog, "okButton");
        QVERIFY(ok->isEnabled());
        Child<COrgListCtrl>(dialog, "resultList")->clearSelection();
        QVERIFY(!ok->isEnabled());
        Child<COrgListCtrl>(dialog, "resultList")->SelectRow(1);
        QVERIFY(ok->isEnabled());
        ok->click();
        QCOMPARE(dialog.SelectedAddress(), (Ipv4Address{10, 0, 0, 2}));
    }

    void endAbove255IsLimited() {
        FakeScan scan;
        CIPAddressSearchDlg dialog(nullptr, *config_, scan.Function());
        dialog.show();
        SetRange(dialog, {10, 1, 2, 250}, QStringLiteral("300"));
        Child<CImgButton>(dialog, "searchButton")->click();
        QVERIFY(scan.range.has_value());
        QCOMPARE(scan.range->First(), 250);
        QCOMPARE(scan.range->Last(), 255);
        QCOMPARE(Child<COrgEdit>(dialog, "endEdit")->text(), QStringLiteral("255"));
        QCOMPARE(config_->ReadSearchEndAddress(), 255);
    }

    void endTakesDigitsOnly() {
        FakeScan scan;
        CIPAddressSearchDlg dialog(nullptr, *config_, scan.Function());
        dialog.show();
        COrgEdit* end = Child<COrgEdit>(dialog, "endEdit");
        end->clear();
        QTest::keyClicks(end, QStringLiteral("-2x5"));
        QCOMPARE(end->text(), QStringLiteral("25"));
        QGuiApplication::clipboard()->setText(QStringLiteral("0a"));
        QTest::keyClick(end, Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(end->text(), QStringLiteral("25"));
    }

    void endBelowStartDoesNothing() {
        FakeScan scan;
        CIPAddressSearchDlg dialog(nullptr, *config_, scan.Function());
        dialog.show();
        SetRange(dialog, {192, 168, 0, 10}, QStringLiteral("9"));
        Child<CImgButton>(dialog, "searchButton")->click();
        QVERIFY(!scan.range.has_value());
        QCOMPARE(config_->ReadSearchStartAddress(), (Ipv4Address{0, 0, 0, 0}));

        SetRange(dialog, {192, 168, 0, 10}, QStringLiteral("10"));
        Child<CImgButton>(dialog, "searchButton")->click();
        QVERIFY(scan.range.has_value());
        QCOMPARE(scan.range->Count(), 1);
    }

    // Addresses that no host has are refused with a message; nothing is scanned or remembered.
    void rangesWithoutHostsAreRefused_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("refused");
        QTest::newRow("0.120.7.1") << QStringLiteral("0.120.7.1") << true;
        QTest::newRow("0.255.255.255") << QStringLiteral("0.255.255.255") << true;
        QTest::newRow("1.0.0.0") << QStringLiteral("1.0.0.0") << false;
        QTest::newRow("223.255.255.255") << QStringLiteral("223.255.255.255") << false;
        QTest::newRow("224.0.0.1") << QStringLiteral("224.0.0.1") << true;
        QTest::newRow("239.1.2.3") << QStringLiteral("239.1.2.3") << true;
        QTest::newRow("240.0.0.1") << QStringLiteral("240.0.0.1") << true;
        QTest::newRow("255.255.255.255") << QStringLiteral("255.255.255.255") << true;
        QTest::newRow("127.0.0.1") << QStringLiteral("127.0.0.1") << false;
    }

    void rangesWithoutHostsAreRefused() {
        QFETCH(QString, typed);
        QFETCH(bool, refused);
        FakeScan scan;
        const auto dialog = OpenFromLoopback(*config_, scan, 255);
        QVERIFY(test::ShowActive(*dialog));
        QTest::keySequence(QApplication::focusWidget(), QKeySequence::SelectAll);
        test::TypeIntoFocus(typed);
        COrgMessageBox::PresetAnswer(MessageAnswer::Ok);
        ClickSearch(*dialog);
        if (refused) {
            QCOMPARE(COrgMessageBox::AnsweredTexts(), QStringList{Text(9400)});
            QVERIFY(!scan.range.has_value());
            QCOMPARE(config_->ReadSearchStartAddress(), (Ipv4Address{127, 0, 0, 1}));
        } else {
            QVERIFY(COrgMessageBox::AnsweredTexts().isEmpty());
            QVERIFY(scan.range.has_value());
            QCOMPARE(QString::fromStdString(FormatIpv4(scan.range->At(scan.range->First()))), typed);
        }
    }

    void icmpFailureIsExplainedInJapanese_data() {
        QTest::addColumn<int>("error");
        QTest::addColumn<int>("textId");
        QTest::newRow("ping group") << int(IcmpSocketError::PingGroupRange) << 9000;
        QTest::newRow("raw capability") << int(IcmpSocketError::RawCapability) << 9001;
        QTest::newRow("other") << int(IcmpSocketError::Unavailable) << 9002;
    }

    void icmpFailureIsExplainedInJapanese() {
        QFETCH(int, error);
        QFETCH(int, textId);
        FakeScan scan;
        scan.answering = {{10, 0, 0, 1}};
        scan.failure.error = static_cast<IcmpSocketError>(error);
        scan.failure.errorText = "ICMP echo cannot be sent: details";
        CIPAddressSearchDlg dialog(nullptr, *config_, scan.Function());
        dialog.show();
        SetRange(dialog, {10, 0, 0, 1}, QStringLiteral("1"));
        COrgMessageBox::PresetAnswer(MessageAnswer::Ok);
        Child<CImgButton>(dialog, "searchButton")->click();
        QCOMPARE(COrgMessageBox::AnsweredTexts().size(), 1);
        const QString shown = COrgMessageBox::AnsweredTexts().front();
        // The remedy in Japanese first; the system's own account on a line of its own below it.
        QVERIFY(!Text(textId).isEmpty());
        QVERIFY2(shown.startsWith(Text(textId) + QLatin1Char('\n')), qPrintable(shown));
        QVERIFY(shown.endsWith(QStringLiteral("\nICMP echo cannot be sent: details")));
        QCOMPARE(Child<COrgListCtrl>(dialog, "resultList")->rowCount(), 0);
        QVERIFY(!Child<CImgButton>(dialog, "okButton")->isEnabled());
    }

    void searchThatCannotStartSaysSoAndKeepsTheList() {
        FakeScan scan{{{10, 0, 0, 1}, {10, 0, 0, 2}}, {}, {}, {}};
        ThreadlessSearchDlg dialog(nullptr, *config_, scan.Function());
        dialog.show();
        SetRange(dialog, {10, 0, 0, 1}, QStringLiteral("2"));
        Child<CImgButton>(dialog, "searchButton")->click();
        QCOMPARE(Rows(*Child<COrgListCtrl>(dialog, "resultList")), (QStringList{"10.0.0.1", "10.0.0.2"}));

        dialog.noThreads = true;
        scan.range.reset();
        COrgMessageBox::PresetAnswer(MessageAnswer::Ok);
        Child<CImgButton>(dialog, "searchButton")->click();
        QVERIFY(!scan.range.has_value());
        QCOMPARE(COrgMessageBox::AnsweredTexts(), QStringList{Text(9010)});
        QVERIFY(!dialog.findChild<CWaitDlg*>()->isVisible());
        QCOMPARE(Rows(*Child<COrgListCtrl>(dialog, "resultList")), (QStringList{"10.0.0.1", "10.0.0.2"}));
        QVERIFY(Child<CImgButton>(dialog, "okButton")->isEnabled());
    }

    void layout() {
        config_->WriteSearchStartAddress({192, 168, 100, 1});
        config_->WriteSearchEndAddress(254);
        FakeScan scan{{{192, 168, 100, 20}, {192, 168, 100, 101}, {192, 168, 100, 254}}, {}, {}, {}};
        CIPAddressSearchDlg dialog(nullptr, *config_, scan.Function());
        QCOMPARE(dialog.windowTitle(), QStringLiteral("IPアドレス検索"));
        test::VerifyLayout(dialog, 8);
        const QRect start = Child<CIpAddressCtrl>(dialog, "startCtrl")->geometry();
        const QRect end = Child<COrgEdit>(dialog, "endEdit")->geometry();
        const QRect search = Child<CImgButton>(dialog, "searchButton")->geometry();
        const QRect list = Child<COrgListCtrl>(dialog, "resultList")->geometry();
        const QRect ok = Child<CImgButton>(dialog, "okButton")->geometry();
        QCOMPARE(start.left(), 16);
        QCOMPARE(search.size(), QSize(32, 32));
        QCOMPARE(search.top(), 16);
        QVERIFY(std::abs(search.center().y() - start.center().y()) <= 1);
        QCOMPARE(search.left(), end.right() + 1 + 4);
        QCOMPARE(list.top(), search.bottom() + 1 + 8);
        QVERIFY(std::abs(list.left() - (dialog.width() - 1 - list.right())) <= 1);
        const COrgListCtrl* table = Child<COrgListCtrl>(dialog, "resultList");
        QCOMPARE(list.height(), 10 * table->verticalHeader()->defaultSectionSize() + 2 * table->frameWidth());
        QCOMPARE(ok.top(), list.bottom() + 1 + 16);
        QCOMPARE(dialog.height(), ok.bottom() + 1 + 16);

        dialog.show();
        Child<CImgButton>(dialog, "searchButton")->click();
        test::SaveScreenshot(dialog, QStringLiteral("ip-search"));
    }
};

} // namespace orlo

QTEST_MAIN(orlo::IPAddressSearchDlgTest)
#include "IPAddressSearchDlgTest.moc"
