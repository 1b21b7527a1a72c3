#include "engine/LdapRunner.h"

#include "RunnerCommon.h"
#include "engine/NetworkHelpers.h"
#include "engine/UnsupportedRunner.h"
#include "model/checks/CheckSettings.h"
#include "model/checks/CheckTypes.h"

#include <openldap.h>
#include <sys/socket.h>

#include <algorithm>
#include <atomic>
#include <cctype>
#include <climits>
#include <optional>
#include <thread>

namespace {

constexpr int kLdapPort = 389, kLdapsPort = 636;

std::string Lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

// A DN in one form for comparing: normalised by the library, in lower case.
std::string ComparableDn(const std::string& dn) {
    char* normal = nullptr;
    if (ldap_dn_normalize(dn.c_str(), LDAP_DN_FORMAT_LDAP, &normal, LDAP_DN_FORMAT_LDAPV3) != LDAP_SUCCESS)
        return Lower(dn);
    std::string text = Lower(normal);
    ldap_memfree(normal);
    return text;
}

struct Server {
    bool Tls = false;
    HostAndPort Address;
};

// "host", "host:port", "ldap://host[:port][/...]" or "ldaps://host[:port][/...]".
bool ParseServer(std::string text, Server& out) {
    const std::string lower = Lower(text);
    int port = kLdapPort;
    if (lower.rfind("ldaps://", 0) == 0) {
        out.Tls = true;
        port = kLdapsPort;
        text = text.substr(8);
    } else if (lower.rfind("ldap://", 0) == 0) {
        text = text.substr(7);
    }
    text = text.substr(0, text.find('/'));
    if (!SplitHostPort(text, out.Address))
        return false;
    if (!out.Address.Port)
        out.Address.Port = port;
    return true;
}

// One LDAP message from the library, freed with it.
struct Message {
    LDAPMessage* Get = nullptr;
    Message() = default;
    Message(const Message&) = delete;
    Message& operator=(const Message&) = delete;
    ~Message() {
        if (Get)
            ldap_msgfree(Get);
    }
};

// The entries a search found.
struct Entry {
    std::string Dn;
    std::vector<std::string> Values; // of the attributes asked for, all together
};

class Session {
public:
    Session(const CRunDeadline& deadline, std::string server) : m_deadline(deadline), m_server(std::move(server)) {}
    ~Session() {
        if (m_ld)
            ldap_unbind_ext(m_ld, nullptr, nullptr);
    }
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    // Takes over the connected socket `fd`.
    std::optional<CheckOutcome> Open(platform::UniqueFd fd, bool tls) {
        const std::string url = std::string(tls ? "ldaps://" : "ldap://") + m_server;
        const int raw = fd.Release();
        // On failure the library has not taken the socket yet: it is closed here.
        if (ldap_init_fd(raw, LDAP_PROTO_TCP, url.c_str(), &m_ld) != LDAP_SUCCESS) {
            ::close(raw);
            m_ld = nullptr;
            return CheckOutcome::Uncertain("The LDAP client library could not take the connection to " + m_server);
        }
        const int version = LDAP_VERSION3;
        ldap_set_option(m_ld, LDAP_OPT_PROTOCOL_VERSION, &version);
        ldap_set_option(m_ld, LDAP_OPT_REFERRALS, LDAP_OPT_OFF);
        return tls ? Handshake(raw) : std::nullopt;
    }

    // A simple bind, anonymous when `dn` is empty.
    std::optional<CheckOutcome> Bind(const std::string& dn, const std::string& password) {
        berval credentials{static_cast<ber_len_t>(password.size()), const_cast<char*>(password.data())};
        int id = 0;
        const int rc = ldap_sasl_bind(m_ld, dn.c_str(), LDAP_SASL_SIMPLE, &credentials, nullptr, nullptr, &id);
        const std::string step = dn.empty() ? "anonymous bind" : "bind as '" + dn + "'";
        Message answer;
        if (std::optional<CheckOutcome> failed = Await(rc, id, step, answer))
            return failed;
        const int result = ResultCode(answer);
        if (result != LDAP_SUCCESS)
            return CheckOutcome::Error("LDAP server " + m_server + " refused the " + step + ": " +
                                       ldap_err2string(result));
        return std::nullopt;
    }

