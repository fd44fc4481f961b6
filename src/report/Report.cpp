#include "report/Report.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "browse/ItemText.h"
#include "scan/Utils.h"
#include "store/LoadSave.h"
#include "text/Text.h"

namespace tf {

namespace {

constexpr std::size_t PageWidth = 80;
constexpr char TruncationMark[] = "\xC2\xAF";  // U+00AF, the macron

std::string Blanks(std::size_t n) { return std::string(n, ' '); }

// Pads to the page width with the text in the middle (the spare blank, if any, on the right);
// a text at least as wide stays as it is.
std::string Centred(std::string_view text) {
  std::size_t n = CharCount(text);
  if (n >= PageWidth) return std::string(text);
  std::size_t left = (PageWidth - n) / 2;
  return Blanks(left) + std::string(text) + Blanks(PageWidth - n - left);
}

// The lines of a text; descriptions separate them with CR LF, other texts may use either.
void SplitLines(std::string_view text, std::vector<std::string_view>& lines) {
  lines.clear();
  std::size_t start = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\r' && text[i] != '\n') continue;
    lines.push_back(text.substr(start, i - start));
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
    start = i + 1;
  }
  lines.push_back(text.substr(start));
}

std::vector<std::string_view> SplitLines(std::string_view text) {
  std::vector<std::string_view> lines;
  SplitLines(text, lines);
  return lines;
}

std::size_t LongestLine(std::string_view text) {
  std::size_t longest = 0, n = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    char c = text[i];
    if (c == '\r' || c == '\n') {
      longest = std::max(longest, n);
      n = 0;
      if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
    } else if ((static_cast<unsigned char>(c) & 0xC0) != 0x80) {
      ++n;
    }
  }
  return std::max(longest, n);
}

// The first n characters of a UTF-8 text.
std::string_view FirstChars(std::string_view text, std::size_t n) {
  std::size_t i = 0;
  for (; i < text.size(); ++i) {
    if ((static_cast<unsigned char>(text[i]) & 0xC0) == 0x80) continue;
    if (n == 0) break;
    --n;
  }
  return text.substr(0, i);
}

std::string RuleOf(char c, std::size_t n = PageWidth) { return std::string(n, c); }

// The file a report is written to, through one large buffer.
class TFileOutput final : public TReportOutput {
 public:
  explicit TFileOutput(int fd) : fd_(fd) { buffer_.reserve(Capacity); }
  void Write(std::string_view bytes) override {
    if (buffer_.size() + bytes.size() > Capacity) Flush();
    if (bytes.size() >= Capacity)
      WriteAll(bytes);
    else
      buffer_.append(bytes);
  }
  void Flush() {
    WriteAll(buffer_);
    buffer_.clear();
  }

 private:
  static constexpr std::size_t Capacity = std::size_t(1) << 20;
  void WriteAll(std::string_view bytes) {
    while (!bytes.empty()) {
      ssize_t n = ::write(fd_, bytes.data(), bytes.size());
      if (n < 0) {
        if (errno == EINTR) continue;
        throw EReportWrite(errno);
      }
      if (n == 0) throw EReportWrite(EIO);
      bytes.remove_prefix(std::size_t(n));
    }
  }
  int fd_;
  std::string buffer_;
};

}  // namespace

std::size_t CharCount(std::string_view text) {
  std::size_t n = 0;
  for (char c : text)
    if ((static_cast<unsigned char>(c) & 0xC0) != 0x80) ++n;
  return n;
}

int FindDetailLevel(std::string_view name) {
  for (int i = 0; i < DetailLevelCount; ++i)
    if (name == DetailLevels[i].Name) return i;
  return -1;
}

// ---- columns --------------------------------------------------------------------------------

