#pragma once
// The `where` texts that callers hand to the configuration component, parsed into a
// small grammar and turned into SQL with bound parameters (never pasted into SQL):
//
//   where     = [ condition { "AND" condition } ]
//   condition = field op integer
//   op        = "=" | "<>" | "!=" | "<" | "<=" | ">" | ">="
//
// "AND" and field names are matched without regard to case; the integer may carry a sign;
// blanks are free.  A field must be one of the table's allowed fields.  Anything else is
// refused, and the component answers with the table's query error.
#include "library/QvcString.h"

#include <string>
#include <vector>

class CSnWhereClause {
public:
    struct Field {
        const char* Name;   // as callers spell it ("ID", "NotificationTypeID")
        const char* Column; // the database column it stands for
    };
    struct Condition {
        std::string Column;
        std::string Op; // SQL operator
        long long Value = 0;
    };

    // False, with the clause emptied, when the text does not follow the grammar or names a
    // field that `allowed` lacks.
    bool Parse(const CQvcString& text, const std::vector<Field>& allowed);
    bool IsEmpty() const { return m_conditions.empty(); }
    const std::vector<Condition>& Conditions() const { return m_conditions; }
    // " WHERE a >= ? AND b <> ?" (empty when there is no condition); the values bind in
    // the order of Conditions().
    std::string Sql() const;

private:
    std::vector<Condition> m_conditions;
};
