// tallowfen: the program. One instance per user: a second start raises the first and ends.

#include <cstdio>
#include <string>
#include <vector>

#include <QApplication>
#include <QFileInfo>
#include <QIcon>

#include "app/Chrome.h"
#include "app/CommandLine.h"
#include "app/Startup.h"
#include "browse/Main.h"
#include "browse/QtFormats.h"
#include "browse/WaitForm.h"
#include "platform/DesktopIntegration.h"
#include "platform/LinuxDrives.h"
#include "platform/QtPrompts.h"
#include "platform/QtSettingsStore.h"
#include "platform/Shell.h"
#include "platform/SingleInstance.h"

using namespace tf;

namespace {

// Help, version and a command-line mistake go to the terminal; 0 or 1 is the exit status.
int Answer(const TCommandLine& line) {
  bool failed = line.Action == TCommandLine::TAction::Fail;
  std::FILE* out = failed ? stderr : stdout;
  std::fputs(line.Text.toLocal8Bit().constData(), out);
  return std::fflush(out) == 0 && !failed ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  // --help and --version without a display: a core application is enough for them.
  {
    QStringList raw;
    for (int i = 0; i < argc; ++i) raw.push_back(QString::fromLocal8Bit(argv[i]));
    TCommandLine early = ParseCommandLine(raw);
    if (early.Action == TCommandLine::TAction::Help ||
        early.Action == TCommandLine::TAction::Version) {
      QCoreApplication core(argc, argv);
      return Answer(ParseCommandLine(QCoreApplication::arguments()));
    }
  }

  QApplication app(argc, argv);
  QApplication::setOrganizationName(QStringLiteral("Brenthorpe"));
  QApplication::setApplicationName(QStringLiteral("Tallowfen"));
  QApplication::setApplicationDisplayName(QStringLiteral("Tallowfen"));
  QApplication::setApplicationVersion(QStringLiteral(TALLOWFEN_VERSION));
  QGuiApplication::setDesktopFileName(QString::fromLatin1(DesktopAppId));
  // What is left once Qt took out its own options (-platform, -style, ...).
  const TCommandLine line = ParseCommandLine(QCoreApplication::arguments());
  if (line.Action != TCommandLine::TAction::Run) return Answer(line);
  QApplication::setWindowIcon(ProgramIcon());
  // Without a desktop's own icon theme (a bare X server), file types still get icons.
  if (QIcon::themeName().isEmpty() || QIcon::themeName() == QLatin1String("hicolor"))
    QIcon::setThemeName(QStringLiteral("Adwaita"));

  // Arguments of a second start are not passed on: it only raises the first.
  TSingleInstance guard(QFileInfo(QCoreApplication::applicationFilePath()).fileName());
  if (!guard.Claim()) return 0;

  TQtDisplayFormats formats;
  SetDisplayFormats(&formats);
  TQtPrompts prompts;
  prompts.BeforeShowing = [] { TWaitForm::HideCurrentForMessage(); };
  prompts.AfterShowing = [] { TWaitForm::ShowCurrentAgain(); };
  TQtSettingsStore settings;
  TLinuxDrives drives(&settings);
  TLinuxShell shell;

  TAppServices services;
  services.Settings = &settings;
  services.Prompts = &prompts;
  services.Drives = &drives;
  services.Shell = &shell;
  services.DataHome = UserDataHome();
  services.ProgramPath = QCoreApplication::applicationFilePath().toStdString();
  services.SystemDataDirs = SystemDataDirs();

  std::vector<std::string> paths;
  for (const QString& catalog : line.Catalogs) paths.push_back(catalog.toStdString());

  int status;
  {
    TApp program(services, paths);
    prompts.SetParent(&program.MainForm());
    QObject::connect(&guard, &TSingleInstance::RaiseRequested, &program.MainForm(), [&program] {
      TMainForm& form = program.MainForm();
      if (form.isMinimized()) form.showNormal();
      form.show();
      form.raise();
      form.activateWindow();
    });
    program.Start();
    status = app.exec();
  }
  SetDisplayFormats(nullptr);
  return status;
}
