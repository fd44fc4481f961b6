#include <CLI/CLI.hpp>
#include <iostream>
#include <new>

#include "cli/Commands.h"
#include "store/ReadAhead.h"

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
  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    int rc = app.exit(e);
    return rc == 0 ? tf::cli::ExitOk : tf::cli::ExitUsage;
  }
  if (!action) return tf::cli::ExitUsage;
  try {
    return action();
  } catch (const std::bad_alloc&) {
    // A catalog can hold more than memory takes: an error to report, never an abort.
    std::cerr << tf::MsgOutOfMemory << '\n';
    return tf::cli::ExitFailed;
  }
}
