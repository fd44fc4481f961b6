#include "classify/ClassifyWindows.h"

#include <QApplication>
#include <QMimeDatabase>

#include "browse/Main.h"
#include "classify/CategoriesForm.h"
#include "classify/MultiCatForm.h"
#include "classify/PropertiesForm.h"
#include "classify/UserList.h"
#include "classify/UserListForm.h"

namespace tf {

std::string DesktopFileTypeName(std::string_view extension) {
  if (extension.empty()) return {};
  static QMimeDatabase db;
  QMimeType type = db.mimeTypeForFile(QStringLiteral("x.") + QString::fromStdString(std::string(extension)),
                                      QMimeDatabase::MatchExtension);
  if (!type.isValid() || type.isDefault()) return {};
  return type.comment().toStdString();
}

TClassifyWindows::TClassifyWindows(TServices services) : s_(std::move(services)) {
  setObjectName(QStringLiteral("ClassifyWindows"));
  properties_ = new TPropertiesForm(s_.Main.Icons(), &DesktopFileTypeName, s_.Prompts, &s_.Main);
  categories_ = new TCategoriesForm(s_.Tree, s_.Prompts, s_.Progress, &s_.Main);
  categories_->OnClosed = [this] {
    if (CategoriesChanged) CategoriesChanged();
  };
  setCat_ = new TSetCatForm(s_.Prompts, &s_.Main);

  TMainForm::TClassifyHooks h;
  h.Properties = [this](TNode* node, TItemRec* rec) { ShowProperties(node, rec); };
  h.SetCategories = [this](const std::vector<TItemRec*>& items) { return SetCategories(items); };
  h.CategoriesSetup = [this](TNode* selected) { return CategoriesSetup(selected); };
  h.AddToUserList = [this](const std::vector<TItemRec*>& items) { AddToUserList(items); };
  h.ViewUserList = [this] { ViewUserList(); };
  h.DiskInfo = [this](const TDiskRec& volume, char drive, TNode* catalog) {
    ShowVolumeInfo(volume, drive, catalog);
  };
  s_.Main.SetClassifyHooks(std::move(h));
}

TClassifyWindows::~TClassifyWindows() {
  s_.Main.SetClassifyHooks({});
  // The window goes before its list; the other windows belong to the main window.
  delete userList_;
  list_.reset();
}

void TClassifyWindows::ShowProperties(TNode* node, TItemRec* record) {
  if (!node && !record) return;
  TPropertiesChanges c = properties_->Execute({node, record});
  if (!c.Any()) return;
  s_.Main.RepaintViews();
  if (userList_) userList_->UpdateStatus();
}

void TClassifyWindows::ShowVolumeInfo(const TDiskRec& volume, char drive, TNode* catalog) {
  // The record is only read: the Properties window writes nothing back for a volume.
  properties_->Execute({nullptr, const_cast<TDiskRec*>(&volume), drive, catalog});
}

bool TClassifyWindows::SetCategories(const std::vector<TItemRec*>& items) {
  bool changed = setCat_->Execute(items);
  if (changed) {
    s_.Main.RepaintViews();
    if (userList_) userList_->UpdateStatus();
  }
  return changed;
}

bool TClassifyWindows::CategoriesSetup(TNode* selected) {
  bool ok = categories_->Execute(selected);
  s_.Main.RepaintViews();
  return ok;
}

TUserListForm& TClassifyWindows::EnsureUserList() {
  if (userList_) return *userList_;
  QApplication::setOverrideCursor(Qt::WaitCursor);
  list_ = std::make_unique<TUserList>(s_.Tree);
  TUserListForm::THost host{s_.Main, s_.Prompts, s_.Options, {}, {}, {}, {}, s_.Settings};
  host.Properties = [this](TNode* node, TItemRec* rec) { ShowProperties(node, rec); };
  host.SetCategories = [this](const std::vector<TItemRec*>& items) { return SetCategories(items); };
  host.GenerateReport = GenerateReport ? std::function<void()>([this] { GenerateReport(); })
                                       : std::function<void()>();
  host.Changed = [this] { UserListItemsChanged(); };
  userList_ = new TUserListForm(*list_, std::move(host), &s_.Main);
  userList_->setWindowFlag(Qt::Window);
  list_->OnPacked = [this] {
    userList_->ListPacked();
    if (UserListChanged) UserListChanged();
  };
  if (s_.Options) userList_->ApplySettings(s_.Options());
  QApplication::restoreOverrideCursor();
  return *userList_;
}

void TClassifyWindows::UserListItemsChanged() {
  s_.Main.UpdateActions(true);
  if (UserListChanged) UserListChanged();
}

void TClassifyWindows::AddToUserList(std::span<TItemRec* const> items) {
  TUserListForm& form = EnsureUserList();
  for (TItemRec* rec : items) list_->Add(rec);
  form.RefreshAfterAdding();
  UserListItemsChanged();
}

void TClassifyWindows::ViewUserList() {
  TUserListForm& form = EnsureUserList();
  form.show();
  form.raise();
  form.activateWindow();
}

void TClassifyWindows::ApplySettings(const TOptions& options, const QFont& propertiesFont) {
  properties_->SetDescriptionFont(propertiesFont);
  if (userList_) userList_->ApplySettings(options);
}

void TClassifyWindows::ProgramClosing() {
  if (!userList_) return;
  userList_->hide();
  list_->Clear();
  userList_->ListPacked();
}

}  // namespace tf
