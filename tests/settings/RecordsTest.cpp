#include <gtest/gtest.h>

#include "Backends.h"
#include "Printers.h"
#include "settings/Options.h"
#include "platform/ScriptedPrompts.h"

namespace tf::test {
namespace {

using Bytes = std::vector<uint8_t>;
using Paths = std::vector<std::string>;

// The recent-files list.

class MruStorage : public SettingsBackend {};
TF_ON_BOTH_BACKENDS(MruStorage);

TEST_P(MruStorage, KeepsOrderAndAtMostFourEntries) {
  const Paths paths = {"/d/one.ctf",       "/d/My Disks, old/two.ctf",
                       "/d/\"three\".ctf", "/d/f\xC3\xBC\x6E\x66.ctf",
                       "/d/five.ctf",      "/d/six.ctf"};
  WriteMruList(Key(), paths);
  TSettingsKey& key = Reopen();
  auto sub = key.Subkey("MRUList");
  EXPECT_EQ(sub->ValueNames(), (Paths{"F0", "F1", "F2", "F3"}));
  EXPECT_EQ(sub->ReadString("F1"), paths[1]);
  EXPECT_EQ(ReadMruList(key), Paths(paths.begin(), paths.begin() + 4));
}

TEST_P(MruStorage, SubkeyIsEmptiedBeforeWriting) {
  auto sub = Key().Subkey("MRUList");
  for (const char* name : {"F0", "F1", "F2", "F3"})
    sub->WriteString(name, std::string("/old/") + name);
  sub->WriteString("Stale", "x");
  WriteMruList(Key(), {"/new/a.ctf"});
  TSettingsKey& key = Reopen();
  EXPECT_EQ(key.Subkey("MRUList")->ValueNames(), Paths{"F0"});
  EXPECT_EQ(ReadMruList(key), Paths{"/new/a.ctf"});

  WriteMruList(key, {});
  EXPECT_TRUE(ReadMruList(Reopen()).empty());
}

TEST_P(MruStorage, ReadingSkipsGapsEmptiesAndRepeats) {
  auto sub = Key().Subkey("MRUList");
  sub->WriteString("F0", "/a.ctf");
  sub->WriteString("F1", "");
  sub->WriteString("F3", "/a.ctf");
  sub->WriteString("F2", "/b.ctf");
  sub->WriteString("F4", "/beyond.ctf");
  sub->WriteBinary("F5", {1});
  EXPECT_EQ(ReadMruList(Reopen()), (Paths{"/a.ctf", "/b.ctf"}));
}

// The main window's state.

TEST(WindowPos, RecordLayout) {
  TWindowPos pos;
  pos.Left = -4;
  pos.Top = 0x01020304;
  pos.Width = 1288;
  pos.Height = 1032;
  pos.TreeWidth = 250;
  pos.ViewStyle = 2;
  pos.DiskSortKey = 5;
  pos.FileSortKey = 3;
  pos.ReverseOrder = true;
  const Bytes record = EncodeWindowPos(pos);
  EXPECT_EQ(record, (Bytes{0xFC, 0xFF, 0xFF, 0xFF, 0x04, 0x03, 0x02, 0x01, 0x08, 0x05,
                           0x00, 0x00, 0x08, 0x04, 0x00, 0x00, 0xFA, 0x00, 0x00, 0x00,
                           0,    0,    0,    0,    0,    0,    0,    0,    2,    0x9D}));
  EXPECT_EQ(DecodeWindowPos(record), pos);
}

TEST(WindowPos, UnusedBytesAreIgnoredAndOtherLengthsRejected) {
  TWindowPos pos;
  pos.Width = 800;
  pos.Height = 600;
  Bytes record = EncodeWindowPos(pos);
  for (std::size_t i = 20; i < 28; ++i) record[i] = 0xEE;
  EXPECT_EQ(DecodeWindowPos(record), pos);
  record.push_back(0);
  EXPECT_FALSE(DecodeWindowPos(record));
  record.resize(29);
  EXPECT_FALSE(DecodeWindowPos(record));
  EXPECT_FALSE(DecodeWindowPos({}));
}

TEST(WindowPos, FileSortKeys8And9SurviveAndBadCodesReadAsDefaults) {
  for (uint8_t key = 0; key <= 9; ++key) {
    TWindowPos pos;
    pos.FileSortKey = key;
    pos.DiskSortKey = 4;
    const auto back = DecodeWindowPos(EncodeWindowPos(pos));
    ASSERT_TRUE(back);
    EXPECT_EQ(back->FileSortKey, key);
    EXPECT_EQ(back->DiskSortKey, 4);
    EXPECT_FALSE(back->ReverseOrder);
  }
  Bytes record = EncodeWindowPos(TWindowPos());
  record[28] = 4;
  record[29] = 0x80 | (12 << 3) | 6;  // file key 12, disk key 6: no such keys
  const auto back = DecodeWindowPos(record);
  ASSERT_TRUE(back);
  EXPECT_EQ(back->ViewStyle, 3);
  EXPECT_EQ(back->FileSortKey, 1);
  EXPECT_EQ(back->DiskSortKey, 1);
  EXPECT_TRUE(back->ReverseOrder);
}

// The settings revision.

class RevisionStorage : public SettingsBackend {};
TF_ON_BOTH_BACKENDS(RevisionStorage);

TEST_P(RevisionStorage, SettingsOfAnotherRevisionAreDropped) {
  for (const std::optional<Bytes>& marker :
       {std::optional<Bytes>(), std::optional<Bytes>(Bytes{1}), std::optional<Bytes>(Bytes{2, 0}),
        std::optional<Bytes>(Bytes{})}) {
    TScriptedPrompts prompts;
    ASSERT_TRUE(SaveSettings(Key(), TOptions(), prompts));
    WriteMruList(Key(), {"/a.ctf"});
    Key().WriteBinary("WindowPos", EncodeWindowPos(TWindowPos()));
    if (marker)
      Key().WriteBinary("RevisionMarker", *marker);
    else
      Key().DeleteValue("RevisionMarker");

    TSettingsKey& key = Reopen();
    EXPECT_TRUE(ResetOutdatedSettings(key));
    EXPECT_FALSE(key.Exists());
    EXPECT_TRUE(ReadMruList(key).empty());
    EXPECT_FALSE(key.ReadBinary("WindowPos"));
    EXPECT_TRUE(LoadSettings(Reopen()).Changed);
  }
}

TEST_P(RevisionStorage, CurrentSettingsAreKept) {
  EXPECT_FALSE(ResetOutdatedSettings(Key()));
  TScriptedPrompts prompts;
  ASSERT_TRUE(SaveSettings(Key(), TOptions(), prompts));
  WriteMruList(Key(), {"/a.ctf"});
  TSettingsKey& key = Reopen();
  EXPECT_FALSE(ResetOutdatedSettings(key));
  EXPECT_EQ(ReadMruList(key), Paths{"/a.ctf"});
  EXPECT_FALSE(LoadSettings(key).Changed);
}

}  // namespace
}  // namespace tf::test
