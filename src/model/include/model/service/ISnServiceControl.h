#pragma once
// ISnServiceControl: what the Manager asks of the Engine's service, whatever controls it.
// The watcher, the Service dialog and the application's service commands go through it;
// CQvcService is the product's, and tests script a fake (states in sequence, failures on
// demand) instead of a daemon.  One object serves one thread at a time: the watcher and
// each dialog get their own.
#include "library/QvcString.h"

#include <functional>
#include <memory>

class ISnServiceControl {
public:
    // The Engine's service.
    static constexpr const char* kEngineServiceName = "QvsSnSvc";
    static constexpr const char* kEngineServiceDisplayName = "Quorvane Sentrelle";

    // Service states as the service manager reports them.
    static constexpr long kStateStopped = 1;
    static constexpr long kStateStartPending = 2;
    static constexpr long kStateStopPending = 3;
    static constexpr long kStateRunning = 4;
    static constexpr long kStateContinuePending = 5;
    static constexpr long kStatePausePending = 6;
    static constexpr long kStatePaused = 7;

    // Results of StartOrStop and QueryServiceState.
    static constexpr long kErrorManager = -1000;     // the manager cannot be opened
    static constexpr long kErrorOpenQuery = -1001;   // the service cannot be opened for queries
    static constexpr long kErrorOpenControl = -1002; // ... nor with start (stop) rights
    static constexpr long kErrorQuery = -1003;       // a status query fails
    static constexpr long kErrorOperation = -1011;   // refused, or the wanted state not reached

    virtual ~ISnServiceControl() = default;

    // The Service dialog's query: 0 with the state (kState*) and, when asked for, the
    // logon account; kErrorManager, kErrorOpenQuery or kErrorQuery with `state` -1.
    virtual long QueryServiceState(const CQvcString& computer, const CQvcString& service, long& state,
                                   CQvcString* account = nullptr) = 0;
    // The watcher's quick look (opened for queries only): 0 with the state, or -1 with
    // `state` -1 when the service cannot be opened or queried.
    virtual long PollState(const CQvcString& computer, const CQvcString& service, long& state) = 0;
    // Starts (`start`) or stops the service and waits until it gets there: 0 or one of
    // the kError* codes.
    virtual long StartOrStop(const CQvcString& computer, const CQvcString& service, bool start) = 0;
    // Whether the last StartOrStop found the service already in the wanted state (or a
    // start under way by another process) and so launched nothing itself.
    virtual bool FoundAlready() const = 0;
};

// Makes a service control; empty means the product's CQvcService.
using ServiceControlFactory = std::function<std::unique_ptr<ISnServiceControl>()>;

// The control `factory` makes, or a CQvcService when it is empty.
std::unique_ptr<ISnServiceControl> MakeServiceControl(const ServiceControlFactory& factory);