TReportColumns::TReportColumns() {
  struct TInit {
    const char* Caption;
    int Field;
    TAlignment Alignment;
    int MaxWidth;
  };
  using A = TAlignment;
  static const std::vector<TInit> sets[ColumnSetCount] = {
      {{"File name", ColName, A::Left, 30},
       {"File path", ColFolderPath, A::Left, 65},
       {"Extension", ColExtension, A::Left, 15},
       {"File size", ColSize, A::Right, 20},
       {"Date", ColDate, A::Right, 30},
       {"Time", ColTime, A::Right, 20},
       {"Attr", ColAttributes, A::Centre, 10},
       {"Description", ColDescription, A::Left, 80},
       {"Location", ColDiskName, A::Left, 40}},
      {{"Folder name", ColName, A::Left, 30},
       {"Folder path", ColFolderPath, A::Left, 65},
       {"Extension", ColExtension, A::Left, 15},
       {"Folder size", ColTotalOrCatalog, A::Right, 20},
       {"Date", ColDate, A::Right, 30},
       {"Time", ColTime, A::Right, 20},
       {"Attr", ColAttributes, A::Centre, 10},
       {"Description", ColDescription, A::Left, 80},
       {"Location", ColDiskName, A::Left, 20}},
      {{"Disk name", ColName, A::Left, 40},
       {"Media type", ColExtension, A::Left, 20},
       {"Capacity", ColCapacity, A::Right, 15},
       {"Free space", ColFreeSpace, A::Right, 15},
       {"Last Updated", ColTime, A::Right, 30},
       {"Description", ColAttributes, A::Left, 80},
       {"Catalog Name", ColTotalOrCatalog, A::Left, 40}},
      {{"Catalog name", ColName, A::Left, 40},
       {"Total catalog size", ColSize, A::Right, 20},
       {"Disks in catalog", ColTotalOrCatalog, A::Right, 16}},
  };
  for (int set = 0; set < ColumnSetCount; ++set) {
    for (int slot = 0; slot < ColumnSlots; ++slot) {
      TReportColumn& c = sets_[std::size_t(set)][std::size_t(slot)];
      c.Position = slot;
      if (std::size_t(slot) < sets[set].size()) {
        const TInit& init = sets[set][std::size_t(slot)];
        c.Caption = init.Caption;
        c.Field = init.Field;
        c.Alignment = init.Alignment;
        c.MaxWidth = init.MaxWidth;
      }
    }
  }
}

std::vector<int> TReportColumns::Ordered(int set) const {
  std::vector<int> slots;
  for (int slot = 0; slot < ColumnSlots; ++slot)
    if (!Slot(set, slot).Caption.empty()) slots.push_back(slot);
  std::stable_sort(slots.begin(), slots.end(), [&](int a, int b) {
    return Slot(set, a).Position < Slot(set, b).Position;
  });
  return slots;
}

void TReportColumns::SwapPositions(int set, int slotA, int slotB) {
  std::swap(Slot(set, slotA).Position, Slot(set, slotB).Position);
}

bool TReportColumns::Choose(int set, const std::vector<std::string>& captions,
                            std::string& unknown) {
  std::vector<int> chosen;
  for (const std::string& caption : captions) {
    int found = -1;
    for (int slot = 0; slot < ColumnSlots && found < 0; ++slot) {
      const std::string& c = Slot(set, slot).Caption;
      if (!c.empty() && EqualsNoCase(c, caption)) found = slot;
    }
    if (found < 0) {
      unknown = caption;
      return false;
    }
    if (std::find(chosen.begin(), chosen.end(), found) == chosen.end()) chosen.push_back(found);
  }
  std::vector<int> rest;
  for (int slot : Ordered(set))
    if (std::find(chosen.begin(), chosen.end(), slot) == chosen.end()) rest.push_back(slot);
  int position = 0;
  for (int slot : chosen) {
    Slot(set, slot).Checked = true;
    Slot(set, slot).Position = position++;
  }
  for (int slot : rest) {
    Slot(set, slot).Checked = false;
    Slot(set, slot).Position = position++;
  }
  return true;
}

// ---- choices ----------------------------------------------------------------------------

bool SeparateSubfoldersEnabled(int level, TReportSource source) {
  return level >= 0 && level < DetailLevelCount &&
         DetailLevels[level].ColumnSet == ColumnSetFolders && source == TReportSource::CatalogItem;
}

TNode* ReportStartNode(TNode* selected, int level) {
  int set = DetailLevels[level].ColumnSet;
  TNode* node = selected;
  while (node && node->Record && node->Kind() < set && node->Parent && node->Parent->Record)
    node = node->Parent;
  return node && node->Record ? node : nullptr;
}

