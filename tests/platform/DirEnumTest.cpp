#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <functional>
#include <map>

#include "platform/DirEnum.h"
#include "platform/LocalTime.h"
#include "support/TestSupport.h"

namespace tf {
namespace {

namespace fs = std::filesystem;

// Sets the time zone for one test and puts the old one back.
class TZone {
 public:
  explicit TZone(const char* tz) {
    if (const char* old = std::getenv("TZ")) old_ = old;
    ::setenv("TZ", tz, 1);
    ::tzset();
  }
  ~TZone() {
    if (old_.empty())
      ::unsetenv("TZ");
    else
      ::setenv("TZ", old_.c_str(), 1);
    ::tzset();
  }
  TZone(const TZone&) = delete;
  TZone& operator=(const TZone&) = delete;

 private:
  std::string old_;
};

std::map<std::string, TDirEntry> List(const std::string& path) {
  std::map<std::string, TDirEntry> out;
  TDirEnum e(path);
  TDirEntry entry;
  while (e.Next(entry)) out[entry.Name] = entry;
  EXPECT_EQ(e.Status(), TDirStatus::Ok);
  return out;
}

void SetTimes(const std::string& path, int64_t accessed, int64_t modified) {
  struct timespec t[2] = {{time_t(accessed), 0}, {time_t(modified), 0}};
  ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), t, AT_SYMLINK_NOFOLLOW), 0);
}

