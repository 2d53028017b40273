// LControl: the base of every skinned control and application panel.
//
// A control is a node of a tree: a name unique among its siblings, a parent (null for the
// top control of a tree, which holds its root window instead), its children, the skin
// description it was built from with its own copy of the layout, its looks, a value and a
// text, and the condition flags that become state notifications. It receives notifications
// through its handler table, sends its own to its subscribers, and is driven by its root
// window through the UITarget operations.
//
// Creation: a class's create function constructs the control with (parent, name), which
// joins the parent, then runs CreateFromDescriptor, CreateChildControls (each child complete
// before the next), Initialize, InitializeParts and sets the created flag.
//
// Ownership: a parent holds its children; a child's counted reference to its parent, like
// the menu item updater's reference to its control, is one internal reference of the
// parent, so the last outside release of the top control takes the whole tree apart
// (ReleaseInternalReferences).
//
// Every call comes on the UI thread; notifications are sent synchronously, with no lock.
//
// Contents: UITarget; LControl (child list, the virtual operations in slot order, the
// UITarget operations, non-virtual services, fields).
#pragma once

#include "QKFramework/ControlBase/ControlParams.h"
#include "QKFramework/ControlBase/Input/KeyCode.h"
#include "QKFramework/ControlBase/LayoutDescriptor.h"
#include "QKFramework/ControlBase/Look.h"
#include "QKFramework/Notification/NotificationClient.h"
#include "QKFramework/Notification/NotificationDistributor.h"
#include "QKFramework/Notification/NotificationHandler.h"
#include "QKFramework/Notification/TaggableObject.h"
#include "QKFramework/ObjectBase/RCPtr.h"
#include "QKFramework/ObjectBase/RefCountedObject.h"
#include "QKFramework/ObjectBase/Result.h"
#include "QKFramework/Utilities/Geometry/Rect.h"
#include "QKFramework/Utilities/Storage/ConstRCPtrArray.h"
#include "QKFramework/Utilities/Storage/RCPtrArray.h"
#include "QKFramework/Utilities/Storage/StringT.h"

#include <cstdint>
#include <utility>
#include <vector>

