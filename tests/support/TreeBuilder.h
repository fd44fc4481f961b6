#pragma once
// Real folder trees for the scan and update tests: folders and files with sizes, contents and
// times, description files, archives from tests/data/archives, links, pipes and unreadable
// folders. Paths are relative to the root and use "/"; missing parent folders are made.

#include <cstdint>
#include <filesystem>
#include <string>

namespace tf::test {

class TTreeBuilder {
 public:
  // A time every item gets unless told otherwise: 2001-02-03 12:00:00 UTC.
  static constexpr int64_t DefaultTime = 981201600;

  explicit TTreeBuilder(std::filesystem::path root);
  const std::filesystem::path& Root() const { return root_; }
  std::string Path(const std::string& rel) const { return (root_ / rel).string(); }

  TTreeBuilder& Folder(const std::string& rel);
  // A file with these bytes.
  TTreeBuilder& File(const std::string& rel, const std::string& bytes);
  // A file of that size holding nothing (sparse): sizes of 4 GiB cost no disk space.
  TTreeBuilder& Sized(const std::string& rel, uint64_t size);
  // A copy of tests/data/archives/<fixture>.
  TTreeBuilder& Archive(const std::string& rel, const std::string& fixture);
  TTreeBuilder& Link(const std::string& rel, const std::string& target);
  TTreeBuilder& Pipe(const std::string& rel);
  // Last-write and last-access time of a file, folder or link (not followed).
  TTreeBuilder& Time(const std::string& rel, int64_t unixSeconds);
  // No permissions at all; see TDroppedPrivileges for tests that run as root.
  TTreeBuilder& Unreadable(const std::string& rel);
  TTreeBuilder& Remove(const std::string& rel);

 private:
  void Parent(const std::string& rel);
  std::filesystem::path root_;
};

// While it lives, the calling thread obeys file permissions even as root (it drops the
// capabilities that override them), so that an unreadable folder is unreadable.
class TDroppedPrivileges {
 public:
  TDroppedPrivileges();
  ~TDroppedPrivileges();
  TDroppedPrivileges(const TDroppedPrivileges&) = delete;
  TDroppedPrivileges& operator=(const TDroppedPrivileges&) = delete;

 private:
  bool dropped_ = false;
  uint32_t saved_[2] = {0, 0};
};

}  // namespace tf::test
