#include "platform/SpawnSetup.h"

#include <csignal>
#include <fcntl.h>
#include <initializer_list>

namespace platform {

SpawnSetup::SpawnSetup(int output) {
    m_ok = ::posix_spawnattr_init(&m_attr) == 0;
    m_ok = ::posix_spawn_file_actions_init(&m_actions) == 0 && m_ok;
    if (!m_ok)
        return;
    sigset_t none;
    sigemptyset(&none);
    sigset_t defaults;
    sigemptyset(&defaults);
    for (int sig : {SIGPIPE, SIGINT, SIGTERM, SIGHUP, SIGCHLD, SIGQUIT})
        sigaddset(&defaults, sig);
    short flags = POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF;
#ifdef POSIX_SPAWN_SETSID
    flags |= POSIX_SPAWN_SETSID;
#endif
    m_ok = ::posix_spawnattr_setflags(&m_attr, flags) == 0 && ::posix_spawnattr_setsigmask(&m_attr, &none) == 0 &&
           ::posix_spawnattr_setsigdefault(&m_attr, &defaults) == 0 &&
           ::posix_spawn_file_actions_addopen(&m_actions, 0, "/dev/null", O_RDONLY, 0) == 0;
    if (m_ok && output >= 0)
        m_ok = ::posix_spawn_file_actions_adddup2(&m_actions, output, 1) == 0 &&
               ::posix_spawn_file_actions_adddup2(&m_actions, output, 2) == 0;
#if defined(__GLIBC__) && (__GLIBC__ > 2 || (__GLIBC__ == 2 && __GLIBC_MINOR__ >= 34))
    m_ok = m_ok && ::posix_spawn_file_actions_addclosefrom_np(&m_actions, 3) == 0;
#endif
}

SpawnSetup::~SpawnSetup() {
    ::posix_spawn_file_actions_destroy(&m_actions);
    ::posix_spawnattr_destroy(&m_attr);
}

} // namespace platform
