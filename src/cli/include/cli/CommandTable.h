#pragma once
// The commands of the command-line tool by name.  A new command is one class deriving
// from CCliCommand and one line in RegisterBuiltins (CommandTable.cpp).
#include "cli/CliCommand.h"

#include <functional>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

class CCommandTable {
public:
    struct Entry {
        std::string Name;    // "init"
        std::string Usage;   // "init ROOT"
        std::string Summary; // one line for the usage text
        std::function<std::unique_ptr<CCliCommand>()> Make;
    };

    void Add(Entry entry);
    const Entry* Find(const std::string& name) const;
    const std::vector<Entry>& Entries() const { return m_entries; }
    void PrintUsage(std::ostream& out) const;
    // argv[1] names the command; no command, "help", "-h" or "--help" print the usage
    // (exit 0 for a request, 2 when nothing was given); an unknown command is exit 2.
    int Dispatch(int argc, const char* const* argv, std::ostream& out, std::ostream& err) const;

    // The table with every command of the tool.
    static CCommandTable Builtins();

private:
    std::vector<Entry> m_entries;
};
