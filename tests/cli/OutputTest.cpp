// What every command does when its own output cannot be written: a full disk behind stdout,
// a full temporary folder. A script must be able to trust status 0.

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>

#include <nlohmann/json.hpp>

#include "support/TestSupport.h"
#include "support/TreeBuilder.h"

namespace tf::test {
namespace {

using nlohmann::json;

class Output : public ::testing::Test {
 protected:
  void SetUp() override {
    // Large enough that dump writes it in chunks bigger than any stdio buffer.
    TCatalogTree tree;
    TNode* cat = AddCatalog(tree, "Big");
    TNode* disk = AddDisk(cat, "Many files");
    for (int i = 0; i < 3000; ++i)
      AddFile(disk, "file number " + std::to_string(i) + ".txt", uint32_t(i), "a description");
    catalog = dir.File("big.ctf");
    WriteCatalogFile(cat, catalog, NoProgress());
    medium.File("a.txt", "a").File("b/c.txt", "c");
  }
  TTempDir dir;
  std::string catalog;
  TTreeBuilder medium{dir.Path() / "medium"};
  const std::string archive = std::string(TF_TEST_DATA_DIR) + "/archives/basic.zip";
};

TEST_F(Output, AFailedWriteOfStdoutIsAFailure) {
  struct TCase {
    std::vector<std::string> Args;
  };
  const TCase cases[] = {
      {{"dump", catalog}},
      {{"search", catalog, "--mask", "*"}},
      {{"list-archive", archive}},
      {{"drives"}},
      {{"--help"}},
  };
  TCliSetup full;
  full.Stdout = "/dev/full";
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Args[0] + (c.Args.size() > 1 ? " " + c.Args[1] : ""));
    ASSERT_EQ(RunCli(c.Args).Status, 0);  // fine where there is room
    TCliResult r = RunCli(c.Args, full);
    EXPECT_EQ(r.Status, 2);
    EXPECT_EQ(r.Err, "Can not write the output: No space left on device\n");
  }
}

TEST_F(Output, AScanWhoseSummaryIsLostSaysTheDiskWasSaved) {
  std::string cat = dir.File("scanned.ctf");
  TCliSetup full;
  full.Stdout = "/dev/full";
  TCliResult r = RunCli({"scan", medium.Root().string(), "--catalog", cat, "--name", "Docs"}, full);
  EXPECT_EQ(r.Status, 2);
  EXPECT_EQ(r.Err, "The disk \"Docs\" was saved in " + cat +
                       ", but the summary could not be written: No space left on device\n");
  // Saved once: a script that retries knows not to.
  TCliResult d = RunCli({"dump", cat});
  ASSERT_EQ(d.Status, 0) << d.Err;
  json doc = json::parse(d.Out);
  ASSERT_EQ(doc["disks"].size(), 1u);
  EXPECT_EQ(doc["disks"][0]["name"], "Docs");
}

TEST_F(Output, DumpWithoutRoomForItsStagingCopyFails) {
  // The document is put together in a temporary file first; a file size limit stands for a
  // full temporary folder (stdout itself, /dev/null, knows no limit).
  TCliSetup limited;
  limited.Stdout = "/dev/null";
  limited.Env = {{"TMPDIR", dir.Path().string()}};
  limited.BeforeExec = [] {
    ::signal(SIGXFSZ, SIG_IGN);
    struct rlimit rl {16384, 16384};
    return ::setrlimit(RLIMIT_FSIZE, &rl) == 0;
  };
  TCliResult r = RunCli({"dump", catalog}, limited);
  EXPECT_EQ(r.Status, 2);
  EXPECT_EQ(r.Err, "Can not write the temporary copy of the output in " + dir.Path().string() +
                       ": File too large\n");
}

}  // namespace
}  // namespace tf::test
