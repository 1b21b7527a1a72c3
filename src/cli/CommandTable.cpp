#include "cli/CommandTable.h"

#include "cli/DemoSeedCommand.h"
#include "cli/InitCommand.h"

namespace {

void RegisterBuiltins(CCommandTable& table) {
    table.Add({"init", "init ROOT", "create an Engine root (directories, configuration, registry values)",
               [] { return std::make_unique<CInitCommand>(); }});
    table.Add({"demo-seed", "demo-seed --tcp-port N --http-port N",
               "add demo folders and checks against this computer (only to a configuration without checks)",
               [] { return std::make_unique<CDemoSeedCommand>(); }});
}

} // namespace

void CCommandTable::Add(Entry entry) { m_entries.push_back(std::move(entry)); }

const CCommandTable::Entry* CCommandTable::Find(const std::string& name) const {
    for (const Entry& e : m_entries)
        if (e.Name == name)
            return &e;
    return nullptr;
}

void CCommandTable::PrintUsage(std::ostream& out) const {
    out << "usage: sentrelle COMMAND [ARGUMENTS]\n\ncommands:\n";
    for (const Entry& e : m_entries)
        out << "  " << e.Usage << "\n      " << e.Summary << "\n";
}

int CCommandTable::Dispatch(int argc, const char* const* argv, std::ostream& out, std::ostream& err) const {
    if (argc < 2) {
        PrintUsage(err);
        return CCliCommand::kUsage;
    }
    const std::string name = argv[1];
    if (name == "help" || name == "-h" || name == "--help") {
        PrintUsage(out);
        return CCliCommand::kSuccess;
    }
    const Entry* entry = Find(name);
    if (!entry) {
        err << "sentrelle: unknown command '" << name << "'\n";
        PrintUsage(err);
        return CCliCommand::kUsage;
    }
    std::vector<std::string> args(argv + 2, argv + argc);
    return entry->Make()->Run(args, out, err);
}

CCommandTable CCommandTable::Builtins() {
    CCommandTable table;
    RegisterBuiltins(table);
    return table;
}
