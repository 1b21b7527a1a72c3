// The configuration as JSON text: a round trip keeps every record and the text byte for
// byte; a refused text names its problem and leaves the database as it was.
#include "CfgTestRoot.h"
#include "model/store/SnCfgJson.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <functional>

namespace {

using nlohmann::json;

// Every table but the meta-settings, row by row in key order.
std::string Dump(const std::string& path) {
    std::string dump;
    for (const std::string& row :
         testsupport::Lines(Query(path, "SELECT name FROM sqlite_master WHERE type = 'table' AND name <> "
                                        "'MetaSettings' ORDER BY name"))) {
        const std::string table = row.substr(0, row.size() - 1);
        dump += "[" + table + "]\n" + Query(path, "SELECT * FROM \"" + table + "\" ORDER BY 1");
    }
    return dump;
}

class SnCfgJsonTest : public ::testing::Test {
protected:
    void SetUp() override {
        // A folder with a check, a nested folder, a check outside the tree, texts that
        // need escaping, a scrambled password, an address book and changed settings.
        Sql(cfg.ConfigFile(),
            "INSERT INTO Nodes (ID, Name, Type) VALUES (10000, 'Servers \"east\"', 1), (10001, 'Web', 33),"
            " (10002, 'Inner', 1), (10003, 'Lost', 10);"
            "UPDATE Nodes SET ParamServer = 'h\u00e9te\n2', ParamPassword = 'x\x01y', OnHold = 1,"
            " ScanInterval = 300 WHERE ID = 10001;"
            "UPDATE Tree SET Tree = '1=10000,0;10000=10001,0;10001=0,10002';"
            "UPDATE Nodes SET ParentID = 1 WHERE ID = 10000;"
            "UPDATE Nodes SET ParentID = 10000 WHERE ID IN (10001, 10002);"
            "INSERT INTO DistributionGroups (ID, NotificationTypeID, Name, Members) VALUES (7, 1, 'Ops', 'a;b');"
            "UPDATE SmtpSettings SET Server1 = 'mail.test' WHERE ID = (SELECT MIN(ID) FROM SmtpSettings);");
        copy = cfg.Root() + "/Copy.mdb";
        ASSERT_TRUE(platform::CopyFile(cfg.TemplateFile(), copy, true));
    }

    std::string Export(const std::string& path) {
        std::string text, problem;
        EXPECT_EQ(sncfgjson::Write(CQvcString(path), text, problem), 0) << problem;
        return text;
    }

    CfgTestRoot cfg;
    std::string copy;
};

} // namespace

TEST_F(SnCfgJsonTest, ExportImportExportKeepsEveryRecordAndEveryByte) {
    const std::string text = Export(cfg.ConfigFile());
    const json doc = json::parse(text);
    EXPECT_EQ(doc.at("nodes").at("children").at(0).at("children").at(1).at("Name"), "Inner") << text;
    EXPECT_EQ(doc.at("nodesOutsideTree").back().at("Name"), "Lost");

    std::string problem;
    ASSERT_EQ(sncfgjson::Read(text, CQvcString(copy), problem), 0) << problem;
    EXPECT_EQ(Dump(copy), Dump(cfg.ConfigFile()));
    EXPECT_EQ(Export(copy), text);
}

TEST_F(SnCfgJsonTest, ARefusedTextNamesItsFirstProblemAndChangesNothing) {
    const json good = json::parse(Export(cfg.ConfigFile()));
    const std::string before = Dump(copy);
    const auto inner = [](json& d) -> json& { return d["nodes"]["children"][0]["children"][0]; };
    const struct {
        std::function<void(json&)> Spoil;
        std::string Problem;
    } cases[] = {
        {[](json& d) { d["format"] = "other"; }, "format: expected \"Sentrelle configuration\""},
        {[](json& d) { d["nodes"]["ID"] = 5; }, "nodes (ID 5): the tree's root must be the node with ID 1"},
        {[&](json& d) { inner(d)["ScanInterval"] = "5"; },
         "nodes (ID 1).children[0] (ID 10000).children[0] (ID 10001).ScanInterval: expected a whole number"},
        {[&](json& d) { inner(d)["OnHold"] = 1; }, "(ID 10001).OnHold: expected true or false"},
        {[&](json& d) { inner(d)["ScanInterval"] = 1LL << 40; }, "ScanInterval: the number is out of range"},
        {[&](json& d) { inner(d)["Colour"] = "red"; }, "(ID 10001): unknown field \"Colour\""},
        {[&](json& d) { inner(d)["ID"] = 10003; }, "the ID 10003 is used twice"},
        {[&](json& d) { inner(d).erase("ID"); }, "children[0]: the field \"ID\" is required"},
        {[&](json& d) { inner(d)["children"] = json::array(); }, "only folders (Type 1) have children"},
        {[](json& d) { d["nodesOutsideTree"][0]["children"] = json::array(); }, "outside the tree has no children"},
        {[](json& d) { d["settings"]["Colours"] = json::array(); }, "settings.Colours: unknown table"},
        {[](json& d) { d["settings"]["AdvancedSettings"][0]["Row"] = 99; },
         "settings.AdvancedSettings[0]: refused by the database"},
    };
    for (const auto& c : cases) {
        json spoiled = good;
        c.Spoil(spoiled);
        std::string problem;
        EXPECT_EQ(sncfgjson::Read(spoiled.dump(), CQvcString(copy), problem), sncfgjson::kErrNotAnExport);
        EXPECT_NE(problem.find(c.Problem), std::string::npos) << problem;
        EXPECT_EQ(Dump(copy), before) << c.Problem;
    }
    std::string problem;
    EXPECT_EQ(sncfgjson::Read("{\"format\": ", CQvcString(copy), problem), sncfgjson::kErrNotAnExport);
    EXPECT_EQ(problem.rfind("not a JSON file", 0), 0u) << problem;
}

TEST_F(SnCfgJsonTest, ADamagedTreeIsNotExported) {
    Sql(cfg.ConfigFile(), "UPDATE Tree SET Tree = '1=10000,0;10000=4444,0'");
    std::string text, problem;
    EXPECT_EQ(sncfgjson::Write(CQvcString(cfg.ConfigFile()), text, problem), sncfgjson::kErrCannotExport);
    EXPECT_EQ(problem, "the folder tree names node 4444, which has no record; 'sentrelle check --repair' mends it");
}
