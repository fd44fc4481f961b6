#pragma once
// The program's settings as a plain value, and how they are kept in the settings key.
//
// The Settings window's controls are the settings' home while the program runs; TOptions is
// their state as one value, a field per control named after it, so that engines, windows and
// the command-line tool read and write the same thing. LoadSettings() reads the key,
// SaveSettings() writes it. Most settings are packed into the two 32-bit values "Settings"
// and "AdvSettings" (PackBitFields / UnpackBitFields); fonts are 261-byte records and the
// lists comma-separated text.
//
// Beside them live three small records that other parts of the program own but that share
// the key: the recent-files list (subkey "MRUList"), the main window's state ("WindowPos")
// and the settings revision ("RevisionMarker").

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "scan/DescFiles.h"

namespace tf {

class TSettingsKey;
class TUserPrompts;

// Fonts.

// A font as a font record keeps it: height, four styles and the face name. Nothing else is
// stored (no weight beyond bold, no character set); the windows turn it into their own font.
struct TFont {
  std::string Name;    // face name, UTF-8, at most 255 bytes when stored
  int32_t Height = 0;  // negative: character height in pixels; positive: cell height; 0: default
  bool Bold = false;
  bool Italic = false;
  bool Underline = false;
  bool StrikeOut = false;
  bool operator==(const TFont&) const = default;
};

// The record of "Font0".."Font4": offset 0 the height (signed 32-bit, little-endian), 4 the
// style byte (bit 0 bold, 1 italic, 2 underline, 3 strike-out), 5 the name's length, 6 the
// name's bytes, zero-padded to 255.
inline constexpr std::size_t kFontRecordSize = 261;
std::vector<uint8_t> EncodeFontRecord(const TFont& font);
// A record of any length is accepted: the fields it holds completely replace those of
// `fallback`, and a name is cut to the bytes present. An empty name keeps the fallback's.
TFont DecodeFontRecord(const std::vector<uint8_t>& record, const TFont& fallback);

// The point size a height gives at `dpi` (the font page's label: face + ", " + size + " pt").
int FontPointSize(int32_t height, int dpi = 96);
std::string FontLabel(const TFont& font, int dpi = 96);
inline constexpr std::string_view kFontSample = "AaBbCc 12345";

// The font slots of the page "C&hange settings for:".
enum TFontSlotIndex : int {
  FontCatalogTree = 0,
  FontFileList = 1,
  FontProperties = 2,
  FontDescFile = 3,
  FontTips = 4,
};
inline constexpr int kFontSlots = 5;
inline constexpr std::array<std::string_view, kFontSlots> kFontSlotCaptions = {
    "Catalog Tree (Left Window)", "File List (Right Window)", "Descriptions in Properties",
    "Description File Contents", "Descriptions as Tips"};

// The fonts the system gives: the icon title font (the default of slots 0 and 1) and the
// user-interface default (the other slots). The windows fill them from the desktop; the
// values here stand in where there is no desktop (command-line tool, tests).
struct TFontDefaults {
  TFont IconTitle{"Sans Serif", -12};
  TFont Interface{"Sans Serif", -11};
};

// The default custom font of a slot: slot 2 "Courier New", height -15, no style; the others
// the system's font for that slot.
TFont DefaultFont(int slot, const TFontDefaults& defaults = {});

struct TFontSlot {
  bool UseCustom = false;  // "&Custom font:" rather than "Use &system default font"
  TFont Custom;            // kept (and stored) also while the system font is used
  bool operator==(const TFontSlot&) const = default;
};

// Designed state: slot 2 uses its custom font, the others the system's.
std::array<TFontSlot, kFontSlots> DefaultFontSlots(const TFontDefaults& defaults = {});

// Lists as comma-separated text ("Autoload", "DescFiles").

// Entries joined by ","; an entry that is empty or contains a blank, a control character, a
// comma or a double quote is enclosed in double quotes, with its quotes doubled.
std::string JoinCommaText(const std::vector<std::string>& entries);
// The reverse. Outside quotes, blanks separate entries as commas do; a quoted entry ends at
// a single quote ("" inside is one quote); an unterminated quote runs to the end.
std::vector<std::string> SplitCommaText(std::string_view text);

// The settings.

enum class TDockSide : uint8_t { Top = 0, Bottom = 1, Left = 2, Right = 3 };

// "Double-clicking file means:"; Unselected is the combo box's designed state (no item chosen),
// which is stored as Launch.
enum class TFileDoubleClick : int8_t {
  Unselected = -1,
  Nothing = 0,     // "Nothing"
  Properties = 1,  // "Open File Properites"
  Explorer = 2,    // "Open File in Explorer"
  Launch = 3,      // "Launch File"
};

// Ranges of the track bars and spin edits; values read or written are clamped into them.
inline constexpr int kButtonSizeMax = 7;
inline constexpr int kDescWaitMax = 20;
inline constexpr int kDescHideMax = 15;
inline constexpr int kDescMaxLevelsMin = 1, kDescMaxLevelsMax = 8;
inline constexpr int kDescTruncMin = 1, kDescTruncMax = 15;
inline constexpr int kAutoSaveMin = 2, kAutoSaveMax = 240;

// Every setting, a field per control of the Settings window. A default-constructed value is
// the window's designed state (the settings of a first start), with the stand-in system fonts.
struct TOptions {
  // "Settings" bit field
  int ButtonSizeBar = 2;                   // bits 0-2, 0..7
  TDockSide ToolbarDock = TDockSide::Top;  // bits 3-4, radio buttons Toolbar1..Toolbar4
  bool ToolbarVisible = true;              // bit 5
  bool ToolbarFloating = false;            // bit 6
  bool Desc4DOSCheck = true;               // bit 7, read DESCRIPT.ION
  bool InsideZipCheck = true;              // bit 8, list archive contents
  bool ShowPrevCheck = true;               // bit 9, ".." entry in the item list
  bool DescAsTipsCheck = true;             // bit 10
  bool HideStatusCheck = true;             // bit 11, "Display &status bar": set = shown
  bool AutoloadCheck = false;              // bit 12
  bool TipsCheck = true;                   // bit 13, tip of the day at start
  bool DescAlwaysCheck = false;            // bit 14, Assistant searches subfolders
  bool DescBBSCheck = true;                // bit 15, read FILES.BBS
  int DescWaitBar = 12;                    // bits 16-19, 0..20 (above 15: PackBitFields)
  int DescHideBar = 5;                     // bits 20-23, 0..15 seconds
  int DescMaxLevels = 2;                   // bits 24-26 minus 1, 1..8
  bool DescTruncCheck = false;             // bit 27
  int DescTruncEdit = 3;                   // bits 28-31, 1..15 lines

