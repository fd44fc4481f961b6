// tallowfen-cli search and dupes: the criteria as the window reads them, the output, failures.

#include <gtest/gtest.h>

#include <filesystem>
#include <nlohmann/json.hpp>
#include <sstream>

#include "../store/StoreFixtures.h"
#include "platform/QtSettingsStore.h"
#include "platform/ScriptedPrompts.h"
#include "scan/Utils.h"
#include "settings/Options.h"

namespace tf::test {
namespace {

using nlohmann::json;

uint32_t Dos(int y, int mo, int d, int h = 0, int mi = 0, int s = 0) {
  return uint32_t(((y - 1980) << 25) | (mo << 21) | (d << 16) | (h << 11) | (mi << 5) | (s / 2));
}

std::vector<std::string> Lines(const std::string& out) {
  std::vector<std::string> lines;
  std::istringstream in(out);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

// The first column of each line: the item's name.
std::vector<std::string> Names(const std::string& out) {
  std::vector<std::string> names;
  for (const auto& line : Lines(out)) names.push_back(line.substr(0, line.find('\t')));
  return names;
}

class SearchCmd : public ::testing::Test {
 protected:
  void SetUp() override {
    TCatalogTree tree;
    BuildSampleCatalog(tree);
    sample = dir.File("sample.ctf");
    WriteCatalogFile(tree.Catalog(0), sample, NoProgress());
  }
  // The program's settings come from a folder of this test only.
  TCliResult Run(const std::vector<std::string>& args) {
    TCliSetup setup;
    setup.Env = {{"XDG_CONFIG_HOME", config.Path().string()}};
    return RunCli(args, setup);
  }
  TCliResult Search(std::vector<std::string> args, const std::string& path = {}) {
    args.insert(args.begin(), {"search", path.empty() ? sample : path});
    return Run(args);
  }

  TTempDir dir, config;
  std::string sample;
};

TEST_F(SearchCmd, FindsWhatTheCriteriaDescribeInTheWindowsOrder) {
  struct Case {
    std::vector<std::string> args;
    std::vector<std::string> names;
  } cases[] = {
      {{"--name-part", "doom"}, {"Doom.exe", "Doom.wad", "Doom"}},
      {{"--mask", "*.D?G"}, {"Save1.dsg", "Save2.dsg"}},
      {{"--mask", "**?.exe"}, {"Doom.exe", "Pkzip.exe"}},  // cleaned to *.exe
      {{"--ext", "*.WAD, .bat"}, {"Autoexec.bat", "Doom.wad"}},
      {{"--name-exact", "readme.txt"}, {"Readme.txt"}},
      {{"--name-exact", "readme.txt", "--case"}, {}},
      {{"--desc", "level 3 with"}, {"Save1.dsg"}},
      {{"--desc-any", "--folders-only"}, {"Tools"}},
      {{"--category", "Games"}, {"Doom.exe"}},
      {{"--flag", "Backed up"}, {"Doom.exe"}},
      {{"--category", "Tools", "--flag", "Broken"}, {"Tools"}},
      // Bounds given the wrong way round are swapped: 100 bytes to 1 KB.
      {{"--size-between", "1KB", "100"},
       {"Doom.wad", "Doom", "Save1.dsg", "Save2.dsg", "Pack.zip", "docs\\readme.txt"}},
      {{"--size-gt", "1.5KB"}, {"Games", "Doom.exe"}},
      {{"--size-eq", "1 KB", "--size-tolerance", "25B"}, {"Doom.wad", "Pack.zip"}},
      {{"--attr", "a-h-", "--mask", "*.exe"}, {"Doom.exe", "Pkzip.exe"}},
      {{"--attr", "a+", "--mask", "*.exe"}, {}},
      {{"--disk", "Shareware 2", "--mask", "*"}, {"Pack.zip", "docs\\readme.txt", "Empty"}},
      {{"--limit", "2", "--mask", "*"}, {"Readme.txt", "Autoexec.bat"}},
      {{"--any", "--name-exact", "Empty", "--size-eq", "77"}, {"Autoexec.bat", "Empty"}},
      {{"--files-only", "--mask", "p*"}, {"Pkzip.exe", "Pack.zip"}},  // an archive is a file
      {{"--folders-only", "--mask", "*"},
       {"Games", "Doom", "Deep", "Deeper", "Tools", "Pack.zip", "Empty"}},
  };
  for (const auto& c : cases) {
    TCliResult r = Search(c.args);
    std::string what = ::testing::PrintToString(c.args);
    ASSERT_EQ(r.Status, 0) << what << r.Err;
    EXPECT_EQ(Names(r.Out), c.names) << what;
  }
}

TEST_F(SearchCmd, PrintsTheResultListsColumnsOrJson) {
  TCliResult r = Search({"--mask", "Save1.dsg"});
  ASSERT_EQ(r.Status, 0) << r.Err;
  EXPECT_EQ(r.Out, "Save1.dsg\tdsg\t100\t\t\tShareware 1\t" + MediaTypeName(5) +
                       "\t\\Games\\Doom\n");

  r = Search({"--any", "--name-exact", "Doom", "--name-part", "x"});
  EXPECT_EQ(r.Status, 1);  // one name mode only

  r = Search({"--any", "--mask", "Doom", "--desc", "level", "--json"});
  ASSERT_EQ(r.Status, 0) << r.Err;
  auto lines = Lines(r.Out);
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(json::parse(lines[0]), json::parse(R"({"kind":"folder","catalog":"Sample",
      "disk":"Shareware 1","path":"\\Games","name":"Doom","size":300,"modifiedTime":0,
      "attributes":16,"description":null,"categoryFlags":0})"));
  EXPECT_EQ(json::parse(lines[1]), json::parse(R"({"kind":"file","catalog":"Sample",
      "disk":"Shareware 1","path":"\\Games\\Doom","name":"Save1.dsg","size":100,
      "modifiedTime":0,"attributes":0,"description":"Level 3\r\nwith the key",
      "categoryFlags":0})"));
  r = Search({"--mask", "Readme.txt", "--json"});
  EXPECT_EQ(json::parse(r.Out)["path"], "\\");
}

TEST_F(SearchCmd, DatesAndTimesWithTheirTolerances) {
  TCatalogTree tree;
  TNode* disk = AddDisk(AddCatalog(tree, "T"), "D");
  AddFile(disk, "a")->ModifiedTime = Dos(2020, 2, 28, 10, 0, 0);
  AddFile(disk, "b")->ModifiedTime = Dos(2020, 3, 1, 23, 59, 58);
  AddFile(disk, "c")->ModifiedTime = Dos(2020, 3, 4, 0, 0, 0);
  AddFile(disk, "d")->ModifiedTime = 0;  // unknown
  TFileRec* e = AddFile(disk, "e");
  e->ModifiedTime = Dos(2021, 1, 1, 10, 0, 0);
  e->CreatedTime = Dos(2020, 3, 1, 10, 0, 0);
  std::string path = dir.File("t.ctf");
  WriteCatalogFile(tree.Catalog(0), path, NoProgress());
  struct Case {
    std::vector<std::string> args;
    std::vector<std::string> names;
  } cases[] = {
      {{"--date-on", "2020-03-01"}, {"b"}},
      {{"--date-on", "2020-03-02", "--date-tolerance", "2"}, {"b", "c"}},  // 2020 has 29 Feb
      {{"--date-between", "2020-03-04", "2020-02-28"}, {"a", "b", "c"}},
      {{"--date-not-between", "2020-02-29", "2020-03-31"}, {"a", "e"}},
      {{"--date-before", "2020-03-01"}, {"a"}},
      {{"--date-field", "created", "--date-on", "2020-03-01"}, {"e"}},
      {{"--time-between", "23:00", "09:00"}, {"a", "e"}},
      {{"--time-at", "09:59", "--time-tolerance", "1"}, {"a", "e"}},
      {{"--time-after", "23:59:57"}, {"b"}},
  };
  for (const auto& c : cases) {
    TCliResult r = Search(c.args, path);
    std::string what = ::testing::PrintToString(c.args);
    ASSERT_EQ(r.Status, 0) << what << r.Err;
    EXPECT_EQ(Names(r.Out), c.names) << what;
  }
}

TEST_F(SearchCmd, RefusesWhatTheWindowRefuses) {
  struct Case {
    std::vector<std::string> args;
    int status;
    std::string err;
  } cases[] = {
      {{}, 1, "Error: Nothing to search for!"},
      {{"--mask", ",/"}, 1, "The DOS File Mask is not valid."},
      {{"--name-part", ""}, 1, "The Item Name field is still empty."},
      {{"--desc", ""}, 1, "The description field is still empty."},
      {{"--disk", "Nope", "--mask", "*"}, 1, "no disk \"Nope\""},
      {{"--size-eq", "12XB"}, 1, "not a size"},
      {{"--date-on", "2021-02-29"}, 1, "no such day"},
      {{"--time-at", "24:00"}, 1, "not a time"},
      {{"--attr", "x+", "--mask", "*"}, 1, "not an attribute list"},
      {{"--attr", "a+"}, 1, "--attr needs a name option"},
      {{"--files-only", "--folders-only", "--mask", "*"}, 1, ""},
  };
  for (const auto& c : cases) {
    TCliResult r = Search(c.args);
    std::string what = ::testing::PrintToString(c.args);
    EXPECT_EQ(r.Status, c.status) << what;
    EXPECT_NE(r.Err.find(c.err), std::string::npos) << what << ": " << r.Err;
    EXPECT_EQ(r.Out, "") << what;
  }
  TCliResult r = Search({"--mask", "*"}, dir.File("missing.ctf"));
  EXPECT_EQ(r.Status, 2);
}

class DupesCmd : public SearchCmd {
 protected:
  void SetUp() override {
    SearchCmd::SetUp();
    TCatalogTree tree;
    TNode* cat = AddCatalog(tree, "Dupes");
    TNode* d1 = AddDisk(cat, "D1");
    AddFile(d1, "README.TXT", 100);
    TNode* zip = AddFolder(d1, "A.ZIP", 300);
    SetFlag(zip->Record, InArchive, true);
    AddFile(zip, "README.TXT", 100);
    TNode* d2 = AddDisk(cat, "D2");
    AddFile(d2, "README.TXT", 100);
    AddFile(d2, "FILE.DAT", 5);
    AddFile(AddDisk(cat, "D3"), "FILE.DAT", 5);
    path = dir.File("dupes.ctf");
    WriteCatalogFile(cat, path, NoProgress());
  }
  std::string path;
};

TEST_F(DupesCmd, PrintsGroupsInTheirOrderSeparatedByAnEmptyLine) {
  TCliResult r = Run({"dupes", path});
  ASSERT_EQ(r.Status, 0) << r.Err;
  // Bucket F before bucket R; the archive's entry is left out.
  EXPECT_EQ(Lines(r.Out), (std::vector<std::string>{
                              "FILE.DAT\tDAT\t5\t\t\tD2\t" + MediaTypeName(5) + "\t\\",
                              "FILE.DAT\tDAT\t5\t\t\tD3\t" + MediaTypeName(5) + "\t\\",
                              "",
                              "README.TXT\tTXT\t100\t\t\tD1\t" + MediaTypeName(5) + "\t\\",
                              "README.TXT\tTXT\t100\t\t\tD2\t" + MediaTypeName(5) + "\t\\",
                          }));
  r = Run({"dupes", path, "--include-archives", "--json"});
  ASSERT_EQ(r.Status, 0) << r.Err;
  auto lines = Lines(r.Out);
  ASSERT_EQ(lines.size(), 2u);
  json readme = json::parse(lines[1]);
  ASSERT_EQ(readme.size(), 3u);
  EXPECT_EQ(readme[1]["path"], "\\A.ZIP");
  EXPECT_EQ(readme[2]["disk"], "D2");
  // Size alone: one bucket holds only items whose names begin alike.
  r = Run({"dupes", path, "--size", "--files-only"});
  EXPECT_EQ(Lines(r.Out).size(), 5u);
}

TEST_F(DupesCmd, ArchivesSortAsTheProgramsSettingsSay) {
  // In bucket A: a plain folder, a file, an archive and a file of one size. Sorted with the
  // archive among the folders, the two files meet; sorted among the files, it parts them.
  TCatalogTree tree;
  TNode* disk = AddDisk(AddCatalog(tree, "S"), "D");
  AddFile(AddFolder(disk, "AF1", 1), "AX", 100);
  TNode* zip = AddFolder(disk, "AY.ZIP", 100);
  SetFlag(zip->Record, InArchive, true);
  AddFile(AddFolder(disk, "AF2", 2), "AZ", 100);
  std::string p = dir.File("s.ctf");
  WriteCatalogFile(tree.Catalog(0), p, NoProgress());

  TCliResult r = Run({"dupes", p, "--size"});
  EXPECT_EQ(Names(r.Out), (std::vector<std::string>{"AX", "AZ"}));

  std::filesystem::create_directories(config.Path() / "Brenthorpe");
  TQtSettingsStore store((config.Path() / "Brenthorpe" / "Tallowfen.conf").string());
  TOptions options;
  options.ArchivesSortCheck = false;  // "Sort archive files as folders" cleared
  TScriptedPrompts prompts;
  ASSERT_TRUE(SaveSettings(store, options, prompts));
  r = Run({"dupes", p, "--size"});
  EXPECT_EQ(r.Out, "");
}

}  // namespace
}  // namespace tf::test
