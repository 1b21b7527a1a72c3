#pragma once
// An Engine root made by the installation initializer in a temporary directory, with both
// registry hives inside it, and helpers to reach its files.
#include "TestSupport.h"
#include "model/store/SnCfg.h"
#include "model/store/SnInstallation.h"
#include "platform/Profile.h"
#include "platform/System.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <string>

class CfgTestRoot {
public:
    CfgTestRoot() {
        CQvcString message;
        long code = CSnInstallation::Initialize(CQvcString(Root()), message);
        if (code != 0)
            ADD_FAILURE() << "initialize: " << message.Str();
    }
    std::string Root() const { return m_hives.Dir().File("root"); }
    std::string ConfigFile() const { return Root() + "/Configuration/Config.mdb"; }
    std::string TemplateFile() const { return Root() + "/Sys/Tpl/Config/Config.mdb"; }
    std::string ControlFile() const { return Root() + "/Sys/Ctrl/control.dat"; }
    std::string ResultFile() const { return Root() + "/Sys/Res/result.dat"; }
    const testsupport::ScopedHives& Hives() const { return m_hives; }

    // The value of a change stamp in section "Updates"; empty when missing.
    std::string Stamp(const char* key) const {
        return platform::ProfileReadText(ControlFile().c_str(), "Updates", key, "");
    }
    void ForgetStamps() const { platform::ProfileDeleteSection(ControlFile().c_str(), "Updates"); }

private:
    testsupport::ScopedHives m_hives;
};

// Runs `sql` on the database file at `path` behind the store's back.
inline void Sql(const std::string& path, const std::string& sql) {
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(path.c_str(), &db), SQLITE_OK);
    EXPECT_EQ(sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr), SQLITE_OK) << sql;
    sqlite3_close(db);
}

// The rows `sql` gives on the database file at `path`, each value followed by "|" (NULL as
// "NULL"), each row by a line break.
inline std::string Query(const std::string& path, const std::string& sql) {
    sqlite3* db = nullptr;
    std::string rows;
    EXPECT_EQ(sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr), SQLITE_OK) << path;
    const auto add = [](void* out, int n, char** values, char**) {
        for (int i = 0; i < n; ++i)
            *static_cast<std::string*>(out) += std::string(values[i] ? values[i] : "NULL") + "|";
        *static_cast<std::string*>(out) += "\n";
        return 0;
    };
    EXPECT_EQ(sqlite3_exec(db, sql.c_str(), add, &rows, nullptr), SQLITE_OK) << sql;
    sqlite3_close(db);
    return rows;
}
