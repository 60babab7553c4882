#include "gui/monitor/SettingHomeDlg.h"

#include "core/config/AppConfig.h"
#include "gui/uikit/ImgButton.h"
#include "gui/uikit/OrgPropertyGrid.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QMenu>
#include <QSpinBox>
#include <QStyleOptionComboBox>
#include <QTemporaryDir>
#include <QToolButton>
#include <QtTest>
#include <functional>
#include <memory>

namespace orlo {
namespace {

const QColor PALETTE_COLOUR(255, 215, 0);
// Ends a modal run that a test step failed to end, so the test fails instead of hanging.
constexpr int STUCK_RESULT = 99;

// A dialog on a configuration in its own directory, opened as the monitoring page opens it.
struct Fixture {
    QTemporaryDir dir;
    AppConfig config{dir.path().toStdString()};
    std::unique_ptr<CSettingHomeDlg> dialog;

    explicit Fixture(const QByteArray& configText = {}) {
        if (!configText.isEmpty()) {
            QFile file(ConfigPath());
            file.open(QIODevice::WriteOnly);
            file.write(configText);
        }
        dialog = std::make_unique<CSettingHomeDlg>(nullptr, config, std::vector<QColor>{PALETTE_COLOUR});
    }

    QString ConfigPath() const { return dir.filePath(QStringLiteral("Orlo-X1.conf")); }
    QByteArray ConfigText() const {
        QFile file(ConfigPath());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    COrgPropertyGridCtrl& Grid() const { return *dialog->findChild<COrgPropertyGridCtrl*>(); }
    COrgPropertyGridProperty& Resolution() const { return *Grid().GetProperty(0)->GetSubItem(0); }
    COrgPropertyGridProperty& Interval() const { return *Grid().GetProperty(1)->GetSubItem(0); }
    COrgPropertyGridProperty& DiffShown() const {
        return *Grid().GetProperty(2)->GetSubItem(0)->GetSubItem(0);
    }
    COrgPropertyGridProperty& DiffColour() const {
        return *Grid().GetProperty(2)->GetSubItem(0)->GetSubItem(1);
    }
    COrgPropertyGridProperty& AreaShown(int item) const { return *Grid().GetProperty(3)->GetSubItem(item); }

    CImgButton* Button(const QString& caption) const {
        for (CImgButton* button : dialog->findChildren<CImgButton*>()) {
            if (button->text() == caption) {
                return button;
            }
        }
        return nullptr;
    }

    // Runs the dialog modally with step queued to run once it is on screen.
    int Exec(const std::function<void()>& step) {
        QTimer::singleShot(0, dialog.get(), step);
        QTimer::singleShot(5000, dialog.get(), [this] { dialog->done(STUCK_RESULT); });
        return dialog->exec();
    }
};

QByteArray FullConfig(const QByteArray& resolution, const QByteArray& showDiff, const QByteArray& colour,
                      const QByteArray& showBody) {
    return "[Application]\nImageResolution=" + resolution +
           "\nRenewInterval=1500\n[IsShowDiff]\nShortMotion=" + showDiff +
           "\n[DiffColor]\nShortMotion=" + colour + "\n[IsShowArea]\nBodyDetection=" + showBody +
           "\nShortMotion=0\n";
}

} // namespace

class SettingHomeDlgTest : public QObject {
    Q_OBJECT

private slots:
    void gridShowsTheLabelsInOrderWithTheirGroupData() {
        Fixture f;
        COrgPropertyGridCtrl& grid = f.Grid();
        QCOMPARE(f.dialog->windowTitle(), QStringLiteral("設定"));
        QCOMPARE(grid.GetPropertyCount(), 4);
        const QStringList groups{QStringLiteral("取得画像"), QStringLiteral("画像更新"),
                                 QStringLiteral("差分表示"), QStringLiteral("検出領域表示")};
        for (int i = 0; i < 4; ++i) {
            QCOMPARE(grid.GetProperty(i)->GetName(), groups[i]);
            QCOMPARE(grid.GetProperty(i)->GetData(), qint64{i});
        }
        QCOMPARE(f.Resolution().GetName(), QStringLiteral("解像度"));
        QCOMPARE(f.Resolution().Options(),
                 (QStringList{QStringLiteral("320 x 240"), QStringLiteral("160 x 120")}));
        QCOMPARE(f.Interval().GetName(), QStringLiteral("更新間隔(ms)"));
        QCOMPARE(grid.GetProperty(2)->GetSubItem(0)->GetName(), QStringLiteral("動体検出(近距離)"));
        QCOMPARE(f.DiffShown().GetName(), QStringLiteral("動体検出(近距離)"));
        QCOMPARE(f.DiffShown().Options(), (QStringList{QStringLiteral("表示"), QStringLiteral("非表示")}));
        QCOMPARE(f.DiffColour().GetName(), QStringLiteral("色"));
        QCOMPARE(f.AreaShown(0).GetName(), QStringLiteral("人体検出"));
        QCOMPARE(f.AreaShown(1).GetName(), QStringLiteral("動体検出(近距離)"));
        QCOMPARE(grid.GetProperty(3)->GetSubItemsCount(), 2);
    }

