#pragma once
// sentrelle list [--root DIR]
//
// The folder tree of the configuration with every check and its last result, one line
// per node, indented two blanks per level:
//   <name> (folder <ID>)
//   <ID> | <name> | <type> | <host> | <frequency> | <status> | <data> | <response>
// Type, frequency and status are the texts of the Manager's check list (CheckTypeText,
// CheckListTexts.h); the result is the engine's last one (a check it has not run shows
// status "n/a").
#include "cli/CliCommand.h"

#include <cstdint>

class CSnNode;
class CSnDateTimeSettings;

class CListCommand final : public CCliCommand {
public:
    int Run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) override;

private:
    // One node's line, indented by its depth.
    void Print(const CSnNode& node, int depth, const CSnDateTimeSettings& formats, std::int64_t now,
               std::ostream& out) const;
};
