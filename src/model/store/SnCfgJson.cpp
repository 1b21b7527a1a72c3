#include "model/store/SnCfgJson.h"

#include "SnCfgSchema.h"
#include "SqliteHandles.h"
#include "model/store/SnCfgSqlite.h"
#include "model/store/SnRecordProperties.h"
#include "model/tree/SnNode.h"
#include "model/tree/SnTreeText.h"

#include <nlohmann/json.hpp>

#include <cstdint>
#include <limits>
#include <map>
#include <set>
#include <unordered_map>
#include <vector>

namespace sncfgjson {
namespace {

using nlohmann::json;
using snschema::Column;

constexpr const char* kNodesKey = "nodes";
constexpr const char* kOutsideKey = "nodesOutsideTree";
constexpr const char* kSettingsKey = "settings";
constexpr const char* kChildrenKey = "children";
constexpr const char* kNextIdKey = "nextNodeId";

std::string Quote(const char* name) { return std::string("\"") + name + "\""; }

bool Prepare(sqlite3* db, const std::string& sql, SqliteStmt& out) {
    sqlite3_stmt* raw = nullptr;
    const int rc = sqlite3_prepare_v2(db, sql.c_str(), static_cast<int>(sql.size()), &raw, nullptr);
    out.reset(raw);
    return rc == SQLITE_OK && raw != nullptr;
}

bool Exec(sqlite3* db, const std::string& sql) {
    return sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr) == SQLITE_OK;
}

// The node table's columns with the key first, as the settings tables have them.
const std::vector<Column>& NodeColumns() {
    static const std::vector<Column> columns = [] {
        std::vector<Column> list{{kPropId, snschema::Nodes().KeyColumn, 'L'}};
        const auto& rest = snschema::Nodes().Columns;
        list.insert(list.end(), rest.begin(), rest.end());
        return list;
    }();
    return columns;
}

std::string SelectSql(const char* table, const std::vector<Column>& columns) {
    std::string sql = "SELECT ";
    for (std::size_t i = 0; i < columns.size(); ++i)
        sql += (i ? ", " : "") + Quote(columns[i].Name);
    return sql + " FROM " + Quote(table) + " ORDER BY " + Quote(columns[0].Name);
}

json CellValue(sqlite3_stmt* row, int index, char kind) {
    switch (kind) {
    case 'L':
        return sqlite3_column_int64(row, index);
    case 'B':
        return sqlite3_column_int64(row, index) != 0;
    default: {
        const unsigned char* text = sqlite3_column_text(row, index);
        return text ? std::string(reinterpret_cast<const char*>(text),
                                  static_cast<std::size_t>(sqlite3_column_bytes(row, index)))
                    : std::string();
    }
    }
}

// Every row of a table as objects keyed by column name, in key order.
bool ReadRows(sqlite3* db, const char* table, const std::vector<Column>& columns, std::vector<json>& rows) {
    SqliteStmt stmt;
    if (!Prepare(db, SelectSql(table, columns), stmt))
        return false;
    int rc;
    while ((rc = sqlite3_step(stmt.get())) == SQLITE_ROW) {
        json row = json::object();
        for (std::size_t i = 0; i < columns.size(); ++i)
            row[columns[i].Name] = CellValue(stmt.get(), static_cast<int>(i), columns[i].Kind);
        rows.push_back(std::move(row));
    }
    return rc == SQLITE_DONE;
}

bool ReadSingleText(sqlite3* db, const std::string& sql, std::string& out) {
    SqliteStmt stmt;
    if (!Prepare(db, sql, stmt))
        return false;
    if (sqlite3_step(stmt.get()) == SQLITE_ROW)
        out = CellValue(stmt.get(), 0, 'S').get<std::string>();
    return true;
}

long ReadNextId(sqlite3* db) {
    SqliteStmt stmt;
    if (!Prepare(db, "SELECT \"Next\" FROM \"NodeIds\" WHERE \"ID\" = 1", stmt) ||
        sqlite3_step(stmt.get()) != SQLITE_ROW)
        return 0;
    return static_cast<long>(sqlite3_column_int64(stmt.get(), 0));
}

json Nested(long id, const CSnTreeText::Tree& tree, std::unordered_map<long, json>& nodes) {
    json node = std::move(nodes.at(id));
    nodes.erase(id);
    const std::vector<long>& children = tree.ChildrenOf(id);
    if (!children.empty() || node.value("Type", 0) == kTypeFolder) {
        json list = json::array();
        for (long child : children)
            list.push_back(Nested(child, tree, nodes));
        node[kChildrenKey] = std::move(list);
    }
    return node;
}

// --- reading ------------------------------------------------------------------------------

// Where a value sits in the file, for the problem text.
std::string Where(const std::string& path, const json& object) {
    if (object.is_object()) {
        auto id = object.find("ID");
        if (id != object.end() && id->is_number_integer())
            return path + " (ID " + std::to_string(id->get<long long>()) + ")";
    }
    return path;
}

struct Refusal {
    std::string Text;
};

[[noreturn]] void Refuse(const std::string& where, const std::string& what) { throw Refusal{where + ": " + what}; }

// A row of values in column order, checked against the columns' kinds.
std::vector<json> CheckedRow(const json& object, const std::vector<Column>& columns, const std::string& where,
                             const std::set<std::string>& extraKeys) {
    if (!object.is_object())
        Refuse(where, "expected an object");
    std::vector<json> values(columns.size());
    std::map<std::string, std::size_t> index;
    for (std::size_t i = 0; i < columns.size(); ++i)
        index[columns[i].Name] = i;
    for (const auto& [key, value] : object.items()) {
        if (extraKeys.count(key))
            continue;
        auto at = index.find(key);
        if (at == index.end())
            Refuse(where, "unknown field \"" + key + "\"");
        const Column& column = columns[at->second];
        const std::string field = where + "." + key;
        switch (column.Kind) {
        case 'S':
            if (!value.is_string())
                Refuse(field, "expected a text");
            break;
        case 'B':
            if (!value.is_boolean())
                Refuse(field, "expected true or false");
            break;
        default:
            if (!value.is_number_integer())
                Refuse(field, "expected a whole number");
            if (value.get<long long>() < std::numeric_limits<std::int32_t>::min() ||
                value.get<long long>() > std::numeric_limits<std::int32_t>::max())
                Refuse(field, "the number is out of range");
            break;
        }
        values[at->second] = value;
    }
    if (values[0].is_null())
        Refuse(where, std::string("the field \"") + columns[0].Name + "\" is required");
    return values;
}

struct NodeRow {
    std::vector<json> Values;
    long Parent = 0;
};

class TextReader {
public:
    explicit TextReader(const json& document) : m_document(document) {}

