#pragma once
// The channels and actions that reach beyond e-mail and traps: SMS through an HTTP
// provider, pages over SNPP, syslog, programs run when a check fails or succeeds, and
// restarts of services (or of this computer) through systemd.  Each ends within the run
// context's time-out and soon after the engine stops, and answers in words for the
// activity log.
#include "engine/alerting/AlertChannels.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The action kind ("LogS") of a notification's syslog record.
inline constexpr int kSyslogActionKind = 11;

// Registers SMS (3), Pager (4), Run (7), Restart (8), Reboot (9) and the syslog record
// (kSyslogActionKind: SendSyslog of the request's event with the settings' Log).
void AddPlatformChannels(AlertChannelTable& table);

// The short text of an SMS or page: the request's body, else its subject, on one line
// (each run of line breaks and other control characters becomes one blank).
std::string ShortMessageText(const AlertDeliveryRequest& request);

// ---- SMS ---------------------------------------------------------------------------
// The provider's URL from the settings' template: "<% Number %>" (the recipient's phone
// number), "<% Message %>", "<% Sender %>" (HttpSender), "<% Account %>" and
// "<% Password %>" (the web account) are replaced by their values, percent-encoded
// (RFC 3986: everything but letters, digits and "-._~").  Names ignore letter case.
std::string SmsProviderUrl(const CSnSmsSettings& settings, const std::string& number,
                           const std::string& message);
// Sends request.Recipient the short text with one HTTP GET of SmsProviderUrl, through the
// proxy and with the web account (basic or digest) when they are set.  Delivered when the
// answer's body contains HttpSuccessResponse, or, when that is empty, on an HTTP 2xx.
// The GSM device and the messaging server are not available on this platform.
DeliveryOutcome SendSms(const AlertDeliveryRequest& request, const AlertSettings& settings,
                        const RunContext& context);

// ---- Pager -------------------------------------------------------------------------
// Pages request.Recipient over SNPP (RFC 1861): after the server's 2xx greeting,
// "PAGE <id>[ <password>]", "MESS <text>" and "SEND" must each be answered 250 (any 2xx
// passes), then "QUIT".  SnppTimeOut (seconds) bounds the whole dialogue.  DTMF tones
// through a modem are not available on this platform.
DeliveryOutcome SendPage(const AlertDeliveryRequest& request, const AlertSettings& settings,
                         const RunContext& context);

// ---- Syslog ------------------------------------------------------------------------
// One RFC 3164 record: "<PRI>Mmm dd hh:mm:ss HOST sentrelle: TEXT", PRI = facility * 8 +
// severity (both clamped to their ranges), the time in local time, line breaks and other
// control characters of TEXT made blanks, the record cut to 1024 bytes.
std::string SyslogRecord(int facility, int severity, std::int64_t time, const std::string& host,
                         const std::string& text);
// Sends one record to SyslogServer:SyslogPort (514 when 0): a datagram over UDP, or over
// TCP with octet-counting framing ("<length> <record>", RFC 6587) when SyslogTcp is set.
DeliveryOutcome SendSyslogText(const CSnLogSettings& settings, int severity, const std::string& text,
                               std::int64_t time, const RunContext& context);
// What alerting calls once per notification: SyslogMessage with the event's placeholders
// filled, at the failure or recovery priority.  Does nothing (Ok, no text) when syslog is
// off in the settings.
DeliveryOutcome SendSyslog(const CSnLogSettings& settings, const AlertEvent& event,
                           const RunContext& context);

// ---- Programs ----------------------------------------------------------------------
// Splits a command line into arguments: blanks separate; double quotes group (and are
// dropped); a backslash before a double quote or another backslash makes it literal; any
// other backslash stays.  Nothing when a quote is left open.
std::optional<std::vector<std::string>> SplitCommandLine(std::string_view line);

// How a program run ended.
struct ProgramRun {
    bool Started = false;
    bool Exited = false;    // ended by itself (ExitCode) or by a signal (Signal)
    bool TimedOut = false;  // killed (with its process group) at the time limit
    bool Cancelled = false; // killed because the engine stops
    int ExitCode = -1;
    int Signal = 0;
    std::string Output; // the start of what it wrote to standard output and error
    std::string Error;  // why it did not start
};
// Starts argv[0] (looked up on $PATH when it holds no '/') without a shell, in a process
// group of its own, standard input from /dev/null, standard output and error collected;
// `environment` ("NAME=value") is added to the engine's own.  Waits until it ends, the
// context's time-out passes or the engine stops; in the last two cases the whole process
// group is killed.
ProgramRun RunProgram(const std::vector<std::string>& argv, const std::vector<std::string>& environment,
                      const RunContext& context);

// Run (7): request.Recipient is the command line; every argument gets the event's
// placeholders filled; the program's environment holds the check's fields as
// SENTRELLE_CHECK_NAME, _HOST, _TYPE, _STATUS, _DATA, _RESPONSE, _TIME, _FOLDER, _ID and
// _DIRECTION.  Ok when it exits with 0; the text names the exit code and the first line
// of its output.
DeliveryOutcome RunProgramAction(const AlertDeliveryRequest& request, const AlertSettings& settings,
                                 const RunContext& context);
// The outcome alerting logs for a check's script action.
DeliveryOutcome ScriptActionOutcome();

// ---- Services and reboot -----------------------------------------------------------
// True for this computer: empty, "localhost", a loopback address, or this host's name
// (with or without its domain, letter case ignored; a leading pair of backslashes dropped).
bool IsThisComputer(std::string_view computer);
// Restart (8): "systemctl restart <unit>" for each name in request.Recipient (separated by
// blanks, commas or semicolons), on this computer only.
DeliveryOutcome RestartServices(const AlertDeliveryRequest& request, const AlertSettings& settings,
                                const RunContext& context);
// Reboot (9): "systemctl reboot" on this computer, only when settings.AllowReboot is set.
DeliveryOutcome RebootComputer(const AlertDeliveryRequest& request, const AlertSettings& settings,
                               const RunContext& context);
