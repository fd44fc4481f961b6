#include "settings/Options.h"

#include <algorithm>
#include <cstdlib>

#include "platform/Prompts.h"
#include "platform/SettingsStore.h"
#include "store/OpenCatalogs.h"
#include "text/Text.h"

namespace tf {

namespace {

// Value names under the program's key.
constexpr const char* kUseFontData = "UseFontData";
constexpr const char* kSettings = "Settings";
constexpr const char* kAdvSettings = "AdvSettings";
constexpr const char* kAutoload = "Autoload";
constexpr const char* kDescFiles = "DescFiles";
constexpr const char* kRevisionMarker = "RevisionMarker";

// Built by appending (GCC 12 warns falsely about "literal" + std::string here).
std::string FontValueName(int slot) { return std::string("Font").append(std::to_string(slot)); }
std::string MruValueName(std::size_t index) { return std::string("F").append(std::to_string(index)); }

int Clamp(int value, int lo, int hi) { return std::clamp(value, lo, hi); }

uint32_t Bit(bool on, int bit) { return on ? uint32_t(1) << bit : 0; }
bool IsSet(uint32_t bits, int bit) { return (bits >> bit) & 1; }
uint32_t Field(uint32_t bits, int shift, uint32_t mask) { return (bits >> shift) & mask; }

void PutU32(std::vector<uint8_t>& out, std::size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) out[at + i] = uint8_t(v >> (8 * i));
}

uint32_t GetU32(const std::vector<uint8_t>& in, std::size_t at) {
  uint32_t v = 0;
  for (int i = 0; i < 4; ++i) v |= uint32_t(in[at + i]) << (8 * i);
  return v;
}

std::vector<uint8_t> U32Value(uint32_t v) {
  std::vector<uint8_t> out(4);
  PutU32(out, 0, v);
  return out;
}

// A 32-bit value of exactly four bytes, as "Settings", "AdvSettings" and "UseFontData" are.
std::optional<uint32_t> ReadU32(const TSettingsKey& key, const char* name) {
  auto value = key.ReadBinary(name);
  if (!value || value->size() != 4) return std::nullopt;
  return GetU32(*value, 0);
}

// Entries of a stored list; empty entries name no catalog and no mask and are dropped.
std::vector<std::string> SplitList(std::string_view text) {
  std::vector<std::string> entries = SplitCommaText(text);
  std::erase(entries, std::string());
  return entries;
}

}  // namespace

// Fonts.

std::vector<uint8_t> EncodeFontRecord(const TFont& font) {
  std::vector<uint8_t> record(kFontRecordSize, 0);
  PutU32(record, 0, uint32_t(font.Height));
  record[4] = uint8_t(Bit(font.Bold, 0) | Bit(font.Italic, 1) | Bit(font.Underline, 2) |
                      Bit(font.StrikeOut, 3));
  const std::size_t len = CutLength(font.Name, 255);
  record[5] = uint8_t(len);
  std::copy_n(font.Name.begin(), len, record.begin() + 6);
  return record;
}

TFont DecodeFontRecord(const std::vector<uint8_t>& record, const TFont& fallback) {
  TFont font = fallback;
  const std::size_t size = std::min(record.size(), kFontRecordSize);
  if (size >= 4) font.Height = int32_t(GetU32(record, 0));
  if (size >= 5) {
    const uint8_t style = record[4];
    font.Bold = style & 1;
    font.Italic = style & 2;
    font.Underline = style & 4;
    font.StrikeOut = style & 8;
  }
  if (size >= 6) {
    // A short record holds only part of the name: take what is there, never bytes beyond.
    const std::size_t len = std::min<std::size_t>(record[5], size - 6);
    if (len > 0) font.Name.assign(record.begin() + 6, record.begin() + 6 + std::ptrdiff_t(len));
  }
  return font;
}

int FontPointSize(int32_t height, int dpi) {
  if (dpi <= 0) dpi = 96;
  // Rounded half away from zero, as the system's MulDiv does.
  const int64_t scaled = std::llabs(int64_t(height)) * 72;
  return int((scaled * 2 + dpi) / (2 * int64_t(dpi)));
}

std::string FontLabel(const TFont& font, int dpi) {
  return font.Name + ", " + std::to_string(FontPointSize(font.Height, dpi)) + " pt";
}

TFont DefaultFont(int slot, const TFontDefaults& defaults) {
  switch (slot) {
    case FontCatalogTree:
    case FontFileList:
      return defaults.IconTitle;
    case FontProperties:
      return TFont{"Courier New", -15};
    default:
      return defaults.Interface;
  }
}

