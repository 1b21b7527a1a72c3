#include "model/notify/SnNotificationResponse.h"

#include "model/link/LinkFileValues.h"
#include "model/notify/SnNotificationRequest.h"
#include "platform/Profile.h"

#include <cstdio>
#include <string>
#include <vector>

namespace {

constexpr const char* kResponseSection = "Response";

std::string ParamKey(int index) {
    return "Param" + std::to_string(index + 1);
}

} // namespace

CSnNotificationResponse::CSnNotificationResponse() : CQvcBase("NotificationResponse") {}

bool CSnNotificationResponse::ReadResponse(const CSnNotificationRequest& request) {
    const CQvcString& file = request.ResponseFile();
    if (file.IsEmpty())
        return false;
    std::vector<char> buffer(CSnNotificationRequest::kSectionBufferSize, '\0');
    const std::uint32_t count = platform::ProfileReadSection(file.c_str(), kResponseSection, buffer.data(),
                                                             static_cast<std::uint32_t>(buffer.size()));
    CQvcSectionString section;
    section.Set(buffer.data(), count);
    const std::vector<std::string_view> entries = section.Entries();
    std::string_view value;
    CreatorIsManager = LinkFindValue(entries, "CreatorIsManager", value) ? LinkParseInt(value) : 0;
    ErrorCode = LinkFindValue(entries, "ErrorCode", value) ? LinkParseInt(value) : 0;
    ErrorDescription = LinkFindValue(entries, "ErrorDescription", value) ? CQvcString(value) : CQvcString();
    ErrorDescriptionEx =
        LinkFindValue(entries, "ErrorDescriptionEx", value) ? CQvcString(value) : CQvcString();
    for (int i = 0; i < kParamCount; ++i)
        Param[i] = LinkFindValue(entries, ParamKey(i), value) ? CQvcString(value) : CQvcString();
    return true;
}

bool CSnNotificationResponse::WriteResponse(const CSnNotificationRequest& request) const {
    const CQvcString& file = request.ResponseFile();
    if (file.IsEmpty())
        return false;
    constexpr std::size_t kUsable = CSnNotificationRequest::kSectionBufferSize - 1;
    CQvcSectionString section;
    LinkAppendEntry(section, "CreatorIsManager", std::to_string(CreatorIsManager), kUsable);
    LinkAppendEntry(section, "ErrorCode", std::to_string(ErrorCode), kUsable);
    LinkAppendEntry(section, "ErrorDescription", LinkOneLine(ErrorDescription).Str(), kUsable);
    LinkAppendEntry(section, "ErrorDescriptionEx", LinkOneLine(ErrorDescriptionEx).Str(), kUsable);
    for (int i = 0; i < kParamCount; ++i)
        LinkAppendEntry(section, ParamKey(i), LinkOneLine(Param[i]).Str(), kUsable);
    const bool written = platform::ProfileWriteSection(file.c_str(), kResponseSection, section.Buffer());
    if (!written)
        Trace(kTraceFile, "Response: writing %s failed", file.c_str());
    return written;
}
