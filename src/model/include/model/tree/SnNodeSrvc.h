#pragma once
// The engine's run-time bookkeeping of a check.  The Manager keeps and copies it; it
// reads only the scan ordering values S1 to S3 and the list of dependents, the only
// parts held directly in every node.
#include "library/QvcLazy.h"
#include "library/QvcListNum.h"
#include "library/QvcString.h"
#include "model/tree/SnNodeResult.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>

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

// The engine's block of 128 integers, all 0 until one is set.  Storage is made only then:
// a stored engine state carries a block, few ever fill it, and 512 bytes a node add up to
// 50 MB in a configuration of 100,000 checks.
class CSnNodeSrvcBlock {
public:
    static constexpr std::size_t kSize = 128;
    CSnNodeSrvcBlock() = default;
    CSnNodeSrvcBlock(const CSnNodeSrvcBlock& other) { *this = other; }
    CSnNodeSrvcBlock& operator=(const CSnNodeSrvcBlock& other) {
        if (this != &other)
            m_values = other.m_values ? std::make_unique<Values>(*other.m_values) : nullptr;
        return *this;
    }
    std::int32_t Get(std::size_t index) const { return m_values && index < kSize ? (*m_values)[index] : 0; }
    void Set(std::size_t index, std::int32_t value) {
        if (index >= kSize || (!m_values && value == 0))
            return;
        if (!m_values)
            m_values = std::make_unique<Values>();
        (*m_values)[index] = value;
    }

private:
    using Values = std::array<std::int32_t, kSize>;
    std::unique_ptr<Values> m_values;
};

// The engine-only part of the bookkeeping.  The Manager never sets it, so a node holds it
// only once the engine writes to it (CSnNodeSrvc::State).
struct CSnNodeSrvcState {
    std::int32_t Value1 = 0, Value2 = 0;
    CSnNodeSrvcException Exception;
    CSnNodeSrvcBlock Block;
    std::int32_t Value3 = 0;
    CQvcString Text;
    CSnNodeSrvcResult Result;
    CSnNodeSrvcResultHistory ResultHistory;
    CSnNodeSrvcReNotify ReNotify;
    CSnNodeSrvcReRun ReRun;
    CSnNodeSrvcStatsReport StatsReport;
    CSnNodeSrvcStatsGraph StatsGraph;
};

struct CSnNodeSrvc {
    virtual ~CSnNodeSrvc() = default;
    // Read through `State->`, written through `State.Edit()`.
    CQvcLazy<CSnNodeSrvcState> State;
    CSnNodeSrvcScanInfo ScanInfo;
    // IDs of the nodes that depend on this node (the dependency calculator fills it).
    CQvcListNum Dependents;
};
