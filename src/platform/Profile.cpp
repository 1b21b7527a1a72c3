#include "platform/Profile.h"

#include "ProfileDocument.h"
#include "ProfileStorage.h"
#include "platform/System.h"

#include <cstdio>
#include <cstring>
#include <deque>
#include <string_view>
#include <unordered_set>

namespace platform {

namespace {

using profile::Document;
using profile::LineKind;

// Copies one value the way the Windows functions do: at most size-1 characters and a
// NUL; the count copied (without the NUL) is returned.
uint32_t CopyValue(std::string_view value, char* buf, uint32_t size) {
    if (buf == nullptr || size == 0)
        return 0;
    const std::size_t n = value.size() < size - 1 ? value.size() : size - 1;
    std::memcpy(buf, value.data(), n);
    buf[n] = '\0';
    return static_cast<uint32_t>(n);
}

// Copies a list as NUL-terminated strings closed by one more NUL.  The count returned
// covers the strings and their NULs but not the closing NUL.  When the list does not
// fit, as much as fits before the last two places is copied, the list is closed with
// two NULs there (so the last string is cut) and size-2 is returned.
template <typename Strings> uint32_t CopyList(const Strings& strings, char* buf, uint32_t size) {
    if (buf == nullptr || size == 0)
        return 0;
    std::size_t used = 0;
    for (const auto& s : strings) {
        const std::string_view text(s);
        if (used + text.size() + 1 + 1 > size) {
            if (size < 2) {
                buf[0] = '\0';
                return 0;
            }
            const std::size_t room = size - 2 > used ? size - 2 - used : 0;
            std::memcpy(buf + used, text.data(), room < text.size() ? room : text.size());
            buf[size - 2] = '\0';
            buf[size - 1] = '\0';
            return size - 2;
        }
        std::memcpy(buf + used, text.data(), text.size());
        used += text.size();
        buf[used++] = '\0';
    }
    buf[used] = '\0';
    if (used == 0 && size >= 2)
        buf[1] = '\0'; // an empty list reads as two NULs
    return static_cast<uint32_t>(used);
}

std::string_view Arg(const char* name) {
    return profile::TrimSpaces(name);
}

std::vector<std::string_view> KeyNames(const Document& doc, std::string_view section) {
    std::vector<std::string_view> keys;
    for (const profile::Line* line : doc.SectionBody(section)) {
        if (line->kind == LineKind::Entry)
            keys.push_back(line->Name());
    }
    return keys;
}

// The lines a whole-section read gives: "key=value" with key and value trimmed (quotes
// are kept: this is the line as written, not a value as read), bare text as it stands.
// Most entries already stand in their line exactly so (no blanks around the '='): they
// are given as views into the document, and only the others are built, in `built`.  A
// result file with a line per check is read on every refresh, and a second copy of
// every line made the read several times slower (allocations, and the memory the
// allocator handed back to the system after each read and faulted in again).
std::vector<std::string_view> SectionEntries(const Document& doc, std::string_view section,
                                             std::deque<std::string>& built) {
    std::vector<std::string_view> entries;
    for (const profile::Line* line : doc.SectionBody(section)) {
        if (line->kind == LineKind::Entry) {
            const std::string_view value = line->Value();
            if (line->nameEnd == line->equals && (value.empty() || line->valueBegin == line->equals + 1)) {
                entries.push_back(
                    std::string_view(line->text)
                        .substr(line->nameBegin, line->equals + 1 + value.size() - line->nameBegin));
            } else {
                built.emplace_back(line->Name()).append(1, '=').append(value);
                entries.push_back(built.back());
            }
        } else if (line->kind == LineKind::Text) {
            entries.push_back(line->Name());
        }
    }
    return entries;
}

// Splits a double-NUL list into its strings.
std::vector<std::string> SplitList(const char* data) {
    std::vector<std::string> strings;
    while (*data != '\0') {
        const std::size_t n = std::strlen(data);
        strings.emplace_back(data, n);
        data += n + 1;
    }
    return strings;
}

// Writers are retried because on a shared directory another program may hold the file
// for a moment; our own writers wait for each other on the lock instead.
template <typename Write> bool Retry(Write write) {
    constexpr int kAttempts = 3;
    constexpr unsigned kPauseMs = 10;
    for (int attempt = 1;; ++attempt) {
        if (write())
            return true;
        if (attempt == kAttempts)
            return false;
        SleepMs(kPauseMs);
    }
}

} // namespace

uint32_t GetPrivateProfileString(const char* section, const char* key, const char* def, char* buf,
                                 uint32_t size, const char* file) {
    if (buf == nullptr || size == 0)
        return 0;
    const Document doc = file != nullptr ? profile::Load(file) : Document{};
    if (section == nullptr)
        return CopyList(doc.SectionNames(), buf, size);
    if (key == nullptr)
        return CopyList(KeyNames(doc, Arg(section)), buf, size);
    if (const profile::Line* entry = doc.FindEntry(Arg(section), Arg(key)))
        return CopyValue(profile::StripQuotes(entry->Value()), buf, size);
    std::string_view fallback = def != nullptr ? def : "";
    while (!fallback.empty() && fallback.back() == ' ')
        fallback.remove_suffix(1);
    return CopyValue(fallback, buf, size);
}

uint32_t GetPrivateProfileInt(const char* section, const char* key, int def, const char* file) {
    if (section == nullptr || key == nullptr || file == nullptr)
        return static_cast<uint32_t>(def);
    const Document doc = profile::Load(file);
    const profile::Line* entry = doc.FindEntry(Arg(section), Arg(key));
    if (entry == nullptr)
        return static_cast<uint32_t>(def);
    std::string_view text = profile::StripQuotes(entry->Value());
    if (text.empty())
        return static_cast<uint32_t>(def);
    // Optional blanks and sign, then decimal digits up to the first other character;
    // the arithmetic wraps like the 32-bit unsigned result it produces.
    std::size_t i = 0;
    while (i < text.size() && profile::IsBlank(text[i]))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+'))
        negative = text[i++] == '-';
    uint32_t value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i)
        value = value * 10u + static_cast<uint32_t>(text[i] - '0');
    return negative ? 0u - value : value;
}

