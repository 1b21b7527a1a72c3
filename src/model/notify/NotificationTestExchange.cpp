#include "model/notify/NotificationTestExchange.h"

#include "library/QvcBase.h"
#include "model/link/LinkFileValues.h"
#include "model/console/ManagerPreferences.h"
#include "model/notify/SnQueryRequest.h"
#include "platform/System.h"

#include <filesystem>
#include <system_error>

namespace {

using std::chrono::seconds;

// The pick-up limit every dialog has: a request no Engine has touched is withdrawn.
constexpr seconds kPickUpLimit{10};

bool Exists(const CQvcString& path) { return !path.IsEmpty() && platform::FileExists(path.Str()); }

CQvcString ErrorLine(const char* format, const CSnNotificationResponse& response) {
    CQvcString line;
    line.Format(format, static_cast<long>(response.ErrorCode), response.ErrorDescription.c_str());
    return line;
}

} // namespace

const TestDialogTraits& TraitsOf(TestDialogKind kind) {
    static const TestDialogTraits traits[] = {
        {kRequestSmtp, "E-mail", seconds(0), "EmailTest", "This is a test message", "", "smtplog.txt"},
        {kRequestNetwork, "Network Popup", seconds(0), "NetSendTest", "This is an Quorvane test message", "", ""},
        {kRequestSms, "SMS", seconds(25), "SMSTest", "This is an Quorvane test message", "<recipient>",
         "smslog.txt"},
        {kRequestPager, "Pager", seconds(90), "PagerDtmfTest", "", "<pager number>", "pagerdtmf.txt"},
        {kRequestPager, "Pager", seconds(0), "PagerSnppTest", "This is a test message", "", "pagersnpp.txt"},
        {kRequestMsn, "MSN", seconds(25), "", "", "", "msnlog.txt"},
        {kRequestSnmp, "SNMP", seconds(0), "", "", "", ""},
        // The engine gives a query a minute; a little more covers its pick-up.
        {kRequestQuery, "Database Query", seconds(70), "", "", "", ""},
    };
    return traits[static_cast<int>(kind)];
}

CQvcString TestResultText(TestDialogKind kind, const CSnNotificationResponse& response) {
    const bool ok = response.ErrorCode == 0;
    const CQvcString& extra = response.ErrorDescriptionEx;
    const CQvcString code(static_cast<long>(response.ErrorCode));
    CQvcString text;
    switch (kind) {
    case TestDialogKind::Email:
        if (ok)
            return "Result: Message sent successfully";
        text = CQvcString("Message failed.") + ErrorLine("\r" "Error #%ld: %s", response);
        if (!extra.IsEmpty())
            text += CQvcString("\r" "Last SMTP Response:\r") + extra;
        return text;
    case TestDialogKind::NetSend:
    case TestDialogKind::SnmpTrap: {
        const bool trap = kind == TestDialogKind::SnmpTrap;
        if (ok)
            return trap ? "Result: SNMP Trap sent successfully" : "Result: Message sent successfully";
        return CQvcString(trap ? "Result: SNMP Trap failed" : "Result: Message failed") + "\r" "Error code: " + code +
               "\r" "Error description: " + response.ErrorDescription;
    }
    case TestDialogKind::Sms:
    case TestDialogKind::Msn:
        if (ok)
            return CQvcString("Result: Message successfully submitted") +
                   (extra.IsEmpty() ? CQvcString() : CQvcString("\r\n") + extra);
        return CQvcString("Result: Message failed\r\nError code: ") + code + "\r\nError description: " +
               response.ErrorDescription;
    case TestDialogKind::Query:
        return QueryResultText(response);
    case TestDialogKind::PagerDtmf:
    case TestDialogKind::PagerSnpp:
        if (ok)
            return "Message sent successfully";
        text = CQvcString("Message failed.") + ErrorLine("\r" "Error #%ld: %s", response);
        if (kind == TestDialogKind::PagerSnpp && !extra.IsEmpty())
            text += CQvcString("\r" "Last SNPP Response: ") + extra;
        return text;
    }
    return text;
}

TestDialogValues LoadTestValues(TestDialogKind kind, const CQvcString& defaultLogFile) {
    const char* const key = TraitsOf(kind).ValuesKey;
    const auto read = [&](const char* name, const char* def) { return prefs::ReadString(key, name, def); };
    TestDialogValues values;
    values.Subject = kind == TestDialogKind::Email ? read("Subject", "Quorvane Test Message") : CQvcString();
    values.Message = read("Message", TraitsOf(kind).DefaultMessage).BarsToLineBreaks();
    values.Recipient = read("Recipient", TraitsOf(kind).DefaultRecipient);
    values.LogFile = kind == TestDialogKind::Email || kind == TestDialogKind::Sms
                         ? read("LogFile", defaultLogFile.c_str())
                         : defaultLogFile;
    return values;
}

void StoreTestValues(TestDialogKind kind, const TestDialogValues& values) {
    const char* const key = TraitsOf(kind).ValuesKey;
    if (*key == '\0')
        return;
    if (kind == TestDialogKind::Email)
        prefs::WriteString(key, "Subject", values.Subject.c_str());
    if (kind != TestDialogKind::PagerDtmf)
        prefs::WriteString(key, "Message", CQvcString(values.Message).LineBreaksToBars().c_str());
    prefs::WriteString(key, "Recipient", values.Recipient.c_str());
    if (kind == TestDialogKind::Email || kind == TestDialogKind::Sms)
        prefs::WriteString(key, "LogFile", values.LogFile.c_str());
}

