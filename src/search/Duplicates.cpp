// The duplicates scan: every item of the scope goes into one of 28 buckets by the first
// character of its name; each bucket is sorted by size and runs of equal items become the
// groups of the duplicates list. An item is compared only with its neighbours in its bucket.
//
// Items of lists that are not loaded are collected from the list's bytes; such a list
// becomes records only when one of its files joins a group.

#include <algorithm>
#include <array>
#include <cstring>

#include "search/Search.h"
#include "store/LoadSave.h"

namespace tf {

// What the scan compares of an item, wherever its fields lie.
struct TSearchEngine::TDupEntry {
  const char* Name = nullptr;
  uint32_t NameLen = 0;
  uint32_t Modified = 0;
  int64_t Size = 0;      // bytes x 10000: a file's Size, a folder's TotalSize
  int64_t SortSize = 0;  // the size the order goes by (0 for a plain folder)
  uint8_t Attributes = 0;
  // Where CompareItems puts the item by size: plain folders (all equal) first, then archive
  // folders, then files; archives among the files when they sort as files.
  uint8_t Order = 0;
  bool Folder = false;
  uint32_t Raw = 0;    // 1 + index of the unread list the entry lies in; 0: Rec
  uint32_t Index = 0;  // the entry's place in that list
  TItemRec* Rec = nullptr;
};

struct TSearchEngine::TRawList {
  TNode* Node = nullptr;
  std::vector<uint8_t> Bytes;
  std::vector<TFileRec*> Records;  // once the list is records
  bool Built = false;
};

class TSearchEngine::TDupCollector {
 public:
  static constexpr int BucketCount = 28;
  std::array<std::vector<TDupEntry>, BucketCount> Buckets;
  std::vector<TRawList> Raw;

