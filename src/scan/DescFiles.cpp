#include "scan/DescFiles.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <unordered_map>

#include "store/LoadSave.h"
#include "store/Text.h"

namespace tf {

namespace {

// Description files bigger than this are read only this far: nobody writes 8 MiB of
// descriptions, and a binary file of that name must not fill the memory.
constexpr std::size_t MaxDescriptionFile = DescriptionFileLimit;

bool IsBlank(char c) { return c == ' ' || static_cast<unsigned char>(c) == 0xFF; }

}  // namespace

namespace {

// size: the file's size as known, or -1 to ask.
bool ReadOpenFile(int fd, std::size_t limit, std::string& out, int64_t size = -1) {
  // The buffer grows with what is there: a description file is a few hundred bytes, and
  // making room for the whole limit each time costs more than reading it.
  struct stat st {};
  if (size < 0 && ::fstat(fd, &st) == 0) size = st.st_size;
  std::size_t expect = size > 0 ? std::size_t(size) : 0;
  out.resize(std::min(limit, std::max<std::size_t>(expect + 1, 4096)));
  std::size_t got = 0;
  bool ok = true;
  while (got < limit) {
    if (got == out.size()) out.resize(std::min(limit, out.size() * 2));
    ssize_t n = ::read(fd, out.data() + got, out.size() - got);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) ok = false;
    if (n <= 0) break;
    got += std::size_t(n);
  }
  ::close(fd);
  out.resize(got);
  return ok;
}

}  // namespace

bool ReadFileHead(const std::string& path, std::size_t limit, std::string& out) {
  out.clear();
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) return false;
  return ReadOpenFile(fd, limit, out);
}

bool ReadFileHeadAt(int dirFd, const std::string& name, std::size_t limit, std::string& out) {
  out.clear();
  // O_NONBLOCK: a pipe swapped in after the folder was listed must not hang the open.
  int fd = ::openat(dirFd, name.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOFOLLOW | O_NOCTTY);
  if (fd < 0) return false;
  struct stat st {};
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(fd);
    return false;
  }
  return ReadOpenFile(fd, limit, out, st.st_size);
}

std::vector<std::string> SplitLines(std::string_view text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\n' || text[i] == '\r') {
      lines.emplace_back(text.substr(start, i - start));
      if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
      start = i + 1;
    }
  }
  if (start < text.size()) lines.emplace_back(text.substr(start));
  return lines;
}

std::string TrimDescriptionEnd(std::string_view text) {
  std::size_t n = text.size();
  for (;;) {
    if (n > 0 && IsBlank(text[n - 1])) {
      --n;
    } else if (n >= 2 && text[n - 2] == '\r' && text[n - 1] == '\n') {
      n -= 2;
    } else {
      break;
    }
  }
  return std::string(text.substr(0, n));
}

std::string TrimDescriptionLines(std::string_view text) {
  std::string out;
  out.reserve(text.size() + 2);
  std::size_t start = 0;
  for (;;) {
    std::size_t end = text.find("\r\n", start);
    std::string_view line = text.substr(start, end == std::string_view::npos ? end : end - start);
    std::size_t b = 0, e = line.size();
    while (e - b > 1 && IsBlank(line[b])) ++b;
    while (e - b > 1 && IsBlank(line[e - 1])) --e;
    out.append(line.substr(b, e - b));
    out += "\r\n";
    if (end == std::string_view::npos) break;
    start = end + 2;
  }
  return TrimDescriptionEnd(out);
}

bool WrapDescription(std::string& text, int width, int maxLines) {
  if (width < 1) return false;
  // Wrapping counts characters, so a UTF-8 text is wrapped as decoded characters.
  bool utf8 = IsValidUtf8(text);
  std::u32string t = DecodeText(text);
  auto isBreak = [](char32_t c) { return c == ' ' || c == ',' || c == '-' || c == '.'; };
  // Positions below are 0-based; "line start" is start.
  std::size_t start = 0;
  int count = 1;
  bool truncated = false;
  std::size_t w = std::size_t(width);
  while (t.size() - start > w + 1) {
    std::size_t cr = std::u32string::npos;
    for (std::size_t p = start; p <= start + w && p < t.size(); ++p) {
      if (t[p] == '\r') {
        cr = p;
        break;
      }
    }
    if (cr != std::u32string::npos) {
      start = cr + 2;
    } else {
      std::size_t brk = std::u32string::npos;
      for (std::size_t p = start + w + 1; p >= start + 1; --p) {
        if (p < t.size() && isBreak(t[p])) {
          brk = p;
          break;
        }
      }
      if (brk == std::u32string::npos || brk < start + 2) brk = start + w;
      t.insert(brk, U"\r\n");
      start = brk + 2;
    }
    ++count;
    if (maxLines > 0 && count > maxLines) {
      t.erase(std::min(start, t.size()));
      truncated = true;
      break;
    }
    if (start > t.size()) break;
  }
  text = EncodeText(t, utf8 || text.empty());
  if (truncated) text = TrimDescriptionEnd(text);
  return truncated;
}

