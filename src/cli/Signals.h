#pragma once
// The signals that ask tallowfen-cli to stop (Ctrl+C, SIGTERM, SIGHUP) while it works on a
// catalog: a scan stops between two entries, a wait for the catalog's lock ends, and a save
// always runs to its end first. The program then ends by that signal, as if it had not
// handled it, so that the caller sees the usual status (130 for Ctrl+C in a shell).

#include <signal.h>

#include <string>

namespace tf {
class TCatalogLock;
class TNode;
class TProgress;
}

namespace tf::cli {

class TStopSignals {
 public:
  // Installs the handlers, without restarting system calls: a wait for a lock returns.
  TStopSignals();
  ~TStopSignals();
  TStopSignals(const TStopSignals&) = delete;
  TStopSignals& operator=(const TStopSignals&) = delete;

  // The signal received, 0 for none.
  static int Received();
  // Ends the program by sig, with the default action.
  [[noreturn]] static void EndBy(int sig);

  // Keeps the signals back while it lives (a save); they arrive when it ends.
  class THold {
   public:
    THold();
    ~THold();
    THold(const THold&) = delete;
    THold& operator=(const THold&) = delete;

   private:
    sigset_t old_;
  };

 private:
  struct sigaction old_[3];
};

// Writers of one catalog take turns: takes the catalog's lock, first saying that it waits when
// another program holds it. A lock that cannot be made (no such folder, not a file) is left
// for the reading of the catalog to report; a stop signal during the wait ends the program.
void TakeCatalogInTurn(TCatalogLock& lock);
// Saves the catalog to path while stop signals wait, then gives the lock back; a signal that
// came meanwhile ends the program now. ExitOk, or the failure's status after its message.
int SaveCatalogInTurn(TNode* catalog, const std::string& path, TProgress& progress,
                      TCatalogLock& lock);

}  // namespace tf::cli