    // A search with `scope`; the values of `attributes` of every entry go with it.
    std::optional<CheckOutcome> Search(const std::string& base, int scope, const std::string& filter,
                                       std::vector<const char*> attributes, std::vector<Entry>& entries) {
        if (attributes.empty())
            attributes.push_back(LDAP_NO_ATTRS);
        attributes.push_back(nullptr);
        int id = 0;
        const int rc = ldap_search_ext(m_ld, base.c_str(), scope, filter.c_str(), const_cast<char**>(attributes.data()),
                                       0, nullptr, nullptr, nullptr, 0, &id);
        const std::string step = "search for " + filter + " below '" + base + "'";
        Message answer;
        if (std::optional<CheckOutcome> failed = Await(rc, id, step, answer))
            return failed;
        for (LDAPMessage* entry = ldap_first_entry(m_ld, answer.Get); entry; entry = ldap_next_entry(m_ld, entry)) {
            Entry found;
            if (char* dn = ldap_get_dn(m_ld, entry)) {
                found.Dn = dn;
                ldap_memfree(dn);
            }
            for (const char* attribute : attributes) {
                if (!attribute || std::string(attribute) == LDAP_NO_ATTRS)
                    continue;
                if (berval** values = ldap_get_values_len(m_ld, entry, attribute)) {
                    for (berval** value = values; *value; ++value)
                        found.Values.emplace_back((*value)->bv_val, (*value)->bv_len);
                    ldap_value_free_len(values);
                }
            }
            entries.push_back(std::move(found));
        }
        const int result = ResultCode(answer);
        if (result == LDAP_NO_SUCH_OBJECT)
            return CheckOutcome::Error("The entry '" + base + "' does not exist on LDAP server " + m_server);
        if (result != LDAP_SUCCESS && result != LDAP_SIZELIMIT_EXCEEDED)
            return CheckOutcome::Error("The " + step + " on LDAP server " + m_server + " failed: " +
                                       ldap_err2string(result));
        return std::nullopt;
    }

private:
    // The TLS handshake of an "ldaps" server.  The library waits for it without a limit:
    // a watcher shuts the socket down at the deadline or the engine's stop, which ends it.
    std::optional<CheckOutcome> Handshake(int fd) {
        std::atomic<bool> finished{false};
        std::thread watcher([&] {
            while (!finished && !m_deadline.Expired() && !m_deadline.Cancelled())
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
            if (!finished)
                ::shutdown(fd, SHUT_RD); // reading stops; writing stays, so no SIGPIPE
        });
        const int rc = ldap_install_tls(m_ld);
        finished = true;
        watcher.join();
        if (m_deadline.Cancelled())
            return runner::Cancelled();
        if (m_deadline.Expired())
            return CheckOutcome::Error("No TLS handshake with LDAP server " + m_server + " within " +
                                       runner::Millis(m_deadline.Limit().count()));
        if (rc == LDAP_SUCCESS)
            return std::nullopt;
        std::string why = ldap_err2string(rc);
        char* detail = nullptr;
        if (ldap_get_option(m_ld, LDAP_OPT_DIAGNOSTIC_MESSAGE, &detail) == LDAP_OPT_SUCCESS && detail) {
            why += std::string(" (") + detail + ")";
            ldap_memfree(detail);
        }
        return CheckOutcome::Error("TLS with LDAP server " + m_server + " failed: " + why);
    }

