#include "library/QvcPath.h"
#include "model/discovery/Discovery.h"
#include "model/discovery/Roles.h"
#include "platform/Profile.h"
#include "platform/System.h"

#include <arpa/inet.h>
#include <netdb.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

namespace {

// A line of the file is read in pieces of at most this many characters.
constexpr int kLinePiece = 1022;

// "a, b;c" -> {"a", "b", "c"}: items trimmed, empty ones dropped.
std::vector<CQvcString> SplitList(const std::string& text) {
    std::vector<CQvcString> items;
    std::size_t from = 0;
    while (from <= text.size()) {
        const std::size_t end = std::min(text.find_first_of(",;", from), text.size());
        CQvcString item(text.substr(from, end - from));
        if (!item.Trim().IsEmpty())
            items.push_back(item);
        from = end + 1;
    }
    return items;
}

// Well-known ports of the services the default file names, for systems whose service
// database lacks them.
int KnownPort(const CQvcString& name) {
    static const struct {
        const char* Name;
        int Port;
    } kKnown[] = {{"ssh", 22},           {"smtp", 25},        {"domain", 53},  {"http", 80},
                  {"pop3", 110},         {"imap", 143},       {"ldap", 389},   {"https", 443},
                  {"microsoft-ds", 445}, {"submission", 587}, {"ldaps", 636},  {"imaps", 993},
                  {"pop3s", 995},        {"nfs", 2049},       {"mysql", 3306}, {"postgresql", 5432}};
    for (const auto& known : kKnown) {
        if (name.EqualsNoCase(known.Name))
            return known.Port;
    }
    return 0;
}

int ServicePort(const CQvcString& service) {
    if (service.IsDigits()) {
        const long port = service.Length() <= 5 ? std::strtol(service.c_str(), nullptr, 10) : 0;
        return port >= 1 && port <= 65535 ? static_cast<int>(port) : 0;
    }
    servent entry{};
    servent* found = nullptr;
    char buffer[1024];
    if (::getservbyname_r(service.c_str(), "tcp", &entry, buffer, sizeof buffer, &found) == 0 && found)
        return ntohs(static_cast<uint16_t>(found->s_port));
    return KnownPort(service);
}

} // namespace

int CWinRoleDefList::Load(const CQvcString& path, bool sort) {
    m_roles.clear();
    const std::unique_ptr<FILE, int (*)(FILE*)> file(std::fopen(path.c_str(), "r"), &std::fclose);
    if (!file)
        return -1;
    char piece[kLinePiece + 1];
    while (std::fgets(piece, sizeof piece, file.get())) {
        CQvcString line(piece);
        line.Trim();
        if (line.Length() < 3 || line[0] != '[' || line.Last() != ']')
            continue;
        CWinRoleDef role;
        role.Name = line.Mid(1, line.Length() - 2);
        const auto read = [&](const char* key) {
            return SplitList(platform::ProfileReadText(path.c_str(), role.Name.c_str(), key, ""));
        };
        role.Services = read("Services");
        role.Processes = read("Processes");
        role.PerfCounters = read("PerfCounters");
        m_roles.push_back(std::move(role));
    }
    if (sort) {
        std::stable_sort(m_roles.begin(), m_roles.end(), [](const CWinRoleDef& a, const CWinRoleDef& b) {
            return a.Name.CompareNoCase(b.Name) < 0;
        });
    }
    return 0;
}

const CWinRoleDef* CWinRoleDefList::Find(const CQvcString& name) const {
    const auto found = std::find_if(m_roles.begin(), m_roles.end(),
                                    [&](const CWinRoleDef& role) { return role.Name.EqualsNoCase(name); });
    return found == m_roles.end() ? nullptr : &*found;
}

CQvcString RolesFilePath(const CQvcString& engineRoot) {
    return PathJoin(engineRoot, {"Sys", "Roles", "roles.ini"});
}

const char* DefaultRolesText() {
    return "; Server roles offered by directory discovery.\n"
           ";\n"
           "; A computer plays a role when at least one of the role's Services answers on TCP.\n"
           "; A service is a name of the TCP service database (/etc/services) or a port number.\n"
           "; Processes and PerfCounters are read and kept, but the processes and counters of\n"
           "; another computer cannot be looked at from here, so they never decide a role.\n"
           "; Items of a list are separated by \",\" or \";\".\n"
           "\n"
           "[Web Server]\n"
           "Services=http,https\n"
           "Processes=nginx,apache2,httpd\n"
           "\n"
           "[Mail Server]\n"
           "Services=smtp,submission,imap,imaps,pop3,pop3s\n"
           "Processes=postfix,exim4,dovecot\n"
           "\n"
           "[DNS Server]\n"
           "Services=domain\n"
           "Processes=named,unbound,dnsmasq\n"
           "\n"
           "[Database Server]\n"
           "Services=postgresql,mysql\n"
           "Processes=postgres,mysqld,mariadbd\n"
           "\n"
           "[Directory Server]\n"
           "Services=ldap,ldaps\n"
           "Processes=slapd\n"
           "\n"
           "[File Server]\n"
           "Services=microsoft-ds,nfs\n"
           "Processes=smbd,nfsd\n"
           "\n"
           "[SSH Server]\n"
           "Services=ssh\n"
           "Processes=sshd\n";
}

int InstallDefaultRoles(const CQvcString& engineRoot, CQvcString& message) {
    const CQvcString path = RolesFilePath(engineRoot);
    if (platform::FileExists(path.Str()))
        return 0;
    int error = platform::WriteFileAtomically(path.Str(), DefaultRolesText(), false);
    if (error == 0 && ::chmod(path.c_str(), 0644) != 0)
        error = errno;
    if (error != 0) {
        message = "cannot write the roles file '" + path + "': " + CQvcString(std::strerror(error));
        return -1;
    }
    return 0;
}

std::vector<int> RoleServicePorts(const CWinRoleDef& role) {
    std::vector<int> ports;
    for (const CQvcString& service : role.Services) {
        const int port = ServicePort(service);
        if (port && std::find(ports.begin(), ports.end(), port) == ports.end())
            ports.push_back(port);
    }
    return ports;
}
