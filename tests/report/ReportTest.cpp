// Reports of small catalogs compared line by line with files written by hand
// (tests/data/report), the column table, the choices of the dialog that the engine decides,
// the date of the head, file names, and what a failed report leaves behind.

#include "report/Report.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <sstream>

#include "browse/ItemText.h"
#include "platform/ScriptedPrompts.h"
#include "store/LoadSave.h"
#include "report/ReportDesk.h"
#include "support/TestSupport.h"

namespace tf {
namespace {

using test::TDesk;

class TStringOutput final : public TReportOutput {
 public:
  void Write(std::string_view bytes) override { text.append(bytes); }
  std::string text;
};

// What a long operation showed, in order.
class TRecordingProgress final : public TProgress {
 public:
  void SetStatus(const std::string& text) override { log.push_back("status:" + text); }
  void Begin(const std::string& caption, int64_t) override { log.push_back("begin:" + caption); }
  void End() override { log.push_back("end"); }
  std::vector<std::string> log;
};

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

// Line by line, so that a difference names its line; blanks at the ends count.
void ExpectSameLines(const std::string& expected, const std::string& actual) {
  std::vector<std::string> want = Lines(expected), got = Lines(actual);
  for (std::size_t i = 0; i < std::max(want.size(), got.size()); ++i) {
    std::string w = i < want.size() ? want[i] : "<none>", g = i < got.size() ? got[i] : "<none>";
    if (w != g) {
      ADD_FAILURE() << "line " << i + 1 << "\n  expected [" << w << "]\n  actual   [" << g << "]";
      return;
    }
  }
  EXPECT_EQ(expected.size(), actual.size());
}

struct TReportCase {
  const char* Expected;
  const char* Level;
  TReportLayout Layout;
  bool Tabs;
  bool Separate;
  std::vector<std::string> Columns;  // empty: every column in the table's order
  TNode* TDesk::*Selected;           // catalog mode; null member: list mode
  std::vector<TFileRec* TDesk::*> Listed;
};

std::string Report(TDesk& desk, const TReportCase& c) {
  TReportSettings s;
  s.Level = FindDetailLevel(c.Level);
  s.Layout = c.Layout;
  s.UseTabs = c.Tabs;
  s.SeparateSubfolders = c.Separate;
  s.ProgramLine = "Tallowfen 9.9.9";
  TReportColumns columns;
  std::string unknown;
  if (!c.Columns.empty()) {
    EXPECT_TRUE(columns.Choose(DetailLevels[s.Level].ColumnSet, c.Columns, unknown)) << unknown;
  }
  TStringOutput out;
  TReportWriter w(s, columns, out, NoProgress());
  w.Head(test::ReportDate);
  if (c.Selected) {
    w.BodyFromItem(desk.*c.Selected);
  } else {
    std::vector<TItemRec*> records;
    for (auto member : c.Listed) records.push_back(desk.*member);
    w.BodyFromList(desk.tree, records);
  }
  w.Tail();
  return out.text;
}

TEST(ReportTest, ReportsMatchTheFilesWrittenByHand) {
  using L = TReportLayout;
  const std::vector<std::string> nameSizeDesc = {"File name", "File size", "Description"};
  const std::vector<std::string> folderNameSize = {"Folder name", "Folder size"};
  const TReportCase cases[] = {
      // Files level under a disk: root folders and files as rows, a section per folder, the
      // three-line description in continuation rows, the 31-character name cut with the mark.
      {"files-columns.txt", "Disks, Folders and Files", L::Columns, false, false, nameSizeDesc,
       &TDesk::docs, {}},
      {"files-tabs.txt", "Disks, Folders and Files", L::Columns, true, false, nameSizeDesc,
       &TDesk::docs, {}},
      {"files-list.txt", "Disks, Folders and Files", L::SimpleList, false, false, nameSizeDesc,
       &TDesk::docs, {}},
      {"folders-separate.txt", "Disks and Folders", L::Columns, false, true, folderNameSize,
       &TDesk::docs, {}},
      {"folders-together.txt", "Disks and Folders", L::Columns, false, false, folderNameSize,
       &TDesk::docs, {}},
      // A folder selected: the whole catalog as one row, under no heading.
      {"catalogs-only.txt", "Catalogs only", L::Columns, false, false, {}, &TDesk::old, {}},
      {"catalog-disks.txt", "Catalogs and Disks", L::Columns, false, false, {}, &TDesk::work, {}},
      // Search results of one disk: the headings of its catalog, the disk and the folders
      // that hold listed files, then the listed files, in catalog order.
      {"search-full-details.txt", "Full Details", L::Columns, false, false, {}, nullptr,
       {&TDesk::b, &TDesk::c, &TDesk::a}},
  };
  for (const TReportCase& c : cases) {
    SCOPED_TRACE(c.Expected);
    TDesk desk;
    ExpectSameLines(test::ExpectedReport(c.Expected), Report(desk, c));
    EXPECT_EQ("", test::CheckTree(desk.tree));
  }
}

// Each time the report lets pending events run, the container it reads.
class TWalkProgress final : public TProgress {
 public:
  TNode* walking = nullptr;
  std::vector<std::string> seen;
  bool Cancelled() override {
    seen.push_back(walking ? walking->Caption : "-");
    return false;
  }
};

TEST(ReportTest, WhileASearchRunsTheTreeKeepsItsOrderAndTheReportSaysWhatItReads) {
  TDesk desk;
  // Out of order in the tree, as a sort asked for during the run leaves it.
  std::reverse(desk.docs->Children.begin(), desk.docs->Children.end());
  for (int i = 0; i < desk.docs->ChildCount(); ++i) desk.docs->Child(i)->Row = i;
  desk.tree.SearchRunning = true;
  TReportSettings s;
  s.Level = FindDetailLevel("Disks and Folders");
  s.ProgramLine = "Tallowfen 9.9.9";
  TReportColumns columns;
  std::string unknown;
  ASSERT_TRUE(columns.Choose(DetailLevels[s.Level].ColumnSet, {"Folder name", "Folder size"},
                             unknown));
  TStringOutput out;
  TWalkProgress progress;
  TReportWriter w(s, columns, out, progress);
  w.Walking = [&](TNode* n) { progress.walking = n; };
  w.Head(test::ReportDate);
  w.BodyFromItem(desk.docs);
  w.Tail();
  ExpectSameLines(test::ExpectedReport("folders-together.txt"), out.text);
  EXPECT_EQ(desk.docs->Child(0)->Caption, "Photos");
  EXPECT_EQ(progress.seen, (std::vector<std::string>{"Docs", "Letters", "Old", "Photos"}));
  EXPECT_EQ(progress.walking, nullptr);
  desk.tree.SearchRunning = false;
}

TEST(ReportTest, DetailLevelsAndTheChoicesTheyEnable) {
  struct TLevelCase {
    const char* Name;
    int ColumnSet;
    bool Separate;  // with the catalog as the source
  };
  const TLevelCase cases[] = {
      {"Catalogs only", 4, false},
      {"Catalogs and Disks", 3, false},
      {"Catalogs, Disks and Folders", 2, true},
      {"Disks only", 3, false},
      {"Disks and Folders", 2, true},
      {"Disks, Folders and Files", 1, false},
      {"Folders only", 2, true},
      {"Folders and Files", 1, false},
      {"Full Details", 1, false},
  };
  for (int i = 0; i < DetailLevelCount; ++i) {
    SCOPED_TRACE(cases[i].Name);
    EXPECT_EQ(i, FindDetailLevel(cases[i].Name));
    EXPECT_EQ(cases[i].ColumnSet, DetailLevels[i].ColumnSet);
    EXPECT_EQ(cases[i].Separate, SeparateSubfoldersEnabled(i, TReportSource::CatalogItem));
    EXPECT_FALSE(SeparateSubfoldersEnabled(i, TReportSource::SearchResults));
    EXPECT_FALSE(SeparateSubfoldersEnabled(i, TReportSource::UserList));
  }
  EXPECT_EQ(-1, FindDetailLevel("Everything"));
  EXPECT_STREQ("Catalogs, Disks and Folders", DetailLevels[DefaultDetailLevel].Name);
}

TEST(ReportTest, StartNodeMovesUpToTheLevelsKind) {
  TDesk desk;
  struct TStartCase {
    const char* Level;
    TNode* TDesk::*Selected;
    TNode* TDesk::*Start;
  };
  const TStartCase cases[] = {
      {"Catalogs only", &TDesk::old, &TDesk::work},
      {"Disks only", &TDesk::old, &TDesk::docs},
      {"Disks only", &TDesk::work, &TDesk::work},
      {"Folders only", &TDesk::old, &TDesk::old},
      {"Full Details", &TDesk::docs, &TDesk::docs},
  };
  for (const TStartCase& c : cases) {
    SCOPED_TRACE(c.Level);
    EXPECT_EQ(desk.*c.Start, ReportStartNode(desk.*c.Selected, FindDetailLevel(c.Level)));
  }
  EXPECT_EQ(nullptr, ReportStartNode(nullptr, 0));
}

TEST(ReportTest, ColumnTableKeepsOrderAndCheckMarks) {
  TReportColumns t;
  auto captions = [&t](int set, bool checkedOnly) {
    std::vector<std::string> out;
    for (int slot : t.Ordered(set))
      if (!checkedOnly || t.Slot(set, slot).Checked) out.push_back(t.Slot(set, slot).Caption);
    return out;
  };
  using V = std::vector<std::string>;
  EXPECT_EQ((V{"File name", "File path", "Extension", "File size", "Date", "Time", "Attr",
               "Description", "Location"}),
            captions(1, true));
  EXPECT_EQ((V{"Folder name", "Folder path", "Extension", "Folder size", "Date", "Time", "Attr",
               "Description", "Location"}),
            captions(2, true));
  EXPECT_EQ((V{"Disk name", "Media type", "Capacity", "Free space", "Last Updated", "Description",
               "Catalog Name"}),
            captions(3, true));
  EXPECT_EQ((V{"Catalog name", "Total catalog size", "Disks in catalog"}), captions(4, true));
  // Fields, alignments and widths that differ between the sets.
  EXPECT_EQ(ColTotalOrCatalog, t.Slot(2, 3).Field);
  EXPECT_EQ(20, t.Slot(2, 8).MaxWidth);
  EXPECT_EQ(40, t.Slot(1, 8).MaxWidth);
  EXPECT_EQ(TAlignment::Centre, t.Slot(1, 6).Alignment);
  EXPECT_EQ(TAlignment::Right, t.Slot(4, 2).Alignment);
  EXPECT_EQ(ColAttributes, t.Slot(3, 5).Field);

  t.SwapPositions(4, 0, 2);
  EXPECT_EQ((V{"Disks in catalog", "Total catalog size", "Catalog name"}), captions(4, false));

  std::string unknown;
  ASSERT_TRUE(t.Choose(3, {"free space", "Disk name"}, unknown));
  EXPECT_EQ((V{"Free space", "Disk name"}), captions(3, true));
  EXPECT_EQ((V{"Free space", "Disk name", "Media type", "Capacity", "Last Updated", "Description",
               "Catalog Name"}),
            captions(3, false));
  EXPECT_FALSE(t.Choose(3, {"Disk name", "Colour"}, unknown));
  EXPECT_EQ("Colour", unknown);
  EXPECT_EQ((V{"Free space", "Disk name"}), captions(3, true));  // unchanged
}

TEST(ReportTest, FileNameFieldRules) {
  struct TNameCase {
    const char* Typed;
    const char* Full;
  };
  const TNameCase cases[] = {
      {"report", "/home/u/report.txt"},
      {"sub/../list.log", "/home/u/list.log"},
      {"/tmp/out", "/tmp/out.txt"},
      {"/tmp/dir.d/out", "/tmp/dir.d/out.txt"},
      {"notes.", "/home/u/notes."},
      {"", ""},
  };
  for (const TNameCase& c : cases)
    EXPECT_EQ(c.Full, CompleteReportFileName(c.Typed, "/home/u")) << c.Typed;
}

TEST(ReportTest, HeadDateFollowsSourceDateEpoch) {
  std::time_t now = 1700000000;
  std::tm local{};
  ::localtime_r(&now, &local);
  TDateTimeParts localNow{local.tm_year + 1900, local.tm_mon + 1, local.tm_mday,
                          local.tm_hour,        local.tm_min,     local.tm_sec};
  struct TEpochCase {
    const char* Value;
    TDateTimeParts Want;
  };
  const TEpochCase cases[] = {
      {"0", {1970, 1, 1, 0, 0, 0}},
      {"951825599", {2000, 2, 29, 11, 59, 59}},
      {nullptr, localNow},
      {"", localNow},
      {"12abc", localNow},
      {"-5", localNow},
  };
  for (const TEpochCase& c : cases)
    EXPECT_EQ(c.Want, ReportTime(c.Value, now)) << (c.Value ? c.Value : "unset");
}

// A report file: the catalog is saved and read again, so that file lists lie in the file.
struct TFileDesk {
  test::TTempDir dir;
  TCatalogTree tree;
  TNode* catalog = nullptr;
  TScriptedPrompts prompts;
  TRecordingProgress progress;
  TReportColumns columns;

