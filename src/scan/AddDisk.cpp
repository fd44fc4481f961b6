#include "scan/AddDisk.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>
#include <optional>
#include <stdexcept>

#include "platform/DirEnum.h"
#include "platform/Drives.h"
#include "platform/Progress.h"
#include "scan/DescFiles.h"
#include "scan/Utils.h"
#include "scan/WaitUpdate.h"
#include "scan/ZipTV.h"
#include "store/LoadSave.h"
#include "text/Description.h"
#include "text/Text.h"

namespace tf {

namespace {

// The user cancelled. Not a std::exception, so that no handler for failures takes it.
struct EScanCancelled {};

class EScanFailed : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

constexpr uint64_t MaxFileSize = 0xFFFFFFFFu;

std::string DriveNotReadyText(char letter) {
  return std::string("Drive ") + letter + ": is not ready !";
}

// The last dot's extension in ASCII capitals, when it can name an archive type (two or three
// characters); empty otherwise.
std::string ArchiveExtension(std::string_view name) {
  std::size_t dot = name.rfind('.');
  if (dot == std::string_view::npos) return {};
  std::string_view ext = name.substr(dot + 1);
  if (ext.size() < 2 || ext.size() > 3) return {};
  std::string upper(ext);
  for (char& c : upper)
    if (c >= 'a' && c <= 'z') c = char(c - 32);
  return upper;
}

bool HasControlCharacter(std::string_view name) {
  return std::any_of(name.begin(), name.end(),
                     [](char c) { return static_cast<unsigned char>(c) < 32; });
}

// The folders that stand for a recycle bin: the DOS and Windows 9x name, the later Windows
// names, and the trash folders of Linux desktops on removable media (".Trash-1000").
bool IsRecycleFolder(std::string_view name) {
  if (EqualsNoCase(name, "Recycled") || EqualsNoCase(name, "RECYCLER") ||
      EqualsNoCase(name, "$RECYCLE.BIN") || name == ".Trash")
    return true;
  constexpr std::string_view trash = ".Trash-";
  if (name.size() > trash.size() && name.substr(0, trash.size()) == trash)
    return std::all_of(name.begin() + trash.size(), name.end(),
                       [](char c) { return c >= '0' && c <= '9'; });
  return false;
}

// An archive comment or entry comment as a description: cut, lines trimmed, box characters
// replaced.
std::string CommentText(std::string_view comment) {
  if (comment.empty()) return {};
  return ReplaceBoxCharacters(TrimDescriptionLines(CutText(comment, MaxDescription)));
}

TNode* AppendDetached(TNode* parent, std::unique_ptr<TNode> node) {
  node->Parent = parent;
  node->Row = parent->ChildCount();
  parent->Children.push_back(std::move(node));
  return parent->Children.back().get();
}

// A new folder record, owned by a node appended to parent at once (so that a failure frees
// it with the rest of the half-built disk).
TNode* AppendFolder(TNode* parent, std::string name, const TDirEntry& entry, bool inArchive) {
  auto rec = std::make_unique<TFolderRec>();
  rec->Attributes = entry.Attributes;
  rec->CreatedTime = entry.CreatedTime;
  rec->ModifiedTime = entry.ModifiedTime;
  rec->AccessedTime = entry.AccessedTime;
  if (inArchive) {
    SetFlag(rec.get(), InArchive, true);
    rec->TotalSize = int64_t(entry.Size) * SizeScale;
  }
  auto node = std::make_unique<TNode>();
  node->Caption = std::move(name);
  node->Record = rec.release();
  node->Record->Node = node.get();
  return AppendDetached(parent, std::move(node));
}

class TDiskScanner {
 public:
  TDiskScanner(const TScanSettings& settings, TDrives& drives, char letter, TNode* diskNode,
               TProgress& progress, const TKeptDescriptions* kept, bool countEntries,
               const std::function<void(TNode*)>& sortChildren)
      : s_(settings),
        drives_(drives),
        letter_(letter),
        diskNode_(diskNode),
        disk_(static_cast<TDiskRec*>(diskNode->Record)),
        progress_(progress),
        kept_(kept),
        countEntries_(countEntries),
        sortChildren_(sortChildren) {
    desc_.KeepCurrent = s_.KeepCurrentCheck;
    desc_.Truncate = s_.DescTruncCheck;
    desc_.TruncLines = s_.DescTruncEdit;
    if (disk_->BytesPerSector > 0 && disk_->SectorsPerCluster > 0)
      clusterSize_ = uint64_t(disk_->BytesPerSector) * uint64_t(disk_->SectorsPerCluster);
  }