namespace QK
{

class IRootWindow;
class LControlDescriptor;
class LBitmap;
class LFont;
class LKeyParam;
class LLayoutDescriptor;
class LMenuDescriptor;
class LMenuItemUpdater;
struct LMenuItemState;
class LMouseButtonParam;
class LMouseWheelParam;
class LNotificationCenter;
class LPointWithModifiersParam;
class LRenderer;
class LStringTable;
class LVisualPart;
class IPopupMenuControl;

// The operations through which a root window drives a control.
class UITarget
{
public:
    virtual QKRESULT MouseEnter(const LPointWithModifiersParam* point) = 0;
    virtual QKRESULT MouseMove(const LPointWithModifiersParam* point) = 0;
    virtual QKRESULT MouseDown(const LMouseButtonParam* button) = 0;
    virtual QKRESULT MouseUp(const LMouseButtonParam* button) = 0;
    virtual QKRESULT MouseLeave() = 0;
    virtual QKRESULT CaptureMouse() = 0;
    virtual QKRESULT ReleaseCapture() = 0;
    virtual QKRESULT KeyInput(LKeyParam* key) = 0;
    // Two entries of one implementation: the vertical and the horizontal wheel come in
    // through the same handling.
    virtual QKRESULT MouseWheel(const LMouseWheelParam* wheel) = 0;
    virtual QKRESULT MouseWheel(const LMouseWheelParam& wheel) = 0;
    virtual QKRESULT SizeChanged(const DoublePair& size) = 0;
    virtual bool IsUITarget() const = 0;
    virtual QKRESULT KillFocus() = 0;
    virtual bool CanAcceptDrop() = 0;
    virtual QKRESULT DropFiles(const StringArray& paths) = 0;

protected:
    ~UITarget() = default;
};

class LControl : public virtual LNotificationClient,
                 public virtual LNotificationDistributor,
                 public virtual LTaggableObject,
                 public virtual UITarget
{
public:
    // Condition bits.
    static constexpr std::uint32_t kHasFocus = 0x1;
    static constexpr std::uint32_t kContainsFocus = 0x2;
    static constexpr std::uint32_t kPointerOver = 0x4;
    static constexpr std::uint32_t kCaptured = 0x8;
    static constexpr std::uint32_t kLeftButtonDown = 0x10;
    static constexpr std::uint32_t kMiddleButtonDown = 0x20;
    static constexpr std::uint32_t kRightButtonDown = 0x40;
    static constexpr std::uint32_t kLeftDrag = 0x80;
    static constexpr std::uint32_t kMiddleDrag = 0x100;
    static constexpr std::uint32_t kRightDrag = 0x200;
    static constexpr std::uint32_t kEnabled = 0x400;
    static constexpr std::uint32_t kVisible = 0x800;
    static constexpr std::uint32_t kHover = 0x1000;

    // The children of one control: insertion order, with tab and z orders sorted on demand.
    class ChildControlList
    {
    public:
        // Orders of GetAt.
        static constexpr std::int32_t kInsertionOrder = 0;
        static constexpr std::int32_t kZOrder = 1;
        static constexpr std::int32_t kTabOrder = 2;

        explicit ChildControlList(LControl* owner) : m_owner(owner) {}
        ChildControlList(const ChildControlList&) = delete;
        ChildControlList& operator=(const ChildControlList&) = delete;
        virtual ~ChildControlList();

        std::uint32_t GetCount() const { return m_children.GetCount(); }
        // The child at index in order; runtime errors for an index past the end or an
        // unknown order.
        const RCPtr<LControl>& GetAt(std::uint32_t index, std::int32_t order = kInsertionOrder) const;
        RCPtr<LControl>& GetAt(std::uint32_t index, std::int32_t order = kInsertionOrder);
        // The last child of that name (case-sensitive), or null.
        RCPtr<LControl> GetAt(const WString& name) const;
        // Index in insertion order, searched from the end, or -1.
        std::int32_t IndexOf(const LControl* child) const;

        // 0; 0x80070057 for a null child; 0x80004005 when the name is taken.
        QKRESULT Add(const RCPtr<LControl>& child);
        // The child's index, or -1 when it is not here.
        std::int32_t Remove(LControl* child);
        void RemoveAll();
        // Children leave without their parent being told (re-skin); the list is empty after.
        void TakeAll(RCPtrArray<LControl>& out);
        // 0 when renamed (the later siblings' layout references follow the new name), 1 when
        // child has that name already, 0x80004005 when another child has it, 0x80070057
        // when child is not in the list.
        QKRESULT RenameChild(const RCPtr<LControl>& child, const WString& name);

        void IncrementGeneration() { ++m_generation; }
        std::int32_t GetGeneration() const { return m_generation; }

    private:
        void SortIfNeeded() const;
        // Where the child at index in order is kept; runtime errors at the given lines.
        std::uint32_t StoredIndex(std::uint32_t index, std::int32_t order, int pastEndLine,
                                  int unknownOrderLine) const;
        std::int32_t FindByName(const WString& name) const;

        RCPtrArray<LControl> m_children;
        mutable std::vector<std::uint32_t> m_tabOrder;
        mutable std::vector<std::uint32_t> m_zOrder;
        std::int32_t m_generation = 1;
        mutable std::int32_t m_sortedGeneration = 0;
        LControl* m_owner;
    };

    LControl(LControl* parent, const WString& name);
    ~LControl() override;

    // --- Virtual operations, in slot order ---------------------------------------------------

    // 0 when the text changed, 1 when it was equal.
    virtual QKRESULT SetText(const WString& text);
    // Clamps to 0..1 and stores; "NID_VALUE_CHANGE" on a change. Answers the stored value.
    virtual double SetValue(double value);
    virtual void OnValueChanged() {}
    // Scale 0 linear, 1 logarithmic (both bounds above 0); 0x80070057 otherwise.
    virtual QKRESULT SetValueRange(double minimum, double maximum, std::int32_t scale);
    virtual void GetClientRect(RectD& rect);
    virtual void OnSizeChanged();
    virtual void OnClientInsetsChanged(const PointD& oldOffset, const PointD& newOffset);
    virtual void OnChildPlacementChanged(LControl* child);
    virtual void GetLayoutPosition(DoublePair& size);
    virtual void GetLayoutSize(DoublePair& size);
    // Answers the flag after the call.
    virtual bool SetClipToParent(bool clip);
    virtual QKRESULT SetScrollOffset(const PointD& offset);
    virtual ConstRCPtr<LStringTable> GetStringTable() const;
    virtual bool IsCommandTarget() const { return false; }
    virtual RCPtr<LControl> GetCommandTarget();
    virtual bool HandleClipboardData(std::int32_t kind);
    // The controls that edit text override it; the base raises a logic error.
    virtual QKRESULT PerformEdit(std::int32_t kind);
    // Drag modes of SetDragMode.
    static constexpr std::int32_t kDragNone = 0;
    // Moves the control with the pointer, unclipped, and drops it on a target control.
    static constexpr std::int32_t kDragDrop = 1;
    // Moves the control inside its parent's client area.
    static constexpr std::int32_t kDragMove = 2;
    // As kDragMove, scrolling the parent while the pointer is near its edge.
    static constexpr std::int32_t kDragMoveScroll = 3;
    // Resizes the control by the edges named in the axes, inside the parent's client area.
    static constexpr std::int32_t kDragResize = 4;
    // As kDragResize, scrolling the parent while the pointer is near its edge.
    static constexpr std::int32_t kDragResizeScroll = 5;
    // Scrolls the control's own content with the pointer, with inertia on release.
    static constexpr std::int32_t kDragScroll = 6;
    // Drag axes, a bit set: the directions a move or a content scroll follows, and the edges
    // a resize moves. Every bit also names the direction in which the parent edge-scrolls.
    static constexpr std::int32_t kAxisHorizontal = 0x1;
    static constexpr std::int32_t kAxisVertical = 0x2;
    static constexpr std::int32_t kEdgeRight = 0x4;
    static constexpr std::int32_t kEdgeLeft = 0x8;
    static constexpr std::int32_t kEdgeBottom = 0x10;
    static constexpr std::int32_t kEdgeTop = 0x20;

    virtual void SetDragMode(std::int32_t mode, std::int32_t axes);
    virtual void BeginDrag();
    virtual void UpdateDragOrigin();
    // point: the pointer in the control's own coordinates.
    virtual void DragMove(const PointD& point);
    virtual void OnDragMoved() {}
    virtual void EndDrag();
    virtual RCPtr<LControl> FindDropTarget(LControl* dragged, const PointD& point);
    virtual bool AcceptsDrop(LControl* dragged);
    // kEdgeRight, kEdgeLeft, kEdgeBottom and kEdgeTop bits.
    virtual std::uint32_t GetDropScrollEdges(LControl* dragged);
    virtual RectD GetClientExtent() const;
    // A spare slot with one argument for a control that needs an extra operation; the base
    // answers 0x80004005.
    virtual QKRESULT Hook32(std::intptr_t argument);
    virtual RectD GetChildClientRect(LControl* child);
    virtual void LimitDragBounds(RectD&) {}
    virtual void OnDragEnter(LControl*) {}
    virtual void OnDragOver(LControl*, const PointD&) {}
    virtual void OnDragLeave(LControl*) {}
    virtual QKRESULT OnDrop(LControl* dragged);
    virtual QKRESULT SetFocus(bool forward);
    virtual void SetNotFocusable(bool notFocusable);
    virtual bool CanTakeFocus();
    virtual void OnConditionsChanged(LConditionsParam*) {}
    virtual QKRESULT Close();
    virtual QKRESULT CloseChildren();
    virtual QKRESULT RegisterNotifications();
    virtual void OnChildrenChanged(LControl*, std::int32_t) {}
    // Answers whether the control is now visible together with its ancestors.
    virtual bool SetVisible(bool show);
    // True when no shown look has an opaque pixel at point.
    virtual bool IsTransparentAtPoint(const PointD& point);
    // 0xAARRGGBB of look index (-1: the current look) at point; 0x00FFFFFF without that look.
    virtual std::uint32_t GetLookColorAtPoint(const PointD& point, std::int32_t index);
    // Fills state for the item at index of menu, which sends nid; 1 in the base, which
    // leaves the record as it is.
    virtual std::int32_t IsCommandEnabled(const LMenuDescriptor* menu, std::uint32_t index, const WString& nid,
                                          LMenuItemState& state);
    virtual const ConstRCPtr<LMenuDescriptor>& GetContextMenu() const;
    virtual void OnContextMenuPopup(IPopupMenuControl*) {}
    virtual QKRESULT SelectLook(std::int32_t index, bool exclusive = true);
    virtual QKRESULT AddLook(const RCPtr<LLook>& look);
    virtual std::int32_t OnReskinTopControl(double, double) { return 0; }
    virtual void SetEnabled(bool enable);
    virtual QKRESULT CreateFromDescriptor(const LControlDescriptor* descriptor);
    // Paints the control and its subtree where dirty (root coordinates) asks for it. The
    // first pass (unclippedPass false) paints the controls clipped to their parent and
    // appends to unclipped those that are not; the root window paints them after the whole
    // tree, in a second pass. 0x80070057 for a control that has no part in this pass.
    virtual QKRESULT Paint(LRenderer& renderer, const RectRegion& dirty, RCPtrArray<LControl>& unclipped,
                           bool unclippedPass);
    // Sends the images that the shown looks of the control and of its shown descendants
    // within their parents' bounds draw to the decoding workers, so that a large paint finds
    // them decoded side by side rather than one after another as it reaches them.
    void StartDecodingShownImages() const;
    // Carries an invalid area up to the root window: rootRect in root coordinates, localRect
    // the same area in this control's coordinates.
    virtual void PropagateInvalidate(const RectD& rootRect, bool clip, const RectD& localRect);
    // rect in the control's coordinates; clip: cut by every ancestor the control is clipped to.
    virtual void Invalidate(const RectD& rect, bool clip);
    // The control under point (own whole-pixel coordinates): 0 with control, its local point
    // and its effective depth; 1 and a null control when nothing qualifies. depth comes in as
    // the depth a hit must exceed (the smallest value from the root window).
    virtual QKRESULT FindControlAtPoint(RCPtr<LControl>& control, const PointL& point, bool inClient, PointL& local,
                                        std::int32_t& depth);
    virtual void OnFontChanged() {}
    // A pressed child (source) could not take the focus itself.
    virtual QKRESULT FocusFromMouse(LControl* source);
    virtual void OnLeftButtonDown(const LMouseButtonParam*) {}
    virtual void OnLeftButtonUp(const LMouseButtonParam*) {}
    virtual void OnMiddleButtonDown(const LMouseButtonParam*) {}
    virtual void OnMiddleButtonUp(const LMouseButtonParam*) {}
    virtual void OnRightButtonDown(const LMouseButtonParam*) {}
    virtual void OnRightButtonUp(const LMouseButtonParam*) {}
    virtual void OnMouseMove(const LPointWithModifiersParam*) {}
    virtual QKRESULT OnMouseWheel(const LMouseWheelParam*) { return QK_FALSE; }
    virtual QKRESULT OnMouseHWheel(const LMouseWheelParam*) { return QK_FALSE; }
    virtual QKRESULT PerformClick(const LMouseButtonParam* button);
    virtual QKRESULT LeftClick(const LMouseButtonParam* button);
    virtual QKRESULT MiddleClick(const LMouseButtonParam* button);
    virtual QKRESULT RightClick(const LMouseButtonParam* button);
    virtual void OnLeftClick(const LMouseButtonParam*) {}
    virtual void OnMiddleClick(const LMouseButtonParam*) {}
    virtual void OnRightClick(const LMouseButtonParam*) {}
    virtual bool ContainsPoint(const PointD& point);
    // The next child in tab order after current (before it when backwards), wrapping.
    virtual RCPtr<LControl> GetNextTabChild(LControl* current, bool backwards);
    virtual QKRESULT WantsKey(LKeyParam*) { return QK_FALSE; }
    virtual QKRESULT SendSiblingKey(LKeyParam* key);
    virtual QKRESULT DispatchKey(LKeyParam* key);
    virtual QKRESULT FocusNextTabStop(LKeyParam* key);
    // The order in which SendSiblingKey asks the subscribers (indexes into subscribers),
    // walked from its end: the subscriber just before the key's source comes first.
    virtual QKRESULT SortChildrenByTabOrder(LKeyParam* key, const std::vector<const LNotificationReceiver*>& subscribers,
                                            std::vector<std::uint32_t>& order);
    virtual QKRESULT UpdateFont();
    virtual QKRESULT RelayoutIfDocked(std::int32_t, std::int32_t);
    virtual QKRESULT RelayoutAndMove(LControl* child);
    virtual void OnTimer() {}
    virtual QKRESULT DrawOverlay(LRenderer&) { return QK_OK; }
    virtual QKRESULT DrawCustom(LRenderer&) { return QK_OK; }
    virtual QKRESULT CreateChildControls(const LControlDescriptor* descriptor);
    virtual QKRESULT Initialize();
    virtual QKRESULT ApplyCreateParam();
    // 0x80004005 without child or descriptor, else SetParent's answer; the child is built
    // from descriptor either way.
    virtual QKRESULT AttachChild(const RCPtr<LControl>& child, const LControlDescriptor* descriptor);
    virtual QKRESULT InitializeParts() { return QK_OK; }
    virtual WString GetToolTipText() const;
    virtual QKRESULT ShowToolTip(bool show);
    virtual void GetClientInsets(RectD& insets);

    // --- UITarget --------------------------------------------------------------------------

    QKRESULT MouseEnter(const LPointWithModifiersParam* point) override;
    QKRESULT MouseMove(const LPointWithModifiersParam* point) override;
    QKRESULT MouseDown(const LMouseButtonParam* button) override;
    QKRESULT MouseUp(const LMouseButtonParam* button) override;
    QKRESULT MouseLeave() override;
    // Without a button: CaptureMouse(0, (0, 0)).
    QKRESULT CaptureMouse() override;
    // button 0, 1, 2 or 4; point relative to the control. 0 captured, 1 refused. Virtual so
    // that a control may hand the capture to another (a popup list's rows to their list).
    virtual QKRESULT CaptureMouse(std::uint32_t button, const PointL& point);
    QKRESULT ReleaseCapture() override;
    QKRESULT KeyInput(LKeyParam* key) override;
    QKRESULT MouseWheel(const LMouseWheelParam* wheel) override;
    QKRESULT MouseWheel(const LMouseWheelParam& wheel) override;
    QKRESULT SizeChanged(const DoublePair& size) override;
    bool IsUITarget() const override { return true; }
    QKRESULT KillFocus() override;
    bool CanAcceptDrop() override;
    QKRESULT DropFiles(const StringArray& paths) override;

    // --- Base operations -------------------------------------------------------------------

    // Detaches the subscribers, lets the updater go, removes the children and withdraws the
    // subscriptions; 0 when nothing but the caller's reference is left.
    QKRESULT ReleaseInternalReferences() override;
    // The handler table when there is one.
    QKRESULT ReceiveNotification(const ConstRCPtr<LNotificationDistributor>& source,
                                 const ConstRCPtr<LNotification>& notification) override;
    QKRESULT DetachFromDistributor(const ConstRCPtr<LNotificationDistributor>& source, NID id) override;
    WString ToString() const override { return m_name; }

    // --- Tree ------------------------------------------------------------------------------

    const WString& GetName() const { return m_name; }
    LControl* GetParent() const { return m_parent.Get(); }
    ChildControlList& GetChildren() { return m_children; }
    const ChildControlList& GetChildren() const { return m_children; }
    RCPtr<LControl> FindChild(const WString& name) const { return m_children.GetAt(name); }
    // 1 when child already has that parent, else 0; 0x80004005 (nothing changes) when the
    // new parent has a child of the same name.
    static QKRESULT SetParent(LControl* child, LControl* parent);
    // 0, or 0x80004005 for a control that has a parent.
    QKRESULT SetRootWindow(IRootWindow* rootWindow);
    const RCPtr<IRootWindow>& GetRootWindow() const { return m_rootWindow; }
    // The root window of the tree, from the top control.
    IRootWindow* GetRootWindowLink() const;
    // Queues child for closing at this control's next idle pass and hides it now. 0, or
    // 0x80070057 when this is not child's parent.
    QKRESULT RemoveChild(LControl* child);
    QKRESULT PurgeRemovedChildren();
    std::uint32_t GetPendingRemovalCount() const { return m_pendingRemovals.GetCount(); }
    RCPtr<LMenuItemUpdater> GetMenuItemUpdater();
    void IncrementUnclippedCount();
    void DecrementUnclippedCount();
    std::int32_t GetUnclippedCount() const { return m_unclippedCount; }
    bool IsCreated() const { return m_created; }
    void SetCreated() { m_created = true; }

    // --- Skin ------------------------------------------------------------------------------

    const ConstRCPtr<LControlDescriptor>& GetControlDescriptor() const { return m_descriptor; }
    const RCPtr<LLayoutDescriptor>& GetLayoutDescriptor() const { return m_layout; }
    // The string-table entry name, or empty.
    WString GetSkinParam(const WString& name) const;
    // (name, size, style, size is relative): see the font rules in Control.cpp.
    QKRESULT SetFontSpec(const WString& name, float size, std::int32_t style, bool sizeIsRelative);
    // 0x80070057 for null, 1 when unchanged, else 0.
    QKRESULT SetFont(const ConstRCPtr<LFont>& font);
    const ConstRCPtr<LFont>& GetFont() const { return m_font; }
    // Both write the axes into the layout and lay the control out again; a change of docking
    // re-sorts the children of the control and of its parent.
    void SetLayout(const AxisSpec& x, const AxisSpec& y);
    // The records of LLayoutDescriptor::GetAxisSpecs written back; the size limits stay.
    void SetLayout(const LayoutPosition& xPosition, const LayoutReference& xSize, const LayoutPosition& yPosition,
                   const LayoutReference& ySize);
    // Writes one axis (0 X, 1 Y) of the layout and lays the control out again; true when the
    // rules differ from the stored ones.
    bool SetAxisLayout(std::int32_t axis, float anchor, bool docked, const LayoutReference& position,
                       const LayoutReference& size);
    // Writes the minimum and maximum size of axis (0 X, 1 Y) and lays the control out again:
    // 1 when the limits differ from the stored ones (and without a layout description), 0
    // when they are the same.
    QKRESULT SetAxisSizeLimits(std::int32_t axis, const LayoutLimit& minimum, const LayoutLimit& maximum);

    // --- Looks -----------------------------------------------------------------------------

    std::uint32_t GetLookCount() const { return m_looks.GetCount(); }
    // The look at index, or null (also past the end).
    RCPtr<LLook> GetLook(std::int32_t index) const;
    // The look at exactly index, with no stand-in for an index without one: 0 and the look; 1
    // and null for an empty slot (the gap that ends a run of looks); 0x80070057 and null for
    // an index outside the looks.
    QKRESULT QueryLookAt(std::int32_t index, RCPtr<LLook>& look) const;
    float GetLookOpacity(std::int32_t index) const;
    // 0x80070057 for an index past the looks; an opacity outside 0..1 is not stored.
    QKRESULT SetLookOpacity(std::int32_t index, float opacity, bool exclusive);
    // The client rectangle of a look (-1: the current one), or (0, 0, width, height).
    RectD GetLookClientRect(std::int32_t index = -1) const;
    // The first look at full opacity, else 0.
    std::int32_t GetCurrentLookIndex() const;
    void ClearLookRegions();
    void ClearLookRegion(std::int32_t index);
    QKRESULT SetLookRegionRects(std::int32_t index, std::int32_t other);
    // Look overrides; index -1 (or any index past the looks) is the current look.
    // Limits where the look draws (an empty region: no limit). 0, or 0x80070057 without a look.
    QKRESULT SetLookRegion(std::int32_t index, const RectRegion& region);
    // Lays bitmap (null: none) over the look's client area, in place of the client part
    // when replaceClient is set. 0 changed, 1 nothing to change, 0x80004005 without a look.
    QKRESULT SetLookOverlay(const ConstRCPtr<LBitmap>& bitmap, std::int32_t resizeType, std::int32_t index,
                            bool replaceClient);
    // The part whose colour the look's text takes; the caller repaints. 0, 0x80070057 for a
    // null part, 0x80004005 without a look.
    QKRESULT SetLookTextPart(const ConstRCPtr<LVisualPart>& part, std::int32_t index);
    QKRESULT ShowContextMenu(const LMenuDescriptor* menu);
    // Stores menu (null: none) as the context menu. The keys this control binds ("LHK"
    // entries) to the notifications of the menu's items, submenus included, become the
    // application's hot keys; those of the previous menu are withdrawn first, and the last
    // ones in Close and at teardown.
    void SetContextMenu(const ConstRCPtr<LMenuDescriptor>& menu);
    // Appends the menus of the string table's "CONTEXT_MENU" entries to menus: one menu from
    // the "CONTEXT_MENU." entries, or else one per group ("CONTEXT_MENU0", "CONTEXT_MENU1",
    // ...) in ascending order. 1 in every case.
    QKRESULT BuildContextMenu(ConstRCPtrArray<LMenuDescriptor>& menus) const;
    float GetOpacity() const { return m_opacity; }

    // --- Value -----------------------------------------------------------------------------

    double GetValue() const { return m_value; }
    double FractionToValue(double fraction) const;
    double ValueToFraction(double value) const;
    double GetRangeMinimum() const { return m_rangeMinimum; }
    double GetRangeMaximum() const { return m_rangeMaximum; }
    std::int32_t GetRangeScale() const { return m_rangeScale; }
    const WString& GetText() const { return m_text; }
    // True when the text changed.
    bool SetTextInternal(const WString& text, bool relayout);

    // --- Conditions ------------------------------------------------------------------------

    std::uint32_t GetConditions() const;
    std::uint32_t UpdateConditions();
    const RCPtr<LConditionsParam>& GetConditionsParam() const { return m_conditions; }
    bool IsEnabled(bool withAncestors) const;
    bool IsVisible(bool withAncestors) const;
    std::intptr_t ApplyCursor();
    // The cursor shown while the pointer is over the control (0: the arrow). With the pointer
    // over the control it shows at once; the cursor it replaced there comes back when the
    // pointer leaves.
    void SetCursor(std::intptr_t cursor);
    std::intptr_t GetCursor() const { return m_cursor; }
    void SetForcedHover(bool hover);
    // The input side sets these (mouse, keys, capture, drags) and then UpdateConditions.
    struct ConditionFlags
    {
        bool hasFocus = false;
        bool containsFocus = false;
        bool pointerOver = false;
        bool captured = false;
        bool leftDown = false;
        bool middleDown = false;
        bool rightDown = false;
        bool leftDrag = false;
        bool middleDrag = false;
        bool rightDrag = false;
    };
    ConditionFlags& GetConditionFlags() { return m_flags; }
    std::int32_t GetDragMode() const { return m_dragMode; }
    bool IsNotFocusable() const { return m_notFocusable; }
    bool WantsTab() const { return m_wantsTab; }
    bool UsesParentToolTip() const { return m_useParentToolTip; }
    // As the create parameter "USE_PARENT_TOOLTIP" does: the parent's tool tip shows here.
    void SetUseParentToolTip(bool use) { m_useParentToolTip = use; }
    std::uint32_t GetLocalHotKeyCount() const { return static_cast<std::uint32_t>(m_keyBindings.size()); }
    const KeyBindingMap& GetKeyBindings() const { return m_keyBindings; }
    // The first key bound to the notification name by an "LHK" entry, or the empty key code.
    KeyCode GetLocalHotKey(const WString& nidName) const;
    bool HasLocalHotKey(const WString& nidName) const;
    // This very control can hold the focus now.
    bool IsFocusable();
    // Tab may stop here: shown and enabled with its ancestors, a tab target by its layout,
    // focusable itself and with no focusable descendant to pass it on to.
    bool IsTabTarget();
    bool HasFocus() const { return m_flags.hasFocus; }
    bool ContainsFocus() const { return m_flags.containsFocus; }
    void SetFocusScope(bool scope) { m_focusScope = scope; }
    // 0, or 0x80070057 for a negative threshold.
    QKRESULT SetDragThreshold(std::int32_t threshold);
    std::int32_t GetDragAxes() const { return m_dragAxes; }
    const RCPtr<LControl>& GetDropTarget() const { return m_dropTarget; }
    // Enabled and visible with every ancestor.
    bool TakesInput() const { return IsEnabled(true) && IsVisible(true); }
    // Scroll animation of one axis (0 X, 1 Y): velocity in pixels a second, offsets kept
    // between minimum and maximum, follower dragged along with the pointer.
    void StartInertia(std::int32_t axis, double velocity, double maximum, double minimum,
                      const RCPtr<LControl>& follower);
    // 0 when the axis was running, else 1.
    QKRESULT StopInertia(std::int32_t axis);
    bool IsInertiaActive(std::int32_t axis) const { return m_animation[axis & 1].active; }
    double GetInertiaVelocity(std::int32_t axis) const { return m_animation[axis & 1].velocity; }
    void SetAnimationsPaused(bool paused) { m_animationsPaused = paused; }

    // --- Geometry --------------------------------------------------------------------------

    const RectD& GetBounds() const { return m_bounds; }
    double GetWidth() const { return m_bounds.width; }
    double GetHeight() const { return m_bounds.height; }
    const PointD& GetScrollOffset() const { return m_scrollOffset; }
    // Computes the rectangle from the layout description and applies it: 0 changed, 1 the
    // same, 0x80004005 without a layout description or a usable window (top control).
    QKRESULT Relayout();
    // Applies a rectangle and spreads the change to children, later siblings, the parent and
    // the host window. 1 when it is the current one, else 0.
    QKRESULT SetLayoutRect(const PointD& position, const DoublePair& size);
    RectD GetChildrenBounds() const;
    // The visible content rectangle (GetClientInsets) as last recomputed, and recomputing
    // it; a control that has not been laid out keeps what it has.
    const RectD& GetVisibleClientArea() const { return m_clientInsets; }
    void UpdateVisibleClientArea();
    // The far edge of children first..last (insertion order) on axis (0 X, 1 Y), with the
    // look's far inset, in this control's coordinates; 0 for an empty or bad range.
    double GetChildrenExtent(std::int32_t first, std::int32_t last, std::int32_t axis) const;
    // The position in the root window's client coordinates.
    void GetPositionInRoot(PointD& point) const;
    // GetPositionInRoot and the size in whole pixels.
    void GetWindowRect(RectL& rect) const;
    LControl* GetRootControl();
    // Whether the text does not fit the current look's text area.
    bool IsTextOverflowing();
    bool IsLayingOutChildren() const { return m_layingOutChildren; }

    // --- Painting and hit testing ----------------------------------------------------------

    // Paints the children of one look in z order: content, then one docked axis, then both.
    void PaintChildren(LRenderer& renderer, const RectRegion& dirty, std::int32_t lookIndex,
                       RCPtrArray<LControl>& unclipped);
    // Appends the control (when includeSelf and not clipped) and its unclipped descendants;
    // onlyVisible skips hidden or empty ones and their subtrees. Answers how many it added.
    std::int32_t CollectUnclippedDescendants(RCPtrArray<LControl>& list, bool onlyVisible, bool includeSelf);
    void InvalidateUnclippedDescendants();
    // The largest Z_Order of the control and its ancestors not clipped to their parent;
    // -2147483648 when there is none.
    std::int32_t GetEffectiveDepth() const;
    // While set, the control itself is never a hit (its children still are).
    void SetExcludedFromHitTest(bool excluded) { m_excludedFromHitTest = excluded; }
    bool IsExcludedFromHitTest() const { return m_excludedFromHitTest; }
    // A part of its parent's own drawing (a meter's bar, a list's item control) rather than
    // a control in its own right.
    void SetSubPart(bool subPart) { m_subPart = subPart; }
    bool IsSubPart() const { return m_subPart; }
    // The label text is drawn moved by the scroll offset. Such a text scrolls from its start
    // only, so its looks then lay a line wider than the text box out from the box's left edge
    // (looks added later too), whatever their alignment.
    void SetTextFollowsScroll(bool follows);

    // --- Idle ------------------------------------------------------------------------------

    QKRESULT BeginIdleAnimation();
    QKRESULT EndIdleAnimation();
    std::int32_t GetIdleUsers() const { return m_idleUsers; }
    // Grows (or shrinks, not below 0) the layout's absolute size of axis by a pixel for every
    // millisecond on the idle passes, until the layout stops following: a limit holds it, or
    // a shrink reached 0.
    void StartSizeAnimation(std::int32_t axis, bool grow);
    bool IsSizeAnimating(std::int32_t axis) const { return m_sizeGrow[axis & 1] || m_sizeShrink[axis & 1]; }
    // Moves the layout's absolute position towards target, at most a pixel a millisecond on
    // each axis, on the idle passes.
    void StartMoveAnimation(const PointD& target);
    bool IsMoveAnimating() const { return m_moveAnimation; }

protected:
    const RCPtr<LNotificationHandler<LControl>>& GetHandlers() const { return m_handlers; }
    // Cleared once the control is coming apart (ReleaseInternalReferences): from then on its
    // handler tables hear nothing.
    bool IsAlive() const { return m_alive; }
    bool IsHandlingNotifications() const override { return m_alive; }
    // "NID_IDLE" of the root window.
    QKRESULT OnIdle(const ConstRCPtr<LNotificationDistributor>& source, const ConstRCPtr<LNotification>& notification);
    // "NID_SIBLING_KEY" from the parent, or sent to this control; 1 when not handled.
    QKRESULT HandleSiblingKey(const ConstRCPtr<LNotificationDistributor>& source,
                              const ConstRCPtr<LNotification>& notification);
    // Sends nid from this control with argument.
    void Send(const char16_t* nid, const ConstRCPtr<LRefCountedObject>& argument);
    void InvalidateWhole();
    // The whole control and every descendant that is not clipped to its parent.
    void InvalidateWithUnclippedDescendants();

private:
    friend class ChildControlList;

    void WithdrawContextMenuHotKeys();
    void RecordConditionsSilently();
    void ApplyNotFocusableParam();
    void ReadLooks(const LControlDescriptor& descriptor);
    void ApplyDescriptorFont(const LControlDescriptor& descriptor);
    bool IsTopControl() const { return !m_parent; }
    // The input pieces (ControlInput.cpp).
    bool MayTakeFocusFromPress() const;
    void ChildTookFocus(LControl* child);
    // The child that holds or contains the focus, passing over `except`.
    LControl* FocusedChild(const LControl* except = nullptr) const;
    void TurnPressIntoDrag();
    bool AnyButtonDown() const { return m_flags.leftDown || m_flags.middleDown || m_flags.rightDown; }
    bool ClippingOffInChain() const;
    void StartDropScrolling(LControl& container, const PointD& pointerInRoot, std::uint32_t edges, bool fullZone);
    // The pieces of DragMove (ControlInput.cpp), one per drag mode.
    struct DragStep;
    void ConfineDrag(DragStep& step);
    void DragForDrop(const DragStep& step);
    void DragPosition(const DragStep& step);
    void DragEdges(const DragStep& step);
    void DragContent(const DragStep& step);
    void TrackDropTarget(const PointD& pointerInRoot);
    void WriteDragPosition(const DragStep& step, std::int32_t axis, double start, double move);
    void WriteDragSize(std::int32_t axis, double size);
    void StopScrollAnimations();
    void RunIdleAnimation();
    void RunSizeAnimation(std::int32_t axis, std::uint32_t now);
    void RunMoveAnimation(std::uint32_t now);
    // The pieces of Relayout (ControlLayout.cpp).
    struct LayoutFrame;
    bool GetLayoutFrame(LayoutFrame& frame) const;
    // position and size: the two axes; the rules change those of axis.
    void ApplyMinimumRules(const LayoutFrame& frame, std::int32_t axis, double* position, double* size);
    void ApplyMaximumRules(const LayoutFrame& frame, std::int32_t axis, double* position, double* size) const;
    double GetNamedExtent(const WString& name, std::int32_t axis) const;
    bool PointInParentClient(const PointL& point) const;

    RCPtr<LNotificationHandler<LControl>> m_handlers;
    bool m_alive = true;
    WString m_name;
    ConstRCPtr<LControlDescriptor> m_descriptor;
    RCPtr<LLayoutDescriptor> m_layout;
    RectD m_bounds;
    PointD m_scrollOffset;
    std::int32_t m_unclippedCount = 0;
    RCPtr<LConditionsParam> m_conditions;
    ConditionFlags m_flags;
    bool m_forcedHover = false;
    bool m_excludedFromHitTest = false;
    bool m_subPart = false;
    bool m_pressHandOver = false;
    RCPtr<LControl> m_pressHandOverTarget;
    PointD m_pressHandOverPoint;
    RCPtr<LRefCountedObject> m_lastLeftPress;
    PointD m_downPoint;
    PointD m_dragParentScrollOffset;
    std::int32_t m_dragMode = 0;
    std::int32_t m_dragAxes = 0;
    RectD m_dragStart;
    std::uint32_t m_dragFlags = 0;
    RCPtr<LControl> m_dropTarget;
    PointD m_dragOffset;
    std::int32_t m_dragThreshold = 1;
    bool m_insideDragMove = false;
    std::uint32_t m_moveTimes[2] = {0, 0};
    double m_value = 0.0;
    double m_rangeMinimum = 0.0;
    double m_rangeMaximum = 0.0;
    std::int32_t m_rangeScale = 0;
    RCPtrArray<LLook> m_looks;
    std::vector<float> m_lookOpacities;
    float m_opacity = 1.0f;
    RCPtr<LControl> m_parent;
    RCPtr<IRootWindow> m_rootWindow;
    RCPtr<LStringTable> m_stringTable;
    bool m_wantsTab = false;
    // (NID, key text) of the "LHK." entries; the key codes are read by the key handling.
    KeyBindingMap m_keyBindings;
    bool m_notFocusable = true;
    bool m_focusScope = false;
    bool m_fontInheritsFromParent = false;
    bool m_fontSizeIsRelative = false;
    // What SetFontSpec took from the base font, so that UpdateFont can follow it.
    bool m_fontFamilyFollows = false;
    bool m_fontSizeRelative = false;
    bool m_fontStyleFollows = false;
    bool m_fontSizeIsFactor = false;
    ConstRCPtr<LFont> m_font;
    WString m_text;
    ConstRCPtr<LMenuDescriptor> m_contextMenu;
    // The (key, NID) bindings the context menu gave the application's hot keys, and the
    // handler that hears them.
    std::vector<std::pair<KeyCode, WString>> m_contextMenuHotKeys;
    RCPtr<LNotificationReceiver> m_contextMenuRoute;
    WString m_toolTipText;
    bool m_useParentToolTip = false;
    bool m_created = false;
    bool m_relayoutSuppressed = false;
    std::int32_t m_idleUsers = 0;
    // Idle animation: per-axis state, kept for the drag and scroll animations.
    struct AxisAnimation
    {
        bool active = false;
        double lastTime = 0.0;
        double velocity = 0.0;
        double minimum = 0.0;
        double maximum = 0.0;
        bool decelerating = false;
    } m_animation[2];
    RCPtr<LControl> m_animationFollowers[2];
    std::uint32_t m_captureTime = 0;
    std::uint32_t m_releaseTime = 0;
    double m_dragVelocity[2] = {0.0, 0.0};
    bool m_dragVelocityRecorded = false;
    double m_deceleration = 1000.0;
    bool m_animationsPaused = false;
    // Drag start: size, the four layout values (X position, X size, Y position, Y size).
    DoublePair m_dragStartSize{0.0, 0.0};
    double m_dragStartLayout[4] = {0.0, 0.0, 0.0, 0.0};
    bool m_clipWasOff = false;
    bool m_wasDocked[2] = {false, false};
    // Size and move animations: per axis grow or shrink with the time of its last step; the
    // move's target and the position it has reached, with the time of its last step.
    bool m_sizeGrow[2] = {false, false};
    bool m_sizeShrink[2] = {false, false};
    std::uint32_t m_sizeAnimationTime[2] = {0, 0};
    bool m_moveAnimation = false;
    PointD m_moveTarget;
    PointD m_moveCurrent;
    std::uint32_t m_moveAnimationTime = 0;
    std::intptr_t m_cursor = 0;
    std::intptr_t m_previousCursor = 0;
    RCPtrArray<LControl> m_pendingRemovals;
    RCPtr<LMenuItemUpdater> m_menuItemUpdater;
    RCPtr<LNotificationCenter> m_notificationCenter;
    ChildControlList m_children;
    bool m_laidOut = false;
    RectD m_clientInsets;
    bool m_clientRectRecorded = false;
    RectD m_recordedClientRect;
    bool m_layingOutChildren = false;
    bool m_changingScrollOffset = false;
    bool m_scrollDockedMarker = false;
    bool m_textFollowsScroll = false;
};

// The argument of "NID_SIBLING_KEY": the key, the control it comes from, and the result a
// receiver sets to 0 when it used the key.
class LSiblingKeyParam : public virtual LRefCountedObject
{
public:
    LSiblingKeyParam(const KeyCode& key, const RCPtr<LControl>& source) : Key(key), Source(source) {}
    static RCPtr<LSiblingKeyParam> Create(const KeyCode& key, const RCPtr<LControl>& source)
    {
        return RCPtr<LSiblingKeyParam>(new LSiblingKeyParam(key, source));
    }

    KeyCode Key;
    RCPtr<LControl> Source;
    std::int32_t Result = -1;
};

} // namespace QK
