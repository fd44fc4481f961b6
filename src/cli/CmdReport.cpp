// tallowfen-cli report CATALOG.ctf --out FILE.txt [options]: the report the Report Generator
// writes for a catalog or for one of its disks or folders (--item "DISK\FOLDER\..."), in the
// tree's name order. The head's date honours SOURCE_DATE_EPOCH, so that a report can be made
// again byte for byte.

#include <CLI/CLI.hpp>
#include <memory>
#include <string>
#include <vector>

#include "cli/Commands.h"
#include "cli/Output.h"
#include "cli/Prompts.h"
#include "report/Report.h"
#include "store/LoadSave.h"
#include "text/Text.h"

namespace tf::cli {

namespace {

struct TReportArgs {
  std::string Catalog;
  std::string Item;
  std::string Level = DetailLevels[DefaultDetailLevel].Name;
  std::string Layout = "columns";
  bool Tabs = false;
  bool Separate = false;
  std::string Columns;
  CLI::Option* ColumnsOpt = nullptr;
  std::string Out;
};

// "File name, File size" -> {"File name", "File size"}: blanks around the names go.
std::vector<std::string> SplitColumns(const std::string& list) {
  std::vector<std::string> names;
  std::size_t start = 0;
  for (;;) {
    std::size_t comma = list.find(',', start);
    std::string name = list.substr(start, comma == std::string::npos ? comma : comma - start);
    std::size_t b = name.find_first_not_of(' '), e = name.find_last_not_of(' ');
    names.push_back(b == std::string::npos ? std::string() : name.substr(b, e - b + 1));
    if (comma == std::string::npos) return names;
    start = comma + 1;
  }
}

// The child of node whose name is name: as written, else without regard to case.
TNode* ChildNamed(TNode* node, const std::string& name) {
  LoadSubfolders(node);
  TNode* folded = nullptr;
  for (int i = 0; i < node->ChildCount(); ++i) {
    TNode* child = node->Child(i);
    std::string shown = ToDisplay(child->Caption);
    if (shown == name) return child;
    if (!folded && EqualsNoCase(shown, name)) folded = child;
  }
  return folded;
}

// The node of "DISK\FOLDER\..." below the catalog; null when there is none.
TNode* FindItem(TNode* catalog, const std::string& path) {
  TNode* node = catalog;
  std::size_t start = 0;
  while (node && start <= path.size()) {
    std::size_t sep = path.find('\\', start);
    std::string part = path.substr(start, sep == std::string::npos ? sep : sep - start);
    if (!part.empty()) node = ChildNamed(node, part);
    if (sep == std::string::npos) break;
    start = sep + 1;
  }
  return node;
}

std::string ColumnNames(const TReportColumns& columns, int set) {
  std::string out;
  for (int slot : columns.Ordered(set)) {
    if (!out.empty()) out += ", ";
    out += columns.Slot(set, slot).Caption;
  }
  return out;
}

int RunReport(const TReportArgs& a) {
  TReportJob job;
  job.Settings.Level = FindDetailLevel(a.Level);
  job.Settings.Layout = a.Layout == "list" ? TReportLayout::SimpleList : TReportLayout::Columns;
  job.Settings.UseTabs = a.Tabs;
  job.Settings.SeparateSubfolders = a.Separate;
  TReportColumns columns;
  int set = DetailLevels[job.Settings.Level].ColumnSet;
  if (a.ColumnsOpt->count()) {
    std::string unknown;
    if (!columns.Choose(set, SplitColumns(a.Columns), unknown)) {
      PrintMessage("--columns: \"" + unknown + "\" is not a column of the level \"" + a.Level +
                   "\"; its columns are: " + ColumnNames(columns, set));
      return ExitUsage;
    }
  }
  job.Columns = &columns;

  TCatalogTree tree;
  try {
    TNode* catalog = tree.AppendChild(tree.Root(), ReadCatalogFile(a.Catalog));
    job.Selected = a.Item.empty() ? catalog : FindItem(catalog, a.Item);
  } catch (const EInvalidCatalog& e) {
    PrintMessage(a.Catalog + ": " + e.what());
    return ExitFailed;
  } catch (const std::exception& e) {
    PrintMessage(CatalogErrorText(a.Catalog, e.what()));
    return ExitFailed;
  }
  if (!job.Selected) {
    PrintMessage("There is no item \"" + a.Item + "\" in " + a.Catalog);
    return ExitFailed;
  }
  TTerminalPrompts prompts;
  return WriteReportFile(job, a.Out, prompts, NoProgress()) ? ExitOk : ExitFailed;
}

}  // namespace

void AddReportCommand(CLI::App& app, TAction& action) {
  auto* cmd = app.add_subcommand("report", "Write the Report Generator's report of a catalog, "
                                           "or of one of its disks or folders, to a text file");
  auto a = std::make_shared<TReportArgs>();
  cmd->add_option("catalog", a->Catalog, "Catalog file (.ctf)")->required();
  cmd->add_option("--out", a->Out, "The report file (replaced when it exists)")->required();
  cmd->add_option("--item", a->Item,
                  "The disk or folder to report, as DISK\\FOLDER\\... (default: the catalog)");
  std::vector<std::string> levels;
  for (const TDetailLevel& level : DetailLevels) levels.emplace_back(level.Name);
  cmd->add_option("--level", a->Level, "Detail level (default \"" + a->Level + "\")")
      ->check(CLI::IsMember(levels));
  cmd->add_option("--layout", a->Layout, "columns (a table, the default) or list (Caption: value)")
      ->check(CLI::IsMember({"columns", "list"}));
  cmd->add_flag("--tabs", a->Tabs, "Separate the columns by tabs instead of blanks");
  cmd->add_flag("--separate-subfolders", a->Separate,
                "Give each folder a section of its subfolders (folder levels)");
  a->ColumnsOpt = cmd->add_option(
      "--columns", a->Columns,
      "The columns to write, in their order, separated by commas (default: all of the level's)");
  cmd->callback([&action, a] { action = [a] { return RunReport(*a); }; });
}

}  // namespace tf::cli
