#pragma once
// CSnSensatrProbeCfg: one probe of an environmental sensor unit, as the unit describes it:
// its ID, the check type that reads this kind of probe, its name, units and temperature
// unit.  Lists of probes sort by probe ID.
#include "library/QvcBase.h"

#include <string_view>

// Temperature units of a probe.
enum SnTemperatureUnit : int {
    kTempFahrenheit = 0,
    kTempCelsius = 1,
    kTempKelvin = 2,
    kTempRankine = 3,
};

class CSnSensatrProbeCfg : public CQvcBase {
public:
    CSnSensatrProbeCfg() : CQvcBase("CSnSensatrProbeCfg") {}
    CSnSensatrProbeCfg(int id, int checkType, const CQvcString& name, const CQvcString& units,
                       int temperatureUnit)
        : CQvcBase("CSnSensatrProbeCfg"), m_id(id), m_checkType(checkType), m_name(name), m_units(units),
          m_temperatureUnit(temperatureUnit) {}

    int Id() const { return m_id; }
    // The check type that reads this probe; 0 for a kind no check type reads.
    int CheckType() const { return m_checkType; }
    const CQvcString& ProbeName() const { return m_name; }
    const CQvcString& Units() const { return m_units; }
    int TemperatureUnit() const { return m_temperatureUnit; }

    bool IsEqual(const CQvcBase& other) const override;
    bool IsGreater(const CQvcBase& other) const override;
    bool IsLess(const CQvcBase& other) const override;
    std::unique_ptr<CQvcBase> Clone() const override;

    // The check type for a probe element's `type` and `xtype` attributes (letter case
    // ignored; an empty xtype counts as "*"): Temperature 41, Humidity 200, Wetness 210,
    // Power 201, Light 202, Switch M/S/D/C/O 203/204/205/207/208, Resistive "*" 206,
    // anything else 0.
    static int CheckTypeFor(std::string_view type, std::string_view xtype);
    // The temperature unit of a Units text, compared in lower case after trimming: "f",
    // "c", "k", "r", each alone or after a degree sign (byte 0xB0 or UTF-8 C2 B0); any
    // other text is Fahrenheit.
    static int TemperatureUnitFor(std::string_view units);
    // "F", "C", "K", "R".
    static const char* TemperatureUnitLetter(int unit);

private:
    int m_id = 0;
    int m_checkType = 0;
    CQvcString m_name;
    CQvcString m_units;
    int m_temperatureUnit = kTempFahrenheit;
};
