#include "search/SearchWindows.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QThread>

#include "browse/Main.h"
#include "classify/ClassifyWindows.h"
#include "platform/Prompts.h"
#include "search/SearchForm.h"
#include "settings/Options.h"

namespace tf {

TSearchWindows::TSearchWindows(TServices services) : s_(std::move(services)) {
  setObjectName(QStringLiteral("SearchWindows"));
  TMainForm::TSearchHooks h;
  h.Open = [this](bool duplicates) { Open(duplicates); };
  h.RunningMode = [this] { return form_ && form_->Running() ? int(form_->Duplicates()) : -1; };
  h.Repaint = [this] {
    if (!form_) return;
    form_->ActiveView()->viewport()->update();
    form_->UpdateStatus();
  };
  s_.Main.SetSearchHooks(std::move(h));
  s_.Main.ReportSearchResults = [this] {
    return form_ ? form_->CurrentRecords() : std::vector<TItemRec*>();
  };
  if (s_.Classify) {
    s_.Classify->CategoriesChanged = [this] {
      if (form_) form_->CreateCategoryList();
    };
    s_.Classify->UserListChanged = [this] {
      if (form_) form_->UpdateButtons();
    };
  }
}

TSearchWindows::~TSearchWindows() {
  s_.Main.SetSearchHooks({});
  s_.Main.ReportSearchResults = nullptr;
  if (s_.Classify) {
    s_.Classify->CategoriesChanged = nullptr;
    s_.Classify->UserListChanged = nullptr;
  }
  delete form_;
}

TSearchForm& TSearchWindows::EnsureForm() {
  if (form_) return *form_;
  QApplication::setOverrideCursor(Qt::WaitCursor);
  TSearchForm::THost host{s_.Main, s_.Tree, s_.Prompts, s_.Options, {}, {}, {}};
  if (TClassifyWindows* c = s_.Classify) {
    host.Properties = [c](TNode* node, TItemRec* rec) { c->ShowProperties(node, rec); };
    host.SetCategories = [c](const std::vector<TItemRec*>& items) { return c->SetCategories(items); };
    host.AddToUserList = [c](const std::vector<TItemRec*>& items) { c->AddToUserList(items); };
  }
  form_ = new TSearchForm(std::move(host), &s_.Main);
  form_->setWindowFlag(Qt::Window);
  QApplication::restoreOverrideCursor();
  return *form_;
}

void TSearchWindows::Open(bool duplicates) {
  EnsureForm().Open(duplicates);
  s_.Main.UpdateActions(true);
}

bool TSearchWindows::Running() const { return form_ && form_->Running(); }

void TSearchWindows::RebuildScope() {
  if (!form_) return;
  form_->CreateCatalogTree();
  form_->CreateCategoryList();
}

void TSearchWindows::ApplySettings(const TOptions& options) {
  if (form_) form_->ApplySettings(options);
}

bool TSearchWindows::StopForClosing(int waits, int pauseMs) {
  if (!Running()) return true;
  form_->BtnCancelClick();
  for (int i = 0; i < waits && Running(); ++i) {
    QApplication::processEvents();
    QThread::msleep(pauseMs);
  }
  if (!Running()) return true;
  s_.Main.ShowStatusText({}, 0);
  s_.Prompts.Message(SearchInProgressTitle, SearchInProgressText, TButtons::Ok, TIcon::Warning);
  return false;
}

void TSearchWindows::ProgramClosing() {
  if (!form_) return;
  form_->hide();
  QApplication::processEvents();
  form_->ReleaseResults();
}

}  // namespace tf
