// tallowfen-cli import PATH/NAME.DSK --out FILE.ctf: imports a Kestrevane 3.5 database and
// saves it as a new catalog. A database that fails the import window's check is refused with
// the check's text; a damaged one with what is wrong. Either way nothing is left at --out,
// and an existing file there is never replaced. On success one JSON object is printed:
//   {"name":"...","disks":N,"folders":N,"files":N}

#include <CLI/CLI.hpp>
#include <filesystem>
#include <memory>
#include <nlohmann/json.hpp>
#include <string>

#include "cli/Commands.h"
#include "cli/Output.h"
#include "cli/Prompts.h"
#include "scan/Utils.h"
#include "store/ImportFM.h"
#include "store/LoadSave.h"
#include "text/Text.h"

namespace tf::cli {

namespace {

struct TImportArgs {
  std::string Database;
  std::string Out;
};

int RunImport(const TImportArgs& a) {
  namespace fs = std::filesystem;
  std::error_code ec;
  if (fs::symlink_status(a.Out, ec).type() != fs::file_type::not_found)
    return Fail(a.Out + ": the file exists; the import makes a new catalog");
  fs::path folder = fs::path(a.Out).parent_path();
  if (!folder.empty() && !fs::is_directory(folder, ec))
    return Fail(a.Out + ": the folder " + folder.string() + " does not exist");

  TTerminalPrompts prompts;
  TCatalogTree tree;
  TNode* catalog = nullptr;
  try {
    catalog = tree.AppendChild(tree.Root(), ImportDatabase(a.Database, prompts, NoProgress(),
                                                           EstimateDiskGeometry));
  } catch (const EImportError& e) {
    return Fail(a.Database + ": " + e.what());
  }
  try {
    WriteCatalogFile(catalog, a.Out, NoProgress());
  } catch (const std::exception& e) {
    return Fail(SaveErrorText(a.Out, e.what()));
  }

  int64_t folders = 0, files = 0;
  for (int i = 0; i < catalog->ChildCount(); ++i) {
    auto* disk = static_cast<TDiskRec*>(catalog->Child(i)->Record);
    folders += disk->TotalFolders;
    files += disk->TotalFiles;
  }
  nlohmann::ordered_json j;
  j["name"] = ToDisplay(catalog->Caption);
  j["disks"] = catalog->ChildCount();
  j["folders"] = folders;
  j["files"] = files;
  WriteOut(j.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace) + '\n');
  if (auto reason = OutputFailure())
    return Fail("The catalog was saved in " + a.Out + ", but the summary could not be written: " +
                *reason);
  return ExitOk;
}

}  // namespace

void AddImportCommand(CLI::App& app, TAction& action) {
  auto* cmd = app.add_subcommand(
      "import", "Import a Kestrevane 3.5 database (NAME.DSK with NAME.FIL, NAME.FDS, NAME.CMT) "
                "as a new catalog file");
  auto a = std::make_shared<TImportArgs>();
  cmd->add_option("database", a->Database, "The database's NAME.DSK file")->required();
  cmd->add_option("--out", a->Out, "The new catalog file (.ctf); it must not exist")->required();
  cmd->callback([&action, a] { action = [a] { return RunImport(*a); }; });
}

}  // namespace tf::cli
