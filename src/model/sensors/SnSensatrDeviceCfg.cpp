#include "model/sensors/SnSensatrDeviceCfg.h"

#include "library/QvcEncoding.h"

#include <cstdlib>
#include <string>
#include <vector>

namespace {

// A text as the system holds it: UTF-8 (units may send ISO-8859-1), trimmed.
CQvcString SystemText(const CQvcString& text) {
    CQvcString out(QvcToUtf8(text.Str()));
    return out.Trim();
}

// --- the EM1 page -----------------------------------------------------------------------

std::string DecodeEntities(const std::string& s) {
    std::string out;
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (s[i] != '&') {
            out += s[i];
            continue;
        }
        const std::size_t end = s.find(';', i);
        if (end == std::string::npos || end - i > 10) {
            out += s[i];
            continue;
        }
        const std::string name = s.substr(i + 1, end - i - 1);
        unsigned long cp = 0;
        if (name == "amp")
            cp = '&';
        else if (name == "lt")
            cp = '<';
        else if (name == "gt")
            cp = '>';
        else if (name == "quot")
            cp = '"';
        else if (name == "apos" || name == "#39")
            cp = '\'';
        else if (name == "nbsp")
            cp = ' ';
        else if (name == "deg")
            cp = 0xB0;
        else if (name.size() > 2 && name[0] == '#' && (name[1] == 'x' || name[1] == 'X'))
            cp = std::strtoul(name.c_str() + 2, nullptr, 16);
        else if (name.size() > 1 && name[0] == '#')
            cp = std::strtoul(name.c_str() + 1, nullptr, 10);
        if (cp == 0 || cp >= 0x110000) {
            out += s[i];
            continue;
        }
        QvcAppendUtf8(out, static_cast<char32_t>(cp));
        i = end;
    }
    return out;
}

// The page's lines: tags end lines and vanish, entities are decoded, blanks trimmed.
std::vector<CQvcString> PageLines(const CQvcString& page) {
    const std::string text = QvcToUtf8(page.Str());
    std::vector<CQvcString> lines;
    std::string line;
    auto flush = [&] {
        CQvcString l(DecodeEntities(line));
        l.Trim();
        if (!l.IsEmpty())
            lines.push_back(l);
        line.clear();
    };
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '<') {
            const std::size_t close = text.find('>', i);
            flush();
            if (close == std::string::npos)
                break;
            i = close;
        } else if (c == '\r' || c == '\n') {
            flush();
        } else {
            line += c;
        }
    }
    flush();
    return lines;
}

// "Serial Number" -> "serialnumber".
CQvcString Key(const CQvcString& text) {
    CQvcString key;
    for (std::size_t i = 0; i < text.Length(); ++i) {
        const char c = text[i];
        if (c != ' ' && c != '\t' && c != '_' && c != '-')
            key += c;
    }
    return key.MakeLower();
}

// The number after `prefix` in `key` ("probe12" -> 12); -1 when the rest is not digits.
long NumberAfter(const CQvcString& key, std::string_view prefix) {
    if (!key.StartsWith(prefix))
        return -1;
    const CQvcString rest = key.Mid(prefix.size());
    if (rest.IsEmpty() || !rest.IsDigits() || rest.Length() > 9)
        return -1;
    return std::atol(rest.c_str());
}

std::string XmlEscaped(const CQvcString& text) {
    std::string out;
    for (char c : QvcUtf8ToLatin1(text.Str())) {
        switch (c) {
        case '&':
            out += "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '"':
            out += "&quot;";
            break;
        default:
            out += c;
        }
    }
    return out;
}

struct Em1Probe {
    long id;
    const char* type;
    CQvcString units;
};

struct Em1Group {
    long id;
    std::vector<Em1Probe> probes;
};

} // namespace

CSnSensatrDeviceCfg::CSnSensatrDeviceCfg() : CSnSensatrDevice("CSnSensatrDeviceCfg") {}

CSnSensatrDeviceCfg::~CSnSensatrDeviceCfg() = default;

void CSnSensatrDeviceCfg::Clear() {
    m_name.Empty();
    m_model.Empty();
    m_serialNumber.Empty();
    m_firmwareReleaseDate.Empty();
    m_firmwareVersion.Empty();
    m_website.Empty();
    m_manufacturer.Empty();
    m_probes.RemoveAll();
    m_temperatureUnitDefault = 0;
}

const CSnSensatrProbeCfg* CSnSensatrDeviceCfg::ProbeAt(int index) const {
    if (index < 0)
        return nullptr;
    return static_cast<const CSnSensatrProbeCfg*>(m_probes.GetAt(static_cast<std::size_t>(index)));
}