namespace {

char BoxReplacementCp437(unsigned char c) {
  switch (c) {
    case 0xC9: case 0xBB: case 0xC8: case 0xBC: case 0xCE: case 0xDA: case 0xBF:
    case 0xC0: case 0xD9: case 0xC3: case 0xC5: case 0xD5: case 0xB8: case 0xD6:
    case 0xB7: case 0xD8: case 0xD7: case 0xD4: case 0xBE: case 0xD3: case 0xBD:
      return '+';
    case 0xCD: case 0xCB: case 0xCA: case 0xC4: case 0xC2: case 0xC1: case 0xD1:
    case 0xD2: case 0xCF: case 0xD0:
      return '-';
    case 0xBA: case 0xCC: case 0xB9: case 0xB3: case 0xB4: case 0xC6: case 0xB5:
    case 0xC7: case 0xB6:
      return '|';
    case 0xF0: case 0xDB: case 0xDC: case 0xDD: case 0xDE: case 0xDF: case 0xB0:
    case 0xB1: case 0xB2:
      return '#';
    case 0xFA: return char(0xB7);  // middle dot in Windows-1252
    case 0xF9: case 0xF8: case 0xFE: return char(0x95);  // bullet in Windows-1252
    default: return 0;
  }
}

// The same shapes as Unicode characters: lines become "-" and "|", corners and crossings
// "+", blocks and shades "#".
char32_t BoxReplacementUnicode(char32_t c) {
  if (c >= 0x2580 && c <= 0x259F) return '#';
  if (c < 0x2500 || c > 0x257F) return 0;
  switch (c) {
    case 0x2500: case 0x2501: case 0x2504: case 0x2505: case 0x2508: case 0x2509:
    case 0x254C: case 0x254D: case 0x2550: case 0x2574: case 0x2576: case 0x2578:
    case 0x257A: case 0x257C: case 0x257E:
      return '-';
    case 0x2502: case 0x2503: case 0x2506: case 0x2507: case 0x250A: case 0x250B:
    case 0x254E: case 0x254F: case 0x2551: case 0x2575: case 0x2577: case 0x2579:
    case 0x257B: case 0x257D: case 0x257F:
      return '|';
    default:
      return '+';
  }
}

}  // namespace

std::string ReplaceBoxCharacters(std::string_view text) {
  if (!IsValidUtf8(text)) {
    std::string out(text);
    for (char& c : out)
      if (char r = BoxReplacementCp437(static_cast<unsigned char>(c))) c = r;
    return out;
  }
  bool any = false;
  for (char c : text)
    if (static_cast<unsigned char>(c) == 0xE2) any = true;  // U+2000..U+2FFF lead byte
  if (!any) return std::string(text);
  std::u32string t = DecodeText(text);
  for (char32_t& c : t)
    if (char32_t r = BoxReplacementUnicode(c)) c = r;
  return EncodeText(t, true);
}

bool WildcardMatch(std::string_view nameIn, std::string_view mask) {
  std::string name = UpperCase(nameIn);
  std::size_t n = 0, m = 0;
  while (m < mask.size()) {
    char mc = mask[m];
    if (mc == '*') {
      if (m + 1 == mask.size()) return true;
      char next = mask[m + 1];
      std::size_t at = name.find(next, n);
      if (at == std::string::npos) return false;
      n = at + 1;
      m += 2;
      continue;
    }
    if (n >= name.size()) return false;
    if (mc != '?' && mc != name[n]) return false;
    ++n;
    ++m;
  }
  return n == name.size();
}

void SetImportedDescription(TItemRec* item, std::string_view text, const TDescImport& opt) {
  TText* desc = DescriptionOf(item);
  if (!desc) return;
  if (!desc->Empty() && opt.KeepCurrent) return;
  desc->Reset();
  std::string t(CutText(text, MaxDescription));
  WrapDescription(t, ImportWrapWidth, opt.Truncate ? opt.TruncLines : 0);
  desc->Assign(ReplaceBoxCharacters(TrimDescriptionLines(t)));
}

