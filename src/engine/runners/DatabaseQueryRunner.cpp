#include "engine/DatabaseQueryRunner.h"

#include "library/QvcPath.h"
#include "model/checks/CheckSettings.h"
#include "model/notify/SnQueryRequest.h"

#include <sqlite3.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstdlib>
#include <memory>
#include <optional>

namespace {

std::string Lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
    return text;
}

std::string Trim(const std::string& text) {
    const auto first = text.find_first_not_of(" \t");
    return first == std::string::npos ? std::string() : text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

// The SQLite file a connection text names; empty when it names no SQLite database.
std::string SqliteFile(const std::string& connection, const std::string& engineRoot) {
    std::string driver, file;
    std::size_t start = 0;
    while (start <= connection.size()) {
        const std::size_t end = std::min(connection.find(';', start), connection.size());
        const std::string pair = connection.substr(start, end - start);
        const std::size_t equals = pair.find('=');
        if (equals != std::string::npos) {
            const std::string key = Lower(Trim(pair.substr(0, equals)));
            const std::string value = Trim(pair.substr(equals + 1));
            if (key == "driver")
                driver = Lower(value);
            else if (key == "database" || key == "data source")
                file = value;
        }
        start = end + 1;
    }
    if (driver.find("sqlite") == std::string::npos || file.empty())
        return {};
    return EngineRootPath(CQvcString(file), CQvcString(engineRoot)).Str();
}

struct CloseDatabase {
    void operator()(sqlite3* db) const { sqlite3_close_v2(db); }
};
struct FinalizeStatement {
    void operator()(sqlite3_stmt* statement) const { sqlite3_finalize(statement); }
};

// Ends a query that runs past its deadline or while the engine stops.
struct Watch {
    std::chrono::steady_clock::time_point deadline;
    const RunContext* context;
    bool late = false;
};

int Interrupt(void* data) {
    auto* watch = static_cast<Watch*>(data);
    watch->late = std::chrono::steady_clock::now() > watch->deadline;
    return watch->late || watch->context->IsCancelled() ? 1 : 0;
}

DatabaseQueryOutcome Failed(long code, std::string text) {
    DatabaseQueryOutcome outcome;
    outcome.Code = code;
    outcome.Error = std::move(text);
    return outcome;
}

std::optional<double> Number(const std::string& text) {
    const std::string trimmed = Trim(text);
    char* end = nullptr;
    const double value = std::strtod(trimmed.c_str(), &end);
    if (trimmed.empty() || end != trimmed.c_str() + trimmed.size())
        return std::nullopt;
    return value;
}

// Whether `value` meets "operator `wanted`" (a ComparisonOperators code); the comparison
// result is -1, 0 or 1.
bool Holds(int op, int comparison) {
    switch (op) {
    case 1:
        return comparison == 0;
    case 2:
        return comparison != 0;
    case 3:
        return comparison < 0;
    case 4:
        return comparison <= 0;
    case 5:
        return comparison > 0;
    case 6:
        return comparison >= 0;
    default:
        return false;
    }
}

} // namespace