int CSnSensatrDeviceCfg::ReadConfiguration(int model, const CQvcString& baseUrl, CQvcString& error) {
    Clear();
    error.Empty();
    m_modelCode = model;

    CQvcString xml;
    switch (model) {
    case kSensatrE4:
    case kSensatrE8:
    case kSensatrE16:
        error.FormatGrow("%s: firmware does not support xml-based configuration.", ModelName(model));
        return -1;
    case kSensatrEM1: {
        CQvcString base = baseUrl;
        base.MakeLower();
        base.EnsureTrailing('/');
        CQvcString page;
        if (HttpGet(base + "config", page, error) != 0)
            return -1;
        xml = ConvertEm1Config(page);
        break;
    }
    case kSensatrE4Xml:
    case kSensatrE8Xml:
    case kSensatrE16Xml:
    case kSensatrEM1Xml:
    case kSensatrU16:
    case kSensatrU4:
    case kSensatrSenturion: {
        CQvcString base = baseUrl;
        base.EnsureTrailing('/');
        if (HttpGet(base + "xmlconfig", xml, error) != 0)
            return -1;
        break;
    }
    default:
        error = "Unsupported model";
        return -1;
    }

    const CQvcString traceFile = TraceFile();
    if (Init(traceFile.c_str()) != 0 || Parse(xml) != 0) {
        error = "Invalid XML format.";
        if (ParseErrorLine() > 0) {
            CQvcString position;
            position.Format(" Line %ld, position %ld.", ParseErrorLine(), ParseErrorColumn());
            error += position;
        }
        Trace(kTraceFile, "%s", error.c_str());
        return -1;
    }

    auto text = [](const CQvcXmlElement& element, const char* name) {
        CQvcString value;
        element.GetText(name, value);
        return SystemText(value);
    };

    CQvcXmlElements units("/Unit");
    if (Extract(units) == 0 && units.Count() > 0) {
        const CQvcXmlElement& unit = *units.ElementAt(0);
        m_name = text(unit, "Name");
        m_model = text(unit, "Model");
        m_serialNumber = text(unit, "Serial_Number");
        m_manufacturer = text(unit, "Manufacturer");
        m_firmwareVersion = text(unit, "Firmware_Version");
        m_firmwareReleaseDate = text(unit, "Firmware_Release_Date");
        m_website = text(unit, "Website");
    }

    CQvcXmlElements probes("/Group/Probe");
    if (Extract(probes) == 0) {
        for (auto* element = probes.FirstElement(); element; element = probes.NextElement()) {
            CQvcString type, xtype, id;
            if (!element->GetAttribute("type", type))
                continue;
            element->GetAttribute("xtype", xtype);
            const int checkType = CSnSensatrProbeCfg::CheckTypeFor(type.Str(), xtype.Str());
            if (checkType == 0)
                continue;
            element->GetAttribute("id", id);
            CQvcString probeUnits = text(*element, "Units");
            if (type.EqualsNoCase("Resistive") && probeUnits == "?")
                probeUnits = "Ohm";
            m_probes.Add(std::make_unique<CSnSensatrProbeCfg>(
                             static_cast<int>(std::atol(id.c_str())), checkType, text(*element, "Name"),
                             probeUnits, CSnSensatrProbeCfg::TemperatureUnitFor(probeUnits.Str())),
                         true);
        }
    }
    m_probes.Sort();
    Trace(kTraceFile, "Configuration of [%s]: %s, %d probes", baseUrl.c_str(), m_model.c_str(),
          m_probes.Count());
    return 0;
}

int CSnSensatrDeviceCfg::Probe(const CQvcString& baseUrl, CQvcString& error) {
    int model = 0;
    Clear();
    m_modelCode = 0;
    if (DetectModel(baseUrl, model, error) != 0)
        return -1;
    return ReadConfiguration(model, baseUrl, error);
}