  TFileDesk() {
    TDesk desk;
    WriteCatalogFile(desk.work, dir.File("work.ctf"), NoProgress());
    catalog = tree.AppendChild(tree.Root(), ReadCatalogFile(dir.File("work.ctf")));
  }
  TReportJob Job(const char* level) {
    TReportJob job;
    job.Settings.Level = FindDetailLevel(level);
    job.Columns = &columns;
    job.Selected = catalog;
    job.Time = test::ReportDate;
    return job;
  }
  std::vector<std::string> Shown() const { return progress.log; }
};

// Loaded lists of a subtree, by container caption.
void LoadedLists(TNode* node, std::vector<std::string>& out) {
  uint8_t kind = node->Kind();
  if ((kind == ikDisk || kind == ikFolder) && FilesLoaded(node->Record)) out.push_back(node->Caption);
  for (int i = 0; i < node->ChildCount(); ++i) LoadedLists(node->Child(i), out);
}

TEST(ReportFileTest, ListsReadForTheReportAreReleasedBehindIt) {
  TFileDesk f;
  TNode* docs = f.catalog->Child(0);
  LoadFiles(docs);  // shown in the main window: it must stay
  ASSERT_TRUE(WriteReportFile(f.Job("Full Details"), f.dir.File("r.txt"), f.prompts, f.progress));
  std::vector<std::string> loaded;
  LoadedLists(f.catalog, loaded);
  // Docs was in memory before; Games has no root files, so nothing of it lies in the file.
  EXPECT_EQ((std::vector<std::string>{"Docs", "Games"}), loaded);
  std::string text = test::ReadBytes(f.dir.File("r.txt"));
  EXPECT_NE(text.find("doom.exe"), std::string::npos);
  EXPECT_NE(text.find("c.txt"), std::string::npos);
  EXPECT_EQ((std::vector<std::string>{"status:" + std::string(GeneratingReportText),
                                      "begin:" + std::string(GeneratingReportText), "end",
                                      "status:"}),
            f.Shown());
  EXPECT_TRUE(f.prompts.Log.empty());
  EXPECT_EQ("", test::CheckTree(f.tree));
}

TEST(ReportFileTest, FileThatCannotBeCreatedIsReportedAndNothingShown) {
  TFileDesk f;
  std::string path = f.dir.File("missing/r.txt");
  EXPECT_FALSE(WriteReportFile(f.Job("Full Details"), path, f.prompts, f.progress));
  EXPECT_EQ(std::vector<std::string>{"File Error | Can't create output file.\r\nPlease verify file "
                                     "name and path and try again. | Ok | Error"},
            test::Shown(f.prompts));
  EXPECT_TRUE(f.Shown().empty());
  EXPECT_FALSE(std::filesystem::exists(path));
}

TEST(ReportFileTest, FailedWriteRemovesThePartAndCleansUp) {
  TFileDesk f;
  std::string path = f.dir.File("r.txt");
  test::WriteBytes(path, "an older report");
  // A file-size limit makes the write fail half-way, whoever runs the test.
  rlimit old{};
  ::getrlimit(RLIMIT_FSIZE, &old);
  auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
  rlimit small = old;
  small.rlim_cur = 700;
  ::setrlimit(RLIMIT_FSIZE, &small);
  bool written = WriteReportFile(f.Job("Full Details"), path, f.prompts, f.progress);
  ::setrlimit(RLIMIT_FSIZE, &old);
  std::signal(SIGXFSZ, oldHandler);

  EXPECT_FALSE(written);
  EXPECT_FALSE(std::filesystem::exists(path));
  EXPECT_EQ(std::vector<std::string>{"File Error | I/O error 27\rThe report file " + path +
                                     " could not be written: File too large | Ok | Error"},
            test::Shown(f.prompts));
  // The wait window went and the status was cleared before the message.
  EXPECT_EQ((std::vector<std::string>{"status:" + std::string(GeneratingReportText),
                                      "begin:" + std::string(GeneratingReportText), "end",
                                      "status:"}),
            f.Shown());
}

TEST(ReportFileTest, DamagedFileListEndsTheReportWithTheCatalogsError) {
  TFileDesk f;
  // Point the root file list of Docs past the end of its disk block.
  auto* docs = static_cast<TDiskRec*>(f.catalog->Child(0)->Record);
  docs->FilesOffset = docs->BlockLength - 2;
  std::string path = f.dir.File("r.txt");
  EXPECT_FALSE(WriteReportFile(f.Job("Full Details"), path, f.prompts, f.progress));
  EXPECT_FALSE(std::filesystem::exists(path));
  EXPECT_EQ(std::vector<std::string>{"Catalog error | The report was not written: a catalog could "
                                     "not be read.\r" + f.dir.File("work.ctf") +
                                     "\rInternal catalog structure error detected. | Ok | Error"},
            test::Shown(f.prompts));
  EXPECT_EQ("end", f.Shown().at(2));
}

}  // namespace
}  // namespace tf
