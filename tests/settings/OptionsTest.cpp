#include <gtest/gtest.h>

#include "Backends.h"
#include "Printers.h"
#include "settings/Options.h"
#include "platform/ScriptedPrompts.h"

namespace tf::test {
namespace {

using Bytes = std::vector<uint8_t>;

uint32_t StoredU32(const TSettingsKey& key, const std::string& name) {
  auto v = key.ReadBinary(name);
  EXPECT_TRUE(v && v->size() == 4) << name;
  if (!v || v->size() != 4) return 0;
  return uint32_t((*v)[0]) | uint32_t((*v)[1]) << 8 | uint32_t((*v)[2]) << 16 |
         uint32_t((*v)[3]) << 24;
}

// A key as the program leaves it after a first start with the designed settings.
void SaveDesigned(TSettingsKey& key) {
  TScriptedPrompts prompts;
  ASSERT_TRUE(SaveSettings(key, TOptions(), prompts));
}

// Every field away from its designed value, numbers at the ends of their ranges.
TOptions AllChanged() {
  TOptions o;
  o.ButtonSizeBar = 7;
  o.ToolbarDock = TDockSide::Right;
  o.ToolbarVisible = false;
  o.ToolbarFloating = true;
  o.Desc4DOSCheck = false;
  o.InsideZipCheck = false;
  o.ShowPrevCheck = false;
  o.DescAsTipsCheck = false;
  o.HideStatusCheck = false;
  o.AutoloadCheck = true;
  o.TipsCheck = false;
  o.DescAlwaysCheck = true;
  o.DescBBSCheck = false;
  o.DescWaitBar = 20;
  o.DescHideBar = 15;
  o.DescMaxLevels = 8;
  o.DescTruncCheck = true;
  o.DescTruncEdit = 15;
  o.DescKeepCurrentCheck = false;
  o.UpdateNameCheck = false;
  o.DescCommentCheck = false;
  o.DescDizCheck = false;
  o.IgnoreFilesCheck = false;
  o.IgnoreFoldersCheck = false;
  o.AutoSaveCheck = false;
  o.AutoSaveEdit = 240;
  o.IgnoreRecycleCheck = false;
  o.ArchivesSortCheck = false;
  o.OldButtonsCheck = true;
  o.FileDoubleClickCombo = TFileDoubleClick::Explorer;
  for (int i = 0; i < kFontSlots; ++i) {
    o.Fonts[i].UseCustom = i != FontProperties;
    o.Fonts[i].Custom = TFont{
        "Font " + std::to_string(i) + " \xC3\xA9", -9 - i, i % 2 == 0, i % 2 == 1, i >= 3, i == 0};
  }
  o.AutoloadList = {"/home/me/My Catalogs/disks.ctf", "/srv/a,b.ctf", "/srv/\"quoted\".ctf",
                    "/srv/plain.ctf", "/srv/\xC5\xBC\xC3\xB3\xC5\x82w.ctf"};
  o.DescList = {"*.DIZ", "READ ME.TXT"};
  return o;
}

// The other end: numbers at the bottom of their ranges, the other choices.
TOptions AllLow() {
  TOptions o = AllChanged();
  o.ButtonSizeBar = 0;
  o.ToolbarDock = TDockSide::Left;
  o.DescWaitBar = 0;
  o.DescHideBar = 0;
  o.DescMaxLevels = 1;
  o.DescTruncEdit = 1;
  o.AutoSaveEdit = 2;
  o.FileDoubleClickCombo = TFileDoubleClick::Nothing;
  o.AutoloadList.clear();
  o.DescList.clear();
  for (auto& slot : o.Fonts) slot.UseCustom = false;
  return o;
}

// Round trips through the store.

class OptionsStorage : public SettingsBackend {};
TF_ON_BOTH_BACKENDS(OptionsStorage);

TEST_P(OptionsStorage, EveryFieldSurvivesSaveAndLoad) {
  for (const TOptions& options : {AllChanged(), AllLow()}) {
    TScriptedPrompts prompts;
    ASSERT_TRUE(SaveSettings(Key(), options, prompts));
    EXPECT_TRUE(prompts.Log.empty());
    const TLoadedOptions loaded = LoadSettings(Reopen());
    EXPECT_FALSE(loaded.Changed);
    EXPECT_EQ(loaded.Options, options);
  }
}

TEST_P(OptionsStorage, SaveWritesEveryValueUnderItsName) {
  SaveDesigned(Key());
  TSettingsKey& key = Reopen();
  EXPECT_EQ(key.ValueNames(), (std::vector<std::string>{
                                  "AdvSettings", "Autoload", "DescFiles", "Font0", "Font1", "Font2",
                                  "Font3", "Font4", "RevisionMarker", "Settings", "UseFontData"}));
  EXPECT_EQ(key.ReadBinary("RevisionMarker"), Bytes{2});
  EXPECT_EQ(StoredU32(key, "UseFontData"), 1u << FontProperties);
  EXPECT_EQ(key.ReadBinary("Font2")->size(), kFontRecordSize);
  EXPECT_EQ(key.ReadString("Autoload"), "");
  EXPECT_EQ(key.ReadString("DescFiles"), "FILE_ID.DIZ,DESCRIPT.ION,*.NFO,*.TXT");
}

TEST_P(OptionsStorage, AutoloadPathsWithBlanksQuotesAndCommasAreQuoted) {
  TOptions o;
  o.AutoloadList = {"/data/My Disks.ctf", "/data/a,b.ctf", "/data/say \"hi\".ctf", "/data/x.ctf"};
  TScriptedPrompts prompts;
  ASSERT_TRUE(SaveSettings(Key(), o, prompts));
  TSettingsKey& key = Reopen();
  EXPECT_EQ(key.ReadString("Autoload"),
            "\"/data/My Disks.ctf\",\"/data/a,b.ctf\",\"/data/say \"\"hi\"\".ctf\",/data/x.ctf");
  EXPECT_EQ(LoadSettings(key).Options.AutoloadList, o.AutoloadList);
}

// Defaults: a missing key, missing values, values of the wrong size.

TEST(OptionsDefaults, MissingKeyGivesTheDesignedStateAndMarksItChanged) {
  TMemorySettings key;
  TFontDefaults fonts{{"Cantarell", -13}, {"Noto Sans", -12, true}};
  const TLoadedOptions loaded = LoadSettings(key, fonts);
  EXPECT_TRUE(loaded.Changed);
  EXPECT_EQ(loaded.Options, DesignedOptions(fonts));
  EXPECT_EQ(loaded.Options.FileDoubleClickCombo, TFileDoubleClick::Unselected);
  EXPECT_EQ(loaded.Options.Fonts[FontCatalogTree].Custom.Name, "Cantarell");
  EXPECT_EQ(loaded.Options.Fonts[FontTips].Custom.Name, "Noto Sans");
  EXPECT_EQ(loaded.Options.Fonts[FontProperties].Custom, (TFont{"Courier New", -15}));
  EXPECT_TRUE(loaded.Options.Fonts[FontProperties].UseCustom);
  EXPECT_FALSE(loaded.Options.Fonts[FontCatalogTree].UseCustom);
}

TEST(OptionsDefaults, NoDoubleClickChoiceIsWrittenAsLaunchFile) {
  TMemorySettings key;
  SaveDesigned(key);
  EXPECT_EQ((StoredU32(key, "AdvSettings") >> 18) & 3, 3u);
  const TLoadedOptions next = LoadSettings(key);
  EXPECT_FALSE(next.Changed);
  EXPECT_EQ(next.Options.FileDoubleClickCombo, TFileDoubleClick::Launch);
  TOptions expected;
  expected.FileDoubleClickCombo = TFileDoubleClick::Launch;
  EXPECT_EQ(next.Options, expected);
}

TEST(OptionsDefaults, MissingAdvSettingsGivesAutoSaveOffAt17AndIsWrittenBack) {
  TMemorySettings key;
  SaveDesigned(key);
  key.DeleteValue("AdvSettings");

  const TLoadedOptions loaded = LoadSettings(key);
  EXPECT_TRUE(loaded.Changed);
  const TOptions& o = loaded.Options;
  EXPECT_FALSE(o.AutoSaveCheck);
  EXPECT_EQ(o.AutoSaveEdit, 17);
  EXPECT_TRUE(o.DescKeepCurrentCheck && o.UpdateNameCheck && o.DescCommentCheck && o.DescDizCheck);
  EXPECT_FALSE(o.IgnoreFilesCheck || o.IgnoreFoldersCheck || o.IgnoreRecycleCheck);
  EXPECT_TRUE(o.ArchivesSortCheck);
  EXPECT_FALSE(o.OldButtonsCheck);
  EXPECT_EQ(o.FileDoubleClickCombo, TFileDoubleClick::Nothing);
  // "Settings" was there and is read as it was.
  EXPECT_EQ(PackBitFields(o).Settings, PackBitFields(TOptions()).Settings);

  TScriptedPrompts prompts;
  ASSERT_TRUE(SaveSettings(key, o, prompts));
  EXPECT_EQ(StoredU32(key, "AdvSettings"), kFixedAdvSettings);
}

TEST(OptionsDefaults, FixedSettingsDecodeAsDocumented) {
  TMemorySettings key;
  SaveDesigned(key);
  key.DeleteValue("Settings");
  const TOptions o = LoadSettings(key).Options;
  EXPECT_EQ(o.ButtonSizeBar, 2);
  EXPECT_EQ(o.ToolbarDock, TDockSide::Top);
  EXPECT_TRUE(o.ToolbarVisible);
  EXPECT_FALSE(o.ToolbarFloating);
  EXPECT_TRUE(o.Desc4DOSCheck);
  EXPECT_FALSE(o.InsideZipCheck);
  EXPECT_TRUE(o.ShowPrevCheck);
  EXPECT_TRUE(o.DescAsTipsCheck);
  EXPECT_FALSE(o.HideStatusCheck);
  EXPECT_FALSE(o.AutoloadCheck);
  EXPECT_TRUE(o.TipsCheck);
  EXPECT_FALSE(o.DescAlwaysCheck);
  EXPECT_TRUE(o.DescBBSCheck);
  EXPECT_EQ(o.DescWaitBar, 12);
  EXPECT_EQ(o.DescHideBar, 5);
  EXPECT_EQ(o.DescMaxLevels, 2);
  EXPECT_FALSE(o.DescTruncCheck);
  EXPECT_EQ(o.DescTruncEdit, 3);
  // "AdvSettings" was there and is read as it was.
  EXPECT_TRUE(o.AutoSaveCheck);
  EXPECT_EQ(o.AutoSaveEdit, 15);
}

TEST(OptionsDefaults, ValueOfTheWrongSizeTakesItsFixedDefaultAlone) {
  for (const Bytes& bad : {Bytes{0xA2, 0xAF, 0x5C}, Bytes{0xA2, 0xAF, 0x5C, 0x31, 0x00}, Bytes{}}) {
    TMemorySettings key;
    TOptions saved = AllChanged();
    TScriptedPrompts prompts;
    ASSERT_TRUE(SaveSettings(key, saved, prompts));
    key.WriteBinary("Settings", bad);
    const TLoadedOptions loaded = LoadSettings(key);
    EXPECT_TRUE(loaded.Changed);
    EXPECT_EQ(PackBitFields(loaded.Options).Settings, kFixedSettings);
    // DescWaitBar's excess lives in "AdvSettings" but counts only with a full field.
    EXPECT_EQ(loaded.Options.DescWaitBar, 12);
    EXPECT_EQ(PackBitFields(loaded.Options).AdvSettings & 0xFFFFF,
              PackBitFields(saved).AdvSettings & 0xFFFFF);
    EXPECT_EQ(loaded.Options.AutoloadList, saved.AutoloadList);
    EXPECT_EQ(loaded.Options.Fonts, saved.Fonts);
  }
}

TEST(OptionsDefaults, MissingListsAndFontsTakeTheirDefaults) {
  TMemorySettings key;
  TScriptedPrompts prompts;
  ASSERT_TRUE(SaveSettings(key, AllChanged(), prompts));
  key.DeleteValue("Autoload");
  key.DeleteValue("DescFiles");
  key.DeleteValue("Font2");
  key.WriteBinary("UseFontData", {0x1F});  // one byte: unreadable
  const TLoadedOptions loaded = LoadSettings(key);
  EXPECT_TRUE(loaded.Changed);
  EXPECT_TRUE(loaded.Options.AutoloadList.empty());
  EXPECT_EQ(loaded.Options.DescList,
            (std::vector<std::string>{"FILE_ID.DIZ", "DESCRIPT.ION", "*.NFO", "*.TXT"}));
  EXPECT_EQ(loaded.Options.Fonts[FontProperties].Custom, (TFont{"Courier New", -15}));
  // The other font records are read; which slots use them is the designed choice.
  auto expected = AllChanged().Fonts;
  expected[FontProperties].Custom = TFont{"Courier New", -15};
  for (int i = 0; i < kFontSlots; ++i) expected[i].UseCustom = i == FontProperties;
  EXPECT_EQ(loaded.Options.Fonts, expected);
}

TEST(OptionsDefaults, EmptyStoredListsStayEmpty) {
  TMemorySettings key;
  TScriptedPrompts prompts;
  ASSERT_TRUE(SaveSettings(key, AllLow(), prompts));
  key.WriteString("Autoload", " , ,\"\",");
  const TLoadedOptions loaded = LoadSettings(key);
  EXPECT_FALSE(loaded.Changed);
  EXPECT_TRUE(loaded.Options.AutoloadList.empty()) << "empty entries name no catalog";
  EXPECT_TRUE(loaded.Options.DescList.empty()) << "the user removed every mask";
}

TEST(OptionsDefaults, ReadOnlyKeyShowsTheErrorAndWritesNothing) {
  TMemorySettings key;
  key.SetWritable(false);
  TScriptedPrompts prompts;
  EXPECT_FALSE(SaveSettings(key, TOptions(), prompts));
  EXPECT_EQ(Shown(prompts), std::vector<std::string>{
                                "Error saving config | An error occured while writing to registry!"
                                "\r\nPlease check your windows registry, there may be more serious "
                                "problem involved. | Ok | Error"});
  EXPECT_FALSE(key.Exists());
}

// The bit fields.

TEST(OptionsBitFields, OffsetAndInvertedFieldsAreStoredAsDocumented) {
  TOptions o;
  o.AutoSaveEdit = 240;
  o.DescMaxLevels = 8;
  o.ArchivesSortCheck = true;
  TBitFields bits = PackBitFields(o);
  EXPECT_EQ((bits.AdvSettings >> 7) & 0xFF, 238u);
  EXPECT_EQ((bits.Settings >> 24) & 7, 7u);
  EXPECT_EQ(bits.Settings & (1u << 27), 0u) << "DescMaxLevels must not reach DescTruncCheck";
  EXPECT_EQ(bits.AdvSettings & (1u << 16), 0u) << "checked ArchivesSortCheck is a clear bit";
  TOptions back;
  UnpackBitFields(bits, back);
  EXPECT_EQ(back.AutoSaveEdit, 240);
  EXPECT_EQ(back.DescMaxLevels, 8);
  EXPECT_TRUE(back.ArchivesSortCheck);

  o.ArchivesSortCheck = false;
  bits = PackBitFields(o);
  EXPECT_NE(bits.AdvSettings & (1u << 16), 0u);
  UnpackBitFields(bits, back);
  EXPECT_FALSE(back.ArchivesSortCheck);
}

TEST(OptionsBitFields, StoredNumbersOutOfRangeAreClampedOnReading) {
  TOptions o;
  UnpackBitFields({kFixedSettings & 0x0FFFFFFF, kFixedAdvSettings | (0xFFu << 7)}, o);
  EXPECT_EQ(o.DescTruncEdit, 1) << "0 lines is below the spin edit's range";
  EXPECT_EQ(o.AutoSaveEdit, 240) << "255 + 2 minutes is above the spin edit's range";
  UnpackBitFields({kFixedSettings, (kFixedAdvSettings & ~(0xFFu << 7)) | (239u << 7)}, o);
  EXPECT_EQ(o.AutoSaveEdit, 240);
  UnpackBitFields({kFixedSettings, kFixedAdvSettings & ~(0xFFu << 7)}, o);
  EXPECT_EQ(o.AutoSaveEdit, 2);
}

TEST(OptionsBitFields, NumbersOutOfRangeNeverSpillIntoTheirNeighbours) {
  TOptions wild = AllChanged();
  wild.ButtonSizeBar = 9;
  wild.ToolbarDock = TDockSide(7);
  wild.DescWaitBar = 99;
  wild.DescHideBar = 16;
  wild.DescMaxLevels = 9;
  wild.DescTruncEdit = 16;
  wild.AutoSaveEdit = 1000;
  wild.FileDoubleClickCombo = TFileDoubleClick(5);
  TOptions clamped = AllChanged();
  clamped.ButtonSizeBar = 7;
  clamped.ToolbarDock = TDockSide::Right;
  clamped.DescWaitBar = 20;
  clamped.DescHideBar = 15;
  clamped.DescMaxLevels = 8;
  clamped.DescTruncEdit = 15;
  clamped.AutoSaveEdit = 240;
  clamped.FileDoubleClickCombo = TFileDoubleClick::Launch;
  EXPECT_EQ(PackBitFields(wild), PackBitFields(clamped));

  TOptions low = AllLow();
  low.ButtonSizeBar = low.DescWaitBar = low.DescHideBar = -1;
  low.DescMaxLevels = low.DescTruncEdit = low.AutoSaveEdit = 0;
  EXPECT_EQ(PackBitFields(low), PackBitFields(AllLow()));
}

TEST(OptionsBitFields, DescWaitAbove15KeepsEveryFieldOfSettings) {
  TOptions at15 = AllChanged();
  at15.DescWaitBar = 15;
  const TBitFields base = PackBitFields(at15);
  EXPECT_EQ((base.AdvSettings >> 20) & 7, 0u);
  for (int wait = 16; wait <= 20; ++wait) {
    TOptions o = at15;
    o.DescWaitBar = wait;
    const TBitFields bits = PackBitFields(o);
    EXPECT_EQ(bits.Settings, base.Settings) << wait;
    EXPECT_EQ(bits.AdvSettings, base.AdvSettings | uint32_t(wait - 15) << 20) << wait;
    TOptions back;
    UnpackBitFields(bits, back);
    EXPECT_EQ(back.DescWaitBar, wait);
    EXPECT_EQ(PackBitFields(back), bits) << wait;
  }
  // Spare bits beside a field below 15 (written by a program that knows only "Settings")
  // do not count.
  TOptions o;
  UnpackBitFields({kFixedSettings, kFixedAdvSettings | 5u << 20}, o);
  EXPECT_EQ(o.DescWaitBar, 12);
}

TEST(OptionsBitFields, EveryStoredBitReadsBackUnchanged) {
  // One bit flipped at a time: a bit that two fields share, or that no field reads, shows up.
  for (int bit = 0; bit < 32; ++bit) {
    const TBitFields stored{kFixedSettings ^ (1u << bit), kFixedAdvSettings};
    TOptions o;
    UnpackBitFields(stored, o);
    EXPECT_EQ(PackBitFields(o), stored) << "Settings bit " << bit;
  }
  for (int bit = 0; bit < 20; ++bit) {
    const TBitFields stored{kFixedSettings, kFixedAdvSettings ^ (1u << bit)};
    TOptions o;
    UnpackBitFields(stored, o);
    EXPECT_EQ(PackBitFields(o), stored) << "AdvSettings bit " << bit;
  }
}

// Font records.

TEST(OptionsFonts, RecordLayout) {
  const Bytes record = EncodeFontRecord({"Courier New", -15, true, false, false, true});
  ASSERT_EQ(record.size(), 261u);
  EXPECT_EQ(Bytes(record.begin(), record.begin() + 6), (Bytes{0xF1, 0xFF, 0xFF, 0xFF, 0x09, 11}));
  EXPECT_EQ(std::string(record.begin() + 6, record.begin() + 17), "Courier New");
  EXPECT_TRUE(std::all_of(record.begin() + 17, record.end(), [](uint8_t b) { return b == 0; }));
  const TFont back = DecodeFontRecord(record, {});
  EXPECT_EQ(back, (TFont{"Courier New", -15, true, false, false, true}));
  EXPECT_EQ(DecodeFontRecord(EncodeFontRecord({"x", 12, false, true, true}), {}),
            (TFont{"x", 12, false, true, true, false}));
}

TEST(OptionsFonts, LongFaceNamesAreCutAt255BytesBetweenCharacters) {
  const std::string name = std::string(254, 'a') + "\xC3\xA9";  // é across the limit
  const Bytes record = EncodeFontRecord({name, -12});
  EXPECT_EQ(record.size(), 261u);
  EXPECT_EQ(record[5], 254);
  EXPECT_EQ(DecodeFontRecord(record, {}).Name, std::string(254, 'a'));
  const Bytes full = EncodeFontRecord({std::string(300, 'b'), -12});
  EXPECT_EQ(full[5], 255);
  EXPECT_EQ(DecodeFontRecord(full, {}).Name, std::string(255, 'b'));
}

TEST(OptionsFonts, RecordsOfAnyLengthAreAccepted) {
  const TFont fallback{"Courier New", -15, false, true};
  EXPECT_EQ(DecodeFontRecord({}, fallback), fallback);
  EXPECT_EQ(DecodeFontRecord({0xF4, 0xFF, 0xFF, 0xFF}, fallback),
            (TFont{"Courier New", -12, false, true}));
  // The length byte claims 20 bytes but only 4 are there.
  const TFont part =
      DecodeFontRecord({0xF4, 0xFF, 0xFF, 0xFF, 0x01, 20, 'M', 'o', 'n', 'o'}, fallback);
  EXPECT_EQ(part, (TFont{"Mono", -12, true}));
  // An empty name keeps the fallback's face.
  EXPECT_EQ(DecodeFontRecord({0x0C, 0, 0, 0, 0x04, 0}, fallback).Name, "Courier New");
  // Longer than a record: the rest is ignored.
  Bytes longer = EncodeFontRecord({"Mono", -12});
  longer.resize(400, 'z');
  EXPECT_EQ(DecodeFontRecord(longer, fallback), (TFont{"Mono", -12}));
}

TEST(OptionsFonts, PageLabelGivesThePointSize) {
  EXPECT_EQ(FontLabel({"Courier New", -15}), "Courier New, 11 pt");
  EXPECT_EQ(FontPointSize(-11), 8);
  EXPECT_EQ(FontPointSize(-15, 120), 9);
}

// Lists as comma-separated text.

TEST(CommaText, EntriesWithBlanksCommasAndQuotesSurvive) {
  const std::vector<std::vector<std::string>> lists = {
      {},
      {"/a.ctf"},
      {"/my disks/a.ctf", "/b,c.ctf", "/\"q\".ctf", "\"", ",", " lead", "trail ", "tab\there"},
      {"/caf\xC3\xA9.ctf", "*.NFO", "", "x"},
  };
  for (const auto& list : lists) EXPECT_EQ(SplitCommaText(JoinCommaText(list)), list);
  EXPECT_EQ(JoinCommaText({"a b", "c"}), "\"a b\",c");
  EXPECT_EQ(JoinCommaText({"say \"hi\""}), "\"say \"\"hi\"\"\"");
}

TEST(CommaText, ReadsTextWrittenByHand) {
  using L = std::vector<std::string>;
  EXPECT_EQ(SplitCommaText("  a , b,c  "), (L{"a", "b", "c"}));
  // Outside quotes a blank separates entries, as the program has always read this text.
  EXPECT_EQ(SplitCommaText("C:\\My Disks\\a.ctf"), (L{"C:\\My", "Disks\\a.ctf"}));
  EXPECT_EQ(SplitCommaText("a,,b"), (L{"a", "", "b"}));
  EXPECT_EQ(SplitCommaText("a,"), (L{"a", ""}));
  EXPECT_EQ(SplitCommaText("\"a, b"), (L{"a, b"})) << "an unterminated quote runs to the end";
  EXPECT_EQ(SplitCommaText("\"a\"b"), (L{"a", "b"}));
  EXPECT_TRUE(SplitCommaText("").empty());
  EXPECT_TRUE(SplitCommaText("   ").empty());
}

}  // namespace
}  // namespace tf::test
