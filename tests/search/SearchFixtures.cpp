#include "SearchFixtures.h"

#include <algorithm>

#include "browse/Sort.h"
#include "store/LoadSave.h"

namespace tf::test {

uint32_t Dos(int y, int mo, int d, int h, int mi, int s) {
  return uint32_t(((y - 1980) << 25) | (mo << 21) | (d << 16) | (h << 11) | (mi << 5) | (s / 2));
}

std::string Key(const TItemRec* rec) {
  if (KindOf(rec) == ikFile) {
    TNode* c = rec->Node;
    return "F|" + DiskNodeOf(c)->Caption + "|" + GetFolderPath(c) + "|" +
           std::string(static_cast<const TFileRec*>(rec)->Name());
  }
  TNode* n = rec->Node;
  return "D|" + DiskNodeOf(n)->Caption + "|" + GetFolderPath(n->Parent) + "|" + n->Caption;
}

std::vector<std::string> Keys(const TResultList& list) {
  std::vector<std::string> keys;
  for (TItemRec* rec : list.Items()) keys.push_back(rec ? Key(rec) : "(empty)");
  return keys;
}

static void CollectLoaded(TNode* node, std::vector<std::pair<std::string, bool>>& out) {
  if (node->Record && (node->Kind() == ikDisk || node->Kind() == ikFolder))
    out.emplace_back(DiskNodeOf(node)->Caption + "|" + GetFolderPath(node),
                     FilesLoaded(node->Record));
  for (auto& c : node->Children) CollectLoaded(c.get(), out);
}

std::vector<std::pair<std::string, bool>> LoadedLists(TNode* node) {
  std::vector<std::pair<std::string, bool>> out;
  CollectLoaded(node, out);
  std::sort(out.begin(), out.end());
  return out;
}

// ---- random catalogs ---------------------------------------------------------------------

const std::vector<std::string>& NameWords() {
  static const std::vector<std::string> words = {
      "Tracking", "readme", "SETUP",  "Music", "data",  "Temp",       "temp",
      "\xC3\x84rger",            // Ärger
      "\xC4\xB1stanbul",         // ıstanbul: dotless i, upper case "I"
      "Stra\xC5\xBF" "e",        // Straſe: long s, upper case "S"
      "\xD0\x94\xD0\xBE\xD0\xBA",  // Док
      "caf\xE9",                 // café in Windows-1252
      "odd\x81" "byte",          // an undefined Windows-1252 byte
      "A.B",  "x:y", "back\\slash", "is", "SIS"};
  return words;
}

namespace {

template <class T>
const T& Pick(std::mt19937& rng, const std::vector<T>& v) {
  return v[std::uniform_int_distribution<std::size_t>(0, v.size() - 1)(rng)];
}

int Rand(std::mt19937& rng, int lo, int hi) {
  return std::uniform_int_distribution<int>(lo, hi)(rng);
}

bool Chance(std::mt19937& rng, int percent) { return Rand(rng, 0, 99) < percent; }

std::string RandomName(std::mt19937& rng, bool file) {
  static const std::vector<std::string> exts = {".TXT", ".txt", ".jpg", ".JPG", ".jpeg",
                                                ".doc", ".Doc", "",     ".",    ".tar.gz"};
  std::string name = Pick(rng, NameWords());
  if (Chance(rng, 50)) name += Pick(rng, NameWords());
  if (Chance(rng, 40)) name += std::to_string(Rand(rng, 0, 9));
  if (file) name += Pick(rng, exts);
  return name;
}

uint32_t RandomTime(std::mt19937& rng) {
  if (Chance(rng, 10)) return 0;
  return Dos(Rand(rng, 1990, 2020), Rand(rng, 1, 12), Rand(rng, 1, 28), Rand(rng, 0, 23),
             Rand(rng, 0, 59), Rand(rng, 0, 59));
}

uint8_t RandomAttributes(std::mt19937& rng) {
  uint8_t a = 0;
  for (uint8_t bit : {AttrReadOnly, AttrHidden, AttrSystem, AttrArchive})
    if (Chance(rng, 30)) a |= bit;
  return a;
}

uint8_t RandomCategory(std::mt19937& rng) {
  if (Chance(rng, 60)) return 0;
  uint8_t c = uint8_t(Rand(rng, 0, 4));
  if (Chance(rng, 30)) c |= UserFlag1;
  if (Chance(rng, 30)) c |= UserFlag3;
  return c;
}

std::string RandomDescription(std::mt19937& rng) {
  static const std::vector<std::string> texts = {
      "An old game, v1.0", "Tracking\r\nmodule", "readme first", "The Music of 1994"};
  return Chance(rng, 20) ? Pick(rng, texts) : std::string();
}

void AddFiles(std::mt19937& rng, TNode* container, int maxFiles, TDiskRec* disk) {
  int n = Rand(rng, 0, maxFiles);
  bool archive = HasFlag(container->Record, InArchive);
  for (int i = 0; i < n; ++i) {
    static const std::vector<uint32_t> sizes = {0, 100, 1000, 4096, 1048576, 4294967295u};
    uint32_t size = Chance(rng, 60) ? Pick(rng, sizes) : uint32_t(Rand(rng, 0, 3000000));
    TFileRec* f = AddFile(container, RandomName(rng, true), size, RandomDescription(rng));
    f->Attributes = RandomAttributes(rng);
    f->CreatedTime = RandomTime(rng);
    f->ModifiedTime = Chance(rng, 30) ? Dos(2000, 1, 1, 12, 0, 0) : RandomTime(rng);
    f->AccessedTime = RandomTime(rng);
    f->CategoryFlags = RandomCategory(rng);
    if (archive)
      ++disk->ArchiveFiles;
    else
      ++disk->TotalFiles;
  }
}

void AddFolders(std::mt19937& rng, TNode* parent, int& left, int depth,
                const TRandomCatalog& shape, TDiskRec* disk) {
  int n = Rand(rng, 0, std::min(left, 4));
  for (int i = 0; i < n && left > 0; ++i) {
    --left;
    TNode* f = AddFolder(parent, RandomName(rng, Chance(rng, 15)),
                         Chance(rng, 50) ? 5000 : Rand(rng, 0, 100000));
    auto* rec = static_cast<TFolderRec*>(f->Record);
    if (Chance(rng, 15)) SetFlag(rec, InArchive, true);
    rec->Attributes = uint8_t(0x10 | RandomAttributes(rng));
    rec->CreatedTime = RandomTime(rng);
    rec->ModifiedTime = RandomTime(rng);
    rec->AccessedTime = RandomTime(rng);
    rec->CategoryFlags = RandomCategory(rng);
    rec->Description.Assign(RandomDescription(rng));
    ++disk->TotalFolders;
    AddFiles(rng, f, shape.MaxFiles, disk);
    if (depth < 4) AddFolders(rng, f, left, depth + 1, shape, disk);
  }
}

}  // namespace

TNode* BuildRandomCatalog(TCatalogTree& tree, std::mt19937& rng, const TRandomCatalog& shape,
                          const std::string& name) {
  TNode* cat = AddCatalog(tree, name);
  auto* c = static_cast<TCatalogRec*>(cat->Record);
  c->Categories = {{"Games", 1}, {"Tools", 2}, {"Music", 3}};
  c->FlagNames[0].Assign("Backed up");
  c->FlagNames[2].Assign("Broken");
  for (int d = 0; d < shape.Disks; ++d) {
    TNode* disk = AddDisk(cat, "Disk " + std::to_string(d + 1));
    auto* rec = static_cast<TDiskRec*>(disk->Record);
    if (Chance(rng, 20)) SetFlag(rec, CompressedVolume, true);
    AddFiles(rng, disk, shape.MaxFiles, rec);
    int left = shape.MaxFolders;
    while (left > 0) AddFolders(rng, disk, left, 1, shape, rec);
  }
  return cat;
}

TSearchControls RandomControls(std::mt19937& rng, const TCatalogRec& catalog) {
  for (;;) {
    TSearchControls k;
    k.SearchTypeCombo = Chance(rng, 50) ? TMatchMode::All : TMatchMode::AtLeastOne;
    k.SearchForCombo = TSearchFor(Rand(rng, 0, 2));
    k.LimitFoundCheck = Chance(rng, 20);
    k.MaxFoundNum = Rand(rng, 1, 15);
    if (Chance(rng, 75)) {
      k.ByNameCheck = true;
      k.NameCombo = TNameMode(Rand(rng, 0, 4));
      k.FileCaseCheck = Chance(rng, 30);
      std::string word = RandomName(rng, true);
      switch (k.NameCombo) {
        case TNameMode::Exact: k.NameEdit = word; break;
        case TNameMode::Part: {
          int from = Rand(rng, 0, int(word.size()) - 1);
          k.NameEdit = word.substr(std::size_t(from), std::size_t(Rand(rng, 1, 6)));
          // An undefined Windows-1252 byte reads as "?" once upper-cased.
          if (Chance(rng, 20)) k.NameEdit[std::size_t(Rand(rng, 0, int(k.NameEdit.size()) - 1))] = '?';
          break;
        }
        case TNameMode::Mask: {
          std::string mask;
          for (char ch : word) {
            int r = Rand(rng, 0, 9);
            mask += r == 0 ? '?' : r == 1 ? '*' : ch;
          }
          if (Chance(rng, 30)) mask += '*';
          k.NameEdit = NormalizeMask(mask);
          break;
        }
        case TNameMode::Extension: k.NameEdit = NormalizeExtensionList("txt, *.jpg,Doc"); break;
        case TNameMode::FileType: k.FileTypeExtensions = ExtensionPattern(".gz,jpeg,TXT"); break;
      }
      for (auto& a : k.Attributes) a = Chance(rng, 20) ? TAttrState(Rand(rng, 0, 1)) : TAttrState::Any;
      if (Chance(rng, 30) && !k.NameEdit.empty())
        for (char& ch : k.NameEdit) ch = char(Chance(rng, 50) ? std::toupper(ch) : std::tolower(ch));
    }
    if (Chance(rng, 20)) {
      k.ByDescCheck = true;
      k.DescMode = TDescMode(Rand(rng, 1, 3));
      k.DescEdit = Pick(rng, std::vector<std::string>{"old", "MODULE", "of 19", "v1.0"});
      k.DescCaseCheck = Chance(rng, 30);
    }
    if (Chance(rng, 15)) {
      k.ByCategoryCheck = true;
      for (const auto& cat : catalog.Categories)
        if (Chance(rng, 50)) k.CheckedCategories.push_back(cat.Name);
      if (Chance(rng, 50)) k.CheckedFlags.push_back("Broken");
    }
    if (Chance(rng, 20)) {
      k.BySizeCheck = true;
      k.SizeCombo = TSizeCompare(Rand(rng, 1, 5));
      k.SizeValue1 = {std::to_string(Rand(rng, 0, 4096)), Rand(rng, 0, 1)};
      k.SizeValue2 = {std::to_string(Rand(rng, 0, 4096)), Rand(rng, 0, 2)};
      k.SizeAllowTollerance = Chance(rng, 30);
      k.SizeValue3 = {std::to_string(Rand(rng, 0, 100)), 0};
    }
    if (Chance(rng, 20)) {
      k.ByDateCheck = true;
      k.DateCombo1 = TDateField(Rand(rng, 0, 3));
      k.DateCombo2 = TDateCompare(Rand(rng, 0, 4));
      k.DatePicker1 = DayNumber(Rand(rng, 1995, 2015), Rand(rng, 1, 12), 1);
      k.DatePicker2 = k.DatePicker1 + Rand(rng, 0, 3000);
      k.DateAllowTollerance = Chance(rng, 30);
      k.DateTollerance = Rand(rng, 0, 99);
      k.TimeCombo1 = TTimeField(Rand(rng, 0, 2));
      k.TimeCombo2 = TTimeCompare(Rand(rng, 0, 4));
      k.TimePicker1 = Rand(rng, 0, 86399);
      k.TimePicker2 = Rand(rng, 0, 86399);
    }
    TSearchControls probe = k;
    if (BuildCriteria(probe).SomethingToSearch) return k;
  }
}

// ---- the straightforward walks -----------------------------------------------------------

void TReferenceSearch::Report(int k) {
  checked_ += k;
  if (k >= 2 || checked_ % 128 == 0) Shown.push_back({checked_, total_, found_, collecting_});
}

void TReferenceSearch::AddFound(TItemRec* rec, int group) {
  if (list_.Count() >= list_.Capacity()) {
    int grow = 128;
    if (found_ > 0)
      grow = int(std::clamp(std::round(double(checked_) / found_ * (total_ - checked_)), 128.0,
                            2048.0));
    list_.Reserve(list_.Capacity() + grow);
  }
  ++found_;
  list_.Add(rec, group);
  if (!dup_ && c_.ResultLimit > 0 && found_ >= c_.ResultLimit) stop_ = true;
}

void TReferenceSearch::Run(TCatalogTree& tree, const TSearchCriteria& criteria) {
  c_ = criteria;
  dup_ = false;
  stop_ = false;
  checked_ = found_ = total_ = 0;
  collecting_ = true;
  auto count = [&](TNode* disk) {
    auto* d = static_cast<TDiskRec*>(disk->Record);
    return (c_.SearchFor != TSearchFor::FilesOnly ? d->TotalFolders : 0) +
           (c_.SearchFor != TSearchFor::FoldersOnly ? d->TotalFiles + d->ArchiveFiles : 0);
  };
  for (int i = 0; i < tree.CatalogCount(); ++i)
    for (auto& disk : tree.Catalog(i)->Children)
      if (HasFlag(disk->Record, SearchScope)) total_ += count(disk.get());
  for (int i = 0; i < tree.CatalogCount() && !stop_; ++i) {
    filter_ = MakeCategoryFilter(c_, *static_cast<TCatalogRec*>(tree.Catalog(i)->Record));
    for (auto& disk : tree.Catalog(i)->Children) {
      if (stop_) break;
      if (!HasFlag(disk->Record, SearchScope)) continue;
      int before = checked_;
      Walk(disk.get());
      checked_ = before;
      Report(count(disk.get()));
    }
  }
}

void TReferenceSearch::Walk(TNode* node) {
  TItemRec* rec = node->Record;
  bool folder = KindOf(rec) == ikFolder;
  bool foldersOnly = c_.SearchFor == TSearchFor::FoldersOnly;
  int foundBefore = found_;
  bool loaded = false;
  auto load = [&] {
    loaded = true;
    try {
      LoadFiles(node);
    } catch (const std::exception&) {
    }
  };
  if (folder) {
    if (!foldersOnly && !FilesLoaded(rec) &&
        (!c_.DescriptionOnly || HasFlag(rec, HasFileDescriptions)))
      load();
    if (!(c_.SearchFor == TSearchFor::FilesOnly && !HasFlag(rec, InArchive))) {
      Report(1);
      if (rec->SearchIndex == -1 && MatchItem(c_, filter_, ViewOf(rec))) AddFound(rec, -1);
    }
  } else if (!foldersOnly && !FilesLoaded(rec)) {
    load();
  }
  if (!foldersOnly && !(c_.DescriptionOnly && !HasFlag(rec, HasFileDescriptions))) {
    for (TFileRec* f = FirstFile(rec); f && !stop_; f = f->NextFile()) {
      Report(1);
      if (f->SearchIndex == -1 && MatchItem(c_, filter_, ViewOf(f))) AddFound(f, -1);
    }
  }
  if (loaded && found_ == foundBefore) UnloadFiles(node);
  if (folder) LoadSubfolders(node);
  for (int i = 0; i < node->ChildCount() && !stop_; ++i) Walk(node->Child(i));
}

void TReferenceSearch::RunDuplicates(TCatalogTree& tree, const TDuplicatesCriteria& d,
                                     TSearchFor searchFor, bool archivesAsFiles) {
  d_ = d;
  searchFor_ = searchFor;
  dup_ = true;
  stop_ = false;
  checked_ = found_ = total_ = 0;
  collecting_ = true;
  std::vector<std::vector<TItemRec*>> buckets(28);
  auto count = [&](TNode* disk) {
    auto* r = static_cast<TDiskRec*>(disk->Record);
    return (searchFor != TSearchFor::FilesOnly ? r->TotalFolders : 0) +
           (searchFor != TSearchFor::FoldersOnly ? r->TotalFiles + r->ArchiveFiles : 0);
  };
  for (int i = 0; i < tree.CatalogCount(); ++i)
    for (auto& disk : tree.Catalog(i)->Children)
      if (HasFlag(disk->Record, SearchScope)) total_ += count(disk.get());
  for (int i = 0; i < tree.CatalogCount() && !stop_; ++i) {
    for (auto& disk : tree.Catalog(i)->Children) {
      if (!HasFlag(disk->Record, SearchScope)) continue;
      int before = checked_;
      Collect(disk.get(), buckets);
      checked_ = before;
      Report(count(disk.get()));
    }
  }
  collecting_ = false;
  checked_ = 0;
  total_ = found_;
  found_ = 0;
  auto name = [](TItemRec* r) -> std::string_view {
    return KindOf(r) == ikFile ? static_cast<TFileRec*>(r)->Name()
                               : std::string_view(r->Node->Caption);
  };
  auto same = [&](TItemRec* a, TItemRec* b) {
    if (KindOf(a) != KindOf(b)) return false;
    bool file = KindOf(a) == ikFile;
    auto* fa = static_cast<TFileRec*>(a);
    auto* fb = static_cast<TFileRec*>(b);
    auto* da = static_cast<TFolderRec*>(a);
    auto* db = static_cast<TFolderRec*>(b);
    if (d_.Name && name(a) != name(b)) return false;
    if (d_.Size && (file ? fa->Size != fb->Size : da->TotalSize != db->TotalSize)) return false;
    if (d_.Date && (file ? fa->ModifiedTime != fb->ModifiedTime
                         : da->ModifiedTime != db->ModifiedTime))
      return false;
    if (d_.Attributes &&
        (file ? fa->Attributes != fb->Attributes : da->Attributes != db->Attributes))
      return false;
    return true;
  };
  auto append = [&](const std::vector<TItemRec*>& b, std::size_t from, std::size_t to) {
    if (to - from < 2) return;
    int group = list_.NewGroup();
    GroupSizes.push_back(int(to - from));
    for (std::size_t i = from; i < to; ++i) AddFound(b[i], group);
  };
  for (auto& bucket : buckets) {
    // A binary insertion sort: each item goes after every item that does not follow it.
    for (std::size_t i = 1; i < bucket.size(); ++i) {
      TItemRec* x = bucket[i];
      std::size_t lo = 0, hi = i;
      while (lo < hi) {
        std::size_t mid = (lo + hi) / 2;
        if (CompareItems(x, bucket[mid], SortBySize, false, archivesAsFiles) < 0)
          hi = mid;
        else
          lo = mid + 1;
      }
      std::move_backward(bucket.begin() + long(lo), bucket.begin() + long(i),
                         bucket.begin() + long(i) + 1);
      bucket[lo] = x;
    }
    Report(int(bucket.size()));
    std::size_t start = 0;
    for (std::size_t i = 1; i < bucket.size(); ++i) {
      if (same(bucket[start], bucket[i])) continue;
      append(bucket, start, i);
      start = i;
    }
    append(bucket, start, bucket.size());
  }
}

void TReferenceSearch::Collect(TNode* node, std::vector<std::vector<TItemRec*>>& buckets) {
  TItemRec* rec = node->Record;
  bool folder = KindOf(rec) == ikFolder;
  auto add = [&](TItemRec* r, std::string_view name) {
    if (r->DuplicatesIndex != -1) return;
    ++found_;
    auto c = name.empty() ? 0 : static_cast<unsigned char>(name[0]);
    buckets[c >= 'A' && c <= 'Z' ? c - 'A' : c >= '0' && c <= '9' ? 26 : 27].push_back(r);
  };
  if (searchFor_ != TSearchFor::FoldersOnly) {
    try {
      LoadFiles(node);
    } catch (const std::exception&) {
    }
  }
  if (folder && !(searchFor_ == TSearchFor::FilesOnly && !HasFlag(rec, InArchive))) {
    Report(1);
    add(rec, node->Caption);
  }
  if (searchFor_ != TSearchFor::FoldersOnly) {
    if (d_.SkipArchives && HasFlag(rec, InArchive)) {
      Report(*ContainerInfo(rec).FileCount);
    } else {
      for (TFileRec* f = FirstFile(rec); f && !stop_; f = f->NextFile()) {
        Report(1);
        add(f, f->Name());
      }
    }
  }
  if (folder) LoadSubfolders(node);
  for (int i = 0; i < node->ChildCount() && !stop_; ++i) Collect(node->Child(i), buckets);
}

}  // namespace tf::test
