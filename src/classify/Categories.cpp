#include "classify/Categories.h"

#include <algorithm>

#include "browse/Sort.h"
#include "platform/Progress.h"
#include "platform/Prompts.h"
#include "store/LoadSave.h"

namespace tf {

int LowestFreeCategoryId(std::span<const TCategoryEntry> list) {
  for (int id = 1; id <= MaxCategories; ++id)
    if (std::none_of(list.begin(), list.end(), [id](const TCategoryEntry& e) { return e.Id == id; }))
      return id;
  return 0;
}

std::optional<int> CategoryLookup(const TCatalogRec& catalog, std::string_view name) {
  for (const TCategory& c : catalog.Categories)
    if (c.Name == name) return c.Id;
  return std::nullopt;
}

bool FlagDefined(const TCatalogRec& catalog, int j) {
  return !catalog.FlagNames[std::size_t(j - 1)].Empty();
}

bool TReferenceCleanUp::Empty() const {
  return DeletedCategoryIds.empty() &&
         std::none_of(RemoveFlagRefs.begin(), RemoveFlagRefs.end(), [](bool b) { return b; });
}

// ---- the clean-up ----------------------------------------------------------------------------

namespace {

struct TCleaner {
  const TReferenceCleanUp& Request;
  uint8_t FlagMask = 0;
  int Changed = 0;

  bool Clean(uint8_t& byte) {
    uint8_t v = byte;
    if (Request.DeletedCategoryIds.count(v & CategoryMask)) v &= uint8_t(~CategoryMask);
    v &= uint8_t(~FlagMask);
    if (v == byte) return false;
    byte = v;
    ++Changed;
    return true;
  }