  // "A".."Z", then the digits, then every other first character (lower case included).
  void Add(const TDupEntry& e) {
    auto c = e.NameLen ? static_cast<unsigned char>(e.Name[0]) : 0;
    int bucket = c >= 'A' && c <= 'Z' ? c - 'A' : c >= '0' && c <= '9' ? 26 : 27;
    Buckets[std::size_t(bucket)].push_back(e);
  }
};

namespace {

// The items are the same by every chosen criterion; a file is never the same as a folder.
bool SameItems(const TDuplicatesCriteria& d, const auto& a, const auto& b) {
  if (a.Folder != b.Folder) return false;
  if (d.Name && (a.NameLen != b.NameLen || std::memcmp(a.Name, b.Name, a.NameLen) != 0))
    return false;
  if (d.Size && a.Size != b.Size) return false;
  if (d.Date && a.Modified != b.Modified) return false;
  if (d.Attributes && a.Attributes != b.Attributes) return false;
  return true;
}

}  // namespace

void TSearchEngine::RunDuplicates(const TDuplicatesCriteria& criteria, TSearchFor searchFor,
                                  const TSearchScope& scope, const TSearchOptions& options) {
  Begin(true);
  options_ = options;
  if (options_.Begun) options_.Begun();
  matcher_.reset();
  dupCriteria_ = criteria;
  searchFor_ = searchFor;
  TDupCollector collector;
  for (const auto& cat : scope)
    for (const auto& disk : cat.Disks) total_ += disk.Count;
  for (const auto& cat : scope) {
    catalog_ = static_cast<TCatalogRec*>(cat.Catalog->Record);
    for (const auto& disk : cat.Disks) {
      if (stop_) break;
      int before = checked_;
      disk_ = disk.Disk;
      LoadDiskLevels(disk.Disk);
      CollectWalk(disk.Disk, collector);
      checked_ = before;
      ReportProgress(disk.Count);
    }
  }
  GroupDuplicates(collector);
}

void TSearchEngine::CollectWalk(TNode* node, TDupCollector& collector) {
  TItemRec* rec = node->Record;
  if (!rec || (KindOf(rec) != ikDisk && KindOf(rec) != ikFolder)) return;
  bool folder = KindOf(rec) == ikFolder;
  if (folder && !(searchFor_ == TSearchFor::FilesOnly && !HasFlag(rec, InArchive))) {
    ReportProgress(1);
    if (!Listed(rec)) {
      ++found_;
      auto* f = static_cast<TFolderRec*>(rec);
      TDupEntry e;
      e.Name = node->Caption.data();
      e.NameLen = uint32_t(node->Caption.size());
      e.Modified = f->ModifiedTime;
      e.Size = f->TotalSize;
      e.Attributes = f->Attributes;
      e.Folder = true;
      bool archive = HasFlag(rec, InArchive);
      e.Order = !archive ? 0 : options_.ArchivesAsFiles ? 2 : 1;
      e.SortSize = archive ? f->TotalSize : 0;
      e.Rec = rec;
      collector.Add(e);
    }
  }
  if (searchFor_ != TSearchFor::FoldersOnly) CollectFiles(node, collector);
  if (folder) LoadFolderLevels(node);
  for (int i = 0; i < node->ChildCount() && !stop_; ++i) CollectWalk(node->Child(i), collector);
}

void TSearchEngine::CollectFiles(TNode* node, TDupCollector& collector) {
  TItemRec* rec = node->Record;
  // The contents of an archive folder or of a compressed volume (the same flag bit).
  if (dupCriteria_.SkipArchives && HasFlag(rec, InArchive)) {
    ReportProgress(*ContainerInfo(rec).FileCount);
    return;
  }
  auto fileEntry = [](std::string_view name, uint32_t size, uint32_t modified, uint8_t attr) {
    TDupEntry e;
    e.Name = name.data();
    e.NameLen = uint32_t(name.size());
    e.Modified = modified;
    e.Size = int64_t(size) * SizeScale;
    e.SortSize = e.Size;
    e.Attributes = attr;
    e.Order = 2;
    return e;
  };
  try {
    const uint8_t* data = nullptr;
    std::size_t length = 0;
    if (options_.ReadListsInPlace) {
      if (ReadList(node, data, length)) {
        if (CountFileEntries(data, length) < 0) throw EInvalidCatalog(MsgStructureError);
        // Kept until the groups are made: names are compared where they lie.
        collector.Raw.push_back({node, std::vector<uint8_t>(data, data + length), {}, false});
        auto raw = uint32_t(collector.Raw.size());
        const std::vector<uint8_t>& kept = collector.Raw.back().Bytes;
        TFileListCursor c(kept.data(), kept.size());
        for (uint32_t index = 0; !stop_ && c.Next(); ++index) {
          ReportProgress(1);
          ++found_;
          TDupEntry e = fileEntry(c.Name(), c.Size(), c.ModifiedTime(), c.Attributes());
          e.Raw = raw;
          e.Index = index;
          collector.Add(e);
        }
        return;
      }
    } else {
      LoadFiles(node);
    }
  } catch (const std::exception& e) {
    ReadError(node, e);
    return;
  }
  for (TFileRec* f = FirstFile(rec); f && !stop_; f = f->NextFile()) {
    ReportProgress(1);
    if (Listed(f)) continue;
    ++found_;
    TDupEntry e = fileEntry(f->Name(), f->Size, f->ModifiedTime, f->Attributes);
    e.Rec = f;
    collector.Add(e);
  }
}

void TSearchEngine::GroupDuplicates(TDupCollector& collector) {
  collecting_ = false;
  checked_ = 0;
  total_ = found_;
  found_ = 0;
  auto record = [&](const TDupEntry& e) -> TItemRec* {
    if (!e.Raw) return e.Rec;
    TRawList& raw = collector.Raw[e.Raw - 1];
    if (!raw.Built) {
      raw.Built = true;
      try {
        LoadFilesFromBytes(raw.Node, raw.Bytes.data(), raw.Bytes.size());
      } catch (const std::exception& ex) {
        ReadError(raw.Node, ex);
      }
      for (TFileRec* f = FirstFile(raw.Node->Record); f; f = f->NextFile())
        raw.Records.push_back(f);
    }
    return e.Index < raw.Records.size() ? raw.Records[e.Index] : nullptr;
  };
  auto append = [&](const std::vector<TDupEntry>& bucket, std::size_t from, std::size_t to) {
    if (to - from < 2) return;
    int group = List().NewGroup();
    for (std::size_t i = from; i < to; ++i)
      if (TItemRec* rec = record(bucket[i]); rec && !Listed(rec)) AddFound(rec, group);
  };
  for (auto& bucket : collector.Buckets) {
    // Ordered as CompareItems orders by size, equal items keeping their walk order.
    std::stable_sort(bucket.begin(), bucket.end(), [](const TDupEntry& a, const TDupEntry& b) {
      return a.Order != b.Order ? a.Order < b.Order : a.SortSize < b.SortSize;
    });
    ReportProgress(int(bucket.size()));
    std::size_t start = 0;
    for (std::size_t i = 1; i < bucket.size(); ++i) {
      if (SameItems(dupCriteria_, bucket[start], bucket[i])) continue;
      append(bucket, start, i);
      start = i;
    }
    append(bucket, start, bucket.size());
    std::vector<TDupEntry>().swap(bucket);
  }
}

}  // namespace tf
