#pragma once
// An import of the monitor checks alone: after the whole configuration was replaced, the
// program's own settings (mail and pager servers, logging, reports, traps, options) are
// put back from the backup of the replaced configuration, so that they stay as they were.
// The checks keep what they refer to (the tree, message templates, distribution groups,
// server credentials) from the import.
#include "library/QvcString.h"

class CSnCfg;

// Copies the program's settings of the configuration database `from` into the store's
// configuration in one transaction and tells the engine and other Managers.  0; 25506
// without a configuration file; 25004 when `from` is no configuration database; or the
// failing table's update code.
long RestoreProgramSettings(CSnCfg& store, const CQvcString& from);
