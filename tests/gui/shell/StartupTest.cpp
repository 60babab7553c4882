#include "gui/shell/MiraSettingsApp.h"
#include "gui/shell/StartupOptions.h"
#include "gui/shell/WorkingDirectory.h"

#include <QColorDialog>
#include <QDialogButtonBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTranslator>
#include <QtTest>
#include <clocale>
#ifndef Q_OS_WIN
#include <unistd.h>
#endif

namespace orlo {

class StartupTest : public QObject {
    Q_OBJECT

private slots:
    void optionsAreReadAndUnknownOnesIgnored() {
        const StartupOptions options = ParseStartupOptions(
            {QStringLiteral("orlo-setup"), QStringLiteral("--bogus"), QStringLiteral("--demo"),
             QStringLiteral("--screenshot"), QStringLiteral("shot.png"), QStringLiteral("stray")});
        QVERIFY(options.demo);
        QCOMPARE(options.screenshotPath, QStringLiteral("shot.png"));
        QVERIFY(!options.help);
        QVERIFY(!options.commandLog);
        QVERIFY(ParseStartupOptions({QStringLiteral("orlo-setup"), QStringLiteral("--log")}).commandLog);
        QVERIFY(StartupHelpText().contains(QStringLiteral("--log")));

        const StartupOptions none = ParseStartupOptions({QStringLiteral("orlo-setup")});
        QVERIFY(!none.demo);
        QVERIFY(none.screenshotPath.isEmpty());
        QVERIFY(ParseStartupOptions({QStringLiteral("orlo-setup"), QStringLiteral("-h")}).help);
        QVERIFY(StartupHelpText().contains(QStringLiteral("--demo")));
        QVERIFY(StartupHelpText().contains(QStringLiteral("--lang <en|ja>")));
        QVERIFY(none.language.isEmpty());
    }

    void languageFromTheOptionElseFromTheLocale() {
        QCOMPARE(ParseStartupOptions(
                     {QStringLiteral("orlo-setup"), QStringLiteral("--lang"), QStringLiteral("en")})
                     .language,
                 QStringLiteral("en"));
        const QByteArray saved[3] = {qgetenv("LC_ALL"), qgetenv("LC_MESSAGES"), qgetenv("LANG")};
        qunsetenv("LC_ALL");
        qunsetenv("LC_MESSAGES");
        qputenv("LANG", "en_GB.UTF-8");
        const Language english = CMiraSettingsApp::ChooseStartupLanguage({});
        const Language optionWins = CMiraSettingsApp::ChooseStartupLanguage(QStringLiteral("ja"));
        const Language unknownOption = CMiraSettingsApp::ChooseStartupLanguage(QStringLiteral("fr"));
        qputenv("LANG", "C");
        const Language plainC = CMiraSettingsApp::ChooseStartupLanguage({});
        qputenv("LC_MESSAGES", "ja_JP.UTF-8");
        qputenv("LANG", "en_US.UTF-8");
        const Language japaneseMessages = CMiraSettingsApp::ChooseStartupLanguage({});
        const char* names[3] = {"LC_ALL", "LC_MESSAGES", "LANG"};
        for (int i = 0; i < 3; ++i) {
            if (saved[i].isNull()) {
                qunsetenv(names[i]);
            } else {
                qputenv(names[i], saved[i]);
            }
        }
        QCOMPARE(english, Language::English);
        QCOMPARE(optionWins, Language::Japanese);
        QCOMPARE(unknownOption, Language::English);
        QCOMPARE(plainC, Language::Japanese);
        QCOMPARE(japaneseMessages, Language::Japanese);
    }