std::array<TFontSlot, kFontSlots> DefaultFontSlots(const TFontDefaults& defaults) {
  std::array<TFontSlot, kFontSlots> slots;
  for (int i = 0; i < kFontSlots; ++i) slots[i].Custom = DefaultFont(i, defaults);
  slots[FontProperties].UseCustom = true;
  return slots;
}

// Lists.

std::string JoinCommaText(const std::vector<std::string>& entries) {
  std::string text;
  for (std::size_t i = 0; i < entries.size(); ++i) {
    if (i > 0) text += ',';
    const std::string& e = entries[i];
    const bool quote = e.empty() || std::any_of(e.begin(), e.end(), [](char c) {
                         return static_cast<unsigned char>(c) <= ' ' || c == ',' || c == '"';
                       });
    if (!quote) {
      text += e;
      continue;
    }
    text += '"';
    for (char c : e) {
      if (c == '"') text += '"';
      text += c;
    }
    text += '"';
  }
  return text;
}

std::vector<std::string> SplitCommaText(std::string_view text) {
  std::vector<std::string> entries;
  const std::size_t n = text.size();
  std::size_t i = 0;
  auto blank = [&](std::size_t k) { return static_cast<unsigned char>(text[k]) <= ' '; };
  while (i < n && blank(i)) ++i;
  while (i < n) {
    std::string entry;
    if (text[i] == '"') {
      for (++i; i < n; ++i) {
        if (text[i] == '"') {
          if (i + 1 < n && text[i + 1] == '"') {
            entry += '"';
            ++i;
            continue;
          }
          ++i;
          break;
        }
        entry += text[i];
      }
    } else {
      while (i < n && !blank(i) && text[i] != ',') entry += text[i++];
    }
    entries.push_back(std::move(entry));
    while (i < n && blank(i)) ++i;
    if (i < n && text[i] == ',') {
      if (i + 1 == n) entries.emplace_back();  // a comma at the very end ends an empty entry
      ++i;
      while (i < n && blank(i)) ++i;
    }
  }
  return entries;
}

// The settings.

TOptions DesignedOptions(const TFontDefaults& fonts) {
  TOptions options;
  options.Fonts = DefaultFontSlots(fonts);
  return options;
}

TBitFields PackBitFields(const TOptions& o) {
  const int wait = Clamp(o.DescWaitBar, 0, kDescWaitMax);
  uint32_t s = 0;
  s |= uint32_t(Clamp(o.ButtonSizeBar, 0, kButtonSizeMax));
  s |= uint32_t(std::min<int>(int(o.ToolbarDock), 3)) << 3;
  s |= Bit(o.ToolbarVisible, 5);
  s |= Bit(o.ToolbarFloating, 6);
  s |= Bit(o.Desc4DOSCheck, 7);
  s |= Bit(o.InsideZipCheck, 8);
  s |= Bit(o.ShowPrevCheck, 9);
  s |= Bit(o.DescAsTipsCheck, 10);
  s |= Bit(o.HideStatusCheck, 11);
  s |= Bit(o.AutoloadCheck, 12);
  s |= Bit(o.TipsCheck, 13);
  s |= Bit(o.DescAlwaysCheck, 14);
  s |= Bit(o.DescBBSCheck, 15);
  s |= uint32_t(std::min(wait, 15)) << 16;
  s |= uint32_t(Clamp(o.DescHideBar, 0, kDescHideMax)) << 20;
  s |= uint32_t(Clamp(o.DescMaxLevels, kDescMaxLevelsMin, kDescMaxLevelsMax) - 1) << 24;
  s |= Bit(o.DescTruncCheck, 27);
  s |= uint32_t(Clamp(o.DescTruncEdit, kDescTruncMin, kDescTruncMax)) << 28;

  uint32_t a = 0;
  a |= Bit(o.DescKeepCurrentCheck, 0);
  a |= Bit(o.UpdateNameCheck, 1);
  a |= Bit(o.DescCommentCheck, 2);
  a |= Bit(o.DescDizCheck, 3);
  a |= Bit(o.IgnoreFilesCheck, 4);
  a |= Bit(o.IgnoreFoldersCheck, 5);
  a |= Bit(o.AutoSaveCheck, 6);
  a |= uint32_t(Clamp(o.AutoSaveEdit, kAutoSaveMin, kAutoSaveMax) - kAutoSaveMin) << 7;
  a |= Bit(o.IgnoreRecycleCheck, 15);
  a |= Bit(!o.ArchivesSortCheck, 16);
  a |= Bit(o.OldButtonsCheck, 17);
  // No choice made (the designed state) is stored as both bits set: the next start shows
  // "Launch File".
  int doubleClick = int(o.FileDoubleClickCombo);
  if (doubleClick < 0 || doubleClick > 3) doubleClick = 3;
  a |= uint32_t(doubleClick) << 18;
  if (wait > 15) a |= uint32_t(wait - 15) << 20;
  return {s, a};
}