EReportWrite::EReportWrite(int error) : std::runtime_error(std::strerror(error)), Error(error) {}

// ---- the writer -------------------------------------------------------------------------

TReportWriter::TReportWriter(const TReportSettings& settings, const TReportColumns& columns,
                             TReportOutput& out, TProgress& progress)
    : settings_(settings), level_(DetailLevels[settings.Level]), out_(out), progress_(progress) {
  for (int slot : columns.Ordered(level_.ColumnSet)) {
    const TReportColumn& c = columns.Slot(level_.ColumnSet, slot);
    if (c.Checked) columns_.push_back(&c);
  }
}

void TReportWriter::Line(std::string_view text) {
  line_.assign(text);
  line_ += '\n';
  out_.Write(line_);
}

void TReportWriter::Pump() { progress_.Cancelled(); }  // lets pending events run

void TReportWriter::At(TNode* container) {
  if (Walking) Walking(container);
}

bool TReportWriter::Listed(const TItemRec* rec) const { return listed_.count(rec) != 0; }

void TReportWriter::Head(const TDateTimeParts& now) {
  const TDisplayFormats& f = DisplayFormats();
  std::string date = f.ShortDate(now) + ", " + f.LongTime(now);
  std::size_t used = CharCount(settings_.ProgramLine) + CharCount(date);
  Line(RuleOf('='));
  Line(settings_.ProgramLine + Blanks(used < PageWidth ? PageWidth - used : 1) + date);
  Line("");
  Line(Centred("R E P O R T    F I L E"));
  Line("");
  Line(RuleOf('='));
  Line("");
  Line("");
}

void TReportWriter::Tail() {
  Line(RuleOf('='));
  Line(Centred("E N D   O F   R E P O R T"));
  Line(RuleOf('='));
}

void TReportWriter::BodyFromItem(TNode* selected) {
  listMode_ = false;
  separateEnabled_ = SeparateSubfoldersEnabled(settings_.Level, TReportSource::CatalogItem);
  separateChecked_ = separateEnabled_ && settings_.SeparateSubfolders;
  lastCatalog_ = lastDisk_ = lastFolder_ = nullptr;
  rows_.clear();
  if (TNode* start = ReportStartNode(selected, settings_.Level)) ReportNode(start, true);
  At(nullptr);
  Flush();
}

void TReportWriter::BodyFromList(TCatalogTree& tree, std::span<TItemRec* const> records) {
  listMode_ = true;
  separateEnabled_ = separateChecked_ = false;
  listed_.clear();
  for (TItemRec* rec : records)
    if (rec) listed_.insert(rec);
  lastCatalog_ = lastDisk_ = lastFolder_ = nullptr;
  rows_.clear();
  // Pre-order over every open catalog: a listed node, then the node's listed files, then its
  // children. A folder whose subfolders were never read holds nothing that is listed.
  auto walk = [this](auto& self, TNode* node) -> void {
    uint8_t kind = node->Kind();
    if (kind == ikDisk || kind == ikFolder) At(node);
    Pump();
    if (Listed(node->Record)) ReportNode(node, kind != level_.ColumnSet);
    if (kind == ikDisk || kind == ikFolder) ContainerFiles(node, true);
    if (kind == ikFolder && static_cast<TFolderRec*>(node->Record)->SubfoldersOffset > 0) return;
    for (int i = 0; i < node->ChildCount(); ++i) self(self, node->Child(i));
  };
  TNode* root = tree.Root();
  for (int i = 0; i < root->ChildCount(); ++i) walk(walk, root->Child(i));
  At(nullptr);
  Flush();
}

