// The single-instance guard and the per-user registration of the catalog file type.

#include <filesystem>
#include <string>
#include <vector>

#include <QCoreApplication>
#include <QProcess>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTest>
#include <QUuid>

#include "platform/DesktopIntegration.h"
#include "platform/SingleInstance.h"
#include "support/TestSupport.h"

using namespace tf;

class DesktopTest : public QObject {
  Q_OBJECT

 private Q_SLOTS:
  void SecondStartRaisesTheFirst() {
    QString name = QStringLiteral("tallowfen-test-") + QUuid::createUuid().toString(QUuid::Id128);
    TSingleInstance first(name);
    QVERIFY(first.Claim());
    QSignalSpy raised(&first, &TSingleInstance::RaiseRequested);
    TSingleInstance second(name);
    QVERIFY(!second.Claim());
    QVERIFY(raised.wait(3000));
    QCOMPARE(raised.count(), 1);
  }

  void GuardIsFreeAgainAfterTheFirstEnds() {
    QString name = QStringLiteral("tallowfen-test-") + QUuid::createUuid().toString(QUuid::Id128);
    {
      TSingleInstance first(name);
      QVERIFY(first.Claim());
    }
    TSingleInstance next(name);
    QVERIFY(next.Claim());
  }

  void RegistersTheCatalogTypeOnce() {
    test::TTempDir dir;
    const std::string home = dir.File("home"), program = "/opt/My Programs/tallowfen";
    QVERIFY(RegisterCatalogFileType(home, program, {}));
    std::string mime = test::ReadBytes(home + MimePackage);
    QVERIFY(mime.find("<glob pattern=\"*.ctf\"/>") != std::string::npos);
    QVERIFY(mime.find("value=\"Catalog 1.00\"") != std::string::npos);
    QVERIFY(mime.find("Tallowfen Catalog File") != std::string::npos);
    std::string desktop = test::ReadBytes(home + Entry);
    QVERIFY(desktop.find("Exec=\"/opt/My Programs/tallowfen\" %F\n") != std::string::npos);
    QVERIFY(desktop.find("MimeType=application/x-tallowfen-catalog;") != std::string::npos);
    // The desktop's caches of the folders written into know the type and its program.
    if (HaveTool("update-mime-database"))
      QVERIFY(Lists(home + "/mime/types", CatalogMimeType));
    if (HaveTool("update-desktop-database"))
      QVERIFY(test::ReadBytes(home + "/applications/mimeinfo.cache")
                  .find(std::string(CatalogMimeType) + "=" + DesktopAppId + ".desktop;") !=
              std::string::npos);
    // Every start registers again; an unchanged registration writes nothing.
    QVERIFY(!RegisterCatalogFileType(home, program, {}));
    QVERIFY(RegisterCatalogFileType(home, "/usr/bin/tallowfen", {}));
  }

  // The program's path as the desktop entry's Exec runs it: quoted when it has a reserved
  // character, with the quoting's backslashes doubled by the rules of every string value.
  void ExecLineRunsTheProgram_data() {
    QTest::addColumn<QString>("program");
    QTest::addColumn<QString>("exec");
    QTest::newRow("plain") << "/usr/bin/tallowfen" << "Exec=/usr/bin/tallowfen %F";
    QTest::newRow("space") << "/opt/My Programs/tf" << "Exec=\"/opt/My Programs/tf\" %F";
    QTest::newRow("percent") << "/opt/100%/tf" << "Exec=/opt/100%%/tf %F";
    QTest::newRow("dollar") << "/opt/$HOME/tf" << "Exec=\"/opt/\\\\$HOME/tf\" %F";
    QTest::newRow("quote") << "/opt/a\"b/tf" << "Exec=\"/opt/a\\\\\"b/tf\" %F";
    QTest::newRow("backtick") << "/opt/a`b/tf" << "Exec=\"/opt/a\\\\`b/tf\" %F";
    QTest::newRow("backslash") << "/opt/a\\b/tf" << "Exec=\"/opt/a\\\\\\\\b/tf\" %F";
  }
  void ExecLineRunsTheProgram() {
    QFETCH(QString, program);
    QFETCH(QString, exec);
    test::TTempDir dir;
    QVERIFY(RegisterCatalogFileType(dir.Path().string(), program.toStdString(), {}));
    const std::string file = dir.Path().string() + Entry;
    const std::string desktop = test::ReadBytes(file);
    QVERIFY2(desktop.find(exec.toStdString() + "\n") != std::string::npos, desktop.c_str());
    if (HaveTool("desktop-file-validate")) {
      QProcess validate;
      validate.start(QStringLiteral("desktop-file-validate"), {QString::fromStdString(file)});
      QVERIFY(validate.waitForFinished());
      QByteArray remarks = validate.readAllStandardOutput() + validate.readAllStandardError();
      QVERIFY2(validate.exitCode() == 0 && remarks.isEmpty(), remarks.constData());
    }
  }

