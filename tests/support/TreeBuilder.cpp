#include "support/TreeBuilder.h"

#include <fcntl.h>
#include <linux/capability.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <stdexcept>

#include "support/TestSupport.h"

namespace fs = std::filesystem;

namespace tf::test {

namespace {

void Check(bool ok, const std::string& what) {
  if (!ok) throw std::runtime_error("tree builder: " + what);
}

}  // namespace

TTreeBuilder::TTreeBuilder(fs::path root) : root_(std::move(root)) { fs::create_directories(root_); }

void TTreeBuilder::Parent(const std::string& rel) {
  fs::create_directories((root_ / rel).parent_path());
}

TTreeBuilder& TTreeBuilder::Folder(const std::string& rel) {
  fs::create_directories(root_ / rel);
  return Time(rel, DefaultTime);
}

TTreeBuilder& TTreeBuilder::File(const std::string& rel, const std::string& bytes) {
  Parent(rel);
  WriteBytes(Path(rel), bytes);
  return Time(rel, DefaultTime);
}

TTreeBuilder& TTreeBuilder::Sized(const std::string& rel, uint64_t size) {
  Parent(rel);
  WriteBytes(Path(rel), "");
  Check(::truncate(Path(rel).c_str(), off_t(size)) == 0, "truncate " + rel);
  return Time(rel, DefaultTime);
}

TTreeBuilder& TTreeBuilder::Archive(const std::string& rel, const std::string& fixture) {
  return File(rel, ReadBytes(std::string(TF_TEST_DATA_DIR) + "/archives/" + fixture));
}

TTreeBuilder& TTreeBuilder::Link(const std::string& rel, const std::string& target) {
  Parent(rel);
  Check(::symlink(target.c_str(), Path(rel).c_str()) == 0, "symlink " + rel);
  return *this;
}

TTreeBuilder& TTreeBuilder::Pipe(const std::string& rel) {
  Parent(rel);
  Check(::mkfifo(Path(rel).c_str(), 0644) == 0, "mkfifo " + rel);
  return *this;
}

TTreeBuilder& TTreeBuilder::Time(const std::string& rel, int64_t unixSeconds) {
  struct timespec t[2] = {{time_t(unixSeconds), 0}, {time_t(unixSeconds), 0}};
  Check(::utimensat(AT_FDCWD, Path(rel).c_str(), t, AT_SYMLINK_NOFOLLOW) == 0, "utimensat " + rel);
  return *this;
}

TTreeBuilder& TTreeBuilder::Unreadable(const std::string& rel) {
  fs::permissions(root_ / rel, fs::perms::none);
  return *this;
}

TTreeBuilder& TTreeBuilder::Remove(const std::string& rel) {
  fs::remove_all(root_ / rel);
  return *this;
}

// Capabilities are per thread: clearing the two that bypass permission checks from the
// effective set leaves them permitted, so that they can be raised again.
TDroppedPrivileges::TDroppedPrivileges() {
  __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
  __user_cap_data_struct data[2] = {};
  if (::syscall(SYS_capget, &header, data) != 0) return;
  saved_[0] = data[0].effective;
  saved_[1] = data[1].effective;
  data[0].effective &= ~((1u << CAP_DAC_OVERRIDE) | (1u << CAP_DAC_READ_SEARCH));
  dropped_ = ::syscall(SYS_capset, &header, data) == 0;
}

TDroppedPrivileges::~TDroppedPrivileges() {
  if (!dropped_) return;
  __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
  __user_cap_data_struct data[2] = {};
  if (::syscall(SYS_capget, &header, data) != 0) return;
  data[0].effective = saved_[0];
  data[1].effective = saved_[1];
  ::syscall(SYS_capset, &header, data);
}

}  // namespace tf::test
