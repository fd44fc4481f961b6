#pragma once
// What the search window's two source files share: SearchForm.cpp builds the window and its
// pages, SearchFormCommands.cpp answers the user and the search run.

#include <string>

#include <QColor>
#include <QPixmap>
#include <QString>

#include "search/SearchForm.h"

namespace tf::searchform {

inline QString Q(const std::string& s) { return QString::fromStdString(s); }

struct TColumn {
  const char* Title;
  bool Right;
  int Width;
  int Key;  // the sort key (and item text code) of the column
};
inline constexpr TColumn Columns[FoundColumnCount] = {
    {"File or Folder", false, 200, 0}, {"Ext", false, 46, 1},         {"File Size", true, 84, 2},
    {"File Date", true, 76, 3},        {"File Time", true, 66, 4},    {"Media Name", false, 120, 7},
    {"Media Type", false, 100, 8},     {"Location", false, 220, 9}};

// Data roles of the scope tree's nodes.
inline constexpr int NodeRole = Qt::UserRole;
inline constexpr int StateRole = Qt::UserRole + 1;
inline constexpr int StateImageWidth = 16;
inline constexpr int ScopeIconGap = 4;

inline bool SecondShown(int comparison, int between, int notBetween) {
  return comparison == between || comparison == notBetween;
}

// The state images of the scope tree: 1 unchecked, 2 checked, 3 partly checked.
QPixmap StatePixmap(int state, const QColor& base);

}  // namespace tf::searchform