  // An installation in one of the system's data folders serves the user: then nothing is
  // written, and a registration of ours from before the installation goes, since it would
  // hide the installed files.
  void InstalledTypeAndEntryMakeTheUsersUnnecessary_data() {
    QTest::addColumn<QString>("typesIn");    // the system folder whose MIME database has the type
    QTest::addColumn<QString>("entryIn");    // the system folder with the program's entry
    QTest::addColumn<QString>("entryTypes");  // its MimeType value
    QTest::addColumn<bool>("provided");
    const QString ours = QString::fromLatin1(CatalogMimeType) + QLatin1Char(';');
    QTest::newRow("nothing installed") << "" << "" << ours << false;
    QTest::newRow("only the type") << "a" << "" << ours << false;
    QTest::newRow("only the entry") << "" << "a" << ours << false;
    QTest::newRow("both in one folder") << "a" << "a" << ours << true;
    QTest::newRow("in two folders") << "a" << "b" << ours << true;
    QTest::newRow("among other types") << "b" << "b" << "text/plain;" + ours + "image/png;" << true;
    QTest::newRow("entry for other types") << "a" << "a" << "application/x-tallowfen-catalogue;" << false;
  }
  void InstalledTypeAndEntryMakeTheUsersUnnecessary() {
    QFETCH(QString, typesIn);
    QFETCH(QString, entryIn);
    QFETCH(QString, entryTypes);
    QFETCH(bool, provided);
    test::TTempDir dir;
    const std::string home = dir.File("home");
    const std::vector<std::string> system = {dir.File("a"), dir.File("b")};
    if (!typesIn.isEmpty()) {
      std::filesystem::create_directories(dir.File(typesIn.toStdString() + "/mime"));
      test::WriteBytes(dir.File(typesIn.toStdString() + "/mime/types"),
                       std::string("application/pdf\n") + CatalogMimeType + "\ntext/plain\n");
    }
    if (!entryIn.isEmpty()) {
      std::filesystem::create_directories(dir.File(entryIn.toStdString() + "/applications"));
      test::WriteBytes(dir.File(entryIn.toStdString()) + Entry,
                       "[Desktop Entry]\nType=Application\nName=Tallowfen\nExec=tallowfen %F\n"
                       "MimeType=" + entryTypes.toStdString() + "\n");
    }
    QCOMPARE(SystemProvidesCatalogFileType(system), provided);
    QCOMPARE(RegisterCatalogFileType(home, "/usr/bin/tallowfen", system), !provided);
    QCOMPARE(std::filesystem::exists(home + Entry), !provided);
    QCOMPARE(std::filesystem::exists(home + MimePackage), !provided);
    if (!provided) return;
    QVERIFY(!std::filesystem::exists(home));  // not even a folder made

    // Registered before the installation: removed, and the caches follow.
    QVERIFY(RegisterCatalogFileType(home, "/opt/tf/tallowfen", {}));
    QVERIFY(RegisterCatalogFileType(home, "/usr/bin/tallowfen", system));
    QVERIFY(!std::filesystem::exists(home + Entry));
    QVERIFY(!std::filesystem::exists(home + MimePackage));
    if (HaveTool("update-mime-database")) QVERIFY(!Lists(home + "/mime/types", CatalogMimeType));
    QVERIFY(!RegisterCatalogFileType(home, "/usr/bin/tallowfen", system));
  }

  void DataFoldersFromTheEnvironment() {
    const QByteArray dirs = qgetenv("XDG_DATA_DIRS"), dataHome = qgetenv("XDG_DATA_HOME"),
                     home = qgetenv("HOME");
    auto restore = qScopeGuard([&] {
      qputenv("XDG_DATA_DIRS", dirs);
      qputenv("XDG_DATA_HOME", dataHome);
      qputenv("HOME", home);
    });
    qputenv("XDG_DATA_DIRS", "/opt/share:relative/share::/usr/share/");
    QCOMPARE(SystemDataDirs(), (std::vector<std::string>{"/opt/share", "/usr/share/"}));
    qunsetenv("XDG_DATA_DIRS");
    QCOMPARE(SystemDataDirs(), (std::vector<std::string>{"/usr/local/share/", "/usr/share/"}));
    qputenv("XDG_DATA_HOME", "/data/home");
    QCOMPARE(UserDataHome(), std::string("/data/home"));
    qputenv("XDG_DATA_HOME", "relative");
    qputenv("HOME", "/home/someone");
    QCOMPARE(UserDataHome(), std::string("/home/someone/.local/share"));
  }

 private:
  static inline const std::string Entry = std::string("/applications/") + DesktopAppId + ".desktop";
  static inline const std::string MimePackage = std::string("/mime/packages/") + CatalogMimePackageFile;

  static bool HaveTool(const char* name) {
    return !QStandardPaths::findExecutable(QString::fromLatin1(name)).isEmpty();
  }
  static bool Lists(const std::string& file, const std::string& line) {
    std::string text = "\n" + test::ReadBytes(file);
    return text.find("\n" + line + "\n") != std::string::npos;
  }
};

QTEST_GUILESS_MAIN(DesktopTest)
#include "DesktopTest.moc"