CQvcString CSnSensatrDeviceCfg::Report() const {
    CQvcString out, line;
    const char* modelName = ModelName(m_modelCode);
    line.FormatGrow("Detected model: %s (%d)\n", *modelName ? modelName : "unsupported", m_modelCode);
    out += line;
    const std::pair<const char*, const CQvcString*> fields[] = {
        {"Name", &m_name},
        {"Model", &m_model},
        {"Serial_Number", &m_serialNumber},
        {"Firmware_Version", &m_firmwareVersion},
        {"Firmware_Release_Date", &m_firmwareReleaseDate},
        {"Website", &m_website},
        {"Manufacturer", &m_manufacturer},
    };
    for (const auto& [label, value] : fields) {
        line.FormatGrow("%-22s %s\n", label, value->c_str());
        out += line;
    }
    line.Format("Probes: %d\n", m_probes.Count());
    out += line;
    for (int i = 0; i < m_probes.Count(); ++i) {
        const CSnSensatrProbeCfg& probe = *ProbeAt(i);
        line.FormatGrow("  Probe %d: check type %d, name \"%s\", units \"%s\"", probe.Id(), probe.CheckType(),
                        probe.ProbeName().c_str(), probe.Units().c_str());
        out += line;
        if (probe.CheckType() == 41) {
            line.Format(", temperature unit %s",
                        CSnSensatrProbeCfg::TemperatureUnitLetter(probe.TemperatureUnit()));
            out += line;
        }
        out += "\n";
    }
    return out;
}

CQvcString CSnSensatrDeviceCfg::ConvertEm1Config(const CQvcString& page) {
    CQvcString name, model("Model EM1"), serial, website, id;
    bool haveId = false;
    std::vector<Em1Group> groups;
    std::size_t current = 0; // index of the group the next probe joins; none while groups is empty
    auto group = [&groups](long number) {
        for (std::size_t i = 0; i < groups.size(); ++i)
            if (groups[i].id == number)
                return i;
        groups.push_back(Em1Group{number, {}});
        return groups.size() - 1;
    };

    for (const CQvcString& line : PageLines(page)) {
        const long colon = line.Find(':');
        const long equals = line.Find('=');
        long split = colon;
        if (split < 0 || (equals >= 0 && equals < split))
            split = equals;
        // A line without a separator is a key without a value ("Group 2").
        const CQvcString key = Key(split < 0 ? line : line.Left(static_cast<std::size_t>(split)));
        CQvcString value = split < 0 ? CQvcString() : line.Mid(static_cast<std::size_t>(split) + 1);
        value.Trim();

        if (key == "name" || key == "unitname") {
            name = value;
        } else if (key == "model") {
            if (!value.IsEmpty())
                model = value;
        } else if (key == "serial" || key == "serialnumber" || key == "serialno") {
            serial = value;
        } else if (key == "website" || key == "url") {
            website = value;
        } else if (key == "id" || key == "unitid") {
            id = value;
            haveId = true;
        } else if (const long g = NumberAfter(key, "group"); g >= 0) {
            current = group(g);
        } else if (const long p = NumberAfter(key, "probe"); p >= 0) {
            CQvcString kind = value.Token(",", 0), units = value.Token(",", 1);
            kind.Trim();
            units.Trim();
            kind.MakeLower();
            Em1Probe probe{p, nullptr, units};
            if (kind.StartsWith("temp")) {
                probe.type = "Temperature";
                if (probe.units.IsEmpty())
                    probe.units = "F";
            } else if (kind.StartsWith("humid")) {
                probe.type = "Humidity";
                probe.units = "% RH";
            } else if (kind.StartsWith("wet")) {
                probe.type = "Wetness";
            } else {
                continue;
            }
            if (groups.empty())
                current = group(1);
            groups[current].probes.push_back(probe);
        }
    }

    std::string xml = "<?xml version=\"1.0\" encoding=\"ISO-8859-1\" ?>\n";
    xml += "<Sensatronics id=\"" + XmlEscaped(haveId ? id : serial) + "\">\n";
    xml += "<Unit>\n";
    xml += "<Name>" + XmlEscaped(name) + "</Name>\n";
    xml += "<Model>" + XmlEscaped(model) + "</Model>\n";
    xml += "<Serial_Number>" + XmlEscaped(serial) + "</Serial_Number>\n";
    xml += "<Website>" + XmlEscaped(website) + "</Website>\n";
    xml += "<Manufacturer>Sensatronics</Manufacturer>\n";
    xml += "</Unit>\n";
    for (const Em1Group& g : groups) {
        xml += "<Group id=\"" + std::to_string(g.id) + "\">\n";
        for (const Em1Probe& probe : g.probes) {
            xml += "<Probe id=\"" + std::to_string(probe.id) + "\" type=\"" + probe.type + "\">\n";
            xml += "<Units>" + XmlEscaped(probe.units) + "</Units>\n";
            xml += "</Probe>\n";
        }
        xml += "</Group>\n";
    }
    xml += "</Sensatronics>\n";
    return CQvcString(std::move(xml));
}
