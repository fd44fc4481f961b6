// What the desktop shell backend reports before it starts anything.

#include <gtest/gtest.h>

#include "platform/Shell.h"
#include "support/TestSupport.h"

namespace tf::test {
namespace {

TEST(Shell, MissingFilesAndFoldersAreNotFound) {
  TTempDir dir;
  TLinuxShell shell;
  EXPECT_EQ(shell.OpenFile(dir.File("gone.txt"), dir.Path().string()), TShellResult::NotFound);
  EXPECT_EQ(shell.OpenFolder(dir.File("gone")), TShellResult::NotFound);
  // A folder is not a file to launch, and a file is not a folder to show.
  EXPECT_EQ(shell.OpenFile(dir.Path().string(), ""), TShellResult::NotFound);
  WriteBytes(dir.File("f.txt"), "x");
  EXPECT_EQ(shell.OpenFolder(dir.File("f.txt")), TShellResult::NotFound);
}

}  // namespace
}  // namespace tf::test
