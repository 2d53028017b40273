// Splitters: thin bars between two areas of a panel that the user drags to share the space
// between them ("Framework.SplitterH", a bar that moves up and down, and
// "Framework.SplitterV", a bar that moves left and right).
//
// A splitter works on the skin's layout: its position on its axis is attached to a named
// sibling, the target, and a drag changes the target's size on that axis while the splitter
// follows. During the drag the splitter is placed by its own absolute position, kept within
// the range that the target's smallest and largest sizes (and those of the siblings sized up
// to the splitter) allow; at the end it is attached to the target again. Without a target it
// moves within its range and resizes nothing.
//
// Looks: 0 normal, 1 pointer over (or dragging with the pointer away), 2 dragging with the
// pointer over it, focus adding 3; 6 disabled. UI thread only.
#pragma once

#include "QKFramework/ControlBase/Control.h"

namespace QK
{

class LSplitterBase : public LControl
{
public:
    LSplitterBase(LControl* parent, const WString& name, bool vertical) : LControl(parent, name), m_vertical(vertical) {}

    bool IsVertical() const { return m_vertical; }
    // The axis the splitter moves on: 0 for a vertical bar, 1 for a horizontal one.
    std::int32_t GetAxis() const { return m_vertical ? 0 : 1; }
    double GetRangeMinimum() const { return m_rangeMinimum; }
    double GetRangeMaximum() const { return m_rangeMaximum; }

    // --- LControl --------------------------------------------------------------------------

    void BeginDrag() override;
    void OnDragMoved() override;
    void EndDrag() override;
    void LimitDragBounds(RectD& bounds) override;
    void OnConditionsChanged(LConditionsParam* conditions) override;
    void SetEnabled(bool enable) override;
    QKRESULT Initialize() override;

private:
    void UpdateLook();
    // Narrows the range by what control may give and take on the axis, for a control that
    // grows as the splitter moves forward (grows) or back.
    void NarrowRange(LControl& control, double position, double size, bool growsForward);

    bool m_vertical;
    double m_rangeMinimum = 0.0;
    double m_rangeMaximum = 0.0;
    double m_savedAbs = 0.0;
    float m_savedRel = 0.0f;
    RCPtr<LControl> m_target;
    double m_targetStartSize = 0.0;
    double m_startPosition = 0.0;
    double m_grab = 0.0;
};

class LSplitterH : public LSplitterBase
{
public:
    LSplitterH(LControl* parent, const WString& name) : LSplitterBase(parent, name, false) {}
    // The create function of "Framework.SplitterH".
    static RCPtr<LControl> Create(LControl* parent, const LControlDescriptor* descriptor);
};

class LSplitterV : public LSplitterBase
{
public:
    LSplitterV(LControl* parent, const WString& name) : LSplitterBase(parent, name, true) {}
    // The create function of "Framework.SplitterV".
    static RCPtr<LControl> Create(LControl* parent, const LControlDescriptor* descriptor);
};

} // namespace QK
