#include "store/OpenCatalogs.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <new>

#include "store/CatalogFiles.h"
#include "store/LoadSave.h"

namespace tf {

namespace {

const char* const MsgCannotCloseDuringSearch =
    "You can not close catalog(s) because search for files is in progress.\r"
    "Please cancel the search or wait for search to finish.";

std::string Quoted(const std::string& s) { return "\"" + s + "\""; }

std::string NormalisedPath(const std::string& path) {
  std::error_code ec;
  auto p = std::filesystem::weakly_canonical(std::filesystem::absolute(path, ec), ec);
  return ec ? path : p.lexically_normal().string();
}

}  // namespace

TFileDialog OpenCatalogDialog(bool multiSelect) {
  TFileDialog dialog;
  dialog.Title = "Open Catalog";
  dialog.Filter = CatalogFilter;
  dialog.DefaultExt = "ctf";
  dialog.MultiSelect = multiSelect;
  dialog.MustExist = true;
  return dialog;
}

TOpenCatalogs::TOpenCatalogs(TCatalogTree& tree, TUserPrompts& prompts, TProgress& progress,
                             TOpenCatalogsHost* host)
    : tree_(tree), prompts_(prompts), progress_(progress), host_(host ? *host : defaultHost_) {}

bool TOpenCatalogs::SameFile(const std::string& a, const std::string& b) {
  if (a.empty() || b.empty()) return false;
  struct stat sa, sb;
  if (::stat(a.c_str(), &sa) == 0 && ::stat(b.c_str(), &sb) == 0)
    return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
  return NormalisedPath(a) == NormalisedPath(b);
}

TNode* TOpenCatalogs::FindOpen(const std::string& path) const {
  for (int i = 0; i < tree_.CatalogCount(); ++i) {
    TNode* c = tree_.Catalog(i);
    if (SameFile(static_cast<TCatalogRec*>(c->Record)->FileName, path)) return c;
  }
  return nullptr;
}

TNode* TOpenCatalogs::NewCatalog() {
  std::string name;
  for (int n = 1;; ++n) {
    name = "Catalog" + std::to_string(n);
    bool taken = false;
    for (int i = 0; i < tree_.CatalogCount() && !taken; ++i)
      taken = tree_.Catalog(i)->Caption == name;
    if (!taken) break;
  }
  auto* rec = new TCatalogRec;  // kind 4 without flags, not modified, never saved
  auto node = MakeNode(name, rec);
  node->Bold = true;
  TNode* added = tree_.AppendChild(tree_.Root(), std::move(node));
  tree_.NotifyCatalogModified(added);  // command states
  host_.FocusTree();
  tree_.Select(added);
  return added;
}

void TOpenCatalogs::AddRecentFile(const std::string& path) {
  RemoveRecentFile(path);
  RecentFiles.insert(RecentFiles.begin(), path);
  if (RecentFiles.size() > MaxRecentFiles) RecentFiles.resize(MaxRecentFiles);
  host_.RecentFilesChanged();
}

void TOpenCatalogs::RemoveRecentFile(const std::string& path) {
  auto it = std::remove_if(RecentFiles.begin(), RecentFiles.end(), [&](const std::string& p) {
    return p == path || SameFile(p, path);
  });
  if (it == RecentFiles.end()) return;
  RecentFiles.erase(it, RecentFiles.end());
  host_.RecentFilesChanged();
}

void TOpenCatalogs::OpenCatalogsCommand() {
  std::vector<std::string> none;
  OpenCatalogs(none, TLoadKind::Interactive);
}

void TOpenCatalogs::OpenRecentFile(const std::string& path) {
  std::vector<std::string> one{path};
  OpenCatalogs(one, TLoadKind::Interactive);
}

void TOpenCatalogs::OpenCatalogs(std::vector<std::string>& paths, TLoadKind kind) {
  bool interactive = kind == TLoadKind::Interactive;
  std::vector<std::string> chosen;
  std::vector<std::string>& list = paths.empty() && interactive ? chosen : paths;
  if (paths.empty()) {
    if (!interactive) return;
    if (!prompts_.OpenFiles(OpenCatalogDialog(true), chosen) || chosen.empty()) return;
  }

  std::string plural = list.size() > 1 ? "s" : "";
  progress_.SetStatus("Loading catalog" + plural + "...");
  if (interactive) progress_.Begin("Loading catalog" + plural + ", please wait...", 0);
  bool listChanged = false;
  bool single = list.size() == 1;
  for (std::size_t i = 0; i < list.size();) {
    const std::string path = list[i];
    bool last = i + 1 == list.size();
    if (FindOpen(path)) {
      if (interactive && single) {
        progress_.End();
        prompts_.Message("Catalog is opened", "Catalog file " + Quoted(path) + " is already opened.",
                         TButtons::Ok, TIcon::Information);
      }
      ++i;
      continue;
    }
    bool dropFromList = false;
    try {
      std::unique_ptr<TNode> node = ReadCatalogFile(path);
      TNode* cat = tree_.AppendChild(tree_.Root(), std::move(node));
      cat->Expanded = true;
      host_.ExpandNode(cat);
      if (interactive) AddRecentFile(path);
      if (last) tree_.Select(cat);
    } catch (const EInvalidCatalog& e) {
      if (interactive) progress_.End();
      prompts_.Message("Catalog error", path + "\n\r" + e.what(), TButtons::Ok, TIcon::Error);
      RemoveRecentFile(path);
      dropFromList = !interactive;
    } catch (const EStreamError& e) {
      if (interactive) progress_.End();
      RemoveRecentFile(path);
      std::error_code ec;
      if (!std::filesystem::exists(path, ec)) {
        prompts_.Message("Load error",
                         "Can't open catalog file " + path + ".\rThis file does not exist.",
                         TButtons::Ok, TIcon::Error);
        dropFromList = !interactive;
      } else {
        prompts_.Message("Load error",
                         "An error occured while trying to load catalog file " + path + ".\r" +
                             e.what(),
                         TButtons::Ok, TIcon::Error);
      }
    } catch (const std::bad_alloc&) {
      if (interactive) progress_.End();
      prompts_.Message("Load error",
                       "An error occured while trying to load catalog file " + path + ".\r" +
                           MsgOutOfMemory,
                       TButtons::Ok, TIcon::Error);
    } catch (const std::exception&) {
      // Anything else: the partly read catalog is gone with its node; no message.
    }
    if (dropFromList) {
      list.erase(list.begin() + std::ptrdiff_t(i));
      listChanged = true;
    } else {
      ++i;
    }
  }
  progress_.SetStatus("");
  if (interactive) progress_.End();
  if (listChanged && kind == TLoadKind::Autoload) host_.AutoloadListChanged();
  host_.SortItemList();
  host_.RebuildSearchScope();
}

void TOpenCatalogs::OpenAtStartup(std::vector<std::string> arguments, bool autoload,
                                  std::vector<std::string>& autoloadList) {
  if (!arguments.empty()) {
    host_.SplashText("Opening specified catalogs...");
    OpenCatalogs(arguments, TLoadKind::CommandLine);
  }
  if (autoload && tree_.CatalogCount() == 0 && !autoloadList.empty()) {
    host_.SplashText("Autoloading catalogs...");
    OpenCatalogs(autoloadList, TLoadKind::Autoload);
  }
  host_.SplashText("Done.");
}

// Whether the chosen path can take the catalog, without touching a file that is there: the
// save writes a new file beside it and renames it into place, so the folder must accept a
// new file, and an existing file must be a regular file that may be written.
bool TOpenCatalogs::CheckWritable(const std::string& path, TNode* catalog,
                                  std::string& problem) const {
  TNode* other = FindOpen(path);
  if (other && other != catalog) {
    problem = "This file already exists and is in use.\r"
              "Enter new file name or close this file in other applications.";
    return false;
  }
  problem = "Can not create this file for writing.\r"
            "Please enter a valid file name and path, on write-enabled device.";
  std::filesystem::path p(path);
  if (p.filename().empty()) return false;
  struct stat st;
  if (::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) return false;
  try {
    CheckCanSave(path);
  } catch (const std::exception&) {
    return false;
  }
  return true;
}

bool TOpenCatalogs::AskSavePath(TNode* catalog, std::string& path) {
  auto* rec = static_cast<TCatalogRec*>(catalog->Record);
  TFileDialog dialog;
  dialog.Title = "Save Catalog " + Quoted(catalog->Caption) + " As ...";
  dialog.FileName = rec->FileName;
  dialog.Filter = CatalogFilter;
  dialog.DefaultExt = "ctf";
  dialog.PromptOverwrite = true;
  for (;;) {
    std::string chosen = rec->FileName;
    if (!prompts_.SaveFile(dialog, chosen)) return false;
    if (chosen != rec->FileName) {
      std::string problem;
      if (!CheckWritable(chosen, catalog, problem)) {
        prompts_.Message("File create error", problem, TButtons::Ok, TIcon::Warning);
        dialog.FileName = chosen;
        continue;
      }
    }
    path = chosen;
    return true;
  }
}

TOpenCatalogs::TSaveResult TOpenCatalogs::SaveCatalog(TNode* catalog, bool saveAs) {
  if (!catalog || !catalog->Record || KindOf(catalog->Record) != ikCatalog)
    return TSaveResult::NotNeeded;
  auto* rec = static_cast<TCatalogRec*>(catalog->Record);
  if (!rec->Modified && !saveAs) return TSaveResult::NotNeeded;
  std::string path = rec->FileName;
  if (saveAs || path.empty()) {
    if (!AskSavePath(catalog, path)) return TSaveResult::Cancelled;
  }
  std::string error;
  bool refused = false;
  try {
    WriteCatalogFile(catalog, path, progress_);
  } catch (const ESaveRefused& e) {
    error = e.what();
    refused = true;
  } catch (const EStreamError& e) {
    error = e.what();
  } catch (const EInvalidCatalog& e) {
    error = e.what();
  } catch (const std::bad_alloc&) {
    error = MsgOutOfMemory;
  }
  if (refused) {
    // The file at the path is kept as it is; the changes can still go to another file.
    if (prompts_.Message(SaveErrorTitle, SaveErrorText(path, error) + "\r" + MsgSaveElsewhere,
                         TButtons::YesNo, TIcon::Warning) == TAnswer::Yes)
      return SaveCatalog(catalog, true);
    return TSaveResult::Failed;
  }
  if (!error.empty()) {
    prompts_.Message(SaveErrorTitle, SaveErrorText(path, error), TButtons::Ok, TIcon::Error);
    return TSaveResult::Failed;
  }
  tree_.NotifyChanged(catalog);
  return TSaveResult::Saved;
}

TAnswer TOpenCatalogs::CloseCatalog(TNode* catalog, bool ask) {
  host_.BeginUpdate();
  bool showStatus = host_.IsIdle();
  if (showStatus) progress_.SetStatus("Wait, closing catalog...");
  TAnswer answer = TAnswer::Cancel;
  if (catalog && catalog->Record && KindOf(catalog->Record) == ikCatalog) {
    auto* rec = static_cast<TCatalogRec*>(catalog->Record);
    answer = TAnswer::Yes;
    if (rec->Modified) {
      answer = ask ? prompts_.Message("Confirm",
                                      "Save changes to catalog " + Quoted(catalog->Caption) + " ?",
                                      TButtons::YesNoCancel, TIcon::Question)
                   : TAnswer::No;
      // A Save dialog the user cancelled closes the catalog unsaved, as asked; a save that
      // failed keeps it open, or its changes would be lost.
      if (answer == TAnswer::Yes && SaveCatalog(catalog, false) == TSaveResult::Failed)
        answer = TAnswer::Cancel;
    }
    if (answer != TAnswer::Cancel) {
      catalog->Expanded = false;
      DeleteItemNode(catalog);
    }
  }
  host_.EndUpdate();
  host_.ShowSelection();
  host_.RebuildSearchScope();
  if (showStatus) progress_.SetStatus("");
  return answer;
}

TAnswer TOpenCatalogs::CloseAllCatalogs(bool ask) {
  bool showStatus = host_.IsIdle();
  if (showStatus) progress_.SetStatus("Wait, closing all catalogs...");
  host_.BeginUpdate();
  TAnswer answer = TAnswer::Yes;
  while (tree_.CatalogCount() > 0) {
    answer = CloseCatalog(tree_.Catalog(tree_.CatalogCount() - 1), ask);
    if (answer == TAnswer::Cancel) break;
  }
  host_.EndUpdate();
  host_.UpdateCommands();
  host_.RebuildSearchScope();
  if (showStatus) progress_.SetStatus("");
  return answer;
}

bool TOpenCatalogs::CanCloseCatalogs() {
  if (!tree_.SearchRunning) return true;
  prompts_.Message("Can't close catalog", MsgCannotCloseDuringSearch, TButtons::Ok,
                   TIcon::Information);
  return false;
}

void TOpenCatalogs::CloseAllCommand() {
  if (!CanCloseCatalogs()) return;
  if (prompts_.Message("Confirm closing", "About to close all opened catalogs. Please confirm.",
                       TButtons::OkCancel, TIcon::Question) != TAnswer::Ok)
    return;
  CloseAllCatalogs(true);
}

TAnswer TOpenCatalogs::AskSaveAll() {
  TAnswer last = TAnswer::Yes;
  for (int i = 0; i < tree_.CatalogCount(); ++i) {
    TNode* c = tree_.Catalog(i);
    auto* rec = static_cast<TCatalogRec*>(c->Record);
    if (!rec->Modified) continue;
    last = prompts_.Message("Confirm", "Save changes to catalog " + Quoted(c->Caption) + " ?",
                            TButtons::YesNoCancel, TIcon::Question);
    if (last == TAnswer::Cancel) return last;
    // A save that failed stops the exit: the program would otherwise end with the changes.
    if (last == TAnswer::Yes && SaveCatalog(c, false) == TSaveResult::Failed)
      return TAnswer::Cancel;
  }
  return last;
}

void TOpenCatalogs::AutoSaveCatalogs() {
  autoSavePending_ = false;
  progress_.SetStatus("Starting AutoSave...");
  for (int i = 0; i < tree_.CatalogCount(); ++i) {
    TNode* c = tree_.Catalog(i);
    if (static_cast<TCatalogRec*>(c->Record)->Modified) SaveCatalog(c, false);
  }
  progress_.SetStatus("");
}

}  // namespace tf
