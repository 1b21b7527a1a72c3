#include "model/sensors/SnSensatrDevice.h"

#include "model/sensors/SnHttpClient.h"

#include <string>

namespace {

struct ModelEntry {
    const char* name;
    int withoutXml; // the code when "xmlconfig" does not answer (0: always the other)
    int withXml;
};

// In the order the front page is searched.
constexpr ModelEntry kModels[] = {
    {"Model E4", kSensatrE4, kSensatrE4Xml},
    {"Model E8", kSensatrE8, kSensatrE8Xml},
    {"Model E16", kSensatrE16, kSensatrE16Xml},
    {"Model EM1", kSensatrEM1, kSensatrEM1Xml},
    {"Model U4", 0, kSensatrU4},
    {"Model U16", 0, kSensatrU16},
    {"Senturion", 0, kSensatrSenturion},
};

} // namespace

CSnSensatrDevice::CSnSensatrDevice(const char* name)
    : CQvcXmlDoc(name), m_connectTimeout(CSnHttpClient::kDefaultConnectTimeout),
      m_totalTimeout(CSnHttpClient::kDefaultTotalTimeout) {}

CSnSensatrDevice::~CSnSensatrDevice() = default;

const char* CSnSensatrDevice::ModelName(int model) {
    for (const ModelEntry& entry : kModels)
        if (model == entry.withXml || (entry.withoutXml != 0 && model == entry.withoutXml))
            return entry.name;
    return "";
}

int CSnSensatrDevice::Open() {
    if (!m_http) {
        m_http = CSnHttpClient::Create();
        if (!m_http)
            return -1;
        m_http->SetTimeouts(m_connectTimeout, m_totalTimeout);
    }
    return 0;
}

void CSnSensatrDevice::SetTimeouts(std::chrono::milliseconds connect, std::chrono::milliseconds total) {
    m_connectTimeout = connect;
    m_totalTimeout = total;
    if (m_http)
        m_http->SetTimeouts(connect, total);
}

int CSnSensatrDevice::HttpGet(const CQvcString& url, CQvcString& body, CQvcString& error) {
    body.Empty();
    error.Empty();
    if (Open() != 0) {
        error = "'Quorvane:Http' not loaded";
        return -1;
    }
    long status = 0;
    std::string text, reason;
    if (!m_http->Get(url.Str(), status, text, reason)) {
        error.FormatGrow("Unable to connect to [%s]: %s", url.c_str(), reason.c_str());
        Trace(kTraceFile, "%s", error.c_str());
        return -1;
    }
    if (status != 200) {
        CQvcString code;
        code.Format("Error %ld", status);
        error.FormatGrow("URL [%s]: %s", url.c_str(), code.c_str());
        Trace(kTraceFile, "%s", error.c_str());
        return -1;
    }
    body = CQvcString(std::move(text));
    return 0;
}

int CSnSensatrDevice::DetectModel(const CQvcString& baseUrl, int& model, CQvcString& error) {
    model = kSensatrUnsupported;
    CQvcString base = baseUrl;
    base.EnsureTrailing('/');
    CQvcString page;
    if (HttpGet(base, page, error) != 0)
        return -1;
    for (const ModelEntry& entry : kModels) {
        if (!page.Contains(entry.name))
            continue;
        if (entry.withoutXml == 0) {
            model = entry.withXml;
        } else {
            // Only the newer firmware of these models serves its configuration as XML.
            CQvcString ignoredBody, ignoredError;
            model = HttpGet(base + "xmlconfig", ignoredBody, ignoredError) == 0 ? entry.withXml
                                                                                : entry.withoutXml;
        }
        break;
    }
    Trace(kTraceFile, "Model of [%s]: %d", base.c_str(), model);
    return 0;
}
