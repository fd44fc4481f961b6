#include "classify/Properties.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "browse/Format.h"
#include "classify/Categories.h"
#include "platform/Drives.h"
#include "scan/DescFiles.h"
#include "scan/Utils.h"
#include "store/LoadSave.h"
#include "text/Text.h"

namespace tf {

namespace {

std::string Whole(int64_t v) { return std::to_string(v); }
// A volume's byte count (plain bytes) as sizes are shown.
std::string Bytes(uint64_t v) { return FormatSize(double(v)); }

// "1.5 kB  (1536 Bytes)"
std::string SizeWithBytes(int64_t bytes) {
  return FormatSize(double(bytes)) + "  (" + Whole(bytes) + " Bytes)";
}

// Short date + ", " + long time; "(unknown)" for a value that is no date.
std::string DateAndTime(uint32_t packed) {
  TDateTimeParts t;
  if (!DecodeDosDateTime(packed, t)) return "(unknown)";
  return DisplayFormats().ShortDate(t) + ", " + DisplayFormats().LongTime(t);
}

std::string UpperExtension(std::string_view name) { return UpperCase(ExtensionOf(name)); }

std::string TypeNameOf(std::string_view name, bool inArchive, const TFileTypeNames& names) {
  std::string ext(ExtensionOf(name));
  std::string type;
  if (ext.empty())
    type = "unknown file type";
  else if (std::string known = names ? names(ext) : std::string(); !known.empty())
    type = known;
  else
    type = UpperCase(ext) + " file";
  return inArchive ? "Compressed " + type : type;
}

std::string DiskNameText(TNode* diskNode) {
  if (!diskNode) return {};
  auto* d = static_cast<TDiskRec*>(diskNode->Record);
  return ToDisplay(diskNode->Caption) + " (" + MediaTypeName(d->MediaType) + ")";
}

// LastUpdate as a packed date-time: the long date, and the long time when it is not midnight.
std::string UpdatedText(double days) {
  TDateTimeParts t;
  if (!DecodeDayCount(days, t)) return "(unknown)";
  std::string s = DisplayFormats().LongDate(t);
  if (t.Hour || t.Minute || t.Second) s += ", " + DisplayFormats().LongTime(t);
  return s;
}

std::string CrcText(uint32_t crc) {
  char buf[40];
  std::snprintf(buf, sizeof buf, "%032X", crc);
  return buf;
}

// Which group of the catalog statistics a media type counts in.
int MediaGroup(uint8_t mediaType) {
  switch (mediaType) {
    case MediaCdRom: return 0;
    case 2: case 7: case 9: return 1;          // 3.5-inch DD, HD, EHD
    case 0: case 1: case 3: case 4: return 2;  // 5.25-inch DD, HD; 8-inch SD, DD
    case MediaHardDisk: return 3;
    case MediaRemovable: return 4;
    default: return 5;                          // tape, optical, network, RAM disk, others
  }
}

void FillAdvanced(TDiskPageInfo& page, TNode* diskNode, const TDiskRec* d) {
  TAdvancedDiskInfo& a = page.Advanced;
  a.FileSystem = ToDisplay(d->FileSystem);
  a.MaxNameLength = Whole(d->MaxComponentLength);
  a.TotalFiles = diskNode ? Whole(d->TotalFiles) : "?";
  a.TotalFolders = diskNode ? Whole(d->TotalFolders) : "?";
  a.BytesPerSector = Whole(d->BytesPerSector);
  a.SectorsPerCluster = Whole(d->SectorsPerCluster);
  a.ClusterSize = Whole(int64_t(d->BytesPerSector) * d->SectorsPerCluster) + " B";
  uint64_t used = DiskBytes(d, 2), free = DiskBytes(d, 1), capacity = DiskBytes(d, 0);
  if (!diskNode || (d->ScanFlags & ScanSkippedItems)) {
    a.LostSpace = "(unknown)";
  } else {
    // The slack of cluster rounding: what the volume uses beyond the bytes of its files.
    uint64_t files = 0;
    for (TFileRec* f = FirstFile(d); f; f = f->NextFile()) files += f->Size;
    for (int i = 0; i < diskNode->ChildCount(); ++i)
      if (auto* folder = static_cast<TFolderRec*>(diskNode->Child(i)->Record))
        files += uint64_t(std::max<int64_t>(0, folder->TotalSize) / SizeScale);
    a.LostSpace = Bytes(used > files ? used - files : 0);
  }
  int u = UsedShare(used, capacity);
  if (capacity > 0) {
    if (u < 100) a.Slices.push_back({100 - u, "Free: " + Bytes(free), FreeSliceColor});
    a.Slices.push_back({u, "Used: " + Bytes(used), UsedSliceColor});
  }
  a.Footer = "Total capacity: " + Bytes(capacity);
}

void FillDisk(TPropertiesInfo& info, const TPropertiesSubject& s) {
  TNode* diskNode = s.Node ? DiskNodeOf(s.Node) : nullptr;
  const TDiskRec* d = diskNode ? static_cast<const TDiskRec*>(diskNode->Record)
                               : static_cast<const TDiskRec*>(s.Record);
  TDiskPageInfo& p = info.Disk;
  if (!d) return;
  if (diskNode) {
    // The lost space sums the root's files.
    if (!FilesLoaded(d)) LoadFiles(diskNode);
    p.Name = ToDisplay(diskNode->Caption);
  } else {
    p.Name = std::string("Drive ") + s.Drive + ":";
  }
  p.Catalogued = diskNode != nullptr;
  p.MediaType = d->MediaType;
  p.VolumeLabel = ToDisplay(d->VolumeLabel);
  p.MediaTypeName = MediaTypeName(d->MediaType);
  p.Serial = FormatSerial(d->SerialNumber);
  p.Capacity = Bytes(DiskBytes(d, 0));
  p.FreeSpace = Bytes(DiskBytes(d, 1));
  p.Compressed = HasFlag(d, CompressedVolume);
  TNode* catalog = diskNode ? CatalogNodeOf(diskNode) : s.VolumeCatalog;
  if (catalog) {
    p.CatalogName = ToDisplay(catalog->Caption);
    p.Updated = UpdatedText(d->LastUpdate);
  } else {
    p.CatalogName = NotInCatalogYet;
    p.Updated = NotInCatalogYet;
  }
  p.Description = d->Description.Str();
  FillAdvanced(p, diskNode, d);
}

void FillCatalog(TPropertiesInfo& info, TNode* node) {
  auto* c = static_cast<TCatalogRec*>(node->Record);
  TCatalogPageInfo& p = info.Catalog;
  p.Name = ToDisplay(node->Caption);
  p.GroupCaptions = {"CD-ROM:", "Floppy 3.5\" :", "Floppy 5.25\" :", "Hard Disks:", "Removable:",
                     "Other:"};
  std::array<int, 6> counts{};
  std::array<uint64_t, 6> sums{};
  uint64_t storage = 0, used = 0;
  for (int i = 0; i < node->ChildCount(); ++i) {
    auto* d = static_cast<TDiskRec*>(node->Child(i)->Record);
    int g = MediaGroup(d->MediaType);
    ++counts[std::size_t(g)];
    sums[std::size_t(g)] += DiskBytes(d, 0);
    storage += DiskBytes(d, 0);
    used += DiskBytes(d, 2);
  }
  for (std::size_t g = 0; g < 6; ++g) {
    p.Groups[g] = std::to_string(counts[g]);
    if (counts[g]) p.Groups[g] += " (total " + Bytes(sums[g]) + ")";
  }
  p.DiskCount = std::to_string(node->ChildCount());
  p.TotalStorage = Bytes(storage) + "  (" + std::to_string(storage) + " Bytes)";
  p.TotalUsed = Bytes(used) + "  (" + std::to_string(used) + " Bytes)";
  p.Description = c->Description.Str();
}

}  // namespace

TAttributeBoxes AttributeBoxes(uint8_t a) {
  return {(a & 0x20) != 0, (a & 0x02) != 0, (a & 0x04) != 0, (a & 0x01) != 0};
}

int UsedShare(uint64_t used, uint64_t capacity) {
  if (capacity == 0) return 0;
  return int(std::lround(double(used) / double(capacity) * 100.0));
}

std::string DescriptionForEditor(std::string_view stored) {
  std::string s = ToDisplay(stored);
  std::string out;
  out.reserve(s.size());
  for (std::size_t i = 0; i < s.size(); ++i) {
    if (s[i] == '\r' && i + 1 < s.size() && s[i + 1] == '\n') continue;
    out += s[i];
  }
  return out;
}

std::string DescriptionFromEditor(std::string_view text) {
  std::string out;
  out.reserve(text.size() + 16);
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
    if (text[i] == '\n') out += '\r';
    out += text[i];
  }
  return out;
}

