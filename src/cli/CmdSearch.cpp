// tallowfen-cli search CATALOG.ctf... [criteria]
// tallowfen-cli dupes CATALOG.ctf... [--name] [--size] [--date] [--attr] [--include-archives]
//
// The search window's two runs without the window. The catalogs are read as the program
// reads them: opening reads disks and first folder levels only, file lists are tested where
// they lie in the file, and only lists in which something is found are kept in memory. The
// criteria are read as the window reads its fields (sizes with their units, a mask cleaned,
// bounds swapped when given the wrong way round), and the settings as the program has them.
//
// Output, in the list's order: the eight column texts of the result list, tab-separated, one
// item a line; with --json one object a line. Duplicates: groups separated by an empty line
// (--json: one array a group). Exit status: 0 done, 1 usage or nothing to search for, 2 a
// catalog could not be read (results found elsewhere are printed all the same).

#include <CLI/CLI.hpp>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "browse/ItemText.h"
#include "cli/Commands.h"
#include "cli/Json.h"
#include "cli/Output.h"
#include "cli/Prompts.h"
#include "cli/TerminalProgress.h"
#include "platform/QtSettingsStore.h"
#include "search/SearchThread.h"
#include "settings/Options.h"
#include "store/LoadSave.h"
#include "text/Text.h"