void TReportWriter::ReportNode(TNode* node, bool descend) {
  uint8_t kind = node->Kind();
  if (kind < level_.ColumnSet) return;
  if (kind == ikDisk || kind == ikFolder) At(node);
  Pump();
  if (kind == ikFolder) LoadSubfolders(node);
  const TTreeOrder& o = settings_.Order;
  std::vector<TNode*> children;
  TCatalogTree* tree = TreeOf(node);
  if (tree && tree->SearchRunning) {
    // The tree keeps its order until the run has ended; the report takes the order it will get.
    children = SortedChildren(node, o.FileKey, o.DiskKey, o.Reverse, o.ArchivesAsFiles);
  } else {
    SortTreeChildren(node, o.FileKey, o.DiskKey, o.Reverse, o.ArchivesAsFiles);
    for (auto& c : node->Children) children.push_back(c.get());
  }
  MissingHeadings(node, kind, false);

  bool separateUnchecked = separateEnabled_ && !separateChecked_;
  if (level_.ColumnSet != ColumnSetFiles &&
      (!descend || kind == ikCatalog || (kind == ikFolder && !separateChecked_))) {
    WriteItem(node, node->Record, false, false);
    if (descend)
      for (TNode* child : children) ReportNode(child, descend);
    return;
  }
  if (children.empty() && !level_.Files) return;
  WriteItem(node, node->Record, kind == ikFolder, false);
  for (TNode* child : children) {
    if (separateUnchecked)
      ReportNode(child, descend);
    else
      WriteItem(child, child->Record, false, true);
  }
  At(node);
  ContainerFiles(node, false);
  if (kind == ikFolder) Line("");
  if (!separateUnchecked)
    for (TNode* child : children) ReportNode(child, descend);
}

void TReportWriter::ContainerFiles(TNode* container, bool listedOnly) {
  if (!level_.Files || !container->Record) return;
  uint8_t kind = container->Kind();
  if (kind != ikDisk && kind != ikFolder) return;
  TItemRec* rec = container->Record;
  bool loadedHere = false;
  if (!FilesLoaded(rec)) {
    if (listedOnly) return;  // a listed file is in memory: its list is loaded
    LoadFiles(container);
    loadedHere = FilesLoaded(rec);
  }
  bool first = true;
  for (TFileRec* f = FirstFile(rec); f; f = f->NextFile()) {
    if (listedOnly) {
      if (!Listed(f)) continue;
      if (first) MissingHeadings(container, ikFile, true);
      first = false;
    }
    WriteItem(container, f, false, false);
  }
  // The rows hold copies of the texts, so a list read for the report goes again at once and
  // memory stays that of the folder tree. While a search runs it may be walking this very
  // list, so then the list stays.
  TCatalogTree* tree = TreeOf(container);
  if (loadedHere && !(tree && tree->SearchRunning)) UnloadFiles(container);
}

void TReportWriter::MissingHeadings(TNode* node, uint8_t kind, bool fileContainer) {
  if (level_.Catalogs && kind < ikCatalog && (listMode_ || !lastCatalog_)) {
    TNode* catalog = CatalogNodeOf(node);
    if (catalog && catalog != lastCatalog_) CatalogHeading(catalog);
  }
  if (level_.Disks && kind < ikDisk) {
    TNode* disk = DiskNodeOf(node);
    if (disk && disk != lastDisk_) DiskHeading(disk);
  }
  if (listMode_ && fileContainer && level_.Folders && node->Kind() == ikFolder &&
      node != lastFolder_)
    FolderHeading(node);
}

void TReportWriter::WriteItem(TNode* node, TItemRec* rec, bool forceHeading, bool forceRow) {
  if (!rec) return;
  uint8_t kind = KindOf(rec);
  if (!level_.Includes(kind)) return;
  if (kind == ikFile || (!forceHeading && (kind == level_.ColumnSet || forceRow))) {
    Row(rec);
    return;
  }
  switch (kind) {
    case ikCatalog: CatalogHeading(node); break;
    case ikDisk: DiskHeading(node); break;
    case ikFolder: FolderHeading(node); break;
    default: break;
  }
}

void TReportWriter::CatalogHeading(TNode* node) {
  Flush();
  Line(RuleOf('*'));
  Line(Centred("Catalog: " + ToDisplay(node->Caption)));
  Line(RuleOf('*'));
  Line("");
  lastCatalog_ = node;
}

void TReportWriter::DiskHeading(TNode* node) {
  Flush();
  auto* disk = static_cast<TDiskRec*>(node->Record);
  Line(RuleOf('='));
  Line(Centred(ToDisplay(node->Caption)));
  Line(Centred("Type: " + MediaTypeName(disk->MediaType) + ", total " +
               FormatSize(double(DiskBytes(disk, 0))) + " (free " +
               FormatSize(double(DiskBytes(disk, 1))) + ")"));
  Line(RuleOf('='));
  Line("");
  lastDisk_ = node;
}

