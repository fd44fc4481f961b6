#pragma once
// The tests of Criteria.h, made fast for the walk over millions of items. TMatcher gives the
// same answer as MatchItem for every item; it stops at the first test that decides, and its
// name test works on the stored bytes of plain ASCII names without converting them. A whole
// file list can be ruled out at once when the text a name needs does not occur in the list's
// bytes at all (MayMatchIn), so that such a list is never turned into records.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "search/Criteria.h"

namespace tf {

class TNameMatcher {
 public:
  explicit TNameMatcher(const TSearchCriteria& criteria);
  // The name test of NameTest.
  bool Test(std::string_view name) const;
  // False when no name lying inside these bytes can pass the test; true when some may.
  bool MayPassIn(const uint8_t* data, std::size_t length) const;

 private:
  bool TestExtension(std::string_view name) const;

  TNameMode mode_;
  bool case_;
  std::string pattern_;
  bool patternAscii_;
  // Text that every passing name contains (upper-case unless case_), empty when there is no
  // such text that the bytes can be searched for.
  std::string needle_;
  // The dotless i and the long s upper-case to "I" and "S": a list holding one of them may
  // pass a needle with that letter.
  bool needleHasI_ = false;
  bool needleHasS_ = false;
  bool foldBytes_ = true;  // the needle is looked for in the upper-cased bytes
};

class TMatcher {
 public:
  explicit TMatcher(const TSearchCriteria& criteria);
  const TSearchCriteria& Criteria() const { return c_; }
  // The categories and flags of the catalog whose items are tested next.
  void SetCatalog(const TCatalogRec& catalog) { categories_ = MakeCategoryFilter(c_, catalog); }
  // MatchItem's answer.
  bool Matches(const TItemView& item) const;
  // When the name test decides alone for every file (mode "all", or the name the only test),
  // a file whose name fails does not match whatever its other fields.
  bool NameDecides() const { return nameDecides_; }
  const TNameMatcher& Names() const { return names_; }

 private:
  int Test(int which, const TItemView& item) const;  // 1 passed, 0 failed, -1 not applied

  TSearchCriteria c_;
  TNameMatcher names_;
  TCategoryFilter categories_;
  bool nameDecides_;
};

}  // namespace tf
