#include "library/QvcXmlDoc.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace {

using Pairs = std::vector<std::pair<std::string, std::string>>;

Pairs Texts(CQvcXmlElement& element) {
    Pairs out;
    for (auto* t = element.FirstText(); t; t = element.NextText())
        out.emplace_back(t->TextName().Str(), t->Value().Str());
    return out;
}

Pairs Attributes(CQvcXmlElement& element) {
    Pairs out;
    CQvcString name, value;
    for (bool more = element.FirstAttribute(name, value); more; more = element.NextAttribute(name, value))
        out.emplace_back(name.Str(), value.Str());
    // The end gives empty texts.
    EXPECT_TRUE(name.IsEmpty());
    EXPECT_TRUE(value.IsEmpty());
    return out;
}

const char* kUnitDocument = R"(<?xml version="1.0"?>
<Sensatronics id="7">
  <Unit>
    <Name>Server room</Name>
    <Model>Model E8</Model>
  </Unit>
  <Group id="1">
    <Name>Group one</Name>
    <Probe id="2" type="Temperature" xtype="*"><Name>Rack</Name><Units>F</Units></Probe>
    <Probe id="1" type="Humidity"><!-- relative --><Name>Air</Name><Units>% RH</Units><Extra><Deep>d</Deep></Extra></Probe>
  </Group>
  <Group id="2"><Probe id="9" b="2" a="1" B="3"><Name>Third</Name></Probe></Group>
</Sensatronics>
)";

class QvcXmlDocTest : public ::testing::Test {
protected:
    testsupport::ScopedHives hives;
    CQvcXmlDoc doc;
    void SetUp() override { ASSERT_EQ(doc.Init(nullptr), 0); }
};

} // namespace

TEST_F(QvcXmlDocTest, RepeatedPathGivesEveryElementInDocumentOrder) {
    ASSERT_EQ(doc.Parse(kUnitDocument), 0);
    CQvcXmlElements probes("/Group/Probe");
    ASSERT_EQ(doc.Extract(probes), 0);
    ASSERT_EQ(probes.Count(), 3);

    CQvcXmlElement& first = *probes.ElementAt(0);
    EXPECT_EQ(first.Path(), "/Group/Probe");
    EXPECT_EQ(Attributes(first), (Pairs{{"id", "2"}, {"type", "Temperature"}, {"xtype", "*"}}));
    EXPECT_EQ(Texts(first), (Pairs{{"Name", "Rack"}, {"Units", "F"}}));

    // Text deeper below a match is attached to it under its innermost element's name; the
    // comment adds nothing.
    CQvcXmlElement& second = *probes.ElementAt(1);
    EXPECT_EQ(Texts(second), (Pairs{{"Name", "Air"}, {"Units", "% RH"}, {"Deep", "d"}}));
    EXPECT_EQ(second.LastText()->Value(), "d");

    // Attribute and text look-ups ignore letter case and take the first match.
    CQvcXmlElement& third = *probes.LastElement();
    EXPECT_EQ(Attributes(third), (Pairs{{"id", "9"}, {"b", "2"}, {"a", "1"}, {"B", "3"}}));
    CQvcString attribute, name, missing("stale");
    EXPECT_TRUE(third.GetAttribute("B", attribute) && third.GetText("NAME", name));
    EXPECT_EQ(attribute + "/" + name, "2/Third");
    EXPECT_FALSE(third.GetText("Units", missing) || third.GetAttribute("type", missing));
    EXPECT_TRUE(missing.IsEmpty());
    // Iteration over the list itself.
    std::vector<CQvcXmlElement*> walked;
    for (auto* e = probes.FirstElement(); e; e = probes.NextElement())
        walked.push_back(e);
    EXPECT_EQ(walked, (std::vector<CQvcXmlElement*>{&first, &second, &third}));
}