    // Waits in slices for the whole answer to the request `id` that `sent` (the library's
    // code for sending it) started.
    std::optional<CheckOutcome> Await(int sent, int id, const std::string& step, Message& answer) {
        if (sent != LDAP_SUCCESS)
            return CheckOutcome::Error("The " + step + " could not be sent to LDAP server " + m_server + ": " +
                                       ldap_err2string(sent));
        for (;;) {
            if (m_deadline.Cancelled())
                return runner::Cancelled();
            if (m_deadline.Expired())
                return CheckOutcome::Error("No answer to the " + step + " from LDAP server " + m_server + " within " +
                                           runner::Millis(m_deadline.Limit().count()));
            timeval slice{0, static_cast<suseconds_t>(
                                 std::chrono::microseconds(std::min(CRunDeadline::kSlice, m_deadline.Remaining()))
                                     .count())};
            const int got = ldap_result(m_ld, id, LDAP_MSG_ALL, &slice, &answer.Get);
            if (got > 0)
                return std::nullopt;
            if (got < 0) {
                int code = LDAP_SERVER_DOWN;
                ldap_get_option(m_ld, LDAP_OPT_RESULT_CODE, &code);
                return CheckOutcome::Error("The " + step + " on LDAP server " + m_server + " failed: " +
                                           ldap_err2string(code));
            }
        }
    }

    int ResultCode(const Message& answer) {
        int code = LDAP_OTHER;
        if (ldap_parse_result(m_ld, answer.Get, &code, nullptr, nullptr, nullptr, nullptr, 0) != LDAP_SUCCESS)
            return LDAP_OTHER;
        return code;
    }

    const CRunDeadline& m_deadline;
    std::string m_server;
    LDAP* m_ld = nullptr;
};

CheckOutcome SearchOutcome(Session& session, const std::vector<std::string>& args, const std::string& server) {
    const std::string& base = args[1];
    const std::string filter = args[2].empty() ? "(objectClass=*)" : args[2];
    const int wanted = ParamNumber(CQvcString(args[5]), 1, 0, INT_MAX);
    std::vector<Entry> entries;
    if (std::optional<CheckOutcome> failed = session.Search(base, LDAP_SCOPE_SUBTREE, filter, {}, entries))
        return *failed;
    const std::string found = std::to_string(entries.size()) + (entries.size() == 1 ? " entry" : " entries");
    const std::string where = " for " + filter + " below '" + base + "' on " + server;
    if (static_cast<long long>(entries.size()) < wanted)
        return CheckOutcome::Error("Found " + found + where + ", at least " + std::to_string(wanted) + " wanted",
                                   std::to_string(entries.size()));
    return CheckOutcome::Success("Found " + found + where, std::to_string(entries.size()));
}

CheckOutcome MembershipOutcome(Session& session, const std::vector<std::string>& args) {
    const std::string& base = args[1];
    const std::string& user = args[2];
    const std::string& group = args[3];
    if (user.empty() || group.empty())
        return CheckOutcome::Uncertain("The user and the group must both be given");
    // The user: its DN and its user ID, for groups that list members by either.
    std::vector<Entry> users;
    const bool userIsDn = user.find('=') != std::string::npos;
    const std::string userFilter = "(|(uid=" + LdapFilterValue(user) + ")(sAMAccountName=" + LdapFilterValue(user) + "))";
    if (std::optional<CheckOutcome> failed =
            session.Search(userIsDn ? user : base, userIsDn ? LDAP_SCOPE_BASE : LDAP_SCOPE_SUBTREE,
                           userIsDn ? "(objectClass=*)" : userFilter, {"uid"}, users))
        return *failed;
    if (users.empty())
        return CheckOutcome::Error("User '" + user + "' not found below '" + base + "'");
    const std::string userDn = ComparableDn(users.front().Dn);
    std::vector<std::string> userIds = users.front().Values;
    if (!userIsDn)
        userIds.push_back(user);

    std::vector<Entry> groups;
    const bool groupIsDn = group.find('=') != std::string::npos;
    const std::string groupFilter = "(&(cn=" + LdapFilterValue(group) +
                                    ")(|(objectClass=groupOfNames)(objectClass=groupOfUniqueNames)"
                                    "(objectClass=posixGroup)(objectClass=group)))";
    if (std::optional<CheckOutcome> failed =
            session.Search(groupIsDn ? group : base, groupIsDn ? LDAP_SCOPE_BASE : LDAP_SCOPE_SUBTREE,
                           groupIsDn ? "(objectClass=*)" : groupFilter, {"member", "uniqueMember", "memberUid"}, groups))
        return *failed;
    if (groups.empty())
        return CheckOutcome::Error("Group '" + group + "' not found below '" + base + "'");
    const std::vector<std::string>& members = groups.front().Values;
    const bool member = std::any_of(members.begin(), members.end(), [&](const std::string& value) {
        if (value.find('=') != std::string::npos)
            return ComparableDn(value) == userDn;
        return std::any_of(userIds.begin(), userIds.end(),
                           [&](const std::string& id) { return Lower(id) == Lower(value); });
    });
    if (!member)
        return CheckOutcome::Error("User '" + user + "' is not a member of group '" + group + "'", "0");
    return CheckOutcome::Success("User '" + user + "' is a member of group '" + group + "'", "1");
}

} // namespace