void TReportWriter::FolderHeading(TNode* node) {
  Flush();
  std::string text = "Folder: " + ToDisplay(GetFolderPath(node));
  Line(text);
  Line(RuleOf('=', CharCount(text)));
  lastFolder_ = node;
}

void TReportWriter::Row(TItemRec* rec) {
  if (settings_.Layout == TReportLayout::SimpleList) {
    for (const TReportColumn* c : columns_) {
      std::string text = ItemColumnText(rec, c->Field, true);
      std::vector<std::string_view> lines = SplitLines(text);
      Line(c->Caption + ": " + std::string(lines[0]));
      std::string indent = Blanks(CharCount(c->Caption) + 2);
      for (std::size_t i = 1; i < lines.size(); ++i) Line(indent + std::string(lines[i]));
    }
    Line("");
    return;
  }
  TRow& row = rows_.emplace_back();
  for (std::size_t p = 0; p < columns_.size(); ++p) {
    row.Start[p] = uint32_t(row.Text.size());
    row.Text += ItemColumnText(rec, columns_[p]->Field, true);
  }
  for (std::size_t p = columns_.size(); p <= ColumnSlots; ++p) row.Start[p] = uint32_t(row.Text.size());
}

void TReportWriter::Flush() {
  if (rows_.empty()) return;
  std::size_t n = columns_.size();
  std::vector<std::size_t> widths(n, 0);
  for (std::size_t p = 0; p < n; ++p) {
    bool any = false;
    std::size_t longest = 0;
    for (const TRow& row : rows_) {
      std::string_view cell = row.Cell(p);
      if (cell.empty()) continue;
      any = true;
      longest = std::max(longest, LongestLine(cell));
    }
    if (!any) continue;  // a column without any text is left out
    std::size_t width = std::max(longest, CharCount(columns_[p]->Caption));
    widths[p] = std::min(width, std::size_t(columns_[p]->MaxWidth));
  }
  bool tabs = settings_.UseTabs;
  std::string captions, rules;
  for (std::size_t p = 0; p < n; ++p) {
    if (widths[p] == 0) continue;
    const std::string& caption = columns_[p]->Caption;
    if (tabs) {
      captions += caption + '\t';
      rules += RuleOf('-', widths[p]) + '\t';
    } else {
      std::size_t len = CharCount(caption);
      captions += caption + Blanks(len <= widths[p] ? widths[p] + 1 - len : 1);
      rules += RuleOf('-', widths[p]) + ' ';
    }
  }
  Line(captions);
  Line(rules);
  std::vector<std::vector<std::string_view>> lines(n);
  std::vector<std::string_view> texts(n);
  for (const TRow& row : rows_) {
    std::size_t depth = 1;
    for (std::size_t p = 0; p < n; ++p) {
      SplitLines(row.Cell(p), lines[p]);
      depth = std::max(depth, lines[p].size());
    }
    // The first lines of every text, then as many continuation rows as the longest text has
    // further lines; a text that has run out leaves its column blank.
    for (std::size_t i = 0; i < depth; ++i) {
      for (std::size_t p = 0; p < n; ++p) texts[p] = i < lines[p].size() ? lines[p][i] : "";
      WriteTableLine(texts, widths);
    }
  }
  Line("");
  rows_.clear();
}

void TReportWriter::WriteTableLine(const std::vector<std::string_view>& texts,
                                   const std::vector<std::size_t>& widths) {
  std::string& out = line_;
  out.clear();
  for (std::size_t p = 0; p < texts.size(); ++p) {
    std::size_t width = widths[p];
    if (width == 0) continue;
    std::string_view text = texts[p];
    std::size_t len = CharCount(text);
    bool cut = len > width;
    if (cut) {
      text = FirstChars(text, width - 1);
      len = width;
    }
    if (settings_.UseTabs) {
      out += text;
      if (cut) out += TruncationMark;
      out += '\t';
      continue;
    }
    std::size_t spare = width - len, before = 0;
    if (columns_[p]->Alignment == TAlignment::Right) before = spare;
    if (columns_[p]->Alignment == TAlignment::Centre) before = spare / 2;
    out.append(before, ' ');
    out += text;
    if (cut) out += TruncationMark;
    out.append(spare - before + 1, ' ');
  }
  out += '\n';
  out_.Write(out);
}