int CategoryChoiceIndex(const std::vector<TCategoryChoice>& choices, uint8_t categoryFlags) {
  int id = categoryFlags & CategoryMask;
  for (std::size_t i = 1; i < choices.size(); ++i)
    if (choices[i].Id == id && id != 0) return int(i);
  return 0;
}

uint8_t CategoryByte(int categoryId, const std::array<bool, 3>& flags) {
  uint8_t v = uint8_t(categoryId & CategoryMask);
  for (int j = 1; j <= 3; ++j)
    if (flags[std::size_t(j - 1)]) v |= UserFlagBit(j);
  return v;
}

TPropertiesInfo FillProperties(const TPropertiesSubject& s, const TFileTypeNames& typeNames) {
  TPropertiesInfo info;
  TItemRec* r = s.Record ? s.Record : (s.Node ? s.Node->Record : nullptr);
  if (!r) return info;
  uint8_t kind = KindOf(r);
  info.Visible[FileSheet] = kind == ikFile;
  info.Visible[DirectorySheet] = s.Node && s.Node->Kind() == ikFolder;
  info.Visible[DiskSheet] = kind != ikCatalog;
  info.Visible[CatalogSheet] = kind == ikCatalog;
  for (int p = 0; p < PageCount; ++p)
    if (info.Visible[std::size_t(p)]) {
      info.FirstPage = p;
      break;
    }

  // Common parts: the catalog's categories and flags.
  TCatalogRec* catalog = s.Node ? CatalogOf(s.Node) : nullptr;
  if (catalog && !catalog->Categories.empty()) {
    info.Categories.push_back({NoneCategory, 0});
    for (const TCategory& c : catalog->Categories) info.Categories.push_back({ToDisplay(c.Name), c.Id});
    info.CategoriesEnabled = true;
  } else {
    info.Categories.push_back({NoCategoriesChoice, 0});
  }
  if (catalog)
    for (int j = 1; j <= UserFlagCount; ++j)
      if (FlagDefined(*catalog, j))
        info.Flags.emplace_back(ToDisplay(catalog->FlagNames[std::size_t(j - 1)].View()), j);

  TNode* diskNode = s.Node ? DiskNodeOf(s.Node) : nullptr;
  if (info.Visible[FileSheet]) {
    auto* f = static_cast<TFileRec*>(r);
    TFilePageInfo& p = info.File;
    bool inArchive = HasFlag(f, InArchive);
    p.Name = ToDisplay(f->Name());
    p.TypeName = TypeNameOf(f->Name(), inArchive, typeNames);
    p.Size = SizeWithBytes(f->Size);
    p.Modified = DateAndTime(f->ModifiedTime);
    if (inArchive) {
      // An archive entry keeps its compressed size and CRC where other files keep times.
      uint32_t compressed = f->AccessedTime;
      p.CreatedCaption = "Compressed Size:";
      if (compressed == 0)
        p.Created = "(unknown)";
      else if (f->Size == 0)
        p.Created = FormatSize(compressed);  // no ratio of nothing
      else
        p.Created = FormatSize(compressed) + "  (ratio: " +
                    std::to_string(100 - std::lround(100.0 * compressed / f->Size)) + " %)";
      p.AccessedCaption = "File CRC:";
      p.Accessed = CrcText(f->CreatedTime);
    } else {
      p.CreatedCaption = "Created on:";
      p.Created = DateAndTime(f->CreatedTime);
      p.AccessedCaption = "Last Accessed on:";
      p.Accessed = FormatFileDate(TDateFormat::ShortDate, f->AccessedTime);
    }
    p.DiskName = DiskNameText(diskNode);
    p.Location = s.Node ? ToDisplay(GetFolderPath(s.Node)) : "\\";
    p.Attributes = AttributeBoxes(f->Attributes);
    p.CategoryFlags = f->CategoryFlags;
    p.Description = f->Description.Str();
  }
  if (info.Visible[DirectorySheet]) {
    auto* d = static_cast<TFolderRec*>(s.Node->Record);
    TFolderPageInfo& p = info.Folder;
    p.Archive = HasFlag(d, InArchive);
    p.Caption = p.Archive ? "Archive file" : "Folder info";
    p.Name = ToDisplay(s.Node->Caption);
    p.TypeName = p.Archive ? "Compressed file (" + UpperExtension(s.Node->Caption) + ")" : "Folder";
    p.SizeCaption = p.Archive ? "File Size:" : "Folder Size:";
    p.Size = FormatFixedSize(d->TotalSize) + "  (" + Whole(d->TotalSize / SizeScale) + " Bytes)";
    p.Created = DateAndTime(d->CreatedTime);
    p.Modified = DateAndTime(d->ModifiedTime);
    p.Accessed = FormatFileDate(TDateFormat::ShortDate, d->AccessedTime);
    p.DiskName = DiskNameText(diskNode);
    p.Location = ToDisplay(GetFolderPath(s.Node));
    p.DescriptionCaption = p.Archive ? "Archive File Description:" : "Folder Description:";
    p.Attributes = AttributeBoxes(d->Attributes);
    p.CategoryFlags = d->CategoryFlags;
    p.Description = d->Description.Str();
  }
  if (info.Visible[DiskSheet]) FillDisk(info, s);
  if (info.Visible[CatalogSheet]) FillCatalog(info, s.Node);
  return info;
}