  void Run() {
    hostPath_ = drives_.RootPath(letter_);
    if (hostPath_.empty()) throw EScanFailed(DriveNotReadyText(letter_));
    caseInsensitive_ = drives_.CaseInsensitive(letter_);
    TDirEnum root(hostPath_);
    if (root.Status() != TDirStatus::Ok)
      throw EScanFailed("Can't read " + hostPath_ + ": " + std::strerror(root.Errno()));
    rootDevice_ = root.Device();
    catPath_ = std::string(1, letter_) + ":";
    ScanFolder(diskNode_, root, false, 0);
  }

  int64_t Files = 0;
  int64_t Folders = 0;
  int64_t ArchiveEntries = 0;

 private:
  void CheckCancel() {
    if (progress_.Cancelled()) throw EScanCancelled();
  }

  // Something could not be read: fine when the medium is still there (that item is passed
  // over), a failure of the scan when the medium has gone.
  void CheckMedium() {
    if (!drives_.IsReady(letter_)) throw EScanFailed(DriveNotReadyText(letter_));
  }

  void MarkSkipped() { disk_->ScanFlags |= ScanSkippedItems; }

  uint64_t ClustersOf(uint64_t size) const {
    if (clusterSize_ == 0) return 0;
    return size / clusterSize_ + (size % clusterSize_ ? 1 : 0);
  }

  bool Excluded(const TDirEntry& e) const {
    if (e.IsFolder) {
      if (s_.IgnoreFoldersCheck && (e.Attributes & faHidden)) return true;
      if (s_.IgnoreRecycleCheck && IsRecycleFolder(e.Name)) return true;
      return false;
    }
    return s_.IgnoreFilesCheck && (e.Attributes & faHidden);
  }

  // Pushes one component on both paths for the walk below it.
  struct TPathGuard {
    TDiskScanner& s;
    std::size_t host, cat;
    TPathGuard(TDiskScanner& scanner, const std::string& hostName, const std::string& catName)
        : s(scanner), host(scanner.hostPath_.size()), cat(scanner.catPath_.size()) {
      s.hostPath_ += '/';
      s.hostPath_ += hostName;
      s.catPath_ += '\\';
      s.catPath_ += catName;
    }
    ~TPathGuard() {
      s.hostPath_.resize(host);
      s.catPath_.resize(cat);
    }
    TPathGuard(const TPathGuard&) = delete;
    TPathGuard& operator=(const TPathGuard&) = delete;
  };

  void ScanFolder(TNode* node, TDirEnum& dir, bool keptAbove, int level);
  void AddSubfolder(TNode* node, TDirEnum& dir, const TDirEntry& entry, int level,
                    bool& keptHere);
  // Lists an archive into a folder below node. True when the archive became that folder.
  bool ReadArchive(TNode* node, const TDirEntry& entry, const std::string& name,
                   uint64_t& clusters, bool& keptHere);
  void ReadDescriptionFiles(TNode* node, TDirEnum& dir, bool keptAbove, const TDirEntry* diz,
                            const TDirEntry* bbs, const TDirEntry* ion);

