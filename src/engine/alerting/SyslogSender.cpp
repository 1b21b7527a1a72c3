// Notifications to a syslog server: RFC 3164 records over UDP, or over TCP with octet
// counting so that a record may never be split or merged by the receiver.
#include "engine/NetworkHelpers.h"
#include "engine/RunDeadline.h"
#include "engine/alerting/PlatformChannels.h"

#include <unistd.h>

#include <algorithm>
#include <ctime>
#include <string>
#include <string_view>

namespace {

constexpr int kSyslogPort = 514;
constexpr std::size_t kMostRecord = 1024;
// How long a datagram waits for the server's system to refuse it.
constexpr std::chrono::milliseconds kRefusalWait{300};

std::string ThisHostName() {
    char name[256] = {};
    if (::gethostname(name, sizeof name - 1) != 0 || name[0] == '\0')
        return "localhost";
    std::string host = name;
    return host.substr(0, host.find('.'));
}

} // namespace

std::string SyslogRecord(int facility, int severity, std::int64_t time, const std::string& host,
                         const std::string& text) {
    const int priority = std::clamp(facility, 0, 23) * 8 + std::clamp(severity, 0, 7);
    const std::time_t t = static_cast<std::time_t>(time);
    std::tm parts{};
    localtime_r(&t, &parts);
    static const char* const kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                          "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    char stamp[32];
    std::snprintf(stamp, sizeof stamp, "%s %2d %02d:%02d:%02d", kMonths[parts.tm_mon], parts.tm_mday,
                  parts.tm_hour, parts.tm_min, parts.tm_sec);
    std::string record(1, '<');
    record += std::to_string(priority);
    record += '>';
    record += stamp;
    record += ' ';
    record += host.empty() ? std::string_view("-") : std::string_view(host);
    record += " sentrelle: ";
    record += text;
    for (char& c : record) {
        if (static_cast<unsigned char>(c) < 0x20)
            c = ' ';
    }
    if (record.size() > kMostRecord)
        record.resize(kMostRecord);
    return record;
}

DeliveryOutcome SendSyslogText(const CSnLogSettings& settings, int severity, const std::string& text,
                               std::int64_t time, const RunContext& context) {
    HostAndPort server;
    if (!SplitHostPort(settings.SyslogServer.Str(), server))
        return {false, false,
                "The syslog server '" + settings.SyslogServer.Str() + "' is not a host name or address"};
    if (server.Port == 0)
        server.Port = settings.SyslogPort > 0 ? settings.SyslogPort : kSyslogPort;
    const std::string where = FormatHostPort(server.Host, server.Port);
    const std::string record = SyslogRecord(settings.SyslogFacility, severity, time, ThisHostName(), text);
    const CRunDeadline deadline(context);
    const int type = settings.SyslogTcp ? SOCK_STREAM : SOCK_DGRAM;
    const ResolveOutcome resolved = ResolveHost(server.Host, server.Port, type, AF_UNSPEC, deadline);
    if (resolved.Status != NetWait::Ready)
        return {false, true,
                "The syslog server '" + server.Host + "' " +
                    (resolved.Error.empty() ? "could not be resolved in time" : resolved.Error)};
    int error = 0;
    NetWait sent = NetWait::Failed;
    if (settings.SyslogTcp) {
        ConnectOutcome connected = ConnectTcp(resolved.Addresses, deadline.End(), deadline);
        error = connected.Error;
        sent = connected.Status;
        if (sent == NetWait::Ready)
            sent = SendAll(connected.Socket.Get(), std::to_string(record.size()) + " " + record,
                           deadline.End(), deadline, &error);
    } else {
        platform::UniqueFd socket = ConnectUdp(resolved.Addresses.front(), &error);
        if (socket)
            sent = SendDatagram(socket.Get(), record, deadline.Within(kRefusalWait), deadline, &error);
    }
    if (sent == NetWait::Ready)
        return {true, false, "Syslog record sent to " + where};
    return {false, true,
            "Syslog record to " + where + " failed: " +
                (sent == NetWait::TimedOut    ? std::string("no answer in time")
                 : sent == NetWait::Cancelled ? std::string("the engine is stopping")
                                              : ErrnoText(error))};
}

DeliveryOutcome SendSyslog(const CSnLogSettings& settings, const AlertEvent& event,
                           const RunContext& context) {
    if (!settings.SyslogEnabled)
        return {true, false, ""};
    const int severity = event.Direction == AlertDirection::Failure ? settings.SyslogPriorityFailure
                                                                    : settings.SyslogPriorityRecovery;
    return SendSyslogText(settings, severity, ExpandAlertText(settings.SyslogMessage.Str(), event, false),
                          event.Time != 0 ? event.Time : static_cast<std::int64_t>(std::time(nullptr)),
                          context);
}
