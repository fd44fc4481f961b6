#pragma once
// The program's command line: catalog files to open, --help and --version. Help and version
// are answered on the terminal before any window system is needed, so that they work over
// ssh, in scripts and in package checks.

#include <QString>
#include <QStringList>

namespace tf {

struct TCommandLine {
  enum class TAction { Run, Help, Version, Fail };
  TAction Action = TAction::Run;
  // What goes to stdout (help, version) or stderr (failure).
  QString Text;
  // Run: the catalog files named, in their order.
  QStringList Catalogs;
};

// arguments: the program's arguments, the program itself first. Help and version win over
// unknown options, so that they can be recognised before Qt took out its own options.
TCommandLine ParseCommandLine(const QStringList& arguments);

}  // namespace tf