    void Check() {
        if (!m_document.is_object())
            Refuse("the file", "expected a JSON object");
        if (m_document.value("format", std::string()) != kFormatName)
            Refuse("format", std::string("expected \"") + kFormatName + "\"");
        auto version = m_document.find("formatVersion");
        if (version == m_document.end() || !version->is_number_integer() || version->get<int>() != kFormatVersion)
            Refuse("formatVersion", "expected " + std::to_string(kFormatVersion));
        for (const auto& [key, value] : m_document.items()) {
            static const std::set<std::string> known{"format",    "formatVersion", kNextIdKey,
                                                     kNodesKey,   kOutsideKey,     kSettingsKey};
            if (!known.count(key))
                Refuse(key, "unknown field");
            (void)value;
        }
        auto next = m_document.find(kNextIdKey);
        if (next != m_document.end()) {
            if (!next->is_number_integer() || next->get<long long>() < 0)
                Refuse(kNextIdKey, "expected a whole number");
            m_nextId = next->get<long>();
            m_hasNextId = true;
        }
        auto root = m_document.find(kNodesKey);
        if (root == m_document.end())
            Refuse(kNodesKey, "the folder tree is missing");
        if (!root->is_object() || root->value("ID", 0L) != 1)
            Refuse(Where(kNodesKey, *root), "the tree's root must be the node with ID 1");
        Node(*root, kNodesKey, 0, true);
        auto outside = m_document.find(kOutsideKey);
        if (outside != m_document.end()) {
            if (!outside->is_array())
                Refuse(kOutsideKey, "expected a list");
            for (std::size_t i = 0; i < outside->size(); ++i)
                Node((*outside)[i], std::string(kOutsideKey) + "[" + std::to_string(i) + "]", 0, false);
        }
        CQvcString text;
        if (CSnTreeText::Format(m_tree, text) != 0)
            Refuse(kNodesKey, "folders nest deeper than " + std::to_string(CSnTreeText::kMaxDepth) + " levels");
        m_treeText = text.Str();
        auto settings = m_document.find(kSettingsKey);
        if (settings != m_document.end())
            Settings(*settings);
    }