bool WritePrivateProfileString(const char* section, const char* key, const char* value, const char* file) {
    if (file == nullptr)
        return false;
    if (section == nullptr)
        return key == nullptr && value == nullptr; // a flush request: nothing is cached
    const std::string_view sec = Arg(section);
    if (key == nullptr)
        return profile::Update(file, [&](Document& doc) { return doc.DeleteSection(sec); });
    const std::string_view name = Arg(key);
    if (value == nullptr)
        return profile::Update(file, [&](Document& doc) { return doc.DeleteKey(sec, name); });
    return profile::Update(file, [&](Document& doc) { return doc.SetValue(sec, name, value); });
}

uint32_t GetPrivateProfileSection(const char* section, char* buf, uint32_t size, const char* file) {
    if (buf == nullptr || size == 0)
        return 0;
    if (section == nullptr || file == nullptr)
        return CopyList(std::vector<std::string>{}, buf, size);
    const Document doc = profile::Load(file);
    std::deque<std::string> built;
    return CopyList(SectionEntries(doc, Arg(section), built), buf, size);
}

bool WritePrivateProfileSection(const char* section, const char* data, const char* file) {
    if (section == nullptr || file == nullptr)
        return false;
    const std::string_view sec = Arg(section);
    if (data == nullptr)
        return profile::Update(file, [&](Document& doc) { return doc.DeleteSection(sec); });
    const std::vector<std::string> lines = SplitList(data);
    return profile::Update(file, [&](Document& doc) { return doc.ReplaceSection(sec, lines); });
}

uint32_t GetPrivateProfileSectionNames(char* buf, uint32_t size, const char* file) {
    return GetPrivateProfileString(nullptr, nullptr, nullptr, buf, size, file);
}

