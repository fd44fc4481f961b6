#pragma once
// Readable failure messages for the settings values (GoogleTest finds them by argument lookup).

#include <ostream>

#include "settings/Options.h"

namespace tf {

inline void PrintTo(const TOptions& o, std::ostream* os) {
  const TBitFields bits = PackBitFields(o);
  *os << std::hex << "{Settings 0x" << bits.Settings << ", AdvSettings 0x" << bits.AdvSettings
      << std::dec << ", DescWaitBar " << o.DescWaitBar << ", AutoSaveEdit " << o.AutoSaveEdit
      << ", double-click " << int(o.FileDoubleClickCombo) << ", fonts [";
  for (const TFontSlot& s : o.Fonts)
    *os << (s.UseCustom ? "*" : "") << s.Custom.Name << ' ' << s.Custom.Height << "; ";
  *os << "], Autoload \"" << JoinCommaText(o.AutoloadList) << "\", DescFiles \""
      << JoinCommaText(o.DescList) << "\"}";
}

inline void PrintTo(const TWindowPos& p, std::ostream* os) {
  *os << '{' << p.Left << ',' << p.Top << ' ' << p.Width << 'x' << p.Height << " tree "
      << p.TreeWidth << " view " << int(p.ViewStyle) << " sort " << int(p.DiskSortKey) << '/'
      << int(p.FileSortKey) << (p.ReverseOrder ? " reversed" : "") << '}';
}

inline void PrintTo(const TBitFields& b, std::ostream* os) {
  *os << std::hex << "{0x" << b.Settings << ", 0x" << b.AdvSettings << '}' << std::dec;
}

}  // namespace tf
