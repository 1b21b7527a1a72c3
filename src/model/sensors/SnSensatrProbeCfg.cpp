#include "model/sensors/SnSensatrProbeCfg.h"

#include "model/checks/CheckTypes.h"

namespace {

struct ProbeKind {
    const char* type;
    const char* xtype; // nullptr: any
    int checkType;
};

constexpr ProbeKind kKinds[] = {
    {"Temperature", nullptr, kTypeTemperature},
    {"Humidity", nullptr, kTypeHumidity},
    {"Wetness", nullptr, kTypeWetness},
    {"Power", nullptr, kTypePowerPresence},
    {"Light", nullptr, kTypeLight},
    {"Switch", "M", kTypeMotion},
    {"Switch", "S", kTypeSmoke},
    {"Switch", "D", kTypeDoor},
    {"Resistive", "*", kTypeResistance},
    {"Switch", "C", kTypeSwitchNC},
    {"Switch", "O", kTypeSwitchNO},
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
