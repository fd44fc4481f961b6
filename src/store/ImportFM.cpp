#include "store/ImportFM.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <map>
#include <optional>
#include <unordered_map>
#include <utility>
#include <vector>

#include "store/LoadSave.h"
#include "text/Description.h"
#include "text/Text.h"

namespace tf {

namespace {

namespace fs = std::filesystem;

uint16_t U16(const uint8_t* p) { return uint16_t(p[0] | p[1] << 8); }
int32_t I32(const uint8_t* p) {
  return int32_t(uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24);
}

std::string Trimmed(std::string_view s) {
  std::size_t b = s.find_first_not_of(' ');
  if (b == s.npos) return {};
  std::size_t e = s.find_last_not_of(' ');
  return std::string(s.substr(b, e - b + 1));
}

// A file of the database, read through a buffer of the size the old program used.
class TDbFile {
 public:
  TDbFile(const std::string& path, std::size_t buffer) : path_(path) {
    f_ = std::fopen(path.c_str(), "rb");
    if (f_) std::setvbuf(f_, nullptr, _IOFBF, buffer);
  }
  ~TDbFile() {
    if (f_) std::fclose(f_);
  }
  TDbFile(const TDbFile&) = delete;
  TDbFile& operator=(const TDbFile&) = delete;

  bool IsOpen() const { return f_ != nullptr; }
  std::string Name() const { return fs::path(path_).filename().string(); }
  int64_t Position() const { return position_; }

  // Up to n bytes; fewer only at the end of the file.
  std::size_t Read(void* to, std::size_t n) {
    std::size_t got = std::fread(to, 1, n, f_);
    if (got < n && std::ferror(f_))
      throw EImportError(path_ + ": " + std::strerror(errno ? errno : EIO));
    position_ += int64_t(got);
    return got;
  }
  int Byte() {
    uint8_t c;
    return Read(&c, 1) == 1 ? c : EOF;
  }
  // A text line ended by CR LF (or a CR or LF alone, as DOS readers took them); false at the
  // end of the file. At most max bytes are kept; longer tells that there were more.
  bool Line(std::string& line, std::size_t max, bool& longer) {
    line.clear();
    longer = false;
    int c = Byte();
    if (c == EOF) return false;
    for (; c != EOF; c = Byte()) {
      if (c == '\n') break;
      if (c == '\r') {
        int next = Byte();
        if (next != '\n' && next != EOF) Unread(next);
        break;
      }
      if (line.size() < max)
        line += char(c);
      else
        longer = true;
    }
    return true;
  }

