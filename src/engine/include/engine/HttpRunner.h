#pragma once
// CHttpRunner: HTTP/HTTPs (33): one GET through libcurl, judged by its status code and optionally
// by the page's content.
#include "engine/CheckRunner.h"

class CHttpRunner final : public ICheckRunner {
public:
    CheckOutcome Run(const CSnNodeCfg& check, const RunContext& context) override;
};
