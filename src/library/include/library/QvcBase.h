#pragma once
// CQvcBase: the common base of most classes of the system.  It carries a module name
// for diagnostics, a re-entrant lock, and the trace output: a text file and a ring log
// of the last 100 lines kept in a profile file.
#include "library/QvcLazy.h"
#include "library/QvcString.h"

#include <memory>
#include <mutex>
#include <string>

// Trace flags.
constexpr int kTraceFile = 1;    // append to the trace file
constexpr int kTraceRing = 2;    // add to the ring log
constexpr int kTraceRawFile = 4; // append to the trace file keeping line breaks (CR LF as LF)

class CQvcBase {
public:
    explicit CQvcBase(const char* name = "", long number = 0);
    CQvcBase(const CQvcBase& other);
    CQvcBase& operator=(const CQvcBase& other);
    virtual ~CQvcBase();

    // Comparisons used by the lists; the defaults compare identity.
    virtual bool IsEqual(const CQvcBase& other) const;
    virtual bool IsGreater(const CQvcBase& other) const;
    virtual bool IsLess(const CQvcBase& other) const;
    // A new object of the same kind with the same content.
    virtual std::unique_ptr<CQvcBase> Clone() const;

    void Lock() const { m_lock.lock(); }
    void Unlock() const { m_lock.unlock(); }

    CQvcString Name() const;
    // The module name, with `number` appended when it is not 0 ("Worker" 2 -> "Worker2").
    void SetName(const char* name, long number = 0);

    void SetTraceFile(const char* path);
    CQvcString TraceFile() const;
    void SetRingLogFile(const char* path);
    CQvcString RingLogFile() const;
    // Reads the trace file path from the machine-wide key of the product, sub-key
    // "Server\Trace", value `valueName` (the key is ensured, the value read with an empty
    // default, trimmed and written back) and sets it.
    void ReadTracePathFromRegistry(const char* valueName);

    // Writes one trace line; see kTrace* for the flags.  Nothing happens when both paths
    // are empty, flags is 0 or the format is empty.
    void Trace(int flags, const char* format, ...) const QVC_PRINTF(3, 4);

private:
    // The texts are empty for nearly every object (every node of the tree is one), so
    // they are held only once one of them is set.
    struct Texts {
        std::string Name;
        std::string TraceFile;
        std::string RingLogFile;
        bool operator==(const Texts&) const = default;
    };
    CQvcLazy<Texts> CopyTexts() const;
    // Sets one text under the lock; storage is freed again when all three are empty.
    void SetText(std::string Texts::*text, std::string value);
    void WriteRingLog(const CQvcString& line) const;

    mutable std::recursive_mutex m_lock;
    CQvcLazy<Texts> m_texts;
};

// RAII holder of a CQvcBase lock.
class CQvcLock {
public:
    explicit CQvcLock(const CQvcBase& object) : m_object(object) { m_object.Lock(); }
    ~CQvcLock() { m_object.Unlock(); }
    CQvcLock(const CQvcLock&) = delete;
    CQvcLock& operator=(const CQvcLock&) = delete;

private:
    const CQvcBase& m_object;
};

// The registry key of the product's machine-wide values.
inline constexpr const char* kProductKey = "Software\\Quorvane\\Sentrelle";
