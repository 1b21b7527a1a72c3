#pragma once
// CSnStoreRefreshHost: the store and engine-link half of ISnRefreshHost, over the
// application's store and its root holder.  A main window derives from it and adds the
// view and window operations.
#include "model/console/ISnRefreshHost.h"

class CSnCfg;
class CSnNode;

class CSnStoreRefreshHost : public ISnRefreshHost {
public:
    // Both must outlive the host; the holder is the application's root pointer, which a
    // reload may replace.
    CSnStoreRefreshHost(CSnCfg& store, CSnNode*& rootHolder) : m_store(store), m_root(rootHolder) {}

    // Without an engine link (a store that is not open) access fails and the counters
    // read 0.
    bool ProbeAccess(bool writable, const CQvcString& computerName) override;
    long ReadConfigCounter() override;
    long ReadResultsCounter() override;
    void SignalManagersChanged() override;
    long ReloadAllNodes() override;
    void LoadResults() override;

protected:
    CSnCfg& Store() const { return m_store; }
    CSnNode* Root() const { return m_root; }

private:
    CSnCfg& m_store;
    CSnNode*& m_root;
};
