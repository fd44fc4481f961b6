// Preloaded into tallowfen-cli by tests (LD_PRELOAD): when the program renames a file onto a
// catalog (a name ending in .ctf), the signal named by TF_TEST_SIGNAL_AT_RENAME is raised in
// the process just before the rename, as if it had arrived at the last moment of a save.
// Built without sanitizers: it only forwards to the C library.

#include <dlfcn.h>
#include <signal.h>

#include <cstdlib>
#include <cstring>

extern "C" int rename(const char* from, const char* to) {
  using TRename = int (*)(const char*, const char*);
  static auto real = reinterpret_cast<TRename>(::dlsym(RTLD_NEXT, "rename"));
  const char* sig = std::getenv("TF_TEST_SIGNAL_AT_RENAME");
  std::size_t n = std::strlen(to);
  if (sig && n >= 4 && std::strcmp(to + n - 4, ".ctf") == 0) ::raise(std::atoi(sig));
  return real(from, to);
}
