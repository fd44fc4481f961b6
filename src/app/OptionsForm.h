#pragma once
// The Settings window. It lives as long as the program and holds the settings that every
// other window reads (Options()). Opening it writes the current settings first, so that
// Cancel can restore them by reading them back; OK and Apply push changed settings into the
// program through the SettingsApplied signal.

#include <QDialog>

#include "settings/Options.h"

class QCheckBox;
class QComboBox;
class QFont;
class QLabel;
class QListWidget;
class QPushButton;
class QRadioButton;
class QSlider;
class QSpinBox;
class QTabWidget;

namespace tf {

class TSettingsKey;
class TUserPrompts;

class TOptionsForm final : public QDialog {
  Q_OBJECT
  Q_DISABLE_COPY_MOVE(TOptionsForm)

 public:
  // The pages, in the order of the Settings menu.
  enum TPage { PageGeneral = 0, PageDiskImage, PageFonts, PageDescriptions, PageAutoLoad };

  // Reads the settings from key. key and prompts must outlive the window.
  TOptionsForm(TSettingsKey& key, TUserPrompts& prompts, const TFontDefaults& fonts,
               QWidget* parent = nullptr);
  ~TOptionsForm() override;

  // The settings in force.
  const TOptions& Options() const { return options_; }
  // Replaces the settings in force (the auto-load list after a failed auto-load, say) and
  // marks them changed, so that they are written at the end.
  void SetOptions(const TOptions& options);
  bool Changed() const { return changed_; }

  // The Settings menu: writes the settings, shows the window on a page, and on OK applies
  // what changed. Returns true after OK.
  bool MenuSettingsClick(TPage page);
  // Writes the settings (at program exit and before the window is shown).
  bool SaveSettings();
  // Reads them back (Cancel).
  void LoadSettings();
  // Cancel, Escape and the close box read the settings back.
  void reject() override;

 Q_SIGNALS:
  // The settings changed and must be pushed into the running program (ApplySettings).
  void SettingsApplied();

 private:
  void BuildGeneralPage(QWidget* page);
  void BuildDiskImagePage(QWidget* page);
  void BuildFontsPage(QWidget* page);
  void BuildDescriptionsPage(QWidget* page);
  void BuildAutoLoadPage(QWidget* page);
  void ControlsFromOptions(const TOptions& o);
  TOptions OptionsFromControls() const;
  void MarkChanged() { changed_ = true; }
  void ShowFontSlot();
  void ApplyClick();
  void OkClick();
  void AutoloadAddClick();
  void DescAddClick();
  void MoveCurrent(QListWidget* list, int delta);
  QCheckBox* Check(const char* name, const QString& caption);

  TSettingsKey& key_;
  TUserPrompts& prompts_;
  TFontDefaults fontDefaults_;
  TOptions options_;
  // The font slots as edited on the Fonts page (the page shows one slot at a time).
  std::array<TFontSlot, kFontSlots> fonts_;
  bool changed_ = false;
  bool loading_ = false;

  QTabWidget* Pages = nullptr;
  // General
  QCheckBox* ShowPrevCheck = nullptr;
  QCheckBox* DescAsTipsCheck = nullptr;
  QSlider* DescWaitBar = nullptr;
  QSlider* DescHideBar = nullptr;
  QCheckBox* HideStatusCheck = nullptr;
  QCheckBox* TipsCheck = nullptr;
  QCheckBox* ArchivesSortCheck = nullptr;
  QCheckBox* AutoSaveCheck = nullptr;
  QSpinBox* AutoSaveEdit = nullptr;
  QComboBox* FileDoubleClickCombo = nullptr;
  QSlider* ButtonSizeBar = nullptr;
  QRadioButton* Toolbar[4] = {};
  QCheckBox* ToolbarVisible = nullptr;
  QCheckBox* ToolbarFloating = nullptr;
  QCheckBox* OldButtonsCheck = nullptr;
  // Disk Image
  QCheckBox* InsideZipCheck = nullptr;
  QCheckBox* DescCommentCheck = nullptr;
  QCheckBox* DescDizCheck = nullptr;
  QCheckBox* Desc4DOSCheck = nullptr;
  QCheckBox* DescBBSCheck = nullptr;
  QCheckBox* DescTruncCheck = nullptr;
  QSpinBox* DescTruncEdit = nullptr;
  QCheckBox* DescKeepCurrentCheck = nullptr;
  QCheckBox* UpdateNameCheck = nullptr;
  QCheckBox* IgnoreFilesCheck = nullptr;
  QCheckBox* IgnoreFoldersCheck = nullptr;
  QCheckBox* IgnoreRecycleCheck = nullptr;
  // Fonts
  QComboBox* FontSlotCombo = nullptr;
  QRadioButton* SystemFontRadio = nullptr;
  QRadioButton* CustomFontRadio = nullptr;
  QPushButton* SelectFontBtn = nullptr;
  QLabel* FontNameLabel = nullptr;
  QLabel* FontSampleLabel = nullptr;
  // Descriptions
  QListWidget* DescList = nullptr;
  QCheckBox* DescAlwaysCheck = nullptr;
  QSpinBox* DescMaxLevels = nullptr;
  // Auto Load
  QCheckBox* AutoloadCheck = nullptr;
  QListWidget* AutoloadList = nullptr;
};

// A TFont as a QFont, and the desktop's fonts for the slots' defaults.
QFont ToQFont(const TFont& font);
TFont FromQFont(const QFont& font);
TFontDefaults DesktopFontDefaults();

}  // namespace tf
