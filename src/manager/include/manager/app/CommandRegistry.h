#pragma once
// CCommandRegistry: the handlers of the Manager's commands by identifier.  Each folder of
// the Manager registers the handlers of the commands it owns (mainframe/, service/, app/,
// and the dialogs' folders as they come), so a new command is added where it lives.  A
// command without a handler is never offered: the application shows it disabled.
#include <functional>
#include <map>

class CCommandRegistry {
public:
    using Handler = std::function<void(int id)>;

    // The handler of `id`, replacing an earlier one.
    void Add(int id, Handler handler);
    // One handler for every identifier from `first` to `last`.
    void AddRange(int first, int last, const Handler& handler);
    bool Has(int id) const { return m_handlers.contains(id); }
    // Runs the handler of `id`; false when there is none.
    bool Run(int id) const;

private:
    std::map<int, Handler> m_handlers;
};
