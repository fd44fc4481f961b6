// tallowfen-cli drives: one JSON object per drive, whatever the machine has.

#include <gtest/gtest.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/wait.h>
#include <unistd.h>

#include <nlohmann/json.hpp>
#include <sstream>

#include "support/TestSupport.h"

namespace tf::test {
namespace {

using nlohmann::json;

TEST(DrivesCommand, OneObjectPerDriveWithTheSystemDrive) {
  TCliResult r = RunCli({"drives"});
  ASSERT_EQ(r.Status, 0) << r.Err;
  EXPECT_EQ(r.Err, "");
  std::istringstream lines(r.Out);
  std::string line;
  std::string previous;
  bool sawC = false;
  while (std::getline(lines, line)) {
    json d = json::parse(line);  // each line alone is a document
    ASSERT_TRUE(d.is_object()) << line;
    for (const char* key : {"letter", "root", "mediaType", "mediaTypeName", "label", "fileSystem",
                            "serial", "caseInsensitive", "totalBytes", "freeBytes", "ready"})
      EXPECT_TRUE(d.contains(key)) << key << " in " << line;
    std::string letter = d["letter"];
    ASSERT_EQ(letter.size(), 1u);
    EXPECT_GT(letter, previous) << "letters in order";
    previous = letter;
    // The values come from the drive backend (its own tests); here: which field is which.
    if (d["ready"] == true)
      EXPECT_LE(d["freeBytes"].get<int64_t>(), d["totalBytes"].get<int64_t>());
    else
      EXPECT_TRUE(d["label"].is_null());
    sawC = sawC || (letter == "C" && d["root"] == "/" && d["totalBytes"].get<int64_t>() > 0);
  }
  EXPECT_TRUE(sawC);
}

// In a private mount namespace, a RAM disk of that size at folder; false where the system
// does not allow it (no root, no namespaces).
bool MountHugeTmpfs(const std::string& folder, const std::string& size) {
  if (::unshare(CLONE_NEWNS) != 0) return false;
  if (::mount("none", "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0) return false;
  return ::mount("tallowfen-test", folder.c_str(), "tmpfs", 0, ("size=" + size).c_str()) == 0;
}

TEST(DrivesCommand, VolumesOfPetabytesHaveExactUnsignedSizes) {
  TTempDir dir;
  std::string big = dir.File("big");
  std::filesystem::create_directory(big);
  pid_t probe = ::fork();
  if (probe == 0) ::_exit(MountHugeTmpfs(big, "8P") ? 0 : 1);
  int status = 0;
  ::waitpid(probe, &status, 0);
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
    GTEST_SKIP() << "no private mount namespace for a test RAM disk";

  TCliSetup inNamespace;
  inNamespace.BeforeExec = [big] { return MountHugeTmpfs(big, "8P"); };
  TCliResult r = RunCli({"drives"}, inNamespace);
  ASSERT_EQ(r.Status, 0) << r.Err;
  std::istringstream lines(r.Out);
  std::string line;
  bool found = false;
  while (std::getline(lines, line)) {
    json d = json::parse(line);
    if (d["root"] != big) continue;
    found = true;
    // 8 PiB = 2^53 bytes: past the 0.8 PiB that bytes x 10000 hold in 63 bits.
    EXPECT_EQ(d["totalBytes"].get<uint64_t>(), uint64_t(1) << 53) << line;
    EXPECT_EQ(d["freeBytes"].get<uint64_t>(), uint64_t(1) << 53) << line;
  }
  EXPECT_TRUE(found) << r.Out;
}

TEST(DrivesCommand, TakesNoArguments) {
  TCliResult r = RunCli({"drives", "extra"});
  EXPECT_EQ(r.Status, 1);
}

}  // namespace
}  // namespace tf::test
