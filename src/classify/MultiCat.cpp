#include "classify/MultiCat.h"

#include <algorithm>

#include "browse/Sort.h"
#include "classify/Categories.h"
#include "platform/Prompts.h"

namespace tf {

namespace {

int IndexOf(const std::vector<TCheckEntry>& list, std::string_view name, std::size_t from = 0) {
  for (std::size_t i = from; i < list.size(); ++i)
    if (list[i].Name == name) return int(i);
  return -1;
}

bool DefinesFlag(const TCatalogRec& c, std::string_view name) {
  return std::any_of(c.FlagNames.begin(), c.FlagNames.end(),
                     [&](const TText& f) { return !f.Empty() && f.View() == name; });
}

}  // namespace

TCatalogRec* CatalogOfItem(const TItemRec* item) {
  if (!item || IsBackEntry(item)) return nullptr;
  return CatalogOf(item->Node);
}

void TSetCategories::Clear() {
  categories_.assign(1, TCheckEntry{NoCategorySelected, TCheckState::Unchecked, false});
  flags_.clear();
  catalogs_.clear();
  common_ = NoneYet;
  count_ = 0;
}

void TSetCategories::Open(std::span<TItemRec* const> items) {
  Clear();
  for (TItemRec* item : items)
    if (TCatalogRec* c = CatalogOfItem(item)) Merge(c, item);
  Finish();
}

void TSetCategories::Merge(TCatalogRec* catalog, TItemRec* item) {
  ++count_;
  if (std::find(catalogs_.begin(), catalogs_.end(), catalog) == catalogs_.end())
    catalogs_.push_back(catalog);
  const uint8_t* own = CategoryFlagsOf(item);
  uint8_t byte = own ? *own : 0;
  int id = byte & CategoryMask;
  for (const TCategory& c : catalog->Categories) {
    int entry = IndexOf(categories_, c.Name, 1);
    if (entry < 0) {
      categories_.push_back({c.Name, TCheckState::Unchecked, false});
      entry = int(categories_.size()) - 1;
    }
    if (id == 0) {
      if (common_ == NoneYet)
        common_ = 0;
      else if (common_ > 0)
        common_ = Mixed;
    }
    if (c.Id == id) {
      if (common_ == NoneYet)
        common_ = entry;
      else if (common_ != entry)
        common_ = Mixed;
    }
  }
  for (int j = 1; j <= UserFlagCount; ++j) {
    if (!FlagDefined(*catalog, j)) continue;
    std::string_view name = catalog->FlagNames[std::size_t(j - 1)].View();
    bool set = (byte & UserFlagBit(j)) != 0;
    TCheckState state = set ? TCheckState::Checked : TCheckState::Unchecked;
    int entry = IndexOf(flags_, name);
    if (entry < 0)
      flags_.push_back({std::string(name), state, false});
    else if (flags_[std::size_t(entry)].State != TCheckState::Grayed &&
             flags_[std::size_t(entry)].State != state)
      flags_[std::size_t(entry)].State = TCheckState::Grayed;
  }
}

void TSetCategories::Finish() {
  if (common_ == NoneYet) common_ = 0;
  if (common_ >= 0) categories_[std::size_t(common_)].State = TCheckState::Checked;
  for (std::size_t i = 1; i < categories_.size(); ++i)
    categories_[i].Prefixed = std::any_of(catalogs_.begin(), catalogs_.end(), [&](const TCatalogRec* c) {
      return !CategoryLookup(*c, categories_[i].Name);
    });
  for (TCheckEntry& f : flags_)
    f.Prefixed = std::any_of(catalogs_.begin(), catalogs_.end(),
                             [&](const TCatalogRec* c) { return !DefinesFlag(*c, f.Name); });
}

bool TSetCategories::NoteVisible() const {
  auto prefixed = [](const TCheckEntry& e) { return e.Prefixed; };
  return std::any_of(categories_.begin(), categories_.end(), prefixed) ||
         std::any_of(flags_.begin(), flags_.end(), prefixed);
}

std::string TSetCategories::Heading() const {
  return "Changing Categories and Flags for " + std::to_string(count_) + " selected item" +
         (count_ >= 2 ? "s" : "");
}

std::string TSetCategories::EntryText(const TCheckEntry& e) {
  return e.Prefixed ? "* " + e.Name : e.Name;
}

void TSetCategories::SetCategoryChecked(int index, bool checked) {
  if (index < 0 || index >= int(categories_.size())) return;
  if (checked)
    for (TCheckEntry& e : categories_) e.State = TCheckState::Unchecked;
  categories_[std::size_t(index)].State = checked ? TCheckState::Checked : TCheckState::Unchecked;
}

void TSetCategories::SetFlagState(int index, TCheckState state) {
  if (index >= 0 && index < int(flags_.size())) flags_[std::size_t(index)].State = state;
}

int TSetCategories::CheckedCategory() const {
  for (std::size_t i = 0; i < categories_.size(); ++i)
    if (categories_[i].State == TCheckState::Checked) return int(i);
  return -1;
}

void TSetCategories::ApplyTo(TCatalogRec* catalog, TItemRec* item) const {
  uint8_t* byte = CategoryFlagsOf(item);
  if (!byte || !catalog) return;
  uint8_t v = *byte;
  // No entry checked (mixed categories left alone): the categories stay, the flags are still
  // set as the window shows them.
  int checked = CheckedCategory();
  if (checked == 0) {
    v &= uint8_t(~CategoryMask);
  } else if (checked > 0) {
    int id = CategoryLookup(*catalog, categories_[std::size_t(checked)].Name).value_or(0);
    v = uint8_t((v & ~CategoryMask) | id);
  }
  for (const TCheckEntry& f : flags_) {
    if (f.State == TCheckState::Grayed) continue;
    for (int j = 1; j <= UserFlagCount; ++j) {
      const TText& name = catalog->FlagNames[std::size_t(j - 1)];
      if (name.Empty() || name.View() != f.Name) continue;
      if (f.State == TCheckState::Checked)
        v |= UserFlagBit(j);
      else
        v &= uint8_t(~UserFlagBit(j));
    }
  }
  *byte = v;
  SetDiskChanged(item->Node, true);
}

bool TSetCategories::Apply(std::span<TItemRec* const> items, TUserPrompts& prompts) {
  if (count_ > 1 && prompts.Message(ApplyChangesTitle, ApplyChangesText, TButtons::YesNo,
                                    TIcon::Information) != TAnswer::Yes)
    return false;
  for (TItemRec* item : items)
    if (TCatalogRec* c = CatalogOfItem(item)) ApplyTo(c, item);
  return true;
}

}  // namespace tf
