#pragma once
// An Engine root on disk: the directory layout, the template configuration, the
// configuration itself and the registry values that point at the root.
//
//   ROOT/Configuration/Config.mdb        configuration database
//   ROOT/Sys/Tpl/Config/Config.mdb       template for new and incompatible configurations
//   ROOT/Sys/{Res,Ctrl,Act,Not,tmp,Roles,Run}  (Roles/roles.ini: the default server roles)
//   ROOT/Logs/  ROOT/Saved Configurations/  ROOT/Program/  ROOT/Program.NET/
//   ROOT/Program/QvRgDll.so, ROOT/Program.NET/sentrelle-graph (links to the history module
//   and the graph program shipped beside the program that initialises)
//   ROOT/scripts/monitor (vbs)/  ROOT/scripts/monitor (ps1)/  (with the stock scripts)
#include "library/QvcString.h"

class CSnInstallation {
public:
    // Creates what is missing of the layout, writes a fresh template, copies it to the
    // configuration unless one exists, and writes Engine0Root (the absolute root with a
    // trailing separator) and, when missing, an empty Engine0 into the machine hive.
    // Running it again keeps the configuration.  0, or non-zero with `message` saying what
    // failed.
    static long Initialize(const CQvcString& root, CQvcString& message);
    // The absolute form of a root as Initialize writes it (with a trailing separator).
    static CQvcString RootPath(const CQvcString& root);
};