TEST_F(QvcXmlDocTest, PathsStartBelowTheRootAndLetterCaseCounts) {
    ASSERT_EQ(doc.Parse(kUnitDocument), 0);
    CQvcXmlElements unit("/Unit");
    ASSERT_EQ(doc.Extract(unit), 0);
    ASSERT_EQ(unit.Count(), 1);
    // The paths "/Group/Probe/Units" contain "/Unit": their texts follow the unit's own.
    EXPECT_EQ(Texts(*unit.FirstElement()),
              (Pairs{{"Name", "Server room"}, {"Model", "Model E8"}, {"Units", "F"}, {"Units", "% RH"}}));
    CQvcString name;
    EXPECT_TRUE(unit.FirstElement()->GetText("Name", name));
    EXPECT_EQ(name, "Server room");
    EXPECT_EQ(unit.FirstElement()->Attributes().Count(), 0);

    // Text of elements above the path ("/Group/Name") never reaches a probe, and paths
    // that name the root, differ in case or stop short match nothing.
    for (const char* path :
         {"/Sensatronics/Unit", "/unit", "/Group/probe", "Unit", "", "/Group/Probe/Name/X"}) {
        CQvcXmlElements none(path);
        ASSERT_EQ(doc.Extract(none), 0) << path;
        EXPECT_EQ(none.Count(), 0) << path;
    }

    // Extract empties the list first, and each Parse replaces the document.
    ASSERT_EQ(doc.Parse("<R><Unit><Name>Other</Name></Unit><Unit/></R>"), 0);
    ASSERT_EQ(doc.Extract(unit), 0);
    ASSERT_EQ(unit.Count(), 2);
    EXPECT_EQ(Texts(*unit.ElementAt(0)), (Pairs{{"Name", "Other"}}));
    EXPECT_EQ(unit.ElementAt(1)->Count(), 0);
}

TEST_F(QvcXmlDocTest, TextBeforeTheFirstMatchIsIgnoredAndLaterMatchingTextAttachesToTheLast) {
    const char* xml = "<Root>"
                      "<X><Group><Probe><Name>early</Name></Probe></Group></X>"
                      "<Group>loose<Probe id=\"1\">direct<Name>late</Name></Probe></Group>"
                      "<Y><Group><Probe><Name>stray</Name></Probe></Group></Y>"
                      "<Group><Name>above</Name></Group>"
                      "</Root>";
    ASSERT_EQ(doc.Parse(xml), 0);
    CQvcXmlElements probes("/Group/Probe");
    ASSERT_EQ(doc.Extract(probes), 0);
    ASSERT_EQ(probes.Count(), 1);
    // "early" lies on a path that contains the wanted one but comes before any match;
    // "stray" comes after it and goes to the last match; "loose" and "above" lie above.
    EXPECT_EQ(Texts(*probes.FirstElement()),
              (Pairs{{"Probe", "direct"}, {"Name", "late"}, {"Name", "stray"}}));
    CQvcString value;
    EXPECT_TRUE(probes.FirstElement()->GetText("name", value));
    EXPECT_EQ(value, "late");
}

TEST_F(QvcXmlDocTest, TextValuesKeepSlashesEntitiesAndEncodings) {
    ASSERT_EQ(
        doc.Parse("<S><Unit><Firmware_Release_Date>12/31/2007</Firmware_Release_Date>"
                  "<Website>http://unit.example/a/</Website><Name>A &amp; B &lt;1&gt;</Name></Unit></S>"),
        0);
    CQvcXmlElements unit("/Unit");
    ASSERT_EQ(doc.Extract(unit), 0);
    ASSERT_EQ(unit.Count(), 1);
    EXPECT_EQ(Texts(*unit.FirstElement()), (Pairs{{"Firmware_Release_Date", "12/31/2007"},
                                                  {"Website", "http://unit.example/a/"},
                                                  {"Name", "A & B <1>"}}));

    // A document declared ISO-8859-1 is read as such: its degree sign arrives as UTF-8.
    ASSERT_EQ(doc.Parse("<?xml version=\"1.0\" encoding=\"ISO-8859-1\" ?>\n<S><Probe><Units>\xB0"
                        "C</Units></Probe></S>"),
              0);
    CQvcXmlElements probe("/Probe");
    ASSERT_EQ(doc.Extract(probe), 0);
    ASSERT_EQ(probe.Count(), 1);
    EXPECT_EQ(Texts(*probe.FirstElement()), (Pairs{{"Units", "\xC2\xB0"
                                                             "C"}}));
    // Without a declaration the bytes are taken as they are.
    ASSERT_EQ(doc.Parse("<S><Probe><Units>\xC2\xB0K</Units></Probe></S>"), 0);
    ASSERT_EQ(doc.Extract(probe), 0);
    EXPECT_EQ(Texts(*probe.FirstElement()), (Pairs{{"Units", "\xC2\xB0K"}}));
}