std::string ProfileReadText(const char* file, const char* section, const char* key, const char* def) {
    constexpr uint32_t kShort = 511;
    constexpr uint32_t kLong = 65535;
    std::string buf(kShort, '\0');
    uint32_t n = GetPrivateProfileString(section, key, def, buf.data(), kShort, file);
    if (n >= kShort - 1) {
        buf.assign(kLong, '\0');
        n = GetPrivateProfileString(section, key, def, buf.data(), kLong, file);
    }
    buf.resize(n);
    return buf;
}

int ProfileReadInt(const char* file, const char* section, const char* key, int def) {
    return static_cast<int>(GetPrivateProfileInt(section, key, def, file));
}

bool ProfileWriteText(const char* file, const char* section, const char* key, const char* value) {
    return Retry([&] { return WritePrivateProfileString(section, key, value, file); });
}

bool ProfileWriteInt(const char* file, const char* section, const char* key, int value) {
    char text[16];
    std::snprintf(text, sizeof text, "%d", value);
    return WritePrivateProfileString(section, key, text, file);
}

bool ProfileDeleteKey(const char* file, const char* section, const char* key) {
    if (key == nullptr)
        return false;
    return Retry([&] { return WritePrivateProfileString(section, key, nullptr, file); });
}

bool ProfileDeleteSection(const char* file, const char* section) {
    return Retry([&] { return WritePrivateProfileString(section, nullptr, nullptr, file); });
}

uint32_t ProfileReadSection(const char* file, const char* section, char* buf, uint32_t size) {
    if (buf == nullptr || size == 0)
        return 0;
    std::memset(buf, 0, size);
    uint32_t n = GetPrivateProfileSection(section, buf, size, file);
    if (n == 0) {
        // An empty answer may come from a file that another program is just rewriting
        // in place; marking the section makes sure it exists for the second look.
        WritePrivateProfileString(section, "EXISTS", "1", file);
        SleepMs(150);
        n = GetPrivateProfileSection(section, buf, size, file);
    }
    return n;
}

bool ProfileWriteSection(const char* file, const char* section, const char* data) {
    if (data == nullptr)
        return false;
    return Retry([&] { return WritePrivateProfileSection(section, data, file); });
}

std::vector<std::string> ProfileListSections(const char* file) {
    if (file == nullptr)
        return {};
    return profile::Load(file).SectionNames();
}

bool ProfileWriteKeys(const char* file, const char* section, const std::vector<ProfileChange>& changes) {
    if (file == nullptr || section == nullptr)
        return false;
    if (changes.empty())
        return true;
    std::vector<Document::Change> edits;
    edits.reserve(changes.size());
    for (const ProfileChange& change : changes)
        edits.push_back({Arg(change.key.c_str()), change.value ? &*change.value : nullptr});
    const std::string_view sec = Arg(section);
    return Retry([&] { return profile::Update(file, [&](Document& doc) { return doc.SetValues(sec, edits); }); });
}

std::vector<std::pair<std::string, std::string>> ProfileReadEntries(const char* file, const char* section) {
    std::vector<std::pair<std::string, std::string>> entries;
    if (file == nullptr || section == nullptr)
        return entries;
    const Document doc = profile::Load(file);
    std::unordered_set<std::string> seen;
    std::string folded;
    for (const profile::Line* line : doc.SectionBody(Arg(section))) {
        if (line->kind != LineKind::Entry)
            continue;
        folded.assign(line->Name());
        for (char& c : folded)
            c = (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
        if (!seen.insert(folded).second)
            continue;
        entries.emplace_back(std::string(line->Name()), std::string(profile::StripQuotes(line->Value())));
    }
    return entries;
}

std::vector<std::string> ProfileListKeys(const char* file, const char* section) {
    if (file == nullptr || section == nullptr)
        return {};
    const Document doc = profile::Load(file);
    std::vector<std::string> keys;
    for (std::string_view key : KeyNames(doc, Arg(section)))
        keys.emplace_back(key);
    return keys;
}

} // namespace platform
