#pragma once
// Sub-commands of tallowfen-cli. Each Add...Command declares its sub-command and sets action
// when the sub-command is chosen; main runs the action after parsing.
//
// Exit status: 0 success, 1 usage error, 2 the work failed (message on stderr).

#include <functional>

namespace CLI {
class App;
}

namespace tf::cli {

using TAction = std::function<int()>;

inline constexpr int ExitOk = 0;
inline constexpr int ExitUsage = 1;
inline constexpr int ExitFailed = 2;

void AddDumpCommand(CLI::App& app, TAction& action);
void AddDrivesCommand(CLI::App& app, TAction& action);
void AddListArchiveCommand(CLI::App& app, TAction& action);
void AddScanCommand(CLI::App& app, TAction& action);
void AddUpdateCommand(CLI::App& app, TAction& action);
void AddCategoriesCommand(CLI::App& app, TAction& action);
void AddSetCategoryCommand(CLI::App& app, TAction& action);
void AddReportCommand(CLI::App& app, TAction& action);
void AddImportCommand(CLI::App& app, TAction& action);
void AddSearchCommand(CLI::App& app, TAction& action);
void AddDupesCommand(CLI::App& app, TAction& action);

}  // namespace tf::cli
