#include "library/QvcPath.h"

#include "platform/System.h"

#include <filesystem>
#include <system_error>

CQvcString PathJoin(const CQvcString& base, std::string_view component) {
    CQvcString out = base;
    out.EnsureTrailing(platform::kPathSeparator);
    out += std::string(component);
    return out;
}

CQvcString PathJoin(const CQvcString& base, std::initializer_list<std::string_view> components) {
    CQvcString out = base;
    for (std::string_view c : components)
        out = PathJoin(out, c);
    return out;
}

CQvcString ToNativePath(const CQvcString& stored) {
    std::string out;
    const std::string& s = stored.Str();
    out.reserve(s.size());
    for (std::size_t i = 0; i < s.size(); ++i) {
        char c = s[i] == '\\' ? platform::kPathSeparator : s[i];
        if (c == platform::kPathSeparator && !out.empty() && out.back() == platform::kPathSeparator && i > 1)
            continue;
        out += c;
    }
    return CQvcString(std::move(out));
}

CQvcString EngineRootPath(const CQvcString& stored, const CQvcString& engineRoot) {
    if (!stored.StartsWith(kEngineRootPlaceholder, false))
        return ToNativePath(stored);
    CQvcString rest = ToNativePath(stored.Mid(kEngineRootPlaceholder.size()));
    rest.TrimLeftChar(platform::kPathSeparator);
    return PathJoin(engineRoot, rest.Str());
}

CQvcString CanonicalPath(const CQvcString& path) {
    if (path.IsEmpty())
        return CQvcString();
    std::error_code ec;
    std::filesystem::path p = std::filesystem::weakly_canonical(std::filesystem::absolute(path.Str(), ec), ec);
    if (ec)
        return CQvcString();
    return CQvcString(p.lexically_normal().string());
}

bool PathIsInside(const CQvcString& path, const CQvcString& root) {
    CQvcString p = CanonicalPath(path);
    CQvcString r = CanonicalPath(root);
    if (p.IsEmpty() || r.IsEmpty())
        return false;
    r.TrimRightChar(platform::kPathSeparator);
    if (p == r)
        return true;
    r += platform::kPathSeparator;
    return p.StartsWith(r.Str(), true);
}
