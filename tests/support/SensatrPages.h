#pragma once
// Pages of an environmental sensor unit for tests that let the loopback HTTP server play
// one: the front page that names the model, and the "xmlconfig" document of a newer unit.
#include <string>

namespace testsupport {

inline std::string FrontPage(const std::string& model) {
    return "<html><head><title>Environmental monitor</title></head><body><h1>" + model +
           "</h1><p>Sensors online</p></body></html>";
}

// The configuration document of a newer unit: every kind of probe, some that no check
// reads, IDs out of order, a degree sign in UTF-8.
inline constexpr const char* kXmlConfig = R"(<?xml version="1.0"?>
<Sensatronics id="1234">
<Unit>
<Name>Server room</Name>
<Model>Model E8</Model>
<Serial_Number>E8-1234</Serial_Number>
<Firmware_Version>2.4</Firmware_Version>
<Firmware_Release_Date>12/31/2007</Firmware_Release_Date>
<Website>http://unit.example/</Website>
<Manufacturer>Sensatronics</Manufacturer>
</Unit>
<Group id="1">
<Name>Rack</Name>
<Probe id="8" type="Temperature"><Name>Rack top</Name><Units>)"
                         "\xC2\xB0"
                         R"(C</Units></Probe>
<Probe id="3" type="Humidity"><Name>Air</Name><Units>% RH</Units></Probe>
<Probe id="5" type="Switch"><Name>No xtype</Name></Probe>
<Probe id="6" type="Resistive"><Name>Leak</Name><Units>?</Units></Probe>
<Probe id="7"><Name>No type</Name></Probe>
<Probe id="2" type="Switch" xtype="D"><Name>Door</Name></Probe>
<Probe id="4" type="Airflow"><Name>Fan</Name></Probe>
<Probe id="1" type="temperature" xtype="x"><Name>Outside</Name><Units> K </Units></Probe>
</Group>
<Group id="2">
<Probe id="12" type="Switch" xtype="m"><Name>Motion</Name></Probe>
<Probe id="11" type="Switch" xtype="S"><Name>Smoke</Name></Probe>
<Probe id="13" type="Switch" xtype="C"><Name>Closed</Name></Probe>
<Probe id="14" type="Switch" xtype="O"><Name>Open</Name></Probe>
<Probe id="15" type="Switch" xtype="X"><Name>Unknown switch</Name></Probe>
<Probe id="16" type="Power"><Name>Mains</Name></Probe>
<Probe id="17" type="Light"><Name>Lamp</Name></Probe>
<Probe id="18" type="Wetness"><Name>Floor</Name></Probe>
<Probe id="19" type="Resistive" xtype=""><Name>Strip</Name><Units>kOhm</Units></Probe>
<Probe id="20" type="Resistive" xtype="T"><Name>Other resistive</Name></Probe>
</Group>
</Sensatronics>
)";

} // namespace testsupport