    void initialValuesComeFromTheConfiguration() {
        Fixture f(FullConfig("2", "0", "16711680", "0")); // blue
        QCOMPARE(f.Resolution().GetValue().toString(), QStringLiteral("160 x 120"));
        QCOMPARE(qobject_cast<QComboBox*>(f.Resolution().GetEditor())->currentText(),
                 QStringLiteral("160 x 120"));
        QCOMPARE(f.Interval().GetValue().toInt(), 1500);
        QCOMPARE(f.DiffShown().GetValue().toString(), QStringLiteral("非表示"));
        QCOMPARE(f.DiffColour().GetValue().value<QColor>(), QColor(0, 0, 255));
        QCOMPARE(f.AreaShown(0).GetValue().toString(), QStringLiteral("非表示"));
        QCOMPARE(f.AreaShown(1).GetValue().toString(), QStringLiteral("非表示"));
    }

    void aMissingConfigurationShowsTheDefaults() {
        Fixture f;
        QCOMPARE(f.Resolution().GetValue().toString(), QStringLiteral("320 x 240"));
        QCOMPARE(f.Interval().GetValue().toInt(), 3000);
        QCOMPARE(f.DiffShown().GetValue().toString(), QStringLiteral("表示"));
        QCOMPARE(f.DiffColour().GetValue().value<QColor>(), PALETTE_COLOUR);
        QCOMPARE(f.AreaShown(0).GetValue().toString(), QStringLiteral("表示"));
        QCOMPARE(f.AreaShown(1).GetValue().toString(), QStringLiteral("表示"));
        QVERIFY(!QFile::exists(f.ConfigPath())); // opening reads only
    }

    void valuesWithoutTextShowEmptyAndSaveAsTheFallbacks() {
        Fixture f(FullConfig("7", "5", "-1", "2"));
        QCOMPARE(f.Resolution().GetValue().toString(), QString());
        QCOMPARE(f.DiffShown().GetValue().toString(), QString());
        QCOMPARE(f.DiffColour().GetValue().value<QColor>(), PALETTE_COLOUR);
        QCOMPARE(f.AreaShown(0).GetValue().toString(), QString());

        f.Button(QStringLiteral("反映"))->click();
        QCOMPARE(f.config.ReadImageResolution(), 0);
        QVERIFY(f.ConfigText().contains("ImageResolution=0"));
        QCOMPARE(f.config.ReadIsShowDiff(0), 1);
        QCOMPARE(f.config.ReadDiffColor(0), 55295);
        QCOMPARE(f.config.ReadIsShowArea(0), 1);
        QCOMPARE(f.config.ReadIsShowArea(1), 0);
        QCOMPARE(f.config.ReadRenewInterval(), 1500);
    }