// ---- the file ---------------------------------------------------------------------------

TDateTimeParts ReportTime(const char* sourceDateEpoch, std::time_t now) {
  std::tm tm{};
  bool fixed = false;
  if (sourceDateEpoch && *sourceDateEpoch) {
    char* end = nullptr;
    errno = 0;
    long long seconds = std::strtoll(sourceDateEpoch, &end, 10);
    if (errno == 0 && *end == 0 && seconds >= 0 &&
        std::all_of(sourceDateEpoch, static_cast<const char*>(end),
                    [](char c) { return c >= '0' && c <= '9'; })) {
      std::time_t t = std::time_t(seconds);
      fixed = ::gmtime_r(&t, &tm) != nullptr;
    }
  }
  if (!fixed) ::localtime_r(&now, &tm);
  return {tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec};
}

TDateTimeParts ReportTime() { return ReportTime(std::getenv("SOURCE_DATE_EPOCH"), std::time(nullptr)); }

std::string CompleteReportFileName(std::string_view typed, const std::string& currentFolder) {
  if (typed.empty()) return {};
  namespace fs = std::filesystem;
  fs::path p{std::string(typed)};
  if (p.is_relative()) p = fs::path(currentFolder) / p;
  p = p.lexically_normal();
  std::string name = p.filename().string();
  std::string full = p.string();
  if (name.find('.') == std::string::npos) full += ".txt";
  return full;
}

std::string ReportWriteErrorText(const std::string& path, int error) {
  return "I/O error " + std::to_string(error) + "\rThe report file " + path +
         " could not be written: " + std::strerror(error);
}

std::string ReportReadErrorText(const std::string& catalogFile, const std::string& message) {
  return "The report was not written: a catalog could not be read.\r" +
         (catalogFile.empty() ? std::string() : catalogFile + "\r") + message;
}

bool WriteReportFile(const TReportJob& job, const std::string& path, TUserPrompts& prompts,
                     TProgress& progress) {
  int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  if (fd < 0) {
    prompts.Message(FileErrorTitle, CantCreateReportText, TButtons::Ok, TIcon::Error);
    return false;
  }
  // Only a file of our own making is removed after a failure, never a device or a pipe.
  struct stat st {};
  bool regular = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
  progress.SetStatus(GeneratingReportText);
  progress.Begin(GeneratingReportText, 0);
  auto cleanUp = [&] {
    if (fd >= 0) ::close(fd);
    if (regular) ::unlink(path.c_str());
    progress.End();
    progress.SetStatus("");
  };
  TFileOutput out(fd);
  TReportWriter writer(job.Settings, *job.Columns, out, progress);
  writer.Walking = job.Walking;
  // However the body ends, the report reads no list any more.
  struct TDone {
    const TReportJob& Job;
    ~TDone() {
      if (Job.Walking) Job.Walking(nullptr);
    }
  } done{job};
  std::string catalogFile;
  try {
    writer.Head(job.Time ? *job.Time : ReportTime());
    if (job.Source == TReportSource::CatalogItem) {
      if (TCatalogRec* cat = CatalogOf(job.Selected)) catalogFile = cat->FileName;
      writer.BodyFromItem(job.Selected);
    } else if (job.Tree) {
      writer.BodyFromList(*job.Tree, job.Records);
    }
    writer.Tail();
    out.Flush();
    int closed = ::close(fd);
    fd = -1;
    if (closed != 0) throw EReportWrite(errno);
  } catch (const EReportWrite& e) {
    cleanUp();
    prompts.Message(FileErrorTitle, ReportWriteErrorText(path, e.Error), TButtons::Ok, TIcon::Error);
    return false;
  } catch (const std::exception& e) {
    cleanUp();
    prompts.Message(ReportReadErrorTitle, ReportReadErrorText(catalogFile, e.what()), TButtons::Ok,
                    TIcon::Error);
    return false;
  }
  progress.End();
  progress.SetStatus("");
  return true;
}

}  // namespace tf
