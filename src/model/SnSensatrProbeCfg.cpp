#include "model/SnSensatrProbeCfg.h"

namespace {

// Check types (catalogue numbers) of the environmental checks.
constexpr int kCheckTemperature = 41;
constexpr int kCheckHumidity = 200;
constexpr int kCheckPower = 201;
constexpr int kCheckLight = 202;
constexpr int kCheckMotion = 203;
constexpr int kCheckSmoke = 204;
constexpr int kCheckDoor = 205;
constexpr int kCheckResistance = 206;
constexpr int kCheckSwitchClosed = 207;
constexpr int kCheckSwitchOpen = 208;
constexpr int kCheckWetness = 210;

struct ProbeKind {
    const char* type;
    const char* xtype; // nullptr: any
    int checkType;
};

constexpr ProbeKind kKinds[] = {
    {"Temperature", nullptr, kCheckTemperature},
    {"Humidity", nullptr, kCheckHumidity},
    {"Wetness", nullptr, kCheckWetness},
    {"Power", nullptr, kCheckPower},
    {"Light", nullptr, kCheckLight},
    {"Switch", "M", kCheckMotion},
    {"Switch", "S", kCheckSmoke},
    {"Switch", "D", kCheckDoor},
    {"Resistive", "*", kCheckResistance},
    {"Switch", "C", kCheckSwitchClosed},
    {"Switch", "O", kCheckSwitchOpen},
};

} // namespace

bool CSnSensatrProbeCfg::IsEqual(const CQvcBase& other) const {
    const auto* o = dynamic_cast<const CSnSensatrProbeCfg*>(&other);
    return o && m_id == o->m_id;
}

bool CSnSensatrProbeCfg::IsGreater(const CQvcBase& other) const {
    const auto* o = dynamic_cast<const CSnSensatrProbeCfg*>(&other);
    return o && m_id > o->m_id;
}

bool CSnSensatrProbeCfg::IsLess(const CQvcBase& other) const {
    const auto* o = dynamic_cast<const CSnSensatrProbeCfg*>(&other);
    return o && m_id < o->m_id;
}

std::unique_ptr<CQvcBase> CSnSensatrProbeCfg::Clone() const {
    return std::make_unique<CSnSensatrProbeCfg>(m_id, m_checkType, m_name, m_units, m_temperatureUnit);
}

int CSnSensatrProbeCfg::CheckTypeFor(std::string_view type, std::string_view xtype) {
    if (xtype.empty())
        xtype = "*";
    const CQvcString kind(type);
    for (const ProbeKind& k : kKinds) {
        if (!kind.EqualsNoCase(k.type))
            continue;
        if (k.xtype == nullptr || CQvcString(xtype).EqualsNoCase(k.xtype))
            return k.checkType;
    }
    return 0;
}

int CSnSensatrProbeCfg::TemperatureUnitFor(std::string_view units) {
    CQvcString text(units);
    text.Trim();
    text.MakeLower();
    if (text.StartsWith("\xC2\xB0"))
        text = text.Mid(2);
    else if (text.StartsWith("\xB0"))
        text = text.Mid(1);
    if (text == "c")
        return kTempCelsius;
    if (text == "k")
        return kTempKelvin;
    if (text == "r")
        return kTempRankine;
    return kTempFahrenheit; // "f" and anything else
}

const char* CSnSensatrProbeCfg::TemperatureUnitLetter(int unit) {
    switch (unit) {
    case kTempCelsius:
        return "C";
    case kTempKelvin:
        return "K";
    case kTempRankine:
        return "R";
    default:
        return "F";
    }
}
