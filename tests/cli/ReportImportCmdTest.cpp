// tallowfen-cli report and import, end to end: reports of a saved catalog compared with the
// files written by hand for the engine's tests, the options' checks, and imports of databases
// written byte by byte, refused and damaged ones included.

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>

#include <filesystem>
#include <nlohmann/json.hpp>

#include "report/ReportDesk.h"
#include "store/KestrevaneDatabase.h"
#include "store/LoadSave.h"
#include "support/TestSupport.h"

namespace tf::test {
namespace {

namespace fs = std::filesystem;

// The expected files carry a made-up version in their head; the command writes its own.
std::string WithOurVersion(std::string expected) {
  std::string made = "Tallowfen 9.9.9", ours = std::string("Tallowfen ") + TALLOWFEN_VERSION;
  std::size_t at = expected.find(made);
  std::size_t lineEnd = expected.find('\n', at);
  std::string date = expected.substr(lineEnd - 20, 20);
  std::string line = ours + std::string(80 - ours.size() - date.size(), ' ') + date;
  return expected.replace(at, lineEnd - at, line);
}

struct ReportCommand : ::testing::Test {
  TTempDir dir;
  std::string catalog = dir.File("work.ctf");
  std::string out = dir.File("report.txt");
  TCliSetup reproducible;
  ReportCommand() {
    TDesk desk;
    WriteCatalogFile(desk.work, catalog, NoProgress());
    reproducible.Env = {{"SOURCE_DATE_EPOCH", ReportEpoch}};
  }
};

TEST_F(ReportCommand, ReportsMatchTheFilesWrittenByHand) {
  using V = std::vector<std::string>;
  struct TCase {
    V Options;
    const char* Expected;
  };
  const V files = {"--item", "Docs", "--level", "Disks, Folders and Files", "--columns",
                   "File name, File size,Description"};
  auto with = [&files](V more) {
    V v = files;
    v.insert(v.end(), more.begin(), more.end());
    return v;
  };
  // Each case maps other options; the engine's tests cover the rest of the layouts.
  const TCase cases[] = {
      {with({"--tabs"}), "files-tabs.txt"},
      {with({"--layout", "list"}), "files-list.txt"},
      {{"--item", "docs", "--level", "Disks and Folders", "--columns", "Folder name,Folder size",
        "--separate-subfolders"},
       "folders-separate.txt"},
      {{"--item", "Docs\\Letters\\Old", "--level", "Catalogs only"}, "catalogs-only.txt"},
      {{"--level", "Catalogs and Disks"}, "catalog-disks.txt"},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Expected);
    V args = {"report", catalog, "--out", out};
    args.insert(args.end(), c.Options.begin(), c.Options.end());
    TCliResult r = RunCli(args, reproducible);
    ASSERT_EQ(0, r.Status) << r.Err;
    EXPECT_EQ("", r.Err);
    EXPECT_EQ(WithOurVersion(ExpectedReport(c.Expected)), ReadBytes(out));
  }
}

TEST_F(ReportCommand, RefusalsAndFailures) {
  using V = std::vector<std::string>;
  struct TCase {
    V Args;
    int Status;
    std::string Message;  // the first line of stderr
  };
  const TCase cases[] = {
      {{"report", catalog, "--out", out, "--level", "Everything"}, 1,
       "--level: Everything not in {Catalogs only,Catalogs and Disks,Catalogs, Disks and "
       "Folders,Disks only,Disks and Folders,Disks, Folders and Files,Folders only,Folders and "
       "Files,Full Details}"},
      {{"report", catalog, "--out", out, "--layout", "table"}, 1,
       "--layout: table not in {columns,list}"},
      {{"report", catalog, "--out", out, "--level", "Disks only", "--columns", "Disk name,Size"},
       1,
       "--columns: \"Size\" is not a column of the level \"Disks only\"; its columns are: Disk "
       "name, Media type, Capacity, Free space, Last Updated, Description, Catalog Name"},
      {{"report", catalog}, 1, "--out is required"},
      {{"report", catalog, "--out", out, "--item", "Docs\\Nowhere"}, 2,
       "There is no item \"Docs\\Nowhere\" in " + catalog},
      {{"report", dir.File("none.ctf"), "--out", out}, 2,
       dir.File("none.ctf") + ": File open error: No such file or directory"},
      {{"report", catalog, "--out", dir.File("no/such/folder.txt")}, 2,
       "File Error: Can't create output file."},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Message);
    TCliResult r = RunCli(c.Args);
    EXPECT_EQ(c.Status, r.Status);
    EXPECT_EQ(c.Message, r.Err.substr(0, r.Err.find('\n')));
    EXPECT_FALSE(fs::exists(out));
  }
}