    const std::vector<NodeRow>& Nodes() const { return m_nodes; }
    const std::string& TreeText() const { return m_treeText; }
    long NextId() const { return m_nextId; }
    bool HasNextId() const { return m_hasNextId; }
    const std::vector<std::pair<const snschema::TableShape*, std::vector<std::vector<json>>>>& Tables() const {
        return m_tables;
    }

private:
    void Node(const json& object, const std::string& path, long parent, bool placed) {
        const std::string where = Where(path, object);
        NodeRow row{CheckedRow(object, NodeColumns(), where, {kChildrenKey}), parent};
        const long id = row.Values[0].get<long>();
        if (id < 1)
            Refuse(where + ".ID", "expected a number of at least 1");
        if (!m_ids.insert(id).second)
            Refuse(where + ".ID", "the ID " + std::to_string(id) + " is used twice");
        const auto children = object.find(kChildrenKey);
        const json type = row.Values[TypeColumn()];
        const bool folder = type.is_number_integer() && type.get<long>() == kTypeFolder;
        if (placed && parent != 0)
            m_tree.Append(parent, id);
        m_nodes.push_back(std::move(row));
        if (children == object.end())
            return;
        if (!placed)
            Refuse(where + "." + kChildrenKey, "a node outside the tree has no children");
        if (!folder)
            Refuse(where + "." + kChildrenKey, "only folders (Type 1) have children");
        if (!children->is_array())
            Refuse(where + "." + kChildrenKey, "expected a list");
        for (std::size_t i = 0; i < children->size(); ++i)
            Node((*children)[i], where + "." + kChildrenKey + "[" + std::to_string(i) + "]", id, true);
    }

    static std::size_t TypeColumn() {
        const auto& columns = NodeColumns();
        for (std::size_t i = 0; i < columns.size(); ++i)
            if (std::string_view(columns[i].Name) == "Type")
                return i;
        return 0;
    }

    void Settings(const json& settings) {
        if (!settings.is_object())
            Refuse(kSettingsKey, "expected an object of tables");
        for (const auto& [name, rows] : settings.items()) {
            const std::string where = std::string(kSettingsKey) + "." + name;
            const snschema::TableShape* shape = nullptr;
            for (const snschema::TableShape& s : snschema::SettingsTableShapes())
                if (name == s.Table)
                    shape = &s;
            if (!shape)
                Refuse(where, "unknown table");
            if (!rows.is_array())
                Refuse(where, "expected a list of rows");
            std::vector<std::vector<json>> checked;
            std::set<long long> keys;
            for (std::size_t i = 0; i < rows.size(); ++i) {
                const std::string at = where + "[" + std::to_string(i) + "]";
                checked.push_back(CheckedRow(rows[i], shape->Columns, at, {}));
                if (!keys.insert(checked.back()[0].get<long long>()).second)
                    Refuse(at, std::string("the ") + shape->Columns[0].Name + " is used twice");
            }
            m_tables.emplace_back(shape, std::move(checked));
        }
    }

