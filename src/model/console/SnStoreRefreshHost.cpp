#include "model/console/SnStoreRefreshHost.h"

#include "model/store/SnCfg.h"

bool CSnStoreRefreshHost::ProbeAccess(bool writable, const CQvcString& computerName) {
    CSnIPC* link = m_store.Link();
    return link != nullptr && link->ProbeAccess(writable, computerName);
}

long CSnStoreRefreshHost::ReadConfigCounter() {
    const CSnIPC* link = m_store.Link();
    return link != nullptr ? link->ReadChangeCounter(0) : 0;
}

long CSnStoreRefreshHost::ReadResultsCounter() {
    const CSnIPC* link = m_store.Link();
    return link != nullptr ? link->ReadResultsCounter() : 0;
}

void CSnStoreRefreshHost::SignalManagersChanged() {
    m_store.SignalConfigChanged(false, true);
}

long CSnStoreRefreshHost::ReloadAllNodes() {
    m_store.FreeTree(m_root);
    return m_store.LoadAllNodes(m_root);
}

void CSnStoreRefreshHost::LoadResults() {
    if (CSnIPC* link = m_store.Link())
        link->LoadResults(m_root);
}
