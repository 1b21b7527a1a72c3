#include "manager/mainframe/CheckListSort.h"

#include "model/checks/CheckTypes.h"
#include "model/tree/NodeStatus.h"
#include "model/tree/SnNode.h"

#include <algorithm>
#include <utility>

namespace {

constexpr int kColumns = 12;
constexpr int kScheduled = 1;

int ByName(const CSnNode& a, const CSnNode& b) { return a.Cfg.Name.CompareNoCase(b.Cfg.Name); }

int ByText(const CQvcString& a, const CQvcString& b) { return a.CompareNoCase(b); }

int Sign(long long value) { return value < 0 ? -1 : (value > 0 ? 1 : 0); }

int ByColumn(const CSnNode& a, const CSnNode& b, int column) {
    switch (column) {
    case 0:
        return ByName(a, b);
    case 1:
        return ByText(CheckTypeText(a.Cfg.Function), CheckTypeText(b.Cfg.Function));
    case 2:
        return ByText(a.Cfg.Function.ParamServer, b.Cfg.Function.ParamServer);
    case 3:
        return Sign(static_cast<long long>(a.Cfg.ID) - b.Cfg.ID);
    case 5:
        return ByText(a.Manager.FolderPath, b.Manager.FolderPath);
    case 6:
        return Sign(static_cast<long long>(StatusWeight(a.Result.Status)) - StatusWeight(b.Result.Status));
    case 7:
        return Sign(static_cast<long long>(b.Result.LastUpdate) - a.Result.LastUpdate);
    case 8:
        return ByText(a.Result.Data, b.Result.Data);
    case 9:
        return ByText(a.Result.Response, b.Result.Response);
    case 10:
        return Sign(static_cast<long long>(b.Result.Duration) - a.Result.Duration);
    case 11:
        return ByText(a.Result.Comment, b.Result.Comment);
    default:
        return 0;
    }
}

} // namespace

int CompareCheckRows(const CSnNode* a, const CSnNode* b, int column, bool ascending) {
    if (a == nullptr || b == nullptr || column < 0 || column >= kColumns)
        return 1;
    if (!ascending)
        std::swap(a, b);
    if (column == 4) {
        // A scheduled check goes before anything, itself included: no name tie-break.
        if (a->Cfg.ScanFrequency.Mode == kScheduled)
            return -1;
        if (b->Cfg.ScanFrequency.Mode == kScheduled)
            return 1;
        const int byInterval =
            Sign(static_cast<long long>(a->Cfg.ScanFrequency.Interval) - b->Cfg.ScanFrequency.Interval);
        return byInterval != 0 ? byInterval : ByName(*a, *b);
    }
    const int result = ByColumn(*a, *b, column);
    return result != 0 ? result : ByName(*a, *b);
}

void SortCheckRows(std::vector<CSnNode*>& rows, int column, bool ascending) {
    const std::size_t n = rows.size();
    std::vector<CSnNode*> buffer(n);
    // Bottom-up merge: runs of `width` are merged pairwise; a right-hand row moves ahead
    // only when the left-hand row compares as greater, which keeps equal rows (and
    // scheduled rows among themselves) in their order.
    for (std::size_t width = 1; width < n; width *= 2) {
        for (std::size_t lo = 0; lo < n; lo += 2 * width) {
            const std::size_t mid = std::min(lo + width, n);
            const std::size_t hi = std::min(lo + 2 * width, n);
            std::size_t i = lo, j = mid, k = lo;
            while (i < mid && j < hi)
                buffer[k++] = CompareCheckRows(rows[i], rows[j], column, ascending) > 0 ? rows[j++] : rows[i++];
            while (i < mid)
                buffer[k++] = rows[i++];
            while (j < hi)
                buffer[k++] = rows[j++];
        }
        rows.swap(buffer);
    }
}
