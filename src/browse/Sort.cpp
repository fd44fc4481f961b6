#include "browse/Sort.h"

#include <algorithm>
#include <array>
#include <cstdint>

#include "browse/Format.h"
#include "browse/ItemText.h"
#include "text/Text.h"

namespace tf {

// ---- text comparison ----

namespace {

// A character's place in the order: the primary weight decides (groups: controls, symbols,
// digits, Latin letters, other letters); the secondary weight (the accent) only between texts
// whose primary weights are all equal. Upper and lower case weigh the same.
struct TWeight {
  uint32_t Primary;
  uint32_t Secondary;
};

constexpr uint32_t GroupControl = 0u << 24;
constexpr uint32_t GroupSymbol = 1u << 24;
constexpr uint32_t GroupDigit = 2u << 24;
constexpr uint32_t GroupLatin = 3u << 24;
constexpr uint32_t GroupLetter = 4u << 24;

constexpr uint32_t Latin(char base) { return GroupLatin | uint32_t(base - 'a'); }
constexpr uint32_t Thorn = GroupLatin | 26u;  // after z

constexpr std::array<uint32_t, 128> MakeAsciiWeights() {
  std::array<uint32_t, 128> w{};
  for (uint32_t c = 0; c < 128; ++c) {
    if (c < 0x20 || c == 0x7F)
      w[c] = GroupControl | c;
    else if (c >= '0' && c <= '9')
      w[c] = GroupDigit | (c - '0');
    else if (c >= 'a' && c <= 'z')
      w[c] = Latin(char(c));
    else if (c >= 'A' && c <= 'Z')
      w[c] = Latin(char(c - 'A' + 'a'));
    else
      w[c] = GroupSymbol | c;
  }
  return w;
}
constexpr std::array<uint32_t, 128> AsciiWeights = MakeAsciiWeights();

// Base letters of U+00C0..U+00FF ('*' = not a letter, '#' = thorn).
constexpr char Latin1Base[] =
    "aaaaaaaceeeeiiii"   // C0
    "dnooooo*ouuuuy#s"   // D0
    "aaaaaaaceeeeiiii"   // E0
    "dnooooo*ouuuuy#y";  // F0
// Base letters of U+0100..U+017F.
constexpr char LatinExtABase[] =
    "aaaaaaccccccccdd"
    "ddeeeeeeeeeegggg"
    "gggghhhhiiiiiiii"
    "iiiijjkkklllllll"
    "lllnnnnnnnnnoooo"
    "oooorrrrrrssssss"
    "ssttttttuuuuuuuu"
    "uuuuwwyyyzzzzzzs";

// The lower-case partner of a Latin Extended-A letter (pairs are upper/lower, except in the
// two runs where the upper-case letter has the odd code).
char32_t FoldLatinExtA(char32_t c) {
  if ((c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E)) return (c & 1) ? c + 1 : c;
  if (c == 0x130 || c == 0x131 || c == 0x138 || c == 0x149 || c == 0x17F) return c;
  if (c == 0x178) return 0xFF;
  return c | 1;
}

bool IsSymbol(char32_t c) {
  return (c >= 0x80 && c <= 0xBF) || c == 0xD7 || c == 0xF7 || (c >= 0x2000 && c <= 0x2BFF) ||
         (c >= 0x3000 && c <= 0x303F) || c == 0xFFFD;
}

TWeight WeightOf(char32_t c) {
  if (c < 0x80) return {AsciiWeights[c], 0};
  switch (c) {
    case 0xAA: return {Latin('a'), c};  // ordinal indicators
    case 0xBA: return {Latin('o'), c};
    case 0xB9: return {GroupDigit | 1u, c};  // superscript digits
    case 0xB2: return {GroupDigit | 2u, c};
    case 0xB3: return {GroupDigit | 3u, c};
    case 0xB5: c = 0x3BC; break;  // micro sign: Greek mu
    default: break;
  }
  if (c >= 0xC0 && c <= 0xFF && c != 0xD7 && c != 0xF7) {
    char base = Latin1Base[c - 0xC0];
    char32_t folded = (c <= 0xDE) ? c + 0x20 : c;
    return {base == '#' ? Thorn : Latin(base), folded};
  }
  if (c >= 0x100 && c <= 0x17F) return {Latin(LatinExtABase[c - 0x100]), FoldLatinExtA(c)};
  if (IsSymbol(c)) return {GroupSymbol | c, 0};
  // Greek and Cyrillic capitals to small letters.
  if ((c >= 0x391 && c <= 0x3A9) || (c >= 0x410 && c <= 0x42F))
    c += 0x20;
  else if (c >= 0x400 && c <= 0x40F)
    c += 0x50;
  return {GroupLetter | c, 0};
}

constexpr char32_t Cp1252High[32] = {
    0x20AC, 0xFFFD, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0xFFFD, 0x017D, 0xFFFD, 0xFFFD, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0xFFFD, 0x017E, 0x0178};

// Reads the characters of a stored text: UTF-8 when the text is valid UTF-8, else
// Windows-1252, as ToDisplay shows it.
class TCharReader {
 public:
  TCharReader(std::string_view s, std::size_t from) : s_(s), i_(from) {
    utf8_ = IsValidUtf8(s.substr(from));
  }
  bool Done() const { return i_ >= s_.size(); }
  char32_t Next() {
    auto c = static_cast<unsigned char>(s_[i_++]);
    if (c < 0x80) return c;
    if (!utf8_) return c < 0xA0 ? Cp1252High[c - 0x80] : char32_t(c);
    int more = c >= 0xF0 ? 3 : c >= 0xE0 ? 2 : 1;
    char32_t cp = c & (0x3F >> more);
    for (int k = 0; k < more && i_ < s_.size(); ++k)
      cp = (cp << 6) | (static_cast<unsigned char>(s_[i_++]) & 0x3F);
    return cp;
  }