DatabaseQueryOutcome RunDatabaseQuery(const std::string& connection, const std::string& query,
                                      const std::string& field, const RunContext& context) {
    const std::string path = SqliteFile(connection, context.EngineRoot.Str());
    if (path.empty())
        return Failed(CSnQueryRequest::kQueryNotSupported,
                      "Database queries are not supported by this engine for this connection: it runs queries on "
                      "SQLite database files only (\"Driver=SQLite3;Database=<file>\")");
    sqlite3* opened = nullptr;
    int rc = sqlite3_open_v2(path.c_str(), &opened, SQLITE_OPEN_READONLY, nullptr);
    const std::unique_ptr<sqlite3, CloseDatabase> db(opened);
    if (rc != SQLITE_OK)
        return Failed(rc, "Cannot open the database '" + path + "': " + (db ? sqlite3_errmsg(db.get()) : "no memory"));
    Watch watch{std::chrono::steady_clock::now() + context.Timeout, &context};
    sqlite3_progress_handler(db.get(), 1000, Interrupt, &watch);
    sqlite3_stmt* prepared = nullptr;
    rc = sqlite3_prepare_v2(db.get(), query.c_str(), static_cast<int>(query.size()), &prepared, nullptr);
    const std::unique_ptr<sqlite3_stmt, FinalizeStatement> statement(prepared);
    if (rc != SQLITE_OK || !statement)
        return Failed(rc != SQLITE_OK ? rc : SQLITE_MISUSE,
                      std::string("The query is not valid: ") + (rc != SQLITE_OK ? sqlite3_errmsg(db.get()) : "empty"));
    DatabaseQueryOutcome outcome;
    int column = field.empty() ? 0 : -1;
    for (int i = 0; i < sqlite3_column_count(statement.get()); ++i) {
        outcome.Columns.emplace_back(sqlite3_column_name(statement.get(), i));
        if (column < 0 && Lower(outcome.Columns.back()) == Lower(field))
            column = i;
    }
    if (column < 0 || outcome.Columns.empty())
        return Failed(SQLITE_ERROR, outcome.Columns.empty() ? std::string("The query returns no fields")
                                                            : "The query returns no field named '" + field + "'");
    while ((rc = sqlite3_step(statement.get())) == SQLITE_ROW) {
        if (outcome.Rows++ == 0) {
            const unsigned char* text = sqlite3_column_text(statement.get(), column);
            outcome.Value = text ? reinterpret_cast<const char*>(text) : "";
        }
    }
    if (rc != SQLITE_DONE)
        return Failed(rc, watch.late ? "The query did not finish within " + std::to_string(context.Timeout.count()) +
                                           " ms"
                                     : std::string("The query failed: ") + sqlite3_errmsg(db.get()));
    return outcome;
}

CSnNotificationResponse AnswerTestQuery(const CSnQueryRequest& request, const RunContext& context) {
    const DatabaseQueryOutcome outcome =
        RunDatabaseQuery(request.Connection.Str(), request.Query.Str(), request.Field.Str(), context);
    CSnNotificationResponse response;
    response.CreatorIsManager = request.CreatorIsManager;
    response.ErrorCode = static_cast<std::int32_t>(outcome.Code);
    response.ErrorDescription = outcome.Error;
    if (outcome.Code == 0) {
        std::string columns;
        for (const std::string& name : outcome.Columns)
            columns += (columns.empty() ? "" : ", ") + name;
        response.Param[0] = outcome.Value;
        response.Param[1] = columns;
        response.Param[2] = std::to_string(outcome.Rows);
    }
    return response;
}

CheckOutcome CDatabaseQueryRunner::Run(const CSnNodeCfg& check, const RunContext& context) {
    const DatabaseQuerySettings s = DatabaseQuerySettings::Read(check.Function);
    const DatabaseQueryOutcome outcome = RunDatabaseQuery(s.Connection, s.Query, s.Field, context);
    if (outcome.Code == CSnQueryRequest::kQueryNotSupported)
        return CheckOutcome::Uncertain(outcome.Error);
    if (outcome.Code != 0)
        return CheckOutcome::Error(outcome.Error);
    if (outcome.Rows == 0)
        return CheckOutcome::Error("The query returned no rows");
    const auto compare = [&](const std::string& wanted) -> std::optional<int> {
        if (s.Type != DatabaseQuerySettings::kNumber) {
            const int c = outcome.Value.compare(wanted);
            return (c > 0) - (c < 0);
        }
        const auto value = Number(outcome.Value), limit = Number(wanted);
        if (!value || !limit)
            return std::nullopt;
        return (*value > *limit) - (*value < *limit);
    };
    const auto first = compare(s.Value1);
    const auto second = s.UseSecond ? compare(s.Value2) : std::optional<int>(0);
    if (!first || !second)
        return CheckOutcome::Uncertain("Not a number: '" + outcome.Value + "' compared with '" +
                                           (first ? s.Value2 : s.Value1) + "'",
                                       CQvcString(outcome.Value));
    const bool one = Holds(s.Operator1, *first);
    const bool two = s.UseSecond && Holds(s.Operator2, *second);
    const bool holds = !s.UseSecond ? one : s.EitherCondition ? one || two : one && two;
    const std::string name = s.Field.empty() ? outcome.Columns.front() : s.Field;
    const CQvcString text = CQvcString("Field '") + name + "' is '" + outcome.Value + "'" +
                            (holds ? "" : ": the condition is not met");
    return holds ? CheckOutcome::Success(text, outcome.Value) : CheckOutcome::Error(text, outcome.Value);
}
