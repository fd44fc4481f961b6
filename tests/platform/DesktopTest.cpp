// The single-instance guard and the catalog file type registration.

#include <QCoreApplication>
#include <QSignalSpy>
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
    std::string program = "/opt/My Programs/tallowfen";
    QVERIFY(RegisterCatalogFileType(dir.Path().string(), program));
    std::string mime = test::ReadBytes(dir.File("mime/packages/tallowfen-catalog.xml"));
    QVERIFY(mime.find("*.ctf") != std::string::npos);
    QVERIFY(mime.find("Tallowfen Catalog File") != std::string::npos);
    std::string desktop = test::ReadBytes(dir.File("applications/tallowfen.desktop"));
    QVERIFY(desktop.find("Exec=\"/opt/My Programs/tallowfen\" %F\n") != std::string::npos);
    QVERIFY(desktop.find("MimeType=application/x-tallowfen-catalog;") != std::string::npos);
    // Every start registers again; an unchanged registration writes nothing.
    QVERIFY(!RegisterCatalogFileType(dir.Path().string(), program));
    QVERIFY(RegisterCatalogFileType(dir.Path().string(), "/usr/bin/tallowfen"));
  }
};

QTEST_GUILESS_MAIN(DesktopTest)
#include "DesktopTest.moc"
