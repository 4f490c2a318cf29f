// The path records of the path filter: collection, order, search and duplicates.
#include "DsPathListFunctor.h"

#include <algorithm>

namespace {

// -1, 0 or 1: the ids `a` (count `na`) against `b` (count `nb`), element by element as signed
// integers, a proper prefix first.
int CompareIds(const int* a, int na, const int* b, int nb)
{
    const int n = std::min(na, nb);
    for (int i = 0; i < n; ++i) {
        if (a[i] != b[i]) return a[i] < b[i] ? -1 : 1;
    }
    return na == nb ? 0 : (na < nb ? -1 : 1);
}

// Whether the ids of `prefix` begin those of `path` in the same part.
bool Begins(const CVyrObjectPath& prefix, const CVyrObjectPath& path)
{
    return prefix.GetPartId() == path.GetPartId() && prefix.IsPrefixOf(path);
}

}  // namespace

void DsCollectPathRecordsOfParts(const std::vector<CVyrObjectPath>& paths, int partId1, int partId2,
                                 std::vector<CVyrObjectPath>& result)
{
    for (const CVyrObjectPath& path : paths) {
        if (path.IsEmpty()) continue;
        if (path.GetPartId() == partId1 || path.GetPartId() == partId2) result.push_back(path);
    }
}

void DsSortObjectPaths(std::vector<CVyrObjectPath>& paths)
{
    std::sort(paths.begin(), paths.end());
}

int DsComparePathToRecord(const CDsObjectPath& path, const CVyrObjectPath& record)
{
    if (path.GetRootPartId() != record.GetPartId()) return path.GetRootPartId() < record.GetPartId() ? -1 : 1;
    return CompareIds(path.GetIds(), path.GetSize(), record.GetIds().GetData(), record.GetSize());
}

size_t DsFindPathRecord(const std::vector<CVyrObjectPath>& sorted, const CDsObjectPath& path)
{
    const auto it = std::lower_bound(sorted.begin(), sorted.end(), path,
                                     [](const CVyrObjectPath& record, const CDsObjectPath& p) {
                                         return DsComparePathToRecord(p, record) > 0;
                                     });
    return static_cast<size_t>(it - sorted.begin());
}

void DsDropDuplicatePaths(std::vector<CVyrObjectPath>& sorted, bool dropBelow)
{
    std::vector<CVyrObjectPath> kept;
    kept.reserve(sorted.size());
    for (CVyrObjectPath& path : sorted) {
        if (!kept.empty()) {
            const CVyrObjectPath& last = kept.back();
            if (last == path) continue;
            // In sorted order every path below a kept path follows it directly or after other
            // paths below it, which were dropped, so comparing with the last kept one suffices.
            if (dropBelow && Begins(last, path)) continue;
        }
        kept.push_back(std::move(path));
    }
    sorted.swap(kept);
}
