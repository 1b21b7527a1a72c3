#pragma once
// Paths.  On disk they are built with the native separator by one helper: ensure a
// trailing separator, append the next component.  Texts stored in the configuration keep
// their stored form (backslashes included) and become native paths only when the file
// system is touched.
#include "library/QvcString.h"

#include <initializer_list>

// `base` with a trailing native separator, then `component`.
CQvcString PathJoin(const CQvcString& base, std::string_view component);
// The same for several components in turn.
CQvcString PathJoin(const CQvcString& base, std::initializer_list<std::string_view> components);
// A stored path text as a native path: backslashes become the native separator and runs
// of separators collapse to one (a leading pair stays, for share-style names).
CQvcString ToNativePath(const CQvcString& stored);
// The placeholder that stands for the Engine root in stored paths, for example
// "<SNROOT>scripts\monitor (vbs)\"; the stored text keeps it, not the expanded path.
inline constexpr std::string_view kEngineRootPlaceholder = "<SNROOT>";
// A stored path as a native path on disk: a leading "<SNROOT>" (letter case ignored) is
// the native `engineRoot`, and the rest goes through ToNativePath and is joined to it with
// PathJoin.  A text without the placeholder is ToNativePath of it.
CQvcString EngineRootPath(const CQvcString& stored, const CQvcString& engineRoot);
// The canonical absolute form of an existing or not yet existing path ("." and ".."
// resolved, links followed where they exist); empty when it cannot be formed.
CQvcString CanonicalPath(const CQvcString& path);
// True when `path` lies inside `root` (or is the root), compared on canonical paths.
bool PathIsInside(const CQvcString& path, const CQvcString& root);
