#include "platform/Drives.h"

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdio>

#include "platform/SettingsStore.h"
#include "text/Text.h"

namespace tf {

namespace {

constexpr std::string_view BackslashStandIn = "\xEF\x81\x9C";  // U+F05C

std::string ReplaceAll(std::string_view s, std::string_view from, std::string_view to) {
  std::string out;
  out.reserve(s.size());
  std::size_t i = 0;
  while (i < s.size()) {
    if (s.compare(i, from.size(), from) == 0) {
      out += to;
      i += from.size();
    } else {
      out += s[i++];
    }
  }
  return out;
}

bool Exists(const std::string& path) {
  struct stat st {};
  return ::lstat(path.c_str(), &st) == 0;
}

// The components of the part of a catalog path behind "X:"; nullopt when one of them could
// lead out of the drive or cannot be a host name.
std::optional<std::vector<std::string>> CatalogComponents(std::string_view rest) {
  std::vector<std::string> parts;
  std::size_t i = 0;
  while (i <= rest.size()) {
    std::size_t j = rest.find_first_of("\\/", i);
    if (j == std::string_view::npos) j = rest.size();
    std::string_view part = rest.substr(i, j - i);
    if (part == "." || part == ".." || part.find('\0') != std::string_view::npos)
      return std::nullopt;
    if (!part.empty()) parts.push_back(HostName(part));
    i = j + 1;
  }
  return parts;
}

std::string Join(std::string root, const std::vector<std::string>& parts) {
  for (const std::string& p : parts) {
    if (root.empty() || root.back() != '/') root += '/';
    root += p;
  }
  return root;
}

// The entry of folder whose name equals name but for case; the smallest such name when
// several do (README and Readme on a case-sensitive file system).
std::optional<std::string> MatchIgnoringCase(const std::string& folder, const std::string& name) {
  DIR* dir = ::opendir(folder.c_str());
  if (!dir) return std::nullopt;
  std::optional<std::string> best;
  while (struct dirent* de = ::readdir(dir)) {
    std::string n = de->d_name;
    if (n == "." || n == "..") continue;
    if (EqualsNoCase(n, name) && (!best || n < *best)) best = n;
  }
  ::closedir(dir);
  return best;
}

std::string LetterName(char letter) { return std::string(1, letter); }

}  // namespace

char NormalDriveLetter(char c) {
  if (c >= 'a' && c <= 'z') return char(c - 32);
  return IsDriveLetter(c) ? c : 0;
}

std::string FormatSerial(uint32_t serial) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "%04X-%04X", unsigned(serial >> 16), unsigned(serial & 0xFFFF));
  return buf;
}

std::optional<uint32_t> ParseSerial(std::string_view text) {
  std::string digits(text);
  if (text.size() == 9 && text[4] == '-') digits = std::string(text.substr(0, 4)) + std::string(text.substr(5));
  if (digits.size() != 8) return std::nullopt;
  uint32_t v = 0;
  for (char c : digits) {
    int d = c >= '0' && c <= '9'   ? c - '0'
            : c >= 'A' && c <= 'F' ? c - 'A' + 10
            : c >= 'a' && c <= 'f' ? c - 'a' + 10
                                   : -1;
    if (d < 0) return std::nullopt;
    v = (v << 4) | uint32_t(d);
  }
  return v;
}

std::string CatalogName(std::string_view hostName) {
  return ReplaceAll(hostName, "\\", BackslashStandIn);
}

std::string HostName(std::string_view catalogName) {
  return ReplaceAll(catalogName, BackslashStandIn, "\\");
}

std::string HostPathOf(TDrives& drives, std::string_view catalogPath) {
  if (catalogPath.size() < 2 || catalogPath[1] != ':') return {};
  char letter = NormalDriveLetter(catalogPath[0]);
  if (!letter) return {};
  std::string root = drives.RootPath(letter);
  if (root.empty()) return {};
  auto parts = CatalogComponents(catalogPath.substr(2));
  if (!parts) return {};
  return Join(root, *parts);
}

