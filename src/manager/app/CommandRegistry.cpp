#include "manager/app/CommandRegistry.h"

void CCommandRegistry::Add(int id, Handler handler) { m_handlers[id] = std::move(handler); }

void CCommandRegistry::AddRange(int first, int last, const Handler& handler) {
    for (int id = first; id <= last; ++id)
        m_handlers[id] = handler;
}

bool CCommandRegistry::Run(int id) const {
    const auto it = m_handlers.find(id);
    if (it == m_handlers.end())
        return false;
    // A copy: the handler may replace itself (or close the window that registered it).
    const Handler handler = it->second;
    handler(id);
    return true;
}