std::string LdapFilterValue(const std::string& value) {
    static const char* const kHex = "0123456789abcdef";
    std::string out;
    for (const char c : value) {
        if (c == '*' || c == '(' || c == ')' || c == '\\' || c == '\0') {
            out += '\\';
            out += kHex[(static_cast<unsigned char>(c) >> 4) & 0xf];
            out += kHex[static_cast<unsigned char>(c) & 0xf];
        } else {
            out += c;
        }
    }
    return out;
}

CheckOutcome CLdapRunner::Run(const CSnNodeCfg& check, const RunContext& context) {
    const ScriptCheckSettings settings = ScriptCheckSettings::Read(check.Function);
    const int mode = DirectoryFunctionMode(settings);
    if (mode == 0)
        return CUnsupportedRunner(kTypeVBScript).Run(check, context);
    std::vector<std::string> args = settings.Args;
    args.resize(6);
    // The bind account is the fourth and fifth argument of a search, the fifth and
    // sixth of a membership check.
    const std::string& bindDn = mode == 2 ? args[3] : args[4];
    const std::string& password = mode == 2 ? args[4] : args[5];
    if (args[0].empty())
        return CheckOutcome::Uncertain("No LDAP server configured");
    Server server;
    if (!ParseServer(args[0], server))
        return CheckOutcome::Uncertain("LDAP server '" + args[0] + "' is not valid");

    const CRunDeadline deadline(context, std::chrono::seconds(settings.TimeoutSecs));
    const ResolveOutcome resolved =
        ResolveHost(server.Address.Host, server.Address.Port, SOCK_STREAM, AF_UNSPEC, deadline);
    if (resolved.Status == NetWait::Cancelled)
        return runner::Cancelled();
    if (resolved.Status != NetWait::Ready)
        return CheckOutcome::Error("LDAP server '" + server.Address.Host + "' could not be resolved: " +
                                   (resolved.Error.empty() ? "no answer in time" : resolved.Error));
    ConnectOutcome connection = ConnectTcp(resolved.Addresses, deadline.End(), deadline);
    const std::string where = connection.Peer.HostPortText();
    if (connection.Status == NetWait::Cancelled)
        return runner::Cancelled();
    if (connection.Status == NetWait::TimedOut)
        return CheckOutcome::Error("No connection to LDAP server " + where + " within " +
                                   runner::Millis(deadline.Limit().count()));
    if (connection.Status != NetWait::Ready)
        return CheckOutcome::Error("Cannot connect to LDAP server " + where + ": " + ErrnoText(connection.Error));

    Session session(deadline, where);
    if (std::optional<CheckOutcome> failed = session.Open(std::move(connection.Socket), server.Tls))
        return *failed;
    if (std::optional<CheckOutcome> failed = session.Bind(bindDn, password))
        return *failed;
    return mode == 2 ? SearchOutcome(session, args, where) : MembershipOutcome(session, args);
}
