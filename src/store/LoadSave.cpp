#include "store/LoadSave.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>
#include <filesystem>
#include <mutex>
#include <new>
#include <vector>

#include "store/CatalogFiles.h"

namespace tf {

namespace {

[[noreturn]] void StructureError() { throw EInvalidCatalog(MsgStructureError); }

// Sizes of the fixed parts of the records.
constexpr int DiskHeaderBytes = 24;
constexpr int DiskDataBytes = 47;
constexpr int FolderDataBytes = 39;
constexpr int FileDataBytes = 18;
// Kind byte, header, the three texts empty, data: the smallest disk block.
constexpr int MinDiskBlock = 1 + DiskHeaderBytes + 2 + DiskDataBytes + 1 + 1 + 2;

inline uint16_t GetU16(const uint8_t* p) { return uint16_t(p[0] | (p[1] << 8)); }
inline uint32_t GetU32(const uint8_t* p) {
  return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
}
inline int32_t GetI32(const uint8_t* p) { return int32_t(GetU32(p)); }
inline int64_t GetI64(const uint8_t* p) {
  return int64_t(uint64_t(GetU32(p)) | (uint64_t(GetU32(p + 4)) << 32));
}
inline void PutU16(uint8_t* p, uint16_t v) {
  p[0] = uint8_t(v);
  p[1] = uint8_t(v >> 8);
}
inline void PutU32(uint8_t* p, uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = uint8_t(v >> (8 * i));
}
inline void PutI64(uint8_t* p, int64_t v) {
  PutU32(p, uint32_t(uint64_t(v)));
  PutU32(p + 4, uint32_t(uint64_t(v) >> 32));
}

// Reads records from the stream; meeting the end of the file inside a record is a damaged
// catalog.
class TRecordReader {
 public:
  explicit TRecordReader(TReadAheadStream& s) : s_(s) {}
  int64_t Position() const { return s_.Position(); }
  void Seek(int64_t p) { s_.Seek(p); }
  void Need(void* p, std::size_t n) {
    if (s_.Read(p, n) != n) StructureError();
  }
  uint8_t U8() {
    uint8_t b;
    Need(&b, 1);
    return b;
  }
  uint16_t U16() {
    uint8_t b[2];
    Need(b, 2);
    return GetU16(b);
  }
  void Skip(int64_t n) {
    if (!s_.Skip(n)) StructureError();
  }
  // Nothing is allocated for more bytes than the file still has.
  void NeedRemaining(std::size_t n) {
    if (int64_t(n) > s_.Size() - s_.Position()) StructureError();
  }
  // A Text16: at most MaxText16 bytes are kept (never a split character), the rest skipped.
  std::string Text16() {
    uint16_t len = U16();
    NeedRemaining(len);
    std::string s(len, '\0');
    Need(s.data(), len);
    if (len > MaxText16) s.resize(CutLength(s, MaxText16));
    return s;
  }
  void SkipText16() { Skip(U16()); }
  std::string Text8(std::size_t keep) {
    uint8_t len = U8();
    NeedRemaining(len);
    std::string s(len, '\0');
    Need(s.data(), len);
    if (s.size() > keep) s.resize(CutLength(s, keep));
    return s;
  }

