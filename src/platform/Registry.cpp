#include "platform/Registry.h"

#include "ProfileDocument.h"
#include "ProfileStorage.h"
#include "platform/System.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace platform {

namespace {

using profile::Document;

// Access bits that need a writable hive: set value, create sub-key, delete, write DAC,
// write owner.
constexpr uint32_t kWriteAccessBits = 0x0002 | 0x0004 | 0x00010000 | 0x00040000 | 0x00080000;

// A buffer of 511 characters holds 510 characters and the closing NUL.
constexpr uint32_t kTextReadChars = 510;

std::string_view KeyPath(const char* path) {
    return profile::TrimSpaces(path != nullptr ? path : "");
}
std::string_view ValueName(const char* name) {
    return profile::TrimSpaces(name != nullptr ? name : "");
}

const char* NonEmptyEnv(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr && *value != '\0' ? value : nullptr;
}

std::string HomeDirectory() {
    if (const char* home = NonEmptyEnv("HOME"))
        return home;
    std::vector<char> buf(16384);
    passwd pw{};
    passwd* found = nullptr;
    if (::getpwuid_r(::getuid(), &pw, buf.data(), buf.size(), &found) == 0 && found != nullptr &&
        found->pw_dir != nullptr)
        return found->pw_dir;
    return {};
}

// Hives hold the installation's settings; other users have no business reading them.  A
// hive that exists keeps its mode when it is rewritten.
constexpr mode_t kHiveFileMode = 0600;
constexpr mode_t kHiveDirectoryMode = 0700;

std::string ParentDirectory(const std::string& path) {
    const auto slash = path.find_last_of('/');
    if (slash == std::string::npos)
        return ".";
    if (slash == 0)
        return "/";
    return path.substr(0, slash);
}

// Whether a write to the hive can succeed: an existing hive must be a writable regular
// file in a writable directory; a missing one needs its nearest existing ancestor to be
// a writable directory, as the directories below it are created on demand.
bool HiveWritable(const std::string& file) {
    if (file.empty())
        return false;
    struct stat st {};
    if (::stat(file.c_str(), &st) == 0) {
        const std::string dir = ParentDirectory(file);
        return S_ISREG(st.st_mode) && ::access(file.c_str(), W_OK) == 0 &&
               ::access(dir.c_str(), W_OK | X_OK) == 0;
    }
    if (errno != ENOENT)
        return false; // ENOTDIR: a file stands where a directory should be
    std::string dir = ParentDirectory(file);
    for (;;) {
        if (::stat(dir.c_str(), &st) == 0)
            return S_ISDIR(st.st_mode) && ::access(dir.c_str(), W_OK | X_OK) == 0;
        if (errno != ENOENT || dir == "/" || dir == ".")
            return false;
        dir = ParentDirectory(dir);
    }
}

// A key exists when its section exists, or when a section of one of its sub-keys does:
// creating "A\B\C" makes "A" and "A\B" openable, as the registry does.
bool IsSameOrSubkey(std::string_view section, std::string_view path) {
    if (section.size() == path.size())
        return profile::EqualsNoCase(section, path);
    return section.size() > path.size() && section[path.size()] == '\\' &&
           profile::EqualsNoCase(section.substr(0, path.size()), path);
}

bool KeyExists(const Document& doc, std::string_view path) {
    if (path.empty())
        return true; // the hive's root key
    for (const profile::Line& line : doc.Lines()) {
        if (line.kind == profile::LineKind::Section && IsSameOrSubkey(line.Name(), path))
            return true;
    }
    return false;
}

bool HasSubkeys(const Document& doc, std::string_view path) {
    for (const profile::Line& line : doc.Lines()) {
        if (line.kind == profile::LineKind::Section && line.Name().size() > path.size() &&
            IsSameOrSubkey(line.Name(), path))
            return true;
    }
    return false;
}

// --- Value encoding ------------------------------------------------------------------
// "dword:" and eight hex digits; "sz:" and the text verbatim up to the end of the line
// (trailing blanks included).  A text holding a line break would split the line, so it
// is stored as "szx:" with backslash, CR and LF escaped as \\, \r and \n.

enum class ValueKind { Dword, Text, Unknown };

struct Value {
    ValueKind kind = ValueKind::Unknown;
    uint32_t dword = 0;
    std::string text;
};

bool StartsWithNoCase(std::string_view s, std::string_view prefix) {
    return s.size() >= prefix.size() && profile::EqualsNoCase(s.substr(0, prefix.size()), prefix);
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

std::string EncodeDword(uint32_t value) {
    char text[16];
    std::snprintf(text, sizeof text, "dword:%08x", static_cast<unsigned>(value));
    return text;
}

std::string EncodeText(std::string_view text) {
    if (text.find_first_of("\r\n") == std::string_view::npos)
        return "sz:" + std::string(text);
    std::string out = "szx:";
    for (char c : text) {
        switch (c) {
        case '\\':
            out += "\\\\";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\n':
            out += "\\n";
            break;
        default:
            out += c;
        }
    }
    return out;
}

Value Decode(std::string_view raw) {
    while (!raw.empty() && profile::IsBlank(raw.front()))
        raw.remove_prefix(1);
    Value value;
    if (StartsWithNoCase(raw, "dword:")) {
        const std::string_view digits = profile::TrimBlanks(raw.substr(6));
        if (digits.empty() || digits.size() > 8)
            return value;
        for (char c : digits) {
            const int d = HexDigit(c);
            if (d < 0)
                return value;
            value.dword = value.dword << 4 | static_cast<uint32_t>(d);
        }
        value.kind = ValueKind::Dword;
    } else if (StartsWithNoCase(raw, "sz:")) {
        value.kind = ValueKind::Text;
        value.text = raw.substr(3);
    } else if (StartsWithNoCase(raw, "szx:")) {
        value.kind = ValueKind::Text;
        const std::string_view body = raw.substr(4);
        for (std::size_t i = 0; i < body.size(); ++i) {
            if (body[i] != '\\' || i + 1 == body.size()) {
                value.text += body[i];
                continue;
            }
            const char next = body[++i];
            value.text += next == 'r' ? '\r' : next == 'n' ? '\n' : next;
        }
    }
    return value;
}

// Looks a value up: kRegOk with the decoded value, or kRegNotFound.
long FindValue(Hive hive, const char* path, const char* name, Value& out) {
    const Document doc = profile::Load(HivePath(hive));
    const std::string_view key = KeyPath(path);
    if (!KeyExists(doc, key))
        return kRegNotFound;
    const profile::Line* entry = doc.FindEntry(key, ValueName(name));
    if (entry == nullptr)
        return kRegNotFound;
    out = Decode(entry->RawValue());
    return kRegOk;
}

// Runs an edit of an existing key under the hive's writer lock.  The edit sees the
// hive as it is at that moment, so a key deleted by another process in between is
// reported as missing rather than brought back.
template <typename Edit> long EditKey(Hive hive, const char* path, Edit edit) {
    const std::string file = HivePath(hive);
    const std::string_view key = KeyPath(path);
    if (!KeyExists(profile::Load(file), key))
        return kRegNotFound;
    if (!HiveWritable(file))
        return kRegAccessDenied;
    long status = kRegOk;
    const bool written = profile::Update(
        file,
        [&](Document& doc) {
            if (!KeyExists(doc, key)) {
                status = kRegNotFound;
                return false;
            }
            return edit(doc, key, status);
        },
        kHiveFileMode);
    return written ? status : kRegAccessDenied;
}

long SetEncoded(Hive hive, const char* path, const char* name, const std::string& encoded) {
    const std::string_view value = ValueName(name);
    return EditKey(hive, path, [&](Document& doc, std::string_view key, long&) {
        return doc.SetValue(key, value, encoded);
    });
}

std::string_view TrimText(std::string_view s) {
    const auto begin = s.find_first_not_of(" \t\r\n");
    if (begin == std::string_view::npos)
        return {};
    return s.substr(begin, s.find_last_not_of(" \t\r\n") - begin + 1);
}

} // namespace

std::string HivePath(Hive hive) {
    if (hive == Hive::LocalMachine) {
        const char* path = NonEmptyEnv("SENTRELLE_MACHINE_HIVE");
        return path != nullptr ? path : "/etc/sentrelle/machine.reg";
    }
    if (const char* path = NonEmptyEnv("SENTRELLE_USER_HIVE"))
        return path;
    // A relative XDG_CONFIG_HOME is to be ignored, as the base-directory rules say.
    if (const char* config = NonEmptyEnv("XDG_CONFIG_HOME"); config != nullptr && config[0] == '/')
        return std::string(config) + "/sentrelle/user.reg";
    const std::string home = HomeDirectory();
    return home.empty() ? std::string() : home + "/.config/sentrelle/user.reg";
}

long RegOpenKey(Hive hive, const char* path, uint32_t access) {
    const std::string file = HivePath(hive);
    if (!KeyExists(profile::Load(file), KeyPath(path)))
        return kRegNotFound;
    if ((access & kWriteAccessBits) != 0 && !HiveWritable(file))
        return kRegAccessDenied;
    return kRegOk;
}

long RegCreateKey(Hive hive, const char* path, uint32_t access) {
    const std::string file = HivePath(hive);
    const std::string_view key = KeyPath(path);
    const bool wantsWrite = (access & kWriteAccessBits) != 0;
    if (KeyExists(profile::Load(file), key))
        return wantsWrite && !HiveWritable(file) ? kRegAccessDenied : kRegOk;
    if (!HiveWritable(file) || !CreateDirectories(ParentDirectory(file), kHiveDirectoryMode))
        return kRegAccessDenied;
    const bool written = profile::Update(
        file, [&](Document& doc) { return !KeyExists(doc, key) && doc.EnsureSection(key); }, kHiveFileMode);
    return written ? kRegOk : kRegAccessDenied;
}

long RegDeleteKey(Hive hive, const char* path) {
    const std::string_view key = KeyPath(path);
    if (key.empty())
        return kRegAccessDenied; // the root key cannot be deleted
    return EditKey(hive, path, [&](Document& doc, std::string_view, long& status) {
        // The registry refuses to delete a key that still has sub-keys.
        if (HasSubkeys(doc, key)) {
            status = kRegAccessDenied;
            return false;
        }
        return doc.DeleteSection(key);
    });
}

long RegQueryDword(Hive hive, const char* path, const char* name, uint32_t* value) {
    Value found;
    const long status = FindValue(hive, path, name, found);
    if (status != kRegOk)
        return status;
    if (found.kind != ValueKind::Dword)
        return kRegBadType;
    if (value != nullptr)
        *value = found.dword;
    return kRegOk;
}

long RegQueryString(Hive hive, const char* path, const char* name, std::string* value, uint32_t maxChars) {
    Value found;
    const long status = FindValue(hive, path, name, found);
    if (status != kRegOk)
        return status;
    if (found.kind != ValueKind::Text)
        return kRegBadType;
    const bool cut = maxChars > 0 && found.text.size() > maxChars;
    if (cut)
        found.text.resize(maxChars);
    if (value != nullptr)
        *value = std::move(found.text);
    return cut ? kRegMoreData : kRegOk;
}

long RegSetDword(Hive hive, const char* path, const char* name, uint32_t value) {
    return SetEncoded(hive, path, name, EncodeDword(value));
}

long RegSetString(Hive hive, const char* path, const char* name, const char* value) {
    return SetEncoded(hive, path, name, EncodeText(value != nullptr ? value : ""));
}

long RegDeleteValue(Hive hive, const char* path, const char* name) {
    const std::string_view value = ValueName(name);
    {
        Value ignored;
        if (const long status = FindValue(hive, path, name, ignored); status != kRegOk)
            return status;
    }
    return EditKey(hive, path, [&](Document& doc, std::string_view key, long& status) {
        if (doc.FindEntry(key, value) == nullptr) {
            status = kRegNotFound;
            return false;
        }
        return doc.DeleteKey(key, value);
    });
}

long RegOpenKeyWithView(Hive hive, const char* path, uint32_t access) {
    const long status = RegOpenKey(hive, path, access | kRegView64);
    if (status != kRegAccessDenied)
        return status;
    return RegOpenKey(hive, path, access);
}

long RegEnsureKey(Hive hive, const char* path) {
    if (RegOpenKeyWithView(hive, path, kRegRead) == kRegOk)
        return kRegOk;
    long status = RegCreateKey(hive, path, kRegAllAccess | kRegView64);
    if (status == kRegAccessDenied)
        status = RegCreateKey(hive, path, kRegAllAccess);
    if (status == kRegOk)
        return kRegOk;
    return RegOpenKey(hive, path, kRegRead);
}

uint32_t RegReadDwordWriteBack(Hive hive, const char* path, const char* name, uint32_t def) {
    RegEnsureKey(hive, path);
    uint32_t value = def;
    if (uint32_t stored = 0; RegQueryDword(hive, path, name, &stored) == kRegOk)
        value = stored;
    RegSetDword(hive, path, name, value); // fails quietly on a hive without write access
    return value;
}

std::string RegReadStringWriteBack(Hive hive, const char* path, const char* name, const char* def,
                                   bool trim) {
    RegEnsureKey(hive, path);
    std::string value = def != nullptr ? def : "";
    std::string stored;
    const long status = RegQueryString(hive, path, name, &stored, kTextReadChars);
    if (status == kRegOk || status == kRegMoreData)
        value = std::move(stored);
    if (trim)
        value = std::string(TrimText(value));
    RegSetString(hive, path, name, value.c_str()); // fails quietly on a hive without write access
    return value;
}

} // namespace platform
