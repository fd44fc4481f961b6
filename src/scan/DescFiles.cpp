#include "scan/DescFiles.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <unordered_map>

#include "platform/Prompts.h"
#include "scan/AddDisk.h"
#include "store/LoadSave.h"
#include "text/Description.h"
#include "text/Text.h"

namespace tf {

namespace {

// Description files bigger than this are read only this far: nobody writes 8 MiB of
// descriptions, and a binary file of that name must not fill the memory.
constexpr std::size_t MaxDescriptionFile = DescriptionFileLimit;

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

bool RefuseEditWhileSearching(TNode* node, TUserPrompts& prompts) {
  TCatalogTree* tree = node ? TreeOf(node) : nullptr;
  if (!tree || !tree->SearchRunning) return false;
  prompts.Message(CantUpdateTitle, CantUpdateText, TButtons::Ok, TIcon::Information);
  return true;
}

bool StoreEditedDescription(TNode* node, TFileRec* file, std::string_view text) {
  if (TCatalogTree* tree = TreeOf(node); tree && tree->SearchRunning) return false;
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
