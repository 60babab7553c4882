#include "gui/shell/MiraSettingsApp.h"
#include "gui/shell/MiraSettingsDlg.h"
#include "tests/support/PlaceholderPages.h"

#include <QProcess>
#include <QStandardPaths>
#include <QtTest>
#ifdef Q_OS_WIN
#include <windows.h>
#endif

namespace orlo {
namespace {

#ifdef Q_OS_WIN
// The title Windows shows: the window's text.
QString ShownTitle(const QWidget& window) {
    wchar_t text[256] = {};
    const int length = ::GetWindowTextW(reinterpret_cast<HWND>(window.winId()), text, 256);
    return QString::fromWCharArray(text, length);
}
#else
// The title the window manager shows: the window's _NET_WM_NAME as xprop reads it from the X server.
QString ShownTitle(const QWidget& window) {
    QProcess xprop;
    xprop.start(QStringLiteral("xprop"),
                {QStringLiteral("-id"), QString::number(window.winId()), QStringLiteral("-notype"),
                 QStringLiteral("-f"), QStringLiteral("_NET_WM_NAME"), QStringLiteral("8u"),
                 QStringLiteral("_NET_WM_NAME")});
    if (!xprop.waitForFinished(5000)) {
        return QStringLiteral("(xprop did not answer)");
    }
    // _NET_WM_NAME = "text", or nothing after the "=" for an empty title.
    const QString line = QString::fromUtf8(xprop.readAllStandardOutput()).trimmed();
    const QString prefix = QStringLiteral("_NET_WM_NAME =");
    if (!line.startsWith(prefix)) {
        return QStringLiteral("(no title: %1)").arg(line);
    }
    const QString value = line.mid(prefix.size()).trimmed();
    if (value.size() >= 2 && value.startsWith(QLatin1Char('"')) && value.endsWith(QLatin1Char('"'))) {
        return value.mid(1, value.size() - 2).replace(QStringLiteral("\\\""), QStringLiteral("\""));
    }
    return value;
}
#endif

} // namespace

// What the window system (X11, Windows) shows as window titles once the program has set itself up:
// exactly each window's own text.
class WindowTitleTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
#ifdef Q_OS_WIN
        if (QGuiApplication::platformName() != QLatin1String("windows")) {
            QSKIP("needs the windows platform (-platform windows)");
        }
#else
        if (QGuiApplication::platformName() != QLatin1String("xcb")) {
            QSKIP("needs an X server (run through xvfb-run with QT_QPA_PLATFORM=xcb)");
        }
        if (QStandardPaths::findExecutable(QStringLiteral("xprop")).isEmpty()) {
            QSKIP("needs xprop (x11-utils)");
        }
        qputenv("LC_ALL", "C.UTF-8"); // xprop prints the UTF-8 title as it is
#endif
        CMiraSettingsApp::UseBareWindowTitles();
    }

    void mainWindowShowsTheCaptionAlone() {
        CMiraSettingsDlg window(PlaceholderPageFactory());
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QTRY_COMPARE(ShownTitle(window), QString()); // not connected
        const QString caption = QStringLiteral("Orlo-X1 1.2.3.4  127.0.0.1:9600");
        window.SetCaption(caption);
        QTRY_COMPARE(ShownTitle(window), caption);
        window.SetCaption({});
        QTRY_COMPARE(ShownTitle(window), QString());
    }

    void dialogShowsItsTitleAlone() {
        CBasisDialog dialog;
        dialog.setWindowTitle(QStringLiteral("LAN接続"));
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        QTRY_COMPARE(ShownTitle(dialog), QStringLiteral("LAN接続"));
    }
};

} // namespace orlo

QTEST_MAIN(orlo::WindowTitleTest)
#include "WindowTitleTest.moc"