    const json& m_document;
    CSnTreeText::Tree m_tree{1};
    std::set<long> m_ids;
    std::vector<NodeRow> m_nodes;
    std::string m_treeText;
    long m_nextId = 0;
    bool m_hasNextId = false;
    std::vector<std::pair<const snschema::TableShape*, std::vector<std::vector<json>>>> m_tables;
};

void Bind(sqlite3_stmt* stmt, int index, const json& value, const Column& column) {
    if (value.is_null()) {
        // Left out: the column's default.
        if (column.Kind == 'S') {
            std::string text = column.Default.size() >= 2 ? column.Default.substr(1, column.Default.size() - 2) : "";
            std::string unquoted;
            for (std::size_t i = 0; i < text.size(); ++i) {
                unquoted += text[i];
                if (text[i] == '\'' && i + 1 < text.size() && text[i + 1] == '\'')
                    ++i;
            }
            sqlite3_bind_text(stmt, index, unquoted.c_str(), static_cast<int>(unquoted.size()), SQLITE_TRANSIENT);
        } else {
            sqlite3_bind_int64(stmt, index, column.Default.empty() ? 0 : std::stoll(column.Default));
        }
        return;
    }
    if (value.is_string()) {
        const std::string& text = value.get_ref<const std::string&>();
        sqlite3_bind_text(stmt, index, text.c_str(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
    } else if (value.is_boolean()) {
        sqlite3_bind_int(stmt, index, value.get<bool>() ? 1 : 0);
    } else {
        sqlite3_bind_int64(stmt, index, value.get<long long>());
    }
}

std::string InsertSql(const char* table, const std::vector<Column>& columns, const char* extra = nullptr) {
    std::string names, marks;
    for (std::size_t i = 0; i < columns.size(); ++i) {
        names += (i ? ", " : "") + Quote(columns[i].Name);
        marks += i ? ", ?" : "?";
    }
    if (extra) {
        names += std::string(", ") + Quote(extra);
        marks += ", ?";
    }
    return "INSERT INTO " + Quote(table) + " (" + names + ") VALUES (" + marks + ")";
}

// `parent`, when given, binds the parameter after the columns.
bool InsertRow(sqlite3_stmt* stmt, const std::vector<json>& values, const std::vector<Column>& columns,
               const long* parent = nullptr) {
    sqlite3_reset(stmt);
    sqlite3_clear_bindings(stmt);
    for (std::size_t i = 0; i < columns.size(); ++i)
        Bind(stmt, static_cast<int>(i + 1), values[i], columns[i]);
    if (parent)
        sqlite3_bind_int64(stmt, static_cast<int>(columns.size() + 1), *parent);
    return sqlite3_step(stmt) == SQLITE_DONE;
}

} // namespace

long Write(const CQvcString& database, std::string& text, std::string& problem) {
    SqliteDb db;
    if (long code = OpenOurs(database, CSnCfgSqlite::kDefaultBusyTimeoutMs, db, SQLITE_OPEN_READONLY)) {
        problem = "the configuration database cannot be opened";
        return code;
    }
    // One read transaction: a writer's commit in between cannot split the export.
    if (!Exec(db.get(), "BEGIN")) {
        problem = "the configuration database cannot be read";
        return kErrCannotExport;
    }
    std::vector<json> nodeRows;
    std::string treeText;
    json settings = json::object();
    bool ok = ReadRows(db.get(), snschema::Nodes().Table, NodeColumns(), nodeRows) &&
              ReadSingleText(db.get(), "SELECT \"Tree\" FROM \"Tree\" WHERE \"ID\" = 1", treeText);
    for (const snschema::TableShape& shape : snschema::SettingsTableShapes()) {
        std::vector<json> rows;
        ok = ok && ReadRows(db.get(), shape.Table, shape.Columns, rows);
        settings[shape.Table] = std::move(rows);
    }
    const long nextId = ReadNextId(db.get());
    Exec(db.get(), "COMMIT");
    if (!ok) {
        problem = "the configuration database cannot be read";
        return kErrCannotExport;
    }

    std::unordered_map<long, json> nodes;
    for (json& row : nodeRows)
        nodes.emplace(row["ID"].get<long>(), std::move(row));
    CSnTreeText::Tree tree(1);
    if (CSnTreeText::Read(CQvcString(treeText), 1, tree) != 0) {
        problem = "the folder tree is damaged; 'sentrelle check --repair' mends it";
        return kErrCannotExport;
    }
    for (long id : tree.Nodes()) {
        if (!nodes.count(id)) {
            problem = "the folder tree names node " + std::to_string(id) +
                      ", which has no record; 'sentrelle check --repair' mends it";
            return kErrCannotExport;
        }
    }
    json document = json::object();
    document["format"] = kFormatName;
    document["formatVersion"] = kFormatVersion;
    document[kNextIdKey] = nextId;
    document[kNodesKey] = Nested(1, tree, nodes);
    std::map<long, json> outside(std::make_move_iterator(nodes.begin()), std::make_move_iterator(nodes.end()));
    json outsideList = json::array();
    for (auto& [id, node] : outside)
        outsideList.push_back(std::move(node));
    document[kOutsideKey] = std::move(outsideList);
    document[kSettingsKey] = std::move(settings);
    try {
        text = document.dump(2) + "\n";
    } catch (const json::type_error&) {
        problem = "a text in the configuration is not UTF-8, which a JSON file cannot hold";
        return kErrCannotExport;
    }
    return 0;
}

long Read(const std::string& text, const CQvcString& database, std::string& problem) {
    json document;
    try {
        document = json::parse(text);
    } catch (const json::parse_error& error) {
        problem = std::string("not a JSON file: ") + error.what();
        return kErrNotAnExport;
    }
    TextReader reader(document);
    try {
        reader.Check();
    } catch (const Refusal& refusal) {
        problem = refusal.Text;
        return kErrNotAnExport;
    }

    SqliteDb db;
    if (long code = OpenOurs(database, CSnCfgSqlite::kDefaultBusyTimeoutMs, db)) {
        problem = "the configuration database cannot be opened";
        return code;
    }
    SqliteWriteTransaction tx(db.get());
    const auto failed = [&](const std::string& where) {
        problem = where + ": refused by the database: " + sqlite3_errmsg(db.get());
        return kErrNotAnExport;
    };
    if (!tx.IsOpen())
        return failed("the configuration");
    SqliteStmt insert;
    if (!Exec(db.get(), "DELETE FROM \"Nodes\"") ||
        !Prepare(db.get(), InsertSql(snschema::Nodes().Table, NodeColumns(), "ParentID"), insert))
        return failed(kNodesKey);
    long highest = 0;
    for (const NodeRow& row : reader.Nodes()) {
        if (!InsertRow(insert.get(), row.Values, NodeColumns(), &row.Parent))
            return failed("node " + row.Values[0].dump());
        highest = std::max(highest, row.Values[0].get<long>());
    }
    SqliteStmt tree;
    if (!Prepare(db.get(), "INSERT OR REPLACE INTO \"Tree\" (\"ID\", \"Tree\") VALUES (1, ?)", tree))
        return failed(kNodesKey);
    sqlite3_bind_text(tree.get(), 1, reader.TreeText().c_str(), static_cast<int>(reader.TreeText().size()),
                      SQLITE_TRANSIENT);
    if (sqlite3_step(tree.get()) != SQLITE_DONE)
        return failed(kNodesKey);
    // The counter as exported, so that a round trip keeps it; the store keeps handing out
    // IDs above every stored one even when the counter lags behind.
    const long next = reader.HasNextId() ? reader.NextId() : std::max(highest + 1, CSnCfgSqlite::kFirstNodeId);
    if (!Exec(db.get(), "INSERT OR REPLACE INTO \"NodeIds\" (\"ID\", \"Next\") VALUES (1, " + std::to_string(next) + ")"))
        return failed(kNextIdKey);
    for (const auto& [shape, rows] : reader.Tables()) {
        const std::string where = std::string(kSettingsKey) + "." + shape->Table;
        SqliteStmt stmt;
        if (!Exec(db.get(), "DELETE FROM " + Quote(shape->Table)) ||
            !Prepare(db.get(), InsertSql(shape->Table, shape->Columns), stmt))
            return failed(where);
        for (std::size_t i = 0; i < rows.size(); ++i)
            if (!InsertRow(stmt.get(), rows[i], shape->Columns))
                return failed(where + "[" + std::to_string(i) + "]");
    }
    if (!tx.Commit())
        return failed("the configuration");
    return 0;
}

} // namespace sncfgjson
