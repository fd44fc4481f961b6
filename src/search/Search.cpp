#include "search/Search.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <mutex>

#include "store/LoadSave.h"
#include "text/Text.h"

namespace tf {

TSearchScope CollectScope(TCatalogTree& tree, TSearchFor searchFor) {
  TSearchScope scope;
  for (int i = 0; i < tree.CatalogCount(); ++i) {
    TNode* cat = tree.Catalog(i);
    TScopeCatalog entry{cat, {}};
    for (int j = 0; j < cat->ChildCount(); ++j) {
      TNode* disk = cat->Child(j);
      if (disk->Kind() != ikDisk || !HasFlag(disk->Record, SearchScope)) continue;
      auto* d = static_cast<TDiskRec*>(disk->Record);
      int count = 0;
      if (searchFor != TSearchFor::FilesOnly) count += d->TotalFolders;
      if (searchFor != TSearchFor::FoldersOnly) count += d->TotalFiles + d->ArchiveFiles;
      entry.Disks.push_back({disk, count});
    }
    if (!entry.Disks.empty()) scope.push_back(std::move(entry));
  }
  return scope;
}

bool FilesListed(TNode* container) {
  if (!container || !container->Record) return false;
  for (TFileRec* f = FirstFile(container->Record); f; f = f->NextFile())
    for (TListKind kind : {TListKind::Search, TListKind::UserList, TListKind::Duplicates})
      if (ListIndexOf(f, kind) != -1) return true;
  return false;
}

TDuplicatesCriteria DuplicatesCriteriaOf(const TSearchControls& k) {
  return {k.DuplicateNameCheck, k.DuplicateSizeCheck, k.DuplicateDateCheck,
          k.DuplicateAttrCheck, k.DuplicateArchivesCheck};
}

TSearchEngine::TSearchEngine(TResultList& results, TResultList& duplicates, TSearchHost& host,
                             TMainThread& main)
    : results_(results), duplicatesList_(duplicates), host_(host), main_(main) {}

TSearchStatus TSearchEngine::Status() const {
  return {checked_, total_, found_, duplicates_, collecting_};
}

void TSearchEngine::Begin(bool duplicates) {
  duplicates_ = duplicates;
  // A limit reached in an earlier run does not stop this one; a cancel does.
  stop_ = cancelled_.load();
  checked_ = 0;
  found_ = 0;
  total_ = 0;
  collecting_ = true;
  errors_.clear();
  unreadable_.clear();
  lastRefresh_ = {};
}

// ---- progress and results ----------------------------------------------------------------

void TSearchEngine::Refresh(bool always) {
  // Each refresh is a round trip to the main thread (some 40 us): a window that shows the
  // status at its own pace has the ones between spared.
  if (options_.StatusIntervalMs > 0) {
    auto now = std::chrono::steady_clock::now();
    if (!always && now - lastRefresh_ < std::chrono::milliseconds(options_.StatusIntervalMs)) return;
    lastRefresh_ = now;
  }
  main_.Call([this] {
    host_.ShowStatus(Status());
    int count = List().Count();
    if (host_.ViewCount() != count) host_.SetViewCount(count);
  });
}

void TSearchEngine::ReportProgress(int k) {
  checked_ += k;
  if (k >= 2)
    Refresh(true);
  else if (checked_ % 128 == 0)
    Refresh(false);
}

// Files examined without a match, counted as ReportProgress(1) for each would count them: a
// refresh at every multiple of 128, and no further counting once a stop is requested.
void TSearchEngine::AdvanceRejected(long files) {
  while (files > 0 && !stop_) {
    long toNext = 128 - checked_ % 128;
    if (files < toNext) {
      checked_ += int(files);
      return;
    }
    checked_ += int(toNext);
    files -= toNext;
    Refresh(false);
  }
}

void TSearchEngine::AddFound(TItemRec* rec, int group) {
  TResultList& list = List();
  if (list.Count() >= list.Capacity()) {
    // The next step is estimated from the rate of matches so far.
    int grow = 128;
    if (found_ > 0) {
      double estimate =
          std::round(double(checked_) / found_ * double(total_ - checked_));
      grow = int(std::clamp(estimate, 128.0, 2048.0));
    }
    int capacity = list.Capacity() + grow;
    // The window reads the list on the main thread: it moves only there.
    main_.Call([&list, capacity] { list.Reserve(capacity); });
  }
  ++found_;
  list.Add(rec, group);
  if (!duplicates_ && matcher_ && matcher_->Criteria().ResultLimit > 0 &&
      found_ >= matcher_->Criteria().ResultLimit)
    stop_ = true;
}

void TSearchEngine::ReadError(TNode* node, const std::exception& e) {
  if (errors_.size() >= 100) return;
  // Names and folder paths are the main thread's: it may rename a disk, and it caches paths.
  std::string where;
  main_.Call([node, &where] {
    if (TNode* disk = DiskNodeOf(node)) {
      if (TNode* cat = CatalogNodeOf(disk)) where = ToDisplay(cat->Caption) + ": ";
      where += ToDisplay(disk->Caption) + " " + ToDisplay(GetFolderPath(node));
    }
  });
  errors_.push_back(where + ": " + e.what());
}

// Every folder level below a folder whose subfolders still lie in the file, read in one pass
// in one call on the main thread, which owns the tree: a call per folder would cost a thread
// switch for every folder of the catalog. A damaged level is read around level by level.
void TSearchEngine::LoadFolderLevels(TNode* folder) {
  auto* rec = static_cast<TFolderRec*>(folder->Record);
  {
    // The main thread reads levels under this lock too; the offset changes only inside it.
    std::lock_guard lock(catalog_->StreamLock);
    if (rec->SubfoldersOffset <= 0 || unreadable_.count(folder)) return;
  }
  main_.Call([this, folder] { LoadLevelsBelow(folder); });
}

// The same for all the folders of a disk's root at once, before the disk is walked: a disk
// holds a hundred of them and more, and each would be a round trip to the main thread.
void TSearchEngine::LoadDiskLevels(TNode* disk) {
  bool any = false;
  {
    std::lock_guard lock(catalog_->StreamLock);
    for (int i = 0; i < disk->ChildCount() && !any; ++i) {
      TNode* c = disk->Child(i);
      any = c->Kind() == ikFolder && static_cast<TFolderRec*>(c->Record)->SubfoldersOffset > 0 &&
            !unreadable_.count(c);
    }
  }
  if (!any) return;
  main_.Call([this, disk] {
    for (int i = 0; i < disk->ChildCount(); ++i)
      if (disk->Child(i)->Kind() == ikFolder) LoadLevelsBelow(disk->Child(i));
  });
}

void TSearchEngine::LoadLevelsBelow(TNode* folder) {
  try {
    LoadSubfolderTree(folder);
    return;
  } catch (const std::exception&) {
  }
  std::vector<TNode*> pending{folder};
  while (!pending.empty()) {
    TNode* n = pending.back();
    pending.pop_back();
    try {
      LoadSubfolders(n);
    } catch (const std::exception& e) {
      // Reported once: the walk does not try the level again.
      if (unreadable_.insert(n).second) ReadError(n, e);
    }
    for (int i = n->ChildCount(); i-- > 0;) pending.push_back(n->Child(i));
  }
}

void TSearchEngine::Release(TNode* node) {
  main_.Call([this, node] {
    if (!host_.ContainerShown(node)) UnloadFiles(node);
  });
}

bool TSearchEngine::TListReader::Read(TNode* container, TNode* disk, TCatalogRec& catalog,
                                      const uint8_t*& data, std::size_t& length) {
  constexpr std::size_t PieceBytes = 1 << 20;
  for (;;) {
    TFileListPlace place;
    if (!FindFileList(container, disk, catalog, place)) return false;
    auto len = std::size_t(place.Length);
    if (catalog_ != &catalog || generation_ != place.Generation || place.Offset < start_ ||
        place.Offset + int64_t(len) > start_ + int64_t(valid_)) {
      std::size_t want = std::max(len, std::min(PieceBytes, std::size_t(place.BlockEnd - place.Offset)));
      if (piece_.size() < want) piece_.resize(want);
      valid_ = 0;
      // A save between finding the place and reading it: find the list in the new file.
      if (!ReadCatalogBytes(catalog, place.Offset, want, place.Generation, piece_.data())) continue;
      catalog_ = &catalog;
      generation_ = place.Generation;
      start_ = place.Offset;
      valid_ = want;
    }
    data = piece_.data() + (place.Offset - start_);
    length = len;
    return true;
  }
}

// ---- the search --------------------------------------------------------------------------

void TSearchEngine::RunSearch(const TSearchCriteria& criteria, const TSearchScope& scope,
                              const TSearchOptions& options) {
  Begin(false);
  options_ = options;
  if (options_.Begun) options_.Begun();
  matcher_.emplace(criteria);
  for (const auto& cat : scope)
    for (const auto& disk : cat.Disks) total_ += disk.Count;
  for (const auto& cat : scope) {
    catalog_ = static_cast<TCatalogRec*>(cat.Catalog->Record);
    matcher_->SetCatalog(*catalog_);
    for (const auto& disk : cat.Disks) {
      if (stop_) return;
      // After each disk the progress is exactly the disk's share, whatever the walk skipped.
      int before = checked_;
      disk_ = disk.Disk;
      LoadDiskLevels(disk.Disk);
      Walk(disk.Disk);
      checked_ = before;
      ReportProgress(disk.Count);
    }
  }
}

void TSearchEngine::Walk(TNode* node) {
  TItemRec* rec = node->Record;
  if (!rec || (KindOf(rec) != ikDisk && KindOf(rec) != ikFolder)) return;
  int foundBefore = found_;
  const TSearchCriteria& c = matcher_->Criteria();
  bool folder = KindOf(rec) == ikFolder;
  // An archive is a file as much as a folder: it is tested when looking for files only.
  if (folder && !(c.SearchFor == TSearchFor::FilesOnly && !HasFlag(rec, InArchive))) {
    ReportProgress(1);
    if (!Listed(rec) && matcher_->Matches(ViewOf(rec))) AddFound(rec);
  }
  if (c.SearchFor != TSearchFor::FoldersOnly) SearchFiles(node, foundBefore);
  if (folder) LoadFolderLevels(node);
  for (int i = 0; i < node->ChildCount() && !stop_; ++i) Walk(node->Child(i));
}

void TSearchEngine::SearchFiles(TNode* node, int foundBefore) {
  TItemRec* rec = node->Record;
  const TSearchCriteria& c = matcher_->Criteria();
  // Looking only for descriptions, a folder without file descriptions is passed over.
  if (c.DescriptionOnly && KindOf(rec) == ikFolder && !HasFlag(rec, HasFileDescriptions)) return;

  bool loadedHere = false;
  if (options_.ReadListsInPlace) {
    try {
      if (SearchRawList(node, foundBefore)) return;
    } catch (const std::exception& e) {
      ReadError(node, e);
      return;
    }
  } else {
    {
      std::lock_guard lock(catalog_->StreamLock);
      loadedHere = !FilesLoaded(rec);
    }
    try {
      LoadFiles(node);
    } catch (const std::exception& e) {
      ReadError(node, e);
      return;
    }
  }
  // Reading a disk's list marks the disk when a file has a description.
  if (!c.DescriptionOnly || HasFlag(rec, HasFileDescriptions)) SearchRecords(FirstFile(rec));
  if (loadedHere && found_ == foundBefore) Release(node);
}

void TSearchEngine::SearchRecords(TFileRec* f) {
  for (; f && !stop_; f = f->NextFile()) {
    ReportProgress(1);
    if (!Listed(f) && matcher_->Matches(ViewOf(f))) AddFound(f);
  }
}

namespace {

TItemView EntryView(const TFileListCursor& c, bool inArchive) {
  TItemView v;
  v.InArchive = inArchive;
  v.Name = c.Name();
  v.Attributes = c.Attributes();
  v.CreatedTime = c.CreatedTime();
  v.ModifiedTime = c.ModifiedTime();
  v.AccessedTime = c.AccessedTime();
  v.Size = c.Size();
  v.Description = c.Description();
  v.CategoryFlags = c.CategoryFlags();
  return v;
}

bool AnyDescription(const uint8_t* data, std::size_t length) {
  TFileListCursor c(data, length);
  while (c.Next())
    if (!c.Description().empty()) return true;
  return false;
}

TFileRec* NthFile(TItemRec* container, long n) {
  TFileRec* f = FirstFile(container);
  while (f && n-- > 0) f = f->NextFile();
  return f;
}

}  // namespace

// Tests a list that is not loaded where it lies in the file. False when the list is loaded
// (its records are then tested). The list becomes records only when something in it is
// found, or when the container itself was found (such a list is kept, as a list read for the
// walk would be).
bool TSearchEngine::SearchRawList(TNode* node, int foundBefore) {
  TItemRec* rec = node->Record;
  const uint8_t* data = nullptr;
  std::size_t length = 0;
  if (!ReadList(node, data, length)) return false;
  long count = CountFileEntries(data, length);
  if (count < 0) throw EInvalidCatalog(MsgStructureError);
  const TSearchCriteria& c = matcher_->Criteria();
  // A disk whose stored flags miss its file descriptions gets the flag when its list is read.
  if (c.DescriptionOnly && !HasFlag(rec, HasFileDescriptions) && !AnyDescription(data, length))
    return true;

  if (found_ != foundBefore) {
    LoadFilesFromBytes(node, data, length);
    SearchRecords(FirstFile(rec));
    return true;
  }
  if (matcher_->NameDecides() && !matcher_->Names().MayPassIn(data, length)) {
    AdvanceRejected(count);
    return true;
  }
  bool inArchive = HasFlag(rec, InArchive);
  bool nameFirst = matcher_->NameDecides();
  TFileListCursor cursor(data, length);
  for (long index = 0; !stop_ && cursor.Next(); ++index) {
    ReportProgress(1);
    if (nameFirst && !matcher_->Names().Test(cursor.Name())) continue;
    if (!matcher_->Matches(EntryView(cursor, inArchive))) continue;
    // Found: from here on the list is records.
    LoadFilesFromBytes(node, data, length);
    TFileRec* f = NthFile(rec, index);
    if (!f) return true;
    if (!Listed(f)) AddFound(f);
    SearchRecords(f->NextFile());
    return true;
  }
  return true;
}

}  // namespace tf