namespace {

// The files (or subfolders) of one folder by name, case-insensitively, in list order. A
// description file names each item once, and a folder may hold tens of thousands of items:
// comparing every line with every name would take minutes on such a medium.
template <class T>
class TNameIndex {
 public:
  void Add(std::string_view name, T* item) { map_[Key(name)].push_back(item); }
  // The items of that name in list order; empty when none.
  const std::vector<T*>& Find(std::string_view name) const {
    static const std::vector<T*> none;
    auto it = map_.find(Key(name));
    return it == map_.end() ? none : it->second;
  }

 private:
  // Equal keys exactly when CompareNoCase finds the names equal.
  static std::u32string Key(std::string_view name) {
    std::u32string k = DecodeText(name);
    for (char32_t& c : k) c = UpperChar(c);
    return k;
  }
  std::unordered_map<std::u32string, std::vector<T*>> map_;
};

TNameIndex<TFileRec> IndexFiles(TItemRec* container) {
  TNameIndex<TFileRec> index;
  for (TFileRec* f = FirstFile(container); f; f = f->NextFile()) index.Add(f->Name(), f);
  return index;
}

}  // namespace

bool ReadFileIdDiz(TItemRec* folder, const std::string& path) {
  if (!folder || KindOf(folder) != ikFolder) return false;
  std::string text;
  if (!ReadFileHead(path, FileIdDizLimit, text)) return false;
  ApplyFileIdDiz(folder, std::move(text));
  return true;
}

void ApplyFileIdDiz(TItemRec* folder, std::string text) {
  if (!folder || KindOf(folder) != ikFolder) return;
  if (text.size() > FileIdDizLimit) text.resize(FileIdDizLimit);
  if (std::size_t zero = text.find('\0'); zero != std::string::npos) text.resize(zero);
  text.resize(Utf8CompleteLength(text));  // a character the size limit cut in two
  static_cast<TFolderRec*>(folder)->Description.Assign(
      ReplaceBoxCharacters(TrimDescriptionLines(text)));
}

bool ReadFilesBbs(TNode* container, const std::string& path, const TDescImport& opt) {
  std::string content;
  if (!ReadFileHead(path, MaxDescriptionFile, content)) return false;
  ApplyFilesBbs(container, content, opt);
  return true;
}

void ApplyFilesBbs(TNode* container, std::string_view content, const TDescImport& opt) {
  TItemRec* rec = container->Record;
  std::vector<std::string> lines = SplitLines(content);
  TNameIndex<TFileRec> files = IndexFiles(rec);

  TFileRec* target = nullptr;
  bool inEntry = false;
  std::string text;
  int entryLines = 0;
  auto finish = [&] {
    if (!inEntry) return;
    inEntry = false;
    if (!target) return;
    if (text.size() >= 2 && text.compare(text.size() - 2, 2, "\r\n") == 0) text.resize(text.size() - 2);
    text.resize(CutLength(text, MaxDescription));
    text = TrimDescriptionLines(text);
    if (!text.empty() && text[0] == '|') text.erase(0, 1);
    target->Description.Assign(ReplaceBoxCharacters(text));
    if (!target->Description.Empty()) SetFlag(rec, HasFileDescriptions, true);
  };
  for (const std::string& line : lines) {
    bool entry = line.size() > 12 && static_cast<unsigned char>(line[0]) > 32;
    if (entry) {
      finish();
      inEntry = true;
      text.clear();
      entryLines = 0;
      std::string name = line.substr(0, 12);
      while (!name.empty() && name.back() == ' ') name.pop_back();
      target = nullptr;
      for (TFileRec* f : files.Find(name)) {
        if (f->Description.Empty()) {
          target = f;
          break;
        }
      }
    } else if (!inEntry) {
      continue;
    }
    ++entryLines;
    if (opt.Truncate && entryLines > opt.TruncLines) continue;
    if (text.size() >= MaxDescription) continue;
    if (line.size() > 13) text.append(line, 13);
    text += "\r\n";
  }
  finish();
}

bool ReadDescriptIon(TNode* container, const std::string& path, const TDescImport& opt) {
  std::string content;
  if (!ReadFileHead(path, MaxDescriptionFile, content)) return false;
  ApplyDescriptIon(container, content, opt);
  return true;
}

