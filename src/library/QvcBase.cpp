#include "library/QvcBase.h"

#include "library/QvcSectionString.h"
#include "platform/Profile.h"
#include "platform/Registry.h"
#include "platform/SafeFile.h"
#include "platform/System.h"

#include <cstdio>
#include <memory>
#include <vector>

namespace {

constexpr std::size_t kRingLogEntries = 100;
constexpr std::size_t kRingLineLimit = 1023;
constexpr std::size_t kRingLineCut = 1020;

// Trailing line breaks go; the others are made visible on the one trace line.
std::string FlattenLineBreaks(const std::string& text) {
    std::string s = text;
    while (!s.empty() && (s.back() == '\r' || s.back() == '\n'))
        s.pop_back();
    std::string out;
    out.reserve(s.size());
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '\r' && i + 1 < s.size() && s[i + 1] == '\n') {
            out += " <CRLF> ";
            ++i;
        } else if (s[i] == '\r') {
            out += " <CR> ";
        } else if (s[i] == '\n') {
            out += " <LF> ";
        } else {
            out += s[i];
        }
    }
    return out;
}

} // namespace

CQvcBase::CQvcBase(const char* name, long number) { SetName(name, number); }

CQvcBase::CQvcBase(const CQvcBase& other) : m_texts(other.CopyTexts()) {}

CQvcBase& CQvcBase::operator=(const CQvcBase& other) {
    if (this != &other) {
        CQvcLazy<Texts> texts = other.CopyTexts();
        CQvcLock lock(*this);
        m_texts = std::move(texts);
    }
    return *this;
}

CQvcBase::~CQvcBase() = default;

bool CQvcBase::IsEqual(const CQvcBase& other) const { return this == &other; }
bool CQvcBase::IsGreater(const CQvcBase&) const { return false; }
bool CQvcBase::IsLess(const CQvcBase& other) const { return !IsEqual(other) && !IsGreater(other); }
std::unique_ptr<CQvcBase> CQvcBase::Clone() const { return std::make_unique<CQvcBase>(*this); }

CQvcLazy<CQvcBase::Texts> CQvcBase::CopyTexts() const {
    CQvcLock lock(*this);
    return m_texts;
}

void CQvcBase::SetText(std::string Texts::*text, std::string value) {
    CQvcLock lock(*this);
    if (m_texts.Get().*text == value)
        return;
    Texts texts = m_texts.Get();
    texts.*text = std::move(value);
    m_texts.Assign(texts);
}

CQvcString CQvcBase::Name() const {
    CQvcLock lock(*this);
    return CQvcString(m_texts->Name);
}

void CQvcBase::SetName(const char* name, long number) {
    CQvcString text(name);
    if (number != 0)
        text += CQvcString(number);
    SetText(&Texts::Name, text.Str());
}

void CQvcBase::SetTraceFile(const char* path) { SetText(&Texts::TraceFile, CQvcString(path).Str()); }

CQvcString CQvcBase::TraceFile() const {
    CQvcLock lock(*this);
    return CQvcString(m_texts->TraceFile);
}

void CQvcBase::SetRingLogFile(const char* path) { SetText(&Texts::RingLogFile, CQvcString(path).Str()); }

CQvcString CQvcBase::RingLogFile() const {
    CQvcLock lock(*this);
    return CQvcString(m_texts->RingLogFile);
}

void CQvcBase::ReadTracePathFromRegistry(const char* valueName) {
    CQvcString key(kProductKey);
    key += "\\Server\\Trace";
    const std::string path =
        platform::RegReadStringWriteBack(platform::Hive::LocalMachine, key.c_str(), valueName, "", true);
    SetTraceFile(path.c_str());
}

void CQvcBase::Trace(int flags, const char* format, ...) const {
    if (flags == 0 || !format || !*format)
        return;
    CQvcLock lock(*this);
    const Texts& texts = *m_texts;
    if (texts.TraceFile.empty() && texts.RingLogFile.empty())
        return;

    CQvcString text;
    {
        // Lines may be long (whole configuration texts): the growing format keeps them whole.
        va_list args;
        va_start(args, format);
        va_list copy;
        va_copy(copy, args);
        int needed = std::vsnprintf(nullptr, 0, format, copy);
        va_end(copy);
        std::vector<char> buffer(needed > 0 ? static_cast<std::size_t>(needed) + 1 : 1, '\0');
        if (needed > 0)
            std::vsnprintf(buffer.data(), buffer.size(), format, args);
        va_end(args);
        text = buffer.data();
    }

    std::string body;
    if (flags & kTraceRawFile) {
        CQvcString raw = text;
        raw.Replace("\r\n", "\n");
        body = raw.Str();
    } else {
        body = FlattenLineBreaks(text.Str());
    }
    const platform::LocalTime t = platform::GetLocalTime();
    char stamp[32];
    std::snprintf(stamp, sizeof stamp, "[%02d:%02d:%02d]  ", t.hour, t.minute, t.second);
    const CQvcString line = CQvcString(stamp) + CQvcString(body);

    if ((flags & (kTraceFile | kTraceRawFile)) && !texts.TraceFile.empty()) {
        // Never through a link planted at the trace file's name.
        platform::AppendFileNoFollow(texts.TraceFile, line.Str() + "\n");
    }
    if ((flags & kTraceRing) && !texts.RingLogFile.empty())
        WriteRingLog(line);
}

void CQvcBase::WriteRingLog(const CQvcString& line) const {
    CQvcString entry = line;
    if (entry.Length() > kRingLineLimit) {
        entry = entry.Left(kRingLineCut);
        entry += "...";
    }
    const char* file = m_texts->RingLogFile.c_str();
    // 100 entries of at most 1032 bytes each fit easily.
    std::vector<char> buffer(kRingLogEntries * 1100 + 2, '\0');
    platform::GetPrivateProfileSection("Log", buffer.data(), static_cast<uint32_t>(buffer.size()), file);
    CQvcSectionString section;
    section.Set(buffer.data(), buffer.size());
    const int next = static_cast<int>(platform::GetPrivateProfileInt("Init", "NextEntry", 0, file));
    section.AppendNumbered(static_cast<unsigned long>(next), entry.Str());
    section.KeepLast(kRingLogEntries);
    for (int attempt = 0; attempt < 3; ++attempt) {
        if (platform::WritePrivateProfileString("Log", nullptr, nullptr, file))
            break;
        platform::SleepMs(10);
    }
    platform::ProfileWriteSection(file, "Log", section.Buffer());
    platform::ProfileWriteInt(file, "Init", "NextEntry", next + 1);
}