void UnpackBitFields(TBitFields bits, TOptions& o) {
  const uint32_t s = bits.Settings;
  const uint32_t a = bits.AdvSettings;
  o.ButtonSizeBar = int(Field(s, 0, 7));
  o.ToolbarDock = TDockSide(Field(s, 3, 3));
  o.ToolbarVisible = IsSet(s, 5);
  o.ToolbarFloating = IsSet(s, 6);
  o.Desc4DOSCheck = IsSet(s, 7);
  o.InsideZipCheck = IsSet(s, 8);
  o.ShowPrevCheck = IsSet(s, 9);
  o.DescAsTipsCheck = IsSet(s, 10);
  o.HideStatusCheck = IsSet(s, 11);
  o.AutoloadCheck = IsSet(s, 12);
  o.TipsCheck = IsSet(s, 13);
  o.DescAlwaysCheck = IsSet(s, 14);
  o.DescBBSCheck = IsSet(s, 15);
  int wait = int(Field(s, 16, 15));
  // The excess over 15 counts only with a full field: a "Settings" written by someone who
  // knows only the 4-bit field leaves stale spare bits meaningless.
  if (wait == 15) wait = Clamp(15 + int(Field(a, 20, 7)), 0, kDescWaitMax);
  o.DescWaitBar = wait;
  o.DescHideBar = int(Field(s, 20, 15));
  o.DescMaxLevels = int(Field(s, 24, 7)) + 1;
  o.DescTruncCheck = IsSet(s, 27);
  o.DescTruncEdit = Clamp(int(Field(s, 28, 15)), kDescTruncMin, kDescTruncMax);

  o.DescKeepCurrentCheck = IsSet(a, 0);
  o.UpdateNameCheck = IsSet(a, 1);
  o.DescCommentCheck = IsSet(a, 2);
  o.DescDizCheck = IsSet(a, 3);
  o.IgnoreFilesCheck = IsSet(a, 4);
  o.IgnoreFoldersCheck = IsSet(a, 5);
  o.AutoSaveCheck = IsSet(a, 6);
  o.AutoSaveEdit = Clamp(int(Field(a, 7, 0xFF)) + kAutoSaveMin, kAutoSaveMin, kAutoSaveMax);
  o.IgnoreRecycleCheck = IsSet(a, 15);
  o.ArchivesSortCheck = !IsSet(a, 16);
  o.OldButtonsCheck = IsSet(a, 17);
  o.FileDoubleClickCombo = TFileDoubleClick(Field(a, 18, 3));
}

// Reading and writing.

TLoadedOptions LoadSettings(const TSettingsKey& key, const TFontDefaults& fonts) {
  TLoadedOptions loaded{DesignedOptions(fonts), false};
  TOptions& o = loaded.Options;
  if (!key.Exists()) {
    loaded.Changed = true;
    return loaded;
  }
  bool& changed = loaded.Changed;

  if (auto use = ReadU32(key, kUseFontData)) {
    for (int i = 0; i < kFontSlots; ++i) o.Fonts[i].UseCustom = IsSet(*use, i);
  } else {
    changed = true;
  }
  for (int i = 0; i < kFontSlots; ++i) {
    if (auto record = key.ReadBinary(FontValueName(i)))
      o.Fonts[i].Custom = DecodeFontRecord(*record, o.Fonts[i].Custom);
    else
      changed = true;
  }

  TBitFields bits{kFixedSettings, kFixedAdvSettings};
  if (auto v = ReadU32(key, kSettings))
    bits.Settings = *v;
  else
    changed = true;
  if (auto v = ReadU32(key, kAdvSettings))
    bits.AdvSettings = *v;
  else
    changed = true;
  UnpackBitFields(bits, o);

  if (auto text = key.ReadString(kAutoload)) {
    o.AutoloadList = SplitList(*text);
  } else {
    o.AutoloadList.clear();
    changed = true;
  }
  if (auto text = key.ReadString(kDescFiles)) {
    o.DescList = SplitList(*text);
  } else {
    o.DescList = SplitList(DefaultDescMasks);
    changed = true;
  }
  return loaded;
}

