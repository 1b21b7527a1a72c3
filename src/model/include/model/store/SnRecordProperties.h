#pragma once
// Property numbers of every record object that travels through the configuration
// component.  Property 1 is always the record's ID, which only the component assigns.
// The component (the database columns) and the settings classes (the fields) both use
// these numbers; nothing else may spell them out.
//
// Kinds: B a flag (travels as a bool: -1 or 0), L a 32-bit integer, S a text.

// The record kinds, as CSnRecord::Kind() names them.
namespace snkind {
inline constexpr const char* kNode = "Node";
inline constexpr const char* kMetaSettings = "MetaSettings";
inline constexpr const char* kSmtpSettings = "SmtpSettings";
inline constexpr const char* kSmsSettings = "SmsSettings";
inline constexpr const char* kPagerSettings = "PagerSettings";
inline constexpr const char* kMsnSettings = "MsnSettings";
inline constexpr const char* kLogSettings = "LogSettings";
inline constexpr const char* kReportSettings = "ReportSettings";
inline constexpr const char* kSnmpTrapsSettings = "SnmpTrapsSettings";
inline constexpr const char* kMessageTemplate = "MessageTemplates";
inline constexpr const char* kDistributionGroup = "DistributionGroups";
inline constexpr const char* kXmlView = "XmlViews";
} // namespace snkind

inline constexpr int kPropId = 1;

// Node record.  The summary properties (marked *) are all that a summary enumeration
// fills.
namespace snnode {
enum : int {
    kId = 1,                  // L *
    kName = 2,                // S *
    kNotes = 3,               // S   CR LF stored as "||"
    kScanMode = 4,            // L *
    kScanInterval = 5,        // L *
    kScanSchedule = 6,        // S *
    kErrorThreshold = 7,      // L *
    kOnHold = 8,              // B *
    kInverse = 9,             // B *
    kScriptTimeout = 10,      // L *
    kType = 11,               // L *
    kMaintenanceEnabled = 12, // B
    kMaintenanceSchedule = 13,// S
    kDependencies = 14,       // S *
    kReNotifyRepeat = 15,     // B
    kReNotifyMinutes = 16,    // L
    kNotifyFlags = 17,        // S   "%d9%d9...": the Enabled flags of the 12 entries
    kRecipients0 = 18,        // S   18 to 25: entries 0 to 7
    kRecipients10 = 26,       // S   entry 10
    kRecipients11 = 27,       // S   entry 11
    kReserved28 = 28,         // S   kept for the engine; the Manager never uses it
    kReserved29 = 29,         // S   the same
    kReRunRepeat = 30,        // B
    kReRunMinutes = 31,       // L
    kActionFlags = 32,        // S   "%d%d%d%d%d%d%d": run-program and restart flags
    kFailureExecutable = 33,  // S
    kSuccessExecutable = 34,  // S
    kSuccessScript = 35,      // S
    kFailureScript = 36,      // S
    kRestartServices = 37,    // S
    kRestartComputer = 38,    // S
    kRestartCredentials = 39, // S
    kUncertain = 40,          // L   0 use global, 1 none, 2 as error, 3 as success
    kGraphEnabled = 41,       // B *
    kReserved42 = 42,         // S   kept for the engine
    kReserved43 = 43,         // S   kept for the engine
    kUseCredentials = 44,     // B
    kCredentialsServer = 45,  // S
    kParamOption = 46,        // B
    kParamOption2 = 47,       // B
    kParamLogin = 48,         // S
    kParamLogin2 = 49,        // S
    kParamPassword = 50,      // S   scrambled
    kParamPassword2 = 51,     // S   scrambled
    kParamByteCodes = 52,     // S
    kParamServer = 53,        // S *
    kParam1 = 54,             // S * (54 to 61: Param1 to Param8; 54 and 55 are summary)
    kParam2 = 55,             // S *
    kParam3 = 56,             // S
    kParam4 = 57,             // S
    kParam5 = 58,             // S
    kParam6 = 59,             // S
    kParam7 = 60,             // S
    kParam8 = 61,             // S
    kLast = 61,
};
// The summary properties in the order a summary decoding reads them.
inline constexpr int kSummary[] = {1, 2, 4, 5, 7, 6, 8, 9, 41, 11, 10, 14, 53, 54, 55};
} // namespace snnode

// Meta settings (one record).  The texts of properties 3 and 5 are ours: the program
// that created the database and a free description.
namespace snmeta {
enum : int { kVersion = 2 /*S*/, kCreator = 3 /*S*/, kTimeStamp = 4 /*L*/, kDescription = 5 /*S*/, kLast = 5 };
}

// E-mail channel: two mail servers (the second is the fallback) and the message options.
namespace snsmtp {
enum : int {
    kServer1 = 2,         // S
    kPort1 = 3,           // L
    kSecure1 = 4,         // B  TLS
    kAuthRequired1 = 5,   // B
    kLogin1 = 6,          // S
    kPassword1 = 7,       // S  scrambled
    kSenderName1 = 8,     // S
    kSenderAddress1 = 9,  // S
    kServer2 = 10,        // S  10 to 17: the same for the second server
    kPort2 = 11,
    kSecure2 = 12,
    kAuthRequired2 = 13,
    kLogin2 = 14,
    kPassword2 = 15,
    kSenderName2 = 16,
    kSenderAddress2 = 17,
    kCharSet = 18,        // L  character set number of the messages
    kRtf = 19,            // B  send formatted messages
    kLogFile = 20,        // S  "<SNROOT>" placeholder allowed
    kLast = 20,
};
}

