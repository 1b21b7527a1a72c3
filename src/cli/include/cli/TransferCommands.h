#pragma once
// sentrelle export [--format json|database] FILE [--root DIR]
//   Writes the configuration to FILE: as a JSON text for version control (the default for
//   a name ending in ".json", or with --format json), else as a copy of the database.
// sentrelle import FILE [--root DIR]
//   Replaces the configuration with FILE (a JSON text export, or a configuration
//   database).  The current configuration is first saved under "Saved Configurations"
//   with the import's backup name; a JSON text is checked whole before anything changes,
//   and the first problem is printed with its place in the file.  The running engine and
//   Managers pick the new configuration up; the old results are dropped.
// Exit code: 0 done, 1 failed (nothing changed), 2 wrong usage.
#include "cli/CliCommand.h"

class CExportCommand final : public CCliCommand {
public:
    int Run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) override;
};

class CImportCommand final : public CCliCommand {
public:
    int Run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) override;
};
