// tallowfen-cli among other writers of a catalog: writers take turns, a signal never cuts a
// save in half, a killed save leaves nothing that lasts, and what the user set up (links,
// owner, mode, a read-only file) stays as it was.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <memory>
#include <nlohmann/json.hpp>

#include "../store/StoreFixtures.h"
#include "store/CatalogFiles.h"
#include "support/TreeBuilder.h"

namespace tf::test {
namespace {

using nlohmann::json;
namespace fs = std::filesystem;

class CatalogWriters : public ::testing::Test {
 protected:
  void SetUp() override {
    for (int i = 0; i < 300; ++i) medium.File("f" + std::to_string(i) + ".txt", "x");
  }
  std::vector<std::string> DiskNames(const std::string& file) {
    TCliResult r = RunCli({"dump", file});
    EXPECT_EQ(r.Status, 0) << r.Err;
    std::vector<std::string> names;
    if (r.Status != 0) return names;
    json doc = json::parse(r.Out);
    for (const json& d : doc["disks"]) names.push_back(d["name"]);
    std::sort(names.begin(), names.end());
    return names;
  }
  // Everything in the test's folder but the medium.
  std::vector<std::string> Entries() {
    std::vector<std::string> names;
    for (auto& e : fs::directory_iterator(dir.Path()))
      if (e.path().filename() != "medium") names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  }
  std::vector<std::string> Scan(const std::string& name, const std::string& file = {}) {
    return {"scan", root, "--catalog", file.empty() ? catalog : file, "--name", name};
  }
  // The run gets a signal at the moment its save puts the new catalog in place.
  static TCliSetup SignalAtRename(int sig) {
    const char* asan = std::getenv("ASAN_OPTIONS");
    TCliSetup setup;
    setup.Env = {{"LD_PRELOAD", TF_SIGNAL_AT_RENAME_PATH},
                 {"TF_TEST_SIGNAL_AT_RENAME", std::to_string(sig)},
                 // The sanitizers' runtime would insist on coming first.
                 {"ASAN_OPTIONS", std::string(asan ? asan : "") + ":verify_asan_link_order=0"}};
    return setup;
  }
  TTempDir dir;
  TTreeBuilder medium{dir.Path() / "medium"};
  std::string root = medium.Root().string();
  std::string catalog = dir.File("c.ctf");
};

TEST_F(CatalogWriters, WritersRunningTogetherAllKeepTheirWork) {
  ASSERT_EQ(RunCli(Scan("Base")).Status, 0);
  std::vector<std::unique_ptr<TCliProcess>> runs;
  for (const char* name : {"One", "Two", "Three", "Four"})
    runs.push_back(std::make_unique<TCliProcess>(Scan(name)));
  runs.push_back(std::make_unique<TCliProcess>(
      std::vector<std::string>{"update", catalog, "Base", root}));
  for (auto& run : runs) {
    TCliResult r = run->Wait();
    EXPECT_EQ(r.Status, 0) << r.Err;
  }
  EXPECT_EQ(DiskNames(catalog),
            (std::vector<std::string>{"Base", "Four", "One", "Three", "Two"}));
  EXPECT_EQ(Entries(), std::vector<std::string>{"c.ctf"});
}

TEST_F(CatalogWriters, ASecondWriterWaitsAndWorksOnWhatTheFirstSaved) {
  ASSERT_EQ(RunCli(Scan("Base")).Status, 0);
  TCatalogLock first(catalog);
  ASSERT_TRUE(first.Lock(false));
  TCliProcess second(Scan("Second"));
  ASSERT_TRUE(second.WaitForErr("Waiting for another program to finish with " + catalog))
      << second.ErrSoFar();
  // Meanwhile the first writer adds its disk.
  TCatalogTree tree;
  TNode* cat = OpenCatalog(tree, catalog);
  AddFile(AddDisk(cat, "First"), "f", 1);
  SetCatalogModified(cat, true);
  WriteCatalogFile(cat, catalog, NoProgress(), &first);
  first.Unlock();
  TCliResult r = second.Wait();
  EXPECT_EQ(r.Status, 0) << r.Err;
  EXPECT_EQ(DiskNames(catalog), (std::vector<std::string>{"Base", "First", "Second"}));
}

TEST_F(CatalogWriters, ASignalEndsTheWaitAndLeavesNothing) {
  ASSERT_EQ(RunCli(Scan("Base")).Status, 0);
  std::string before = ReadBytes(catalog);
  for (bool existing : {true, false}) {
    for (int sig : {SIGINT, SIGTERM, SIGHUP}) {
      SCOPED_TRACE(std::string(existing ? "existing catalog, " : "new catalog, ") + strsignal(sig));
      std::string file = existing ? catalog : dir.File("new.ctf");
      TCatalogLock first(file);
      ASSERT_TRUE(first.Lock(false));
      TCliProcess waiting(Scan("Never", file));
      ASSERT_TRUE(waiting.WaitForErr("Waiting for another program")) << waiting.ErrSoFar();
      ::kill(waiting.Pid(), sig);
      TCliResult r = waiting.Wait();
      EXPECT_EQ(r.Signal, sig) << r.Err;
      first.Unlock();
      EXPECT_EQ(ReadBytes(catalog), before);
      EXPECT_EQ(Entries(), std::vector<std::string>{"c.ctf"});
    }
  }
}

TEST_F(CatalogWriters, ASignalDuringTheSaveWaitsForItsEnd) {
  ASSERT_EQ(RunCli(Scan("Base")).Status, 0);
  for (int sig : {SIGINT, SIGTERM, SIGHUP}) {
    SCOPED_TRACE(strsignal(sig));
    std::string name = std::string("Late ") + std::to_string(sig);
    TCliResult r = RunCli(Scan(name), SignalAtRename(sig));
    // The save ended, then the signal ended the program.
    EXPECT_EQ(r.Signal, sig) << r.Err;
    EXPECT_EQ(r.Out, "");
    std::vector<std::string> names = DiskNames(catalog);
    EXPECT_NE(std::find(names.begin(), names.end(), name), names.end());
    EXPECT_EQ(Entries(), std::vector<std::string>{"c.ctf"});
  }
}

TEST_F(CatalogWriters, AKilledSaveLeavesATemporaryOnlyUntilTheNextSave) {
  ASSERT_EQ(RunCli(Scan("Base")).Status, 0);
  std::string before = ReadBytes(catalog);
  TCliResult r = RunCli(Scan("Killed"), SignalAtRename(SIGKILL));
  EXPECT_EQ(r.Signal, SIGKILL);
  EXPECT_EQ(ReadBytes(catalog), before);
  // Killed between naming the new file and the rename: its temporary stays for now.
  std::vector<std::string> left = Entries();
  ASSERT_EQ(left.size(), 2u);
  EXPECT_EQ(left[0].rfind(".ctf", 0), 0u);
  EXPECT_EQ(left[1], "c.ctf");
  // The next save into the folder removes it: its process is gone.
  ASSERT_EQ(RunCli(Scan("Next")).Status, 0);
  EXPECT_EQ(Entries(), std::vector<std::string>{"c.ctf"});
  EXPECT_EQ(DiskNames(catalog), (std::vector<std::string>{"Base", "Next"}));
}

TEST_F(CatalogWriters, LinksOwnerAndModeStay) {
  fs::create_directory(dir.File("real"));
  std::string real = dir.File("real/c.ctf");
  std::string link = dir.File("link.ctf");
  fs::create_symlink("real/c.ctf", link);
  ASSERT_EQ(RunCli(Scan("One", link)).Status, 0);
  ASSERT_EQ(RunCli({"update", link, "One", root}).Status, 0);
  ASSERT_EQ(::chmod(real.c_str(), 0640), 0);
  bool asRoot = ::geteuid() == 0;
  if (asRoot) {
    ASSERT_EQ(::chown(real.c_str(), 4242, 4343), 0);
  }
  TCliResult r = RunCli(Scan("Two", link));
  ASSERT_EQ(r.Status, 0) << r.Err;
  EXPECT_TRUE(fs::is_symlink(link));
  EXPECT_EQ(fs::read_symlink(link), "real/c.ctf");
  EXPECT_EQ(DiskNames(real), (std::vector<std::string>{"One", "Two"}));
  EXPECT_EQ(Entries(), (std::vector<std::string>{"link.ctf", "real"}));
  struct stat st;
  ASSERT_EQ(::stat(real.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0640u);
  if (asRoot) {
    EXPECT_EQ(st.st_uid, 4242u);
    EXPECT_EQ(st.st_gid, 4343u);
  }
}

TEST_F(CatalogWriters, ReadOnlyCatalogsAndOtherFilesAreRefusedBeforeTheScan) {
  ASSERT_EQ(RunCli(Scan("Base")).Status, 0);
  ASSERT_EQ(::chmod(catalog.c_str(), 0444), 0);
  std::string before = ReadBytes(catalog);
  std::string fifo = dir.File("pipe.ctf");
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0644), 0);
  // Held open with bytes in it, so that a reader that does not check would read them
  // instead of waiting forever for a writer.
  int holder = ::open(fifo.c_str(), O_RDWR | O_NONBLOCK);
  ASSERT_GE(holder, 0);
  struct {
    std::vector<std::string> args;
    const char* message;
  } cases[] = {
      {Scan("More"), MsgCatalogReadOnly},
      {{"update", catalog, "Base", root}, MsgCatalogReadOnly},
      {Scan("More", fifo), MsgNotRegularFile},
      {{"update", fifo, "Base", root}, MsgNotRegularFile},
      {{"dump", fifo}, MsgNotRegularFile},
  };
  for (const auto& c : cases) {
    std::string command;
    for (const auto& a : c.args) command += a + " ";
    SCOPED_TRACE(command);
    ASSERT_EQ(::write(holder, "not a catalog at all", 20), 20);
    TCliResult r = RunCli(c.args);
    EXPECT_EQ(r.Status, 2);
    EXPECT_NE(r.Err.find(c.message), std::string::npos) << r.Err;
    EXPECT_EQ(r.Out, "");
    EXPECT_EQ(ReadBytes(catalog), before);
    char drain[64];
    while (::read(holder, drain, sizeof drain) > 0) {
    }
  }
  ::close(holder);
  EXPECT_EQ(Entries(), (std::vector<std::string>{"c.ctf", "pipe.ctf"}));
}

}  // namespace
}  // namespace tf::test
