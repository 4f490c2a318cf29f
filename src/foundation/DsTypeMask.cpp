// CDsTypeMask and the domain functions of NSDsTypeMaskHelper.
#include "DsTypeMask.h"

#include <cstdarg>

namespace {

// The bits of the ninth word that hold types (256 to 274).
constexpr unsigned int kLastWordBits = 0x7FFFFu;
// Word and bits of the point types: all of them sit in the ninth word.
constexpr int kPointWord = 8;

bool InRange(int type) { return static_cast<unsigned int>(type) < static_cast<unsigned int>(CDsTypeMask::kTypeCount); }

int CountBits(unsigned int word) { return __builtin_popcount(word); }

}  // namespace

void CDsTypeMask::SetType(int type, ...) {
    va_list args;
    va_start(args, type);
    for (int t = type; InRange(t); t = va_arg(args, int)) SetBit(t);
    va_end(args);
}

void CDsTypeMask::ResetType(int type, ...) {
    va_list args;
    va_start(args, type);
    for (int t = type; InRange(t); t = va_arg(args, int)) ResetBit(t);
    va_end(args);
}

bool CDsTypeMask::IsTypeSet(int type) const {
    return InRange(type) && (m_words[type >> 5] & (1u << (type & 31))) != 0;
}

void CDsTypeMask::SetAll() {
    for (int i = 0; i < kWordCount - 1; ++i) m_words[i] = 0xFFFFFFFFu;
    m_words[kWordCount - 1] = kLastWordBits;
}

void CDsTypeMask::ResetAll() {
    for (unsigned int& word : m_words) word = 0;
}

bool CDsTypeMask::IsAny() const {
    for (unsigned int word : m_words)
        if (word != 0) return true;
    return false;
}

unsigned int CDsTypeMask::GetWord(int index) const {
    return index >= 0 && index < kWordCount ? m_words[index] : 0u;
}

CDsTypeMask& CDsTypeMask::operator|=(const CDsTypeMask& other) {
    for (int i = 0; i < kWordCount; ++i) m_words[i] |= other.m_words[i];
    return *this;
}

CDsTypeMask& CDsTypeMask::operator&=(const CDsTypeMask& other) {
    for (int i = 0; i < kWordCount; ++i) m_words[i] &= other.m_words[i];
    return *this;
}

namespace {

// Every object type (0 to 255) and no point type.
const CDsTypeMask& ObjectTypes() {
    static const CDsTypeMask sObjects = [] {
        CDsTypeMask mask;
        for (int t = 0; t < eDsPickPtFirst; ++t) mask.SetType(t, -1);
        return mask;
    }();
    return sObjects;
}

}  // namespace

namespace NSDsTypeMaskHelper {

bool IsPointInTypeMask(const CDsTypeMask& mask) { return mask.GetWord(kPointWord) != 0; }

bool IsPickPointAllowed(const CDsTypeMask& mask) { return IsPointInTypeMask(mask); }

bool IsPickPointAllowed(const CDsTypeMaskDomain& domain) {
    for (const CDsTypeMask& mask : domain)
        if (IsPointInTypeMask(mask)) return true;
    return false;
}

bool IsAnyPickEnable(const CDsTypeMaskDomain& domain) {
    for (const CDsTypeMask& mask : domain)
        if (mask.IsAny()) return true;
    return false;
}

bool IsTypeCouldBePicked(const CDsTypeMaskDomain& domain, int type) {
    for (const CDsTypeMask& mask : domain)
        if (mask.IsTypeSet(type)) return true;
    return false;
}

bool IsMoreThanOnePoint(const CDsTypeMask& mask) { return CountBits(mask.GetWord(kPointWord)) >= 2; }

unsigned int IndexOfTypeMaskInDomain(const CDsTypeMaskDomain& domain, int type) {
    for (size_t i = 0; i < domain.size(); ++i)
        if (!IsPointInTypeMask(domain[i]) && domain[i].IsTypeSet(type)) return static_cast<unsigned int>(i);
    return 0xFFFFFFFFu;
}

void GetPointsFromTypeMask(const CDsTypeMask& in, CDsTypeMask& out) {
    out.ResetAll();
    for (int t = eDsPickPtFirst; t <= eDsPickPtLast; ++t)
        if (in.IsTypeSet(t)) out.SetType(t, -1);
}

void MergePointsVyrObjectTypes(const CDsTypeMask& objects, const CDsTypeMask& points, CDsTypeMask& out) {
    CDsTypeMask result;
    for (int t = 0; t < eDsPickPtFirst; ++t)
        if (objects.IsTypeSet(t)) result.SetType(t, -1);
    for (int t = eDsPickPtFirst; t <= eDsPickPtLast; ++t)
        if (points.IsTypeSet(t)) result.SetType(t, -1);
    // Built aside so that `out` may be one of the inputs.
    out = result;
}

int CmpObjType(const CDsTypeMaskDomain& domain, eVyrObjectType a, eVyrObjectType b) {
    const int typeA = static_cast<int>(a) & 0xFF;
    const int typeB = static_cast<int>(b) & 0xFF;
    for (const CDsTypeMask& mask : domain) {
        const bool hasA = mask.IsTypeSet(typeA);
        const bool hasB = mask.IsTypeSet(typeB);
        if (hasA && !hasB) return 1;
        if (hasA && hasB) return 0;
        if (hasB) return -1;
    }
    return 0;
}

void DisablePoints(const CDsTypeMaskDomain& domain, const CDsTypeMask& filter, CDsTypeMaskDomain& out) {
    for (const CDsTypeMask& mask : domain) {
        if (!IsPointInTypeMask(mask)) {
            out.push_back(mask);
            continue;
        }
        CDsTypeMask kept = mask;
        kept &= filter;
        if (kept.IsAny()) out.push_back(kept);
    }
}

void ComputePickFilter(const CDsTypeMaskDomain& domain, const CDsTypeMask& filter, CDsTypeMaskDomain& out,
                       bool pointsAllowed) {
    // The point types before the last one, as bits of the ninth word.
    constexpr unsigned int kLeadingPoints = 0x3FFFFu;
    const unsigned int filterPoints = filter.GetWord(kPointWord);
    const bool pointsOnly = filter.IsTypeSet(eDsPickPtOnly);
    for (const CDsTypeMask& d : domain) {
        const unsigned int maskPoints = d.GetWord(kPointWord) & kLeadingPoints;
        const bool hasPoints = maskPoints != 0;
        // Point pass. Without pointsAllowed a type is skipped from the mask's first point type on,
        // and a type the mask lacks cannot pass: so no point type passes at all.
        const unsigned int passed = pointsAllowed ? maskPoints & filterPoints : 0u;
        CDsTypeMask r;
        int count = CountBits(passed);
        for (unsigned int bits = passed; bits != 0; bits &= bits - 1)
            r.SetType(eDsPickPtFirst + __builtin_ctz(bits), -1);
        // A mask that carries points contributes only through a point that passed.
        if (hasPoints && count == 0) continue;
        if (pointsOnly) {
            if (count >= 1)
                r.SetType(eDsPickPtOnly, -1);
            else if (!hasPoints && pointsAllowed)
                continue;
        }
        // Object pass: the carriers of passed points count whatever the filter says; otherwise the
        // filter decides.
        CDsTypeMask objects = d;
        if (!hasPoints) objects &= filter;
        objects &= ObjectTypes();
        for (int w = 0; w < kPointWord; ++w) count += CountBits(objects.GetWord(w));
        r |= objects;
        if (count >= 1) out.push_back(r);
    }
}

}  // namespace NSDsTypeMaskHelper