    void qtsOwnTextsInEnglish() {
        QTranslator translator;
        QVERIFY(CMiraSettingsApp::InstallQtTranslation(translator, Language::English));
        QDialogButtonBox buttons(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
        const QString cancel = buttons.button(QDialogButtonBox::Cancel)->text();
        QCoreApplication::removeTranslator(&translator);
        QVERIFY2(!cancel.isEmpty() && cancel != QStringLiteral("キャンセル"), qPrintable(cancel));
    }

    void writableProgramDirectoryIsTheWorkingDirectory() {
        QTemporaryDir program;
        QTemporaryDir user;
        QVERIFY(program.isValid() && user.isValid());
        QCOMPARE(ChooseWorkingDirectory(program.path(), user.filePath(QStringLiteral("orlo-x1"))),
                 QFileInfo(program.path()).absoluteFilePath());
        QVERIFY(!QFileInfo::exists(user.filePath(QStringLiteral("orlo-x1"))));
    }

    void unusableProgramDirectoryFallsBackToTheUserDirectory() {
        QTemporaryDir root;
        QVERIFY(root.isValid());
        const QString user = root.filePath(QStringLiteral("config/orlo-x1"));
        QCOMPARE(ChooseWorkingDirectory(root.filePath(QStringLiteral("missing")), user),
                 QFileInfo(user).absoluteFilePath());
        QVERIFY(QFileInfo(user).isDir());

#ifdef Q_OS_WIN
        QSKIP("a folder's access rights cannot be taken away from the test's user here");
#else
        if (::geteuid() == 0) {
            QSKIP("root may write to any directory");
        }
#endif
        const QString readOnly = root.filePath(QStringLiteral("installed"));
        QVERIFY(QDir().mkpath(readOnly));
        QVERIFY(QFile::setPermissions(readOnly, QFileDevice::ReadOwner | QFileDevice::ExeOwner));
        QCOMPARE(ChooseWorkingDirectory(readOnly, user), QFileInfo(user).absoluteFilePath());
        QFile::setPermissions(readOnly,
                              QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    }

    void installedProgramKeepsItsFilesInTheUserDirectory() {
        QTemporaryDir root;
        QVERIFY(root.isValid());
        const QString bin = root.filePath(QStringLiteral("usr/bin"));
        const QString user = root.filePath(QStringLiteral("home/.config/orlo-x1"));
        QVERIFY(QDir().mkpath(bin));
        // A bin/ without the package's data beside it is a folder like any other: a build tree.
        QCOMPARE(ChooseWorkingDirectory(bin, user), QFileInfo(bin).absoluteFilePath());
        QVERIFY(!IsInstalledProgramDirectory(bin));
        QVERIFY(QDir().mkpath(root.filePath(QStringLiteral("usr/share/orlo-x1"))));
        QVERIFY(IsInstalledProgramDirectory(bin));
        QVERIFY(IsInstalledProgramDirectory(bin + QStringLiteral("/")));
        // Writable or not (the administrator may run it), an installation's bin/ is not used.
        QVERIFY(QFileInfo(bin).isWritable());
        QCOMPARE(ChooseWorkingDirectory(bin, user), QFileInfo(user).absoluteFilePath());
        QVERIFY(QFileInfo(user).isDir());
        QVERIFY(!IsInstalledProgramDirectory(root.filePath(QStringLiteral("usr/share"))));
    }

    void neitherDirectoryUsableGivesNothing() {
        QTemporaryDir root;
        QVERIFY(root.isValid());
        QFile blocker(root.filePath(QStringLiteral("file")));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        // A user directory below a plain file cannot be created.
        QVERIFY(ChooseWorkingDirectory(root.filePath(QStringLiteral("missing")),
                                       root.filePath(QStringLiteral("file/orlo-x1")))
                    .isEmpty());
    }

    void qtsOwnDialogsSpeakJapanese() {
        QTranslator translator;
        QVERIFY2(CMiraSettingsApp::InstallQtTranslation(translator, Language::Japanese),
                 "qtbase_ja.qm is missing (Debian package qt6-translations-l10n)");
        QDialogButtonBox buttons(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
        const QString cancel = buttons.button(QDialogButtonBox::Cancel)->text();
        QColorDialog colours;
        const QString colourTitle = colours.windowTitle();
        QCoreApplication::removeTranslator(&translator);
        QCOMPARE(cancel, QStringLiteral("キャンセル"));
        QVERIFY2(colourTitle != QColorDialog().windowTitle(), qPrintable(colourTitle));
    }

    void localeOfTheStringTable() {
        const std::string before = std::setlocale(LC_ALL, nullptr);
        const QString applied = CMiraSettingsApp::ApplyLocale("japanese");
        // Whichever of the candidates the system has; C.UTF-8 is always there on Debian, ja-JP on Windows.
        QVERIFY2(!applied.isEmpty(), "no Japanese or C.UTF-8 locale");
        QCOMPARE(QString::fromLatin1(std::setlocale(LC_ALL, nullptr)), applied);
        QCOMPARE(QLocale().language(), QLocale::Japanese);
        QVERIFY(CMiraSettingsApp::ApplyLocale("no_SUCH.locale").isEmpty());
        QVERIFY(!CMiraSettingsApp::ApplyLocale("english").isEmpty());
        QCOMPARE(QLocale().language(), QLocale::English);
        std::setlocale(LC_ALL, before.c_str());
    }
};

} // namespace orlo

QTEST_MAIN(orlo::StartupTest)
#include "StartupTest.moc"
