#pragma once
// Installations of a given size for the benchmarks: an Engine root made like `sentrelle
// init` does, filled in one SQLite transaction with folders of 100 checks below the
// root (realistic texts), both registry hives inside its temporary directory.  One
// installation per size is made once and kept for the whole run.
#include "TestSupport.h"
#include "model/store/SnInstallation.h"

#include <sqlite3.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <map>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace benchinstall {

constexpr int kChecksPerFolder = 100;

// One installation per size, made once and kept for the whole run.
class Installation {
public:
    explicit Installation(int nodes) {
        CQvcString message;
        if (CSnInstallation::Initialize(CQvcString(m_hives.Dir().File("root")), message) != 0)
            throw std::runtime_error(message.Str());
        Fill(m_hives.Dir().File("root") + "/Configuration/Config.mdb", nodes);
    }
    const testsupport::ScopedHives& Hives() const { return m_hives; }
    std::string Root() const { return m_hives.Dir().File("root"); }
    std::string ConfigFile() const { return Root() + "/Configuration/Config.mdb"; }
    // Runs SQL on the configuration (to turn the checks into another kind).
    void Sql(const std::string& sql) const {
        sqlite3* db = nullptr;
        sqlite3_open(ConfigFile().c_str(), &db);
        Exec(db, sql);
        sqlite3_close(db);
    }

private:
    static void Exec(sqlite3* db, const std::string& sql) {
        if (sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr) != SQLITE_OK)
            throw std::runtime_error(sqlite3_errmsg(db));
    }
    // Bulk insert in one transaction, and the tree text that puts every check into a
    // folder of the root.
    static void Fill(const std::string& path, int nodes) {
        sqlite3* db = nullptr;
        sqlite3_open(path.c_str(), &db);
        Exec(db, "BEGIN IMMEDIATE");
        sqlite3_stmt* stmt = nullptr;
        sqlite3_prepare_v2(db,
                           "INSERT INTO Nodes (ID, Name, Type, ScanInterval, ErrorThreshold, ParamServer, Param1, "
                           "Param2, Notes, NotifyFlags, Recipients0, Dependencies) VALUES (?,?,?,?,?,?,?,?,?,?,?,?)",
                           -1, &stmt, nullptr);
        // The root's item names the first folder; the first folder's item lists the other
        // folders as its siblings; each folder's first check lists the folder's other checks.
        std::string items;
        std::vector<int> folderIds;
        const int folders = std::max(1, nodes / (kChecksPerFolder + 1));
        int id = 10000;
        for (int f = 0; f < folders; ++f) {
            const int folderId = id++;
            folderIds.push_back(folderId);
            auto bind = [&](int nodeId, const std::string& name, int type) {
                sqlite3_reset(stmt);
                sqlite3_bind_int(stmt, 1, nodeId);
                sqlite3_bind_text(stmt, 2, name.c_str(), -1, SQLITE_TRANSIENT);
                sqlite3_bind_int(stmt, 3, type);
                sqlite3_bind_int(stmt, 4, 300);
                sqlite3_bind_int(stmt, 5, 1);
                sqlite3_bind_text(stmt, 6, type == 1 ? "" : "server-042.example.test", -1, SQLITE_STATIC);
                sqlite3_bind_text(stmt, 7, type == 1 ? "" : "1000", -1, SQLITE_STATIC);
                sqlite3_bind_text(stmt, 8, type == 1 ? "" : "1", -1, SQLITE_STATIC);
                sqlite3_bind_text(stmt, 9, "Checked every five minutes||owner: operations", -1, SQLITE_STATIC);
                sqlite3_bind_text(stmt, 10, "19090909090909090909090", -1, SQLITE_STATIC);
                sqlite3_bind_text(stmt, 11, "~1;ops@example.test", -1, SQLITE_STATIC);
                sqlite3_bind_text(stmt, 12, type == 1 ? "" : std::to_string(folderId).c_str(), -1,
                                  SQLITE_TRANSIENT);
                if (sqlite3_step(stmt) != SQLITE_DONE)
                    throw std::runtime_error(sqlite3_errmsg(db));
            };
            bind(folderId, "Folder " + std::to_string(f), 1);
            const int checks = f == folders - 1 ? nodes - 1 - f * (kChecksPerFolder + 1) : kChecksPerFolder;
            for (int c = 0; c < checks; ++c) {
                const int checkId = id++;
                bind(checkId, "Ping server-042 #" + std::to_string(checkId), 10);
            }
            if (checks > 0) {
                (items += ';') += std::to_string(folderId + 1) + "=0";
                for (int c = 1; c < checks; ++c)
                    (items += ',') += std::to_string(folderId + 1 + c);
                if (checks == 1)
                    items += ",0";
            }
        }
        sqlite3_finalize(stmt);
        std::string tree = "1=";
        tree += std::to_string(folderIds[0]) + ",0";
        for (std::size_t f = 0; f < folderIds.size(); ++f) {
            const bool hasChecks = f + 1 < folderIds.size() ? folderIds[f + 1] > folderIds[f] + 1 : id > folderIds[f] + 1;
            ((tree += ';') += std::to_string(folderIds[f]) + "=") += hasChecks ? std::to_string(folderIds[f] + 1) : "0";
            if (f == 0) {
                for (std::size_t g = 1; g < folderIds.size(); ++g)
                    (tree += ',') += std::to_string(folderIds[g]);
                if (folderIds.size() == 1)
                    tree += ",0";
            } else {
                tree += ",0";
            }
        }
        tree += items;
        sqlite3_stmt* put = nullptr;
        sqlite3_prepare_v2(db, "UPDATE Tree SET Tree = ? WHERE ID = 1", -1, &put, nullptr);
        sqlite3_bind_text(put, 1, tree.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_step(put);
        sqlite3_finalize(put);
        Exec(db, "COMMIT");
        sqlite3_close(db);
    }

    testsupport::ScopedHives m_hives;
};