 private:
  TReadAheadStream& s_;
};

// Where one disk's block lies in the file that is being read.
struct TBlockRange {
  int64_t Start;
  int64_t End;
};

TFolderRec* NewFolderFromData(uint8_t kindFlags, const uint8_t* d) {
  auto* f = new TFolderRec;
  f->KindFlags = uint8_t(kindFlags & ~FileBlock);
  f->FilesOffset = GetI32(d + 0);
  f->FilesLength = GetI32(d + 4);
  f->FileCount = GetI32(d + 8);
  f->DescBytes = GetI32(d + 12);
  f->TotalSize = GetI64(d + 16);
  f->Attributes = d[24];
  f->CreatedTime = GetU32(d + 25);
  f->ModifiedTime = GetU32(d + 29);
  f->AccessedTime = GetU32(d + 33);
  f->Reserved = d[37];
  f->CategoryFlags = d[38];
  f->FilesLoaded = f->FilesOffset < 0 ? 1 : 0;
  return f;
}

// Reads one folder level: the records of level L that follow, up to the first record
// shallower than L or the block's end. A folder directly followed by a deeper record gets
// the offset of its subfolders and an expand button.
std::vector<std::unique_ptr<TNode>> ReadFolderLevel(TRecordReader& r, int level,
                                                    const TBlockRange& block) {
  std::vector<std::unique_ptr<TNode>> nodes;
  try {
    TFolderRec* added = nullptr;
    // The records are a pre-order walk: each one is at level 1 or more, and at most one
    // deeper than the record before it (the first at most one deeper than the parent). A
    // level that cannot follow its predecessor would hide a whole subtree.
    int previous = level - 1;
    while (r.Position() < block.End) {
      int64_t recordPos = r.Position();
      uint8_t kindFlags = r.U8();
      if ((kindFlags & 7) != ikFolder) StructureError();
      int recordLevel = r.U8();
      if (recordLevel < 1 || recordLevel > previous + 1) StructureError();
      previous = recordLevel;
      if (added && recordLevel > level) {
        added->SubfoldersOffset = int32_t(recordPos - block.Start);
        added->Node->HasButton = true;
      }
      added = nullptr;
      if (recordLevel < level) break;
      if (recordLevel != level) {
        r.SkipText16();
        r.Skip(FolderDataBytes);
        r.SkipText16();
      } else {
        std::string name = r.Text16();
        uint8_t data[FolderDataBytes];
        r.Need(data, sizeof data);
        std::string desc = r.Text16();
        TFolderRec* folder = NewFolderFromData(kindFlags, data);
        folder->Description.Assign(desc);
        nodes.push_back(MakeNode(std::move(name), folder));
        added = folder;
      }
      if (r.Position() > block.End) StructureError();
    }
  } catch (...) {
    for (auto& n : nodes) FreeDetachedNode(std::move(n));
    throw;
  }
  return nodes;
}

// Reads every level below a folder in one pass: the records that follow, up to the first
// record shallower than level, become nested nodes, each the child of the latest record one
// level above it. This is what reading the levels one by one gives (a record deeper than any
// current parent is never reached that way, and is skipped here too), with each record read
// once instead of once per level above it.
std::vector<std::unique_ptr<TNode>> ReadFolderTree(TRecordReader& r, int level,
                                                   const TBlockRange& block) {
  std::vector<std::unique_ptr<TNode>> top;
  std::vector<TNode*> parents;  // the latest node of each level from `level` down
  TFolderRec* added = nullptr;  // the record just read, while nothing else came after it
  int addedLevel = 0;
  try {
    while (r.Position() < block.End) {
      int64_t recordPos = r.Position();
      uint8_t kindFlags = r.U8();
      if ((kindFlags & 7) != ikFolder) StructureError();
      int recordLevel = r.U8();
      // A folder directly followed by a deeper record has subfolders, read with it.
      if (added && recordLevel > addedLevel)
        added->SubfoldersOffset = -int32_t(recordPos - block.Start);
      added = nullptr;
      if (recordLevel < level) break;
      auto depth = std::size_t(recordLevel - level);
      if (depth < parents.size()) parents.resize(depth);
      if (depth > parents.size()) {
        r.SkipText16();
        r.Skip(FolderDataBytes);
        r.SkipText16();
      } else {
        std::string name = r.Text16();
        uint8_t data[FolderDataBytes];
        r.Need(data, sizeof data);
        std::string desc = r.Text16();
        TFolderRec* folder = NewFolderFromData(kindFlags, data);
        folder->Description.Assign(desc);
        auto node = MakeNode(std::move(name), folder);
        TNode* raw = node.get();
        if (depth == 0) {
          top.push_back(std::move(node));
        } else {
          TNode* parent = parents.back();
          raw->Parent = parent;
          raw->Row = parent->ChildCount();
          parent->Children.push_back(std::move(node));
        }
        parents.push_back(raw);
        added = folder;
        addedLevel = recordLevel;
      }
      if (r.Position() > block.End) StructureError();
    }
  } catch (...) {
    for (auto& n : top) FreeDetachedNode(std::move(n));
    throw;
  }
  return top;
}

void ReadDiskData(TDiskRec* d, const uint8_t* x) {
  d->MediaType = x[0];
  d->ScanFlags = x[1];
  d->Reserved[0] = x[2];
  d->Reserved[1] = x[3];
  d->BytesPerSector = GetI32(x + 4);
  d->SectorsPerCluster = GetI32(x + 8);
  d->MaxComponentLength = GetI32(x + 12);
  d->TotalFiles = GetI32(x + 16);
  d->ArchiveFiles = GetI32(x + 20);
  d->TotalFolders = GetU16(x + 24);
  d->TotalClusters = GetI32(x + 26);
  d->FreeClusters = GetI32(x + 30);
  uint64_t bits = uint64_t(GetI64(x + 34));
  std::memcpy(&d->LastUpdate, &bits, 8);
  d->SerialNumber = GetU32(x + 42);
  d->UserByte = x[46];
}

void WriteDiskData(const TDiskRec* d, uint8_t* x) {
  x[0] = d->MediaType;
  x[1] = d->ScanFlags;
  x[2] = d->Reserved[0];
  x[3] = d->Reserved[1];
  PutU32(x + 4, uint32_t(d->BytesPerSector));
  PutU32(x + 8, uint32_t(d->SectorsPerCluster));
  PutU32(x + 12, uint32_t(d->MaxComponentLength));
  PutU32(x + 16, uint32_t(d->TotalFiles));
  PutU32(x + 20, uint32_t(d->ArchiveFiles));
  PutU16(x + 24, d->TotalFolders);
  PutU32(x + 26, uint32_t(d->TotalClusters));
  PutU32(x + 30, uint32_t(d->FreeClusters));
  uint64_t bits;
  std::memcpy(&bits, &d->LastUpdate, 8);
  PutI64(x + 34, int64_t(bits));
  PutU32(x + 42, d->SerialNumber);
  x[46] = d->UserByte;
}

std::unique_ptr<TNode> ReadDisk(TRecordReader& r, int64_t fileSize) {
  int64_t start = r.Position();
  uint8_t kindFlags = r.U8();
  if ((kindFlags & 7) != ikDisk) StructureError();
  uint8_t header[DiskHeaderBytes];
  r.Need(header, sizeof header);
  int32_t blockLength = GetI32(header + 0);
  if (blockLength < MinDiskBlock || blockLength > fileSize - start) StructureError();
  TBlockRange block{start, start + blockLength};

  auto* disk = new TDiskRec;
  auto node = MakeNode(std::string(), disk);
  try {
    disk->KindFlags = uint8_t((kindFlags & ~FileBlock) | SearchScope);
    disk->BlockOffset = start;
    disk->BlockLength = blockLength;
    disk->FoldersOffset = GetI32(header + 4);
    disk->FilesOffset = GetI32(header + 8);
    disk->FilesLength = GetI32(header + 12);
    disk->FileCount = GetI32(header + 16);
    disk->DescBytes = GetI32(header + 20);
    disk->Changed = 0;
    disk->FilesLoaded = disk->FilesOffset < 0 ? 1 : 0;
    node->Caption = r.Text16();
    uint8_t data[DiskDataBytes];
    r.Need(data, sizeof data);
    ReadDiskData(disk, data);
    disk->VolumeLabel = r.Text8(11);
    disk->FileSystem = r.Text8(8);
    disk->Description.Assign(r.Text16());
    int64_t headerEnd = r.Position() - start;
    if (headerEnd > blockLength || disk->FoldersOffset < headerEnd ||
        disk->FoldersOffset > blockLength)
      StructureError();
    r.Seek(start + disk->FoldersOffset);
    auto level = ReadFolderLevel(r, 1, block);
    for (auto& n : level) {
      n->Parent = node.get();
      n->Row = node->ChildCount();
      node->Children.push_back(std::move(n));
    }
  } catch (...) {
    FreeDetachedNode(std::move(node));
    throw;
  }
  r.Seek(block.End);
  return node;
}

}  // namespace

std::unique_ptr<TNode> ReadCatalogFile(const std::string& path) {
  auto stream = std::make_unique<TReadAheadStream>(path, 16384);
  TRecordReader r(*stream);
  char signature[13];
  if (stream->Read(signature, sizeof signature) != sizeof signature ||
      std::memcmp(signature, CatalogSignature, sizeof signature) != 0)
    throw EInvalidCatalog(MsgNotCatalog);

  auto* cat = new TCatalogRec;
  cat->KindFlags = ikCatalog | SearchScope;
  auto node = MakeNode(std::string(), cat);
  node->Bold = true;
  try {
    node->Caption = r.Text16();
    cat->FileName = path;
    cat->Description.Assign(r.Text16());
    int count = r.U8();
    if (count >= 1 && count <= 254) {
      for (int i = 0; i < count; ++i) {
        TCategory c;
        c.Name = r.Text16();
        c.Id = r.U8();
        cat->Categories.push_back(std::move(c));
      }
    }
    if (count != 0)
      for (auto& flag : cat->FlagNames) flag.Assign(r.Text16());
    int64_t fileSize = stream->Size();
    while (!stream->Eof()) {
      auto disk = ReadDisk(r, fileSize);
      disk->Parent = node.get();
      disk->Row = node->ChildCount();
      node->Children.push_back(std::move(disk));
    }
  } catch (...) {
    FreeDetachedNode(std::move(node));
    throw;
  }
  cat->Stream = std::move(stream);
  return node;
}

namespace {

// Reads what lies below a folder whose subfolders are still in the file: one level
// (ReadFolderLevel) or the whole tree (ReadFolderTree), and hangs it under the node.
template <typename TReadBelow>
void LoadBelow(TNode* node, TReadBelow readBelow) {
  if (!node || !node->Record || KindOf(node->Record) != ikFolder) return;
  auto* folder = static_cast<TFolderRec*>(node->Record);
  if (folder->SubfoldersOffset <= 0) return;
  TNode* diskNode = DiskNodeOf(node);
  TCatalogRec* cat = CatalogOf(node);
  if (!diskNode || !cat) return;
  std::lock_guard lock(cat->StreamLock);
  if (!cat->Stream || folder->SubfoldersOffset <= 0) return;
  auto* disk = static_cast<TDiskRec*>(diskNode->Record);
  int level = FolderDepth(node) + 1;
  if (level > MaxFolderLevel || folder->SubfoldersOffset >= disk->BlockLength) StructureError();
  TBlockRange block{disk->BlockOffset, disk->BlockOffset + disk->BlockLength};
  TRecordReader r(*cat->Stream);
  r.Seek(block.Start + folder->SubfoldersOffset);
  auto nodes = readBelow(r, level, block);
  folder->SubfoldersOffset = -folder->SubfoldersOffset;
  node->HasButton = false;
  if (TCatalogTree* tree = TreeOf(node)) {
    tree->AppendChildren(node, std::move(nodes));
  } else {
    for (auto& n : nodes) {
      n->Parent = node;
      n->Row = node->ChildCount();
      node->Children.push_back(std::move(n));
    }
  }
}

}  // namespace

void LoadSubfolders(TNode* node) {
  LoadBelow(node, [](TRecordReader& r, int level, const TBlockRange& block) {
    return ReadFolderLevel(r, level, block);
  });
}

void LoadSubfolderTree(TNode* node) {
  LoadBelow(node, [](TRecordReader& r, int level, const TBlockRange& block) {
    return ReadFolderTree(r, level, block);
  });
}

namespace {

// Parses a stored file list into one block of records. Every entry must lie wholly inside
// the list; the first one that does not makes the list (and nothing else) unreadable.
void ParseFileList(TItemRec* container, const uint8_t* data, std::size_t length) {
  // First pass: validate and size the block.
  std::size_t blockSize = 0;
  std::size_t count = 0;
  TFileListCursor sizing(data, length);
  while (sizing.Next()) {
    blockSize += (TFileRec::AllocSize(sizing.Name().size()) + 7) & ~std::size_t(7);
    ++count;
  }
  if (sizing.Damaged()) StructureError();
  if (count == 0) return;

  uint8_t fileKind = uint8_t(ikFile | (container->KindFlags & InArchive));
  auto* block = static_cast<char*>(::operator new(blockSize, std::nothrow));
  if (!block) throw std::bad_alloc();
  char* at = block;
  TFileRec* last = nullptr;
  bool described = false;
  TFileListCursor c(data, length);
  while (c.Next()) {
    std::string_view name = c.Name();
    TFileRec* f = TFileRec::Construct(at, name, fileKind);
    at += (TFileRec::AllocSize(name.size()) + 7) & ~std::size_t(7);
    f->Attributes = c.Attributes();
    f->CreatedTime = c.CreatedTime();
    f->ModifiedTime = c.ModifiedTime();
    f->AccessedTime = c.AccessedTime();
    f->Size = c.Size();
    f->CategoryFlags = c.CategoryFlags();
    std::string_view desc = c.Description();
    if (!desc.empty()) {
      f->Description.Assign(desc);
      described = true;
    }
    f->Node = container->Node;
    LinkFile(container, last, f);
  }
  SetFlag(container, FileBlock, true);
  if (described) SetFlag(container, HasFileDescriptions, true);
}

}  // namespace

void LoadFiles(TNode* node) {
  if (!node || !node->Record) return;
  TItemRec* rec = node->Record;
  if (KindOf(rec) != ikDisk && KindOf(rec) != ikFolder) return;
  TContainerInfo info = ContainerInfo(rec);
  if (*info.FilesLoaded) return;
  TNode* diskNode = DiskNodeOf(node);
  TCatalogRec* cat = CatalogOf(node);
  if (!diskNode || !cat) return;
  std::lock_guard lock(cat->StreamLock);
  if (*info.FilesLoaded || !cat->Stream) return;
  auto* disk = static_cast<TDiskRec*>(diskNode->Record);
  int32_t offset = *info.FilesOffset;
  int32_t length = *info.FilesLength;
  if (offset >= 0 && length > 0) {
    if (offset > disk->BlockLength || length > disk->BlockLength - offset) StructureError();
    if (disk->BlockOffset + offset + length > cat->Stream->Size()) StructureError();
    // A list can be as large as the file: running out of memory is an error to report (a
    // std::bad_alloc), never an abort.
    std::unique_ptr<uint8_t[]> data(new (std::nothrow) uint8_t[std::size_t(length)]);
    if (!data) throw std::bad_alloc();
    cat->Stream->Seek(disk->BlockOffset + offset);
    if (cat->Stream->Read(data.get(), std::size_t(length)) != std::size_t(length))
      StructureError();
    ParseFileList(rec, data.get(), std::size_t(length));
  }
  *info.FilesLoaded = 1;
}

bool FindFileList(TNode* node, TNode* diskNode, TCatalogRec& cat, TFileListPlace& place) {
  TItemRec* rec = node->Record;
  if (!rec || (KindOf(rec) != ikDisk && KindOf(rec) != ikFolder)) return false;
  TContainerInfo info = ContainerInfo(rec);
  std::lock_guard lock(cat.StreamLock);
  if (*info.FilesLoaded || !cat.Stream) return false;
  auto* disk = static_cast<TDiskRec*>(diskNode->Record);
  int32_t offset = *info.FilesOffset;
  int32_t length = *info.FilesLength;
  if (offset < 0 || length <= 0) return false;
  if (offset > disk->BlockLength || length > disk->BlockLength - offset) StructureError();
  place.Offset = disk->BlockOffset + offset;
  place.Length = length;
  place.BlockEnd = disk->BlockOffset + disk->BlockLength;
  place.Generation = cat.FileGeneration;
  return true;
}

bool ReadCatalogBytes(TCatalogRec& cat, int64_t offset, std::size_t length, uint32_t generation,
                      uint8_t* out) {
  std::lock_guard lock(cat.StreamLock);
  if (cat.FileGeneration != generation || !cat.Stream) return false;
  cat.Stream->Seek(offset);
  if (cat.Stream->Read(out, length) != length) StructureError();
  return true;
}

bool ReadFileListBytes(TNode* node, std::vector<uint8_t>& data) {
  data.clear();
  if (!node || !node->Record) return false;
  TNode* diskNode = DiskNodeOf(node);
  TCatalogRec* cat = CatalogOf(node);
  if (!diskNode || !cat) return false;
  std::lock_guard lock(cat->StreamLock);
  TFileListPlace place;
  if (!FindFileList(node, diskNode, *cat, place)) return false;
  data.resize(std::size_t(place.Length));
  try {
    ReadCatalogBytes(*cat, place.Offset, data.size(), place.Generation, data.data());
  } catch (...) {
    data.clear();
    throw;
  }
  return true;
}

void LoadFilesFromBytes(TNode* node, const uint8_t* data, std::size_t length) {
  if (!node || !node->Record) return;
  TItemRec* rec = node->Record;
  if (KindOf(rec) != ikDisk && KindOf(rec) != ikFolder) return;
  TCatalogRec* cat = CatalogOf(node);
  if (!cat) return;
  std::lock_guard lock(cat->StreamLock);
  TContainerInfo info = ContainerInfo(rec);
  if (*info.FilesLoaded) return;
  ParseFileList(rec, data, length);
  *info.FilesLoaded = 1;
}

void LoadAll(TNode* node) {
  if (!node || !node->Record) return;
  uint8_t kind = KindOf(node->Record);
  if (kind == ikFolder) LoadSubfolders(node);
  if (kind == ikDisk || kind == ikFolder) LoadFiles(node);
  for (int i = 0; i < node->ChildCount(); ++i) LoadAll(node->Child(i));
}

std::string SaveErrorText(const std::string& path, const std::string& message) {
  return "An error occured while saving the catalog " + path + "." + "\r" + message;
}

// ---- writing -----------------------------------------------------------------------------

namespace {

// The positions a save computes; they replace the records' values only once the new file
// is in place, so that lazy reads during the save (and after a failed one) use the old file.
struct TNewContainerPos {
  TItemRec* Rec;
  int32_t FilesOffset, FilesLength, FileCount, DescBytes;
};
struct TNewDiskPos {
  TDiskRec* Disk;
  int64_t BlockOffset;
  int32_t BlockLength, FoldersOffset;
  bool Written;
};

class TCatalogWriter {
 public:
  TCatalogWriter(TNode* catalog, TBufferedWriter& out, TProgress& progress)
      : catalogNode_(catalog),
        cat_(static_cast<TCatalogRec*>(catalog->Record)),
        out_(out),
        progress_(progress) {}

