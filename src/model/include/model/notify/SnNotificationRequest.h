#pragma once
// CSnNotificationRequest: one notification test request, exchanged with the engine as
// files in its notification directory that share one base name, the channel's prefix
// and eight upper-case hexadecimal digits:
//   <base>.REQ  section "Request", written by the Manager
//   <base>.PRC  present while the engine works on the request
//   <base>.RSP  section "Response" (CSnNotificationResponse), written by the engine
// When a sub-directory "Backup" exists in the notification directory, each request is
// copied there under the same name too (an existing copy is kept).
//
// Every request starts with "CreatorIsManager" and "Enabled"; each subclass adds the
// keys of its channel through ExchangeFields, which serves both directions: the Manager
// writes a request with WriteRequest, the engine reads it back with ReadRequest (or
// ReadNotificationRequest, which finds the class from the file name).  Values read
// back are what was written, with three exceptions: texts come back with their line
// breaks as "||" (a "Message" is written that way, any other text would otherwise break
// its line of the file), blanks around a value are trimmed by the file format, and
// passwords stored under an "E" key ("...EPassword...") are written scrambled and read
// back plain.  Keys missing from the file read as 0 or empty.
#include "library/QvcBase.h"
#include "library/QvcSectionString.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

// Request types; the prefix of each is given by CSnNotificationRequest::Prefix.
enum SnRequestType : std::int32_t {
    kRequestSmtp = 1,
    kRequestNetwork = 2,
    kRequestSms = 3,
    kRequestPager = 4,
    kRequestMsn = 5,
    kRequestSnmp = 6,
    kRequestRun = 7,
    kRequestRestart = 8,
    kRequestReboot = 9,
    kRequestLogA = 10,
    kRequestLogS = 11,
    kRequestReport = 12,
    kRequestGraph = 13,
    kRequestQuery = 14, // a database query run once (SnQueryRequest.h)
};

class CSnNotificationRequest : public CQvcBase {
public:
    // The size of the section buffer; one byte of it closes the list, so the entries
    // have kSectionBufferSize - 1 bytes.  An entry that does not fit is left out; later,
    // smaller entries are still added when they fit.
    static constexpr std::size_t kSectionBufferSize = 16384;
    // The most names CreateRequestName tries before it gives up.
    static constexpr int kMaxNameAttempts = 999;

    ~CSnNotificationRequest() override;

    std::int32_t Type() const { return m_type; }

    // "SMTP", "NET", ... for types 1 to 14; null for any other type.
    static const char* Prefix(std::int32_t type);
    // The type whose prefix a request file name carries ("<dir>/SMTP0000ABCD.REQ" is
    // 1); 0 when the name does not have the form prefix + eight hex digits + extension.
    static std::int32_t TypeFromFileName(std::string_view path);
    // A free ".REQ" path in `directory` for a request of `type`: the current time in
    // seconds (less a pseudo-random value when above 32768) written as "%08lX" after the
    // prefix, counted up while a file of that name exists; empty when none of
    // kMaxNameAttempts names is free or the type has no prefix.
    static CQvcString CreateRequestName(std::int32_t type, const CQvcString& directory);
    // The same from a given time in seconds (the clock is the caller's).
    static CQvcString CreateRequestNameAt(std::int32_t type, const CQvcString& directory,
                                          std::int64_t seconds);

    // With `generate`, a new name in the directory `pathOrDirectory`; without it, that
    // path itself.  Derives the ".PRC" and ".RSP" paths and, when the directory has a
    // "Backup" sub-directory, the backup path.  False (every path empty) when no name
    // was found or the path is empty.
    bool SetRequestFile(const CQvcString& pathOrDirectory, bool generate);
    const CQvcString& RequestFile() const { return m_requestFile; }
    const CQvcString& InProcessFile() const { return m_inProcessFile; }
    const CQvcString& ResponseFile() const { return m_responseFile; }
    const CQvcString& BackupFile() const { return m_backupFile; }

    // Sets the file (as SetRequestFile), writes section "Request" with every key of the
    // request in order (up to 3 attempts), copies the file to the backup path when there
    // is one; true when the request file was written.  A directory that cannot be
    // written gives false and nothing else: the caller's test then times out.
    bool WriteRequest(const CQvcString& directory, bool generate);
    // Reads section "Request" of `path` into the fields (missing keys read as 0 or
    // empty) and sets the request file to `path`.  False when the file holds no
    // section "Request"; the fields are then reset to 0 and empty.
    bool ReadRequest(const CQvcString& path);
    // Deletes the request's ".REQ", ".PRC" and ".RSP" files (and the side files their
    // writers lock on); the backup copy stays.
    void RemoveFiles() const;

    // The keys of the last WriteRequest, in order (what went into the section).
    const CQvcSectionString& Section() const { return m_section; }

    std::int32_t CreatorIsManager = 1;
    std::int32_t Enabled = 1;

protected:
    CSnNotificationRequest(std::int32_t type, const char* name);
    CSnNotificationRequest(const CSnNotificationRequest&) = default;
    CSnNotificationRequest& operator=(const CSnNotificationRequest&) = default;

    // Names every key of the channel, in the order written, with its field.  Called
    // once per WriteRequest and once per ReadRequest; the helpers below write or read
    // according to which of the two is running.
    virtual void ExchangeFields() = 0;
    // A decimal integer.
    void Number(const char* key, std::int32_t& value);
    // A text; its line breaks are written as "||".
    void Text(const char* key, CQvcString& value);
    // A password: written scrambled, read back plain.
    void Secret(const char* key, CQvcString& value);

private:
    void Exchange();
    void Put(const char* key, std::string_view value);
    bool Get(const char* key, std::string_view& value) const;

    std::int32_t m_type;
    CQvcString m_requestFile;
    CQvcString m_inProcessFile;
    CQvcString m_responseFile;
    CQvcString m_backupFile;
    // While writing: the section being built.  While reading: the section read.
    CQvcSectionString m_section;
    bool m_reading = false;
};