void ApplyDescriptIon(TNode* container, std::string_view content, const TDescImport& opt) {
  TItemRec* rec = container->Record;
  TNameIndex<TFileRec> files = IndexFiles(rec);
  TNameIndex<TNode> folders;
  for (int i = 0; i < container->ChildCount(); ++i)
    folders.Add(container->Child(i)->Caption, container->Child(i));
  for (const std::string& line : SplitLines(content)) {
    std::size_t blank = line.find(' ');
    if (blank == std::string::npos || blank == 0) continue;
    std::size_t start = line.find_first_not_of(' ', blank);
    if (start == std::string::npos || static_cast<unsigned char>(line[start]) < 33) continue;
    std::string_view name(line.data(), blank);
    std::string_view desc(line.data() + start, line.size() - start);
    if (const auto& match = files.Find(name); !match.empty()) {
      SetImportedDescription(match.front(), desc, opt);
      SetFlag(rec, HasFileDescriptions, true);
      continue;
    }
    if (const auto& match = folders.Find(name); !match.empty())
      SetImportedDescription(match.front()->Record, desc, opt);
  }
}

}  // namespace tf

namespace tf {

std::vector<std::string> SplitMasks(std::string_view list) {
  std::vector<std::string> masks;
  std::size_t start = 0;
  while (start <= list.size()) {
    std::size_t comma = list.find(',', start);
    std::string_view m = list.substr(start, comma == std::string_view::npos ? comma : comma - start);
    while (!m.empty() && m.front() == ' ') m.remove_prefix(1);
    while (!m.empty() && m.back() == ' ') m.remove_suffix(1);
    if (!m.empty()) masks.emplace_back(m);
    if (comma == std::string_view::npos) break;
    start = comma + 1;
  }
  return masks;
}

namespace {

struct TFound {
  std::size_t Mask;
  std::string Path;
};

void Collect(TNode* node, const std::vector<std::string>& masks, bool subfolders, int maxLevels,
             int level, const std::string& path, std::vector<TFound>& found) {
  if (!node->Record || HasFlag(node->Record, InArchive)) return;
  LoadFiles(node);
  for (TFileRec* f = FirstFile(node->Record); f; f = f->NextFile()) {
    for (std::size_t m = 0; m < masks.size(); ++m) {
      if (!WildcardMatch(f->Name(), masks[m])) continue;
      // After every entry of the same or a better mask.
      auto at = std::find_if(found.begin(), found.end(), [&](const TFound& e) { return e.Mask > m; });
      found.insert(at, {m, path + std::string(f->Name())});
      break;
    }
  }
  if (!subfolders || level >= maxLevels) return;
  if (KindOf(node->Record) == ikFolder) LoadSubfolders(node);
  for (int i = 0; i < node->ChildCount(); ++i) {
    TNode* child = node->Child(i);
    std::string childPath = (level == 0 ? std::string(".\\") : path) + child->Caption + "\\";
    Collect(child, masks, subfolders, maxLevels, level + 1, childPath, found);
  }
}

}  // namespace

std::vector<std::string> CollectDescriptionFiles(TNode* node, const std::vector<std::string>& masks,
                                                 bool subfolders, int maxLevels) {
  std::vector<TFound> found;
  if (node && node->Record &&
      (KindOf(node->Record) == ikDisk || KindOf(node->Record) == ikFolder))
    Collect(node, masks, subfolders, maxLevels, 0, std::string(), found);
  std::vector<std::string> paths;
  for (auto& f : found) paths.push_back(std::move(f.Path));
  return paths;
}

bool ReadDescriptionView(const std::string& path, std::string& text) {
  if (!ReadFileHead(path, DescViewLimit, text)) {
    text = DescViewReadError;
    return false;
  }
  std::replace(text.begin(), text.end(), '\0', char(0xFF));
  if (text.size() == DescViewLimit) text += std::string("\r\n") + DescViewTruncated;
  return true;
}

}  // namespace tf

namespace tf {

std::string DescriptionFilePath(TNode* node, char letter, std::string_view entry) {
  if (entry.substr(0, 2) == ".\\") entry.remove_prefix(2);
  std::string folder = GetFolderPath(node);
  std::string path = std::string(1, letter) + ":" + folder;
  if (folder.size() > 1) path += "\\";
  path += entry;
  return path;
}

bool StoreEditedDescription(TNode* node, TFileRec* file, std::string_view text) {
  TItemRec* item = file ? static_cast<TItemRec*>(file) : node->Record;
  TText* desc = DescriptionOf(item);
  if (!desc) return false;
  std::string stored;
  if (!text.empty()) stored = TrimDescriptionLines(CutText(text, MaxDescription));
  if (desc->View() == stored) return false;
  desc->Assign(stored);
  if (file) {
    bool any = false;
    for (TFileRec* f = FirstFile(node->Record); f && !any; f = f->NextFile())
      any = !f->Description.Empty();
    SetFlag(node->Record, HasFileDescriptions, any);
  }
  if (KindOf(node->Record) == ikCatalog)
    SetCatalogModified(node, true);
  else
    SetDiskChanged(node, true);
  return true;
}

}  // namespace tf