// SMS channel: a GSM device, an HTTP provider, or the messaging server.
namespace snsms {
enum : int {
    kProtocol = 2,              // L  0 GSM device, 1 HTTP provider, 2 messaging server
    kGsmHasPinCode = 3,         // B
    kGsmPinCode = 4,            // S  scrambled
    kGsmDevice = 5,             // S
    kGsmDeviceSpeed = 6,        // L
    kGsmDeviceFlowControl = 7,  // L
    kGsmInitString = 8,         // S
    kHttpProviderUrl = 9,       // S
    kHttpSuccessResponse = 10,  // S
    kHttpSender = 11,           // S
    kHttpWebAccount = 12,       // S
    kHttpWebPassword = 13,      // S  scrambled
    kHttpProxyServer = 14,      // S
    kHttpProxyAccount = 15,     // S
    kHttpProxyPassword = 16,    // S  scrambled
    kServerChannel = 17,        // L
    kLogFile = 18,              // S
    kLast = 18,
};
}

// Pager channel: SNPP or DTMF tones through a modem.
namespace snpager {
enum : int {
    kProtocol = 2,              // L  0 SNPP, 1 DTMF
    kSnppServer = 3,            // S
    kSnppPort = 4,              // L
    kSnppPassword = 5,          // S  scrambled
    kSnppTimeOut = 6,           // L  seconds
    kDtmfDevice = 7,            // S
    kDtmfDeviceSpeed = 8,       // L
    kDtmfDeviceFlowControl = 9, // L
    kDtmfDeviceInitString = 10, // S
    kDtmfDialPulse = 11,        // B  pulse instead of tone dialling
    kDtmfRedials = 12,          // L
    kLogFile = 13,              // S
    kLast = 13,
};
}

// Instant-messenger channel.
namespace snmsn {
enum : int {
    kServer = 2,      // S
    kPort = 3,        // L
    kAccount = 4,     // S
    kPassword = 5,    // S  scrambled
    kDisplayName = 6, // S
    kLogFile = 7,     // S
    kLast = 7,
};
}

// Log settings.  Properties 3 and 10 are not used.
namespace snlog {
enum : int {
    kEnabled = 2,                 // B
    kToDatabase = 4,              // B
    kSystemMessagesOnly = 5,      // B
    kTextLogPath = 6,             // S
    kSeparator = 7,               // S
    kMaxSizeKB = 8,               // L
    kBackupWhenFull = 9,          // B
    kDbConnection = 11,           // S
    kDbPassword = 12,             // S  scrambled password of the database connection
    kSyslogEnabled = 13,          // B
    kSyslogServer = 14,           // S
    kSyslogPort = 15,             // L
    kSyslogTcp = 16,              // B  protocol: 1 TCP, 0 UDP
    kSyslogMessage = 17,          // S  message text with "<% name %>" placeholders
    kSyslogFacility = 18,         // L
    kSyslogPriorityFailure = 19,  // L
    kSyslogPriorityRecovery = 20, // L
    kSyslogPriorityInfo = 21,     // L
    kLast = 21,
};
}

// Statistics reports.
namespace snreport {
enum : int {
    kEnabled = 2,       // B  collect statistics
    kDbConnection = 3,  // S
    kDbPassword = 4,    // S  scrambled
    kGraphsEnabled = 5, // B
    kOutputDirectory = 6, // S
    kStyleSheet = 7,    // S
    kRetentionDays = 8, // L
    kLast = 8,
};
}

// SNMP trap notifications.
namespace snsnmptrap {
enum : int {
    kAgent = 2,           // S  host that receives the traps
    kPort = 3,            // L
    kCommunity = 4,       // S
    kOid = 5,             // S
    kOidType = 6,         // L
    kProtocolVersion = 7, // L  1 or 2
    kGenericTrap = 8,     // L
    kLogFile = 9,         // S
    kLast = 9,
};
}

// Message templates, one record per ID (the IDs are the action kinds 1 to 6).
namespace sntemplate {
enum : int { kName = 2 /*S*/, kNotificationTypeId = 3 /*L*/, kSubject = 4 /*S*/, kBody = 5 /*S*/, kLast = 5 };
}

// Distribution groups.  Groups with IDs below 10 are built in.
namespace sngroup {
enum : int { kNotificationTypeId = 2 /*L*/, kName = 3 /*S*/, kMembers = 4 /*S*/, kIsDefault = 5 /*B*/, kLast = 5 };
}

// Web views, indexes 0 to 127.
namespace snxmlview {
enum : int {
    kEnabled = 2,     // L
    kName = 3,        // S
    kTemplate = 4,    // S  XSL template input file
    kDescription = 5, // S
    kOutput = 6,      // S  output file
    kLast = 6,
};
}
