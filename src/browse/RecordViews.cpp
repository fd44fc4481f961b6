#include "browse/RecordViews.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QLabel>
#include <QListView>
#include <QStackedWidget>
#include <QStatusBar>
#include <QToolBar>

#include "browse/Icons.h"
#include "browse/ItemText.h"
#include "browse/Main.h"

namespace tf {

void AddToolAction(QToolBar* bar, QAction*& action, const char* name, const char* text,
                   TToolGlyph glyph, std::function<void()> handler) {
  action = new QAction(ToolIcon(glyph), QLatin1String(text), bar);
  action->setObjectName(QLatin1String(name));
  QObject::connect(action, &QAction::triggered, bar, std::move(handler));
  bar->addAction(action);
  bar->widgetForAction(action)->setObjectName(QLatin1String(name));
}

void AddViewButtons(QToolBar* bar, const TViewButtons& buttons,
                    const std::function<void(int style)>& setStyle) {
  auto* group = new QActionGroup(bar);
  struct TView {
    QAction*& Action;
    const char* Name;
    const char* Text;
    TToolGlyph Glyph;
    int Style;
  } views[] = {
      {buttons.LargeIcons, "BtnLargeIcons", "Large Icons", TToolGlyph::LargeIcons, ViewLargeIcons},
      {buttons.List, "BtnList", "List", TToolGlyph::List, ViewList},
      {buttons.SmallIcons, "BtnSmallIcons", "Small Icons", TToolGlyph::SmallIcons, ViewSmallIcons},
      {buttons.Details, "BtnDetails", "Details", TToolGlyph::Details, ViewDetails}};
  for (TView& v : views) {
    int style = v.Style;
    AddToolAction(bar, v.Action, v.Name, v.Text, v.Glyph, [setStyle, style] { setStyle(style); });
    v.Action->setCheckable(true);
    group->addAction(v.Action);
  }
  buttons.Details->setChecked(true);
}

void ShowViewStyle(int style, QStackedWidget* stack, QWidget* details, QListView* icons,
                   const TViewButtons& buttons) {
  if (style == ViewDetails) {
    stack->setCurrentWidget(details);
  } else {
    bool large = style == ViewLargeIcons;
    icons->setViewMode(large ? QListView::IconMode : QListView::ListMode);
    icons->setIconSize(large ? QSize(32, 32) : QSize(16, 16));
    icons->setWordWrap(large);
    icons->setFlow(style == ViewList ? QListView::TopToBottom : QListView::LeftToRight);
    icons->setGridSize(large ? QSize(108, 76) : QSize(style == ViewList ? 244 : 204, 24));
    icons->setWrapping(true);
    stack->setCurrentWidget(icons);
  }
  QAction* checked[] = {buttons.LargeIcons, buttons.SmallIcons, buttons.List, buttons.Details};
  checked[style]->setChecked(true);
}

QLabel* AddStatusPanel(QStatusBar* bar, const char* name) {
  auto* l = new QLabel(bar);
  l->setObjectName(QLatin1String(name));
  l->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
  l->setTextFormat(Qt::PlainText);
  l->setMinimumWidth(0);
  bar->addWidget(l);
  return l;
}

void ShowItemStatus(QLabel* item, QLabel* selection, const QString& focusedName,
                    TItemRec* focused, const std::vector<TItemRec*>& selected) {
  if (focused)
    item->setText(QString::fromStdString(ItemInfoText(focusedName.toStdString(), focused)));
  else
    item->clear();
  bool cursor = false;
  selection->setText(QString::fromStdString(SelectionSummary(selected, [&cursor] {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    cursor = true;
  })));
  if (cursor) QApplication::restoreOverrideCursor();
}

}  // namespace tf
