#include "platform/LinuxDrives.h"

#include <blkid.h>
#include <dirent.h>
#include <fcntl.h>
#include <linux/fs.h>
#include <linux/msdos_fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <sys/statvfs.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <algorithm>
#include <charconv>
#include <climits>
#include <cstdlib>
#include <fstream>
#include <set>
#include <sstream>

#include "platform/DirEnum.h"
#include "text/Text.h"

namespace tf {

namespace {

bool StartsWith(std::string_view s, std::string_view prefix) {
  return s.substr(0, prefix.size()) == prefix;
}

// The path itself or anything below it.
bool Under(std::string_view path, std::string_view folder) {
  return path == folder ||
         (StartsWith(path, folder) && path.size() > folder.size() && path[folder.size()] == '/');
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return {};
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

std::string ReadFirstLine(const std::string& path) {
  std::string s = ReadFile(path);
  std::size_t end = s.find_first_of("\r\n");
  if (end != std::string::npos) s.resize(end);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.pop_back();
  return s;
}

uint64_t ReadNumber(const std::string& path) {
  std::string s = ReadFirstLine(path);
  uint64_t v = 0;
  auto r = std::from_chars(s.data(), s.data() + s.size(), v);
  return r.ec == std::errc() ? v : 0;
}

bool IsDir(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool Exists(const std::string& path) {
  struct stat st {};
  return ::lstat(path.c_str(), &st) == 0;
}

std::string RealPath(const std::string& path) {
  char* r = ::realpath(path.c_str(), nullptr);
  if (!r) return {};
  std::string s = r;
  std::free(r);
  return s;
}

std::string BaseName(const std::string& path) {
  std::size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string DirName(const std::string& path) {
  std::size_t slash = path.find_last_of('/');
  return slash == std::string::npos || slash == 0 ? std::string("/") : path.substr(0, slash);
}

std::vector<std::string> ListFolder(const std::string& path) {
  std::vector<std::string> names;
  DIR* dir = ::opendir(path.c_str());
  if (!dir) return names;
  while (struct dirent* de = ::readdir(dir)) {
    std::string n = de->d_name;
    if (n != "." && n != "..") names.push_back(n);
  }
  ::closedir(dir);
  std::sort(names.begin(), names.end());
  return names;
}

const std::set<std::string_view>& PseudoTypes() {
  static const std::set<std::string_view> types = {
      "proc",     "sysfs",      "cgroup",   "cgroup2",     "devpts",   "devtmpfs",
      "mqueue",   "debugfs",    "tracefs",  "securityfs",  "pstore",   "bpf",
      "configfs", "fusectl",    "hugetlbfs", "autofs",     "binfmt_misc", "rpc_pipefs",
      "nsfs",     "efivarfs",   "selinuxfs", "nfsd",       "fuse.portal", "fuse.gvfsd-fuse",
      "cpuset",   "ramfs_snap", "overlayfs_internal"};
  return types;
}

bool IsNetworkType(std::string_view t) {
  static const std::set<std::string_view> types = {
      "nfs",   "nfs4",       "cifs",           "smb3",        "smbfs",        "sshfs",
      "fuse.sshfs", "9p",    "afs",            "ceph",        "glusterfs",    "fuse.glusterfs",
      "davfs", "fuse.davfs2", "fuse.rclone",   "ncpfs",       "coda",         "fuse.s3fs",
      "fuse.smbnetfs", "fuse.curlftpfs"};
  return types.count(t) != 0;
}

bool IsRamType(std::string_view t) { return t == "tmpfs" || t == "ramfs"; }
bool IsOpticalType(std::string_view t) { return t == "iso9660" || t == "udf"; }
bool IsFatType(std::string_view t) { return t == "vfat" || t == "msdos" || t == "fat"; }

constexpr uint64_t FloppySizes[] = {720, 1440, 2400, 2880, 3360, 5760};

bool IsFloppySize(uint64_t sectors) {
  return std::find(std::begin(FloppySizes), std::end(FloppySizes), sectors) !=
         std::end(FloppySizes);
}

// udev writes unusual characters of /dev/disk/by-label names as "\xHH".
std::string UnescapeUdev(std::string_view s) {
  std::string out;
  for (std::size_t i = 0; i < s.size(); ++i) {
    unsigned v = 0;
    if (s[i] == '\\' && i + 3 < s.size() && s[i + 1] == 'x' &&
        std::from_chars(s.data() + i + 2, s.data() + i + 4, v, 16).ptr == s.data() + i + 4) {
      out += char(v);
      i += 3;
    } else {
      out += s[i];
    }
  }
  return out;
}

// The name under /dev/disk/<kind> that points at the device numbered dev; empty when none.
std::string DiskLinkName(const std::string& devRoot, const char* kind, dev_t dev) {
  std::string folder = devRoot + "/disk/" + kind;
  for (const std::string& n : ListFolder(folder)) {
    struct stat st {};
    if (::stat((folder + "/" + n).c_str(), &st) == 0 && S_ISBLK(st.st_mode) && st.st_rdev == dev)
      return UnescapeUdev(n);
  }
  return {};
}

std::optional<dev_t> ParseDevNumber(std::string_view text) {
  std::size_t colon = text.find(':');
  if (colon == std::string_view::npos) return std::nullopt;
  unsigned major = 0, minor = 0;
  auto a = std::from_chars(text.data(), text.data() + colon, major);
  auto b = std::from_chars(text.data() + colon + 1, text.data() + text.size(), minor);
  if (a.ec != std::errc() || b.ec != std::errc()) return std::nullopt;
  return makedev(major, minor);
}

std::string FsLabelOf(const std::string& root) {
  int fd = ::open(root.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return {};
  char buf[FSLABEL_MAX] = {};
  std::string label;
  if (::ioctl(fd, FS_IOC_GETFSLABEL, buf) == 0) label.assign(buf, strnlen(buf, sizeof buf));
  ::close(fd);
  return label;
}

bool IsExtType(std::string_view t) { return t == "ext2" || t == "ext3" || t == "ext4"; }

// ext2/3/4 report as file-system id the two halves of their UUID XORed together, which folds
// to the very value SerialFromUuid gives for that UUID: the serial stays the same whether or
// not the device itself can be read.
uint32_t ExtSerialFromFsid(const std::string& root) {
  struct statfs sf {};
  if (::statfs(root.c_str(), &sf) != 0) return 0;
  uint32_t halves = uint32_t(sf.f_fsid.__val[0]) ^ uint32_t(sf.f_fsid.__val[1]);
  return __builtin_bswap32(halves);
}

std::optional<uint32_t> FatVolumeIdOf(const std::string& root) {
  int fd = ::open(root.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return std::nullopt;
  uint32_t id = 0;
  bool ok = ::ioctl(fd, FAT_IOCTL_GET_VOLUME_ID, &id) == 0;
  ::close(fd);
  return ok ? std::optional<uint32_t>(id) : std::nullopt;
}

}  // namespace

// ---- mountinfo

std::string UnescapeMountField(std::string_view field) {
  auto octal = [](char c) { return c >= '0' && c <= '7'; };
  std::string out;
  out.reserve(field.size());
  for (std::size_t i = 0; i < field.size(); ++i) {
    if (field[i] == '\\' && i + 3 < field.size() &&
        octal(field[i + 1]) && octal(field[i + 2]) && octal(field[i + 3])) {
      out += char(((field[i + 1] - '0') << 6) | ((field[i + 2] - '0') << 3) | (field[i + 3] - '0'));
      i += 3;
    } else {
      out += field[i];
    }
  }
  return out;
}

std::vector<TMountEntry> ParseMountInfo(std::string_view text) {
  std::vector<TMountEntry> mounts;
  std::size_t pos = 0;
  while (pos < text.size()) {
    std::size_t end = text.find('\n', pos);
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = text.substr(pos, end - pos);
    pos = end + 1;

    std::vector<std::string_view> f;
    std::size_t i = 0;
    while (i < line.size()) {
      while (i < line.size() && line[i] == ' ') ++i;
      std::size_t j = line.find(' ', i);
      if (j == std::string_view::npos) j = line.size();
      if (j > i) f.push_back(line.substr(i, j - i));
      i = j;
    }
    // id parent major:minor root mountpoint options [optional...] - fstype source superoptions
    if (f.size() < 9) continue;
    auto dash = std::find(f.begin() + 6, f.end(), std::string_view("-"));
    if (dash == f.end() || f.end() - dash < 3) continue;
    TMountEntry m;
    if (std::from_chars(f[0].data(), f[0].data() + f[0].size(), m.Id).ec != std::errc()) continue;
    auto dev = ParseDevNumber(f[2]);
    if (!dev) continue;
    m.Major = major(*dev);
    m.Minor = minor(*dev);
    m.Root = UnescapeMountField(f[3]);
    m.MountPoint = UnescapeMountField(f[4]);
    m.Options = std::string(f[5]);
    m.FsType = UnescapeMountField(dash[1]);
    m.Source = UnescapeMountField(dash[2]);
    if (f.end() - dash >= 4) m.SuperOptions = std::string(dash[3]);
    if (m.MountPoint.empty() || m.MountPoint[0] != '/') continue;
    mounts.push_back(std::move(m));
  }
  return mounts;
}

bool IsPseudoMount(const TMountEntry& m) {
  if (m.MountPoint == "/") return false;
  if (PseudoTypes().count(m.FsType)) return true;
  for (const char* folder : {"/proc", "/sys", "/dev"})
    if (Under(m.MountPoint, folder)) return true;
  if (Under(m.MountPoint, "/run") && !Under(m.MountPoint, "/run/media")) return true;
  if (m.FsType == "overlay") return true;  // container layers; "/" itself is kept above
  if (m.FsType == "squashfs" && (Under(m.MountPoint, "/snap") ||
                                 Under(m.MountPoint, "/var/lib/snapd")))
    return true;
  return false;
}

std::vector<TMountEntry> ReadMountTable(const std::string& mountInfo) {
  return ParseMountInfo(ReadFile(mountInfo));
}

std::string DriveMountPointOf(std::string_view path, const std::vector<TMountEntry>& mounts) {
  std::string best = "/";
  for (const TMountEntry& m : mounts)
    if (!IsPseudoMount(m) && Under(path, m.MountPoint) && m.MountPoint.size() > best.size())
      best = m.MountPoint;
  return best;
}

// ---- volume facts

std::optional<TProbedVolume> ProbeVolume(const std::string& path) {
  blkid_probe pr = blkid_new_probe_from_filename(path.c_str());
  if (!pr) return std::nullopt;
  blkid_probe_enable_superblocks(pr, 1);
  blkid_probe_set_superblocks_flags(
      pr, BLKID_SUBLKS_LABEL | BLKID_SUBLKS_UUID | BLKID_SUBLKS_TYPE | BLKID_SUBLKS_VERSION);
  std::optional<TProbedVolume> result;
  if (blkid_do_safeprobe(pr) == 0) {
    TProbedVolume v;
    auto value = [pr](const char* name) {
      const char* data = nullptr;
      size_t len = 0;
      if (blkid_probe_lookup_value(pr, name, &data, &len) != 0 || !data) return std::string();
      return std::string(data, strnlen(data, len));
    };
    v.Type = value("TYPE");
    v.Version = value("VERSION");
    v.Label = value("LABEL");
    v.Uuid = value("UUID");
    if (!v.Type.empty()) result = std::move(v);
  }
  blkid_free_probe(pr);
  return result;
}

std::string FileSystemName(std::string_view fsType, std::string_view probedType,
                           std::string_view probedVersion, uint64_t clusters) {
  std::string t(fsType);
  if ((t == "fuseblk" || t.empty()) && !probedType.empty()) t = probedType;
  if (StartsWith(t, "fuse.")) t = t.substr(5);
  if (IsFatType(t)) {
    if (probedVersion == "FAT32") return "FAT32";
    if (StartsWith(probedVersion, "FAT")) return "FAT";
    // The FAT type is defined by the cluster count, which statvfs reports for vfat.
    return clusters >= 65525 ? "FAT32" : "FAT";
  }
  if (t == "iso9660") return "CDFS";
  if (t == "ntfs" || t == "ntfs3" || t == "ntfs-3g") return "NTFS";
  return std::string(CutText(UpperCase(t), 8));
}

uint32_t SerialFromUuid(std::string_view fsType, std::string_view uuid) {
  if (uuid.empty()) return 0;
  std::string hex;
  bool allHex = true;
  for (char c : uuid) {
    if (c == '-') continue;
    if ((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'))
      hex += c;
    else
      allHex = false;
  }
  std::string t(fsType);
  if (allHex && hex.size() == 8) return ParseSerial(hex).value_or(0);  // FAT, exFAT
  if (allHex && hex.size() == 16 && StartsWith(t, "ntfs"))
    return ParseSerial(hex.substr(8)).value_or(0);  // what Windows shows of the NTFS serial
  if (allHex && !hex.empty() && hex.size() % 2 == 0) {
    uint32_t folded = 0;
    for (std::size_t i = 0; i < hex.size(); i += 2) {
      unsigned byte = 0;
      std::from_chars(hex.data() + i, hex.data() + i + 2, byte, 16);
      std::size_t shift = 24 - 8 * ((i / 2) % 4);
      folded ^= uint32_t(byte) << shift;
    }
    return folded;
  }
  uint32_t h = 2166136261u;  // FNV-1a of any other UUID text
  for (char c : uuid) {
    h ^= uint8_t(c);
    h *= 16777619u;
  }
  return h;
}

uint8_t FloppyTypeFromSectors(uint64_t sectors) {
  if (sectors == 0) return DeviceTypeUnknown;
  if (sectors <= 800) return 0;    // 360 KB 5.25"
  if (sectors <= 1600) return 2;   // 720 KB 3.5"
  if (sectors <= 2400) return 1;   // 1.2 MB 5.25"
  if (sectors <= 3500) return 7;   // 1.44 MB 3.5" (and DMF 1.68 MB)
  return 9;                        // 2.88 MB 3.5"
}

// ---- the drive table

struct TLinuxDrives::TDevice {
  std::string Name;      // sysfs name of the block device ("sdb1"); empty when none
  std::string Disk;      // its whole disk ("sdb")
  std::string SysPath;   // resolved sysfs folder of Name
  std::string DiskPath;  // resolved sysfs folder of Disk
  bool Removable = false;
  bool Usb = false;
  uint64_t DiskSectors = 0;
};

struct TLinuxDrives::TSlot {
  enum TKind { kNone, kMount, kEmptyDrive, kFolder } Kind = kNone;
  std::string Key;
  TMountEntry Mount;  // Mount
  TDevice Device;     // Mount, EmptyDrive
  TDriveType Type = TDriveType::NoRootDir;
  uint8_t DeviceCode = DeviceTypeUnknown;
  TFolderDrive Folder;  // Folder
};

TLinuxDrives::TLinuxDrives(TSettingsKey* settings, TLinuxDrivesOptions options)
    : settings_(settings), options_(std::move(options)), slots_(26) {
  ReloadFolderDrives();
}

TLinuxDrives::~TLinuxDrives() = default;

void TLinuxDrives::ReloadFolderDrives() {
  folderDrives_ = settings_ ? LoadFolderDrives(*settings_) : std::vector<TFolderDrive>();
  built_ = false;
}

TLinuxDrives::TDevice TLinuxDrives::DescribeDevice(const TMountEntry& m) const {
  TDevice d;
  std::string path;
  if (m.Major != 0)
    path = RealPath(options_.SysRoot + "/dev/block/" + std::to_string(m.Major) + ":" +
                    std::to_string(m.Minor));
  if (path.empty() && StartsWith(m.Source, "/dev/")) {
    // btrfs and others mount with an anonymous device number; the source names the device.
    std::string src = RealPath(m.Source);
    path = RealPath(options_.SysRoot + "/class/block/" + BaseName(src.empty() ? m.Source : src));
  }
  if (path.empty()) return d;
  d.Name = BaseName(path);
  d.SysPath = path;
  d.DiskPath = Exists(path + "/partition") ? DirName(path) : path;
  d.Disk = BaseName(d.DiskPath);
  d.Removable = ReadFirstLine(d.DiskPath + "/removable") == "1";
  d.Usb = d.DiskPath.find("/usb") != std::string::npos;
  d.DiskSectors = ReadNumber(d.DiskPath + "/size");
  return d;
}

void TLinuxDrives::Refresh(bool force) {
  std::string text = ReadFile(options_.MountInfo);
  if (built_ && !force && text == lastMountInfo_) return;
  lastMountInfo_ = text;
  Rebuild(ParseMountInfo(text));
  built_ = true;
}

void TLinuxDrives::Rebuild(const std::vector<TMountEntry>& all) {
  // The mounts that can be drives; of several on one mount point the last one is seen.
  std::vector<TMountEntry> mounts;
  for (const TMountEntry& m : all) {
    if (IsPseudoMount(m)) continue;
    if (m.MountPoint != "/" && !IsDir(m.MountPoint)) continue;  // a bind-mounted file
    auto same = std::find_if(mounts.begin(), mounts.end(),
                             [&](const TMountEntry& o) { return o.MountPoint == m.MountPoint; });
    if (same != mounts.end()) mounts.erase(same);
    mounts.push_back(m);
  }

  struct TCandidate {
    TMountEntry Mount;
    TDevice Device;
    TDriveType Type = TDriveType::Fixed;
    uint8_t Code = 5;
    bool Floppy = false;
    bool Used = false;
  };
  std::vector<TCandidate> cands;
  for (const TMountEntry& m : mounts) {
    TCandidate c;
    c.Mount = m;
    c.Device = DescribeDevice(m);
    const TDevice& d = c.Device;
    c.Floppy = StartsWith(d.Disk, "fd") || (d.Removable && IsFloppySize(d.DiskSectors));
    bool optical = StartsWith(d.Disk, "sr") || m.Major == 11 || IsOpticalType(m.FsType);
    if (c.Floppy) {
      c.Type = TDriveType::Removable;
      c.Code = FloppyTypeFromSectors(d.DiskSectors);
    } else if (optical) {
      c.Type = TDriveType::CdRom;
      c.Code = 10;
    } else if (IsNetworkType(m.FsType)) {
      c.Type = TDriveType::Remote;
      c.Code = 11;
    } else if (IsRamType(m.FsType)) {
      c.Type = TDriveType::RamDisk;
      c.Code = 12;
    } else if (d.Removable || d.Usb) {
      c.Type = TDriveType::Removable;
      c.Code = 13;
    }
    cands.push_back(std::move(c));
  }

  std::vector<TSlot> slots(26);
  // The user's folder drives: their own letters, but never C and never one taken already.
  auto addFolderDrives = [&] {
    for (const TFolderDrive& f : folderDrives_) {
      char letter = NormalDriveLetter(f.Letter);
      if (!letter || letter == 'C') continue;
      TSlot& s = slots[std::size_t(letter - 'A')];
      if (s.Kind != TSlot::kNone) continue;
      s.Kind = TSlot::kFolder;
      s.Key = "folder:" + std::string(1, letter);
      s.Folder = f;
      s.Type = FolderDriveType(f.MediaType);
      s.DeviceCode = f.MediaType;
    }
  };

  if (options_.OnlyMountPoint) {
    for (TCandidate& c : cands) {
      if (c.Mount.MountPoint != *options_.OnlyMountPoint) continue;
      bool root = c.Mount.MountPoint == "/";
      TSlot& s = slots[root ? 2 : 3];
      s.Kind = TSlot::kMount;
      s.Key = "mnt:" + c.Mount.MountPoint;
      s.Mount = c.Mount;
      s.Device = c.Device;
      // As C: below, the system drive is fixed even when started from a stick.
      s.Type = root && c.Type == TDriveType::Removable ? TDriveType::Fixed : c.Type;
      s.DeviceCode = s.Type == TDriveType::Fixed ? 5 : c.Code;
    }
    addFolderDrives();
    slots_ = std::move(slots);
    return;
  }

  auto deviceSlot = [&](const std::string& disk, TDriveType type, uint8_t code) {
    TSlot s;
    s.Key = "dev:" + disk;
    s.Type = type;
    s.DeviceCode = code;
    s.Kind = TSlot::kEmptyDrive;
    for (TCandidate& c : cands) {
      if (!c.Used && c.Device.Disk == disk) {
        c.Used = true;
        s.Kind = TSlot::kMount;
        s.Mount = c.Mount;
        s.Device = c.Device;
        if (c.Code != DeviceTypeUnknown) s.DeviceCode = c.Code;
        break;
      }
    }
    return s;
  };

  // A and B: floppy drives, mounted or not.
  std::vector<std::string> floppies;
  std::vector<std::string> opticals;
  std::vector<std::string> blockNames = ListFolder(options_.SysRoot + "/block");
  for (const std::string& n : blockNames)
    if (StartsWith(n, "fd")) floppies.push_back(n);
  for (const std::string& n : blockNames) {
    std::string p = options_.SysRoot + "/block/" + n;
    if (!StartsWith(n, "fd") && ReadFirstLine(p + "/removable") == "1" &&
        IsFloppySize(ReadNumber(p + "/size")))
      floppies.push_back(n);
    if (StartsWith(n, "sr")) opticals.push_back(n);
  }
  for (std::size_t i = 0; i < floppies.size() && i < 2; ++i) {
    uint64_t size = ReadNumber(options_.SysRoot + "/block/" + floppies[i] + "/size");
    slots[i] = deviceSlot(floppies[i], TDriveType::Removable, FloppyTypeFromSectors(size));
  }

  // C: the root file system, whatever it is.
  {
    TSlot& c = slots[2];
    auto root = std::find_if(cands.begin(), cands.end(), [](const TCandidate& x) {
      return !x.Used && x.Mount.MountPoint == "/";
    });
    c.Kind = TSlot::kMount;
    c.Key = "mnt:/";
    if (root != cands.end()) {
      root->Used = true;
      c.Mount = root->Mount;
      c.Device = root->Device;
      // A system started from a stick still calls its system drive fixed.
      c.Type = root->Type == TDriveType::Removable ? TDriveType::Fixed : root->Type;
      c.DeviceCode = c.Type == TDriveType::Fixed ? 5 : root->Code;
    } else {
      // No mount table (an odd container): "/" is still there.
      c.Mount.MountPoint = "/";
      struct stat st {};
      if (::stat("/", &st) == 0) {
        c.Mount.Major = major(st.st_dev);
        c.Mount.Minor = minor(st.st_dev);
      }
      c.Type = TDriveType::Fixed;
      c.DeviceCode = 5;
    }
  }

  addFolderDrives();

  // The rest, in mount-point order, then optical drives without a disc.
  std::vector<TSlot> rest;
  std::set<std::string> keys;
  for (const std::string& n : opticals) {
    TSlot s = deviceSlot(n, TDriveType::CdRom, 10);
    keys.insert(s.Key);
    rest.push_back(std::move(s));
  }
  for (TCandidate& cand : cands) {
    if (cand.Used) continue;
    TCandidate* c = &cand;
    TSlot s;
    s.Kind = TSlot::kMount;
    s.Mount = c->Mount;
    s.Device = c->Device;
    s.Type = c->Type;
    s.DeviceCode = c->Code;
    // Media in a drive keep the drive's letter from one medium to the next.
    bool media = !c->Device.Name.empty() && (c->Device.Removable || c->Device.Usb);
    s.Key = media ? "dev:" + c->Device.Name : "mnt:" + c->Mount.MountPoint;
    if (keys.count(s.Key)) s.Key = "mnt:" + c->Mount.MountPoint;
    if (keys.count(s.Key)) continue;
    keys.insert(s.Key);
    rest.push_back(std::move(s));
  }
  // Mounts in mount-point order (an optical drive with a disc among them), then the empty
  // optical drives.
  std::stable_sort(rest.begin(), rest.end(), [](const TSlot& a, const TSlot& b) {
    bool am = a.Kind == TSlot::kMount, bm = b.Kind == TSlot::kMount;
    if (am != bm) return am;
    return am ? a.Mount.MountPoint < b.Mount.MountPoint : a.Key < b.Key;
  });

  auto isFree = [&](char letter) { return slots[std::size_t(letter - 'A')].Kind == TSlot::kNone; };
  std::vector<TSlot*> fresh;
  for (TSlot& s : rest) {
    auto known = letters_.find(s.Key);
    if (known != letters_.end() && known->second >= 'D' && isFree(known->second)) {
      slots[std::size_t(known->second - 'A')] = std::move(s);
    } else {
      fresh.push_back(&s);
    }
  }
  std::set<char> reserved;  // letters of mounts seen earlier in the run and gone now
  for (const auto& [key, letter] : letters_)
    if (!keys.count(key)) reserved.insert(letter);
  for (TSlot* s : fresh) {
    char chosen = 0;
    for (char l = 'D'; l <= 'Z' && !chosen; ++l)
      if (isFree(l) && !reserved.count(l)) chosen = l;
    for (char l = 'D'; l <= 'Z' && !chosen; ++l)
      if (isFree(l)) chosen = l;
    if (!chosen) break;  // more mounts than letters: the last ones stay without
    for (auto it = letters_.begin(); it != letters_.end();)
      it = it->second == chosen ? letters_.erase(it) : std::next(it);
    letters_[s->Key] = chosen;
    slots[std::size_t(chosen - 'A')] = std::move(*s);
  }
  slots_ = std::move(slots);
}

TLinuxDrives::TSlot* TLinuxDrives::SlotOf(char letter) {
  letter = NormalDriveLetter(letter);
  if (!letter) return nullptr;
  Refresh();
  TSlot& s = slots_[std::size_t(letter - 'A')];
  return s.Kind == TSlot::kNone ? nullptr : &s;
}

bool TLinuxDrives::ReadyNow(const TSlot& s) const {
  struct statvfs sv {};
  switch (s.Kind) {
    case TSlot::kMount: {
      struct stat st {};
      // The mount point must still be that file system (it may have gone since the table
      // was read, leaving the empty folder of the file system below).
      return ::statvfs(s.Mount.MountPoint.c_str(), &sv) == 0 &&
             ::stat(s.Mount.MountPoint.c_str(), &st) == 0 &&
             st.st_dev == makedev(s.Mount.Major, s.Mount.Minor);
    }
    case TSlot::kFolder:
      return IsDir(s.Folder.Folder) && ::statvfs(s.Folder.Folder.c_str(), &sv) == 0;
    default: return false;
  }
}

std::optional<bool> TLinuxDrives::CachedCaseProbe(const std::string& key,
                                                  const std::string& folder) {
  auto it = caseProbes_.find(key);
  if (it != caseProbes_.end()) return it->second;
  std::optional<bool> probed = ProbeCaseInsensitive(folder);
  // An empty folder tells nothing; ask again once it holds something.
  if (probed) caseProbes_[key] = probed;
  return probed;
}

uint32_t TLinuxDrives::LogicalDrives() {
  ReloadFolderDrives();
  Refresh(true);
  uint32_t mask = 0;
  for (std::size_t i = 0; i < 26; ++i)
    if (slots_[i].Kind != TSlot::kNone) mask |= 1u << i;
  return mask;
}

TDriveType TLinuxDrives::DriveType(char letter) {
  TSlot* s = SlotOf(letter);
  return s ? s->Type : TDriveType::NoRootDir;
}

uint8_t TLinuxDrives::DeviceType(int driveNumber) {
  if (driveNumber < 1 || driveNumber > 26) return DeviceTypeUnknown;
  TSlot* s = SlotOf(char('A' + driveNumber - 1));
  return s ? s->DeviceCode : DeviceTypeUnknown;
}

bool TLinuxDrives::IsReady(char letter) {
  TSlot* s = SlotOf(letter);
  return s && ReadyNow(*s);
}

std::string TLinuxDrives::RootPath(char letter) {
  TSlot* s = SlotOf(letter);
  if (!s) return {};
  if (s->Kind == TSlot::kFolder) return IsDir(s->Folder.Folder) ? s->Folder.Folder : std::string();
  if (s->Kind == TSlot::kMount) return s->Mount.MountPoint;
  return {};
}

bool TLinuxDrives::ShowsPartOfVolume(char letter) {
  TSlot* s = SlotOf(letter);
  if (!s || s->Kind != TSlot::kFolder) return false;
  // A folder whose parent lies on the same file system is not that file system's root.
  const std::string& folder = s->Folder.Folder;
  struct stat self {}, parent {};
  return folder != "/" && ::stat(folder.c_str(), &self) == 0 &&
         ::stat((folder + "/..").c_str(), &parent) == 0 && self.st_dev == parent.st_dev;
}

bool TLinuxDrives::CaseInsensitive(char letter) {
  TSlot* s = SlotOf(letter);
  if (!s || !ReadyNow(*s)) return false;
  if (s->Kind == TSlot::kFolder)
    return CachedCaseProbe("folder:" + s->Folder.Folder, s->Folder.Folder).value_or(false);
  const TMountEntry& m = s->Mount;
  std::string key = std::to_string(m.Id) + ":" + std::to_string(m.Major) + ":" +
                    std::to_string(m.Minor) + ":" + m.MountPoint;
  if (auto probed = CachedCaseProbe(key, m.MountPoint)) return *probed;
  return IsFatType(m.FsType) || m.FsType == "exfat" || m.FsType == "iso9660";
}

bool TLinuxDrives::VolumeInformation(char letter, TVolumeData& volume) {
  TSlot* s = SlotOf(letter);
  if (!s || !ReadyNow(*s)) return false;
  std::string root = s->Kind == TSlot::kFolder ? s->Folder.Folder : s->Mount.MountPoint;
  struct statvfs sv {};
  if (::statvfs(root.c_str(), &sv) != 0) return false;
  TVolumeData v;
  v.MaxComponentLength = uint32_t(sv.f_namemax);
  v.Flags = FsCasePreserved | FsUnicodeOnDisk | (CaseInsensitive(letter) ? 0 : FsCaseSensitive);
  if (s->Kind == TSlot::kFolder) {
    v.Label = s->Folder.Label;
    v.Serial = s->Folder.Serial;
    v.FileSystem = s->Folder.FileSystem;
    volume = std::move(v);
    return true;
  }

  const TMountEntry& m = s->Mount;
  std::optional<TProbedVolume> probed;
  if (!s->Device.Name.empty()) probed = ProbeVolume(options_.DevRoot + "/" + s->Device.Name);
  if (!probed && StartsWith(m.Source, "/dev/"))
    probed = ProbeVolume(options_.DevRoot + m.Source.substr(4));
  v.FileSystem = FileSystemName(m.FsType, probed ? probed->Type : "",
                                probed ? probed->Version : "", sv.f_blocks);
  if (probed) {
    v.Label = probed->Label;
    v.Serial = SerialFromUuid(probed->Type, probed->Uuid);
  } else {
    // The device cannot be read here: ask the mounted file system, then udev's links.
    std::optional<dev_t> dev;
    if (!s->Device.SysPath.empty()) dev = ParseDevNumber(ReadFirstLine(s->Device.SysPath + "/dev"));
    v.Label = FsLabelOf(root);
    if (v.Label.empty() && dev) v.Label = DiskLinkName(options_.DevRoot, "by-label", *dev);
    if (IsFatType(m.FsType)) {
      if (auto id = FatVolumeIdOf(root)) v.Serial = *id;
    }
    if (v.Serial == 0 && dev)
      v.Serial = SerialFromUuid(m.FsType, DiskLinkName(options_.DevRoot, "by-uuid", *dev));
    if (v.Serial == 0 && IsExtType(m.FsType)) v.Serial = ExtSerialFromFsid(root);
  }
  if (m.SuperOptions.find("compress") != std::string::npos ||
      m.Options.find("compress") != std::string::npos)
    v.Flags |= FsVolIsCompressed;
  volume = std::move(v);
  return true;
}

bool TLinuxDrives::DiskFreeSpaceEx(char letter, TFreeBytes& bytes) {
  TSlot* s = SlotOf(letter);
  if (!s || !ReadyNow(*s)) return false;
  std::string root = s->Kind == TSlot::kFolder ? s->Folder.Folder : s->Mount.MountPoint;
  struct statvfs sv {};
  if (::statvfs(root.c_str(), &sv) != 0) return false;
  uint64_t unit = sv.f_frsize ? sv.f_frsize : sv.f_bsize;
  auto mul = [unit](uint64_t n) {
    unsigned __int128 v = (unsigned __int128)n * unit;
    return v > UINT64_MAX ? UINT64_MAX : uint64_t(v);
  };
  bytes.Total = mul(sv.f_blocks);
  bytes.Free = mul(sv.f_bfree);
  bytes.Available = mul(sv.f_bavail);
  return true;
}

bool TLinuxDrives::DiskFreeSpace(char letter, TDiskGeometry& geometry) {
  TSlot* s = SlotOf(letter);
  if (!s || !ReadyNow(*s)) return false;
  std::string root = s->Kind == TSlot::kFolder ? s->Folder.Folder : s->Mount.MountPoint;
  struct statvfs sv {};
  if (::statvfs(root.c_str(), &sv) != 0) return false;
  uint64_t sector = 512;
  if (s->Type == TDriveType::CdRom && s->Kind != TSlot::kFolder) {
    sector = 2048;
  } else if (!s->Device.DiskPath.empty()) {
    uint64_t logical = ReadNumber(s->Device.DiskPath + "/queue/logical_block_size");
    if (logical >= 512 && logical <= 65536) sector = logical;
  }
  uint64_t unit = sv.f_frsize ? sv.f_frsize : sv.f_bsize;
  if (unit == 0) unit = 512;
  uint64_t perCluster = 1;
  if (unit >= sector && unit % sector == 0)
    perCluster = unit / sector;
  else
    sector = unit;
  // Cluster counts are 31-bit in the catalog: a larger volume is described with larger
  // clusters.
  unsigned __int128 total = (unsigned __int128)sv.f_blocks * unit;
  unsigned __int128 avail = (unsigned __int128)sv.f_bavail * unit;
  while (total / (sector * perCluster) > INT32_MAX && perCluster < (1u << 30)) perCluster *= 2;
  uint64_t cluster = sector * perCluster;
  geometry.BytesPerSector = uint32_t(sector);
  geometry.SectorsPerCluster = uint32_t(perCluster);
  geometry.TotalClusters = uint32_t(std::min<unsigned __int128>(total / cluster, INT32_MAX));
  geometry.FreeClusters = uint32_t(std::min<unsigned __int128>(avail / cluster, INT32_MAX));
  return true;
}

}  // namespace tf
