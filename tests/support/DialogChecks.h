#pragma once

#include <QApplication>
#include <QLabel>
#include <QtTest>
#include <vector>

namespace orlo::test {

// Every visible control of the dialog lies inside the client area with at least margin pixels to spare,
// overlaps no other control, and labels show their whole text.
inline void VerifyLayout(const QWidget& dialog, int margin) {
    std::vector<const QWidget*> controls;
    for (const QWidget* child : dialog.findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (!child->isHidden() && !child->isWindow()) {
            controls.push_back(child);
        }
    }
    const QRect inside = dialog.rect().adjusted(margin, margin, -margin, -margin);
    for (std::size_t i = 0; i < controls.size(); ++i) {
        const QWidget* a = controls[i];
        QVERIFY2(inside.contains(a->geometry()), qPrintable(a->metaObject()->className()));
        if (const auto* label = qobject_cast<const QLabel*>(a)) {
            QVERIFY2(label->sizeHint().width() <= label->width(), qPrintable(label->text()));
        }
        for (std::size_t j = i + 1; j < controls.size(); ++j) {
            const QWidget* b = controls[j];
            QVERIFY2(!a->geometry().intersects(b->geometry()),
                     qPrintable(QStringLiteral("%1 and %2")
                                    .arg(a->metaObject()->className(), b->metaObject()->className())));
        }
    }
}

// Types each character into whichever widget has the focus at that moment, as a user would.
inline void TypeIntoFocus(const QString& text) {
    for (const QChar c : text) {
        QTest::keyClick(QApplication::focusWidget(), c.toLatin1());
    }
}

// Shows the window and makes it the active one, so that the focus moves as it would for a user.
inline bool ShowActive(QWidget& window) {
    window.show();
    window.activateWindow();
    return QTest::qWaitForWindowActive(&window);
}

// With ORLO_SCREENSHOT_DIR set (scripts run the tests under a virtual X server for this), saves a
// picture of the dialog as NAME.png there.
inline void SaveScreenshot(QWidget& dialog, const QString& name) {
    const QString dir = qEnvironmentVariable("ORLO_SCREENSHOT_DIR");
    if (dir.isEmpty()) {
        return;
    }
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    QVERIFY(dialog.grab().save(dir + QLatin1Char('/') + name + QStringLiteral(".png")));
}

} // namespace orlo::test
