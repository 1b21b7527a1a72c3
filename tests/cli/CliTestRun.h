#pragma once
// Runs the command-line tool in the test process: argv as the program gets it, the
// outputs captured.
#include "cli/CommandTable.h"
#include "model/store/SnCfg.h"

#include <sstream>
#include <string>
#include <vector>

struct CliOutcome {
    int Code;
    std::string Out, Err;
};

// `args` are the arguments after the program name.
inline CliOutcome RunCli(std::vector<std::string> args) {
    args.insert(args.begin(), "sentrelle");
    std::vector<const char*> argv;
    for (const std::string& a : args)
        argv.push_back(a.c_str());
    std::ostringstream out, err;
    const int code = CCommandTable::Builtins().Dispatch(static_cast<int>(argv.size()), argv.data(), out, err);
    return {code, out.str(), err.str()};
}

// A folder below the root, made through the store; its ID (0 when that failed).
inline long AddFolder(const char* name) {
    CSnCfg store;
    CSnNode* root = nullptr;
    CSnNode* folder = nullptr;
    if (store.Open() != 0 || store.LoadAllNodes(root) != 0 || store.NewFolderRecord(folder) != 0)
        return 0;
    folder->Cfg.Name = name;
    store.WriteNode(folder, false, false);
    return store.AppendToTree(root, root, {folder}).Code == 0 ? folder->Id() : 0;
}