  void Write();
  std::vector<TNewContainerPos> Containers;
  std::vector<TNewDiskPos> Disks;

 private:
  void Text16(std::string_view s) {
    s = CutText(s, MaxText16);
    uint8_t len[2];
    PutU16(len, uint16_t(s.size()));
    out_.Write(len, 2);
    out_.Write(s.data(), s.size());
  }
  void Text8(std::string_view s) {
    s = CutText(s, 255);
    out_.WriteByte(uint8_t(s.size()));
    out_.Write(s.data(), s.size());
  }
  void CopyOld(int64_t from, int64_t count) {
    if (!cat_->Stream) StructureError();
    cat_->Stream->Seek(from);
    if (!cat_->Stream->CopyTo(out_, count)) StructureError();
  }
  void WriteDisk(TNode* diskNode);
  void WriteFileLists(TNode* node, int64_t blockStart, int64_t oldBlock);
  void WriteFolders(TNode* node, int level);
  int32_t Relative(int64_t pos, int64_t blockStart) {
    if (pos - blockStart > INT32_MAX)
      throw EStreamError("The disk \"" + diskName_ + "\" is too large for a catalog file.");
    return int32_t(pos - blockStart);
  }

  TNode* catalogNode_;
  TCatalogRec* cat_;
  TBufferedWriter& out_;
  TProgress& progress_;
  std::string diskName_;
  std::vector<std::size_t> folderPos_;  // index into Containers per folder, in write order
};

int64_t FirstLevelBytes(TNode* diskNode) {
  int64_t total = 0;
  for (auto& c : diskNode->Children)
    if (c->Record && KindOf(c->Record) == ikFolder)
      total += static_cast<TFolderRec*>(c->Record)->TotalSize / SizeScale;
  return total;
}

void TCatalogWriter::Write() {
  out_.Write(CatalogSignature, sizeof CatalogSignature);
  Text16(catalogNode_->Caption);
  Text16(cat_->Description.View());
  bool anyFlag = std::any_of(cat_->FlagNames.begin(), cat_->FlagNames.end(),
                             [](const TText& t) { return !t.Empty(); });
  std::size_t categories = std::min<std::size_t>(cat_->Categories.size(), 254);
  uint8_t count = categories > 0 ? uint8_t(categories) : anyFlag ? 255 : 0;
  out_.WriteByte(count);
  for (std::size_t i = 0; i < categories; ++i) {
    Text16(cat_->Categories[i].Name);
    out_.WriteByte(uint8_t(cat_->Categories[i].Id));
  }
  if (count != 0)
    for (auto& flag : cat_->FlagNames) Text16(flag.View());

  for (auto& child : catalogNode_->Children) {
    TNode* diskNode = child.get();
    if (!diskNode->Record || KindOf(diskNode->Record) != ikDisk) continue;
    auto* disk = static_cast<TDiskRec*>(diskNode->Record);
    if (!disk->Changed && disk->BlockOffset > 0) {
      int64_t at = out_.Position();
      CopyOld(disk->BlockOffset, disk->BlockLength);
      Disks.push_back({disk, at, disk->BlockLength, disk->FoldersOffset, false});
      progress_.Advance(FirstLevelBytes(diskNode));
    } else {
      WriteDisk(diskNode);
    }
  }
}

void TCatalogWriter::WriteDisk(TNode* diskNode) {
  auto* disk = static_cast<TDiskRec*>(diskNode->Record);
  diskName_ = diskNode->Caption;
  int64_t start = out_.Position();
  out_.WriteByte(uint8_t(disk->KindFlags & ~FileBlock));
  uint8_t header[DiskHeaderBytes] = {};
  out_.Write(header, sizeof header);  // filled in when the block is complete
  Text16(diskNode->Caption);
  uint8_t data[DiskDataBytes];
  WriteDiskData(disk, data);
  out_.Write(data, sizeof data);
  Text8(CutText(disk->VolumeLabel, 255));
  Text8(CutText(disk->FileSystem, 255));
  Text16(disk->Description.View());

  std::size_t firstContainer = Containers.size();
  folderPos_.clear();
  WriteFileLists(diskNode, start, disk->BlockOffset);
  int32_t foldersOffset = Relative(out_.Position(), start);
  std::size_t nextFolder = 0;
  // Folder records in the same depth-first order as the file lists.
  struct Walk {
    TCatalogWriter* w;
    std::size_t* next;
    void Visit(TNode* n, int level) {
      for (auto& c : n->Children) {
        TNode* child = c.get();
        if (!child->Record || KindOf(child->Record) != ikFolder) continue;
        if (level > MaxFolderLevel)
          throw EStreamError("The disk \"" + w->diskName_ +
                             "\" has folders nested deeper than 255 levels.");
        auto* f = static_cast<TFolderRec*>(child->Record);
        const TNewContainerPos& pos = w->Containers[w->folderPos_[(*next)++]];
        w->out_.WriteByte(uint8_t(f->KindFlags & ~FileBlock));
        w->out_.WriteByte(uint8_t(level));
        w->Text16(child->Caption);
        uint8_t d[FolderDataBytes];
        PutU32(d + 0, uint32_t(pos.FilesOffset));
        PutU32(d + 4, uint32_t(pos.FilesLength));
        PutU32(d + 8, uint32_t(pos.FileCount));
        PutU32(d + 12, uint32_t(pos.DescBytes));
        PutI64(d + 16, f->TotalSize);
        d[24] = f->Attributes;
        PutU32(d + 25, f->CreatedTime);
        PutU32(d + 29, f->ModifiedTime);
        PutU32(d + 33, f->AccessedTime);
        d[37] = f->Reserved;
        d[38] = f->CategoryFlags;
        w->out_.Write(d, sizeof d);
        w->Text16(f->Description.View());
        Visit(child, level + 1);
      }
    }
  } walk{this, &nextFolder};
  walk.Visit(diskNode, 1);

  int32_t blockLength = Relative(out_.Position(), start);
  const TNewContainerPos& root = Containers[firstContainer];
  PutU32(header + 0, uint32_t(blockLength));
  PutU32(header + 4, uint32_t(foldersOffset));
  PutU32(header + 8, uint32_t(root.FilesOffset));
  PutU32(header + 12, uint32_t(root.FilesLength));
  PutU32(header + 16, uint32_t(root.FileCount));
  PutU32(header + 20, uint32_t(root.DescBytes));
  out_.WriteAt(start + 1, header, sizeof header);
  Disks.push_back({disk, start, blockLength, foldersOffset, true});
}

void TCatalogWriter::WriteFileLists(TNode* node, int64_t blockStart, int64_t oldBlock) {
  TItemRec* rec = node->Record;
  TContainerInfo info = ContainerInfo(rec);
  int64_t listStart = out_.Position();
  int32_t fileCount = *info.FileCount;
  int32_t descBytes = *info.DescBytes;
  int64_t ownBytes = 0;
  if (*info.FilesLoaded) {
    fileCount = 0;
    descBytes = 0;
    for (TFileRec* f = FirstFile(rec); f; f = f->NextFile()) {
      Text8(f->Name());
      uint8_t d[FileDataBytes];
      d[0] = f->Attributes;
      PutU32(d + 1, f->CreatedTime);
      PutU32(d + 5, f->ModifiedTime);
      PutU32(d + 9, f->AccessedTime);
      PutU32(d + 13, f->Size);
      d[17] = f->CategoryFlags;
      out_.Write(d, sizeof d);
      std::string_view desc = CutText(f->Description.View(), MaxText16);
      Text16(desc);
      descBytes += int32_t(2 + desc.size());
      ++fileCount;
      ownBytes += f->Size;
    }
  } else if (*info.FilesOffset >= 0 && *info.FilesLength > 0) {
    CopyOld(oldBlock + *info.FilesOffset, *info.FilesLength);
  }
  int64_t written = out_.Position() - listStart;
  TNewContainerPos pos{rec, -1, -1, fileCount, descBytes};
  if (written > 0) {
    pos.FilesOffset = Relative(listStart, blockStart);
    pos.FilesLength = Relative(out_.Position(), listStart);
  }
  if (KindOf(rec) == ikFolder) folderPos_.push_back(Containers.size());
  Containers.push_back(pos);
  progress_.Advance(ownBytes);

  for (int i = 0; i < node->ChildCount(); ++i) {
    TNode* child = node->Child(i);
    if (!child->Record || KindOf(child->Record) != ikFolder) continue;
    LoadSubfolders(child);  // every folder level must exist before folder records are written
    WriteFileLists(child, blockStart, oldBlock);
  }
}

// The version of the file at path that a save may replace: for the catalog's own file, the
// one it read (or none, for a catalog that was never saved); another path was chosen by the
// user, who agreed to replace what is there. Exists false with check true: there must be none.
struct TExpectedFile {
  bool Check = false;
  TFileIdentity Identity;
};

TExpectedFile ExpectedFileAt(const TCatalogRec* cat, const std::string& path) {
  TExpectedFile e;
  if (cat->FileName.empty()) return e;
  namespace fs = std::filesystem;
  std::error_code ec;
  bool own = path == cat->FileName ||
             fs::absolute(path, ec).lexically_normal() ==
                 fs::absolute(cat->FileName, ec).lexically_normal();
  if (!own) return e;
  e.Check = true;
  if (cat->Stream) e.Identity = cat->Stream->Identity();
  return e;
}

// Refuses the save when another program replaced or rewrote the file since it was read. A
// file that somebody removed is saved anew: nothing is overwritten then.
void CheckStillExpected(const TExpectedFile& expected, const std::string& target) {
  if (!expected.Check) return;
  TFileIdentity now = IdentityOfPath(target);
  if (!now.Exists) return;
  if (!expected.Identity.Exists || !(now == expected.Identity))
    throw ESaveRefused(MsgCatalogReplaced);
}

}  // namespace

void WriteCatalogFile(TNode* catalogNode, const std::string& path, TProgress& progress,
                      TCatalogLock* heldLock) {
  auto* cat = static_cast<TCatalogRec*>(catalogNode->Record);
  std::lock_guard lock(cat->StreamLock);

  progress.SetStatus("Saving catalog...");
  int64_t total = 0;
  for (auto& d : catalogNode->Children) total += FirstLevelBytes(d.get());
  progress.Begin("Saving catalog, please wait...", total > 0 ? total : 1);
  auto finish = [&] {
    progress.End();
    progress.SetStatus("");
  };

  std::unique_ptr<TReadAheadStream> newStream;
  try {
    std::string target = SaveTarget(path);
    // Writers of this program take turns; one that holds the lock already passes it in. A
    // lock that cannot be made (a folder that takes no file) leaves the failure to the save.
    TCatalogLock ownLock(path);
    if (!heldLock) {
      bool free = true;
      try {
        free = ownLock.Lock(false);
      } catch (const ENotRegularFile&) {
        throw ESaveRefused(MsgNotRegularFile);
      } catch (const EStreamError&) {
      }
      if (!free) throw ESaveRefused(MsgCatalogBusy);
    }
    CheckReplaceable(target);
    TExpectedFile expected = ExpectedFileAt(cat, path);
    CheckStillExpected(expected, target);

    TNewFile file(target);
    TBufferedWriter out(file.Fd());
    TCatalogWriter w(catalogNode, out, progress);
    w.Write();
    out.Flush();
    file.TakeOwnerAndMode();
    if (::fsync(file.Fd()) != 0) throw EStreamError(SystemErrorText(errno));
    // The reader of the new file, on its own descriptor: it follows the file to its place.
    int readFd = ::fcntl(file.Fd(), F_DUPFD_CLOEXEC, 0);
    if (readFd < 0) throw EStreamError(SystemErrorText(errno));
    newStream = std::make_unique<TReadAheadStream>(readFd, path, 16384);
    CheckStillExpected(expected, target);
    file.Replace();

    for (const auto& c : w.Containers) {
      TContainerInfo info = ContainerInfo(c.Rec);
      *info.FilesOffset = c.FilesOffset;
      *info.FilesLength = c.FilesLength;
      *info.FileCount = c.FileCount;
      *info.DescBytes = c.DescBytes;
    }
    for (const auto& d : w.Disks) {
      d.Disk->BlockOffset = d.BlockOffset;
      d.Disk->BlockLength = d.BlockLength;
      d.Disk->FoldersOffset = d.FoldersOffset;
      d.Disk->Changed = 0;
    }
  } catch (...) {
    finish();
    throw;
  }
  cat->Stream = std::move(newStream);
  ++cat->FileGeneration;
  cat->FileName = path;
  SetCatalogModified(catalogNode, false);
  finish();
}

}  // namespace tf
