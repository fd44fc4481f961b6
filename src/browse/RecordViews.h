#pragma once
// What the windows that list records beside the main window share (the user list, the search
// results): the buttons of their tool bar and the switch between the details list and the
// icon views.

#include <functional>
#include <vector>

class QAction;
class QLabel;
class QListView;
class QStatusBar;
class QString;
class QStackedWidget;
class QToolBar;
class QWidget;

namespace tf {

enum class TToolGlyph;
struct TItemRec;

// A tool bar button. The action and its tool button carry the same object name, so that tests
// and the settings find them.
void AddToolAction(QToolBar* bar, QAction*& action, const char* name, const char* text,
                   TToolGlyph glyph, std::function<void()> handler);

// The view buttons of a record list.
struct TViewButtons {
  QAction*& LargeIcons;
  QAction*& List;
  QAction*& SmallIcons;
  QAction*& Details;
};
// "Large Icons", "List", "Small Icons", "Details": checkable, one of them checked at a time,
// Details first; setStyle gets the view style (TViewStyle) of the button pressed.
void AddViewButtons(QToolBar* bar, const TViewButtons& buttons,
                    const std::function<void(int style)>& setStyle);
// Shows a view style: the details view, or the icon view in the style's mode, and checks the
// style's button.
void ShowViewStyle(int style, QStackedWidget* stack, QWidget* details, QListView* icons,
                   const TViewButtons& buttons);

// A panel of a record list's status bar: sunken, plain text, named.
QLabel* AddStatusPanel(QStatusBar* bar, const char* name);
// The item and selection panels: the focused record's info under the name the list shows, and
// the summary of the selected records (a wait cursor while a long selection is summed).
void ShowItemStatus(QLabel* item, QLabel* selection, const QString& focusedName,
                    TItemRec* focused, const std::vector<TItemRec*>& selected);

}  // namespace tf
