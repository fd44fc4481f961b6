#pragma once
// The Description Assistant: the window in which the user edits one item's description,
// with the description files found near the item on the real medium shown beside it.

#include <QDialog>
#include <functional>
#include <string>
#include <vector>

class QComboBox;
class QLabel;
class QPlainTextEdit;
class QPushButton;

namespace tf {

class TDrives;
class TMediaDetector;
class TProgress;
class TUserPrompts;
struct TFileRec;
struct TNode;

class TDescAssistForm final : public QDialog {
  Q_OBJECT
  Q_DISABLE_COPY_MOVE(TDescAssistForm)

 public:
  // What the search uses, read from the settings each time the window opens.
  struct TSearchSettings {
    std::vector<std::string> Masks;  // DescList
    bool Subfolders = false;         // DescAlwaysCheck
    int MaxLevels = 2;               // DescMaxLevels
  };

  TDescAssistForm(TMediaDetector& media, TDrives& drives, TUserPrompts& prompts,
                  TProgress& progress, std::function<TSearchSettings()> settings,
                  QWidget* parent = nullptr);

  // Edits the description of node's item (for a file: node is its container and file the
  // file). Modal. True when the description changed (already stored and marked modified).
  bool Edit(TNode* node, TFileRec* file);

  // Prepares the window for an item without showing it, running the search when the medium
  // is at hand (tests use this, then press the buttons).
  void Open(TNode* node, TFileRec* file);
  // "Get &Files": look for the medium (asking for it) and search.
  void GetFilesClick();
  // Reads the entry selected in FilesCombo into the file view.
  void LoadSelectedFile();
  // OK: stores the text; true when it changed.
  bool StoreDescription();

  QString FileText() const;

 protected:
  void accept() override;
  void reject() override;

 private:
  void Search();
  QString ItemName() const;

  TMediaDetector& media_;
  TDrives& drives_;
  TUserPrompts& prompts_;
  TProgress& progress_;
  std::function<TSearchSettings()> settings_;

  TNode* node_ = nullptr;
  TFileRec* file_ = nullptr;
  bool inArchive_ = false;
  char letter_ = 0;
  bool searched_ = false;
  bool noFiles_ = false;
  QString original_;
  bool changed_ = false;

  QLabel* IconLabel = nullptr;
  QLabel* NameLabel = nullptr;
  QPlainTextEdit* DescMemo = nullptr;
  QComboBox* FilesCombo = nullptr;
  QPushButton* GetFilesBtn = nullptr;
  QPlainTextEdit* FileMemo = nullptr;
};

inline constexpr char DescAssistNoFiles[] = "(no description files found)";
inline constexpr char DescAssistCompressed[] = "(folder is compressed, can't access files)";

}  // namespace tf
