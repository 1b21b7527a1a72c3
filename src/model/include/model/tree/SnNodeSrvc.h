#pragma once
// The engine's run-time bookkeeping of a check.  The Manager keeps and copies it; it
// reads only the scan ordering values S1 to S3 and the list of dependents.
#include "library/QvcListNum.h"
#include "library/QvcString.h"
#include "model/tree/SnNodeResult.h"

#include <array>
#include <cstdint>

struct CSnNodeSrvcException {
    virtual ~CSnNodeSrvcException() = default;
    std::int32_t Value1 = 0, Value2 = 0;
};

struct CSnNodeSrvcScanInfo {
    virtual ~CSnNodeSrvcScanInfo() = default;
    std::int32_t S1 = 0, S2 = 0, S3 = 0;
};

struct CSnNodeSrvcResult {
    virtual ~CSnNodeSrvcResult() = default;
    std::int32_t Value1 = 0;
    CQvcString Text1;
    std::int32_t Value2 = 0, Value3 = 0;
    CQvcString Text2 = kNotMonitored;
};

struct CSnNodeSrvcResultHistory {
    virtual ~CSnNodeSrvcResultHistory() = default;
    std::int32_t Value1 = 0;
    CQvcString Text1;
    std::int32_t Value2 = 0;
    CQvcString Text2, Text3;
    std::int32_t Value3 = 0, Value4 = 0;
};

struct CSnNodeSrvcRe {
    virtual ~CSnNodeSrvcRe() = default;
    std::int32_t Value1 = 0, Value2 = 0;
};
using CSnNodeSrvcReNotify = CSnNodeSrvcRe;
using CSnNodeSrvcReRun = CSnNodeSrvcRe;

struct CSnNodeSrvcStatsReport {
    virtual ~CSnNodeSrvcStatsReport() = default;
    std::int32_t Value1 = 0, Value2 = 0, Value3 = 0, Value4 = 0;
};

struct CSnNodeSrvcStatsGraph {
    virtual ~CSnNodeSrvcStatsGraph() = default;
    std::int32_t Value1 = 0;
};

struct CSnNodeSrvc {
    virtual ~CSnNodeSrvc() = default;
    std::int32_t Value1 = 0, Value2 = 0;
    CSnNodeSrvcException Exception;
    std::array<std::int32_t, 128> Block{};
    std::int32_t Value3 = 0;
    CQvcString Text;
    CSnNodeSrvcScanInfo ScanInfo;
    CSnNodeSrvcResult Result;
    CSnNodeSrvcResultHistory ResultHistory;
    CSnNodeSrvcReNotify ReNotify;
    CSnNodeSrvcReRun ReRun;
    CSnNodeSrvcStatsReport StatsReport;
    CSnNodeSrvcStatsGraph StatsGraph;
    // IDs of the nodes that depend on this node (the dependency calculator fills it).
    CQvcListNum Dependents;
};
