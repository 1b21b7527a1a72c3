#include "cli/CommandTable.h"

#include "cli/AddChecksCommand.h"
#include "cli/CheckCommand.h"
#include "cli/DemoSeedCommand.h"
#include "cli/HistoryCommand.h"
#include "cli/InitCommand.h"
#include "cli/ListCommand.h"
#include "cli/SensorCommand.h"
#include "cli/ServiceCommand.h"
#include "cli/TransferCommands.h"

namespace {

void RegisterBuiltins(CCommandTable& table) {
    table.Add({"init", "init ROOT", "create an Engine root (directories, configuration, registry values)",
               [] { return std::make_unique<CInitCommand>(); }});
    table.Add({"add-checks", "add-checks --type NAME --folder ID --hosts LIST [--name PATTERN] [--root DIR]",
               "create one check per host (\"a,b\", \"10.0.0.1-10.0.0.20\"); PATTERN may hold <HOSTS>",
               [] { return std::make_unique<CAddChecksCommand>(); }});
    table.Add({"list", "list [--root DIR]", "show the folder tree with every check and its last result",
               [] { return std::make_unique<CListCommand>(); }});
    table.Add({"history", "history ID [--since WHEN] [--until WHEN] [--changes] [--format text|csv] [--root DIR]",
               "show a check's results and status changes, newest first; WHEN: \"YYYY-MM-DD[ HH:MM]\" or \"-7d\"",
               [] { return std::make_unique<CHistoryCommand>(); }});
    table.Add({"check", "check [--repair] [--root DIR]",
               "check the configuration's tree and records; --repair fixes what needs no guess",
               [] { return std::make_unique<CCheckCommand>(); }});
    table.Add({"sensor", "sensor probe URL", "show the model, fields and probes of an environmental sensor unit",
               [] { return std::make_unique<CSensorCommand>(); }});
    table.Add({"service", "service start|stop|status [--root DIR]",
               "start, stop or show the Engine's service (its daemon)",
               [] { return std::make_unique<CServiceCommand>(); }});
    table.Add({"export", "export [--format json|database] FILE [--root DIR]",
               "write the configuration to FILE: JSON text for version control (*.json), else a database copy",
               [] { return std::make_unique<CExportCommand>(); }});
    table.Add({"import", "import FILE [--root DIR]",
               "replace the configuration with FILE (JSON text or database); the current one is saved first",
               [] { return std::make_unique<CImportCommand>(); }});
    table.Add({"demo-seed", "demo-seed --tcp-port N --http-port N [--smtp-port N] [--snmp-port N]"
               " [--ssh-port N --ssh-key FILE]",
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
