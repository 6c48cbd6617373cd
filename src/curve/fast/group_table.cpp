#include "curve/fast/group_table.h"

#include <array>
#include <atomic>

#include "curve/fast/canonical_multiple.h"

namespace vessa {

// The walk j*G -> (j + 1)*G in affine coordinates, in kSegments interleaved
// segments whose slopes share one inversion per step (Montgomery's trick).
// Segment s covers j in [2 + s*len, 2 + (s+1)*len) up to n - 1; none meets
// G or -G (the only points whose x is G's) before its last point, so no
// step is a doubling or reaches infinity.
void BuildGroupTable(GroupTable &table) noexcept {
    using namespace field;
    constexpr uint32_t kN = GroupTable::kOrder;
    constexpr uint32_t kSegments = 64;
    constexpr uint32_t kLength = (kN - 2 + kSegments - 1) / kSegments;
    const AffinePoint g = ToAffine(CanonicalBaseMultiple(1));
    const auto store = [&table](uint32_t j, AffinePoint pt) {
        table.multiples_[j] = pt.x | (pt.y << 32);
        if ((pt.y & 1U) == 0) {
            table.index_by_x_[pt.x] = j;
        }
    };
    store(1, g);
    std::array<AffinePoint, kSegments> at{};
    std::array<uint32_t, kSegments> end{};
    for (uint32_t s = 0; s < kSegments; ++s) {
        const uint32_t first = 2 + s * kLength;
        at[s] = ToAffine(CanonicalBaseMultiple(first));
        end[s] = first + kLength < kN ? first + kLength : kN;
        store(first, at[s]);
    }
    std::array<Element, kSegments> prefix{};
    for (uint32_t step = 1; step < kLength; ++step) {
        // Product of the dx of every segment still running, then one inverse.
        Element running = 1;
        for (uint32_t i = 0; i < kSegments; ++i) {
            prefix[i] = running;
            if (2 + i * kLength + step < end[i]) {
                running = Mul(running, Sub(g.x, at[i].x));
            }
        }
        Element inverse = Inverse(running);
        for (uint32_t i = kSegments; i-- > 0;) {
            const uint32_t j = 2 + i * kLength + step;
            if (j >= end[i]) {
                continue;
            }
            const Element dx = Sub(g.x, at[i].x);
            const Element dx_inverse = Mul(inverse, prefix[i]);
            inverse = Mul(inverse, dx);
            const Element lambda = Mul(Sub(g.y, at[i].y), dx_inverse);
            const Element x3 = Sub(Sub(Square(lambda), at[i].x), g.x);
            const Element y3 = Sub(Mul(lambda, Sub(at[i].x, x3)), at[i].y);
            at[i] = {x3, y3};
            store(j, at[i]);
        }
    }
}

namespace {

enum : int { kUnbuilt, kBuilding, kReady };

std::atomic<int> table_state{kUnbuilt};
GroupTable table_storage;

}  // namespace

const GroupTable *ReadyGroupTable() noexcept {
    int state = table_state.load(std::memory_order_acquire);
    if (state == kReady) {
        return &table_storage;
    }
    if (state == kUnbuilt &&
        table_state.compare_exchange_strong(state, kBuilding, std::memory_order_acquire)) {
        BuildGroupTable(table_storage);
        table_state.store(kReady, std::memory_order_release);
        return &table_storage;
    }
    return nullptr;
}

}  // namespace vessa
