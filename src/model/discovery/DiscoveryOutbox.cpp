#include "model/discovery/Discovery.h"

#include <utility>

void CDiscoveryOutbox::Put(CDiscoveredHost host) {
    std::lock_guard lock(m_mutex);
    m_hosts.push_back(std::move(host));
}

std::vector<CDiscoveredHost> CDiscoveryOutbox::Take() {
    std::lock_guard lock(m_mutex);
    return std::exchange(m_hosts, {});
}

void CDiscoveryOutbox::SetError(const CQvcString& text) {
    std::lock_guard lock(m_mutex);
    m_error = text;
}

CQvcString CDiscoveryOutbox::Error() const {
    std::lock_guard lock(m_mutex);
    return m_error;
}
