#pragma once
// CPidFile: the engine's pid file, Sys/Run/QvsSnSvc.pid under the Engine root, which is
// how the service controller and a second engine know that one runs.
//
// The contract with the controller:
//  - the engine takes an exclusive fcntl lock on the whole file (without waiting) and
//    holds it for its whole life: a lock that cannot be taken means another engine runs;
//  - right after locking it empties the file, and writes its pid in decimal followed by
//    "\n" only once it is ready: "locked, but no pid text yet" means start pending;
//  - on a clean stop it removes the file (while still holding the lock), then closes it.
// A file left behind by an engine that died is not locked, so it never blocks a start.
#include <string>

class CPidFile {
public:
    enum class LockResult {
        Locked, // this process holds the file now
        Busy,   // another process holds it
        Failed, // it cannot be created, opened or locked
    };

    explicit CPidFile(std::string path);
    // Closes the file (releasing the lock) without removing it.
    ~CPidFile();
    CPidFile(const CPidFile&) = delete;
    CPidFile& operator=(const CPidFile&) = delete;

    // "<root>/Sys/Run/QvsSnSvc.pid" for an Engine root (with or without its separator).
    static std::string PathForRoot(const std::string& root);

    const std::string& Path() const { return m_path; }

    // Creates the directory when needed, opens the file and locks it.  Busy gives the pid
    // that the holder wrote (0 while it has written none); Failed gives the reason.
    LockResult Lock(int* holderPid, std::string* error);
    // Replaces the content by "<pid>\n".  False when not locked or the write fails.
    bool WritePid(int pid);
    // Removes the file, then closes it.
    void Remove();
    bool IsLocked() const { return m_fd >= 0; }

    // The pid text of a pid file, 0 when there is none (empty, missing, not a number).
    static int ReadPid(const std::string& path);

private:
    std::string m_path;
    int m_fd = -1;
};