TEST_F(QvcXmlDocTest, MalformedTextFailsAndLeavesNothingToExtract) {
    CQvcXmlElements probes("/Group/Probe");
    ASSERT_EQ(doc.Parse(kUnitDocument), 0);
    ASSERT_EQ(doc.Extract(probes), 0);
    ASSERT_EQ(probes.Count(), 3);

    EXPECT_EQ(doc.Parse("<a>\n  <b></a>"), -1);
    EXPECT_FALSE(doc.HasDocumentElement());
    EXPECT_EQ(doc.ParseErrorLine(), 2);
    EXPECT_GT(doc.ParseErrorColumn(), 1);
    EXPECT_FALSE(doc.ParseErrorDescription().IsEmpty());
    EXPECT_EQ(doc.Extract(probes), -1);
    EXPECT_EQ(probes.Count(), 0); // emptied even when it fails

    for (const char* bad : {"", "   ", "plain text", "<!-- only a comment -->", "<a", "<a></b>", "<a/><b/>",
                            "x<a/>", "<a/>y"}) {
        EXPECT_EQ(doc.Parse(bad), -1) << bad;
        EXPECT_EQ(doc.Extract(probes), -1) << bad;
    }

    // A good document after a bad one is read normally.
    ASSERT_EQ(doc.Parse(kUnitDocument), 0);
    EXPECT_EQ(doc.ParseErrorLine(), 0);
    ASSERT_EQ(doc.Extract(probes), 0);
    EXPECT_EQ(probes.Count(), 3);
}

TEST(QvcXmlDoc, InitParseAndCloseFollowTheirLifecycle) {
    testsupport::ScopedHives hives;
    testsupport::TempDir dir;
    const std::string trace = dir.File("xml-trace.txt");
    CQvcXmlDoc doc;
    CQvcXmlElements unit("/Unit");
    EXPECT_EQ(doc.Parse("<S><Unit/></S>"), -1); // not initialised
    EXPECT_EQ(doc.Extract(unit), -1);

    ASSERT_EQ(doc.Init(trace.c_str()), 0);
    ASSERT_EQ(doc.Init(dir.File("other.txt").c_str()), 0); // already initialised: nothing changes
    EXPECT_EQ(doc.TraceFile(), trace.c_str());
    const std::string text = testsupport::ReadFile(trace);
    EXPECT_TRUE(text.find("COM Interface initialized") != std::string::npos &&
                text.find("COM Interface initialized") == text.rfind("COM Interface initialized"));

    EXPECT_EQ(doc.Extract(unit), -1); // initialised, but nothing parsed yet
    ASSERT_EQ(doc.Parse("<S><Unit/></S>"), 0);
    ASSERT_EQ(doc.Extract(unit), 0);
    EXPECT_EQ(unit.Count(), 1);

    doc.CloseDocument();
    EXPECT_FALSE(doc.IsInitialised());
    EXPECT_EQ(doc.Extract(unit), -1);
    EXPECT_EQ(doc.Parse("<S><Unit/></S>"), -1);
    ASSERT_EQ(doc.Init(trace.c_str()), 0);
    EXPECT_EQ(doc.Parse("<S><Unit/></S>"), 0);
}

TEST_F(QvcXmlDocTest, DeepDocumentsAreWalkedWithoutRecursion) {
    constexpr int kDepth = 50000;
    std::string xml = "<R>";
    for (int i = 0; i < kDepth; ++i)
        xml += "<a>";
    xml += "bottom";
    for (int i = 0; i < kDepth; ++i)
        xml += "</a>";
    xml += "<a>top</a></R>";
    ASSERT_EQ(doc.Parse(xml), 0);
    CQvcXmlElements elements("/a");
    ASSERT_EQ(doc.Extract(elements), 0);
    ASSERT_EQ(elements.Count(), 2);
    EXPECT_EQ(Texts(*elements.ElementAt(0)), (Pairs{{"a", "bottom"}}));
    EXPECT_EQ(Texts(*elements.ElementAt(1)), (Pairs{{"a", "top"}}));
}
