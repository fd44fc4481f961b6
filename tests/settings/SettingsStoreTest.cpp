#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <memory>

#include "Backends.h"
#include "Printers.h"
#include "settings/Options.h"
#include "platform/ScriptedPrompts.h"

namespace tf::test {
namespace {

// Every test of this program runs with a configuration folder of its own, so that nothing can
// reach the user's real settings, not even the store that opens them.
class TConfigHome : public ::testing::Environment {
 public:
  void SetUp() override {
    dir_ = std::make_unique<TTempDir>();
    ::setenv("XDG_CONFIG_HOME", dir_->Path().c_str(), 1);
  }
  void TearDown() override { dir_.reset(); }

 private:
  std::unique_ptr<TTempDir> dir_;
};
[[maybe_unused]] ::testing::Environment* const kConfigHome =
    ::testing::AddGlobalTestEnvironment(new TConfigHome);

using Bytes = std::vector<uint8_t>;

class SettingsStore : public SettingsBackend {};
TF_ON_BOTH_BACKENDS(SettingsStore);

TEST_P(SettingsStore, KeyExistsOnlyOnceSomethingIsWritten) {
  EXPECT_FALSE(Key().Exists());
  EXPECT_FALSE(Key().ReadBinary("Settings"));
  EXPECT_TRUE(Key().ValueNames().empty());
  auto sub = Key().Subkey("MRUList");
  EXPECT_FALSE(sub->Exists());
  EXPECT_FALSE(Key().Exists()) << "opening a subkey must not create anything";

  sub->WriteString("F0", "/a.ctf");
  EXPECT_TRUE(sub->Exists());
  EXPECT_TRUE(Key().Exists());
  EXPECT_TRUE(Reopen().Exists());
}

TEST_P(SettingsStore, ValuesSurviveReopeningWithTheirType) {
  const Bytes binary = {0x00, 0xFF, '@', ',', '"', '\n', 0x00};
  const std::string text = "  /home/b\xC3\xA9la/\"my, catalogs\"/@x.ctf\r\n";
  Key().WriteBinary("Bin", binary);
  Key().WriteBinary("Empty", {});
  Key().WriteString("Text", text);
  Key().WriteString("Blank", "");
  Key().WriteString("Number", "5");

  TSettingsKey& key = Reopen();
  EXPECT_EQ(key.ReadBinary("Bin"), binary);
  EXPECT_EQ(key.ReadBinary("Empty"), Bytes());
  EXPECT_EQ(key.ReadString("Text"), text);
  EXPECT_EQ(key.ReadString("Blank"), "");
  EXPECT_EQ(key.ReadString("Number"), "5");
  // A value of the other type is no value of the type asked for.
  EXPECT_FALSE(key.ReadString("Bin"));
  EXPECT_FALSE(key.ReadBinary("Text"));
  EXPECT_FALSE(key.ReadBinary("Number"));
}

TEST_P(SettingsStore, ValuesAndSubkeysAreSeparate) {
  // A value and a subkey may share a name; deleting the one must leave the other.
  Key().WriteBinary("Settings", {1, 2, 3, 4});
  for (const char* name : {"MRUList", "Toolbars"}) {
    Key().WriteString(name, std::string("value ") + name);
    Key().Subkey(name)->WriteString("F0", std::string("/") + name);
  }

  TSettingsKey& key = Reopen();
  EXPECT_EQ(key.ValueNames(), (std::vector<std::string>{"MRUList", "Settings", "Toolbars"}));
  EXPECT_EQ(key.SubkeyNames(), (std::vector<std::string>{"MRUList", "Toolbars"}));

  key.DeleteValue("MRUList");
  key.Subkey("Toolbars")->DeleteKey();
  EXPECT_FALSE(key.ReadString("MRUList"));
  EXPECT_EQ(key.Subkey("MRUList")->ReadString("F0"), "/MRUList");
  EXPECT_EQ(key.ReadString("Toolbars"), "value Toolbars");
  EXPECT_FALSE(key.Subkey("Toolbars")->Exists());

  TSettingsKey& again = Reopen();
  EXPECT_EQ(again.ValueNames(), (std::vector<std::string>{"Settings", "Toolbars"}));
  EXPECT_EQ(again.SubkeyNames(), std::vector<std::string>{"MRUList"});
  EXPECT_EQ(again.ReadBinary("Settings"), (Bytes{1, 2, 3, 4}));
}

TEST_P(SettingsStore, DeletingTheKeyRemovesEverything) {
  Key().WriteBinary("RevisionMarker", {1});
  Key().Subkey("MRUList")->WriteString("F0", "/x.ctf");
  Key().Subkey("Toolbars")->Subkey("Main")->WriteString("Dock", "top");
  auto stale = Key().Subkey("MRUList");

  Key().DeleteKey();
  EXPECT_FALSE(Key().Exists());
  EXPECT_FALSE(stale->ReadString("F0")) << "a subkey opened before reads as missing";

  TSettingsKey& key = Reopen();
  EXPECT_FALSE(key.Exists());
  EXPECT_TRUE(key.ValueNames().empty());
  EXPECT_TRUE(key.SubkeyNames().empty());
  EXPECT_FALSE(key.Subkey("Toolbars")->Subkey("Main")->ReadString("Dock"));
}

// The QSettings backend on its own.

TEST(QtSettingsStore, UserSettingsLiveUnderBrenthorpeTallowfen) {
  const std::filesystem::path home = std::getenv("XDG_CONFIG_HOME");
  const std::filesystem::path file = home / "Brenthorpe" / "Tallowfen.conf";
  {
    TQtSettingsStore store;
    EXPECT_EQ(std::filesystem::path(store.Location()), file);
    store.WriteBinary("RevisionMarker", {2});
    store.Flush();
    EXPECT_TRUE(store.Writable());
  }
  ASSERT_TRUE(std::filesystem::exists(file));
  TQtSettingsStore again(file.string());
  EXPECT_EQ(again.ReadBinary("RevisionMarker"), Bytes{2});
}

TEST(QtSettingsStore, UnwritableFileIsReportedAndNothingClaimsSuccess) {
  TTempDir dir;
  // A path below a plain file: no folder can be made there, whoever runs the test.
  WriteBytes(dir.File("plain"), "x");
  TQtSettingsStore store(dir.File("plain") + "/Tallowfen.conf");
  EXPECT_FALSE(store.Writable());

  TScriptedPrompts prompts;
  EXPECT_FALSE(SaveSettings(store, TOptions(), prompts));
  ASSERT_EQ(prompts.Log.size(), 1u);  // the whole message: see the store in memory
  EXPECT_EQ(prompts.Log[0].Title, "Error saving config");
}

TEST(QtSettingsStore, HandEditedValuesOfTheWrongTypeTakeTheirDefaults) {
  TTempDir dir;
  WriteBytes(dir.File("t.conf"),
             "[General]\n"
             "Settings=5\n"                        // text, not binary
             "AdvSettings=@ByteArray(\\x8f\\a)\n"  // binary, two bytes
             "Autoload=/a.ctf, /b.ctf\n"           // an unquoted list
             "DescFiles=*.DIZ\n");
  TQtSettingsStore store(dir.File("t.conf"));
  const TLoadedOptions loaded = LoadSettings(store);
  EXPECT_TRUE(loaded.Changed);
  EXPECT_EQ(PackBitFields(loaded.Options).Settings, kFixedSettings);
  EXPECT_FALSE(loaded.Options.AutoSaveCheck);
  EXPECT_EQ(loaded.Options.AutoSaveEdit, 17);
  EXPECT_EQ(loaded.Options.AutoloadList, (std::vector<std::string>{"/a.ctf", "/b.ctf"}));
  EXPECT_EQ(loaded.Options.DescList, std::vector<std::string>{"*.DIZ"});
}

}  // namespace
}  // namespace tf::test
