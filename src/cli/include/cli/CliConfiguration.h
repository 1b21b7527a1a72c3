#pragma once
// The configuration as the commands that read or change checks open it: the store on
// the Engine root given with --root, or on the installation the registry names
// (Engine0Root), validated, with the tree loaded in summary mode as the Manager does.
#include "model/store/SnCfg.h"

#include <ostream>
#include <string>

// Opens `store` and loads the tree into `tree`.  On failure writes "sentrelle <command>:
// " and the reason to `err` and returns false.
bool LoadConfiguration(CSnCfg& store, const std::string& root, CSnNode*& tree, const char* command,
                       std::ostream& err);
