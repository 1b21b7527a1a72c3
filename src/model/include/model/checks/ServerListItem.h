#pragma once
// CServerListItem: one target of a host list: the host text as entered (computer name,
// FQDN or IP address), its display form, and for scanned IP entries a port (0 none).
#include "library/QvcString.h"

class CServerListItem {
public:
    CServerListItem() = default;
    // The display form is derived from the host text (HostDisplayForm).
    explicit CServerListItem(const CQvcString& host, int port = 0);
    virtual ~CServerListItem() = default;

    const CQvcString& Host() const { return m_host; }
    const CQvcString& Display() const { return m_display; }
    int Port() const { return m_port; }
    void SetPort(int port) { m_port = port; }

private:
    CQvcString m_host;
    CQvcString m_display;
    int m_port = 0;
};
