#include "browse/ItemActions.h"

#include <sys/stat.h>

#include "browse/Sort.h"
#include "platform/Drives.h"
#include "platform/Prompts.h"
#include "platform/Shell.h"
#include "scan/AddDisk.h"
#include "scan/Utils.h"
#include "text/Text.h"

namespace tf {

namespace {

bool IsCatalog(const TItemRec* rec) { return rec && KindOf(rec) == ikCatalog; }

bool IsArchiveEntry(const TItemRec* rec) {
  return rec && KindOf(rec) == ikFile && HasFlag(rec, InArchive);
}

bool IsArchiveFolder(const TItemRec* rec) {
  return rec && KindOf(rec) == ikFolder && HasFlag(rec, InArchive) && !IsBackEntry(rec);
}

// The parent as the tree shows it: a catalog's parent is the invisible root, which is none.
TNode* VisibleParent(const TNode* node) {
  return node && node->Parent && node->Parent->Record ? node->Parent : nullptr;
}

std::string JoinPath(const std::string& folder, std::string_view name) {
  std::string path = folder;
  if (path.empty() || path.back() != '\\') path += '\\';
  path += name;
  return path;
}

std::string UpperExtension(std::string_view name) {
  std::size_t dot = name.rfind('.');
  if (dot == std::string_view::npos) return {};
  std::string ext(name.substr(dot + 1));
  if (ext.find('\\') != std::string::npos) return {};
  return UpperCase(ext);
}

bool ExistsOnHost(const std::string& path) {
  struct stat st {};
  return !path.empty() && ::stat(path.c_str(), &st) == 0;
}

// The drive holding a node's disk, asking for the medium but never offering a manual choice.
char DriveOf(TNode* node, TMediaDetector& media) {
  char letter = media.LocateDiskMedia(node, true, false);
  return letter > LocateManual ? letter : 0;
}

}  // namespace

bool TreeIsSource(TCommandSource source, const TCommandContext& c) {
  switch (source) {
    case TCommandSource::TreeMenu: return true;
    case TCommandSource::ListMenu: return false;
    case TCommandSource::EditMenu:
    case TCommandSource::Toolbar: return c.FocusedRow < 0 || c.TreeActive;
    case TCommandSource::Other: break;
  }
  return false;
}

TNode* RowNode(const TNode* selected, const TItemRec* row) {
  if (!selected || !row || KindOf(row) == ikFile || IsBackEntry(row)) return nullptr;
  // A disk or folder row is the record of one of the shown node's children.
  TNode* node = row->Node;
  return node && node->Parent == selected && node->Record == row ? node : nullptr;
}

TActionTarget ActionTarget(TCommandSource source, const TCommandContext& c) {
  TActionTarget t;
  t.Node = c.Selected;
  t.FromTree = TreeIsSource(source, c);
  if (!t.FromTree && c.List && c.FocusedRow >= 0) {
    TItemRec* row = c.List->At(c.FocusedRow);
    if (!row) {
      t.Node = nullptr;
    } else if (row == c.List->BackEntry()) {
      t.Node = VisibleParent(c.Selected);
    } else if (KindOf(row) == ikFile) {
      t.File = static_cast<TFileRec*>(row);
    } else {
      t.Node = RowNode(c.Selected, row);
    }
  }
  t.Found = t.Node != nullptr;
  if (!t.Found) t.File = nullptr;
  return t;
}

TItemCommandState ItemCommandState(const TActionTarget& t,
                                   std::span<TItemRec* const> selectedRows,
                                   const TItemRec* backEntry) {
  TItemCommandState s;
  TItemRec* r = t.Found ? t.Record() : nullptr;
  s.OpenInExplorer = r && !IsCatalog(r) && !IsArchiveEntry(r);
  s.LaunchFile = r && ((KindOf(r) == ikFile && !HasFlag(r, InArchive)) || IsArchiveFolder(r));
  if (t.FromTree || !r) {
    s.AddToUserList = r && !IsCatalog(r) && r->UserListIndex == -1;
    s.SetCategory = r && (KindOf(r) == ikFile || KindOf(r) == ikFolder);
  } else {
    for (TItemRec* row : selectedRows) {
      if (!row || row == backEntry) continue;
      if (row->UserListIndex == -1) s.AddToUserList = true;
      if (KindOf(row) == ikFile || KindOf(row) == ikFolder) s.SetCategory = true;
    }
  }
  return s;
}

TItemRec* ShellCommandRecord(const TCommandContext& c) {
  if (!c.TreeActive && c.List && c.FocusedRow >= 0)
    if (TItemRec* row = c.List->At(c.FocusedRow)) return row;
  return c.Selected ? c.Selected->Record : nullptr;
}

// ---- launching and opening folders

std::optional<TLaunchTarget> LaunchTargetOf(TItemRec* rec) {
  if (!rec || !rec->Node) return std::nullopt;
  TLaunchTarget t;
  if (KindOf(rec) == ikFile && !HasFlag(rec, InArchive)) {
    auto* file = static_cast<TFileRec*>(rec);
    t.Node = rec->Node;
    t.Folder = GetFolderPath(rec->Node);
    t.Path = JoinPath(t.Folder, file->Name());
    t.Extension = UpperExtension(file->Name());
  } else if (IsArchiveFolder(rec)) {
    t.Node = rec->Node;
    t.Path = GetFolderPath(rec->Node);
    TNode* holder = rec->Node->Parent;
    t.Folder = holder ? GetFolderPath(holder) : std::string("\\");
    t.Extension = UpperExtension(rec->Node->Caption);
  } else {
    return std::nullopt;
  }
  if (t.Path.empty() || t.Folder.empty()) return std::nullopt;  // not on a disk
  return t;
}

TNode* ExplorerFolderOf(TItemRec* rec, TNode* selected, const TItemRec* backEntry) {
  if (!rec) return nullptr;
  if (rec == backEntry || IsBackEntry(rec)) return VisibleParent(selected);
  if (IsCatalog(rec)) return nullptr;
  if (HasFlag(rec, InArchive)) {
    // An archive, or an item inside one: the folder that holds the archive file.
    TNode* archive = rec->Node;
    return archive ? archive->Parent : nullptr;
  }
  return rec->Node;  // a file's container, or the folder or disk itself
}

std::string NoAssociationText(const std::string& extension) {
  return "There is no program associated with this file type (" + extension + ").";
}

bool ReportLaunchResult(TShellResult result, const std::string& extension, TUserPrompts& prompts) {
  switch (result) {
    case TShellResult::OutOfMemory:
      prompts.Message(OutOfMemoryTitle, OutOfMemoryText, TButtons::Ok, TIcon::Information);
      return true;
    case TShellResult::NotFound:
      prompts.Message(FileNotFoundTitle, FileNotFoundText, TButtons::Ok, TIcon::Information);
      return true;
    case TShellResult::AccessDenied:
      prompts.Message(AccessDeniedTitle, AccessDeniedText, TButtons::Ok, TIcon::Information);
      return true;
    case TShellResult::SharingViolation:
      prompts.Message(AccessDeniedTitle, SharingViolationText, TButtons::Ok, TIcon::Information);
      return true;
    case TShellResult::NoAssociation:
      prompts.Message(NoAssociationTitle, NoAssociationText(extension), TButtons::Ok,
                      TIcon::Information);
      return true;
    case TShellResult::Ok:
    case TShellResult::Failed: break;
  }
  return false;
}

bool LaunchItem(TItemRec* rec, const TShellCommands& with) {
  std::optional<TLaunchTarget> t = LaunchTargetOf(rec);
  if (!t) return false;
  char letter = DriveOf(t->Node, with.Media);
  if (!letter) return false;
  std::string drive(1, letter);
  drive += ':';
  // The exact path first, then a match without regard to case (a medium catalogued from a
  // case-insensitive file system, read back on a case-sensitive one).
  std::string host = FindHostPath(with.Drives, drive + t->Path);
  if (host.empty()) {
    ReportLaunchResult(TShellResult::NotFound, t->Extension, with.Prompts);
    return false;
  }
  std::string folder = FindHostPath(with.Drives, drive + t->Folder);
  TShellResult result = with.Shell.OpenFile(host, folder);
  ReportLaunchResult(result, t->Extension, with.Prompts);
  return result == TShellResult::Ok;
}

bool OpenItemFolder(TItemRec* rec, TNode* selected, const TItemRec* backEntry,
                    const TShellCommands& with) {
  TNode* folder = ExplorerFolderOf(rec, selected, backEntry);
  if (!folder || !folder->Record) return false;
  std::string path = GetFolderPath(folder);
  if (path.empty()) return false;
  char letter = DriveOf(folder, with.Media);
  if (!letter) return false;
  std::string full = std::string(1, letter) + ":" + path;
  std::string host;
  if (full.size() > 3) {
    host = FindHostPath(with.Drives, full);
    if (!ExistsOnHost(host)) {
      with.Prompts.Message(DirectoryNotFoundTitle, DirectoryNotFoundText, TButtons::Ok,
                           TIcon::Information);
      return false;
    }
  } else {
    host = with.Drives.RootPath(letter);  // a disk's root is opened without a test
  }
  TShellResult result = with.Shell.OpenFolder(host);
  switch (result) {
    case TShellResult::NotFound:
      with.Prompts.Message(DirectoryNotFoundTitle, DirectoryNotFoundText, TButtons::Ok,
                           TIcon::Information);
      break;
    case TShellResult::OutOfMemory:
    case TShellResult::AccessDenied:
      ReportLaunchResult(result, {}, with.Prompts);
      break;
    default: break;
  }
  return result == TShellResult::Ok;
}

// ---- deleting a disk, closing a catalog

std::string DeleteDiskText(const std::string& diskName) {
  return "Please confirm removing all data for disk \"" + diskName + "\" from the catalog.";
}

bool ConfirmDeleteDisk(TNode* disk, TUserPrompts& prompts) {
  if (!disk || disk->Kind() != ikDisk) return false;
  TCatalogTree* tree = TreeOf(disk);
  if (tree && tree->SearchRunning) {
    prompts.Message(CantRemoveDiskTitle, CantRemoveDiskText, TButtons::Ok, TIcon::Information);
    return false;
  }
  return prompts.Message(DeleteDiskTitle, DeleteDiskText(disk->Caption), TButtons::OkCancel,
                         TIcon::Warning) == TAnswer::Ok;
}

void DeleteDisk(TNode* disk) {
  if (!disk || disk->Kind() != ikDisk) return;
  // The catalog keeps the change after the disk's record has gone.
  SetDiskChanged(disk, true);
  DeleteItemNode(disk);
}

bool ConfirmCloseCatalog(TUserPrompts& prompts) {
  return prompts.Message(ConfirmClosingTitle, ConfirmClosingText, TButtons::OkCancel,
                         TIcon::Question) == TAnswer::Ok;
}

// ---- renaming

bool CanRename(const TNode* node) {
  return node && (node->Kind() == ikDisk || node->Kind() == ikCatalog);
}

bool RenameNode(TNode* node, std::string_view text) {
  if (!CanRename(node) || text.empty()) return false;
  std::string name(CutText(text, MaxItemName));
  if (node->Kind() == ikDisk) {
    if (node->Parent) name = UniqueDiskName(node->Parent, name, node);
    if (name == node->Caption) return false;
    node->Caption = std::move(name);
    SetDiskChanged(node, true);
  } else {
    if (name == node->Caption) return false;
    node->Caption = std::move(name);
    SetCatalogModified(node, true);
  }
  if (TCatalogTree* tree = TreeOf(node)) tree->NotifyChanged(node);
  return true;
}

TRenameEntryState RenameEntryState(const TCommandContext& c, int catalogCount) {
  TRenameEntryState s;
  s.Catalog = c.TreeActive && c.Selected && c.Selected->Kind() == ikCatalog;
  if (s.Catalog)
    s.Enabled = catalogCount > 0;
  else
    s.Enabled = VisibleParent(c.Selected) != nullptr || (c.List && c.FocusedRow >= 0);
  return s;
}

TRenamePlan MenuRenamePlan(const TCommandContext& c) {
  TRenamePlan plan;
  if (!c.Selected) return plan;
  bool catalogKind = c.TreeActive && c.Selected->Kind() == ikCatalog;
  if (!catalogKind && !c.TreeActive && c.List && c.List->Columns() == TColumnSet::Disks &&
      c.List->Shown() == c.Selected) {
    if (RowNode(c.Selected, c.List->At(c.FocusedRow))) plan.Kind = TRenamePlan::ListRow;
    return plan;
  }
  TNode* node = FindAbove(c.Selected, catalogKind ? ikCatalog : ikDisk);
  if (node) {
    plan.Kind = TRenamePlan::TreeNode;
    plan.Node = node;
  }
  return plan;
}

}  // namespace tf