 private:
  void Unread(int c) {
    std::ungetc(c, f_);
    --position_;
  }
  std::string path_;
  std::FILE* f_ = nullptr;
  int64_t position_ = 0;
};

[[noreturn]] void Damaged(const TDbFile& file, const std::string& what) {
  throw EImportError("The Kestrevane database is damaged: " + file.Name() + " " + what + ".");
}

// The disk number in a comment line's first four characters: blanks around a whole number
// with an optional sign.
std::optional<int> DiskNumberOf(std::string_view line) {
  std::string_view s = line.substr(0, 4);
  std::size_t i = 0;
  while (i < s.size() && s[i] == ' ') ++i;
  bool negative = false;
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) negative = s[i++] == '-';
  std::size_t digits = 0;
  int value = 0;
  for (; i < s.size() && s[i] >= '0' && s[i] <= '9'; ++i, ++digits) value = value * 10 + (s[i] - '0');
  while (i < s.size() && s[i] == ' ') ++i;
  if (digits == 0 || i != s.size()) return std::nullopt;
  return negative ? -value : value;
}

bool IsNameLine(std::string_view line) { return !line.empty() && uint8_t(line[0]) == 0xEB; }
std::string NameOfLine(std::string_view line) {
  return Trimmed(Cp437ToUtf8(line.size() > 2 ? line.substr(2) : std::string_view()));
}

// A description or comment as the catalog keeps every description.
std::string DescriptionText(std::string_view cp437) {
  return std::string(CutText(ReplaceBoxCharacters(Cp437ToUtf8(cp437)), MaxText16));
}

bool IsLeap(int y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

// Appends a node below a parent that is not in a tree (yet).
TNode* AppendDetached(TNode* parent, std::unique_ptr<TNode> node) {
  node->Parent = parent;
  node->Row = parent->ChildCount();
  parent->Children.push_back(std::move(node));
  return parent->Children.back().get();
}

// Ends the wait window however the import ends.
class TImportProgress {
 public:
  TImportProgress(TProgress& p, int64_t disks) : p_(p) {
    p_.SetStatus(ImportStatusText);
    p_.Begin(ImportWaitText, disks);
  }
  ~TImportProgress() {
    p_.End();
    p_.SetStatus("");
  }
  TImportProgress(const TImportProgress&) = delete;
  TImportProgress& operator=(const TImportProgress&) = delete;
  void Advance() { p_.Advance(1); }

 private:
  TProgress& p_;
};

using TDescriptions = std::map<std::pair<uint16_t, int32_t>, std::string>;

TDescriptions ReadDescriptions(const std::string& path) {
  TDescriptions out;
  TDbFile f(path, 4096);
  if (!f.IsOpen()) return out;
  uint8_t head[6];
  for (;;) {
    std::size_t got = f.Read(head, sizeof head);
    if (got == 0) break;
    if (got < sizeof head) Damaged(f, "ends inside an entry's head");
    std::string text;
    for (;;) {
      int c = f.Byte();
      if (c == EOF) Damaged(f, "ends inside a description");
      if (c == '\r') break;
      if (text.size() == 255) Damaged(f, "holds a description longer than 255 characters");
      if (c == 0)
        text += "\r\n";  // a zero stands for a line break
      else
        text += char(c);
    }
    f.Byte();  // the line feed after the carriage return
    // The first entry of a key counts; the old program found that one.
    out.emplace(std::pair{U16(head), I32(head + 2)}, DescriptionText(text));
  }
  return out;
}

}  // namespace

// ---- names and values -----------------------------------------------------------------------

std::string DatabaseFile(const std::string& dskPath, std::string_view ext) {
  fs::path dsk(dskPath);
  std::string stem = dsk.stem().string();
  std::string dskExt = dsk.extension().string();
  bool lower = !dskExt.empty() && dskExt == LowerCase(dskExt) && dskExt != UpperCase(dskExt);
  std::string wanted = stem + "." + (lower ? LowerCase(ext) : UpperCase(ext));
  fs::path folder = dsk.parent_path();
  fs::path exact = folder / wanted;
  std::error_code ec;
  if (fs::exists(exact, ec)) return exact.string();
  for (fs::directory_iterator it(folder.empty() ? fs::path(".") : folder, ec), end;
       !ec && it != end; it.increment(ec)) {
    std::string name = it->path().filename().string();
    if (EqualsNoCase(name, wanted)) return (folder / name).string();
  }
  return exact.string();
}

uint8_t ImportedMediaType(uint8_t firstByte, uint8_t driveType, int32_t capacity) {
  if (firstByte == 0) return 5;
  switch (driveType & 0x1F) {
    case 0:
    case 1: return capacity < 614400 ? 0 : 1;
    case 2: return capacity < 921600 ? 2 : capacity < 2048000 ? 7 : 9;
    default: return (driveType >> 5) == 1 ? 10 : ImportedUnknownMedia;
  }
}

double ImportedDate(int day, int month, int yearFrom1900) {
  static constexpr int lengths[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  int year = 1900 + yearFrom1900;
  if (month < 1 || month > 12) return 0;
  int length = month == 2 && IsLeap(year) ? 29 : lengths[month - 1];
  if (day < 1 || day > length) return 0;
  // Days from 1 March of year 0 (proleptic Gregorian), then from 30 December 1899.
  int y = month <= 2 ? year - 1 : year;
  int m = month <= 2 ? month + 9 : month - 3;
  int64_t days = 365LL * y + y / 4 - y / 100 + y / 400 + (153 * m + 2) / 5 + day - 1;
  constexpr int64_t dayZero = 693899;  // 30 December 1899 on that count
  return double(days - dayZero);
}

std::string ImportedName(std::string_view name) {
  std::string s(name);
  if (s == UpperCase(s)) s = LowerCase(s);
  if (s.empty()) return s;
  bool utf8 = IsValidUtf8(s);
  std::u32string chars = DecodeText(s);
  chars[0] = UpperChar(chars[0]);
  return EncodeText(chars, utf8);
}

// ---- the check ------------------------------------------------------------------------------

TDatabaseCheck CheckDatabase(const std::string& dskPath) {
  TDatabaseCheck check;
  if (dskPath.empty()) {
    check.NameLabel = NoDatabaseSelectedText;
    return check;
  }
  TDbFile cmt(DatabaseFile(dskPath, "CMT"), 512);
  if (!cmt.IsOpen()) {
    check.NameLabel = InvalidDatabaseText;
    return check;
  }
  bool found = false, error = false;
  std::string line, name;
  bool longer = false;
  try {
    while (!error && cmt.Position() < 1024 && cmt.Line(line, 255, longer)) {
      if (longer)
        error = true;
      else if (IsNameLine(line)) {
        name = NameOfLine(line);
        found = true;
      } else if (!DiskNumberOf(line)) {
        error = true;
      }
    }
  } catch (const EImportError&) {
    error = true;
  }
  struct stat st {};
  bool whole = ::stat(dskPath.c_str(), &st) == 0 && S_ISREG(st.st_mode) &&
               st.st_size % int64_t(DiskRecordBytes) == 0;
  if (found && !error && whole) {
    check.Valid = true;
    check.NameLabel = name;
    check.Disks = st.st_size / int64_t(DiskRecordBytes);
    check.CountLabel = DisksInDatabaseText + std::to_string(check.Disks);
  } else {
    check.NameLabel = NotDatabaseText;
  }
  return check;
}

// ---- the import -----------------------------------------------------------------------------

std::unique_ptr<TNode> ImportDatabase(const std::string& dskPath, TUserPrompts& prompts,
                                      TProgress& progress, const TGeometryEstimate& geometry) {
  TDatabaseCheck check = CheckDatabase(dskPath);
  if (!check.Valid) throw EImportError(check.NameLabel);

  auto* catalogRec = new TCatalogRec;
  std::unique_ptr<TNode> catalog = MakeNode(ImportedCatalogCaption, catalogRec);
  catalog->Bold = true;
  // Whatever ends the import early frees what it built.
  struct TGuard {
    std::unique_ptr<TNode>& node;
    ~TGuard() {
      if (node) FreeDetachedNode(std::move(node));
    }
  } guard{catalog};
  TImportProgress shown(progress, check.Disks);

  // Disks, keyed by their number while the import runs (the first disk of a number).
  std::unordered_map<uint16_t, TNode*> disks;
  {
    TDbFile dsk(dskPath, 4096);
    if (!dsk.IsOpen()) throw EImportError(dskPath + ": " + std::strerror(errno));
    uint8_t r[DiskRecordBytes];
    for (std::size_t got; (got = dsk.Read(r, sizeof r)) != 0;) {
      if (got < sizeof r) Damaged(dsk, "ends inside a disk record");
      if (r[15] > 20) Damaged(dsk, "holds a disk name longer than 20 characters");
      std::string name = Cp437ToUtf8(std::string_view(reinterpret_cast<const char*>(r + 16), r[15]));
      auto* disk = new TDiskRec;  // a new disk: changed, its root files in memory, no block
      int32_t capacity = I32(r + 2), free = I32(r + 6);
      disk->MediaType = ImportedMediaType(r[0], r[14], capacity);
      disk->MaxComponentLength = 255;
      disk->SerialNumber = 0;
      disk->FileSystem = disk->MediaType == 10 ? "CDFS" : "FAT";
      geometry(*disk, int64_t(std::max(capacity, 0)) * SizeScale,
               int64_t(std::max(free, 0)) * SizeScale);
      disk->LastUpdate = ImportedDate(r[36], r[37], r[38]);
      TNode* node = AppendDetached(catalog.get(), MakeNode(name.empty() ? "(unknown)" : name, disk));
      disks.emplace(U16(r), node);
    }
  }

  // The database's name and the disks' comments. A comment line whose number cannot be read
  // is passed over, so that one bad line does not end the import half-way.
  {
    TDbFile cmt(DatabaseFile(dskPath, "CMT"), 4096);
    std::string line;
    bool longer = false;
    while (cmt.IsOpen() && cmt.Line(line, std::string::npos, longer)) {
      if (IsNameLine(line)) {
        std::string name = NameOfLine(line);
        if (!name.empty()) catalog->Caption = name;
      } else if (line.size() > 6) {
        std::optional<int> number = DiskNumberOf(line);
        if (!number || *number < 0 || *number > 0xFFFF) continue;
        auto it = disks.find(uint16_t(*number));
        if (it != disks.end())
          static_cast<TDiskRec*>(it->second->Record)->Description.Assign(DescriptionText(line.substr(6)));
      }
    }
  }

  TDescriptions descriptions = ReadDescriptions(DatabaseFile(dskPath, "FDS"));

  TDbFile fil(DatabaseFile(dskPath, "FIL"), 4096);
  if (!fil.IsOpen()) {
    prompts.Message(NoFileListTitle, NoFileListText, TButtons::Ok, TIcon::Error);
  } else {
    TNode* container = nullptr;  // null: the records of an unknown disk are passed over
    TDiskRec* disk = nullptr;
    int depth = 0;
    bool archive = false;
    int32_t entry = 0;
    std::optional<uint16_t> number;
    std::unordered_map<TItemRec*, TFileRec*> lastFile;  // the end of each container's chain
    uint8_t r[FileRecordBytes];
    for (std::size_t got; (got = fil.Read(r, sizeof r)) != 0;) {
      if (got < sizeof r) Damaged(fil, "ends inside a record");
      if (r[2] > 12) Damaged(fil, "holds a name longer than 12 characters");
      std::string_view raw(reinterpret_cast<const char*>(r + 3), r[2]);
      int32_t size = std::max(I32(r + 15), 0);
      uint8_t attributes = r[19];

      if (uint16_t n = U16(r); n != number) {
        number = n;
        auto it = disks.find(n);
        container = it == disks.end() ? nullptr : it->second;
        disk = container ? static_cast<TDiskRec*>(container->Record) : nullptr;
        depth = 0;
        entry = 0;
        archive = false;
        if (container) shown.Advance();
      }
      if (!container) continue;
      ++entry;

      TItemRec* described = nullptr;
      if (attributes & 0x50) {
        bool back = raw == "..";
        bool inArchive = HasFlag(container->Record, ikFolder) && HasFlag(container->Record, InArchive);
        if (back || ((attributes & 0x40) && inArchive)) {
          // Close the current folder; a closing record at a disk's root has nothing to close.
          if (container->Kind() == ikFolder) {
            TNode* parent = container->Parent;
            if (parent->Kind() == ikFolder)
              static_cast<TFolderRec*>(parent->Record)->TotalSize +=
                  static_cast<TFolderRec*>(container->Record)->TotalSize;
            container = parent;
            --depth;
          }
          archive = false;
        }
        if (back) continue;
        if (depth == MaxFolderLevel) Damaged(fil, "nests folders deeper than 255 levels");
        bool asArchive = (attributes & 0x40) || inArchive;
        auto* folder = new TFolderRec;  // as a scan makes it: files in memory, nothing stored
        folder->Attributes = attributes & 0x3F;
        if (asArchive) {
          SetFlag(folder, InArchive, true);
          folder->TotalSize = int64_t(size) * SizeScale;
          archive = true;
        }
        ++disk->TotalFolders;
        container = AppendDetached(container, MakeNode(ImportedName(Cp437ToUtf8(raw)), folder));
        ++depth;
        described = folder;
      } else {
        TFileRec* f = TFileRec::Create(ImportedName(Cp437ToUtf8(raw)),
                                       uint8_t(ikFile | (archive ? InArchive : 0)));
        f->Attributes = attributes & 0x3F;
        f->Size = uint32_t(size);
        f->Node = container;
        LinkFile(container->Record, lastFile[container->Record], f);
        ++*ContainerInfo(container->Record).FileCount;
        ++disk->TotalFiles;
        if (!archive && container->Kind() == ikFolder)
          static_cast<TFolderRec*>(container->Record)->TotalSize += int64_t(size) * SizeScale;
        described = f;
      }
      auto d = descriptions.find({*number, entry});
      if (d != descriptions.end()) {
        DescriptionOf(described)->Assign(d->second);
        if (KindOf(described) == ikFile && !d->second.empty())
          SetFlag(container->Record, HasFileDescriptions, true);
        descriptions.erase(d);
      }
    }
  }
  catalogRec->Modified = 1;
  std::unique_ptr<TNode> done = std::move(catalog);  // the guard lets go
  return done;
}

}  // namespace tf
