// The database dialogs through the real widgets: each fills its controls, presses OK and
// reads W back through the settings struct the engine's runner reads.  "Execute Query"
// asks the real engine and shows its answer.  The checks on OK are tested as tables in
// tests/model/checks/DatabaseDialogRulesTest.cpp.
#include "TypeDialogFixture.h"
#include "manager/checks/types/databases/DialogTypeAdoSql.h"
#include "model/checks/CheckSettings.h"
#include "model/checks/CheckTypes.h"
#include "model/tree/SnNode.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include <sqlite3.h>

#include <functional>

namespace {

void Type(QDialog& d, const char* name, const QString& text) {
    d.findChild<QLineEdit*>(name)->setText(text);
}

void Pick(QDialog& d, const char* name, const char* text) {
    QComboBox* combo = d.findChild<QComboBox*>(name);
    combo->setCurrentIndex(combo->findText(text));
}

} // namespace

class DatabaseDialogsTest : public TypeDialogTest {
protected:
    std::string EngineRoot() { return App()->Store()->Link()->RootDirectory().Str(); }
};

TEST_F(DatabaseDialogsTest, ControlsReachTheEngineSettings) {
    const QString root = QString::fromStdString(EngineRoot());
    const struct {
        std::int32_t type;
        std::function<void(QDialog&)> fill;
        std::function<void(const CSnNodeCfgFunction&)> expect;
    } trips[] = {
        {kTypeOdbc,
         [](QDialog& d) {
             Type(d, "dsn", " Sales ");
             Type(d, "account", "sa");
             Type(d, "password", "o-secret");
         },
         [](const CSnNodeCfgFunction& f) {
             EXPECT_EQ(OdbcSettings::Read(f), (OdbcSettings{"Sales", "sa", "o-secret"}));
             EXPECT_EQ(f.ParamPassword, CQvcString::Scramble("o-secret"));
         }},
        {kTypeOracle,
         [](QDialog& d) {
             Type(d, "server", "ORCL");
             d.findChild<QRadioButton*>("logOn")->setChecked(true);
             Type(d, "account", "scott");
             Type(d, "password", "tiger");
         },
         [](const CSnNodeCfgFunction& f) {
             EXPECT_EQ(OracleSettings::Read(f), (OracleSettings{"ORCL", true, "scott", "tiger"}));
         }},
        {kTypeDatabaseQuery,
         [&root](QDialog& d) {
             Type(d, "connection", "Driver=SQLite3;Database=" + root + "Logs/q.db");
             Type(d, "password", "q-secret");
             Type(d, "query", "select count(*) as n from t");
             Type(d, "field", "n");
             Pick(d, "dataType", "Number");
             Pick(d, "operator1", "Greater Than");
             Type(d, "operator1Value", "2");
             d.findChild<QCheckBox*>("useSecond")->setChecked(true);
             d.findChild<QRadioButton*>("and")->setChecked(true);
             Pick(d, "operator2", "Not Equal To");
             Type(d, "operator2Value", "9");
         },
         [](const CSnNodeCfgFunction& f) {
             EXPECT_EQ(DatabaseQuerySettings::Read(f),
                       (DatabaseQuerySettings{"Driver=SQLite3;Database=<SNROOT>Logs/q.db", "q-secret",
                                              "select count(*) as n from t", "n", 1, 5, "2", true, false, 2, "9"}));
             EXPECT_EQ(f.ParamByteCodes.Str(), "x10");
         }},
    };
    for (const auto& trip : trips) {
        CSnNode w;
        const int result = Open(w, trip.type, [&trip](QDialog& d) {
            trip.fill(d);
            const std::string grab = std::string(SENTRELLE_TEST_OUTPUT_DIR) + "/type-dialog-" +
                                     std::to_string(trip.type) + ".png";
            EXPECT_TRUE(d.grab().save(QString::fromStdString(grab)));
            d.accept();
            return d.result();
        });
        ASSERT_EQ(result, CUiSeam::kAccepted) << trip.type << " " << (Messages().empty() ? "" : Messages().back());
        EXPECT_EQ(w.Cfg.Function.Type, trip.type);
        trip.expect(w.Cfg.Function);
    }
}

// "Execute Query" through the engine: a query on an SQLite file below the Engine root is
// run and its value shown; a connection the engine has no driver for is answered so.
TEST_F(DatabaseDialogsTest, ExecuteQueryAsksTheEngine) {
    const std::string file = EngineRoot() + "Logs/probe.db";
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(file.c_str(), &db), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(db, "create table t(n, name); insert into t values(7, 'a'), (8, 'b');", nullptr,
                           nullptr, nullptr),
              SQLITE_OK);
    sqlite3_close(db);
    ASSERT_TRUE(StartEngine());
    const struct {
        const char* connection;
        std::string shown;
    } cases[] = {
        {"Driver=SQLite3;Database=<SNROOT>Logs/probe.db",
         "Result: Query executed successfully\nRows returned: 2\nFields: n, name\nValue: a"},
        {"Provider=Other;Data Source=x", "Result: Query failed\nError code: 1002\nError description: Database queries "
                                         "are not supported by this engine for this connection: it runs queries on "
                                         "SQLite database files only (\"Driver=SQLite3;Database=<file>\")"},
    };
    for (const auto& c : cases) {
        CSnNode w;
        QString shown;
        Open(w, kTypeDatabaseQuery, [&](QDialog& base) {
            auto& d = dynamic_cast<CDialogTypeAdoSql&>(base);
            Type(d, "connection", c.connection);
            Type(d, "query", "select * from t order by n");
            Type(d, "field", "NAME");
            d.ExecuteButton()->click();
            EXPECT_EQ(d.QueryStatus()->text(), "Sending request to the Sentrelle Service...");
            EXPECT_TRUE(TickUntil([&] {
                d.OnQueryTick();
                return !d.QueryResult()->text().isEmpty();
            }));
            shown = d.QueryResult()->text();
            return static_cast<int>(QDialog::Rejected);
        });
        EXPECT_EQ(shown.toStdString(), c.shown);
    }
}
