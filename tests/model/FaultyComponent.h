#pragma once
// The SQLite component with writes that fail on request, for the failure paths of the
// store's callers.  A store made with FaultyComponent::Factory(faults) counts the writes
// in `faults` and fails the ones it names with the component's own update codes.
#include "model/store/SnCfg.h"
#include "model/store/SnCfgSqlite.h"

#include <memory>

struct ComponentFaults {
    int SaveNodeCalls = 0;
    int FailSaveNodeAt = 0; // the SaveNode call (counted from 1) that fails; 0 none
    bool FailTree = false;  // put_Tree fails
    bool FailGroupSave = false;
    bool FailGroupDelete = false;

    // Fails the `n`-th SaveNode from now on (1 = the next one).
    void FailSaveNodeAfter(int n) { FailSaveNodeAt = SaveNodeCalls + n; }
};

class FaultyComponent : public CSnCfgSqlite {
public:
    FaultyComponent(const CQvcString& connection, ComponentFaults& faults)
        : CSnCfgSqlite(connection), m_faults(faults) {}

    static CSnCfg::ComponentFactory Factory(ComponentFaults& faults) {
        return [&faults](const CQvcString& connection) { return std::make_unique<FaultyComponent>(connection, faults); };
    }

    void SaveNode(const CQvcVariant& record) override {
        if (++m_faults.SaveNodeCalls == m_faults.FailSaveNodeAt)
            return Fail(25022);
        CSnCfgSqlite::SaveNode(record);
    }
    void put_Tree(const CQvcString& text) override {
        if (m_faults.FailTree)
            return Fail(25062);
        CSnCfgSqlite::put_Tree(text);
    }
    void SaveDistributionGroup(const CQvcVariant& record) override {
        if (m_faults.FailGroupSave)
            return Fail(25121);
        CSnCfgSqlite::SaveDistributionGroup(record);
    }
    void DeleteDistributionGroups(const CQvcString& where) override {
        if (m_faults.FailGroupDelete)
            return Fail(25125);
        CSnCfgSqlite::DeleteDistributionGroups(where);
    }

private:
    void Fail(long code) {
        if (Ready())
            SetError(code);
    }

    ComponentFaults& m_faults;
};
