#pragma once
// The node record: how a node's configuration travels as the numbered properties of a
// record object (SnRecordProperties.h, namespace snnode).
//
// - Notes: CR LF is stored as "||" and "||" comes back as CR LF.
// - Property 17: the Enabled flags of the twelve notification entries as
//   "%d9%d9...%d" (entry 0 first); entry k is set when character 2k is "1".
// - Property 32: seven flags "%d%d%d%d%d%d%d" (run on failure: executable, script; run on
//   success: executable, script; reboot; restart services; restart credentials).
// - Property 40: the uncertain mapping, written in the precedence use-global (0), as
//   error (2), as success (3), else none (1).
// - The recipients of the two SNMP trap entries (8 and 9) are never stored.
// Flag texts are padded with blanks before reading, so short texts read as "not set".
#include "model/store/QvcVariant.h"

class CSnNode;

class CSnNodeRecord {
public:
    // Every property except the ID (which only the component assigns).
    static void Encode(const CSnNode& node, CSnRecord& record);
    // Every property of the table, or with `summaryOnly` only the summary properties, in
    // the order the store reads them.  Absent properties read as 0 or empty.
    static void Decode(const CSnRecord& record, CSnNode& node, bool summaryOnly);
};
