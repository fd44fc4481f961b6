#pragma once
// The search window put together with the rest of the program: the main window's "Search for
// &Files" and "&Scan for Duplicates" open it (made on first use), the classification windows
// serve its item commands, the report generator takes its list, and the program's close
// request stops a run first.

#include <functional>

#include <QObject>

#include "store/Tree.h"

namespace tf {

class TClassifyWindows;
class TMainForm;
class TSearchForm;
class TUserPrompts;
struct TOptions;

class TSearchWindows final : public QObject {
  Q_OBJECT
  Q_DISABLE_COPY_MOVE(TSearchWindows)

 public:
  struct TServices {
    TMainForm& Main;
    TCatalogTree& Tree;
    TUserPrompts& Prompts;
    std::function<TOptions()> Options;
    TClassifyWindows* Classify = nullptr;  // null: the commands behind it are not shown
  };

  // Gives the main window its search commands.
  explicit TSearchWindows(TServices services);
  ~TSearchWindows() override;

  // The window; null until first used.
  TSearchForm* Form() const { return form_; }
  TSearchForm& EnsureForm();
  void Open(bool duplicates);
  bool Running() const;

  // Catalogs were opened or closed: the scope tree and category lists follow.
  void RebuildScope();
  void ApplySettings(const TOptions& options);

  // The first steps of the program's close request: a run is cancelled and waited for, up to
  // waits times pauseMs while messages are processed. False (with the message) when it still
  // runs: the program must not close.
  bool StopForClosing(int waits = 200, int pauseMs = 10);
  // Before the catalogs are closed at exit: the window is hidden and its lists emptied.
  void ProgramClosing();

 private:
  TServices s_;
  TSearchForm* form_ = nullptr;
};

inline constexpr char SearchInProgressTitle[] = "Search in progress";
inline constexpr char SearchInProgressText[] =
    "There is search in progress and it does not respond to cancel command.\r"
    "Please cancel the search manually and then exit the program.";

}  // namespace tf
