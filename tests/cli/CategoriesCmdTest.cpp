// tallowfen-cli categories and set-category: listing names, classifying items by path, and
// leaving the catalog untouched when anything asked for is not there.

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "../store/StoreFixtures.h"

namespace tf::test {
namespace {

using nlohmann::json;

// The sample catalog: categories Games (1) and Tools (2), flags "Backed up" (1) and
// "Broken" (3). Shareware 1 holds Games\Doom.exe (Games, Backed up), Games\Doom\Save1.dsg,
// Tools (folder, Tools); Shareware 2 holds Pack.zip with the entry docs\readme.txt.
class CategoriesCmd : public SavedSample {
 protected:
  json Dump() {
    TCliResult r = RunCli({"dump", path});
    EXPECT_EQ(r.Status, 0) << r.Err;
    return json::parse(r.Out);
  }
  TCliResult Set(std::vector<std::string> args) {
    args.insert(args.begin(), {"set-category", path});
    return RunCli(args);
  }
};

// The categoryFlags of the item at a path of names in a dump.
int ByteAt(const json& doc, const std::vector<std::string>& names) {
  const json* node = nullptr;
  for (const json& d : doc["disks"])
    if (d["name"] == names[0]) node = &d;
  for (std::size_t i = 1; node && i < names.size(); ++i) {
    const json* next = nullptr;
    for (const char* list : {"folders", "files"})
      for (const json& e : (*node)[list])
        if (e["name"] == names[i]) next = &e;
    node = next;
  }
  return node ? (*node)["categoryFlags"].get<int>() : -1;
}

TEST_F(CategoriesCmd, ListsNamesAsLinesOrJson) {
  TCliResult r = RunCli({"categories", path});
  ASSERT_EQ(r.Status, 0) << r.Err;
  EXPECT_EQ(r.Out, "category\t1\tGames\ncategory\t2\tTools\nflag\t1\tBacked up\nflag\t3\tBroken\n");
  r = RunCli({"categories", path, "--json"});
  ASSERT_EQ(r.Status, 0) << r.Err;
  EXPECT_EQ(json::parse(r.Out), json::parse(R"({"categories":[{"name":"Games","id":1},
      {"name":"Tools","id":2}],"flags":["Backed up",null,"Broken"]})"));
  EXPECT_EQ(RunCli({"categories", dir.File("missing.ctf")}).Status, 2);
}

TEST_F(CategoriesCmd, SetsCategoryAndFlagsOfFilesAndFolders) {
  json expected = Dump();
  TCliResult r = Set({"Shareware 1\\Games\\Doom\\Save1.dsg", "Shareware 1\\Tools",
                      "Shareware 2\\Pack.zip\\docs\\readme.txt", "--category", "Games", "--flag",
                      "Broken=on"});
  ASSERT_EQ(r.Status, 0) << r.Err;
  json after = Dump();
  EXPECT_EQ(ByteAt(after, {"Shareware 1", "Games", "Doom", "Save1.dsg"}), 1 | 0x80);
  EXPECT_EQ(ByteAt(after, {"Shareware 1", "Tools"}), 1 | 0x80);
  EXPECT_EQ(ByteAt(after, {"Shareware 2", "Pack.zip", "docs\\readme.txt"}), 1 | 0x80);

  // Nothing else changed.
  json again = after;
  for (auto* doc : {&expected, &again}) {
    (*doc)["disks"][0]["folders"][0]["folders"][0]["files"][0]["categoryFlags"] = 0;
    (*doc)["disks"][0]["folders"][1]["categoryFlags"] = 0;
    (*doc)["disks"][1]["folders"][0]["files"][0]["categoryFlags"] = 0;
  }
  EXPECT_EQ(again, expected);

  r = Set({"Shareware 1\\Games\\Doom.exe", "--no-category", "--flag", "Backed up=off", "--flag",
           "Broken=on"});
  ASSERT_EQ(r.Status, 0) << r.Err;
  EXPECT_EQ(ByteAt(Dump(), {"Shareware 1", "Games", "Doom.exe"}), 0x80);
}

TEST_F(CategoriesCmd, UnknownNamesAndItemsLeaveTheCatalogUntouched) {
  std::string before = ReadBytes(path);
  struct TCase {
    std::vector<std::string> Args;
    int Status;
    const char* Message;
  } cases[] = {
      {{"Shareware 1\\Tools", "--category", "Music"}, 2, "no category \"Music\""},
      {{"Shareware 1\\Tools", "--category", "games"}, 2, "no category \"games\""},
      {{"Shareware 1\\Tools", "--flag", "Lent=on"}, 2, "no flag \"Lent\""},
      {{"Shareware 1\\Tools", "Shareware 1\\Nothing", "--no-category"}, 2,
       "no file or folder \"Shareware 1\\Nothing\""},
      {{"Shareware 3\\Tools", "--no-category"}, 2, "no file or folder"},
      {{"Shareware 1", "--no-category"}, 2, "no file or folder"},
      {{"Shareware 1\\Tools"}, 1, "nothing to set"},
      {{"Shareware 1\\Tools", "--flag", "Broken=yes"}, 1, "NAME=on or NAME=off"},
      {{"Shareware 1\\Tools", "--category", "Games", "--no-category"}, 1, ""},
  };
  for (const TCase& c : cases) {
    TCliResult r = Set(c.Args);
    EXPECT_EQ(r.Status, c.Status) << c.Args[1] << " " << r.Err;
    EXPECT_NE(r.Err.find(c.Message), std::string::npos) << r.Err;
    EXPECT_EQ(ReadBytes(path), before);
  }
}

}  // namespace
}  // namespace tf::test
