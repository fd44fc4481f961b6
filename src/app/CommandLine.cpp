#include "app/CommandLine.h"

#include <QCommandLineParser>

namespace tf {

TCommandLine ParseCommandLine(const QStringList& arguments) {
  QCommandLineParser parser;
  parser.setApplicationDescription(
      QStringLiteral("Tallowfen disk cataloguer: browse and edit catalogs of your media."));
  // Single-dash words are long options, so that a Qt option such as -reverse is not read as
  // -r -e -v ... with a -v for the version among them.
  parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
  // Our own help option: Qt's adds --help-all, whose Qt options depend on the application
  // object that exists.
  const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                QStringLiteral("Displays this help and exits."));
  const QCommandLineOption version({QStringLiteral("v"), QStringLiteral("version")},
                                   QStringLiteral("Displays the version and exits."));
  parser.addOption(help);
  parser.addOption(version);
  parser.addPositionalArgument(QStringLiteral("catalogs"),
                               QStringLiteral("Catalog files (.ctf) to open."),
                               QStringLiteral("[CATALOG.ctf...]"));
  const bool parsed = parser.parse(arguments);

  TCommandLine line;
  if (parser.isSet(help)) {
    line.Action = TCommandLine::TAction::Help;
    line.Text = parser.helpText();
  } else if (parser.isSet(version)) {
    line.Action = TCommandLine::TAction::Version;
    line.Text = QStringLiteral("tallowfen " TALLOWFEN_VERSION "\n");
  } else if (!parsed) {
    line.Action = TCommandLine::TAction::Fail;
    line.Text = parser.errorText() + QStringLiteral("\nTry 'tallowfen --help'.\n");
  } else {
    line.Catalogs = parser.positionalArguments();
  }
  return line;
}

}  // namespace tf