namespace {

void ReportSaveError(TUserPrompts& prompts) {
  prompts.Message("Error saving config",
                  "An error occured while writing to registry!\r\nPlease check your windows "
                  "registry, there may be more serious problem involved.",
                  TButtons::Ok, TIcon::Error);
}

}  // namespace

bool SaveSettings(TSettingsKey& key, const TOptions& o, TUserPrompts& prompts) {
  if (!key.Writable()) {
    ReportSaveError(prompts);
    return false;
  }
  uint32_t use = 0;
  for (int i = 0; i < kFontSlots; ++i) use |= Bit(o.Fonts[i].UseCustom, i);
  key.WriteBinary(kUseFontData, U32Value(use));
  for (int i = 0; i < kFontSlots; ++i)
    key.WriteBinary(FontValueName(i), EncodeFontRecord(o.Fonts[i].Custom));
  const TBitFields bits = PackBitFields(o);
  key.WriteBinary(kSettings, U32Value(bits.Settings));
  key.WriteBinary(kAdvSettings, U32Value(bits.AdvSettings));
  key.WriteString(kAutoload, JoinCommaText(o.AutoloadList));
  key.WriteString(kDescFiles, JoinCommaText(o.DescList));
  key.WriteBinary(kRevisionMarker, {kSettingsRevision});
  // The store may take the writes and fail only when it puts them on disk; that is a
  // failure to save all the same.
  key.Flush();
  if (!key.Writable()) {
    ReportSaveError(prompts);
    return false;
  }
  return true;
}

bool ResetOutdatedSettings(TSettingsKey& key) {
  if (!key.Exists()) return false;
  auto marker = key.ReadBinary(kRevisionMarker);
  if (marker && marker->size() == 1 && (*marker)[0] == kSettingsRevision) return false;
  key.DeleteKey();
  key.Flush();
  return true;
}

// Recent files.

std::vector<std::string> ReadMruList(TSettingsKey& key) {
  auto sub = key.Subkey(std::string(kMruSubkey));
  std::vector<std::string> list;
  for (std::size_t i = 0; i < TOpenCatalogs::MaxRecentFiles; ++i) {
    auto path = sub->ReadString(MruValueName(i));
    if (path && !path->empty() && std::find(list.begin(), list.end(), *path) == list.end())
      list.push_back(std::move(*path));
  }
  return list;
}

void WriteMruList(TSettingsKey& key, const std::vector<std::string>& paths) {
  auto sub = key.Subkey(std::string(kMruSubkey));
  sub->DeleteKey();
  const std::size_t n = std::min(paths.size(), TOpenCatalogs::MaxRecentFiles);
  for (std::size_t i = 0; i < n; ++i) sub->WriteString(MruValueName(i), paths[i]);
}

// Main window state.

std::vector<uint8_t> EncodeWindowPos(const TWindowPos& pos) {
  std::vector<uint8_t> record(kWindowPosSize, 0);
  PutU32(record, 0, uint32_t(pos.Left));
  PutU32(record, 4, uint32_t(pos.Top));
  PutU32(record, 8, uint32_t(pos.Width));
  PutU32(record, 12, uint32_t(pos.Height));
  PutU32(record, 16, uint32_t(pos.TreeWidth));
  record[28] = pos.ViewStyle;
  record[29] =
      uint8_t((pos.DiskSortKey & 7) | ((pos.FileSortKey & 15) << 3) | Bit(pos.ReverseOrder, 7));
  return record;
}

std::optional<TWindowPos> DecodeWindowPos(const std::vector<uint8_t>& record) {
  if (record.size() != kWindowPosSize) return std::nullopt;
  TWindowPos pos;
  pos.Left = int32_t(GetU32(record, 0));
  pos.Top = int32_t(GetU32(record, 4));
  pos.Width = int32_t(GetU32(record, 8));
  pos.Height = int32_t(GetU32(record, 12));
  pos.TreeWidth = int32_t(GetU32(record, 16));
  // Out-of-range codes would index past the views and sort keys the windows know.
  const TWindowPos defaults;
  pos.ViewStyle = record[28] <= 3 ? record[28] : defaults.ViewStyle;
  const uint8_t sort = record[29];
  const uint8_t disk = sort & 7;
  const uint8_t file = (sort >> 3) & 15;
  pos.DiskSortKey = disk <= 5 ? disk : defaults.DiskSortKey;
  pos.FileSortKey = file <= 9 ? file : defaults.FileSortKey;
  pos.ReverseOrder = IsSet(sort, 7);
  return pos;
}

}  // namespace tf
