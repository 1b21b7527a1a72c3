#include "engine/LocalTarget.h"

#include "library/QvcPath.h"
#include "platform/System.h"

#include <arpa/inet.h>
#include <netinet/in.h>

#include <cctype>
#include <cerrno>

namespace {

bool EqualNoCase(const std::string& a, const std::string& b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    }
    return true;
}

std::string ShortName(const std::string& name) {
    return name.substr(0, name.find('.'));
}

bool HasDriveLetter(const std::string& text) {
    return text.size() >= 2 && std::isalpha(static_cast<unsigned char>(text[0])) && text[1] == ':';
}

} // namespace

bool IsLocalComputer(const std::string& computer) {
    if (computer.empty() || computer == "." || EqualNoCase(computer, "localhost"))
        return true;
    in_addr v4{};
    if (::inet_pton(AF_INET, computer.c_str(), &v4) == 1)
        return (ntohl(v4.s_addr) >> 24) == 127;
    in6_addr v6{};
    if (::inet_pton(AF_INET6, computer.c_str(), &v6) == 1)
        return IN6_IS_ADDR_LOOPBACK(&v6);
    const std::string self = platform::ComputerName();
    if (self.empty())
        return false;
    return EqualNoCase(computer, self) || EqualNoCase(ShortName(computer), ShortName(self));
}

std::string OtherComputerResponse(const std::string& computer) {
    return "Computer '" + computer + "' cannot be checked: this engine checks only its own computer";
}

bool IsDriveLetter(const std::string& text) {
    return HasDriveLetter(text) && (text.size() == 2 || (text.size() == 3 && (text[2] == '\\' || text[2] == '/')));
}

bool LocalPathFromStored(const std::string& stored, const CQvcString& engineRoot, std::string& path,
                         std::string& why) {
    path.clear();
    if (stored.empty()) {
        why = "No path configured";
        return false;
    }
    if (stored.rfind("\\\\", 0) == 0 || stored.rfind("//", 0) == 0) {
        why = "Network path '" + stored + "' cannot be reached by this engine; use a local path";
        return false;
    }
    if (HasDriveLetter(stored)) {
        why = "Drive letters have no meaning on this computer ('" + stored + "'); use a local path such as /var/log";
        return false;
    }
    path = EngineRootPath(CQvcString(stored), engineRoot).Str();
    // The engine's working directory means nothing to the administrator: a relative path
    // is taken from the Engine root.
    if (!path.empty() && path.front() != '/' && !engineRoot.IsEmpty())
        path = PathJoin(engineRoot, path).Str();
    return true;
}

PathState StatLocalPath(const std::string& path, struct stat& info, int& error) {
    error = 0;
    if (::stat(path.c_str(), &info) == 0)
        return PathState::Present;
    error = errno;
    return (error == ENOENT || error == ENOTDIR) ? PathState::Missing : PathState::Unreadable;
}
