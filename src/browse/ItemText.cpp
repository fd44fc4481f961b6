#include "browse/ItemText.h"

#include <chrono>
#include <exception>

#include "browse/Format.h"
#include "browse/Sort.h"
#include "scan/Utils.h"
#include "store/LoadSave.h"
#include "text/Text.h"

namespace tf {

int ColumnCodeFor(TListSender sender, int column, const TItemRec* rec) {
  if (column < 0) return NoColumn;
  switch (sender) {
    case TListSender::MainList:
    case TListSender::Report: return column;
    case TListSender::SearchResults: {
      static constexpr int map[] = {0, 1, 2, 3, 4, 7, 8, 9};
      return column < int(std::size(map)) ? map[column] : NoColumn;
    }
    case TListSender::UserList: {
      static constexpr int items[] = {0, 1, 2, 3, 7, 8, 9};
      static constexpr int disks[] = {0, NoColumn, 2, 4, 10, 1, NoColumn};
      if (column >= 7) return NoColumn;
      bool item = rec && (KindOf(rec) == ikFile || KindOf(rec) == ikFolder);
      return item ? items[column] : disks[column];
    }
  }
  return NoColumn;
}

namespace {

std::string Description(const TText& d, bool whole) {
  if (d.Empty()) return {};
  return whole ? ToDisplay(d.View()) : ShortenDescription(d.View());
}

std::string NodeText(const TNode* node) { return node ? ToDisplay(node->Caption) : std::string(); }

std::string DiskNameOf(TNode* node) { return NodeText(DiskNodeOf(node)); }

std::string DiskMediaOf(TNode* node) {
  TNode* disk = DiskNodeOf(node);
  if (!disk) return {};
  return MediaTypeName(static_cast<TDiskRec*>(disk->Record)->MediaType);
}

std::string FileText(const TFileRec* f, int code, bool whole) {
  switch (code) {
    case ColName: return ToDisplay(f->Name());
    case ColExtension: return ToDisplay(ExtensionOf(f->Name()));
    case ColSize: return std::to_string(f->Size);
    case ColDate: return FileDateText(f->ModifiedTime);
    case ColTime: return FileTimeText(f->ModifiedTime);
    case ColAttributes: return AttributeLetters(f->Attributes);
    case ColDescription: return Description(f->Description, whole);
    case ColDiskName: return DiskNameOf(f->Node);
    case ColDiskMediaType: return DiskMediaOf(f->Node);
    case ColFolderPath: return ToDisplay(GetFolderPath(f->Node));
    default: return {};
  }
}

std::string FolderText(const TFolderRec* d, int code, bool whole) {
  switch (code) {
    case ColName: return NodeText(d->Node);
    case ColExtension: return d->Node ? ToDisplay(ExtensionOf(d->Node->Caption)) : std::string();
    case ColSize:
      return HasFlag(d, InArchive) ? std::to_string(d->TotalSize / SizeScale) : std::string();
    case ColDate: return FileDateText(d->ModifiedTime);
    case ColTime: return FileTimeText(d->ModifiedTime);
    case ColAttributes: return AttributeLetters(d->Attributes);
    case ColDescription: return Description(d->Description, whole);
    case ColDiskName: return DiskNameOf(d->Node);
    case ColDiskMediaType: return DiskMediaOf(d->Node);
    case ColFolderPath: return d->Node && d->Node->Parent ? ToDisplay(GetFolderPath(d->Node)) : "";
    case ColTotalOrCatalog: return FormatFixedSize(d->TotalSize);
    default: return {};
  }
}

std::string DiskText(const TDiskRec* d, int code, bool whole) {
  switch (code) {
    case ColName: return NodeText(d->Node);
    case ColExtension: return MediaTypeName(d->MediaType);
    case ColSize:
    case ColCapacity: return FormatSize(double(DiskBytes(d, 0)));
    case ColDate:
    case ColFreeSpace: return FormatSize(double(DiskBytes(d, 1)));
    case ColTime: return LastUpdateText(d->LastUpdate);
    case ColAttributes: return Description(d->Description, whole);
    case ColTotalOrCatalog: return NodeText(d->Node ? CatalogNodeOf(d->Node) : nullptr);
    default: return {};
  }
}

std::string CatalogText(const TCatalogRec* c, int code) {
  switch (code) {
    case ColName: return NodeText(c->Node);
    case ColSize: {
      double sum = 0;  // bytes; disks of petabytes add up past any 64-bit count
      if (c->Node)
        for (auto& disk : c->Node->Children)
          if (disk->Kind() == ikDisk)
            sum += double(DiskBytes(static_cast<TDiskRec*>(disk->Record), 0));
      return FormatSize(sum);
    }
    case ColTotalOrCatalog: return std::to_string(c->Node ? c->Node->ChildCount() : 0);
    default: return {};
  }
}

}  // namespace

std::string ItemColumnText(const TItemRec* rec, int code, bool wholeDescription) {
  if (!rec || code < 0) return {};
  try {
    switch (KindOf(rec)) {
      case ikFile: return FileText(static_cast<const TFileRec*>(rec), code, wholeDescription);
      case ikFolder:
        return FolderText(static_cast<const TFolderRec*>(rec), code, wholeDescription);
      case ikDisk: return DiskText(static_cast<const TDiskRec*>(rec), code, wholeDescription);
      case ikCatalog: return CatalogText(static_cast<const TCatalogRec*>(rec), code);
      default: return {};
    }
  } catch (const std::exception&) {
    return {};
  }
}

int ItemIcon(TItemRec* rec, TIconSource& icons) {
  if (!rec) return 0;
  switch (KindOf(rec)) {
    case ikFile: {
      auto* f = static_cast<TFileRec*>(rec);
      if (f->IconIndex < 0) f->IconIndex = int16_t(icons.FileIcon(ToDisplay(f->Name())));
      return f->IconIndex;
    }
    case ikFolder:
      return IsBackEntry(rec) ? icons.BackIcon() : icons.FolderIcon(HasFlag(rec, InArchive));
    case ikDisk: return icons.DriveIcon(static_cast<TDiskRec*>(rec)->MediaType);
    case ikCatalog: return icons.CatalogIcon();
    default: return 0;
  }
}

TItemInfo ListViewVMGetItemInfo(TListSender sender, std::span<TItemRec* const> rows, int index,
                                unsigned request, int column, TItemRec* param,
                                TIconSource* icons) {
  TItemInfo info;
  TItemRec* rec;
  int code;
  bool whole = false;
  if (index >= 0) {
    if (std::size_t(index) >= rows.size()) {
      info.Icon = -1;
      return info;
    }
    rec = rows[std::size_t(index)];
    code = ColumnCodeFor(sender, column, rec);
  } else {
    rec = param;
    code = column;
    whole = sender == TListSender::Report;
  }
  if ((request & InfoText) && code != NoColumn) info.Text = ItemColumnText(rec, code, whole);
  if ((request & InfoIcon) && icons) {
    try {
      info.Icon = ItemIcon(rec, *icons);
    } catch (const std::exception&) {
      info.Icon = 0;
    }
  }
  return info;
}

namespace {

std::string Plural(int64_t n, std::string_view word) {
  std::string s = std::to_string(n) + " " + std::string(word);
  if (n != 1) s += 's';
  return s;
}

}  // namespace

std::string ItemInfoText(std::string_view name, TItemRec* rec) {
  if (!rec) return {};
  std::string s(name);
  switch (KindOf(rec)) {
    case ikFile: {
      auto* f = static_cast<TFileRec*>(rec);
      if (HasFlag(f, InArchive)) s += " (compressed file)";
      return s + ", " + FormatSize(f->Size) + ", " +
             FormatFileDate(TDateFormat::ShortDate, f->ModifiedTime);
    }
    case ikFolder: {
      if (name == "..") return "Previous folder...";
      auto* d = static_cast<TFolderRec*>(rec);
      bool archive = HasFlag(d, InArchive);
      s += archive ? " (compressed archive file), " : " (folder), ";
      s += FormatFixedSize(d->TotalSize);
      if (d->TotalSize != 0) {
        if (d->Node) {
          try {
            LoadSubfolders(d->Node);
          } catch (const std::exception&) {
            // Status text only: the folder's own list reports the damage when it is opened.
          }
        }
        s += archive ? " includes " : " in ";
        s += Plural(d->Node ? d->Node->ChildCount() : 0, "subfolder") + ", " +
             Plural(d->FileCount, "file");
      }
      return s;
    }
    case ikDisk: {
      auto* d = static_cast<TDiskRec*>(rec);
      return s + " (" + MediaTypeName(d->MediaType) + "), " +
             FormatSize(double(DiskBytes(d, 0))) + ", free " + FormatSize(double(DiskBytes(d, 1)));
    }
    case ikCatalog: {
      auto* c = static_cast<TCatalogRec*>(rec);
      s += " (" + (c->FileName.empty() ? std::string("no filename") : ToDisplay(c->FileName)) +
           ")";
      return s + ", total disks: " + std::to_string(c->Node ? c->Node->ChildCount() : 0);
    }
    default: return {};
  }
}

std::string SelectionSummary(std::span<TItemRec* const> selected,
                             const std::function<void()>& slow) {
  if (selected.empty()) return {};
  auto start = std::chrono::steady_clock::now();
  bool slowShown = false;
  double sum = 0;  // bytes: disks of petabytes add up past any 64-bit count
  std::size_t n = 0;
  for (TItemRec* rec : selected) {
    if (rec) {
      switch (KindOf(rec)) {
        case ikFile: sum += double(static_cast<TFileRec*>(rec)->Size); break;
        case ikFolder: sum += double(static_cast<TFolderRec*>(rec)->TotalSize) / SizeScale; break;
        case ikDisk: sum += double(DiskBytes(static_cast<TDiskRec*>(rec), 0)); break;
        default: break;
      }
    }
    if (slow && !slowShown && (++n & 1023) == 0 &&
        std::chrono::steady_clock::now() - start > std::chrono::milliseconds(10)) {
      slowShown = true;
      slow();
    }
  }
  std::size_t count = selected.size();
  return "Selected: " + std::to_string(count) + " item" + (count >= 2 ? "s" : "") + ", " +
         FormatSize(sum);
}

}  // namespace tf
