// tallowfen: the program. One instance per user: a second start raises the first and ends.

#include <string>
#include <vector>

#include <QApplication>
#include <QFileInfo>
#include <QIcon>

#include "app/Chrome.h"
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

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setOrganizationName(QStringLiteral("Brenthorpe"));
  QApplication::setApplicationName(QStringLiteral("Tallowfen"));
  QApplication::setApplicationDisplayName(QStringLiteral("Tallowfen"));
  QGuiApplication::setDesktopFileName(QString::fromLatin1(DesktopAppId));
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
  const QStringList args = QCoreApplication::arguments();  // without Qt's own options
  for (qsizetype i = 1; i < args.size(); ++i) paths.push_back(args[i].toStdString());

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
