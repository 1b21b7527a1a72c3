#include "model/checks/ServerListItem.h"

#include "model/checks/HostList.h"

CServerListItem::CServerListItem(const CQvcString& host, int port)
    : m_host(host), m_display(HostDisplayForm(host)), m_port(port) {}