TPropertiesChanges ApplyProperties(const TPropertiesSubject& s, const TPropertiesInfo& shown,
                                   const TPropertiesEdits& e) {
  TPropertiesChanges c;
  TItemRec* r = s.Record ? s.Record : (s.Node ? s.Node->Record : nullptr);
  if (!r || !s.Node) return c;  // a volume not in a catalog has nothing to write to
  auto byte = [](uint8_t* stored, const std::optional<uint8_t>& chosen, TNode* node) {
    if (!stored || !chosen || *stored == *chosen) return false;
    *stored = *chosen;
    SetDiskChanged(node, true);
    return true;
  };
  auto text = [](TNode* node, TFileRec* file, const std::optional<std::string>& edited) {
    return edited && StoreEditedDescription(node, file, DescriptionFromEditor(*edited));
  };
  if (shown.Visible[FileSheet] && KindOf(r) == ikFile) {
    auto* f = static_cast<TFileRec*>(r);
    c.File |= byte(&f->CategoryFlags, e.FileByte, s.Node);
    c.File |= text(s.Node, f, e.FileDescription);
  }
  if (shown.Visible[DirectorySheet]) {
    c.Folder |= byte(CategoryFlagsOf(s.Node->Record), e.FolderByte, s.Node);
    c.Folder |= text(s.Node, nullptr, e.FolderDescription);
  }
  if (shown.Visible[DiskSheet])
    if (TNode* disk = DiskNodeOf(s.Node)) c.Disk = text(disk, nullptr, e.DiskDescription);
  if (shown.Visible[CatalogSheet])
    if (TNode* cat = CatalogNodeOf(s.Node)) c.Catalog = text(cat, nullptr, e.CatalogDescription);
  return c;
}

}  // namespace tf
