#include "model/notify/SnNotificationRequest.h"

#include "library/QvcPath.h"
#include "library/QvcRandom.h"
#include "model/link/LinkFileValues.h"
#include "platform/Profile.h"
#include "platform/System.h"

#include <array>
#include <cstdio>
#include <vector>

namespace {

constexpr const char* kRequestSection = "Request";
constexpr std::size_t kHexDigits = 8;

constexpr std::array<const char*, 14> kPrefixes = {"SMTP", "NET",  "SMS", "PG",   "MSN", "SNMP", "RUN",
                                                   "RSTRT", "RBT", "LOGA", "LOGS", "REP", "GRPH", "DBQ"};

// `path` with its extension (after the last '.' of the file name) replaced by `ext`, or
// with `ext` appended when the name has none.
CQvcString WithExtension(const CQvcString& path, const char* ext) {
    const long slash = path.ReverseFind(platform::kPathSeparator);
    const long dot = path.ReverseFind('.');
    CQvcString out = dot > slash ? path.Left(static_cast<std::size_t>(dot)) : path;
    out += ext;
    return out;
}

std::string_view FileName(std::string_view path) {
    const std::size_t slash = path.find_last_of(platform::kPathSeparator);
    return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

bool IsUpperHex(char c) {
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F');
}

} // namespace

CSnNotificationRequest::CSnNotificationRequest(std::int32_t type, const char* name)
    : CQvcBase(name), m_type(type) {}

CSnNotificationRequest::~CSnNotificationRequest() = default;

const char* CSnNotificationRequest::Prefix(std::int32_t type) {
    if (type < 1 || type > static_cast<std::int32_t>(kPrefixes.size()))
        return nullptr;
    return kPrefixes[static_cast<std::size_t>(type - 1)];
}

std::int32_t CSnNotificationRequest::TypeFromFileName(std::string_view path) {
    std::string_view name = FileName(path);
    const std::size_t dot = name.rfind('.');
    if (dot != std::string_view::npos)
        name = name.substr(0, dot);
    if (name.size() <= kHexDigits)
        return 0;
    const std::string_view digits = name.substr(name.size() - kHexDigits);
    for (char c : digits)
        if (!IsUpperHex(c))
            return 0;
    const CQvcString prefix(name.substr(0, name.size() - kHexDigits));
    for (std::size_t i = 0; i < kPrefixes.size(); ++i)
        if (prefix.EqualsNoCase(kPrefixes[i]))
            return static_cast<std::int32_t>(i + 1);
    return 0;
}

CQvcString CSnNotificationRequest::CreateRequestName(std::int32_t type, const CQvcString& directory) {
    return CreateRequestNameAt(type, directory, platform::SecondsSince1970());
}

CQvcString CSnNotificationRequest::CreateRequestNameAt(std::int32_t type, const CQvcString& directory,
                                                       std::int64_t seconds) {
    const char* prefix = Prefix(type);
    if (prefix == nullptr || directory.IsEmpty())
        return CQvcString();
    // The number is a 32-bit value as the engine's platform keeps time; the random part
    // keeps two Managers that send in the same second apart.
    auto number = static_cast<std::uint32_t>(seconds);
    if (seconds > 32768)
        number -= static_cast<std::uint32_t>(QvcRand());
    CQvcString name;
    for (int attempt = 0; attempt < kMaxNameAttempts; ++attempt, ++number) {
        name.Format("%s%08lX.REQ", prefix, static_cast<unsigned long>(number));
        CQvcString path = PathJoin(directory, name.Str());
        if (!platform::FileExists(path.Str()) && !platform::DirectoryExists(path.Str()))
            return path;
    }
    return CQvcString();
}

bool CSnNotificationRequest::SetRequestFile(const CQvcString& pathOrDirectory, bool generate) {
    m_requestFile = generate ? CreateRequestName(m_type, pathOrDirectory) : pathOrDirectory;
    m_inProcessFile.Empty();
    m_responseFile.Empty();
    m_backupFile.Empty();
    if (m_requestFile.IsEmpty())
        return false;
    m_inProcessFile = WithExtension(m_requestFile, ".PRC");
    m_responseFile = WithExtension(m_requestFile, ".RSP");
    const std::string_view name = FileName(m_requestFile);
    const CQvcString directory = m_requestFile.Left(m_requestFile.Length() - name.size());
    const CQvcString backupDirectory = PathJoin(directory.IsEmpty() ? CQvcString(".") : directory, "Backup");
    if (platform::DirectoryExists(backupDirectory.Str()))
        m_backupFile = PathJoin(backupDirectory, name);
    return true;
}

void CSnNotificationRequest::Exchange() {
    Number("CreatorIsManager", CreatorIsManager);
    Number("Enabled", Enabled);
    ExchangeFields();
}

bool CSnNotificationRequest::WriteRequest(const CQvcString& directory, bool generate) {
    if (!SetRequestFile(directory, generate)) {
        Trace(kTraceFile, "Request type %d: no free request name in %s", m_type, directory.c_str());
        return false;
    }
    m_section.Clear();
    m_reading = false;
    Exchange();
    const char* file = m_requestFile.c_str();
    if (!platform::ProfileWriteSection(file, kRequestSection, m_section.Buffer())) {
        Trace(kTraceFile, "Request type %d: writing %s failed", m_type, file);
        return false;
    }
    // Nobody else writes a request: its writers' lock file need not stay behind.
    platform::DeleteFile(platform::ProfileLockFile(m_requestFile.Str()));
    if (!m_backupFile.IsEmpty() && !platform::FileExists(m_backupFile.Str()))
        platform::CopyFile(m_requestFile.Str(), m_backupFile.Str(), false);
    return true;
}

bool CSnNotificationRequest::ReadRequest(const CQvcString& path) {
    SetRequestFile(path, false);
    // A plain read, without the section reader's seeding: reading a request must never
    // create one.  A request never holds more than the buffer.
    std::vector<char> buffer(kSectionBufferSize, '\0');
    const std::uint32_t count =
        path.IsEmpty()
            ? 0
            : platform::GetPrivateProfileSection(kRequestSection, buffer.data(),
                                                 static_cast<std::uint32_t>(buffer.size()), path.c_str());
    m_section.Set(buffer.data(), count);
    m_reading = true;
    Exchange();
    m_reading = false;
    return count > 0;
}

void CSnNotificationRequest::RemoveFiles() const {
    LinkDeleteProfileFile(m_requestFile);
    LinkDeleteProfileFile(m_inProcessFile);
    LinkDeleteProfileFile(m_responseFile);
}

void CSnNotificationRequest::Put(const char* key, std::string_view value) {
    if (!LinkAppendEntry(m_section, key, value, kSectionBufferSize - 1))
        Trace(kTraceFile, "Request type %d: %s left out (%zu bytes do not fit)", m_type, key, value.size());
}

bool CSnNotificationRequest::Get(const char* key, std::string_view& value) const {
    return LinkFindValue(m_section.Entries(), key, value);
}

void CSnNotificationRequest::Number(const char* key, std::int32_t& value) {
    if (m_reading) {
        std::string_view text;
        value = Get(key, text) ? LinkParseInt(text) : 0;
        return;
    }
    char text[16];
    std::snprintf(text, sizeof text, "%d", value);
    Put(key, text);
}

void CSnNotificationRequest::Text(const char* key, CQvcString& value) {
    if (m_reading) {
        std::string_view text;
        value = Get(key, text) ? CQvcString(text) : CQvcString();
        return;
    }
    Put(key, LinkOneLine(value).Str());
}

void CSnNotificationRequest::Secret(const char* key, CQvcString& value) {
    if (m_reading) {
        std::string_view text;
        value = Get(key, text) ? CQvcString::Unscramble(text) : CQvcString();
        return;
    }
    Put(key, CQvcString::Scramble(value.Str()).Str());
}
