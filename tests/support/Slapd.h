#pragma once
// slapd run by a test on a free port of 127.0.0.1, with a throw-away configuration and
// database in a directory of the test's, loaded with the test's entries.
#include "ForkedChild.h"
#include "LoopbackSockets.h"
#include "ServerProcess.h"
#include "TestSupport.h"

#include <signal.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace testsupport {

class Slapd {
public:
    // Whether slapd and slapadd are installed; tests skip without them.
    static bool Installed() {
        return ::access("/usr/sbin/slapd", X_OK) == 0 && ::access("/usr/sbin/slapadd", X_OK) == 0;
    }

    // Loads `entries` (LDIF, the suffix's own entry first) with the schemas named (files of
    // /etc/ldap/schema without ".schema") and starts slapd.  Started() tells whether the
    // entries could be loaded; LoadLog() says why not.
    Slapd(const TempDir& dir, const std::string& suffix, const std::string& entries,
          const std::vector<std::string>& schemas = {"core", "cosine", "inetorgperson"})
        : m_dir(dir) {
        std::filesystem::create_directory(dir.File("db"));
        std::ofstream conf(dir.File("slapd.conf"));
        for (const std::string& schema : schemas)
            conf << "include /etc/ldap/schema/" << schema << ".schema\n";
        if (std::filesystem::exists("/usr/lib/ldap/back_mdb.so"))
            conf << "modulepath /usr/lib/ldap/\nmoduleload back_mdb\n";
        conf << "pidfile " << dir.File("slapd.pid") << "\ndatabase mdb\nsuffix " << suffix
             << "\nrootdn cn=admin," << suffix << "\nrootpw adminpw\ndirectory " << dir.File("db") << "\n";
        conf.close();
        std::ofstream(dir.File("entries.ldif")) << entries;
        const std::string config = dir.File("slapd.conf");
        if (std::system(("/usr/sbin/slapadd -f " + config + " -l " + dir.File("entries.ldif") + " 2>" +
                         dir.File("slapadd.log"))
                            .c_str()) != 0)
            return;
        m_port = UnusedLoopbackPort();
        m_url = "ldap://127.0.0.1:" + std::to_string(m_port) + "/";
        m_pid = Spawn([&] {
            ::execl("/usr/sbin/slapd", "slapd", "-f", config.c_str(), "-h", m_url.c_str(), "-d", "0",
                    nullptr);
            return 127;
        });
    }
    ~Slapd() {
        if (m_pid > 0) {
            ::kill(m_pid, SIGTERM);
            ExitStatus(m_pid);
        }
    }
    Slapd(const Slapd&) = delete;
    Slapd& operator=(const Slapd&) = delete;

    bool Started() const { return m_pid > 0; }
    std::string LoadLog() const { return ReadFile(m_dir.File("slapadd.log")); }
    int Port() const { return m_port; }
    // "ldap://127.0.0.1:<port>/"
    const std::string& Url() const { return m_url; }
    // Waits until slapd takes connections (it needs a moment after its start).
    bool Listening() const {
        return Started() && Eventually([&] { return Accepts(m_port); }, std::chrono::seconds(10),
                                       std::chrono::milliseconds(20));
    }

private:
    const TempDir& m_dir;
    int m_port = 0;
    std::string m_url;
    pid_t m_pid = -1;
};

} // namespace testsupport
