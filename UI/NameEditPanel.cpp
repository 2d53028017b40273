#include "UI/NameEditPanel.h"

#include "QKFramework/ControlBase/ControlNotifications.h"
#include "QKFramework/Controls/TextBox.h"
#include "UI/PresetEditorCommon/EditPanelSupport.h"

#include <algorithm>

namespace QK
{

namespace
{
constexpr char16_t kFirstAllowed = 32;
constexpr char16_t kLastAllowed = 126;
constexpr std::size_t kMaxUnconfirmedWrites = 64;

bool IsControlByte(std::uint8_t byte)
{
    return (byte != 0 && byte < kFirstAllowed) || byte == 127;
}
} // namespace

LNameEditPanel::LNameEditPanel(LControl* parent, const WString& name) : LWithHandlerTable(parent, name) {}

LNameEditPanel::~LNameEditPanel() = default;

QKRESULT LNameEditPanel::Initialize()
{
    const QKRESULT result = LPanel::Initialize();
    m_handler = LNotificationHandler<LNameEditPanel>::Create(this);
    if (!m_handler)
        return result;
    m_textBox = FindChildAs<LTextBox>(*this, u"textBox");
    if (!m_textBox)
        ThrowNullPointer(kTextBoxSite, "Cannot find child textBox");
    CheckResult(m_handler->AddHandler(&LNameEditPanel::OnTextChange,
                                      ConstRCPtr<LNotificationDistributor>(m_textBox.Get()),
                                      kNidTextboxTextChange),
                kSubscriptionSite);
    m_textBox->SetMaxLength(kNameLength);
    m_textBox->SetAutoScroll(0, true);
    m_allowedCharacters = WString();
    for (char16_t c = kFirstAllowed; c <= kLastAllowed; ++c)
        m_allowedCharacters.AppendChar(c);
    m_textBox->AllowedCharacters(m_allowedCharacters);
    m_textBox->AllowedCharactersMode(true);
    return result;
}

void LNameEditPanel::SetParam(const ParamDescriptor& descriptor)
{
    m_descriptor.id = descriptor.id;
    m_descriptor.descriptor = descriptor.descriptor;
}

WString LNameEditPanel::NameFromBytes(const std::uint8_t* bytes, std::uint32_t size)
{
    std::u16string text;
    for (std::uint32_t i = 0; bytes && i < size; ++i)
    {
        const std::uint8_t byte = bytes[i];
        if (byte == 0)
            continue;
        if (IsControlByte(byte))
            return WString(kInvalidName);
        text += static_cast<char16_t>(byte);
    }
    return WString(text.c_str());
}

bool LNameEditPanel::CanShowValue(const Variant& value)
{
    std::uint32_t size = 0;
    const auto* bytes = static_cast<const std::uint8_t*>(value.GetData(size));
    return bytes && size == kNameLength && std::none_of(bytes, bytes + size, IsControlByte);
}

void LNameEditPanel::NameToBytes(const WString& text, std::uint8_t (&block)[kNameLength])
{
    for (std::uint32_t i = 0; i < kNameLength; ++i)
        block[i] = i < text.GetLength() ? static_cast<std::uint8_t>(text.GetString()[i] & 0xFF) : 0;
}

QKRESULT LNameEditPanel::SetParamValue(const Variant& value)
{
    std::uint32_t size = 0;
    const auto* bytes = static_cast<const std::uint8_t*>(value.GetData(size));
    const WString text = NameFromBytes(bytes, size);
    if (!m_textBox || !m_handler)
        return QK_OK;
    if (bytes && size == kNameLength)
    {
        std::array<std::uint8_t, kNameLength> block{};
        std::copy(bytes, bytes + size, block.begin());
        const auto own = std::find(m_unconfirmedWrites.begin(), m_unconfirmedWrites.end(), block);
        if (own != m_unconfirmedWrites.end())
        {
            m_unconfirmedWrites.erase(m_unconfirmedWrites.begin(), own + 1);
            // A later write of ours is still on its way: the text box already shows more
            // than this.
            if (!m_unconfirmedWrites.empty())
                return QK_OK;
        }
    }
    m_unconfirmedWrites.clear();
    CAutoNotificationDisabler<LNameEditPanel> quiet(
        *m_handler, ConstRCPtr<LNotificationDistributor>(m_textBox.Get()), kNidTextboxTextChange);
    m_textBox->SetText(text);
    return QK_OK;
}

QKRESULT LNameEditPanel::OnTextChange(const ConstRCPtr<LNotificationDistributor>&,
                                      const ConstRCPtr<LNotification>&)
{
    if (!m_textBox)
        return QK_FALSE;
    std::uint8_t block[kNameLength] = {};
    NameToBytes(m_textBox->GetText(), block);
    Variant value;
    value.SetBytes(block, kNameLength);
    if (RequestParamValueChangeFrom(*this, m_descriptor, value) == QK_OK)
    {
        std::array<std::uint8_t, kNameLength> written{};
        std::copy(std::begin(block), std::end(block), written.begin());
        m_unconfirmedWrites.push_back(written);
        // Without a model that answers, nothing is ever confirmed: keep the latest only.
        if (m_unconfirmedWrites.size() > kMaxUnconfirmedWrites)
            m_unconfirmedWrites.pop_front();
    }
    return QK_FALSE;
}

// ---- LProgramNamePanel ----------------------------------------------------------------------

LProgramNamePanel::LProgramNamePanel(LControl* parent, const WString& name) : LPanel(parent, name) {}

LProgramNamePanel::~LProgramNamePanel() = default;

RCPtr<LNameEditPanel> LProgramNamePanel::GetEditPanel() const
{
    return FindChildAs<LNameEditPanel>(*this, u"editPanel");
}

void LProgramNamePanel::SetFirstParamID(LParameterizedModule* parent, std::int32_t firstParamID,
                                        std::uint32_t index)
{
    LParameterizedModule::SetFirstParamID(parent, firstParamID, index);
    if (const RCPtr<LNameEditPanel> editor = GetEditPanel())
        editor->SetParam(ParamDescriptor(firstParamID));
}

bool LProgramNamePanel::CanShowParamValue(const ParamDescriptor& descriptor, const Variant& value)
{
    return descriptor.id != GetFirstParamID() || !GetEditPanel() || LNameEditPanel::CanShowValue(value);
}

QKRESULT LProgramNamePanel::SetParamValueLocal(const ParamDescriptor& descriptor, const Variant& value, bool)
{
    if (descriptor.id == GetFirstParamID())
        if (const RCPtr<LNameEditPanel> editor = GetEditPanel())
            editor->SetParamValue(value);
    return QK_OK;
}

} // namespace QK
