// The point and rectangle lists that renderers draw, and that back ends may keep what they
// build for (a path, a display list) under the list's handle.
//
// Every list has a handle that no other list ever had in this process, and a changed flag
// that is set when the list is made (or copied) and by every edit; a back end that finds the
// flag set drops what it kept for the handle and clears the flag. A new list can therefore
// never be served something built for another.
#pragma once

#include "QKFramework/Utilities/Geometry/Rect.h"

#include <cstdint>
#include <vector>

namespace QK
{

// The next handle of a drawn list: 1, 2, ... for the life of the process. Any thread.
std::uint64_t NewDrawingListHandle();

class DrawingListBase
{
public:
    std::uint64_t GetHandle() const { return m_handle; }
    bool IsChanged() const { return m_changed; }
    void ClearChanged() { m_changed = false; }

protected:
    DrawingListBase() = default;
    // A copy is a list of its own.
    DrawingListBase(const DrawingListBase&) {}
    DrawingListBase& operator=(const DrawingListBase&)
    {
        m_changed = true;
        return *this;
    }
    ~DrawingListBase() = default;

    void MarkChanged() { m_changed = true; }

private:
    std::uint64_t m_handle = NewDrawingListHandle();
    bool m_changed = true;
};

// Points drawn as separate segments, an open line, a closed outline or a filled polygon,
// with the line width they are drawn with.
template <class T> class PolylineT : public DrawingListBase
{
public:
    using Point = PointT<T>;

    std::uint32_t GetCount() const { return static_cast<std::uint32_t>(m_points.size()); }
    const std::vector<Point>& GetPoints() const { return m_points; }
    float GetLineWidth() const { return m_lineWidth; }

    void SetLineWidth(float width)
    {
        m_lineWidth = width;
        MarkChanged();
    }
    void AddPoint(const Point& point)
    {
        m_points.push_back(point);
        MarkChanged();
    }
    // Ignored past the end.
    void SetPoint(std::uint32_t index, const Point& point)
    {
        if (index < m_points.size())
        {
            m_points[index] = point;
            MarkChanged();
        }
    }
    void SetPoints(std::vector<Point> points)
    {
        m_points = std::move(points);
        MarkChanged();
    }
    void RemoveAll()
    {
        m_points.clear();
        MarkChanged();
    }

private:
    std::vector<Point> m_points;
    float m_lineWidth = 1.0f;
};

// Rectangles, each with its packed colour (0xAARRGGBB), drawn scaled by an x and y factor.
template <class T> class ColorRectListT : public DrawingListBase
{
public:
    struct Entry
    {
        RectT<T> rect;
        std::uint32_t argb;
    };

    std::uint32_t GetCount() const { return static_cast<std::uint32_t>(m_entries.size()); }
    const std::vector<Entry>& GetEntries() const { return m_entries; }
    const PointT<T>& GetScale() const { return m_scale; }

    void Add(const RectT<T>& rect, std::uint32_t argb)
    {
        m_entries.push_back({rect, argb});
        MarkChanged();
    }
    void SetScale(const PointT<T>& scale)
    {
        m_scale = scale;
        MarkChanged();
    }
    void RemoveAll()
    {
        m_entries.clear();
        MarkChanged();
    }

private:
    std::vector<Entry> m_entries;
    PointT<T> m_scale{1, 1};
};

} // namespace QK
