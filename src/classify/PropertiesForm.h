#pragma once
// The Properties window: pages for a file, its folder (or archive), its disk and a catalog,
// with the editors for descriptions, the category and the flags of one item. The texts come
// from FillProperties, the writing back from ApplyProperties (Properties.h).

#include <array>

#include <QDialog>
#include <QFont>

#include "classify/Properties.h"

class QCheckBox;
class QComboBox;
class QGridLayout;
class QLabel;
class QMenu;
class QPlainTextEdit;
class QPushButton;
class QTabWidget;
class QToolButton;

namespace tf {

class TAdvDiskForm;
class TIconList;
class TUserPrompts;

class TPropertiesForm final : public QDialog {
  Q_OBJECT
  Q_DISABLE_COPY_MOVE(TPropertiesForm)

 public:
  TPropertiesForm(TIconList& icons, TFileTypeNames typeNames, TUserPrompts& prompts,
                  QWidget* parent = nullptr);
  ~TPropertiesForm() override;

  // Fills the pages and shows the window modally; after "&OK" writes back what changed.
  TPropertiesChanges Execute(const TPropertiesSubject& subject);
  // The steps of Execute, for tests.
  void Fill(const TPropertiesSubject& subject);
  TPropertiesEdits Edits() const;
  TPropertiesChanges Apply();

  // The font "Descriptions in Properties" for the description editors.
  void SetDescriptionFont(const QFont& font);
  // "Advanced >>": the Advanced Disk Info window, modal.
  void DiskAdvButtonClick();

  const TPropertiesInfo& Info() const { return info_; }
  TAdvDiskForm* AdvancedWindow() const { return advanced_; }

  QTabWidget* Pages = nullptr;
  QWidget* FileSheet = nullptr;
  QWidget* DirectorySheet = nullptr;
  QWidget* DiskSheet = nullptr;
  QWidget* CatalogSheet = nullptr;
  // The description editors of the file, folder, disk and catalog pages.
  QPlainTextEdit* Memo1 = nullptr;
  QPlainTextEdit* Memo2 = nullptr;
  QPlainTextEdit* Memo3 = nullptr;
  QPlainTextEdit* Memo4 = nullptr;
  QComboBox* CategoryList1 = nullptr;
  QComboBox* CategoryList2 = nullptr;
  QToolButton* FlagsBtn1 = nullptr;
  QToolButton* FlagsBtn2 = nullptr;
  QPushButton* DiskAdvButton = nullptr;
  QPushButton* OKBtn = nullptr;
  QPushButton* CancelBtn = nullptr;

  // One page's header and value rows.
  struct TPage {
    QLabel* Icon = nullptr;
    QLabel* Name = nullptr;
    QGridLayout* Rows = nullptr;
    std::array<QLabel*, 12> Captions{};
    std::array<QLabel*, 12> Values{};
    std::array<QCheckBox*, 4> Attributes{};
    QLabel* DescriptionCaption = nullptr;
    QCheckBox* Compressed = nullptr;
  };
  std::array<TPage, PageCount> Page;

 protected:
  void showEvent(QShowEvent* event) override;

 public:
  // "&OK" while a search runs and something was edited keeps the window open, the edits as
  // they are, until the search is over.
  void accept() override;

 private:
  QWidget* BuildPage(int page, int rows, QPlainTextEdit*& memo, const QString& descCaption);
  void AddCategoryRow(int page, int row, QComboBox*& list, QToolButton*& flags);
  void AddAttributes(int page, int row);
  void SetRow(int page, int row, const std::string& caption, const std::string& value);
  void SetAttributes(int page, const TAttributeBoxes& a);
  void FillCategories(QComboBox* list, QToolButton* flags, uint8_t categoryFlags);
  uint8_t ChosenByte(QComboBox* list, QToolButton* flags) const;
  QPixmap IconOf(int page) const;

  TIconList& icons_;
  TFileTypeNames typeNames_;
  TUserPrompts& prompts_;
  TAdvDiskForm* advanced_ = nullptr;
  TPropertiesSubject subject_;
  TPropertiesInfo info_;
  std::array<QString, PageCount> shownDescriptions_;
};

}  // namespace tf
