#pragma once
// The spawn attributes and file actions of one program start, owned for its duration:
// a session (and so a process group) of its own, so that the program outlives its starter
// when it should and can be killed whole when it must, and gets no terminal signals meant
// for the starter; signals unblocked and at their defaults whatever the starter's threads
// changed; standard input from /dev/null; the starter's other descriptors (databases,
// sockets, pipes) closed where the C library can do that.  With `output` >= 0, standard
// output and error go into it.
#include <spawn.h>

namespace platform {

class SpawnSetup {
public:
    explicit SpawnSetup(int output = -1);
    ~SpawnSetup();
    SpawnSetup(const SpawnSetup&) = delete;
    SpawnSetup& operator=(const SpawnSetup&) = delete;

    bool Ok() const { return m_ok; }
    const posix_spawnattr_t* Attr() const { return &m_attr; }
    const posix_spawn_file_actions_t* Actions() const { return &m_actions; }

private:
    posix_spawnattr_t m_attr{};
    posix_spawn_file_actions_t m_actions{};
    bool m_ok = false;
};

} // namespace platform
