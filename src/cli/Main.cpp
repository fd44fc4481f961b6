#include <CLI/CLI.hpp>
#include <new>

#include "cli/Commands.h"
#include "cli/Output.h"
#include "store/ReadAhead.h"

namespace {

// The status a command ends with: a failed write of its own output (help and version
// included) turns success into failure.
int Finish(int status) {
  if (auto reason = tf::cli::OutputFailure()) {
    tf::cli::PrintMessage(tf::cli::OutputFailureText(*reason));
    return tf::cli::ExitFailed;
  }
  return status;
}

}  // namespace

int main(int argc, char** argv) {
  CLI::App app{"Tallowfen disk cataloguer: catalog files from the command line",
               "tallowfen-cli"};
  app.set_version_flag("--version", std::string("tallowfen-cli ") + TALLOWFEN_VERSION);
  app.require_subcommand(1);
  tf::cli::TAction action;
  tf::cli::AddDumpCommand(app, action);
  tf::cli::AddDrivesCommand(app, action);
  tf::cli::AddListArchiveCommand(app, action);
  tf::cli::AddScanCommand(app, action);
  tf::cli::AddUpdateCommand(app, action);
  tf::cli::AddCategoriesCommand(app, action);
  tf::cli::AddSetCategoryCommand(app, action);
  tf::cli::AddReportCommand(app, action);
  tf::cli::AddImportCommand(app, action);
  tf::cli::AddSearchCommand(app, action);
  tf::cli::AddDupesCommand(app, action);
  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    int rc = app.exit(e);
    return Finish(rc == 0 ? tf::cli::ExitOk : tf::cli::ExitUsage);
  }
  if (!action) return Finish(tf::cli::ExitUsage);
  try {
    return Finish(action());
  } catch (const std::bad_alloc&) {
    // A catalog can hold more than memory takes: an error to report, never an abort.
    tf::cli::PrintMessage(tf::MsgOutOfMemory);
    return tf::cli::ExitFailed;
  }
}