    void applyWritesAtOnceAndCancelKeepsWhatWasApplied() {
        Fixture f;
        int afterApply = -1;
        bool openAfterApply = false;
        const int result = f.Exec([&] {
            auto* combo = qobject_cast<QComboBox*>(f.Resolution().GetEditor());
            combo->setCurrentIndex(combo->findText(QStringLiteral("160 x 120")));
            QTest::mouseClick(f.Button(QStringLiteral("反映")), Qt::LeftButton);
            afterApply = f.config.ReadImageResolution();
            openAfterApply = f.dialog->isVisible();
            // Changed after the apply: not written by the cancel.
            f.Interval().SetValue(800);
            QTest::mouseClick(f.Button(QStringLiteral("キャンセル")), Qt::LeftButton);
        });
        QCOMPARE(result, int(QDialog::Rejected));
        QCOMPARE(afterApply, 2);
        QVERIFY(openAfterApply);
        QCOMPARE(f.config.ReadImageResolution(), 2);
        QCOMPARE(f.config.ReadRenewInterval(), 3000);
    }

    void okWritesEveryValueAndCloses() {
        Fixture f(FullConfig("1", "1", "255", "1"));
        const int result = f.Exec([&] {
            qobject_cast<QSpinBox*>(f.Interval().GetEditor())->setValue(60000);
            auto* body = qobject_cast<QComboBox*>(f.AreaShown(0).GetEditor());
            body->setCurrentIndex(body->findText(QStringLiteral("非表示")));
            f.AreaShown(1).SetValue(QStringLiteral("表示"));
            f.DiffShown().SetValue(QStringLiteral("非表示"));
            f.DiffColour().SetValue(QColor(1, 2, 3));
            QTest::mouseClick(f.Button(QStringLiteral("OK")), Qt::LeftButton);
        });
        QCOMPARE(result, int(QDialog::Accepted));
        QCOMPARE(f.config.ReadRenewInterval(), 60000);
        QCOMPARE(f.config.ReadIsShowArea(0), 0);
        QVERIFY(f.ConfigText().contains("BodyDetection=0"));
        QCOMPARE(f.config.ReadIsShowArea(1), 1);
        QCOMPARE(f.config.ReadIsShowDiff(0), 0);
        QCOMPARE(f.config.ReadDiffColor(0), 1 + 2 * 256 + 3 * 65536); // red in the low byte
        QCOMPARE(f.config.ReadImageResolution(), 1);
    }

    void closingWithoutApplyWritesNothing_data() {
        QTest::addColumn<int>("how");
        QTest::newRow("キャンセル") << 0;
        QTest::newRow("Escape") << 1;
        QTest::newRow("close box") << 2;
    }

    void closingWithoutApplyWritesNothing() {
        QFETCH(int, how);
        Fixture f;
        const int result = f.Exec([&] {
            f.Resolution().SetValue(QStringLiteral("160 x 120"));
            f.AreaShown(0).SetValue(QStringLiteral("非表示"));
            if (how == 0) {
                QTest::mouseClick(f.Button(QStringLiteral("キャンセル")), Qt::LeftButton);
            } else if (how == 1) {
                QTest::keyClick(f.dialog.get(), Qt::Key_Escape);
            } else {
                f.dialog->close();
            }
        });
        QCOMPARE(result, int(QDialog::Rejected));
        QVERIFY(!QFile::exists(f.ConfigPath()));
    }

    void enterNeitherSavesNorCloses() {
        Fixture f;
        bool openAfterEnter = false;
        const int result = f.Exec([&] {
            f.Resolution().SetValue(QStringLiteral("160 x 120"));
            QTest::keyClick(f.dialog.get(), Qt::Key_Return);
            QTest::keyClick(f.dialog.get(), Qt::Key_Enter);
            QCoreApplication::processEvents();
            openAfterEnter = f.dialog->isVisible();
            f.dialog->reject();
        });
        QCOMPARE(result, int(QDialog::Rejected));
        QVERIFY(openAfterEnter);
        QVERIFY(!QFile::exists(f.ConfigPath()));
    }

