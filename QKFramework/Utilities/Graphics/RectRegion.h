// RectRegion: an area of whole pixels held as a singly linked list of rectangles, the way
// windows and looks collect what must be repainted. Rectangles added with AddRect never
// overlap; AppendRegion copies another region's rectangles as they are.
//
// Nodes come from one process-wide pool of 512 slots (RectRegionNodePool), so that the
// regions rebuilt on every invalidation and paint cause no heap traffic; only beyond 512
// live nodes does the heap serve. The pool is the only shared state and takes its own lock;
// a region itself belongs to one thread at a time.
#pragma once

#include "QKFramework/Threads/Mutex.h"
#include "QKFramework/Utilities/Geometry/Rect.h"
#include "QKFramework/Utilities/Storage/IIterable.h"

#include <cstdint>

namespace QK
{

// One rectangle of a region: right and bottom are exclusive.
struct RectRegionNode
{
    std::int32_t left;
    std::int32_t top;
    std::int32_t right;
    std::int32_t bottom;
    RectRegionNode* next;
};

// The process-wide store of region nodes: 512 slots and a ring of the free slot numbers
// (0 to 511 in order at first). Safe from any thread.
class RectRegionNodePool
{
public:
    static constexpr std::uint32_t kCapacity = 512;

    struct Stats
    {
        std::uint32_t live;        // nodes handed out and not yet given back
        std::uint32_t largestLive; // the most that were ever live at once
        std::uint32_t freeCount;   // slot numbers in the ring
        std::uint32_t head;        // ring position of the next slot handed out
    };

    // The pool, made on first use and never destroyed: regions held by static objects may
    // still give their nodes back while the process exits.
    static RectRegionNodePool& Get();

    // A zeroed node: a pool slot while one is free, else one from the heap.
    RectRegionNode* Allocate();
    // Gives a node back to the ring when it is a slot of the pool, else to the heap.
    void Free(RectRegionNode* node) noexcept;

    Stats GetStats() const;
    // Whether node is one of the pool's slots (not from the heap).
    bool IsPoolNode(const RectRegionNode* node) const noexcept;
    // The slot number at ring position (modulo the capacity), for tests of the ring.
    std::uint32_t GetRingEntry(std::uint32_t position) const;

private:
    struct Slot
    {
        RectRegionNode node;
        std::uint32_t ringEntry;
    };

    RectRegionNodePool();
    // The slot number of node, or kCapacity when it is not a slot.
    std::uint32_t SlotNumber(const RectRegionNode* node) const noexcept;

    mutable Mutex m_mutex;
    Slot* m_slots;
    std::uint32_t m_freeCount = kCapacity;
    std::uint32_t m_head = 0;
    std::uint32_t m_live = 0;
    std::uint32_t m_largestLive = 0;
};

class RectRegion
{
public:
    RectRegion() = default;
    // Copies every node, in order.
    RectRegion(const RectRegion& other);
    RectRegion& operator=(const RectRegion& other);
    RectRegion(RectRegion&& other) noexcept;
    RectRegion& operator=(RectRegion&& other) noexcept;
    ~RectRegion();

    // Ignored when empty (right <= left or bottom <= top); otherwise the rectangle is taken
    // out of the region and then put in front as one node, so the nodes stay disjoint.
    void AddRect(std::int32_t left, std::int32_t top, std::int32_t right, std::int32_t bottom);
    // Every node goes back to the pool.
    void Clear() noexcept;
    // false and all zero for an empty region; else true and the smallest rectangle holding
    // every node.
    bool GetBounds(std::int32_t& left, std::int32_t& top, std::int32_t& right, std::int32_t& bottom) const;
    // Empties rects and appends every node in list order as x, y, width, height.
    void GetRects(IArray<RectL>& rects) const;
    std::uint32_t GetCount() const noexcept;
    bool IsEmpty() const noexcept { return m_first == nullptr; }
    // The first node of the list (null when empty), for walking it without copying.
    const RectRegionNode* GetFirst() const noexcept { return m_first; }

    // The region becomes its overlap with other.
    void Intersect(const RectRegion& other);
    void Offset(std::int32_t dx, std::int32_t dy) noexcept;
    // Reorders and merges the nodes into horizontal bands: sorted by top, cut so that nodes
    // that share a top share a bottom, touching neighbours of a band joined, and a node that
    // continues one of the band above at the same position, with the same sides, joined to it.
    void Normalize();
    // Puts a copy of each node of other in front, in other's order (so they end up
    // reversed), keeping any overlap.
    void AppendRegion(const RectRegion& other);
    // Removes the rectangle from the region. Nodes it cuts leave their outside pieces in
    // front of the list (a full-width band above, a band below, then the left and right
    // pieces between them); the overlapping pieces go in front of out when it is given (and
    // is another region), else back to the pool.
    void SubtractRect(std::int32_t left, std::int32_t top, std::int32_t right, std::int32_t bottom,
                      RectRegion* out = nullptr);
    // SubtractRect with each node of other, in list order, sharing out.
    void Subtract(const RectRegion& other, RectRegion* out = nullptr);
    // Whether one node holds the whole rectangle (an empty rectangle is never covered).
    // Collectors of invalidations ask this before AddRect: a piece already inside the region
    // would only cut it into more nodes.
    bool Covers(std::int32_t left, std::int32_t top, std::int32_t right, std::int32_t bottom) const noexcept;
    // Whether some node overlaps the rectangle.
    bool Intersects(std::int32_t left, std::int32_t top, std::int32_t right, std::int32_t bottom) const noexcept;
    // Whether some node overlaps rect moved by offset, clipped to the non-negative 32-bit
    // range and rounded to whole pixels; false for a rectangle of no extent.
    bool IntersectsRect(const RectD& rect, const PointD& offset) const noexcept;

private:
    void Prepend(std::int32_t left, std::int32_t top, std::int32_t right, std::int32_t bottom);

    RectRegionNode* m_first = nullptr;
};

} // namespace QK
