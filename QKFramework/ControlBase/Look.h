// LLook: one look of a control: visual parts laid out over the control's rectangle (a client
// part filling the client area, non-client parts docked to the edges, an optional overlay
// over the client area) and the control's text, painted in the colour of the text
// foreground part. A control holds one look per look index of its skin and shows, hides and
// blends them by opacity.
//
// Drawing clips every part to the update region (and to the look's own region when one is
// set) and to the renderer's current clip. UI thread only.
#pragma once

#include "QKFramework/ControlBase/VisualPart.h"
#include "QKFramework/ObjectBase/RCPtr.h"
#include "QKFramework/ObjectBase/RefCountedObject.h"
#include "QKFramework/Renderer/FontText.h"
#include "QKFramework/Renderer/RenderState.h"
#include "QKFramework/Utilities/Geometry/Rect.h"
#include "QKFramework/Utilities/Graphics/RectRegion.h"
#include "QKFramework/Utilities/Storage/Array.h"
#include "QKFramework/Utilities/Storage/ConstRCPtrArray.h"

#include <cstdint>

namespace QK
{

class LFont;
class LLookDescriptor;
class LRenderer;

class LLook : public virtual LRefCountedObject
{
public:
    LLook();
    ~LLook() override;

    // Takes the parts and text settings of descriptor and lays them out again at the
    // current size. wordWrap: the control's text wraps.
    void InitFromDescriptor(const ConstRCPtr<LLookDescriptor>& descriptor, bool wordWrap);
    // Docks the parts to a look of width x height. Always true.
    bool SetSize(std::int32_t width, std::int32_t height);
    // 1 when the text layout changed (or the look has none), 0 when it did not.
    QKRESULT SetText(const WString& text);
    QKRESULT SetFont(const ConstRCPtr<LFont>& font);
    // An overlay over the client area (replacing the client part when replace is set); a
    // null bitmap removes it.
    void SetOverlayBitmap(const ConstRCPtr<LBitmap>& bitmap, std::int32_t resizeType, bool replace);
    const ConstRCPtr<LVisualPart>& GetOverlayPart() const { return m_overlayPart; }
    bool GetOverlayReplacesClient() const { return m_overlayReplaces; }
    void SetTextForegroundPart(const ConstRCPtr<LVisualPart>& part) { m_textForeground = part; }

    virtual QKRESULT DrawNonClientParts(LRenderer& renderer, const RectRegion& updateRegion);
    virtual QKRESULT DrawClientPart(LRenderer& renderer, const RectRegion& updateRegion);
    // Sends the images of the parts this look draws to the decoding workers ahead of a paint.
    void StartDecoding() const;
    virtual QKRESULT DrawLabelText(LRenderer& renderer, const RectRegion& updateRegion, const PointL& textOffset);

    // 0xAARRGGBB of the first non-client part that is not transparent at point, else the
    // client part's.
    std::uint32_t GetColorAtPoint(const PointL& point) const;

    const ConstRCPtr<LLookDescriptor>& GetDescriptor() const { return m_descriptor; }
    const RectL& GetClientRect() const { return m_clientRect; }
    LongPair GetSize() const { return {m_width, m_height}; }
    std::uint32_t GetNonClientPartCount() const { return m_nonClientParts.GetCount(); }
    const RectL& GetDockedRect(std::uint32_t index) const { return *m_dockedRects.GetAt(index); }
    const ConstRCPtr<LVisualPart>& GetClientPart() const { return m_clientPart; }
    const ConstRCPtr<LVisualPart>& GetTextForegroundPart() const { return m_textForeground; }
    // Null when the look shows no text.
    const RCPtr<LFontText>& GetFontText() const { return m_text; }
    PointL GetTextOrigin() const { return {m_textX, m_textY}; }
    RectRegion& GetRegion() { return m_region; }

private:
    using DrawStep = void (*)(LLook& look, LRenderer& renderer, const RectD& target, const void* context);
    // Runs step once per rectangle of the drawing area that meets target.
    void DrawClipped(LRenderer& renderer, const RectRegion& updateRegion, const RectD& target,
                     const RCPtr<LStencil>& stencil, const void* context, DrawStep step);
    void ComputeTextBox();
    void UpdateStencil();
    void ReplaceText(const WString& text, const ConstRCPtr<LFont>& font);

    ConstRCPtr<LLookDescriptor> m_descriptor;
    ConstRCPtr<LVisualPart> m_textForeground;
    std::int32_t m_width = -1;
    std::int32_t m_height = -1;
    RectL m_clientRect;
    Array<RectL> m_dockedRects;
    ConstRCPtrArray<LVisualPart> m_nonClientParts;
    ConstRCPtr<LVisualPart> m_clientPart;
    ConstRCPtr<LVisualPart> m_overlayPart;
    bool m_overlayReplaces = false;
    RectL m_laidOutClientRect;
    RCPtr<LStencil> m_stencil;
    RCPtr<LFontText> m_text;
    std::int32_t m_textX = 0;
    std::int32_t m_textY = 0;
    RectRegion m_region;
};

} // namespace QK