// Runs f as an unprivileged user (the permission tests mean nothing to root); its result is
// the child's exit status.
int AsUnprivileged(const std::function<int()>& f) {
  if (::geteuid() != 0) return f();
  pid_t pid = ::fork();
  if (pid == 0) {
    if (::setgid(65534) != 0 || ::setuid(65534) != 0) ::_exit(99);
    ::_exit(f());
  }
  int status = 0;
  ::waitpid(pid, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : 98;
}

TEST(DirEnum, AttributesOfHostEntries) {
  test::TTempDir dir;
  fs::path d = dir.Path();
  fs::create_directory(d / "sub");
  fs::create_directory(d / ".config");
  test::WriteBytes((d / "plain").string(), "12345");
  test::WriteBytes((d / "ro").string(), "x");
  fs::permissions(d / "ro", fs::perms::owner_read | fs::perms::group_read);
  test::WriteBytes((d / ".hidden").string(), "");
  fs::create_directory_symlink("sub", d / "link");
  fs::create_symlink("nowhere", d / "dangling");

  TDirEnum e(d.string());
  auto all = List(d.string());
  ASSERT_EQ(all.size(), 7u);  // "." and ".." are not entries
  EXPECT_EQ(all["sub"].Attributes, faDirectory);
  EXPECT_TRUE(all["sub"].IsFolder);
  EXPECT_EQ(all["sub"].Size, 0u);
  EXPECT_EQ(all[".config"].Attributes, faDirectory | faHidden);
  EXPECT_EQ(all["plain"].Attributes, faArchive);
  EXPECT_EQ(all["plain"].Size, 5u);
  EXPECT_EQ(all["ro"].Attributes, faArchive | faReadOnly);
  EXPECT_EQ(all[".hidden"].Attributes, faArchive | faHidden);
  // Links are recorded as links and never followed.
  EXPECT_TRUE(all["link"].IsSymlink);
  EXPECT_FALSE(all["link"].IsFolder);
  EXPECT_EQ(all["link"].Attributes, faArchive);
  EXPECT_EQ(all["link"].Size, 3u);  // the length of "sub"
  EXPECT_TRUE(all["dangling"].IsSymlink);
  for (auto& [name, entry] : all) EXPECT_EQ(entry.Device, e.Device()) << name;
  EXPECT_FALSE(e.FatAttributes());
}

TEST(DirEnum, SizesAreNotCutTo32Bits) {
  test::TTempDir dir;
  std::string big = dir.File("big.bin");
  test::WriteBytes(big, "");
  fs::resize_file(big, (uint64_t(5) << 30) + 7);  // sparse
  EXPECT_EQ(List(dir.Path().string())["big.bin"].Size, (uint64_t(5) << 30) + 7);
}

TEST(DirEnum, TimesAreDosLocalTimes) {
  TZone utc("UTC0");
  test::TTempDir dir;
  std::string f = dir.File("f");
  test::WriteBytes(f, "");
  SetTimes(f, 315489600, 981173107);  // accessed 1979-12-31 12:00, modified 2001-02-03 04:05:07
  std::string g = dir.File("g");
  test::WriteBytes(g, "");
  SetTimes(g, 4354819199, 4354819200);  // the last second of 2107, the first of 2108
  auto all = List(dir.Path().string());
  EXPECT_EQ(all["f"].ModifiedTime, 0x2A4320A3u);  // seconds halved: 7 -> 3
  EXPECT_EQ(all["f"].AccessedTime, 0u);
  EXPECT_EQ(all["g"].AccessedTime, 0xFF9FBF7Du);
  EXPECT_EQ(all["g"].ModifiedTime, 0u);
  // Birth time where the file system keeps one (this very year), else unknown.
  uint32_t created = all["f"].CreatedTime;
  if (created != 0) {
    EXPECT_GE(created >> 25, 2024u - 1980u);
  }
}

TEST(DirEnum, FailuresAreReportedNotThrown) {
  test::TTempDir dir;
  test::WriteBytes(dir.File("file"), "x");
  fs::create_directory(dir.Path() / "real");
  fs::create_directory_symlink("real", dir.Path() / "link");
  TDirEntry entry;

  TDirEnum missing(dir.File("missing"));
  EXPECT_EQ(missing.Status(), TDirStatus::NotFound);
  EXPECT_FALSE(missing.Next(entry));
  EXPECT_EQ(TDirEnum(dir.File("file")).Status(), TDirStatus::NotAFolder);
  EXPECT_EQ(TDirEnum(dir.File("link"), true).Status(), TDirStatus::NotAFolder);
  EXPECT_EQ(TDirEnum(dir.File("link")).Status(), TDirStatus::Ok);
  EXPECT_EQ(TDirEnum(dir.File("file") + "/below").Status(), TDirStatus::NotAFolder);
}

TEST(DirEnum, UnreadableFolders) {
  test::TTempDir dir;
  fs::permissions(dir.Path(), fs::perms::all);  // others may look inside
  fs::create_directory(dir.Path() / "closed");
  fs::create_directory(dir.Path() / "listonly");
  fs::create_directory(dir.Path() / "listonly" / "inner");
  test::WriteBytes(dir.File("listonly/file.txt"), "abc");
  fs::permissions(dir.Path() / "closed", fs::perms::none);
  fs::permissions(dir.Path() / "listonly", fs::perms::owner_read | fs::perms::others_read);
  std::string closed = dir.File("closed"), listonly = dir.File("listonly");

  EXPECT_EQ(AsUnprivileged([&] {
              return TDirEnum(closed).Status() == TDirStatus::AccessDenied ? 0 : 1;
            }),
            0);
  // Readable but not searchable: the names are there, with what the folder itself tells.
  EXPECT_EQ(AsUnprivileged([&] {
              TDirEnum e(listonly);
              std::map<std::string, TDirEntry> all;
              TDirEntry entry;
              while (e.Next(entry)) all[entry.Name] = entry;
              if (e.Status() != TDirStatus::Ok || all.size() != 2) return 1;
              if (!all["inner"].IsFolder || all["inner"].Attributes != faDirectory) return 2;
              if (all["file.txt"].Attributes != faArchive || all["file.txt"].ModifiedTime) return 3;
              return 0;
            }),
            0);
}

TEST(DirEnum, CaseInsensitivityIsProbed) {
  test::TTempDir dir;
  EXPECT_FALSE(ProbeCaseInsensitive(dir.Path().string()));  // nothing to try: nullopt
  test::WriteBytes(dir.File("123"), "");
  EXPECT_FALSE(ProbeCaseInsensitive(dir.Path().string()).has_value());
  test::WriteBytes(dir.File("abc"), "");
  test::WriteBytes(dir.File("ABC"), "");
  test::WriteBytes(dir.File("Readme"), "");
  auto probed = ProbeCaseInsensitive(dir.Path().string());
  ASSERT_TRUE(probed.has_value());
  EXPECT_FALSE(*probed);  // this temporary folder is on a case-sensitive file system
  EXPECT_FALSE(ProbeCaseInsensitive(dir.File("missing")).has_value());
}

// ---- local time

TEST(LocalTime, DosTimeRange) {
  TZone utc("UTC0");
  EXPECT_EQ(UnixToDosTime(315532800), 0x00210000u);  // 1980-01-01 00:00:00
  EXPECT_EQ(UnixToDosTime(315532799), 0u);
  EXPECT_EQ(UnixToDosTime(4354819199), 0xFF9FBF7Du);
  EXPECT_EQ(UnixToDosTime(4354819200), 0u);
  EXPECT_EQ(UnixToDosTime(INT64_MIN), 0u);
  EXPECT_EQ(UnixToDosTime(INT64_MAX), 0u);
}

TEST(LocalTime, TimesAreLocal) {
  TZone cet("CET-1");  // one hour east of UTC, no summer time
  EXPECT_EQ(UnixToDosTime(315532800 - 3600), 0x00210000u);
  EXPECT_DOUBLE_EQ(UnixToDays(0), 25569.0 + 1.0 / 24);
  TZone utc("UTC0");
  EXPECT_DOUBLE_EQ(UnixToDays(0), 25569.0);
  EXPECT_DOUBLE_EQ(UnixToDays(43200, 0), 25569.5);
  EXPECT_DOUBLE_EQ(UnixToDays(-2209161600), 0.0);  // 1899-12-30 itself
  double before = UnixToDays(std::time(nullptr));
  double now = NowDays();
  double after = UnixToDays(std::time(nullptr) + 1);
  EXPECT_LE(before, now);
  EXPECT_LE(now, after);
}

}  // namespace
}  // namespace tf
