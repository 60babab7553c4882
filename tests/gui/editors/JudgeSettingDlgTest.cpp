#include "gui/editors/AreaMaskJudgeSettingDlg.h"
#include "gui/uikit/ImgButton.h"
#include "gui/uikit/RangeEdit.h"
#include "gui/uikit/SpinButton.h"

#include <QRadioButton>
#include <QToolButton>
#include <QtTest>

namespace orlo {

class JudgeSettingDlgTest : public QObject {
    Q_OBJECT

private slots:
    void opensWithTheAreasJudgement() {
        CAreaMaskJudgeSettingDlg overlap({AreaJudge::Overlap, 80});
        QCOMPARE(overlap.windowTitle(), QStringLiteral("判定設定"));
        QVERIFY(overlap.KindButton(AreaJudge::Overlap)->isChecked());
        QVERIFY(!overlap.KindButton(AreaJudge::CenterPoint)->isChecked());
        QCOMPARE(overlap.PercentField()->text(), QStringLiteral("80"));

        CAreaMaskJudgeSettingDlg foot({AreaJudge::FootPoint, 30});
        QVERIFY(foot.KindButton(AreaJudge::FootPoint)->isChecked());
        QCOMPARE(foot.PercentField()->text(), QStringLiteral("50"));

        CAreaMaskJudgeSettingDlg none({AreaJudge::None, 50});
        for (const AreaJudge kind : {AreaJudge::CenterPoint, AreaJudge::FootPoint, AreaJudge::Overlap}) {
            QVERIFY(!none.KindButton(kind)->isChecked());
        }
        QVERIFY(none.KindButton(AreaJudge::None) == nullptr);
    }

    void okReturnsTheCheckedKindWithTheField() {
        CAreaMaskJudgeSettingDlg none({AreaJudge::None, 50});
        none.show();
        none.OkButton()->click();
        QCOMPARE(none.result(), int(QDialog::Accepted));
        QCOMPARE(none.GetJudgement(), (Judgement{AreaJudge::None, 50}));

        CAreaMaskJudgeSettingDlg centre({AreaJudge::FootPoint, 50});
        centre.show();
        centre.KindButton(AreaJudge::CenterPoint)->setChecked(true);
        centre.PercentField()->setText(QStringLiteral("30"));
        centre.OkButton()->click();
        QCOMPARE(centre.GetJudgement(), (Judgement{AreaJudge::CenterPoint, 30}));

        // Typed beyond the range: the field's limits hold, also for an empty field.
        CAreaMaskJudgeSettingDlg overlap({AreaJudge::Overlap, 10});
        overlap.show();
        overlap.PercentField()->setText(QStringLiteral("250"));
        overlap.OkButton()->click();
        QCOMPARE(overlap.GetJudgement(), (Judgement{AreaJudge::Overlap, 100}));
        CAreaMaskJudgeSettingDlg empty({AreaJudge::Overlap, 10});
        empty.show();
        empty.PercentField()->clear();
        empty.OkButton()->click();
        QCOMPARE(empty.GetJudgement(), (Judgement{AreaJudge::Overlap, 1}));
    }

    void cancelAndTheKeysLeaveTheJudgement() {
        CAreaMaskJudgeSettingDlg dialog({AreaJudge::Overlap, 40});
        dialog.show();
        dialog.KindButton(AreaJudge::FootPoint)->setChecked(true);
        QTest::keyClick(&dialog, Qt::Key_Return);
        QVERIFY(dialog.isVisible());
        QTest::keyClick(&dialog, Qt::Key_Escape);
        QVERIFY(!dialog.isVisible());
        QCOMPARE(dialog.result(), int(QDialog::Rejected));
        QCOMPARE(dialog.GetJudgement(), (Judgement{AreaJudge::Overlap, 40}));

        CAreaMaskJudgeSettingDlg cancelled({AreaJudge::Overlap, 40});
        cancelled.show();
        cancelled.KindButton(AreaJudge::FootPoint)->setChecked(true);
        cancelled.CancelButton()->click();
        QCOMPARE(cancelled.result(), int(QDialog::Rejected));
    }

    void theSpinStaysInItsRange() {
        CAreaMaskJudgeSettingDlg dialog({AreaJudge::Overlap, 99});
        dialog.show();
        CSpinButton& spin = *dialog.PercentSpin();
        QCOMPARE(spin.geometry().left(), dialog.PercentField()->geometry().right() + 1);
        QTest::mouseClick(spin.UpButton(), Qt::LeftButton);
        QCOMPARE(dialog.PercentField()->text(), QStringLiteral("100"));
        QTest::mouseClick(spin.UpButton(), Qt::LeftButton);
        QCOMPARE(dialog.PercentField()->text(), QStringLiteral("100"));
        dialog.PercentField()->setText(QStringLiteral("2"));
        QTest::mouseClick(spin.DownButton(), Qt::LeftButton);
        QTest::mouseClick(spin.DownButton(), Qt::LeftButton);
        QCOMPARE(dialog.PercentField()->text(), QStringLiteral("1"));
    }

    void laidOutAsARowOfKinds() {
        CAreaMaskJudgeSettingDlg dialog({AreaJudge::CenterPoint, 50});
        const QRect centre = dialog.KindButton(AreaJudge::CenterPoint)->geometry();
        const QRect foot = dialog.KindButton(AreaJudge::FootPoint)->geometry();
        const QRect overlap = dialog.KindButton(AreaJudge::Overlap)->geometry();
        QCOMPARE(centre.topLeft(), QPoint(16, 8));
        QCOMPARE(foot.top(), centre.bottom() + 1 + 8);
        QCOMPARE(overlap.top(), foot.bottom() + 1 + 8);
        QCOMPARE(dialog.PercentField()->geometry().topLeft(), QPoint(overlap.right() + 1 + 4, overlap.top()));
        QCOMPARE(dialog.OkButton()->y(),
                 std::max(overlap.bottom(), dialog.PercentField()->geometry().bottom()) + 1 + 16);
        QCOMPARE(dialog.CancelButton()->y(), dialog.OkButton()->y());
        QCOMPARE(dialog.height(), dialog.OkButton()->geometry().bottom() + 1 + 8);
    }
};

} // namespace orlo

QTEST_MAIN(orlo::JudgeSettingDlgTest)
#include "JudgeSettingDlgTest.moc"