  const TScanSettings& s_;
  TDrives& drives_;
  char letter_;
  TNode* diskNode_;
  TDiskRec* disk_;
  TProgress& progress_;
  const TKeptDescriptions* kept_;
  bool countEntries_;
  const std::function<void(TNode*)>& sortChildren_;
  TDescImport desc_;
  uint64_t clusterSize_ = 0;
  bool caseInsensitive_ = false;
  uint64_t rootDevice_ = 0;
  std::string hostPath_;
  std::string catPath_;
  // Archive reading: the comment of the archive being read, for its file or folder.
  bool commentWanted_ = false;
  std::string pendingComment_;
};

void TDiskScanner::ScanFolder(TNode* node, TDirEnum& dir, bool keptAbove, int level) {
  ++disk_->TotalFolders;  // a 16-bit count: it wraps, as the record's field does
  ++Folders;
  progress_.SetDetail(catPath_ + "\\");

  std::vector<TDirEntry> entries;
  {
    TDirEntry e;
    while (dir.Next(e)) entries.push_back(std::move(e));
  }
  if (dir.Status() != TDirStatus::Ok) {
    // The listing broke off: keep what was read, unless the medium went away.
    CheckMedium();
    MarkSkipped();
  }
  // Name order, so that the same medium always gives the same catalog, whatever order the
  // file system lists it in.
  std::sort(entries.begin(), entries.end(),
            [](const TDirEntry& a, const TDirEntry& b) { return a.Name < b.Name; });

  TItemRec* rec = node->Record;
  auto* folder = KindOf(rec) == ikFolder ? static_cast<TFolderRec*>(rec) : nullptr;
  bool keptHere = false;  // a kept description was restored in this folder
  uint64_t clusters = 0;

  // Folders first, each walked as soon as it is met.
  for (const TDirEntry& entry : entries) {
    if (!entry.IsFolder) continue;
    CheckCancel();
    pendingComment_.clear();
    if (Excluded(entry)) {
      MarkSkipped();
      continue;
    }
    AddSubfolder(node, dir, entry, level, keptHere);
  }

  // Then the files.
  const TDirEntry *diz = nullptr, *bbs = nullptr, *ion = nullptr;
  int32_t* fileCount = ContainerInfo(rec).FileCount;
  TFileRec* last = nullptr;
  for (const TDirEntry& entry : entries) {
    if (entry.IsFolder) continue;
    CheckCancel();
    pendingComment_.clear();
    if (Excluded(entry)) {
      MarkSkipped();
      continue;
    }
    std::string name = NormaliseName(entry.Name, caseInsensitive_);

    // Archives are read only when they are plain files: never through a link, and never a
    // pipe or a device that happens to have an archive's name.
    if (entry.IsRegular) {
      std::string ext = ArchiveExtension(entry.Name);
      bool carriesComments = false;
      if (!ext.empty() && ArchiveTypeOfExtension(ext, &carriesComments) != 0) {
        commentWanted_ = carriesComments && s_.ImportCommentCheck;
        if (s_.BrowseArchiveCheck || commentWanted_) {
          if (ReadArchive(node, entry, name, clusters, keptHere)) continue;
        }
      }
    }

    TFileRec* f = TFileRec::Create(name);
    f->Node = node;
    LinkFile(rec, last, f);
    f->Attributes = entry.Attributes;
    f->Size = uint32_t(std::min(entry.Size, MaxFileSize));
    f->CreatedTime = entry.CreatedTime;
    f->ModifiedTime = entry.ModifiedTime;
    f->AccessedTime = entry.AccessedTime;
    if (!pendingComment_.empty()) f->Description.Assign(pendingComment_);
    ++disk_->TotalFiles;
    ++*fileCount;
    ++Files;
    if (countEntries_) progress_.Advance(1);
    if (kept_ && RestoreKeptDescription(*kept_, f, f->Name())) keptHere = true;
    if (!f->Description.Empty()) SetFlag(rec, HasFileDescriptions, true);
    // Folder totals and clusters take the true size, also of files of 4 GiB and more.
    if (folder) folder->TotalSize += int64_t(entry.Size) * SizeScale;
    clusters += ClustersOf(entry.Size);

    if (entry.IsRegular) {
      std::size_t n = entry.Name.size();
      if (n == 11 && EqualsNoCase(entry.Name, "FILE_ID.DIZ")) {
        if (!diz) diz = &entry;
      } else if (n == 9 && EqualsNoCase(entry.Name, "FILES.BBS")) {
        if (!bbs) bbs = &entry;
      } else if (n == 12 && EqualsNoCase(entry.Name, "DESCRIPT.ION")) {
        if (!ion) ion = &entry;
      }
    }
  }
  pendingComment_.clear();

  if (!keptHere) ReadDescriptionFiles(node, dir, keptAbove, diz, bbs, ion);

  if (!countEntries_) progress_.Advance(int64_t(std::min<uint64_t>(clusters, INT64_MAX)));
  if (sortChildren_)
    sortChildren_(node);
  else
    SortFolderChildren(node);
}

void TDiskScanner::AddSubfolder(TNode* node, TDirEnum& dir, const TDirEntry& entry, int level,
                                bool& keptHere) {
  int childLevel = level + 1;
  // Another file system mounted here is recorded as a folder, but not entered.
  bool otherFs = entry.Device != rootDevice_;
  // The catalog keeps 255 folder levels: the folders of the last level are recorded without
  // their content.
  bool atLimit = childLevel >= MaxFolderLevel;
  std::optional<TDirEnum> sub;
  if (!otherFs) {
    sub.emplace(dir, entry.Name, true);
    switch (sub->Status()) {
      case TDirStatus::Ok:
        break;
      case TDirStatus::NotFound:
      case TDirStatus::NotAFolder:
        // Gone, or swapped for something else, since the folder was listed.
        CheckMedium();
        return;
      case TDirStatus::AccessDenied:
        sub.reset();
        MarkSkipped();
        break;
      case TDirStatus::Failed:
        CheckMedium();
        sub.reset();
        MarkSkipped();
        break;
    }
    if (sub && atLimit) {
      TDirEntry probe;
      if (sub->Next(probe) || sub->Status() != TDirStatus::Ok) MarkSkipped();
      sub.reset();
    }
  }

  std::string name = NormaliseName(entry.Name, caseInsensitive_);
  TNode* child = AppendFolder(node, name, entry, false);
  if (countEntries_) progress_.Advance(1);
  auto* rec = static_cast<TFolderRec*>(child->Record);
  bool childKept = false;
  if (kept_ && RestoreKeptDescription(*kept_, rec, child->Caption)) {
    childKept = true;
    keptHere = true;
  }
  if (sub) {
    TPathGuard path(*this, entry.Name, child->Caption);
    ScanFolder(child, *sub, childKept, childLevel);
  } else {
    ++disk_->TotalFolders;
    ++Folders;
  }
  if (KindOf(node->Record) == ikFolder)
    static_cast<TFolderRec*>(node->Record)->TotalSize += rec->TotalSize;
}

bool TDiskScanner::ReadArchive(TNode* node, const TDirEntry& entry, const std::string& name,
                               uint64_t& clusters, bool& keptHere) {
  TNode* archive = nullptr;  // the folder made for the archive at its first entry
  TFileRec* last = nullptr;
  int64_t taken = 0;

  TZipTV zip;
  zip.OnRead = [&](TZipTV& z) {
    if (commentWanted_) {
      pendingComment_ = CommentText(z.ArchiveComment);
      commentWanted_ = false;
    }
    if (!s_.BrowseArchiveCheck || HasControlCharacter(z.FileName)) return;
    if (!archive) {
      archive = AppendFolder(node, name, entry, true);
      auto* folder = static_cast<TFolderRec*>(archive->Record);
      if (s_.ImportCommentCheck && !pendingComment_.empty())
        folder->Description.Assign(pendingComment_);
      if (kept_ && RestoreKeptDescription(*kept_, folder, archive->Caption)) keptHere = true;
    }
    TItemRec* folder = archive->Record;
    // Entry names use "\" between their folders already; only the case rule applies.
    TFileRec* f = TFileRec::Create(NormaliseCase(z.FileName, caseInsensitive_),
                                   uint8_t(ikFile | InArchive));
    f->Node = archive;
    LinkFile(folder, last, f);
    f->Attributes = z.AttributeByte();
    f->Size = z.UnpackedSize;
    f->ModifiedTime = z.DateTime;
    f->CreatedTime = z.Crc;
    f->AccessedTime = z.PackedSize;
    if (!z.FileComment.empty()) f->Description.Assign(CommentText(z.FileComment));
    ++static_cast<TFolderRec*>(folder)->FileCount;
    ++taken;
    if (kept_ && RestoreKeptDescription(*kept_, f, f->Name())) keptHere = true;
    if (!f->Description.Empty()) SetFlag(folder, HasFileDescriptions, true);
  };
  try {
    zip.SetArchiveFile(hostPath_ + "/" + entry.Name);
    zip.Activate();
  } catch (const std::exception&) {
    // A damaged or unknown archive (an archive is untrusted input, whatever goes wrong in
    // reading it): what was listed before stands; with nothing listed it is a plain file.
  }
  commentWanted_ = false;
  if (taken == 0) return false;

  clusters += ClustersOf(entry.Size);
  disk_->ArchiveFiles += int32_t(std::min<int64_t>(taken, INT32_MAX - disk_->ArchiveFiles));
  ArchiveEntries += taken;
  if (KindOf(node->Record) == ikFolder)
    static_cast<TFolderRec*>(node->Record)->TotalSize += int64_t(entry.Size) * SizeScale;
  return true;
}

void TDiskScanner::ReadDescriptionFiles(TNode* node, TDirEnum& dir, bool keptAbove,
                                        const TDirEntry* diz, const TDirEntry* bbs,
                                        const TDirEntry* ion) {
  std::string content;
  // A folder's own FILE_ID.DIZ; a disk takes no description from one in its root.
  if (diz && s_.ImportDizCheck && !keptAbove && KindOf(node->Record) == ikFolder &&
      ReadFileHeadAt(dir.Fd(), diz->Name, FileIdDizLimit, content))
    ApplyFileIdDiz(node->Record, std::move(content));
  if (bbs && s_.ImportBBSCheck &&
      ReadFileHeadAt(dir.Fd(), bbs->Name, DescriptionFileLimit, content))
    ApplyFilesBbs(node, content, desc_);
  if (ion && s_.Import4DOSCheck &&
      ReadFileHeadAt(dir.Fd(), ion->Name, DescriptionFileLimit, content))
    ApplyDescriptIon(node, content, desc_);
}

bool IsDiskChild(const TNode* catalog, const TNode* node) {
  return node && node->Parent == catalog && node->Record && KindOf(node->Record) == ikDisk;
}

}  // namespace

std::string NormaliseCase(std::string_view name, bool caseInsensitive) {
  if (!caseInsensitive || name.empty()) return std::string(name);
  std::string s(name);
  if (s == UpperCase(s)) s = LowerCase(s);
  bool utf8 = IsValidUtf8(s);
  std::u32string chars = DecodeText(s);
  chars[0] = UpperChar(chars[0]);
  return EncodeText(chars, utf8);
}

std::string NormaliseName(std::string_view hostName, bool caseInsensitive) {
  if (hostName.find('\\') != std::string_view::npos)
    return NormaliseCase(CatalogName(hostName), caseInsensitive);
  return NormaliseCase(hostName, caseInsensitive);
}

void SortFolderChildren(TNode* folder) {
  if (folder->ChildCount() < 2) return;
  auto less = [](const TNode* a, const TNode* b) { return CompareNoCase(a->Caption, b->Caption) < 0; };
  if (TCatalogTree* tree = TreeOf(folder)) {
    tree->SortChildren(folder, less);
    return;
  }
  std::stable_sort(folder->Children.begin(), folder->Children.end(),
                   [&](const std::unique_ptr<TNode>& a, const std::unique_ptr<TNode>& b) {
                     return less(a.get(), b.get());
                   });
  for (int i = 0; i < folder->ChildCount(); ++i) folder->Child(i)->Row = i;
}

std::string ItemsReadText(int64_t count) {
  return std::to_string(count) + (count == 1 ? " folder or file read" : " folders and files read");
}

std::string UniqueDiskName(const TNode* catalog, const std::string& name, const TNode* ignore) {
  auto taken = [&](const std::string& candidate) {
    for (const auto& child : catalog->Children)
      if (child.get() != ignore && child->Caption == candidate) return true;
    return false;
  };
  if (!taken(name)) return name;
  for (int n = 2;; ++n) {
    std::string candidate = name + " (" + std::to_string(n) + ")";
    if (!taken(candidate)) return candidate;
  }
}

bool MediumMatchesDisk(const TDiskRec& medium, const TDiskRec& disk) {
  return medium.SerialNumber == disk.SerialNumber && medium.VolumeLabel == disk.VolumeLabel &&
         medium.MediaType == disk.MediaType && DiskBytes(&medium, 0) == DiskBytes(&disk, 0);
}

std::vector<TNode*> FindMatchingDisks(const TNode* catalog, const TDiskRec& medium,
                                      const TNode* except) {
  std::vector<TNode*> found;
  if (!catalog) return found;
  for (const auto& child : catalog->Children) {
    if (child.get() == except || !IsDiskChild(catalog, child.get())) continue;
    if (MediumMatchesDisk(medium, *static_cast<const TDiskRec*>(child->Record)))
      found.push_back(child.get());
  }
  return found;
}

std::string ProposedDiskName(const TDiskRec& medium, const TNode* existing,
                             const TScanSettings& settings) {
  if (existing && settings.UpdateNameCheck) return existing->Caption;
  return medium.VolumeLabel;
}

std::string AddDiskStatusLine(char letter, const TDiskRec& medium, bool update, bool matches) {
  if (!letter) return NoDriveSelectedText;
  std::string line = MediaTypeName(medium.MediaType) + " (" + letter + ":), ";
  if (update)
    return line + (matches ? "media match confirmed, ready to update"
                           : "media does not match selected to update");
  return line + "Serial num: " + FormatSerial(medium.SerialNumber) +
         (matches ? ", already exists in catalog" : ", not found in catalog");
}

std::string UpdateOldDataText(const std::string& diskName) {
  return "Disk with the same serial number, label and capacity is\ralready in the catalog as \"" +
         diskName +
         "\". \r\rWould like to update the disk currently in the catalog?\r(selecting \"No\" will "
         "add a new disk to the catalog)";
}

std::string MismatchText(const std::string& diskName) {
  return "Properties of selected media do not match properties of the disk you are updating!\r"
         "This may be right if you have formatted media since it has been last catalogued.\r\r"
         "Are you sure you want to replace data for \"" +
         diskName + "\" with the selected media?";
}

TScanResult ScanDisk(const TScanJob& job, TDrives& drives, TMediaDetector& detector,
                     TProgress& progress) {
  TScanResult result;
  TNode* catalog = job.Catalog;
  if (!catalog || !catalog->Record || KindOf(catalog->Record) != ikCatalog) {
    result.Message = "There is no catalog to add the disk to.";
    return result;
  }
  TCatalogTree* tree = TreeOf(catalog);
  if (tree && tree->SearchRunning) {
    result.Status = TScanStatus::Refused;
    result.Message = CantUpdateText;
    return result;
  }
  TNode* old = job.UpdateDisk;
  if (old && !IsDiskChild(catalog, old)) {
    result.Message = "The disk to update is not in the catalog.";
    return result;
  }
  char letter = NormalDriveLetter(job.Drive);
  if (!letter || !detector.IsDriveReady(letter, true)) {
    result.Status = TScanStatus::NotReady;
    result.Message = DriveNotReadyText(letter ? letter : '?');
    return result;
  }

  progress.SetStatus(ScanStatusText);
  progress.Begin(WaitLookingForDisk, 0);
  std::string name = job.DiskName.empty() ? std::string("Disk ") + letter + ":" : job.DiskName;
  name = UniqueDiskName(catalog, name, old);

  auto diskNode = MakeNode(name, new TDiskRec);
  auto* disk = static_cast<TDiskRec*>(diskNode->Record);
  TKeptDescriptions kept;
  try {
    detector.ReadVolumeInfo(letter, *disk);
    if (old) {
      auto* oldDisk = static_cast<const TDiskRec*>(old->Record);
      disk->UserByte = oldDisk->UserByte;
      disk->Description = oldDisk->Description;
    }
    // Progress runs over the used clusters. Where they tell nothing (a volume that reports
    // none, as network and FUSE file systems often do; a folder drive, whose volume holds much
    // else) the folders and files recorded are counted instead, against the count of the disk
    // being updated when there is one.
    int64_t used = int64_t(disk->TotalClusters) - int64_t(disk->FreeClusters);
    bool countEntries = used <= 0 || disk->BytesPerSector <= 0 || disk->SectorsPerCluster <= 0 ||
                        drives.ShowsPartOfVolume(letter);
    int64_t total = used;
    if (countEntries) {
      auto* oldDisk = old ? static_cast<const TDiskRec*>(old->Record) : nullptr;
      total = oldDisk ? int64_t(oldDisk->TotalFiles) + oldDisk->TotalFolders : 0;
    }
    if (old && job.Settings.KeepCurrentCheck) {
      progress.Begin(WaitPreparingUpdate, 0);
      CollectKeptDescriptions(old, kept);
    }
    progress.Begin(WaitScanning, total);
    TDiskScanner scanner(job.Settings, drives, letter, diskNode.get(), progress,
                         old && job.Settings.KeepCurrentCheck ? &kept : nullptr, countEntries,
                         job.SortChildren);
    scanner.Run();
    --disk->TotalFolders;  // the walk counted the root
    result.Files = scanner.Files;
    result.Folders = scanner.Folders - 1;
    result.ArchiveEntries = scanner.ArchiveEntries;
    result.Status = TScanStatus::Done;
  } catch (const EScanCancelled&) {
    result.Status = TScanStatus::Cancelled;
    result.Message = "The scan was cancelled.";
  } catch (const std::bad_alloc&) {
    result.Status = TScanStatus::Failed;
    result.Message = "Out of memory.";
  } catch (const std::exception& e) {
    result.Status = TScanStatus::Failed;
    result.Message = e.what();
  }
  kept.Clear();

  if (result.Status != TScanStatus::Done) {
    FreeDetachedNode(std::move(diskNode));
    result.Files = result.Folders = result.ArchiveEntries = 0;
  } else {
    TNode* added = tree ? tree->AppendChild(catalog, std::move(diskNode))
                        : AppendDetached(catalog, std::move(diskNode));
    SetCatalogModified(added, true);
    if (tree) tree->Select(added);
    if (old) DeleteItemNode(old);
    result.Disk = added;
  }
  progress.End();
  progress.SetStatus("");
  return result;
}

}  // namespace tf
