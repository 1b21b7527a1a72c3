#include "library/QvcWindow.h"

#include "library/QvcString.h"

#include <map>
#include <mutex>
#include <string>

namespace {

constexpr unsigned kLastRegisteredMessage = 0xFFFF;

struct Registry {
    std::mutex mutex;
    std::map<std::string, unsigned> numbers; // keyed by the upper-cased name
    unsigned next = kQvcFirstRegisteredMessage;
};

Registry& TheRegistry() {
    static Registry registry;
    return registry;
}

} // namespace

unsigned QvcRegisterWindowMessage(const char* name) {
    if (name == nullptr || *name == '\0')
        return 0;
    CQvcString key(name);
    key.MakeUpper();
    Registry& registry = TheRegistry();
    std::lock_guard lock(registry.mutex);
    auto found = registry.numbers.find(key.Str());
    if (found != registry.numbers.end())
        return found->second;
    if (registry.next > kLastRegisteredMessage)
        return 0;
    const unsigned number = registry.next++;
    registry.numbers.emplace(key.Str(), number);
    return number;
}