  // "AdvSettings" bit field
  bool DescKeepCurrentCheck = true;  // bit 0
  bool UpdateNameCheck = true;       // bit 1
  bool DescCommentCheck = true;      // bit 2
  bool DescDizCheck = true;          // bit 3, read FILE_ID.DIZ
  bool IgnoreFilesCheck = true;      // bit 4
  bool IgnoreFoldersCheck = true;    // bit 5
  bool AutoSaveCheck = true;         // bit 6
  int AutoSaveEdit = 15;             // bits 7-14 minus 2, 2..240 minutes
  bool IgnoreRecycleCheck = true;    // bit 15
  bool ArchivesSortCheck = true;     // bit 16, stored inverted
  bool OldButtonsCheck = false;      // bit 17
  TFileDoubleClick FileDoubleClickCombo = TFileDoubleClick::Unselected;  // bits 18-19

  // "UseFontData" and "Font0".."Font4"
  std::array<TFontSlot, kFontSlots> Fonts = DefaultFontSlots();
  // "Autoload": the catalogs opened at start when AutoloadCheck is on
  std::vector<std::string> AutoloadList;
  // "DescFiles": the Description Assistant's file masks
  std::vector<std::string> DescList = SplitCommaText(DefaultDescMasks);

  bool operator==(const TOptions&) const = default;
};

// The designed state with the desktop's fonts.
TOptions DesignedOptions(const TFontDefaults& fonts = {});

// Bit fields.

struct TBitFields {
  uint32_t Settings = 0;
  uint32_t AdvSettings = 0;
  bool operator==(const TBitFields&) const = default;
};

// What a key with a missing or damaged "Settings" or "AdvSettings" value gives. They differ
// from the designed state: for example auto-save off at 17 minutes, archive listing off.
inline constexpr uint32_t kFixedSettings = 0x315CA6A2;
inline constexpr uint32_t kFixedAdvSettings = 0x78F;

// Packs the bit-field settings, clamping every number into its range first so that no value
// spills into its neighbour. "AdvSettings" bits 20-22 hold how far DescWaitBar exceeds 15
// (1..5), while the field in "Settings" holds 15: the 4-bit field cannot hold 16..20, and
// "AdvSettings" has spare bits, so no field of "Settings" changes and a reader that knows
// only the 4-bit field sees the nearest value it can show.
TBitFields PackBitFields(const TOptions& options);
// Sets the bit-field settings of `options` from the two values, clamping into the ranges.
void UnpackBitFields(TBitFields bits, TOptions& options);

// Reading and writing the key.

struct TLoadedOptions {
  TOptions Options;
  // The Settings window's changed flag: set when the key or one of its values was missing
  // or unreadable, so that the defaults taken are applied and written back.
  bool Changed = false;
};

// Reads the settings from the program's key. A missing key gives the designed state; a
// missing or damaged value gives its fixed default alone.
TLoadedOptions LoadSettings(const TSettingsKey& key, const TFontDefaults& fonts = {});

// Writes every setting and "RevisionMarker", then flushes. When the key cannot be written
// (before or at the flush), shows "Error saving config" and returns false.
bool SaveSettings(TSettingsKey& key, const TOptions& options, TUserPrompts& prompts);

// Settings revision ("RevisionMarker", 1 byte).

inline constexpr uint8_t kSettingsRevision = 2;
// Start-up: unless the key holds "RevisionMarker" of exactly one byte equal to 2, the key is
// deleted with all its values and subkeys, so every setting starts from its default. True
// when something was deleted.
bool ResetOutdatedSettings(TSettingsKey& key);

// Recent files (subkey "MRUList", string values "F0", "F1", ... in list order): the storage
// of TOpenCatalogs::RecentFiles, which keeps the list itself.

inline constexpr std::string_view kMruSubkey = "MRUList";
// At most TOpenCatalogs::MaxRecentFiles paths, most recent first: "F0".."F3" where present
// and not empty, repeats dropped; anything else in the subkey is ignored.
std::vector<std::string> ReadMruList(TSettingsKey& key);
// Empties the subkey, then writes the first TOpenCatalogs::MaxRecentFiles paths. The caller
// flushes the store.
void WriteMruList(TSettingsKey& key, const std::vector<std::string>& paths);

// Main window state ("WindowPos", 30 bytes).

struct TWindowPos {
  int32_t Left = 0;
  int32_t Top = 0;
  int32_t Width = 0;
  int32_t Height = 0;
  int32_t TreeWidth = 200;  // the catalog tree pane
  uint8_t ViewStyle = 3;    // 0 large icons, 1 small icons, 2 list, 3 details
  uint8_t DiskSortKey = 1;  // 0..5
  uint8_t FileSortKey = 1;  // 0..9
  bool ReverseOrder = false;
  bool operator==(const TWindowPos&) const = default;
};

// Offsets 0, 4, 8, 12, 16: left, top, width, height, tree width (signed, little-endian);
// 20-27 unused (written as zeros); 28 the view style; 29 the sort state: bits 0-2 the disk
// sort key, bits 3-6 the file sort key, bit 7 reverse order. Bit 6 is the file key's fourth
// bit: its keys 8 and 9 do not fit in three.
inline constexpr std::size_t kWindowPosSize = 30;
std::vector<uint8_t> EncodeWindowPos(const TWindowPos& pos);
// Nothing unless exactly 30 bytes. A view style or sort key out of its range reads as the
// default above.
std::optional<TWindowPos> DecodeWindowPos(const std::vector<uint8_t>& record);

}  // namespace tf