  // One container (disk or folder) and its files, then the folders below it. True when a byte
  // of the disk changed.
  bool Walk(TNode* container) {
    bool changed = false;
    TItemRec* rec = container->Record;
    bool wasLoaded = FilesLoaded(rec);
    if (!wasLoaded) LoadFiles(container);
    if (KindOf(rec) == ikFolder) changed |= Clean(static_cast<TFolderRec*>(rec)->CategoryFlags);
    for (TFileRec* f = FirstFile(rec); f; f = f->NextFile()) changed |= Clean(f->CategoryFlags);
    // A list read only for this, where nothing changed, goes again, so that a large catalog
    // does not stay in memory. While a search runs it may be reading that list: it stays.
    TCatalogTree* tree = TreeOf(container);
    if (!changed && !wasLoaded && !(tree && tree->SearchRunning)) UnloadFiles(container);
    if (KindOf(rec) == ikFolder) LoadSubfolders(container);
    for (int i = 0; i < container->ChildCount(); ++i) changed |= Walk(container->Child(i));
    return changed;
  }
};

}  // namespace

int CleanUpReferences(TNode* catalog, const TReferenceCleanUp& request) {
  if (!catalog || request.Empty()) return 0;
  TCleaner cleaner{request};
  for (int j = 1; j <= UserFlagCount; ++j)
    if (request.RemoveFlagRefs[std::size_t(j - 1)]) cleaner.FlagMask |= UserFlagBit(j);
  for (int i = 0; i < catalog->ChildCount(); ++i) {
    TNode* disk = catalog->Child(i);
    if (cleaner.Walk(disk)) SetDiskChanged(disk, true);
  }
  return cleaner.Changed;
}

// ---- the setup window ------------------------------------------------------------------------

TCategoriesSetup::TCategoriesSetup(TCatalogTree& tree, TUserPrompts& prompts)
    : tree_(tree), prompts_(prompts) {}

void TCategoriesSetup::Open(TNode* node) {
  backups_.clear();
  current_ = -1;
  dirty_ = false;
  int chosen = 0;
  for (int i = 0; i < tree_.CatalogCount(); ++i) {
    TNode* c = tree_.Catalog(i);
    auto* rec = static_cast<TCatalogRec*>(c->Record);
    TBackup b;
    b.Catalog = c;
    b.Categories = rec->Categories;
    b.FlagNames = rec->FlagNames;
    b.Modified = rec->Modified;
    backups_.push_back(std::move(b));
    if (c == node) chosen = i;
  }
  if (backups_.empty()) {
    list_.clear();
    Selected = -1;
    return;
  }
  current_ = chosen;
  Load();
}

void TCategoriesSetup::ChooseCatalog(int index) {
  if (index < 0 || index >= CatalogCount()) return;
  if (dirty_) Commit();
  current_ = index;
  Load();
}

void TCategoriesSetup::InsertSorted(TCategoryEntry entry) {
  auto at = std::upper_bound(list_.begin(), list_.end(), entry,
                             [](const TCategoryEntry& a, const TCategoryEntry& b) {
                               return AnsiCompareText(a.Name, b.Name) < 0;
                             });
  Selected = int(at - list_.begin());
  list_.insert(at, std::move(entry));
}

void TCategoriesSetup::Load() {
  const TBackup& b = backups_[std::size_t(current_)];
  auto* rec = static_cast<TCatalogRec*>(b.Catalog->Record);
  list_.clear();
  for (const TCategory& c : rec->Categories) InsertSorted({c.Name, c.Id, false});
  Selected = -1;
  for (int j = 1; j <= UserFlagCount; ++j) {
    std::size_t k = std::size_t(j - 1);
    FlagEdit[k] = rec->FlagNames[k].Str();
    removeEnabled_[k] = FlagDefined(*rec, j);
    RemoveFlags[k] = removeEnabled_[k] && b.CleanUp.RemoveFlagRefs[k];
  }
}

bool TCategoriesSetup::DefinedAtOpening(int j) const {
  return current_ >= 0 && !backups_[std::size_t(current_)].FlagNames[std::size_t(j - 1)].Empty();
}

std::string TCategoriesSetup::NameAtOpening(int j) const {
  return current_ >= 0 ? backups_[std::size_t(current_)].FlagNames[std::size_t(j - 1)].Str()
                       : std::string();
}

bool TCategoriesSetup::Add(std::string_view name) {
  if (current_ < 0 || !AddEnabled(name)) return false;
  InsertSorted({std::string(name), LowestFreeCategoryId(list_), true});
  dirty_ = true;
  return true;
}

bool TCategoriesSetup::Rename(int index, std::string_view name) {
  if (index < 0 || index >= int(list_.size())) return false;
  TCategoryEntry& e = list_[std::size_t(index)];
  Selected = index;
  if (e.Name == name || name.empty()) return false;  // a category keeps some name
  e.Name = std::string(name);
  dirty_ = true;
  return true;
}

bool TCategoriesSetup::Delete(int index) {
  if (index < 0 || index >= int(list_.size())) return false;
  const TCategoryEntry& e = list_[std::size_t(index)];
  if (!e.New && prompts_.Message(WarningTitle, DeleteCategoryText, TButtons::YesNo,
                                 TIcon::Warning) != TAnswer::Yes)
    return false;
  // An ID that a category of the catalog carried is cleaned out at OK; a new entry's ID was
  // never in the catalog.
  if (!e.New) backups_[std::size_t(current_)].CleanUp.DeletedCategoryIds.insert(e.Id);
  list_.erase(list_.begin() + index);
  Selected = list_.empty() ? -1 : std::min(index, int(list_.size()) - 1);
  dirty_ = true;
  return true;
}

void TCategoriesSetup::FlagEditExit(int j) {
  std::size_t k = std::size_t(j - 1);
  if (FlagEdit[k] != NameAtOpening(j)) dirty_ = true;
  if (!FlagEdit[k].empty() || !DefinedAtOpening(j) || RemoveFlags[k]) return;
  if (prompts_.Message(WarningTitle, DeleteFlagText, TButtons::YesNo, TIcon::Warning) ==
      TAnswer::Yes) {
    RemoveFlags[k] = true;
    dirty_ = true;
  } else {
    FlagEdit[k] = NameAtOpening(j);
  }
}

void TCategoriesSetup::RemoveFlagsClick(int j, bool checked) {
  std::size_t k = std::size_t(j - 1);
  if (checked) {
    bool keep = DefinedAtOpening(j) &&
                prompts_.Message(WarningTitle, RemoveFlagRefsText, TButtons::YesNo,
                                 TIcon::Warning) == TAnswer::Yes;
    RemoveFlags[k] = keep;
    if (keep) dirty_ = true;
    return;
  }
  // The references of a deleted flag always go.
  RemoveFlags[k] = FlagEdit[k].empty() && DefinedAtOpening(j);
  dirty_ = true;
}

std::vector<int> TCategoriesSetup::CopySources() const {
  std::vector<int> out;
  for (int i = 0; i < CatalogCount(); ++i)
    if (i != current_) out.push_back(i);
  return out;
}

void TCategoriesSetup::CopyFrom(int catalogIndex) {
  if (catalogIndex < 0 || catalogIndex >= CatalogCount() || catalogIndex == current_) return;
  auto* source = static_cast<TCatalogRec*>(backups_[std::size_t(catalogIndex)].Catalog->Record);
  if (source->Categories.empty()) {
    prompts_.Message(InformationTitle, NoCategoriesToCopyText, TButtons::Ok, TIcon::Information);
    return;
  }
  bool full = false;
  int selected = Selected;
  for (const TCategory& c : source->Categories) {
    bool present = std::any_of(list_.begin(), list_.end(),
                               [&](const TCategoryEntry& e) { return e.Name == c.Name; });
    if (present) continue;
    if (int(list_.size()) >= MaxCategories) {
      full = true;
      break;
    }
    InsertSorted({c.Name, LowestFreeCategoryId(list_), true});
  }
  Selected = selected < int(list_.size()) ? selected : -1;
  dirty_ = true;
  if (full)
    prompts_.Message(InformationTitle, NoRoomForCategoriesText, TButtons::Ok, TIcon::Information);
}

void TCategoriesSetup::Commit() {
  if (current_ < 0) return;
  TBackup& b = backups_[std::size_t(current_)];
  auto* rec = static_cast<TCatalogRec*>(b.Catalog->Record);
  rec->Categories.clear();
  for (const TCategoryEntry& e : list_) rec->Categories.push_back({e.Name, e.Id});
  for (std::size_t k = 0; k < UserFlagCount; ++k) {
    rec->FlagNames[k].Assign(FlagEdit[k]);  // an empty text leaves the flag undefined
    b.CleanUp.RemoveFlagRefs[k] = RemoveFlags[k];
  }
  SetCatalogModified(b.Catalog, true);
  dirty_ = false;
}

void TCategoriesSetup::Ok(TProgress& progress) {
  if (dirty_) Commit();
  bool any = std::any_of(backups_.begin(), backups_.end(),
                         [](const TBackup& b) { return !b.CleanUp.Empty(); });
  if (any) {
    progress.SetStatus(UpdatingCategoriesStatus);
    progress.Begin(UpdatingCategoriesCaption, 0);
    try {
      for (const TBackup& b : backups_) CleanUpReferences(b.Catalog, b.CleanUp);
    } catch (...) {
      // A catalog file that cannot be read: what was cleaned stays cleaned.
      progress.End();
      progress.SetStatus({});
      backups_.clear();
      current_ = -1;
      throw;
    }
    progress.End();
    progress.SetStatus({});
  }
  backups_.clear();
  current_ = -1;
}

bool TCategoriesSetup::Cancel() {
  if (dirty_ && prompts_.Message(DiscardChangesTitle, DiscardChangesText, TButtons::YesNo,
                                 TIcon::Question) != TAnswer::Yes)
    return false;
  // Catalogs committed by switching are restored too.
  for (const TBackup& b : backups_) {
    auto* rec = static_cast<TCatalogRec*>(b.Catalog->Record);
    rec->Categories = b.Categories;
    rec->FlagNames = b.FlagNames;
    SetCatalogModified(b.Catalog, b.Modified != 0);
  }
  backups_.clear();
  current_ = -1;
  dirty_ = false;
  return true;
}

}  // namespace tf
