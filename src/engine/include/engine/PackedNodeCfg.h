#pragma once
// A check's configuration packed into one byte string: only the fields that differ from a
// new node's, each as its index and value.  The engine keeps every check this way (a few
// hundred bytes instead of the several kilobytes of a CSnNodeCfg with its forty texts)
// and unpacks a check's configuration only while it works with it.  Two configurations
// are equal exactly when their packed forms are.
#include "model/tree/SnNodeCfg.h"

#include <string>
#include <string_view>

std::string PackNodeCfg(const CSnNodeCfg& cfg);
// The configuration packed by PackNodeCfg, without tree links.  Unknown or cut-off
// input ends the reading: what was read so far is kept.
CSnNodeCfg UnpackNodeCfg(std::string_view packed);
