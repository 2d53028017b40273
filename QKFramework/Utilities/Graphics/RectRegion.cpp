// Contents: the node pool; copying and clearing; adding, subtracting and intersecting;
// queries; Normalize.
#include "QKFramework/Utilities/Graphics/RectRegion.h"

#include "QKFramework/ObjectBase/Exception.h"

#include <algorithm>
#include <functional>
#include <new>
#include <utility>
#include <vector>

namespace QK
{

// ---- The node pool -------------------------------------------------------------------------

RectRegionNodePool& RectRegionNodePool::Get()
{
    static auto* const pool = new RectRegionNodePool();
    return *pool;
}

RectRegionNodePool::RectRegionNodePool() : m_slots(new Slot[kCapacity])
{
    for (std::uint32_t i = 0; i < kCapacity; ++i)
        m_slots[i].ringEntry = i;
}

std::uint32_t RectRegionNodePool::SlotNumber(const RectRegionNode* node) const noexcept
{
    // Compared as addresses: a heap node is no part of the slot block.
    const auto address = reinterpret_cast<std::uintptr_t>(node);
    const auto start = reinterpret_cast<std::uintptr_t>(m_slots);
    if (address < start)
        return kCapacity;
    const std::uintptr_t slot = (address - start) / sizeof(Slot);
    return slot < kCapacity ? static_cast<std::uint32_t>(slot) : kCapacity;
}

RectRegionNode* RectRegionNodePool::Allocate()
{
    RectRegionNode* node = nullptr;
    {
        MutexLock lock(m_mutex);
        if (m_freeCount > 0)
        {
            node = &m_slots[m_slots[m_head].ringEntry].node;
            m_head = (m_head + 1) % kCapacity;
            --m_freeCount;
        }
        else
        {
            node = new (std::nothrow) RectRegionNode;
            if (!node)
                ThrowBadAlloc();
        }
        m_largestLive = std::max(m_largestLive, ++m_live);
    }
    *node = RectRegionNode{};
    return node;
}

void RectRegionNodePool::Free(RectRegionNode* node) noexcept
{
    if (!node)
        return;
    MutexLock lock(m_mutex);
    const std::uint32_t slot = SlotNumber(node);
    if (m_freeCount < kCapacity && slot < kCapacity)
    {
        m_slots[(m_head + m_freeCount) % kCapacity].ringEntry = slot;
        ++m_freeCount;
    }
    else
    {
        delete node;
    }
    --m_live;
}

RectRegionNodePool::Stats RectRegionNodePool::GetStats() const
{
    MutexLock lock(m_mutex);
    return {m_live, m_largestLive, m_freeCount, m_head};
}

bool RectRegionNodePool::IsPoolNode(const RectRegionNode* node) const noexcept
{
    return SlotNumber(node) < kCapacity;
}

std::uint32_t RectRegionNodePool::GetRingEntry(std::uint32_t position) const
{
    MutexLock lock(m_mutex);
    return m_slots[position % kCapacity].ringEntry;
}

// ---- Copying and clearing ------------------------------------------------------------------

namespace
{

RectRegionNode* NewNode(std::int32_t left, std::int32_t top, std::int32_t right, std::int32_t bottom,
                        RectRegionNode* next)
{
    RectRegionNode* node = RectRegionNodePool::Get().Allocate();
    *node = {left, top, right, bottom, next};
    return node;
}

// The overlap test of Intersects on one axis.
bool AxisOverlaps(std::int32_t start, std::int32_t end, std::int32_t nodeStart, std::int32_t nodeEnd)
{
    return start < nodeStart ? end > nodeStart : start < nodeEnd;
}

bool Overlaps(const RectRegionNode& node, std::int32_t left, std::int32_t top, std::int32_t right,
              std::int32_t bottom)
{
    return AxisOverlaps(left, right, node.left, node.right) && AxisOverlaps(top, bottom, node.top, node.bottom);
}

} // namespace

RectRegion::RectRegion(const RectRegion& other)
{
    RectRegionNode** tail = &m_first;
    for (const RectRegionNode* node = other.m_first; node; node = node->next)
    {
        *tail = NewNode(node->left, node->top, node->right, node->bottom, nullptr);
        tail = &(*tail)->next;
    }
}

RectRegion& RectRegion::operator=(const RectRegion& other)
{
    if (this != &other)
    {
        RectRegion copy(other);
        std::swap(m_first, copy.m_first);
    }
    return *this;
}

RectRegion::RectRegion(RectRegion&& other) noexcept : m_first(std::exchange(other.m_first, nullptr)) {}

RectRegion& RectRegion::operator=(RectRegion&& other) noexcept
{
    if (this != &other)
    {
        Clear();
        m_first = std::exchange(other.m_first, nullptr);
    }
    return *this;
}

RectRegion::~RectRegion()
{
    Clear();
}

void RectRegion::Clear() noexcept
{
    RectRegionNodePool& pool = RectRegionNodePool::Get();
    while (RectRegionNode* node = m_first)
    {
        m_first = node->next;
        pool.Free(node);
    }
}

void RectRegion::Prepend(std::int32_t left, std::int32_t top, std::int32_t right, std::int32_t bottom)
{
    m_first = NewNode(left, top, right, bottom, m_first);
}

// ---- Adding, subtracting and intersecting --------------------------------------------------

void RectRegion::AddRect(std::int32_t left, std::int32_t top, std::int32_t right, std::int32_t bottom)
{
    if (right <= left || bottom <= top)
        return;
    SubtractRect(left, top, right, bottom);
    Prepend(left, top, right, bottom);
}

void RectRegion::AppendRegion(const RectRegion& other)
{
    if (&other == this)
    {
        const RectRegion copy(other);
        AppendRegion(copy);
        return;
    }
    for (const RectRegionNode* node = other.m_first; node; node = node->next)
        Prepend(node->left, node->top, node->right, node->bottom);
}

void RectRegion::SubtractRect(std::int32_t left, std::int32_t top, std::int32_t right, std::int32_t bottom,
                              RectRegion* out)
{
    // An empty rectangle covers nothing; cutting by it would make overlapping pieces.
    if (right <= left || bottom <= top)
        return;
    if (out == this)
        out = nullptr;

    // Pieces are gathered apart and put in front when the walk ends (also when a node cannot
    // be had), which gives the same list as prepending each at once without the walk
    // meeting them.
    struct Pieces
    {
        RectRegion& region;
        RectRegionNode* first = nullptr;
        RectRegionNode* last = nullptr;

        void Add(std::int32_t l, std::int32_t t, std::int32_t r, std::int32_t b)
        {
            first = NewNode(l, t, r, b, first);
            if (!last)
                last = first;
        }
        ~Pieces()
        {
            if (!first)
                return;
            last->next = region.m_first;
            region.m_first = first;
        }
    } pieces{*this};

    RectRegionNodePool& pool = RectRegionNodePool::Get();
    RectRegionNode** link = &m_first;
    while (RectRegionNode* node = *link)
    {
        if (!Overlaps(*node, left, top, right, bottom))
        {
            link = &node->next;
            continue;
        }
        if (node->top < top)
        {
            pieces.Add(node->left, node->top, node->right, top);
            node->top = top;
        }
        if (node->bottom > bottom)
        {
            pieces.Add(node->left, bottom, node->right, node->bottom);
            node->bottom = bottom;
        }
        if (node->left < left)
        {
            pieces.Add(node->left, node->top, left, node->bottom);
            node->left = left;
        }
        if (node->right > right)
        {
            pieces.Add(right, node->top, node->right, node->bottom);
            node->right = right;
        }
        *link = node->next;
        if (out)
        {
            node->next = out->m_first;
            out->m_first = node;
        }
        else
        {
            pool.Free(node);
        }
    }
}

void RectRegion::Subtract(const RectRegion& other, RectRegion* out)
{
    if (&other == this)
    {
        const RectRegion copy(other);
        Subtract(copy, out);
        return;
    }
    for (const RectRegionNode* node = other.m_first; node; node = node->next)
        SubtractRect(node->left, node->top, node->right, node->bottom, out);
}

void RectRegion::Intersect(const RectRegion& other)
{
    RectRegion overlap;
    Subtract(other, &overlap);
    std::swap(m_first, overlap.m_first);
}

void RectRegion::Offset(std::int32_t dx, std::int32_t dy) noexcept
{
    if (dx == 0 && dy == 0)
        return;
    for (RectRegionNode* node = m_first; node; node = node->next)
    {
        node->left += dx;
        node->right += dx;
        node->top += dy;
        node->bottom += dy;
    }
}

// ---- Queries -------------------------------------------------------------------------------

bool RectRegion::GetBounds(std::int32_t& left, std::int32_t& top, std::int32_t& right, std::int32_t& bottom) const
{
    left = top = right = bottom = 0;
    if (!m_first)
        return false;
    left = m_first->left;
    top = m_first->top;
    right = m_first->right;
    bottom = m_first->bottom;
    for (const RectRegionNode* node = m_first->next; node; node = node->next)
    {
        left = std::min(left, node->left);
        top = std::min(top, node->top);
        right = std::max(right, node->right);
        bottom = std::max(bottom, node->bottom);
    }
    return true;
}

void RectRegion::GetRects(IArray<RectL>& rects) const
{
    rects.RemoveAll();
    for (const RectRegionNode* node = m_first; node; node = node->next)
        rects.Add(RectL{node->left, node->top, node->right - node->left, node->bottom - node->top});
}

std::uint32_t RectRegion::GetCount() const noexcept
{
    std::uint32_t count = 0;
    for (const RectRegionNode* node = m_first; node; node = node->next)
        ++count;
    return count;
}

bool RectRegion::Covers(std::int32_t left, std::int32_t top, std::int32_t right, std::int32_t bottom) const noexcept
{
    if (right <= left || bottom <= top)
        return false;
    for (const RectRegionNode* node = m_first; node; node = node->next)
    {
        if (node->left <= left && node->top <= top && node->right >= right && node->bottom >= bottom)
            return true;
    }
    return false;
}

bool RectRegion::Intersects(std::int32_t left, std::int32_t top, std::int32_t right, std::int32_t bottom) const noexcept
{
    for (const RectRegionNode* node = m_first; node; node = node->next)
    {
        if (Overlaps(*node, left, top, right, bottom))
            return true;
    }
    return false;
}

bool RectRegion::IntersectsRect(const RectD& rect, const PointD& offset) const noexcept
{
    double left = offset.x + rect.x;
    double top = offset.y + rect.y;
    double right = left + rect.width;
    double bottom = top + rect.height;
    left = std::max(left, 0.0);
    top = std::max(top, 0.0);
    right = std::min(right, 2147483647.0);
    bottom = std::min(bottom, 2147483647.0);
    // Written so that not-a-number extents are refused too.
    if (!(right - left > kGeometryTolerance) || !(bottom - top > kGeometryTolerance))
        return false;
    const LongPair topLeft = ToLongPair({left, top});
    const LongPair bottomRight = ToLongPair({right, bottom});
    return Intersects(topLeft.first, topLeft.second, bottomRight.first, bottomRight.second);
}

// ---- Normalize -----------------------------------------------------------------------------

void RectRegion::Normalize()
{
    if (!m_first || !m_first->next)
        return;
    RectRegionNodePool& pool = RectRegionNodePool::Get();

    std::vector<RectRegionNode*> nodes;
    for (RectRegionNode* node = m_first; node; node = node->next)
        nodes.push_back(node);
    // Until the list is rebuilt the nodes belong to the vector and the bands.
    m_first = nullptr;

    std::stable_sort(nodes.begin(), nodes.end(),
                     [](const RectRegionNode* a, const RectRegionNode* b) { return a->top < b->top; });

    // Bands: a node reaching past the smallest bottom of its top's nodes, or past the next
    // top, is cut there; the lower piece goes after the last node above the cut.
    std::vector<std::vector<RectRegionNode*>> bands;
    std::size_t start = 0;
    try
    {
        while (start < nodes.size())
        {
            const std::int32_t top = nodes[start]->top;
            std::size_t end = start;
            std::int32_t cut = nodes[start]->bottom;
            while (end < nodes.size() && nodes[end]->top == top)
                cut = std::min(cut, nodes[end++]->bottom);
            if (end < nodes.size())
                cut = std::min(cut, nodes[end]->top);
            for (std::size_t i = start; i < end; ++i)
            {
                RectRegionNode* node = nodes[i];
                if (node->bottom <= cut)
                    continue;
                RectRegionNode* lower = NewNode(node->left, cut, node->right, node->bottom, nullptr);
                node->bottom = cut;
                auto at = std::find_if(nodes.begin() + static_cast<std::ptrdiff_t>(end), nodes.end(),
                                       [cut](const RectRegionNode* n) { return n->top >= cut; });
                nodes.insert(at, lower);
            }
            bands.emplace_back(nodes.begin() + static_cast<std::ptrdiff_t>(start),
                               nodes.begin() + static_cast<std::ptrdiff_t>(end));
            start = end;
        }
    }
    catch (...)
    {
        // Out of nodes: keep the area, unmerged.
        RectRegionNode** tail = &m_first;
        for (RectRegionNode* node : nodes)
        {
            *tail = node;
            tail = &node->next;
        }
        *tail = nullptr;
        throw;
    }

    // Inside a band: ordered by left, touching neighbours joined.
    for (auto& band : bands)
    {
        std::stable_sort(band.begin(), band.end(),
                         [](const RectRegionNode* a, const RectRegionNode* b) { return a->left < b->left; });
        std::vector<RectRegionNode*> merged;
        for (RectRegionNode* node : band)
        {
            if (!merged.empty() && merged.back()->right == node->left)
            {
                merged.back()->right = node->right;
                pool.Free(node);
            }
            else
            {
                merged.push_back(node);
            }
        }
        band = std::move(merged);
    }

    // Between bands: a node continuing the node at its position above, with the same sides,
    // absorbs it.
    for (std::size_t i = 1; i < bands.size(); ++i)
    {
        auto& upper = bands[i - 1];
        auto& lower = bands[i];
        const std::size_t count = std::min(upper.size(), lower.size());
        for (std::size_t k = 0; k < count; ++k)
        {
            RectRegionNode* above = upper[k];
            RectRegionNode* below = lower[k];
            if (below->top == above->bottom && below->left == above->left && below->right == above->right)
            {
                below->top = above->top;
                pool.Free(above);
                upper[k] = nullptr;
            }
        }
    }

    RectRegionNode** tail = &m_first;
    for (const auto& band : bands)
    {
        for (RectRegionNode* node : band)
        {
            if (!node)
                continue;
            *tail = node;
            tail = &node->next;
        }
    }
    *tail = nullptr;
}

} // namespace QK