namespace tf::cli {

namespace {

struct TSearchArgs {
  std::vector<std::string> Catalogs;
  bool FilesOnly = false, FoldersOnly = false, Any = false;
  int Limit = 0;
  std::optional<std::string> NameExact, NamePart, Mask, Ext;
  bool Case = false;
  std::string Attr;
  bool DescAny = false, DescNone = false, DescCase = false;
  std::optional<std::string> Desc;
  std::vector<std::string> Categories, Flags;
  std::optional<std::string> SizeEq, SizeLt, SizeGt, SizeTolerance;
  std::vector<std::string> SizeBetween, SizeNotBetween;
  std::string DateField = "modified";
  std::optional<std::string> DateOn, DateBefore, DateAfter;
  std::vector<std::string> DateBetween, DateNotBetween;
  std::optional<int> DateTolerance;
  std::string TimeField = "modified";
  std::optional<std::string> TimeAt, TimeBefore, TimeAfter;
  std::vector<std::string> TimeBetween, TimeNotBetween;
  std::optional<int> TimeTolerance;
  std::vector<std::string> Disks;
  bool Json = false;
  // dupes
  bool DupName = false, DupSize = false, DupDate = false, DupAttr = false;
  bool IncludeArchives = false;
};

// A usage error with the message for stderr.
struct EUsage {
  std::string Message;
};

// "1.5MB", "1.5 MB", "300": the window's value field and unit box.
TSizeField ParseSize(const std::string& text) {
  std::size_t end = 0;
  while (end < text.size() && (std::isdigit(static_cast<unsigned char>(text[end])) ||
                               text[end] == '.' || text[end] == ','))
    ++end;
  std::string number = text.substr(0, end);
  std::string unit = UpperCase(text.substr(end));
  while (!unit.empty() && unit.front() == ' ') unit.erase(0, 1);
  static const char* units[] = {"B", "KB", "MB", "GB", "TB"};
  TSizeField f{number, -1};
  if (unit.empty()) f.Unit = 0;
  for (int i = 0; i < 5; ++i)
    if (unit == units[i] || (i == 0 && unit == "BYTES")) f.Unit = i;
  bool digits = number.find_first_of("0123456789") != std::string::npos;
  if (f.Unit < 0 || !digits) throw EUsage{"not a size: \"" + text + "\" (a number and B, KB, MB, GB or TB)"};
  return f;
}

int32_t ParseDate(const std::string& text) {
  int y = 0, m = 0, d = 0;
  char extra = 0;
  if (std::sscanf(text.c_str(), "%4d-%2d-%2d%c", &y, &m, &d, &extra) != 3 || m < 1 || m > 12 ||
      d < 1 || d > 31)
    throw EUsage{"not a date: \"" + text + "\" (YYYY-MM-DD)"};
  int32_t day = DayNumber(y, m, d);
  int yy, mm, dd;
  DayToDate(day, yy, mm, dd);
  if (yy != y || mm != m || dd != d) throw EUsage{"no such day: \"" + text + "\""};
  return day;
}

int32_t ParseTime(const std::string& text) {
  int h = 0, m = 0, s = 0;
  char extra = 0;
  int n = std::sscanf(text.c_str(), "%2d:%2d:%2d%c", &h, &m, &s, &extra);
  if (n == 2 && text.size() > 5) n = 0;
  if ((n != 2 && n != 3) || h > 23 || m > 59 || s > 59 || h < 0 || m < 0 || s < 0)
    throw EUsage{"not a time: \"" + text + "\" (HH:MM or HH:MM:SS)"};
  return h * 3600 + m * 60 + s;
}

// The window's name page: what its validation refuses, and the texts it rewrites.
void NameControls(const TSearchArgs& a, TSearchControls& k) {
  int modes = a.NameExact.has_value() + a.NamePart.has_value() + a.Mask.has_value() +
              a.Ext.has_value();
  if (modes > 1) throw EUsage{"give only one of --name-exact, --name-part, --mask, --ext"};
  if (modes == 0) {
    if (a.Case) throw EUsage{"--case needs --name-exact or --name-part"};
    // Attributes are conditions of the name page, as in the window.
    if (!a.Attr.empty()) throw EUsage{"--attr needs a name option (--mask \"*\" for any name)"};
    return;
  }
  k.ByNameCheck = true;
  std::string label = "Item Name";
  if (a.NameExact) k.NameCombo = TNameMode::Exact, k.NameEdit = *a.NameExact;
  if (a.NamePart) k.NameCombo = TNameMode::Part, k.NameEdit = *a.NamePart;
  if (a.Mask) k.NameCombo = TNameMode::Mask, k.NameEdit = *a.Mask, label = "File Mask";
  if (a.Ext) k.NameCombo = TNameMode::Extension, k.NameEdit = *a.Ext, label = "Extension";
  k.FileCaseCheck = a.Case;
  if (modes == 1 && k.NameEdit.empty())
    throw EUsage{"The " + label + " field is still empty.\nPlease enter a data you are searching for."};
  if (a.Mask) {
    k.NameEdit = NormalizeMask(k.NameEdit);
    if (k.NameEdit.empty())
      throw EUsage{"The DOS File Mask is not valid.\nPlease enter a correct mask or change search settings."};
  }
  if (a.Ext) k.NameEdit = NormalizeExtensionList(k.NameEdit);

  for (std::size_t i = 0; i < a.Attr.size(); i += 2) {
    static const std::string letters = "ahsr";  // the window's order
    std::size_t which = letters.find(char(std::tolower(static_cast<unsigned char>(a.Attr[i]))));
    char sign = i + 1 < a.Attr.size() ? a.Attr[i + 1] : 0;
    if (which == std::string::npos || (sign != '+' && sign != '-'))
      throw EUsage{"not an attribute list: \"" + a.Attr + "\" (a, h, s, r each followed by + or -)"};
    k.Attributes[which] = sign == '+' ? TAttrState::Set : TAttrState::Clear;
  }
}

TSearchControls Controls(const TSearchArgs& a) {
  TSearchControls k;
  if (a.FilesOnly && a.FoldersOnly) throw EUsage{"give only one of --files-only, --folders-only"};
  k.SearchForCombo = a.FilesOnly     ? TSearchFor::FilesOnly
                     : a.FoldersOnly ? TSearchFor::FoldersOnly
                                     : TSearchFor::FilesAndFolders;
  k.SearchTypeCombo = a.Any ? TMatchMode::AtLeastOne : TMatchMode::All;
  k.LimitFoundCheck = a.Limit > 0;
  k.MaxFoundNum = a.Limit > 0 ? a.Limit : 1000;
  NameControls(a, k);

  int descModes = a.DescAny + a.DescNone + a.Desc.has_value();
  if (descModes > 1) throw EUsage{"give only one of --desc-any, --desc, --desc-none"};
  if (descModes == 1) {
    k.ByDescCheck = true;
    k.DescMode = a.DescAny ? TDescMode::Any : a.DescNone ? TDescMode::None : TDescMode::Text;
    if (a.Desc) {
      if (a.Desc->empty())
        throw EUsage{"The description field is still empty.\nPlease enter a data you are searching for."};
      k.DescEdit = *a.Desc;
    }
    k.DescCaseCheck = a.DescCase;
  }
  if (!a.Categories.empty() || !a.Flags.empty()) {
    k.ByCategoryCheck = true;
    k.CheckedCategories = a.Categories;
    k.CheckedFlags = a.Flags;
  }

  struct {
    const std::optional<std::string>* one;
    const std::vector<std::string>* two;
    TSizeCompare cmp;
  } sizes[] = {{&a.SizeEq, nullptr, TSizeCompare::EqualTo},
               {&a.SizeLt, nullptr, TSizeCompare::SmallerThan},
               {&a.SizeGt, nullptr, TSizeCompare::LargerThan},
               {nullptr, &a.SizeBetween, TSizeCompare::Between},
               {nullptr, &a.SizeNotBetween, TSizeCompare::NotBetween}};
  for (const auto& s : sizes) {
    bool given = s.one ? s.one->has_value() : !s.two->empty();
    if (!given) continue;
    if (k.BySizeCheck) throw EUsage{"give only one size comparison"};
    k.BySizeCheck = true;
    k.SizeCombo = s.cmp;
    k.SizeValue1 = ParseSize(s.one ? **s.one : (*s.two)[0]);
    if (s.two) {
      k.SizeValue2 = ParseSize((*s.two)[1]);
      // The window swaps bounds given the wrong way round.
      TSizeField low = k.SizeValue1, high = k.SizeValue2;
      if (SizeToBytes(low) > SizeToBytes(high)) std::swap(k.SizeValue1, k.SizeValue2);
    }
  }
  if (a.SizeTolerance) {
    if (!k.BySizeCheck) throw EUsage{"--size-tolerance needs a size comparison"};
    k.SizeAllowTollerance = true;
    k.SizeValue3 = ParseSize(*a.SizeTolerance);
  }

  auto field = [](const std::string& name, std::initializer_list<const char*> names) {
    int i = 1;
    for (const char* n : names) {
      if (name == n) return i;
      ++i;
    }
    throw EUsage{"not a field: \"" + name + "\""};
  };
  struct Bound {
    const std::optional<std::string>* one;
    const std::vector<std::string>* two;
    int cmp;
  };
  Bound dates[] = {{&a.DateOn, nullptr, 0}, {&a.DateBefore, nullptr, 1}, {&a.DateAfter, nullptr, 2},
                   {nullptr, &a.DateBetween, 3}, {nullptr, &a.DateNotBetween, 4}};
  for (const auto& d : dates) {
    bool given = d.one ? d.one->has_value() : !d.two->empty();
    if (!given) continue;
    if (k.DateCombo1 != TDateField::None) throw EUsage{"give only one date comparison"};
    k.ByDateCheck = true;
    k.DateCombo1 = TDateField(field(a.DateField, {"created", "modified", "accessed"}));
    k.DateCombo2 = TDateCompare(d.cmp);
    k.DatePicker1 = k.DatePicker2 = ParseDate(d.one ? **d.one : (*d.two)[0]);
    if (d.two) k.DatePicker2 = ParseDate((*d.two)[1]);
    if (k.DatePicker2 < k.DatePicker1) std::swap(k.DatePicker1, k.DatePicker2);
  }
  if (a.DateTolerance) {
    if (k.DateCombo1 == TDateField::None) throw EUsage{"--date-tolerance needs a date comparison"};
    k.DateAllowTollerance = true;
    k.DateTollerance = *a.DateTolerance;
  }
  Bound times[] = {{&a.TimeAt, nullptr, 0}, {&a.TimeBefore, nullptr, 1}, {&a.TimeAfter, nullptr, 2},
                   {nullptr, &a.TimeBetween, 3}, {nullptr, &a.TimeNotBetween, 4}};
  for (const auto& t : times) {
    bool given = t.one ? t.one->has_value() : !t.two->empty();
    if (!given) continue;
    if (k.TimeCombo1 != TTimeField::None) throw EUsage{"give only one time comparison"};
    k.ByDateCheck = true;
    k.TimeCombo1 = TTimeField(field(a.TimeField, {"created", "modified"}));
    k.TimeCombo2 = TTimeCompare(t.cmp);
    k.TimePicker1 = k.TimePicker2 = ParseTime(t.one ? **t.one : (*t.two)[0]);
    if (t.two) k.TimePicker2 = ParseTime((*t.two)[1]);
    if (k.TimePicker2 < k.TimePicker1) std::swap(k.TimePicker1, k.TimePicker2);
  }
  if (a.TimeTolerance) {
    if (k.TimeCombo1 == TTimeField::None) throw EUsage{"--time-tolerance needs a time comparison"};
    k.TimeAllowTollerance = true;
    k.TimeTollerance = *a.TimeTolerance;
  }
  return k;
}

// The settings as the program reads them at start-up: a key of an older revision counts as
// no key at all (the program deletes it; this tool only reads).
TOptions ProgramSettings() {
  TQtSettingsStore store;
  auto marker = store.ReadBinary("RevisionMarker");
  if (!store.Exists() || !marker || *marker != std::vector<uint8_t>{kSettingsRevision})
    return DesignedOptions();
  return LoadSettings(store).Options;
}

// The terminal's progress bar, fed by the engine's status display.
class TCliHost final : public TSearchHost {
 public:
  explicit TCliHost(TTerminalProgress& progress) : progress_(progress) {}
  void ShowStatus(const TSearchStatus& s) override {
    if (s.Duplicates && s.Collecting != collecting_) {
      collecting_ = s.Collecting;
      progress_.Begin(collecting_ ? "Collecting all items" : "Comparing items", s.Total);
      shown_ = 0;
    }
    progress_.SetTotal(s.Total);
    progress_.Advance(s.Checked - shown_);
    shown_ = s.Checked;
  }

