#pragma once
// The exchange behind the notification test dialogs, without windows: the request file
// the dialog drops into the Engine's notification directory, the Engine's pick-up (".PRC"
// or ".RSP"), its answer and the texts the dialog shows at each step.  Time comes from an
// injected clock so that the pick-up and processing limits can be driven by tests; the
// dialog calls Tick() once a second.
#include "library/QvcString.h"
#include "model/notify/SnNotificationRequest.h"
#include "model/notify/SnNotificationResponse.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

// The seven test dialogs, and "Execute Query" of the Database Query check, which sends
// its query the same way (the connection text stands where the others have a recipient).
enum class TestDialogKind { Email, NetSend, Sms, PagerDtmf, PagerSnpp, Msn, SnmpTrap, Query };

// What differs between the dialogs.
struct TestDialogTraits {
    std::int32_t Type;                       // request type (1 to 6)
    const char* ChannelName;                 // "E-mail", ... as the pending-queue question names it
    std::chrono::seconds ProcessingLimit;    // counted from sending; 0 = waits without limit
    const char* ValuesKey;                   // sub-key of the user's test values, "" for none
    const char* DefaultMessage;
    const char* DefaultRecipient;
    const char* DefaultLogName;              // file in the Engine root's "Logs", "" for none
};
const TestDialogTraits& TraitsOf(TestDialogKind kind);

// The result line of an answered test, as the dialog shows it.
CQvcString TestResultText(TestDialogKind kind, const CSnNotificationResponse& response);

// The values a user last typed into a test dialog, kept in the current user's registry
// under the product key's sub-key <ValuesKey> ("Subject", "Message", "Recipient",
// "LogFile").  Messages are stored on one line, "||" between the lines.
struct TestDialogValues {
    CQvcString Subject;
    CQvcString Message;
    CQvcString Recipient;
    CQvcString LogFile;
    bool operator==(const TestDialogValues&) const = default;
};
TestDialogValues LoadTestValues(TestDialogKind kind, const CQvcString& defaultLogFile);
void StoreTestValues(TestDialogKind kind, const TestDialogValues& values);

class CNotificationTestExchange {
public:
    enum class State { Idle = 0, Sending = 1, Processing = 2, TimedOut = 3, Answered = 4 };
    // What the dialog must do on opening.
    enum class Opening { Proceed, ServiceStopped, AskToClearQueue };
    enum class SendResult { Sent, Reset, LogFileOutsideRoot, NoRecipient };
    // What one tick shows: whether a request exists, the OK button, the status line and,
    // once answered, the result.
    struct TickView {
        bool Active = false;
        bool OkEnabled = true;
        CQvcString Status;
        CQvcString Result;
        bool operator==(const TickView&) const = default;
    };
    using Clock = std::function<std::chrono::steady_clock::time_point()>;

    CNotificationTestExchange(TestDialogKind kind, CQvcString engineRoot, CQvcString notificationDirectory,
                              Clock clock);
    ~CNotificationTestExchange(); // deletes the current request's files
    CNotificationTestExchange(const CNotificationTestExchange&) = delete;
    CNotificationTestExchange& operator=(const CNotificationTestExchange&) = delete;

    // `serviceRunning` is the probe of the Engine's service: empty when it could not be
    // made (taken as running).  Stopped: ServiceStoppedText(); pending requests:
    // PendingQuestion() (Yes: ClearQueue() and open again).
    Opening Open(std::optional<bool> serviceRunning) const;
    int PendingRequests() const;
    void ClearQueue() const;
    static CQvcString ServiceStoppedText();
    CQvcString PendingQuestion() const;

    CQvcString DefaultLogFile() const;
    // Sends `request` (its channel's settings and the dialog's values filled in) to
    // `recipient`; `logFile` as typed (empty: none).  Texts of refusals: RefusalText().
    SendResult Send(std::unique_ptr<CSnNotificationRequest> request, const CQvcString& recipient,
                    const CQvcString& logFile);
    CQvcString RefusalText(SendResult result) const;

    TickView Tick();
    State CurrentState() const { return m_state; }
    const CSnNotificationRequest* Request() const { return m_request.get(); }

private:
    TestDialogKind m_kind;
    CQvcString m_root;
    CQvcString m_directory;
    Clock m_clock;
    std::unique_ptr<CSnNotificationRequest> m_request;
    State m_state = State::Idle;
    std::chrono::steady_clock::time_point m_pickUpDeadline;
    std::chrono::steady_clock::time_point m_processingDeadline;
};
