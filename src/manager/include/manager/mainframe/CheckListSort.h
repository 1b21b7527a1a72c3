#pragma once
// The order of the check list's rows: one comparison per column, free of any window, so
// that it is tested directly.  The list sorts pointers to check nodes with it.
#include <cstddef>
#include <vector>

class CSnNode;

// Negative when row `a` goes before row `b` in the sort on `column`, positive when after,
// 0 only for the frequency column's scheduled rows.  With `ascending` false the two rows
// are swapped before they are compared.  A missing node or a column of 12 or more
// compares as greater (1).
//
//   0 name, 1 type text, 2 host, 5 folder, 8 data, 9 response, 11 comment: text, case ignored
//   3 ID: a - b                   4 frequency: scheduled checks first, then by interval
//   6 result: by status rank (Failure first, On Hold last)
//   7 last update, 10 duration: b - a (newest and longest first)
// Every other tie is decided by the names, case ignored.
int CompareCheckRows(const CSnNode* a, const CSnNode* b, int column, bool ascending);

// Sorts the rows stably with CompareCheckRows.  A merge sort that only asks "does b go
// before a": it stays safe and deterministic even though scheduled rows compare as
// smaller than each other.
void SortCheckRows(std::vector<CSnNode*>& rows, int column, bool ascending);
