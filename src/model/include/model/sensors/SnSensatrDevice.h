#pragma once
// CSnSensatrDevice: the HTTP conversation with an environmental sensor unit: one GET at a
// time through the unit's own HTTP client, and the detection of the unit's model from its
// front page.  The XML document it derives from holds what the unit reports about itself
// (CSnSensatrDeviceCfg reads it).
#include "library/QvcXmlDoc.h"

#include <chrono>
#include <memory>

class CSnHttpClient;

// Model codes: the model, and whether its firmware serves its configuration as XML.
enum SnSensatrModel : int {
    kSensatrUnsupported = 0,
    kSensatrE4 = 41,    // no XML configuration
    kSensatrE4Xml = 42, // "xmlconfig"
    kSensatrE8 = 81,
    kSensatrE8Xml = 82,
    kSensatrE16 = 161,
    kSensatrE16Xml = 162,
    kSensatrEM1 = 201, // the "config" page, converted
    kSensatrEM1Xml = 202,
    kSensatrU16 = 251,
    kSensatrU4 = 252,
    kSensatrSenturion = 301,
};

class CSnSensatrDevice : public CQvcXmlDoc {
public:
    explicit CSnSensatrDevice(const char* name = "CSnSensatrDevice");
    ~CSnSensatrDevice() override;

    // "Model E4", "Model E8", "Model E16", "Model EM1", "Model U16", "Model U4",
    // "Senturion"; empty for any other code.
    static const char* ModelName(int model);

    // Creates the HTTP client (HttpGet does so on first use).  0, or -1 when it cannot
    // be created.
    int Open();
    // Time-outs of every later request: for connecting and for the whole request.
    void SetTimeouts(std::chrono::milliseconds connect, std::chrono::milliseconds total);

    // One GET.  0 with the body when the unit answers 200.  Otherwise -1 and `error`:
    // "Unable to connect to [<url>]: <reason>" when no answer came, "URL [<url>]: Error
    // <status>" for any other status, "'Quorvane:Http' not loaded" without a client.
    int HttpGet(const CQvcString& url, CQvcString& body, CQvcString& error);

    // Requests the front page (`baseUrl` with a trailing "/") and looks for the model
    // names; for E4, E8, E16 and EM1 also asks for "xmlconfig" to tell the firmware
    // generations apart.  0 with the model code (0 when no known name appears), or -1
    // with the error of the front-page request.
    int DetectModel(const CQvcString& baseUrl, int& model, CQvcString& error);

private:
    std::unique_ptr<CSnHttpClient> m_http;
    std::chrono::milliseconds m_connectTimeout;
    std::chrono::milliseconds m_totalTimeout;
};
