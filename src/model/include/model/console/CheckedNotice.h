#pragma once
// The notice with a "Don't show this message next time" box: whether the user already
// switched it off is a string preference of the current user (sub-key "Quorvane Sentrelle
// Manager", default 0), one value per notice.  A switched-off notice is not shown and
// counts as confirmed; on OK the box's state is written back.
#include <functional>

inline constexpr const char* kCheckedNoticeSubKey = "Quorvane Sentrelle Manager";

// Shows the notice through `show` unless its value says not to.  `show` gets the box's
// initial state (unchecked), shows the dialog and returns true on OK with the box's final
// state in its argument.  Returns true when the notice counts as confirmed.
bool RunCheckedNotice(const char* valueName, const std::function<bool(bool& dontShowAgain)>& show);