 private:
  std::string_view s_;
  std::size_t i_;
  bool utf8_;
};

}  // namespace

int AnsiCompareText(std::string_view a, std::string_view b) {
  // Plain ASCII, the common case, without decoding.
  std::size_t i = 0, n = std::min(a.size(), b.size());
  for (; i < n; ++i) {
    auto ca = static_cast<unsigned char>(a[i]), cb = static_cast<unsigned char>(b[i]);
    if ((ca | cb) & 0x80) break;
    if (ca != cb) {
      uint32_t wa = AsciiWeights[ca], wb = AsciiWeights[cb];
      if (wa != wb) return wa < wb ? -1 : 1;
    }
  }
  if (i == n && (i == a.size() || i == b.size())) {
    if (a.size() == b.size()) return 0;
    return a.size() < b.size() ? -1 : 1;
  }
  TCharReader ra(a, i), rb(b, i);
  int accent = 0;
  while (!ra.Done() && !rb.Done()) {
    TWeight wa = WeightOf(ra.Next()), wb = WeightOf(rb.Next());
    if (wa.Primary != wb.Primary) return wa.Primary < wb.Primary ? -1 : 1;
    if (accent == 0 && wa.Secondary != wb.Secondary) accent = wa.Secondary < wb.Secondary ? -1 : 1;
  }
  if (!ra.Done()) return 1;
  if (!rb.Done()) return -1;
  return accent;
}

int StrIComp(std::string_view a, std::string_view b) {
  std::size_t n = std::min(a.size(), b.size());
  for (std::size_t i = 0; i < n; ++i) {
    auto ca = static_cast<unsigned char>(a[i]), cb = static_cast<unsigned char>(b[i]);
    if (ca >= 'a' && ca <= 'z') ca = static_cast<unsigned char>(ca - 32);
    if (cb >= 'a' && cb <= 'z') cb = static_cast<unsigned char>(cb - 32);
    if (ca != cb) return ca < cb ? -1 : 1;
  }
  if (a.size() == b.size()) return 0;
  return a.size() < b.size() ? -1 : 1;
}

// ---- records ----

bool IsBackEntry(const TItemRec* rec) {
  return rec && KindOf(rec) == ikFolder && rec->Node && !rec->Node->Parent;
}

namespace {

template <class T>
int Cmp(T a, T b) {
  return a < b ? -1 : (b < a ? 1 : 0);
}

bool IsArchive(const TItemRec* rec) {
  return KindOf(rec) == ikFolder && HasFlag(rec, InArchive);
}

// What a file or a folder is compared by. Sizes in fixed point (bytes x 10000), so that a
// file's 32-bit size and an archive's total compare alike.
struct TSortFields {
  std::string_view Name;
  int64_t Size;
  uint32_t Modified;
  uint8_t Attributes;
  std::string_view Description;
};

TSortFields FieldsOf(const TItemRec* rec) {
  if (KindOf(rec) == ikFile) {
    auto* f = static_cast<const TFileRec*>(rec);
    return {f->Name(), int64_t(f->Size) * SizeScale, f->ModifiedTime, f->Attributes,
            f->Description.View()};
  }
  auto* d = static_cast<const TFolderRec*>(rec);
  return {d->Node ? std::string_view(d->Node->Caption) : std::string_view(), d->TotalSize,
          d->ModifiedTime, d->Attributes, d->Description.View()};
}

// Dates that are not valid come before all valid ones, so that the order stays a real order
// (a value that equalled everything would leave valid dates out of order around it).
int CompareDates(uint32_t a, uint32_t b, bool timeOnly) {
  TDateTimeParts ta, tb;
  bool va = DecodeDosDateTime(a, ta), vb = DecodeDosDateTime(b, tb);
  if (!va || !vb) return Cmp(va, vb);
  return timeOnly ? Cmp(a & 0xFFFF, b & 0xFFFF) : Cmp(a, b);
}

// Files and folders (archives compared as files take this too) by one key. Folder-only rule:
// by size, plain folders have no size of their own.
int CompareByKey(const TItemRec* a, const TItemRec* b, int key) {
  TSortFields fa = FieldsOf(a), fb = FieldsOf(b);
  switch (key) {
    case SortByName: return AnsiCompareText(fa.Name, fb.Name);
    case SortByExtension: {
      int r = AnsiCompareText(ExtensionOf(fa.Name), ExtensionOf(fb.Name));
      return r != 0 ? r : AnsiCompareText(fa.Name, fb.Name);
    }
    case SortBySize: {
      bool plainA = KindOf(a) == ikFolder && !IsArchive(a);
      bool plainB = KindOf(b) == ikFolder && !IsArchive(b);
      if (plainA || plainB) return Cmp(!plainA, !plainB);  // plain folders first, equal
      return Cmp(fa.Size, fb.Size);
    }
    case SortByDate: return CompareDates(fa.Modified, fb.Modified, false);
    case SortByTime: return CompareDates(fa.Modified, fb.Modified, true);
    case SortByAttributes: return Cmp(fa.Attributes, fb.Attributes);
    case SortByDescription: return StrIComp(fa.Description, fb.Description);
    case SortByDiskName:
    case SortByMediaType:
    case SortByFolderPath:
      return AnsiCompareText(ItemColumnText(a, key), ItemColumnText(b, key));
    default: return 0;
  }
}

int CompareDisks(const TDiskRec* a, const TDiskRec* b, int key) {
  switch (key) {
    case SortDisksByName:
      return AnsiCompareText(a->Node ? a->Node->Caption : std::string_view(),
                             b->Node ? b->Node->Caption : std::string_view());
    case SortDisksByMediaType: return Cmp(a->MediaType, b->MediaType);
    case SortDisksByCapacity: return Cmp(DiskBytes(a, 0), DiskBytes(b, 0));
    case SortDisksByFreeSpace: return Cmp(DiskBytes(a, 1), DiskBytes(b, 1));
    case SortDisksByUpdate: return Cmp(a->LastUpdate, b->LastUpdate);
    case SortDisksByDescription: return StrIComp(a->Description.View(), b->Description.View());
    default: return 0;
  }
}

}  // namespace

int CompareItems(const TItemRec* a, const TItemRec* b, int key, bool reverse,
                 bool archivesAsFiles) {
  if (a == b) return 0;
  uint8_t ka = KindOf(a), kb = KindOf(b);
  int r = 0;
  if (archivesAsFiles && (IsArchive(a) || IsArchive(b))) {
    if (ka == ikFolder && kb == ikFolder) {
      // Plain folders stay before archives whatever the direction, as folders stay before
      // files; two archives compare as folders below.
      if (IsArchive(a) != IsArchive(b)) return IsArchive(a) ? 1 : -1;
    } else if ((ka == ikFile || ka == ikFolder) && (kb == ikFile || kb == ikFolder)) {
      r = CompareByKey(a, b, key);
      return reverse ? -r : r;
    }
  }
  if (ka != kb) return ka > kb ? -1 : 1;
  switch (ka) {
    case ikFile: r = CompareByKey(a, b, key); break;
    case ikFolder:
      if (IsBackEntry(a)) return -1;
      if (IsBackEntry(b)) return 1;
      r = CompareByKey(a, b, key);
      break;
    case ikDisk:
      r = CompareDisks(static_cast<const TDiskRec*>(a), static_cast<const TDiskRec*>(b), key);
      break;
    case ikCatalog:
      if (key == SortByName && a->Node && b->Node)
        r = AnsiCompareText(a->Node->Caption, b->Node->Caption);
      break;
    default: break;
  }
  return reverse ? -r : r;
}

void SortRecords(std::vector<TItemRec*>& items, int key, bool reverse, bool archivesAsFiles) {
  std::stable_sort(items.begin(), items.end(), [&](const TItemRec* a, const TItemRec* b) {
    return CompareItems(a, b, key, reverse, archivesAsFiles) < 0;
  });
}

namespace {

// The order of a node's children; by value, as the tree may keep it until a search has ended.
TCatalogTree::TNodeOrder ChildOrder(const TNode* node, int fileKey, int diskKey, bool reverse,
                                    bool archivesAsFiles) {
  int key = node->Kind() == ikCatalog ? diskKey : fileKey;
  return [key, reverse, archivesAsFiles](const TNode* a, const TNode* b) {
    if (!a->Record || !b->Record) return false;
    return CompareItems(a->Record, b->Record, key, reverse, archivesAsFiles) < 0;
  };
}

}  // namespace

void SortTreeChildren(TNode* node, int fileKey, int diskKey, bool reverse, bool archivesAsFiles) {
  if (!node || node->ChildCount() < 2) return;
  TCatalogTree::TNodeOrder less = ChildOrder(node, fileKey, diskKey, reverse, archivesAsFiles);
  if (TCatalogTree* tree = TreeOf(node)) {
    tree->SortChildren(node, std::move(less));
    return;
  }
  std::stable_sort(node->Children.begin(), node->Children.end(),
                   [&](const std::unique_ptr<TNode>& a, const std::unique_ptr<TNode>& b) {
                     return less(a.get(), b.get());
                   });
  for (int i = 0; i < node->ChildCount(); ++i) node->Child(i)->Row = i;
}

std::vector<TNode*> SortedChildren(TNode* node, int fileKey, int diskKey, bool reverse,
                                   bool archivesAsFiles) {
  std::vector<TNode*> children;
  if (!node) return children;
  for (auto& c : node->Children) children.push_back(c.get());
  std::stable_sort(children.begin(), children.end(),
                   ChildOrder(node, fileKey, diskKey, reverse, archivesAsFiles));
  return children;
}

}  // namespace tf
