// The main window's "&Report Generator" (and the toolbar's "Generate Report") and "&Import
// from Kestrevane": the commands, their windows and the wiring. The report is written by the
// report engine (report/Report.h), the database read by the import (store/ImportFM.h).

#include "browse/Main.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QStyle>
#include <QToolBar>

#include "browse/ItemList.h"
#include "platform/Prompts.h"
#include "report/ReportForm.h"
#include "scan/Utils.h"
#include "store/ImportFM.h"
#include "store/ImportForm.h"

namespace tf {

void TMainForm::CreateReportActions() {
  MenuReportGen = new QAction(QStringLiteral("&Report Generator"), this);
  MenuReportGen->setObjectName(QStringLiteral("MenuReportGen"));
  MenuReportGen->setToolTip(QStringLiteral("Generate Report"));
  MenuReportGen->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_R));
  MenuReportGen->setIcon(QIcon::fromTheme(QStringLiteral("document-print"),
                                          style()->standardIcon(QStyle::SP_FileDialogDetailedView)));
  connect(MenuReportGen, &QAction::triggered, this, [this] { ButtonPrintClick(); });
  MenuImport = new QAction(QStringLiteral("&Import from Kestrevane"), this);
  MenuImport->setObjectName(QStringLiteral("MenuImport"));
  connect(MenuImport, &QAction::triggered, this, [this] { MenuImportClick(); });

  // The File menu: both behind "Close All"; the toolbar: the report button behind the file
  // buttons.
  QList<QAction*> file = MenuFile->actions();
  qsizetype closeAll = file.indexOf(MenuCloseAll);
  QAction* after = closeAll >= 0 && closeAll + 1 < file.size() ? file[closeAll + 1] : nullptr;
  MenuFile->insertSeparator(after);
  MenuFile->insertAction(after, MenuImport);
  MenuFile->insertAction(after, MenuReportGen);
  QList<QAction*> bar = ToolBar->actions();
  qsizetype save = bar.indexOf(MenuSave);
  QAction* behindSave = save >= 0 && save + 1 < bar.size() ? bar[save + 1] : nullptr;
  ToolBar->insertAction(behindSave, MenuReportGen);
  if (QWidget* w = ToolBar->widgetForAction(MenuReportGen))
    w->setObjectName(QStringLiteral("ButtonPrint"));
}

void TMainForm::UpdateReportActions() { MenuReportGen->setEnabled(tree_.CatalogCount() > 0); }

void TMainForm::ButtonPrintClick(TReportSource from) {
  if (!reportForm_) {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    reportProgress_ = std::make_unique<TWaitProgress>(*this, this);
    TReportForm::TServices s{tree_, prompts_, *reportProgress_, {}, {}, {}, {}};
    s.Order = [this] {
      return TTreeOrder{itemList_.FileSortKey, itemList_.DiskSortKey, itemList_.ReverseOrder,
                        itemList_.SortArchivesAsFiles};
    };
    // Without a window's own list, the one registered with the tree.
    auto registered = [this](TListKind kind) {
      std::vector<TItemRec*> records;
      if (TRecordList* list = tree_.List(kind))
        for (int i = 0; i < list->Count(); ++i)
          if (TItemRec* rec = list->At(i)) records.push_back(rec);
      return records;
    };
    s.SearchResults = [this, registered] {
      return ReportSearchResults ? ReportSearchResults() : registered(TListKind::Search);
    };
    s.UserList = [this, registered] {
      return ReportUserList ? ReportUserList() : registered(TListKind::UserList);
    };
    s.Walking = [this](TNode* container) { reportWalking_ = container; };
    reportForm_ = new TReportForm(std::move(s), this);
    QApplication::restoreOverrideCursor();
  }
  reportForm_->Open(from);
  RefreshStatus();
}

void TMainForm::MenuImportClick() {
  if (prompts_.Message(ImportQuestionTitle, ImportQuestionText, TButtons::YesNo,
                       TIcon::Question) != TAnswer::Yes)
    return;
  if (!importForm_)
    importForm_ = new TImportForm(this);
  else
    importForm_->SetFolder(importForm_->Folder());  // the files may have changed meanwhile
  if (importForm_->exec() != QDialog::Accepted) return;
  std::string database = importForm_->SelectedDatabase();
  std::unique_ptr<TNode> catalog;
  {
    TWaitProgress progress(*this, this);
    try {
      catalog = ImportDatabase(database, prompts_, progress, EstimateDiskGeometry);
    } catch (const EImportError& e) {
      progress.End();
      prompts_.Message(ImportQuestionTitle, e.what(), TButtons::Ok, TIcon::Error);
      return;
    }
  }
  TNode* node = AddCatalogNode(std::move(catalog));
  SelectNode(node);
  ExpandNode(node);
  SetCatalogModified(node, true);  // it was modified before the tree knew it
  UpdateActions(true);
}

}  // namespace tf
