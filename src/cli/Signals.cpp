#include "cli/Signals.h"

#include <unistd.h>

#include <csignal>
#include <exception>

#include "cli/Commands.h"
#include "cli/Output.h"
#include "store/CatalogFiles.h"
#include "store/LoadSave.h"

namespace tf::cli {

namespace {

constexpr int Stops[3] = {SIGINT, SIGTERM, SIGHUP};
volatile sig_atomic_t received = 0;

extern "C" void OnStop(int sig) {
  if (!received) received = sig;
}

sigset_t StopSet() {
  sigset_t set;
  sigemptyset(&set);
  for (int sig : Stops) sigaddset(&set, sig);
  return set;
}

}  // namespace

TStopSignals::TStopSignals() {
  received = 0;
  struct sigaction sa {};
  sa.sa_handler = OnStop;
  sigemptyset(&sa.sa_mask);
  sa.sa_flags = 0;
  for (int i = 0; i < 3; ++i) ::sigaction(Stops[i], &sa, &old_[i]);
}

TStopSignals::~TStopSignals() {
  for (int i = 0; i < 3; ++i) ::sigaction(Stops[i], &old_[i], nullptr);
}

int TStopSignals::Received() { return received; }

void TStopSignals::EndBy(int sig) {
  std::signal(sig, SIG_DFL);
  sigset_t set;
  sigemptyset(&set);
  sigaddset(&set, sig);
  ::sigprocmask(SIG_UNBLOCK, &set, nullptr);
  ::raise(sig);
  ::_exit(128 + sig);  // the signal was ignored by default: the shell's status all the same
}

TStopSignals::THold::THold() {
  sigset_t set = StopSet();
  ::sigprocmask(SIG_BLOCK, &set, &old_);
}

TStopSignals::THold::~THold() { ::sigprocmask(SIG_SETMASK, &old_, nullptr); }

void TakeCatalogInTurn(TCatalogLock& lock) {
  try {
    if (!lock.Lock(false)) {
      PrintMessage("Waiting for another program to finish with " + lock.Path() + "...");
      if (int sig = TStopSignals::Received()) TStopSignals::EndBy(sig);
      lock.Lock(true);
    }
  } catch (const std::exception&) {
    if (int sig = TStopSignals::Received()) TStopSignals::EndBy(sig);
  }
}

int SaveCatalogInTurn(TNode* catalog, const std::string& path, TProgress& progress,
                      TCatalogLock& lock) {
  int status = ExitOk;
  try {
    TStopSignals::THold hold;  // the catalog is replaced whole or not at all
    WriteCatalogFile(catalog, path, progress, lock.Held() ? &lock : nullptr);
  } catch (const std::exception& e) {
    status = Fail(SaveErrorText(path, ErrorText(e)));
  }
  lock.Unlock();
  if (int sig = TStopSignals::Received()) TStopSignals::EndBy(sig);
  return status;
}

}  // namespace tf::cli