// The installation of that size, made on first use; the registry points at its root.
inline Installation& For(int nodes) {
    static std::map<int, std::unique_ptr<Installation>> made;
    auto& slot = made[nodes];
    if (!slot)
        slot = std::make_unique<Installation>(nodes);
    // Point the registry at this size's root.
    ::setenv("SENTRELLE_MACHINE_HIVE", slot->Hives().MachineHive().c_str(), 1);
    ::setenv("SENTRELLE_USER_HIVE", slot->Hives().UserHive().c_str(), 1);
    return *slot;
}

// Rows of a table read with one statement into plain structs: every column as its
// integer or its text (all texts of a row in one string), as SQLite stores it.  The
// yardstick of the store's own loading and writing.
constexpr int kMaxColumns = 64;
struct Row {
    int Columns = 0;
    std::array<long long, kMaxColumns> Numbers{};
    std::array<int, kMaxColumns> Kind{}; // SQLITE_INTEGER, SQLITE_NULL or SQLITE_TEXT
    std::array<std::uint32_t, kMaxColumns + 1> TextEnds{};
    std::string Texts;
    std::string_view Text(int c) const {
        return std::string_view(Texts).substr(TextEnds[c], TextEnds[c + 1] - TextEnds[c]);
    }
};

// `rows` is emptied first; its room is kept, as the store keeps the memory of the tree it
// frees for the next load.
inline void SelectRows(const std::string& path, const std::string& sql, std::vector<Row>& rows) {
    sqlite3* db = nullptr;
    sqlite3_open(path.c_str(), &db);
    sqlite3_stmt* stmt = nullptr;
    rows.clear();
    if (sqlite3_prepare_v2(db, sql.c_str(), -1, &stmt, nullptr) == SQLITE_OK) {
        const int columns = std::min(sqlite3_column_count(stmt), kMaxColumns);
        while (sqlite3_step(stmt) == SQLITE_ROW) {
            Row& row = rows.emplace_back();
            row.Columns = columns;
            for (int c = 0; c < columns; ++c) {
                row.Kind[c] = sqlite3_column_type(stmt, c);
                if (row.Kind[c] == SQLITE_INTEGER) {
                    row.Numbers[c] = sqlite3_column_int64(stmt, c);
                } else if (row.Kind[c] != SQLITE_NULL) {
                    row.Texts.append(reinterpret_cast<const char*>(sqlite3_column_text(stmt, c)),
                                     static_cast<std::size_t>(sqlite3_column_bytes(stmt, c)));
                    row.Kind[c] = SQLITE_TEXT;
                }
                row.TextEnds[c + 1] = static_cast<std::uint32_t>(row.Texts.size());
            }
        }
    }
    sqlite3_finalize(stmt);
    sqlite3_close(db);
}

// Inserts the rows into the table with one prepared statement in one transaction.
inline void InsertRows(const std::string& path, const std::string& table, const std::vector<Row>& rows) {
    if (rows.empty())
        return;
    sqlite3* db = nullptr;
    sqlite3_open(path.c_str(), &db);
    std::string sql = "INSERT INTO \"" + table + "\" VALUES (?";
    for (int c = 1; c < rows[0].Columns; ++c)
        sql += ",?";
    sql += ")";
    sqlite3_exec(db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr);
    sqlite3_stmt* stmt = nullptr;
    if (sqlite3_prepare_v2(db, sql.c_str(), -1, &stmt, nullptr) != SQLITE_OK)
        throw std::runtime_error(sqlite3_errmsg(db));
    for (const Row& row : rows) {
        sqlite3_reset(stmt);
        for (int c = 0; c < row.Columns; ++c) {
            const int at = c + 1;
            if (row.Kind[c] == SQLITE_TEXT)
                sqlite3_bind_text(stmt, at, row.Text(c).data(), static_cast<int>(row.Text(c).size()),
                                  SQLITE_STATIC);
            else if (row.Kind[c] == SQLITE_INTEGER)
                sqlite3_bind_int64(stmt, at, row.Numbers[c]);
            else
                sqlite3_bind_null(stmt, at);
        }
        if (sqlite3_step(stmt) != SQLITE_DONE)
            throw std::runtime_error(sqlite3_errmsg(db));
    }
    sqlite3_finalize(stmt);
    sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
    sqlite3_close(db);
}

} // namespace benchinstall
