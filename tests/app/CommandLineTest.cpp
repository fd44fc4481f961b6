// The program's command line: catalogs to open, help and version before any window.

#include <QTest>

#include "app/CommandLine.h"

using namespace tf;
using TAction = TCommandLine::TAction;

Q_DECLARE_METATYPE(TCommandLine::TAction)

class CommandLineTest : public QObject {
  Q_OBJECT

 private Q_SLOTS:
  void Parse_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<TAction>("action");
    QTest::addColumn<QStringList>("catalogs");
    QTest::newRow("nothing") << QStringList{} << TAction::Run << QStringList{};
    QTest::newRow("catalogs in order") << QStringList{"b.ctf", "/x/a.ctf"} << TAction::Run
                                       << QStringList{"b.ctf", "/x/a.ctf"};
    QTest::newRow("a name with a dash") << QStringList{"--", "-odd.ctf"} << TAction::Run
                                        << QStringList{"-odd.ctf"};
    QTest::newRow("help") << QStringList{"--help"} << TAction::Help << QStringList{};
    QTest::newRow("short help") << QStringList{"a.ctf", "-h"} << TAction::Help << QStringList{};
    QTest::newRow("version") << QStringList{"--version"} << TAction::Version << QStringList{};
    QTest::newRow("short version") << QStringList{"-v"} << TAction::Version << QStringList{};
    // Before Qt takes its own options out, help and version are still recognised among them,
    // and a Qt option is not read as a run of short options with -v in it.
    QTest::newRow("help among Qt options") << QStringList{"-platform", "xcb", "--help"}
                                           << TAction::Help << QStringList{};
    QTest::newRow("Qt option with a v") << QStringList{"-reverse"} << TAction::Fail
                                        << QStringList{};
    QTest::newRow("unknown option") << QStringList{"--bogus", "a.ctf"} << TAction::Fail
                                    << QStringList{};
  }
  void Parse() {
    QFETCH(QStringList, arguments);
    QFETCH(TAction, action);
    QFETCH(QStringList, catalogs);
    TCommandLine line = ParseCommandLine(QStringList{QStringLiteral("tallowfen")} + arguments);
    QCOMPARE(line.Action, action);
    QCOMPARE(line.Catalogs, catalogs);
  }

  void Texts() {
    TCommandLine help = ParseCommandLine({QStringLiteral("tallowfen"), QStringLiteral("--help")});
    QVERIFY(help.Text.contains(QLatin1String("--version")));
    QVERIFY(help.Text.contains(QLatin1String("[CATALOG.ctf...]")));
    TCommandLine version = ParseCommandLine({QStringLiteral("tallowfen"), QStringLiteral("-v")});
    QCOMPARE(version.Text, QStringLiteral("tallowfen " TALLOWFEN_VERSION "\n"));
    TCommandLine bad = ParseCommandLine({QStringLiteral("tallowfen"), QStringLiteral("--bogus")});
    QVERIFY(bad.Text.contains(QLatin1String("bogus")));
  }
};

QTEST_GUILESS_MAIN(CommandLineTest)
#include "CommandLineTest.moc"
