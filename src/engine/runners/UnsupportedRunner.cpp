#include "engine/UnsupportedRunner.h"

#include "model/checks/CheckTypes.h"

CheckOutcome CUnsupportedRunner::Run(const CSnNodeCfg&, const RunContext&) {
    CQvcString text = CQvcString("Check type '") + CheckTypeName(m_type) + "'";
    // A type the catalogue does not know is named "Unknown": its number tells more.
    if (!IsKnownCheckType(m_type))
        text += CQvcString().Format(" (%d)", m_type);
    CheckOutcome outcome = CheckOutcome::Uncertain(text + " is not supported by this engine");
    outcome.DurationSecs = 0;
    return outcome;
}
