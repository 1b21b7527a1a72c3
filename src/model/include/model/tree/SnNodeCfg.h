#pragma once
// What the user configured for a folder or a check, with the defaults of a new node.
#include "library/QvcLazy.h"
#include "library/QvcString.h"
#include "model/schedule/SnCfgScheduleList.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>

class CSnNode;

// One non-owning link of the tree: the next sibling or the first child.
struct CSnNodeNext {
    CSnNode* Node = nullptr;
};

struct CSnNodeCfgScanFrequency {
    virtual ~CSnNodeCfgScanFrequency() = default;
    // 0 every Interval seconds, 1 on the schedule, 2 on every incoming SNMP trap.
    std::int32_t Mode = 0;
    std::int32_t Interval = 0;
    // The check fails after this many errors in a row.
    std::int32_t ErrorThreshold = 0;
    CSnCfgScheduleList Schedule;
};

// The type-specific parameter block of a check.  A check type uses a few of the texts;
// all but the tested computer are held only when not empty.
struct CSnNodeCfgFunction {
    virtual ~CSnNodeCfgFunction() = default;
    std::int32_t Type = 0; // 1 folder, else a check type; 0 no type
    std::int32_t ScriptTimeout = 0;
    std::int32_t UseCredentials = 0;
    CQvcLazyString CredentialsServer;
    std::int32_t ParamOption = 0;  // stored as a flag: reads back as 0 or 1
    std::int32_t ParamOption2 = 0; // the same
    CQvcLazyString ParamLogin;
    CQvcLazyString ParamLogin2;
    CQvcLazyString ParamPassword;
    CQvcLazyString ParamPassword2;
    CQvcString ParamServer; // the tested computer, without a leading pair of backslashes
    CQvcLazyString ParamByteCodes;
    CQvcLazyString Param1, Param2, Param3, Param4, Param5, Param6, Param7, Param8;
};

struct CSnNodeCfgActionMaintenance {
    virtual ~CSnNodeCfgActionMaintenance() = default;
    std::int32_t Enabled = 0;
    CSnCfgScheduleList Schedule;
    bool operator==(const CSnNodeCfgActionMaintenance&) const = default;
};

// How undetermined results are reported; all 0 means as status Uncertain.
struct CSnNodeCfgUncertain {
    virtual ~CSnNodeCfgUncertain() = default;
    std::int32_t UseGlobal = 0;
    std::int32_t AsError = 0;
    std::int32_t AsSuccess = 0;
};

// Repeat every Minutes while the check stays failed (1), or only once (0).
struct CSnNodeCfgActionRe {
    virtual ~CSnNodeCfgActionRe() = default;
    std::int32_t Repeat = 0;
    std::int32_t Minutes = 0;
};

struct CSnNodeCfgActionNotification {
    virtual ~CSnNodeCfgActionNotification() = default;
    std::int32_t Enabled = 0;
    CQvcString Recipients;
    bool operator==(const CSnNodeCfgActionNotification&) const = default;
};

// The SNMP trap entries: the same fields, but the recipients text lives in memory only.
struct CSnNodeCfgActionTrap : CSnNodeCfgActionNotification {};

struct CSnNodeCfgActionRunProgram {
    virtual ~CSnNodeCfgActionRunProgram() = default;
    std::int32_t RunExecutable = 0;
    CQvcString Executable;
    std::int32_t RunScript = 0;
    CQvcString Script;
    bool operator==(const CSnNodeCfgActionRunProgram&) const = default;
};

struct CSnNodeCfgActionRestart {
    virtual ~CSnNodeCfgActionRestart() = default;
    std::int32_t Reboot = 0;
    std::int32_t RestartServices = 0;
    CQvcString Computer; // without a leading pair of backslashes
    CQvcString Services;
    std::int32_t UseCredentials = 0;
    CQvcString Credentials;
    bool operator==(const CSnNodeCfgActionRestart&) const = default;
};

// Notification channels; entry 2c notifies on failure, 2c+1 on success or recovery.
enum SnChannel { kChannelEmail = 0, kChannelNetPopup, kChannelSms, kChannelPager, kChannelSnmpTrap, kChannelMessenger };
constexpr int kNotifyEntries = 12;
inline constexpr bool IsTrapEntry(int entry) { return entry == 8 || entry == 9; }

// The notification entries of a node.  Most checks leave most entries at their defaults,
// so an entry takes memory only once written; reads of an absent entry give a shared
// default.  Entries 8 and 9 are stored as CSnNodeCfgActionTrap.  Copies are deep.
class CSnNodeCfgNotifyEntries {
public:
    CSnNodeCfgNotifyEntries() = default;
    CSnNodeCfgNotifyEntries(const CSnNodeCfgNotifyEntries& other);
    CSnNodeCfgNotifyEntries& operator=(const CSnNodeCfgNotifyEntries& other);
    CSnNodeCfgNotifyEntries(CSnNodeCfgNotifyEntries&&) noexcept = default;
    CSnNodeCfgNotifyEntries& operator=(CSnNodeCfgNotifyEntries&&) noexcept = default;
    ~CSnNodeCfgNotifyEntries() = default;

    // Entry `entry` (0 to size() - 1); never allocates.
    const CSnNodeCfgActionNotification& operator[](int entry) const;
    // Entry `entry` for writing, stored from the default on first use.
    CSnNodeCfgActionNotification& Edit(int entry);
    // Stores a copy of `value` as entry `entry`; a default value frees the entry.
    void Assign(int entry, const CSnNodeCfgActionNotification& value);
    bool IsStored(int entry) const { return m_entries[static_cast<std::size_t>(entry)] != nullptr; }
    static constexpr int size() { return kNotifyEntries; }

    // Entry by entry, an absent entry equal to a stored default one.
    bool operator==(const CSnNodeCfgNotifyEntries& other) const;

private:
    std::array<std::unique_ptr<CSnNodeCfgActionNotification>, kNotifyEntries> m_entries;
};

// The parts most checks leave at their defaults (Maintenance, Notify, the programs and
// Restart) take memory only once they differ from them: read them with `->` or `[]`,
// write them with Edit or Assign.
struct CSnNodeCfgAction {
    virtual ~CSnNodeCfgAction() = default;
    CQvcLazy<CSnNodeCfgActionMaintenance> Maintenance;
    // IDs this node depends on, decimal, separated by ";".
    CQvcString Dependencies;
    CSnNodeCfgUncertain Uncertain;
    CSnNodeCfgActionRe ReNotify;
    CSnNodeCfgActionRe ReRun;
    // Entries 8 and 9 are the trap entries (see IsTrapEntry).
    CSnNodeCfgNotifyEntries Notify;
    CQvcLazy<CSnNodeCfgActionRunProgram> RunOnFailure;
    CQvcLazy<CSnNodeCfgActionRunProgram> RunOnSuccess;
    CQvcLazy<CSnNodeCfgActionRestart> Restart;
};

class CSnNodeCfg {
public:
    virtual ~CSnNodeCfg() = default;
    // Every configuration field equal, the tree links aside; texts byte by byte.
    bool IsEqual(const CSnNodeCfg& other) const;

    std::int32_t ID = 0;
    CQvcString Name;
    CQvcString Notes;
    std::int32_t OnHold = 0;
    std::int32_t Inverse = 0;
    std::int32_t GraphEnabled = 0;
    CSnNodeCfgScanFrequency ScanFrequency;
    CSnNodeCfgFunction Function;
    CSnNodeCfgAction Action;
    CSnNodeNext Next;
    CSnNodeNext Child;
};