    void colourItemOffersThePaletteAndTheFullDialog() {
        Fixture f(FullConfig("1", "1", "16711680", "1"));
        auto* colour = qobject_cast<COrgColourCombo*>(f.DiffColour().GetEditor());
        QVERIFY(colour != nullptr && colour->Menu() != nullptr);
        QCOMPARE(colour->currentText(), QStringLiteral("RGB(0, 0, 255)"));
        QStringList texts;
        QAction* paletteAction = nullptr;
        for (QAction* action : colour->Menu()->actions()) {
            if (!action->isSeparator()) {
                texts << action->text();
                paletteAction = paletteAction == nullptr ? action : paletteAction;
            }
        }
        QCOMPARE(texts, (QStringList{QStringLiteral("RGB(255, 215, 0)"), QStringLiteral("その他")}));

        paletteAction->trigger();
        QCOMPARE(f.DiffColour().GetValue().value<QColor>(), PALETTE_COLOUR);
        QCOMPARE(colour->currentText(), QStringLiteral("RGB(255, 215, 0)"));
        f.dialog->Save();
        QCOMPARE(f.config.ReadDiffColor(0), 55295);
    }

    void intervalKeepsToItsLimits_data() {
        QTest::addColumn<QByteArray>("stored");
        QTest::addColumn<int>("shown");
        QTest::newRow("below") << QByteArray("100") << 500;
        QTest::newRow("letters") << QByteArray("abc") << 500;
        QTest::newRow("above") << QByteArray("70000") << 60000;
        QTest::newRow("lowest") << QByteArray("500") << 500;
        QTest::newRow("highest") << QByteArray("60000") << 60000;
    }

    void intervalKeepsToItsLimits() {
        QFETCH(QByteArray, stored);
        QFETCH(int, shown);
        Fixture f("[Application]\nRenewInterval=" + stored + "\n");
        auto* spin = qobject_cast<QSpinBox*>(f.Interval().GetEditor());
        QCOMPARE(spin->minimum(), 500);
        QCOMPARE(spin->maximum(), 60000);
        QCOMPARE(spin->value(), shown);
        f.dialog->Save();
        QCOMPARE(f.config.ReadRenewInterval(), shown);
    }

    // As a user types into the interval: the whole number selected and typed over, key by key.
    void typedIntervalKeepsToItsLimitsVisiblyAndOkSavesIt_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("shown");
        QTest::newRow("below") << QStringLiteral("300") << 500;
        QTest::newRow("above") << QStringLiteral("70000") << 60000;
        QTest::newRow("far above") << QStringLiteral("123456789") << 60000;
        QTest::newRow("erased") << QString() << 500;
        QTest::newRow("inside") << QStringLiteral("1250") << 1250;
    }

    void typedIntervalKeepsToItsLimitsVisiblyAndOkSavesIt() {
        QFETCH(QString, typed);
        QFETCH(int, shown);
        Fixture f;
        QString afterLeaving;
        const int result = f.Exec([&] {
            QVERIFY(QTest::qWaitForWindowActive(f.dialog.get()));
            auto* spin = qobject_cast<QSpinBox*>(f.Interval().GetEditor());
            const auto typeOver = [&] {
                spin->setFocus(Qt::TabFocusReason);
                spin->selectAll();
                QTest::keyClick(spin, Qt::Key_Delete);
                QTest::keyClicks(spin, typed);
            };
            typeOver();
            // Leaving the field shows the value kept.
            qobject_cast<QWidget*>(f.Resolution().GetEditor())->setFocus(Qt::TabFocusReason);
            afterLeaving = spin->text();
            // Typed again and "OK" pressed straight away: what the field shows is saved.
            typeOver();
            QTest::mouseClick(f.Button(QStringLiteral("OK")), Qt::LeftButton);
        });
        QCOMPARE(result, int(QDialog::Accepted));
        QCOMPARE(afterLeaving, QString::number(shown));
        QCOMPARE(f.config.ReadRenewInterval(), shown);
    }

