// tallowfen-cli categories CATALOG.ctf [--json]
// tallowfen-cli set-category CATALOG.ctf ITEM... [--category NAME | --no-category]
//                             [--flag NAME=on|off]...
//
// The first lists a catalog's categories and flag names; the second gives files and folders a
// category and flags by name, as the Set Categories and Flags window does, and saves the
// catalog as the program's Save does. An ITEM is DISK\FOLDER\...\NAME. A category or flag the
// catalog does not define, or an item that is not there, fails the whole command before
// anything is written. Writers of one catalog take turns: set-category holds the catalog's
// write lock from reading it to saving it.

#include <CLI/CLI.hpp>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "classify/Categories.h"
#include "cli/Commands.h"
#include "cli/Json.h"
#include "cli/Output.h"
#include "cli/Signals.h"
#include "store/CatalogFiles.h"
#include "store/LoadSave.h"
#include "text/Text.h"

namespace tf::cli {

namespace {

// A stored name equals a name given on the command line (UTF-8) as it is shown.
bool SameName(std::string_view stored, std::string_view given) {
  return stored == given || ToDisplay(stored) == given;
}

std::unique_ptr<TNode> OpenCatalog(const std::string& path, std::string& error) {
  try {
    return ReadCatalogFile(path);
  } catch (const std::exception& e) {
    error = CatalogErrorText(path, ErrorText(e));
  }
  return nullptr;
}

int ListCategories(const std::string& path, bool json) {
  std::string error;
  std::unique_ptr<TNode> node = OpenCatalog(path, error);
  if (!node) return Fail(error);
  auto* cat = static_cast<TCatalogRec*>(node->Record);
  std::string out;
  if (json) {
    out += "{\"categories\":[";
    for (std::size_t i = 0; i < cat->Categories.size(); ++i) {
      const TCategory& c = cat->Categories[i];
      out += (i ? "," : "") + std::string("{\"name\":") + JsonEscape(ToDisplay(c.Name)) +
             ",\"id\":" + std::to_string(c.Id) + "}";
    }
    out += "],\"flags\":[";
    for (std::size_t j = 0; j < cat->FlagNames.size(); ++j) {
      const TText& f = cat->FlagNames[j];
      out += (j ? "," : "") +
             (f.Empty() ? std::string("null") : JsonEscape(ToDisplay(f.View())));
    }
    out += "]}\n";
  } else {
    for (const TCategory& c : cat->Categories)
      out += "category\t" + std::to_string(c.Id) + "\t" + ToDisplay(c.Name) + "\n";
    for (int j = 1; j <= UserFlagCount; ++j)
      if (FlagDefined(*cat, j))
        out += "flag\t" + std::to_string(j) + "\t" +
               ToDisplay(cat->FlagNames[std::size_t(j - 1)].View()) + "\n";
  }
  FreeDetachedNode(std::move(node));
  WriteOut(out);  // a failed write is reported as the command ends
  return ExitOk;
}

std::vector<std::string> SplitPath(const std::string& path) {
  std::vector<std::string> parts;
  std::string part;
  for (char c : path) {
    if (c == '\\') {
      parts.push_back(part);
      part.clear();
    } else {
      part += c;
    }
  }
  parts.push_back(part);
  return parts;
}

std::string Join(const std::vector<std::string>& parts, std::size_t from) {
  std::string out;
  for (std::size_t i = from; i < parts.size(); ++i) out += (i > from ? "\\" : "") + parts[i];
  return out;
}

// The file or folder that DISK\FOLDER\...\NAME names. The entries of an archive have paths of
// their own ("docs\readme.txt" inside Pack.zip), so at every level the rest of the path is
// first taken as one file name.
TItemRec* FindItem(TNode* catalog, const std::string& path) {
  std::vector<std::string> parts = SplitPath(path);
  if (parts.size() < 2) return nullptr;
  TNode* node = nullptr;
  for (int i = 0; i < catalog->ChildCount() && !node; ++i)
    if (SameName(catalog->Child(i)->Caption, parts[0])) node = catalog->Child(i);
  for (std::size_t at = 1; node && at < parts.size(); ++at) {
    LoadFiles(node);
    std::string rest = Join(parts, at);
    for (TFileRec* f = FirstFile(node->Record); f; f = f->NextFile())
      if (SameName(f->Name(), rest)) return f;
    if (KindOf(node->Record) == ikFolder) LoadSubfolders(node);
    TNode* next = nullptr;
    for (int i = 0; i < node->ChildCount() && !next; ++i)
      if (SameName(node->Child(i)->Caption, parts[at])) next = node->Child(i);
    if (next && at + 1 == parts.size()) return next->Record;
    node = next;
  }
  return nullptr;
}

struct TSetArgs {
  std::string Catalog;
  std::vector<std::string> Items;
  std::string Category;
  bool NoCategory = false;
  std::vector<std::string> Flags;
  CLI::Option* CategoryOpt = nullptr;
};

int SetCategory(const TSetArgs& a) {
  bool category = a.CategoryOpt->count() > 0;
  if (!category && !a.NoCategory && a.Flags.empty()) {
    PrintMessage("set-category: nothing to set (--category, --no-category or --flag)");
    return ExitUsage;
  }
  // NAME=on|off, split at the last "=" (a flag name may hold one).
  std::vector<std::pair<std::string, bool>> flags;
  for (const std::string& f : a.Flags) {
    std::size_t eq = f.rfind('=');
    std::string value = eq == std::string::npos ? std::string() : f.substr(eq + 1);
    if (eq == std::string::npos || eq == 0 || (value != "on" && value != "off")) {
      PrintMessage("set-category: --flag takes NAME=on or NAME=off, not \"" + f + "\"");
      return ExitUsage;
    }
    flags.emplace_back(f.substr(0, eq), value == "on");
  }

  // The lock is held from reading the catalog to saving it, so that the change is made to
  // what another writer saved.
  TStopSignals stopSignals;
  TCatalogLock lock(a.Catalog);
  TakeCatalogInTurn(lock);

  TCatalogTree tree;
  std::string error;
  std::unique_ptr<TNode> opened = OpenCatalog(a.Catalog, error);
  if (!opened) return Fail(error);
  TNode* catalog = tree.AppendChild(tree.Root(), std::move(opened));
  auto* cat = static_cast<TCatalogRec*>(catalog->Record);

  // Everything is looked up before anything changes.
  std::optional<int> id;
  if (category) {
    for (const TCategory& c : cat->Categories)
      if (!id && SameName(c.Name, a.Category)) id = c.Id;
    if (!id) return Fail("The catalog has no category \"" + a.Category + "\"");
  } else if (a.NoCategory) {
    id = 0;
  }
  uint8_t set = 0, clear = 0;
  for (const auto& [name, on] : flags) {
    uint8_t bits = 0;
    for (int j = 1; j <= UserFlagCount; ++j)
      if (FlagDefined(*cat, j) && SameName(cat->FlagNames[std::size_t(j - 1)].View(), name))
        bits |= UserFlagBit(j);
    if (!bits) return Fail("The catalog has no flag \"" + name + "\"");
    (on ? set : clear) |= bits;
    (on ? clear : set) &= uint8_t(~bits);
  }
  std::vector<TItemRec*> items;
  try {
    for (const std::string& path : a.Items) {
      TItemRec* item = FindItem(catalog, path);
      if (!item) return Fail("There is no file or folder \"" + path + "\" in the catalog");
      items.push_back(item);
    }
  } catch (const std::exception& e) {
    return Fail(CatalogErrorText(a.Catalog, ErrorText(e)));
  }

  bool changed = false;
  for (TItemRec* item : items) {
    uint8_t* byte = CategoryFlagsOf(item);
    uint8_t v = *byte;
    if (id) v = uint8_t((v & ~CategoryMask) | *id);
    v = uint8_t((v | set) & ~clear);
    if (v == *byte) continue;
    *byte = v;
    SetDiskChanged(item->Node, true);
    changed = true;
  }
  if (!changed) return ExitOk;  // nothing to write
  return SaveCatalogInTurn(catalog, a.Catalog, NoProgress(), lock);
}

}  // namespace

void AddCategoriesCommand(CLI::App& app, TAction& action) {
  auto* cmd = app.add_subcommand("categories", "List a catalog's categories and flag names");
  auto path = std::make_shared<std::string>();
  auto json = std::make_shared<bool>(false);
  cmd->add_option("catalog", *path, "Catalog file (.ctf)")->required();
  cmd->add_flag("--json", *json, "One JSON object instead of tab-separated lines");
  cmd->callback([&action, path, json] { action = [path, json] { return ListCategories(*path, *json); }; });
}

void AddSetCategoryCommand(CLI::App& app, TAction& action) {
  auto* cmd = app.add_subcommand(
      "set-category", "Give files and folders of a catalog a category and flags, and save it");
  auto a = std::make_shared<TSetArgs>();
  cmd->add_option("catalog", a->Catalog, "Catalog file (.ctf)")->required();
  cmd->add_option("items", a->Items, "Items as DISK\\FOLDER\\...\\NAME")->required();
  a->CategoryOpt = cmd->add_option("--category", a->Category, "The category, by name");
  auto* none = cmd->add_flag("--no-category", a->NoCategory, "Take the category away");
  a->CategoryOpt->excludes(none);
  cmd->add_option("--flag", a->Flags, "A flag by name: NAME=on or NAME=off (repeatable)")
      ->allow_extra_args(false);
  cmd->callback([&action, a] { action = [a] { return SetCategory(*a); }; });
}

}  // namespace tf::cli
