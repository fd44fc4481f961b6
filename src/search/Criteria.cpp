#include "search/Criteria.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "store/Tree.h"
#include "text/Text.h"

namespace tf {

// ---- sizes -------------------------------------------------------------------------------

namespace {

constexpr uint64_t MaxSizeBytes = 4294967295u;

// A decimal number with "." or "," before its decimals; false for anything else (a sign, an
// exponent, other characters, an empty text).
bool ParseDecimal(std::string_view s, double& value, bool& fraction) {
  while (!s.empty() && s.front() == ' ') s.remove_prefix(1);
  while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
  if (s.empty()) return false;
  double v = 0;
  bool digits = false, point = false;
  double scale = 1;
  fraction = false;
  for (char c : s) {
    if (c >= '0' && c <= '9') {
      digits = true;
      if (point) {
        scale /= 10;
        v += (c - '0') * scale;
        if (c != '0') fraction = true;
      } else {
        v = v * 10 + (c - '0');
      }
    } else if ((c == '.' || c == ',') && !point) {
      point = true;
    } else {
      return false;
    }
  }
  value = v;
  return digits;
}

}  // namespace

uint32_t SizeToBytes(TSizeField& field) {
  double value = 0;
  bool fraction = false;
  if (!ParseDecimal(field.Text, value, fraction)) value = 0, fraction = false;
  int unit = std::clamp(field.Unit, 0, int(SizeUnitNames.size()) - 1);
  if (fraction && unit > 0) {
    value *= 1024;
    --unit;
  }
  uint64_t whole = value >= 1.8e19 ? UINT64_MAX : uint64_t(std::trunc(value));
  field.Text = std::to_string(whole);
  field.Unit = unit;
  uint64_t bytes = whole;
  for (int i = 0; i < unit; ++i) {
    if (bytes > MaxSizeBytes) break;
    bytes *= 1024;
  }
  return uint32_t(std::min(bytes, MaxSizeBytes));
}

// ---- dates and times ---------------------------------------------------------------------

namespace {

// Days since 1970-01-01 of a proleptic Gregorian date.
int64_t DaysFromCivil(int64_t y, int64_t m, int64_t d) {
  y -= m <= 2;
  int64_t era = (y >= 0 ? y : y - 399) / 400;
  int64_t yoe = y - era * 400;
  int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468;
}

const int64_t Epoch1899 = DaysFromCivil(1899, 12, 30);

int DaysIn(int year, int month) {
  static constexpr int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
  return month == 2 && leap ? 29 : days[month - 1];
}

}  // namespace

int32_t DayNumber(int year, int month, int day) {
  return int32_t(DaysFromCivil(year, month, day) - Epoch1899);
}

void DayToDate(int32_t dayNumber, int& year, int& month, int& day) {
  int64_t z = dayNumber + Epoch1899 + 719468;
  int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  int64_t doe = z - era * 146097;
  int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  int64_t mp = (5 * doy + 2) / 153;
  day = int(doy - (153 * mp + 2) / 5 + 1);
  month = int(mp < 10 ? mp + 3 : mp - 9);
  year = int(yoe + era * 400 + (month <= 2));
}

bool DosDay(uint32_t packed, int32_t& dayNumber) {
  uint32_t date = packed >> 16;
  int year = int(date >> 9) + 1980, month = int((date >> 5) & 15), day = int(date & 31);
  if (month < 1 || month > 12 || day < 1 || day > DaysIn(year, month)) return false;
  dayNumber = DayNumber(year, month, day);
  return true;
}

bool DosSecondOfDay(uint32_t packed, int32_t& seconds) {
  uint32_t time = packed & 0xFFFF;
  int hour = int(time >> 11), minute = int((time >> 5) & 63), second = int(time & 31) * 2;
  if (hour > 23 || minute > 59 || second > 59) return false;
  seconds = hour * 3600 + minute * 60 + second;
  return true;
}

// ---- texts -------------------------------------------------------------------------------

namespace {

std::vector<std::string_view> SplitCommas(std::string_view s) {
  std::vector<std::string_view> parts;
  std::size_t start = 0;
  for (;;) {
    std::size_t comma = s.find(',', start);
    parts.push_back(s.substr(start, comma == std::string_view::npos ? comma : comma - start));
    if (comma == std::string_view::npos) break;
    start = comma + 1;
  }
  return parts;
}

}  // namespace

std::string ExtensionPattern(std::string_view extensionList) {
  std::string pattern;
  for (std::string_view ext : SplitCommas(extensionList)) {
    pattern += '.';
    pattern += ext;
    pattern += ExtSeparator;
  }
  return pattern;
}

std::string NormalizeMask(std::string_view mask) {
  std::string out;
  for (char c : mask) {
    if (c == ',' || c == '/' || c == '\\') continue;
    if ((c == '*' || c == '?') && !out.empty() && out.back() == '*') continue;
    out += c;
  }
  return out;
}

std::string NormalizeExtensionList(std::string_view text) {
  std::string out;
  bool first = true;
  for (std::string_view part : SplitCommas(text)) {
    std::size_t dot = part.rfind('.');
    if (dot != std::string_view::npos) part.remove_prefix(dot + 1);
    if (!first) out += ',';
    first = false;
    for (char c : part)
      if (c != ' ') out += c;
  }
  return out;
}

std::string NormalizeDescription(std::string_view text, bool caseSensitive) {
  std::string out;
  out.reserve(text.size());
  for (char c : text)
    if (c != '\n' && c != '\r' && c != ' ' && c != ',' && c != '.') out += c;
  return caseSensitive ? out : UpperCase(out);
}

// ---- building the criteria ---------------------------------------------------------------

TSearchCriteria BuildCriteria(TSearchControls& k) {
  TSearchCriteria c;
  c.Mode = k.SearchTypeCombo;
  c.ResultLimit = k.LimitFoundCheck ? std::clamp(k.MaxFoundNum, 1, 9999) : 0;
  c.SearchFor = k.SearchForCombo;
  bool something = false;

  c.ByName = k.ByNameCheck;
  c.NameMode = k.NameCombo;
  c.Attributes = k.Attributes;
  c.AttributesUsed = std::any_of(k.Attributes.begin(), k.Attributes.end(),
                                 [](TAttrState s) { return s != TAttrState::Any; });
  if (c.ByName) {
    something = true;
    switch (c.NameMode) {
      case TNameMode::Exact:
      case TNameMode::Part:
      case TNameMode::Mask: c.NamePattern = k.NameEdit; break;
      case TNameMode::Extension: c.NamePattern = ExtensionPattern(k.NameEdit); break;
      case TNameMode::FileType: c.NamePattern = k.FileTypeExtensions; break;
    }
    c.NameCase = k.FileCaseCheck &&
                 (c.NameMode == TNameMode::Exact || c.NameMode == TNameMode::Part);
    if (!c.NameCase) c.NamePattern = UpperCase(c.NamePattern);
    if (c.NamePattern.empty()) something = false;
  }

  bool descMarked = false;
  c.ByDesc = k.ByDescCheck;
  c.DescMode = k.DescMode;
  if (c.ByDesc) {
    if (c.DescMode == TDescMode::None) something = true;
    else descMarked = true;
    if (c.DescMode == TDescMode::Text) {
      c.DescCase = k.DescCaseCheck;
      c.DescText = NormalizeDescription(k.DescEdit, c.DescCase);
    }
  }

  c.ByCategory = k.ByCategoryCheck;
  if (c.ByCategory) {
    something = true;
    c.Categories = k.CheckedCategories;
    c.Flags = k.CheckedFlags;
  }

  c.BySize = k.BySizeCheck && k.SizeCombo != TSizeCompare::None;
  if (c.BySize) {
    something = true;
    c.SizeCompare = k.SizeCombo;
    int64_t tolerance = k.SizeAllowTollerance ? SizeToBytes(k.SizeValue3) : 0;
    int64_t low = SizeToBytes(k.SizeValue1);
    bool second = c.SizeCompare == TSizeCompare::Between ||
                  c.SizeCompare == TSizeCompare::NotBetween;
    int64_t high = second ? SizeToBytes(k.SizeValue2) : low;
    // A tolerance larger than the bound reaches down to 0 bytes rather than wrapping round.
    c.SizeLow = uint32_t(std::max<int64_t>(0, low - tolerance));
    c.SizeHigh = uint32_t(std::min<int64_t>(int64_t(MaxSizeBytes), high + tolerance));
  }

  if (k.ByDateCheck && k.DateCombo1 != TDateField::None) {
    something = true;
    c.DateField = k.DateCombo1;
    c.DateCompare = k.DateCombo2;
    int32_t tolerance = k.DateAllowTollerance ? std::clamp(k.DateTollerance, 0, 99) : 0;
    bool second = c.DateCompare == TDateCompare::Between ||
                  c.DateCompare == TDateCompare::NotBetween;
    c.DateLow = k.DatePicker1 - tolerance;
    c.DateHigh = (second ? k.DatePicker2 : k.DatePicker1) + tolerance;
  }
  if (k.ByDateCheck && k.TimeCombo1 != TTimeField::None) {
    something = true;
    c.TimeField = k.TimeCombo1;
    c.TimeCompare = k.TimeCombo2;
    int32_t tolerance = k.TimeAllowTollerance ? std::clamp(k.TimeTollerance, 0, 999) * 60 : 0;
    bool second = c.TimeCompare == TTimeCompare::Between ||
                  c.TimeCompare == TTimeCompare::NotBetween;
    c.TimeLow = k.TimePicker1 - tolerance;
    c.TimeHigh = (second ? k.TimePicker2 : k.TimePicker1) + tolerance;
  }

  c.DescriptionOnly = descMarked && !something;
  c.SomethingToSearch = something || descMarked;
  return c;
}

// ---- items -------------------------------------------------------------------------------

TItemView ViewOf(const TItemRec* rec) {
  TItemView v;
  v.InArchive = HasFlag(rec, InArchive);
  if (KindOf(rec) == ikFile) {
    auto* f = static_cast<const TFileRec*>(rec);
    v.Name = f->Name();
    v.Attributes = f->Attributes;
    v.CreatedTime = f->CreatedTime;
    v.ModifiedTime = f->ModifiedTime;
    v.AccessedTime = f->AccessedTime;
    v.Size = f->Size;
    v.Description = f->Description.View();
    v.CategoryFlags = f->CategoryFlags;
  } else {
    auto* d = static_cast<const TFolderRec*>(rec);
    v.Folder = true;
    if (d->Node) v.Name = d->Node->Caption;
    v.Attributes = d->Attributes;
    v.CreatedTime = d->CreatedTime;
    v.ModifiedTime = d->ModifiedTime;
    v.AccessedTime = d->AccessedTime;
    v.Size = uint64_t(std::max<int64_t>(0, d->TotalSize / SizeScale));
    v.Description = d->Description.View();
    v.CategoryFlags = d->CategoryFlags;
  }
  return v;
}

TCategoryFilter MakeCategoryFilter(const TSearchCriteria& criteria, const TCatalogRec& catalog) {
  TCategoryFilter f;
  auto checked = [](const std::vector<std::string>& names, std::string_view name) {
    return std::find(names.begin(), names.end(), name) != names.end();
  };
  // The first category with an ID decides, as a look-up by ID finds it.
  uint32_t seen = 0;
  for (const TCategory& cat : catalog.Categories) {
    if (cat.Id < 1 || cat.Id > 31) continue;
    uint32_t bit = 1u << cat.Id;
    if (seen & bit) continue;
    seen |= bit;
    if (checked(criteria.Categories, cat.Name)) f.CategoryIds |= bit;
  }
  static constexpr uint8_t flagBits[3] = {UserFlag1, UserFlag2, UserFlag3};
  for (int i = 0; i < 3; ++i) {
    std::string_view name = catalog.FlagNames[std::size_t(i)].View();
    if (!name.empty() && checked(criteria.Flags, name)) f.FlagBits |= flagBits[i];
  }
  return f;
}

namespace {

// The extension with its dot ("." for a name ending in a dot); empty when the name has none.
std::string_view ExtensionWithDot(std::string_view name) {
  for (std::size_t i = name.size(); i-- > 0;) {
    char c = name[i];
    if (c == '.') return name.substr(i);
    if (c == '\\' || c == ':') return {};
  }
  return {};
}

bool InRange(int64_t v, int64_t low, int64_t high) { return low <= v && v <= high; }

}  // namespace

bool NameTest(const TSearchCriteria& c, std::string_view name) {
  switch (c.NameMode) {
    case TNameMode::Exact: return (c.NameCase ? std::string(name) : UpperCase(name)) == c.NamePattern;
    case TNameMode::Part:
      return (c.NameCase ? std::string(name) : UpperCase(name)).find(c.NamePattern) !=
             std::string::npos;
    case TNameMode::Mask: return WildcardMatch(name, c.NamePattern);
    case TNameMode::Extension:
    case TNameMode::FileType: {
      std::string key(ExtensionWithDot(name));
      key += ExtSeparator;
      if (!c.NameCase) key = UpperCase(key);
      return key.size() > 1 && c.NamePattern.find(key) != std::string::npos;
    }
  }
  return false;
}

int ApplyTest(TMatchTest test, const TSearchCriteria& c, const TCategoryFilter& categories,
              const TItemView& item) {
  switch (test) {
    case TMatchTest::AttrArchive:
    case TMatchTest::AttrHidden:
    case TMatchTest::AttrSystem:
    case TMatchTest::AttrReadOnly: {
      auto i = std::size_t(test);
      if (!c.ByName || c.Attributes[i] == TAttrState::Any) return -1;
      bool set = (item.Attributes & AttrBits[i]) != 0;
      return set == (c.Attributes[i] == TAttrState::Set);
    }
    case TMatchTest::Name: return c.ByName ? NameTest(c, item.Name) : -1;
    case TMatchTest::Description:
      if (!c.ByDesc) return -1;
      switch (c.DescMode) {
        case TDescMode::Any: return !item.Description.empty();
        case TDescMode::None: return item.Description.empty();
        case TDescMode::Text:
          return !item.Description.empty() &&
                 NormalizeDescription(item.Description, c.DescCase).find(c.DescText) !=
                     std::string::npos;
      }
      return -1;
    case TMatchTest::Category: {
      if (!c.ByCategory) return -1;
      uint8_t cf = item.CategoryFlags;
      return cf != 0 && (((categories.CategoryIds >> (cf & CategoryMask)) & 1) != 0 ||
                         (cf & categories.FlagBits) != 0);
    }
    case TMatchTest::Size: {
      if (!c.BySize) return -1;
      int64_t size = int64_t(item.Size);
      switch (c.SizeCompare) {
        case TSizeCompare::SmallerThan: return size < int64_t(c.SizeHigh);
        case TSizeCompare::LargerThan: return size > int64_t(c.SizeLow);
        case TSizeCompare::EqualTo:
        case TSizeCompare::Between: return InRange(size, c.SizeLow, c.SizeHigh);
        case TSizeCompare::NotBetween: return !InRange(size, c.SizeLow, c.SizeHigh);
        case TSizeCompare::None: break;
      }
      return -1;
    }
    case TMatchTest::Date: {
      // Archive entries keep no creation or access date of their own.
      if (c.DateField == TDateField::None ||
          (item.InArchive && c.DateField != TDateField::Modified))
        return -1;
      uint32_t stamp = c.DateField == TDateField::Created    ? item.CreatedTime
                       : c.DateField == TDateField::Modified ? item.ModifiedTime
                                                             : item.AccessedTime;
      int32_t day = 0, seconds = 0;
      // A stamp that is no date and time (0: unknown) is neither before nor after any day.
      if (!DosDay(stamp, day) || !DosSecondOfDay(stamp, seconds)) return 0;
      switch (c.DateCompare) {
        case TDateCompare::On:
        case TDateCompare::Between: return InRange(day, c.DateLow, c.DateHigh);
        case TDateCompare::Before: return day < c.DateHigh;
        case TDateCompare::After: return day > c.DateLow;
        case TDateCompare::NotBetween: return !InRange(day, c.DateLow, c.DateHigh);
      }
      return -1;
    }
    case TMatchTest::Time: {
      if (c.TimeField == TTimeField::None ||
          (item.InArchive && c.TimeField == TTimeField::Created))
        return -1;
      uint32_t stamp = c.TimeField == TTimeField::Created ? item.CreatedTime : item.ModifiedTime;
      int32_t day = 0, seconds = 0;
      if (!DosDay(stamp, day) || !DosSecondOfDay(stamp, seconds)) return 0;
      switch (c.TimeCompare) {
        case TTimeCompare::At:
        case TTimeCompare::Between: return InRange(seconds, c.TimeLow, c.TimeHigh);
        case TTimeCompare::Before: return seconds < c.TimeHigh;
        case TTimeCompare::After: return seconds > c.TimeLow;
        case TTimeCompare::NotBetween: return !InRange(seconds, c.TimeLow, c.TimeHigh);
      }
      return -1;
    }
  }
  return -1;
}

TMatchTally MatchTally(const TSearchCriteria& c, const TCategoryFilter& categories,
                       const TItemView& item) {
  TMatchTally t;
  for (int i = 0; i < MatchTestCount; ++i) {
    int r = ApplyTest(TMatchTest(i), c, categories, item);
    if (r == 1) ++t.Passed;
    else if (r == 0) ++t.Failed;
  }
  return t;
}

bool MatchItem(const TSearchCriteria& criteria, const TCategoryFilter& categories,
               const TItemView& item) {
  TMatchTally t = MatchTally(criteria, categories, item);
  return criteria.Mode == TMatchMode::AtLeastOne ? t.Passed > 0 : t.Failed == 0;
}

}  // namespace tf
