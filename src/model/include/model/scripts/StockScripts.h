#pragma once
// The scripts an installation ships in its script directories: DirectoryService.vbs with
// the two directory functions that the chooser's "LDAP" and "User/group membership"
// entries call (the engine runs these two itself), and one sample of each kind that a
// user can pick, read and copy from when writing checks of their own.
//
// Every header comment is in the form the script readers parse (description, parameters
// with "1) strHost", usage, sample), so the check dialogs list the functions, show their
// texts and fill the parameters from the sample line.
#include "library/QvcString.h"
#include "model/scripts/ScriptFiles.h"

#include <vector>

struct StockScript {
    ScriptKind Kind;
    const char* Name; // the file name in the kind's directory
    CQvcString Text;
};

const std::vector<StockScript>& StockScripts();

// Writes every stock script that is missing from its directory under `engineRoot`; a file
// already there is kept as it is (a user may have changed it).  0, or -1 with `message`
// saying which file could not be written.
int InstallStockScripts(const CQvcString& engineRoot, CQvcString& message);