    // The colour row's drop-down arrow is drawn where, and as, the choice rows' arrows are.
    void colourRowLinesUpWithTheChoiceRows() {
        Fixture f;
        f.dialog->show();
        QVERIFY(QTest::qWaitForWindowExposed(f.dialog.get()));
        auto* colour = qobject_cast<QComboBox*>(f.DiffColour().GetEditor());
        auto* choice = qobject_cast<QComboBox*>(f.DiffShown().GetEditor());
        QVERIFY(colour != nullptr && choice != nullptr);
        QCOMPARE(colour->size(), choice->size());
        QCOMPARE(colour->mapTo(f.dialog.get(), QPoint()).x(), choice->mapTo(f.dialog.get(), QPoint()).x());
        QStyleOptionComboBox option;
        option.initFrom(choice);
        const QRect arrow =
            choice->style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxArrow, choice);
        QVERIFY(!arrow.isEmpty());
        QCOMPARE(colour->grab(arrow).toImage(), choice->grab(arrow).toImage());
    }

    void automaticReconnectionIsSavedWithTheOtherValues() {
        Fixture off;
        QVERIFY(!off.dialog->AutoReconnectBox()->isChecked());
        off.dialog->AutoReconnectBox()->setChecked(true);
        off.dialog->reject();
        QVERIFY(!off.config.ReadAutoReconnect()); // Cancel writes nothing
        off.dialog->Save();
        QVERIFY(off.config.ReadAutoReconnect());
        QVERIFY(off.ConfigText().contains("[OrloSetup]\r\nAutoReconnect=1") ||
                off.ConfigText().contains("[OrloSetup]\nAutoReconnect=1"));

        Fixture on("[OrloSetup]\r\nAutoReconnect=1\r\n");
        QVERIFY(on.dialog->AutoReconnectBox()->isChecked());
        on.dialog->AutoReconnectBox()->setChecked(false);
        on.dialog->Save();
        QVERIFY(!on.config.ReadAutoReconnect());
    }

    void layoutPlacesTheButtonsBelowTheGrid() {
        Fixture f;
        const QRect grid = f.Grid().geometry();
        QCOMPARE(grid.topLeft(), QPoint(8, 8));
        QVERIFY(grid.width() >= 480);
        const QRect apply = f.Button(QStringLiteral("反映"))->geometry();
        const QRect ok = f.Button(QStringLiteral("OK"))->geometry();
        const QRect cancel = f.Button(QStringLiteral("キャンセル"))->geometry();
        const QRect reconnect = f.dialog->AutoReconnectBox()->geometry();
        QCOMPARE(reconnect.topLeft(), QPoint(8, grid.bottom() + 1 + 8));
        QVERIFY(reconnect.width() <= grid.width());
        QCOMPARE(apply.top(), reconnect.bottom() + 1 + 8);
        QCOMPARE(ok.top(), apply.top());
        QCOMPARE(cancel.top(), apply.top());
        QCOMPARE(ok.left(), apply.right() + 1 + 16);
        QCOMPARE(cancel.left(), ok.right() + 1 + 16);
        QCOMPARE(apply.left(), 8 + grid.width() / 2 - apply.width() * 3 / 2 - 8);
        QCOMPARE(f.dialog->size(), QSize(grid.width() + 16, cancel.bottom() + 1 + 8));
    }
};

} // namespace orlo

QTEST_MAIN(orlo::SettingHomeDlgTest)
#include "SettingHomeDlgTest.moc"
