#pragma once
// CSnSensatrDeviceCfg: what an environmental sensor unit reports about itself (name,
// model, serial number, firmware, maker) and its probes, read over HTTP for the dialogs of
// the environmental checks and for `sentrelle sensor probe`.
//
//   CSnSensatrDeviceCfg unit;
//   CQvcString error;
//   if (unit.Probe("http://10.0.0.5/", error) != 0) -> show error
//   else -> unit.Report(), or the fields and unit.ProbeAt(i)
#include "model/sensors/SnSensatrDevice.h"
#include "model/sensors/SnSensatrProbeCfg.h"

#include "library/QvcList.h"

class CSnSensatrDeviceCfg : public CSnSensatrDevice {
public:
    CSnSensatrDeviceCfg();
    ~CSnSensatrDeviceCfg() override;

    // Empties every field and the probe list, then reads the unit's configuration for
    // `model` (a code from DetectModel): the "xmlconfig" document of the newer models, or
    // the "config" page of an EM1 converted to the same form.  0, or -1 with `error`:
    // "<model name>: firmware does not support xml-based configuration." for firmware
    // without XML, "Unsupported model" for other codes, the request's error, or
    // "Invalid XML format." with the parser's position.  Probes come sorted by ID.
    int ReadConfiguration(int model, const CQvcString& baseUrl, CQvcString& error);
    // DetectModel, then ReadConfiguration: 0, or -1 with the first error.
    int Probe(const CQvcString& baseUrl, CQvcString& error);
    // Several lines describing the model, the unit's fields and each probe.
    CQvcString Report() const;
    void Clear();

    // The model code of the last ReadConfiguration (0 before any).
    int ModelCode() const { return m_modelCode; }
    const CQvcString& UnitName() const { return m_name; }
    const CQvcString& Model() const { return m_model; }
    const CQvcString& SerialNumber() const { return m_serialNumber; }
    const CQvcString& FirmwareReleaseDate() const { return m_firmwareReleaseDate; }
    const CQvcString& FirmwareVersion() const { return m_firmwareVersion; }
    // The unit's web site ("Website" below "Unit"), when it reports one.
    const CQvcString& Website() const { return m_website; }
    const CQvcString& Manufacturer() const { return m_manufacturer; }
    int ProbeCount() const { return m_probes.Count(); }
    const CSnSensatrProbeCfg* ProbeAt(int index) const;
    CQvcList& Probes() { return m_probes; }
    // A temperature unit for new checks; the unit does not report one, it stays 0
    // (Fahrenheit) unless a caller sets it.
    int TemperatureUnitDefault() const { return m_temperatureUnitDefault; }
    void SetTemperatureUnitDefault(int unit) { m_temperatureUnitDefault = unit; }

    // The XML document for the text of an EM1 "config" page.  The page is read as text:
    // HTML tags end lines and are dropped, the usual entities are decoded, and each line
    // "key: value" or "key=value" (or a bare "key") is read with the key's letter case,
    // blanks, "_" and "-" ignored:
    //   name, unitname                    unit name
    //   model                             model (default "Model EM1")
    //   serial, serialnumber, serialno    serial number
    //   website, url                      web site
    //   id, unitid                        the document's id (default: the serial number)
    //   group<N>                          the following probes belong to group N
    //   probe<N>                          probe N: "<kind>[, <units>]"; kinds Temperature,
    //                                     Humidity, Wetness (or words starting with
    //                                     "temp", "humid", "wet"); temperature units "F"
    //                                     unless given, humidity always "% RH"
    // Other lines are ignored; probes before any group line belong to group 1.  The
    // document declares ISO-8859-1, so its texts are written in that encoding.
    static CQvcString ConvertEm1Config(const CQvcString& page);

private:
    CQvcString m_name;
    CQvcString m_model;
    CQvcString m_serialNumber;
    CQvcString m_firmwareReleaseDate;
    CQvcString m_firmwareVersion;
    CQvcString m_website;
    CQvcString m_manufacturer;
    CQvcList m_probes{true, "SensatrProbes"};
    int m_temperatureUnitDefault = 0;
    int m_modelCode = 0;
};