CNotificationTestExchange::CNotificationTestExchange(TestDialogKind kind, CQvcString engineRoot,
                                                     CQvcString notificationDirectory, Clock clock)
    : m_kind(kind), m_root(std::move(engineRoot)), m_directory(std::move(notificationDirectory)),
      m_clock(std::move(clock)) {
    m_root.EnsureTrailing('/');
}

CNotificationTestExchange::~CNotificationTestExchange() {
    if (m_request)
        m_request->RemoveFiles();
}

CNotificationTestExchange::Opening CNotificationTestExchange::Open(std::optional<bool> serviceRunning) const {
    if (serviceRunning.has_value() && !*serviceRunning)
        return Opening::ServiceStopped;
    return PendingRequests() > 0 ? Opening::AskToClearQueue : Opening::Proceed;
}

int CNotificationTestExchange::PendingRequests() const {
    const std::string prefix = CSnNotificationRequest::Prefix(TraitsOf(m_kind).Type);
    int count = 0;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(m_directory.Str(), error))
        count += entry.path().filename().string().rfind(prefix, 0) == 0 ? 1 : 0;
    return count;
}

void CNotificationTestExchange::ClearQueue() const {
    const std::string prefix = CSnNotificationRequest::Prefix(TraitsOf(m_kind).Type);
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(m_directory.Str(), error))
        if (entry.path().filename().string().rfind(prefix, 0) == 0)
            std::filesystem::remove(entry.path(), error);
}

CQvcString CNotificationTestExchange::ServiceStoppedText() {
    CQvcString format, text;
    format.LoadString(61526);
    text.Format(format.c_str(), "Quorvane Sentrelle", "QvsSnSvc");
    return text;
}

CQvcString CNotificationTestExchange::PendingQuestion() const {
    CQvcString format, text;
    format.LoadString(61527);
    text.Format(format.c_str(), PendingRequests(), TraitsOf(m_kind).ChannelName);
    return text;
}

CQvcString CNotificationTestExchange::DefaultLogFile() const {
    const char* name = TraitsOf(m_kind).DefaultLogName;
    return *name ? m_root + "Logs/" + name : CQvcString();
}

CNotificationTestExchange::SendResult CNotificationTestExchange::Send(std::unique_ptr<CSnNotificationRequest> request,
                                                                      const CQvcString& recipient,
                                                                      const CQvcString& logFile) {
    if (!logFile.IsEmpty() && !logFile.StartsWith(m_root.Str(), false) &&
        !logFile.StartsWith(m_root.Left(m_root.Length() - 1).Str() + "\\", false))
        return SendResult::LogFileOutsideRoot;
    if (m_state == State::Sending || m_state == State::Processing || m_state == State::TimedOut) {
        m_state = State::Idle;
        return SendResult::Reset;
    }
    if (m_request) {
        m_request->RemoveFiles();
        m_request.reset();
    }
    if (CQvcString(recipient).Trim().IsEmpty())
        return SendResult::NoRecipient;
    request->CreatorIsManager = 1;
    request->Enabled = 1;
    request->WriteRequest(m_directory, true); // a failed write is not reported: the test times out
    m_request = std::move(request);
    const auto now = m_clock();
    m_pickUpDeadline = now + kPickUpLimit;
    m_processingDeadline = now + TraitsOf(m_kind).ProcessingLimit;
    m_state = State::Sending;
    return SendResult::Sent;
}

CQvcString CNotificationTestExchange::RefusalText(SendResult result) const {
    CQvcString text;
    if (result == SendResult::LogFileOutsideRoot) {
        CQvcString format;
        format.LoadString(51627);
        text.Format(format.c_str(), m_root.c_str());
    } else if (result == SendResult::NoRecipient) {
        text.LoadString(61453);
    }
    return text;
}

CNotificationTestExchange::TickView CNotificationTestExchange::Tick() {
    TickView view;
    if (!m_request)
        return view;
    view.Active = true;
    view.OkEnabled = m_state == State::Idle || m_state == State::Answered;
    const auto now = m_clock();
    const bool limited = TraitsOf(m_kind).ProcessingLimit.count() > 0;
    if (m_state == State::Sending) {
        if (Exists(m_request->InProcessFile()) || Exists(m_request->ResponseFile())) {
            m_state = State::Processing;
        } else if (now > m_pickUpDeadline) {
            LinkDeleteProfileFile(m_request->RequestFile());
            m_state = State::TimedOut;
        }
    } else if (m_state == State::Processing) {
        if (limited && now > m_processingDeadline) {
            LinkDeleteProfileFile(m_request->RequestFile());
            m_state = State::TimedOut;
        } else if (Exists(m_request->ResponseFile())) {
            m_state = State::Answered;
        }
    }
    switch (m_state) {
    case State::Sending:
        view.Status.LoadString(51571);
        break;
    case State::Processing:
        view.Status.LoadString(51572);
        break;
    case State::TimedOut:
        view.Status.LoadString(51589);
        m_state = State::Idle;
        break;
    case State::Answered: {
        CSnNotificationResponse response;
        response.ReadResponse(*m_request);
        view.Result = TestResultText(m_kind, response);
        response.CreatorIsManager = 0;
        response.WriteResponse(*m_request);
        m_state = State::Idle;
        break;
    }
    case State::Idle:
        break;
    }
    return view;
}
