#pragma once
// sentrelle history ID [--since WHEN] [--until WHEN] [--changes] [--format text|csv] [--root DIR]
//
// The history of one check from the statistics database, newest first: every result
// kept (or only the status changes), from --since (inclusive) to --until (exclusive),
// WHEN being "YYYY-MM-DD[ HH:MM]" in local time or "-7d", "-24h", "-30m".  Text: one line
// per entry, "<time> | <status> | <change> | <data> | <ms> ms | <response>"; CSV: a
// header line and one row per entry, fields quoted where needed.
#include "cli/CliCommand.h"

class CHistoryCommand final : public CCliCommand {
public:
    int Run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) override;
};
