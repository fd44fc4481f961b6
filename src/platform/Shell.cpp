#include "platform/Shell.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <string>

namespace tf {

namespace {

// The first line a command prints, or empty when it cannot run.
std::string FirstLineOf(const std::vector<std::string>& argv) {
  int pipeFds[2];
  if (::pipe2(pipeFds, O_CLOEXEC) != 0) return {};
  pid_t pid = ::fork();
  if (pid < 0) {
    ::close(pipeFds[0]);
    ::close(pipeFds[1]);
    return {};
  }
  if (pid == 0) {
    ::dup2(pipeFds[1], 1);
    int null = ::open("/dev/null", O_WRONLY);
    if (null >= 0) ::dup2(null, 2);
    std::vector<char*> args;
    for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    ::execvp(args[0], args.data());
    ::_exit(127);
  }
  ::close(pipeFds[1]);
  std::string out;
  char buf[512];
  ssize_t n;
  while ((n = ::read(pipeFds[0], buf, sizeof buf)) > 0) out.append(buf, std::size_t(n));
  ::close(pipeFds[0]);
  int status = 0;
  ::waitpid(pid, &status, 0);
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) return {};
  std::size_t eol = out.find('\n');
  return out.substr(0, eol);
}

// Starts a program detached from this one (it outlives the catalog browser).
TShellResult StartDetached(const std::vector<std::string>& argv, const std::string& workingFolder) {
  int errPipe[2];
  if (::pipe2(errPipe, O_CLOEXEC) != 0) return TShellResult::OutOfMemory;
  pid_t pid = ::fork();
  if (pid < 0) {
    ::close(errPipe[0]);
    ::close(errPipe[1]);
    return TShellResult::OutOfMemory;
  }
  if (pid == 0) {
    // A second fork, so that the program is not our child and needs no reaping.
    if (::fork() != 0) ::_exit(0);
    ::setsid();
    if (!workingFolder.empty() && ::chdir(workingFolder.c_str()) != 0) {
      // The folder is only a convenience for the program; start it anyway.
    }
    int null = ::open("/dev/null", O_RDWR);
    if (null >= 0) {
      ::dup2(null, 0);
      ::dup2(null, 1);
      ::dup2(null, 2);
    }
    std::vector<char*> args;
    for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    ::execvp(args[0], args.data());
    int error = errno;
    ssize_t written = ::write(errPipe[1], &error, sizeof error);
    (void)written;
    ::_exit(127);
  }
  ::close(errPipe[1]);
  int status = 0;
  ::waitpid(pid, &status, 0);
  int error = 0;
  ssize_t n = ::read(errPipe[0], &error, sizeof error);
  ::close(errPipe[0]);
  if (n == ssize_t(sizeof error)) {
    if (error == ENOMEM || error == EAGAIN) return TShellResult::OutOfMemory;
    if (error == ENOENT) return TShellResult::NoAssociation;  // no opener installed
    return TShellResult::Failed;
  }
  return TShellResult::Ok;
}

TShellResult CheckReadable(const std::string& path, bool folder) {
  struct stat st;
  if (::stat(path.c_str(), &st) != 0)
    return errno == EACCES ? TShellResult::AccessDenied : TShellResult::NotFound;
  if (folder != S_ISDIR(st.st_mode)) return TShellResult::NotFound;
  if (::access(path.c_str(), folder ? (R_OK | X_OK) : R_OK) != 0) return TShellResult::AccessDenied;
  return TShellResult::Ok;
}

}  // namespace

TShellResult TLinuxShell::OpenFile(const std::string& hostPath, const std::string& workingFolder) {
  if (TShellResult r = CheckReadable(hostPath, false); r != TShellResult::Ok) return r;
  // A file the desktop has no program for: say so rather than let xdg-open fail silently.
  // An executable file runs itself.
  if (::access(hostPath.c_str(), X_OK) != 0) {
    std::string type = FirstLineOf({"xdg-mime", "query", "filetype", hostPath});
    if (!type.empty() && FirstLineOf({"xdg-mime", "query", "default", type}).empty())
      return TShellResult::NoAssociation;
  }
  return StartDetached({"xdg-open", hostPath}, workingFolder);
}

TShellResult TLinuxShell::OpenFolder(const std::string& hostFolder) {
  if (TShellResult r = CheckReadable(hostFolder, true); r != TShellResult::Ok) return r;
  return StartDetached({"xdg-open", hostFolder}, hostFolder);
}

}  // namespace tf