 private:
  TTerminalProgress& progress_;
  bool collecting_ = true;
  int shown_ = 0;
};

class TOpenedCatalogs {
 public:
  TOpenedCatalogs() {
    tree.SetList(TListKind::Search, &results);
    tree.SetList(TListKind::Duplicates, &duplicates);
  }
  ~TOpenedCatalogs() {
    tree.SetList(TListKind::Search, nullptr);
    tree.SetList(TListKind::Duplicates, nullptr);
  }
  bool Open(const std::vector<std::string>& paths) {
    for (const auto& path : paths) {
      try {
        tree.AppendChild(tree.Root(), ReadCatalogFile(path));
      } catch (const std::exception& e) {
        PrintMessage(CatalogErrorText(path, ErrorText(e)));
        return false;
      }
    }
    return true;
  }
  // Only the named disks stay in the scope.
  void LimitScope(const std::vector<std::string>& disks) {
    if (disks.empty()) return;
    std::vector<bool> seen(disks.size(), false);
    for (int i = 0; i < tree.CatalogCount(); ++i) {
      for (auto& d : tree.Catalog(i)->Children) {
        auto it = std::find(disks.begin(), disks.end(), d->Caption);
        SetFlag(d->Record, SearchScope, it != disks.end());
        if (it != disks.end()) seen[std::size_t(it - disks.begin())] = true;
      }
    }
    for (std::size_t i = 0; i < disks.size(); ++i)
      if (!seen[i]) throw EUsage{"no disk \"" + disks[i] + "\" in the catalogs"};
  }

