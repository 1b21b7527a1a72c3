#pragma once
// The table runner of the dialogs' checks on OK: a row is the fields as the dialog
// collected them and the first refusal expected (field, -1 when the fields pass, and
// text), so a table walks a dialog's checks in their order and across their boundaries.
// The checks run as for an existing check being edited.
#include "model/checks/TypeDialogRules.h"

#include <gtest/gtest.h>

#include <string>
#include <type_traits>
#include <utility>
#include <vector>

inline constexpr const char* kManyHosts =
    "Multiple hosts (computernames, IP addresses) are not allowed when modifying a check. "
    "It is only allowed on check creation.";
inline constexpr const char* kComputerRequired = "Computer is required.";
inline constexpr const char* kHostRequired = "Host is required.";

template <class S> struct Case {
    S fields;
    int field;
    const char* text;
};

// `check` takes the fields alone, or the fields and the host limits of an edit.
template <class S, class F> void RunTable(const std::vector<Case<S>>& cases, F check) {
    int row = 0;
    for (const Case<S>& c : cases) {
        DialogRefusal r;
        if constexpr (std::is_invocable_v<F, const S&>)
            r = check(c.fields);
        else
            r = check(c.fields, HostCheckLimits{});
        EXPECT_EQ((std::pair{r.Field, r.Text.Str()}), (std::pair{c.field, std::string(c.text)})) << "row " << row++;
    }
}
