// tallowfen: the program. Creates the main window on the catalog tree and opens the catalogs
// named on the command line.

#include <memory>
#include <string>
#include <vector>

#include <QApplication>
#include <QIcon>
#include <QTimer>
#include <QToolTip>

#include "app/Options.h"
#include "app/OptionsForm.h"
#include "browse/Main.h"
#include "browse/QtFormats.h"
#include "browse/WaitForm.h"
#include "platform/QtPrompts.h"
#include "platform/QtSettingsStore.h"
#include "store/LoadSave.h"

using namespace tf;

namespace {

// Opens the catalogs named on the command line straight from their files, the last one
// selected. Stands in until the catalog commands (with their recent-files list, messages and
// wait window) take over the command line.
void OpenArgumentsDirectly(TMainForm& form, TUserPrompts& prompts,
                           const std::vector<std::string>& paths) {
  TNode* last = nullptr;
  for (const std::string& path : paths) {
    try {
      last = form.AddCatalogNode(ReadCatalogFile(path));
    } catch (const EInvalidCatalog& e) {
      prompts.Message("Catalog error", path + "\n\r" + e.what(), TButtons::Ok, TIcon::Error);
    } catch (const std::exception& e) {
      prompts.Message("Load error",
                      "An error occured while trying to load catalog file " + path + ".\r" +
                          e.what(),
                      TButtons::Ok, TIcon::Error);
    }
  }
  if (last) form.SelectNode(last);
}

QFont SlotFont(const TOptions& options, int slot, const QFont& system) {
  const TFontSlot& s = options.Fonts[std::size_t(slot)];
  return s.UseCustom ? ToQFont(s.Custom) : system;
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setOrganizationName(QStringLiteral("Brenthorpe"));
  QApplication::setApplicationName(QStringLiteral("Tallowfen"));
  // Without a desktop's own icon theme (a bare X server), file types still get icons.
  if (QIcon::themeName().isEmpty() || QIcon::themeName() == QLatin1String("hicolor"))
    QIcon::setThemeName(QStringLiteral("Adwaita"));

  TQtDisplayFormats formats;
  SetDisplayFormats(&formats);

  TCatalogTree tree;
  TQtPrompts prompts;
  prompts.BeforeShowing = [] { TWaitForm::HideCurrentForMessage(); };
  prompts.AfterShowing = [] { TWaitForm::ShowCurrentAgain(); };
  TQtSettingsStore settings;
  TOptions options = LoadSettings(settings, DesktopFontDefaults()).Options;

  TMainForm form(tree, prompts);
  prompts.SetParent(&form);
  form.ApplyBrowseSettings(options);
  form.SetFonts(SlotFont(options, FontCatalogTree, QApplication::font()),
                SlotFont(options, FontFileList, QApplication::font()),
                SlotFont(options, FontTips, QToolTip::font()));
  form.show();

  std::vector<std::string> paths;
  const QStringList args = QCoreApplication::arguments();  // without Qt's own options
  for (qsizetype i = 1; i < args.size(); ++i) paths.push_back(args[i].toStdString());
  QTimer::singleShot(0, &form, [&] { OpenArgumentsDirectly(form, prompts, paths); });
  int status = app.exec();
  SetDisplayFormats(nullptr);
  return status;
}