  TCatalogTree tree;
  TResultList results{TListKind::Search};
  TResultList duplicates{TListKind::Duplicates};
};

std::string JsonText(std::string_view stored) { return JsonEscape(ToDisplay(stored)); }

// {"kind", "catalog", "disk", "path" (the container's folder path), "name", "size",
// "modifiedTime", "attributes", "description", "categoryFlags"}
std::string JsonItem(TItemRec* rec) {
  bool file = KindOf(rec) == ikFile;
  TNode* node = rec->Node;
  TNode* container = file ? node : node->Parent;
  TItemView v = ViewOf(rec);
  const TText* desc = DescriptionOf(rec);
  return std::string("{\"kind\":") + (file ? "\"file\"" : "\"folder\"") +
         ",\"catalog\":" + JsonText(CatalogNodeOf(node)->Caption) +
         ",\"disk\":" + JsonText(DiskNodeOf(node)->Caption) +
         ",\"path\":" + JsonText(GetFolderPath(container)) + ",\"name\":" + JsonText(v.Name) +
         ",\"size\":" + std::to_string(v.Size) +
         ",\"modifiedTime\":" + std::to_string(v.ModifiedTime) +
         ",\"attributes\":" + std::to_string(v.Attributes) +
         ",\"description\":" + (desc && *desc ? JsonText(desc->View()) : "null") +
         ",\"categoryFlags\":" + std::to_string(v.CategoryFlags) + "}";
}

// The eight column texts of the result list, tab-separated.
std::string ColumnsLine(TItemRec* rec) {
  std::string line;
  TItemRec* const row[] = {rec};
  for (int column = 0; column < 8; ++column) {
    if (column) line += '\t';
    line += ListViewVMGetItemInfo(TListSender::SearchResults, row, 0, InfoText, column, nullptr,
                                  nullptr)
                .Text;
  }
  return line;
}

// The catalogs are not freed record by record: the process ends here, which frees them at
// once (freeing a million folder nodes one by one takes longer than the search).
[[noreturn]] void Finish(const TSearchEngine& engine) {
  int status = ExitOk;
  for (const auto& e : engine.ReadErrors()) {
    PrintMessage(e);
    status = ExitFailed;
  }
  if (auto reason = OutputFailure()) {
    PrintMessage(OutputFailureText(*reason));
    status = ExitFailed;
  }
  std::fflush(stderr);
  std::_Exit(status);
}

int RunSearch(const TSearchArgs& a, bool duplicates) {
  TOpenedCatalogs cats;
  TTerminalPrompts prompts;
  TSearchControls controls;
  try {
    if (duplicates) {
      if (a.FilesOnly && a.FoldersOnly)
        throw EUsage{"give only one of --files-only, --folders-only"};
      controls.SearchForCombo = a.FilesOnly     ? TSearchFor::FilesOnly
                                : a.FoldersOnly ? TSearchFor::FoldersOnly
                                                : TSearchFor::FilesAndFolders;
      bool chosen = a.DupName || a.DupSize || a.DupDate || a.DupAttr;
      controls.DuplicateNameCheck = chosen ? a.DupName : true;
      controls.DuplicateSizeCheck = chosen ? a.DupSize : true;
      controls.DuplicateDateCheck = a.DupDate;
      controls.DuplicateAttrCheck = a.DupAttr;
      controls.DuplicateArchivesCheck = !a.IncludeArchives;
    } else {
      controls = Controls(a);
    }
    if (!cats.Open(a.Catalogs)) return ExitFailed;
    cats.LimitScope(a.Disks);
  } catch (const EUsage& e) {
    PrintMessage(e.Message);
    return ExitUsage;
  }

  TSearchOptions options;
  options.ArchivesAsFiles = !ProgramSettings().ArchivesSortCheck;
  TTerminalProgress progress;
  TCliHost host(progress);
  TDirectMainThread main;
  TSearchEngine engine(cats.results, cats.duplicates, host, main);
  if (duplicates) {
    TDuplicatesCriteria d = DuplicatesCriteriaOf(controls);
    progress.Begin("Collecting all items", 0);
    engine.RunDuplicates(d, controls.SearchForCombo, CollectScope(cats.tree, controls.SearchForCombo),
                         options);
  } else {
    TSearchCriteria criteria = BuildCriteria(controls);
    if (!criteria.SomethingToSearch) {
      prompts.Message("Error", MsgNothingToSearch, TButtons::Ok, TIcon::Warning);
      return ExitUsage;
    }
    progress.Begin("Searching", 0);
    engine.RunSearch(criteria, CollectScope(cats.tree, criteria.SearchFor), options);
  }
  progress.End();

  TResultList& list = duplicates ? cats.duplicates : cats.results;
  std::string out;
  for (int i = 0; i < list.Count(); ++i) {
    bool groupStart = i == 0 || list.Group(i) != list.Group(i - 1);
    bool groupEnd = i + 1 == list.Count() || list.Group(i + 1) != list.Group(i);
    if (!a.Json) {
      if (duplicates && groupStart && i > 0) out += '\n';
      out += ColumnsLine(list.At(i)) + '\n';
    } else if (!duplicates) {
      out += JsonItem(list.At(i)) + '\n';
    } else {
      out += (groupStart ? "[" : ",") + JsonItem(list.At(i)) + (groupEnd ? "]\n" : "");
    }
    if (out.size() >= 65536 || i + 1 == list.Count()) {
      if (!WriteOut(out)) break;  // reported as the command ends
      out.clear();
    }
  }
  Finish(engine);
}

void AddCommon(CLI::App* cmd, TSearchArgs& a) {
  cmd->add_option("catalogs", a.Catalogs, "Catalog files (.ctf)")->required();
  auto* files = cmd->add_flag("--files-only", a.FilesOnly, "Files only (archives count as files)");
  cmd->add_flag("--folders-only", a.FoldersOnly, "Folders only (archives count as folders)")
      ->excludes(files);
  cmd->add_flag("--json", a.Json, "One JSON object a line");
}

}  // namespace

void AddSearchCommand(CLI::App& app, TAction& action) {
  auto* cmd = app.add_subcommand("search", "Search catalogs for files and folders");
  auto a = std::make_shared<TSearchArgs>();
  AddCommon(cmd, *a);
  cmd->add_flag("--any", a->Any, "At least one condition must hold (default: all)");
  cmd->add_option("--limit", a->Limit, "Stop after N results")->check(CLI::Range(1, 9999));
  cmd->add_option("--name-exact", a->NameExact, "The exact name");
  cmd->add_option("--name-part", a->NamePart, "Part of the name");
  cmd->add_option("--mask", a->Mask, "A DOS file mask (* and ?; case never matters)");
  cmd->add_option("--ext", a->Ext, "Extensions, comma-separated");
  cmd->add_flag("--case", a->Case, "Exact and part of the name: case counts");
  cmd->add_option("--attr", a->Attr, "Attributes: a, h, s, r each followed by + (set) or - (clear)");
  cmd->add_flag("--desc-any", a->DescAny, "Items with any description");
  cmd->add_option("--desc", a->Desc, "Items whose description holds this text");
  cmd->add_flag("--desc-none", a->DescNone, "Items without a description");
  cmd->add_flag("--desc-case", a->DescCase, "--desc: case counts");
  cmd->add_option("--category", a->Categories, "A category's name (repeatable)");
  cmd->add_option("--flag", a->Flags, "A user flag's name (repeatable)");
  cmd->add_option("--size-eq", a->SizeEq, "Size equal to V (a number and B, KB, MB, GB, TB)");
  cmd->add_option("--size-lt", a->SizeLt, "Size smaller than V");
  cmd->add_option("--size-gt", a->SizeGt, "Size larger than V");
  cmd->add_option("--size-between", a->SizeBetween, "Size between V1 and V2")->expected(2);
  cmd->add_option("--size-not-between", a->SizeNotBetween, "Size not between V1 and V2")
      ->expected(2);
  cmd->add_option("--size-tolerance", a->SizeTolerance, "Widen the size bounds by V");
  cmd->add_option("--date-field", a->DateField, "created, modified (default) or accessed");
  cmd->add_option("--date-on", a->DateOn, "On the day D (YYYY-MM-DD)");
  cmd->add_option("--date-before", a->DateBefore, "Before the day D");
  cmd->add_option("--date-after", a->DateAfter, "After the day D");
  cmd->add_option("--date-between", a->DateBetween, "Between the days D1 and D2")->expected(2);
  cmd->add_option("--date-not-between", a->DateNotBetween, "Not between D1 and D2")->expected(2);
  cmd->add_option("--date-tolerance", a->DateTolerance, "Widen the date bounds by DAYS")
      ->check(CLI::Range(0, 99));
  cmd->add_option("--time-field", a->TimeField, "created or modified (default)");
  cmd->add_option("--time-at", a->TimeAt, "At the time T (HH:MM or HH:MM:SS)");
  cmd->add_option("--time-before", a->TimeBefore, "Before the time T");
  cmd->add_option("--time-after", a->TimeAfter, "After the time T");
  cmd->add_option("--time-between", a->TimeBetween, "Between the times T1 and T2")->expected(2);
  cmd->add_option("--time-not-between", a->TimeNotBetween, "Not between T1 and T2")->expected(2);
  cmd->add_option("--time-tolerance", a->TimeTolerance, "Widen the time bounds by MINUTES")
      ->check(CLI::Range(0, 999));
  cmd->add_option("--disk", a->Disks, "Search only this disk (repeatable)");
  cmd->callback([&action, a] { action = [a] { return RunSearch(*a, false); }; });
}

void AddDupesCommand(CLI::App& app, TAction& action) {
  auto* cmd = app.add_subcommand("dupes", "List groups of duplicate files and folders");
  auto a = std::make_shared<TSearchArgs>();
  AddCommon(cmd, *a);
  cmd->add_flag("--name", a->DupName, "The same name (default with --size)");
  cmd->add_flag("--size", a->DupSize, "The same size (default with --name)");
  cmd->add_flag("--date", a->DupDate, "The same date and time");
  cmd->add_flag("--attr", a->DupAttr, "The same attributes");
  cmd->add_flag("--include-archives", a->IncludeArchives, "Also the contents of archives");
  cmd->callback([&action, a] { action = [a] { return RunSearch(*a, true); }; });
}

}  // namespace tf::cli
