#pragma once
// Database queries run by the engine: the Database Query check (type 111) and the test
// query the check's dialog sends ("Execute Query", CSnQueryRequest).
//
// This engine has a driver for SQLite database files only: a connection text whose
// "Driver" names SQLite ("SQLite3", "{SQLite3 ODBC Driver}", ...) and whose "Database" or
// "Data Source" names the file, "<SNROOT>" standing for the Engine root.  Keys are
// separated by ";", their names compared without regard to letter case.  The file is
// opened read-only and never created; only the first statement of the query runs.  Any
// other connection is answered as not supported (kQueryNotSupported), never tried.
//
// The check runs the query and compares the value of its field in the first row with
// its one or two conditions (DatabaseQuerySettings): as numbers for the type Number, as
// texts otherwise.  Success when the conditions hold, Error when they do not or the
// query fails or returns no row, Uncertain when the engine cannot run the connection or
// a value is not a number.
#include "engine/CheckRunner.h"
#include "model/notify/SnNotificationResponse.h"

#include <string>
#include <vector>

class CSnQueryRequest;

struct DatabaseQueryOutcome {
    long Code = 0; // 0: the query ran; CSnQueryRequest::kQueryNotSupported; else SQLite's code
    std::string Error;
    std::vector<std::string> Columns;
    long long Rows = 0;
    std::string Value; // of the field (the first column when none is named) in the first row
};

// Runs `query` on `connection` (stored form) within the context's time-out.  A field that
// the query does not return is an error.
DatabaseQueryOutcome RunDatabaseQuery(const std::string& connection, const std::string& query,
                                      const std::string& field, const RunContext& context);

// The answer to "Execute Query" (see CSnQueryRequest for its fields).
CSnNotificationResponse AnswerTestQuery(const CSnQueryRequest& request, const RunContext& context);

class CDatabaseQueryRunner final : public ICheckRunner {
public:
    CheckOutcome Run(const CSnNodeCfg& check, const RunContext& context) override;
};
