#include "scan/WaitUpdate.h"

#include <algorithm>

#include "store/LoadSave.h"
#include "text/Text.h"

namespace tf {

namespace {

bool Keeps(const TFileRec* f) { return !f->Description.Empty() || f->CategoryFlags != 0; }

bool Keeps(const TFolderRec* f) {
  return !f->Description.Empty() || f->CategoryFlags != 0 || f->Reserved != 0;
}

void CollectFrom(TNode* node, std::vector<TKeptDescriptions::TEntry>& out) {
  LoadFiles(node);
  for (TFileRec* f = FirstFile(node->Record); f; f = f->NextFile())
    if (Keeps(f)) out.push_back({f->Name(), f});
  if (KindOf(node->Record) == ikFolder) LoadSubfolders(node);
  for (int i = 0; i < node->ChildCount(); ++i) {
    TNode* child = node->Child(i);
    if (!child->Record || KindOf(child->Record) != ikFolder) continue;
    if (Keeps(static_cast<TFolderRec*>(child->Record))) out.push_back({child->Caption, child->Record});
    CollectFrom(child, out);
  }
}

bool NameLess(std::string_view a, std::string_view b) { return CompareNoCase(a, b) < 0; }

}  // namespace

void CollectKeptDescriptions(TNode* oldDisk, TKeptDescriptions& kept) {
  kept.entries_.clear();
  if (!oldDisk || !oldDisk->Record) return;
  CollectFrom(oldDisk, kept.entries_);
  // Stable: of two items with the same name the one met first in the walk is tried first.
  std::stable_sort(kept.entries_.begin(), kept.entries_.end(),
                   [](const TKeptDescriptions::TEntry& a, const TKeptDescriptions::TEntry& b) {
                     return NameLess(a.Name, b.Name);
                   });
}

bool RestoreKeptDescription(const TKeptDescriptions& kept, TItemRec* rec, std::string_view name) {
  if (kept.entries_.empty() || !rec) return false;
  uint8_t kind = KindOf(rec);
  if (kind != ikFile && kind != ikFolder) return false;
  // Names equal without regard to case sit together; exact equals are among them.
  auto range = std::equal_range(
      kept.entries_.begin(), kept.entries_.end(), TKeptDescriptions::TEntry{name, nullptr},
      [](const TKeptDescriptions::TEntry& a, const TKeptDescriptions::TEntry& b) {
        return NameLess(a.Name, b.Name);
      });
  for (auto it = range.first; it != range.second; ++it) {
    if (it->Name != name) continue;
    TItemRec* old = it->Rec;
    uint8_t oldKind = KindOf(old);
    if (oldKind == kind) {
      if (kind == ikFile) {
        auto* a = static_cast<const TFileRec*>(old);
        auto* b = static_cast<const TFileRec*>(rec);
        if (a->Size != b->Size || a->ModifiedTime != b->ModifiedTime) continue;
      } else {
        auto* a = static_cast<const TFolderRec*>(old);
        auto* b = static_cast<const TFolderRec*>(rec);
        if (a->ModifiedTime != b->ModifiedTime) continue;
      }
    }
    const TText& desc = *DescriptionOf(static_cast<const TItemRec*>(old));
    uint8_t category = *CategoryFlagsOf(old);
    *DescriptionOf(rec) = desc;
    *CategoryFlagsOf(rec) = category;
    if (kind == ikFolder)
      static_cast<TFolderRec*>(rec)->Reserved =
          oldKind == ikFolder ? static_cast<TFolderRec*>(old)->Reserved : 0;
    return !desc.Empty();
  }
  return false;
}

}  // namespace tf