std::string CatalogPathOf(TDrives& drives, std::string_view hostPath) {
  uint32_t mask = drives.LogicalDrives();
  char best = 0;
  std::string bestRoot;
  for (int i = 0; i < 26; ++i) {
    if (!(mask & (1u << i))) continue;
    char letter = char('A' + i);
    std::string root = drives.RootPath(letter);
    if (root.empty()) continue;
    while (root.size() > 1 && root.back() == '/') root.pop_back();
    bool inside = hostPath == root ||
                  (hostPath.size() > root.size() && hostPath.substr(0, root.size()) == root &&
                   (root == "/" || hostPath[root.size()] == '/'));
    if (inside && (!best || root.size() > bestRoot.size())) {
      best = letter;
      bestRoot = root;
    }
  }
  if (!best) return {};
  std::string out = std::string(1, best) + ":";
  std::string_view rest = hostPath.substr(bestRoot == "/" ? 0 : bestRoot.size());
  std::size_t i = 0;
  bool any = false;
  while (i < rest.size()) {
    std::size_t j = rest.find('/', i);
    if (j == std::string_view::npos) j = rest.size();
    if (j > i) {
      out += '\\';
      out += CatalogName(rest.substr(i, j - i));
      any = true;
    }
    i = j + 1;
  }
  if (!any) out += '\\';
  return out;
}

std::string FindHostPath(TDrives& drives, std::string_view catalogPath) {
  std::string exact = HostPathOf(drives, catalogPath);
  if (exact.empty() || Exists(exact)) return exact;
  char letter = NormalDriveLetter(catalogPath[0]);
  std::string path = drives.RootPath(letter);
  auto parts = CatalogComponents(catalogPath.substr(2));
  for (const std::string& part : *parts) {
    std::string next = Join(path, {part});
    if (!Exists(next)) {
      auto match = MatchIgnoringCase(path, part);
      if (!match) return {};
      next = Join(path, {*match});
    }
    path = std::move(next);
  }
  return path;
}

TDriveType FolderDriveType(uint8_t mediaType) {
  switch (mediaType) {
    case 0: case 1: case 2: case 3: case 4: case 7: case 9: case 13:
      return TDriveType::Removable;
    case 5: return TDriveType::Fixed;
    case 10: return TDriveType::CdRom;
    case 11: return TDriveType::Remote;
    case 12: return TDriveType::RamDisk;
    default: return TDriveType::Unknown;  // tape, optical, unknown: the device type decides
  }
}

std::vector<TFolderDrive> LoadFolderDrives(TSettingsKey& settings) {
  std::vector<TFolderDrive> drives;
  auto key = settings.Subkey("FolderDrives");
  if (!key->Exists()) return drives;
  for (char letter = 'A'; letter <= 'Z'; ++letter) {
    auto sub = key->Subkey(LetterName(letter));
    if (!sub->Exists()) continue;
    auto folder = sub->ReadString("Folder");
    if (!folder || folder->empty()) continue;
    TFolderDrive d;
    d.Letter = letter;
    d.Folder = *folder;
    d.Label = std::string(CutText(sub->ReadString("Label").value_or(""), 11));
    d.Serial = ParseSerial(sub->ReadString("Serial").value_or("")).value_or(0);
    std::string media = sub->ReadString("MediaType").value_or("");
    int code = -1;
    if (!media.empty() && media.size() <= 3 &&
        std::all_of(media.begin(), media.end(), [](char c) { return c >= '0' && c <= '9'; }))
      code = std::stoi(media);
    d.MediaType = code >= 0 && code <= 255 ? uint8_t(code) : 5;
    std::string fs = sub->ReadString("FileSystem").value_or("");
    d.FileSystem = std::string(CutText(UpperCase(fs), 8));
    drives.push_back(std::move(d));
  }
  return drives;
}

void SaveFolderDrive(TSettingsKey& settings, const TFolderDrive& drive) {
  char letter = NormalDriveLetter(drive.Letter);
  if (!letter) return;
  auto sub = settings.Subkey("FolderDrives")->Subkey(LetterName(letter));
  sub->WriteString("Folder", drive.Folder);
  sub->WriteString("Label", drive.Label);
  sub->WriteString("Serial", FormatSerial(drive.Serial));
  sub->WriteString("MediaType", std::to_string(drive.MediaType));
  sub->WriteString("FileSystem", drive.FileSystem);
}

void RemoveFolderDrive(TSettingsKey& settings, char letter) {
  letter = NormalDriveLetter(letter);
  if (!letter) return;
  auto key = settings.Subkey("FolderDrives");
  if (!key->Exists()) return;
  auto sub = key->Subkey(LetterName(letter));
  if (sub->Exists()) sub->DeleteKey();
}

}  // namespace tf