TEST_F(ReportCommand, FailedWriteLeavesNoReport) {
  TCliSetup limited;
  limited.BeforeExec = [] {
    ::signal(SIGXFSZ, SIG_IGN);
    struct rlimit rl {600, 600};
    return ::setrlimit(RLIMIT_FSIZE, &rl) == 0;
  };
  TCliResult r = RunCli({"report", catalog, "--level", "Full Details", "--out", out}, limited);
  EXPECT_EQ(2, r.Status);
  EXPECT_EQ("File Error: I/O error 27\nThe report file " + out +
                " could not be written: File too large\n",
            r.Err);
  EXPECT_FALSE(fs::exists(out));
}

// ---- import

struct ImportCommand : ::testing::Test {
  TTempDir dir;
  TDatabase db;
  std::string out = dir.File("imported.ctf");
  ImportCommand() {
    db.Disk(1, 1457664, 728064, 2, "SYSTEM").Disk(2, 650000000, 0, 0x25, "CD");
    db.Entry(1, "DOS", 0, Folder).Entry(1, "COMMAND.COM", 54645, 0x20).Entry(1, "..", 0, Folder);
    db.Entry(1, "AUTOEXEC.BAT", 120, 0x20).Entry(2, "SETUP.EXE", 5000, 0x21);
    db.Description(1, 2, "The shell").Comment("0002  The install CD");
  }
};

TEST_F(ImportCommand, DatabaseBecomesACatalogFile) {
  TCliResult r = RunCli({"import", db.Write(dir), "--out", out});
  ASSERT_EQ(0, r.Status) << r.Err;
  EXPECT_EQ("", r.Err);
  EXPECT_EQ("{\"name\":\"Old Archive\",\"disks\":2,\"folders\":1,\"files\":3}\n", r.Out);
  // The geometry is the media engine's estimate: 512-byte sectors, one per cluster on a
  // floppy, 2048-byte ones on a CD.
  TCatalogTree tree;
  EXPECT_EQ(DescribeTree(tree.AppendChild(tree.Root(), ReadCatalogFile(out))),
            "catalog Old Archive - flag:- flag:- flag:-\n"
            "  disk SYSTEM k35 m7 s0 512/1/255 files2 arc0 folders1 clusters2847/1422 t34773 "
            "serial0 u0 [] [FAT] -\n"
            "    file Autoexec.bat k1 a32 0/0/0 120 c0 -\n"
            "    folder Dos k10 546450000 a16 0/0/0 r0 c0 n1 -\n"
            "      file Command.com k1 a32 0/0/0 54645 c0 [The shell]\n"
            "  disk CD k35 m10 s0 2048/1/255 files1 arc0 folders0 clusters317383/0 t34773 "
            "serial0 u0 [] [CDFS] [The install CD]\n"
            "    file Setup.exe k1 a33 0/0/0 5000 c0 -\n");
}

TEST_F(ImportCommand, RefusedAndDamagedDatabasesLeaveNoFile) {
  struct TCase {
    const char* What;
    std::function<void(TDatabase&)> Change;
    std::string Message;  // after "PATH: "
  };
  const TCase cases[] = {
      {"not whole records", [](TDatabase& d) { d.Dsk += "x"; }, "(not Kestrevane database)"},
      {"no comment file", [](TDatabase& d) { d.WithCmt = false; }, "(invalid Kestrevane database)"},
      {"file list cut", [](TDatabase& d) { d.Fil.pop_back(); },
       "The Kestrevane database is damaged: ARCHIVE.FIL ends inside a record."},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.What);
    TTempDir here;
    TDatabase broken = db;
    c.Change(broken);
    std::string dsk = broken.Write(here);
    TCliResult r = RunCli({"import", dsk, "--out", out});
    EXPECT_EQ(2, r.Status);
    EXPECT_EQ(dsk + ": " + c.Message + "\n", r.Err);
    EXPECT_EQ("", r.Out);
    EXPECT_FALSE(fs::exists(out));
  }
}

TEST_F(ImportCommand, ExistingFileIsNeverReplaced) {
  WriteBytes(out, "my catalog");
  TCliResult r = RunCli({"import", db.Write(dir), "--out", out});
  EXPECT_EQ(2, r.Status);
  EXPECT_EQ(out + ": the file exists; the import makes a new catalog\n", r.Err);
  EXPECT_EQ("my catalog", ReadBytes(out));
}

TEST_F(ImportCommand, MissingFileListIsSaidAndTheDisksAreSaved) {
  db.WithFil = false;
  TCliResult r = RunCli({"import", db.Write(dir), "--out", out});
  EXPECT_EQ(0, r.Status);
  EXPECT_EQ("Problem: Can't open Kestrevane catalog file!\n", r.Err);
  EXPECT_EQ("{\"name\":\"Old Archive\",\"disks\":2,\"folders\":0,\"files\":0}\n", r.Out);
}

}  // namespace
}  // namespace tf::test
