// Splitters: thin bars between two areas of a panel that the user drags to share the space
// between them ("Framework.SplitterH", a bar that moves up and down, and
// "Framework.SplitterV", a bar that moves left and right).
//
// A splitter works on the skin's layout: its position on its axis is attached to a named
// sibling, the target, and a drag changes the target's size on that axis while the splitter
// follows. During the drag the splitter is placed by its own absolute position, kept within
// the range that the smallest and largest sizes of the target, of the later siblings sized up
// to the splitter and of the siblings hanging on the target allow; at the end it is attached
// to the target again. Without a target it moves within its range and resizes nothing. When
// the parent's size changes, the splitter moves (by resizing its target) back into that range,
// so that a pane squeezed by the window keeps its minimum.
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

    // --- UITarget --------------------------------------------------------------------------

    QKRESULT SizeChanged(const DoublePair& size) override;

private:
    void UpdateLook();
    // The sibling that the splitter's position spec names on its axis, or null.
    RCPtr<LControl> FindTarget() const;
    // Sets the range from target (may be null) and the siblings that give or take what the
    // splitter moves, for a splitter standing at position.
    void ComputeRange(LControl* target, double position);
    // How far sibling's extent on the axis changes when the splitter moves forward by one unit
    // and the target grows by as much: 1 for a control that ends at the splitter, -1 for one
    // that starts at the target's far edge and keeps its own far edge, 0 for one carried along.
    double ShareOfMove(const LControl& sibling, const LControl* target) const;
    // Narrows the range by what control may give and take on the axis, where its extent
    // changes by share for each unit the splitter moves.
    void NarrowRange(LControl& control, double position, double share);
    // Moves the splitter back into its range after the parent's size changed.
    void Refit();

    bool m_vertical;
    double m_rangeMinimum = 0.0;
    double m_rangeMaximum = 0.0;
    double m_savedAbs = 0.0;
    float m_savedRel = 0.0f;
    RCPtr<LControl> m_target;
    double m_targetStartSize = 0.0;
    double m_startPosition = 0.0;
    double m_grab = 0.0;
    bool m_refitting = false;
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
