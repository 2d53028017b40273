// Contents: 1. construction and set-up; 2. buttons; 3. command target and item states.
#include "QKFramework/Controls/MainMenu.h"

#include "QKFramework/ControlBase/ControlApp.h"
#include "QKFramework/ControlBase/ControlDescriptor.h"
#include "QKFramework/ControlBase/ControlFactory.h"
#include "QKFramework/ControlBase/Input/GlobalHotKeyManager.h"
#include "QKFramework/ControlBase/RootWindowInterface.h"
#include "QKFramework/ControlBase/SkinDescriptors.h"
#include "QKFramework/Controls/ComboMenu.h"
#include "QKFramework/Notification/NotificationQueue.h"

#include <vector>

namespace QK
{
namespace
{

const WString kTemplateName(u"templateMenu");

// The number after "MENU_LABEL.": digits only (leading zeros allowed), else -1.
std::int64_t LabelNumber(const WString& rest)
{
    if (rest.IsEmpty() || rest.GetLength() > 9)
        return -1;
    std::int64_t n = 0;
    for (std::uint32_t i = 0; i < rest.GetLength(); ++i)
    {
        const char16_t c = rest.GetString()[i];
        if (c < u'0' || c > u'9')
            return -1;
        n = n * 10 + (c - u'0');
    }
    return n;
}

} // namespace

// 1. Construction and set-up ----------------------------------------------------------------------

LMainMenu::~LMainMenu() = default;

RCPtr<LControl> LMainMenu::Create(LControl* parent, const LControlDescriptor* descriptor)
{
    if (!descriptor)
        return nullptr;
    RCPtr<LControl> control(new LMainMenu(parent, descriptor->Name));
    control->CreateFromDescriptor(descriptor);
    control->CreateChildControls(descriptor);
    control->Initialize();
    control->InitializeParts();
    control->SetCreated();
    return control;
}

QKRESULT LMainMenu::Initialize()
{
    const QKRESULT result = LControl::Initialize();
    SetNotFocusable(true);
    const RCPtr<LControl> self = GetRefCount() > 0 ? RCPtr<LControl>(this) : nullptr;
    for (std::uint32_t i = GetChildren().GetCount(); i-- > 0;)
    {
        const RCPtr<LControl> child = GetChildren().GetAt(i);
        auto* button = dynamic_cast<LComboMenu*>(child.Get());
        if (!button)
            continue;
        if (button->GetName().IsEqual(kTemplateName))
        {
            m_template = button->GetControlDescriptor();
            m_templateChild = true;
            button->Close();
            continue;
        }
        button->SetFocusScope(true);
        if (const RCPtr<LPopupMenu> popup = button->GetPopupMenu())
            popup->SetStateTarget(GetMenuItemUpdater());
        ++m_fixedCount;
        if (!m_template)
            m_template = button->GetControlDescriptor();
    }
    const ConstRCPtr<LStringTable> table = GetStringTable();
    if (!table)
        return result;
    static const WString kLabelPrefix(u"MENU_LABEL.");
    Array<StringPair> entries;
    table->GetEntriesWithPrefix(kLabelPrefix, entries);
    std::vector<WString> labels;
    for (std::uint32_t i = 0; i < entries.GetCount(); ++i)
    {
        const StringPair& entry = *entries.GetAt(i);
        // A key without digits after the dot names no label.
        const std::int64_t n = LabelNumber(entry.key.MidFrom(static_cast<std::int32_t>(kLabelPrefix.GetLength())));
        if (n < 0 || n > 1000)
            continue;
        if (labels.size() < static_cast<std::size_t>(n) + 1)
            labels.resize(static_cast<std::size_t>(n) + 1);
        labels[static_cast<std::size_t>(n)] = entry.value;
    }
    ConstRCPtrArray<LMenuDescriptor> menus;
    BuildContextMenu(menus);
    if (menus.GetCount() != labels.size())
        return result;
    std::uint32_t failures = 0;
    for (std::uint32_t i = 0; i < labels.size(); ++i)
        if (Failed(InsertMenu(i - failures, labels[i], labels[i], *menus.GetAt(i))))
            ++failures;
    return result;
}

QKRESULT LMainMenu::AttachChild(const RCPtr<LControl>& child, const LControlDescriptor* descriptor)
{
    if (!child && descriptor && descriptor->Name.IsEqual(kTemplateName))
    {
        m_template = ConstRCPtr<LControlDescriptor>(const_cast<LControlDescriptor*>(descriptor));
        return QK_OK;
    }
    if (!descriptor)
        return QK_OK;
    const QKRESULT result = LControl::AttachChild(child, descriptor);
    if (!m_template && dynamic_cast<LComboMenu*>(child.Get()))
        m_template = ConstRCPtr<LControlDescriptor>(const_cast<LControlDescriptor*>(descriptor));
    return result;
}

QKRESULT LMainMenu::CreateFromDescriptor(const LControlDescriptor* descriptor)
{
    struct Kept
    {
        ConstRCPtr<LMenuDescriptor> menu;
        WString label;
        WString name;
    };
    std::vector<Kept> kept;
    for (std::uint32_t p = 0; p < GetAddedCount(); ++p)
        if (const RCPtr<LComboMenu> button = GetAddedButton(p))
            kept.push_back({GetMenuDescriptor(button.Get()), button->GetText(), button->GetName()});
    m_template = nullptr;
    const QKRESULT result = LControl::CreateFromDescriptor(descriptor);
    for (const Kept& k : kept)
        AppendMenuButton(k.name);
    for (const Kept& k : kept)
        if (const RCPtr<LComboMenu> button = RCPtr<LComboMenu>(dynamic_cast<LComboMenu*>(FindChild(k.name).Get())))
        {
            if (k.menu)
                if (const RCPtr<LPopupMenu> popup = button->GetPopupMenu())
                    popup->SetMenuDescriptor(k.menu.Get());
            button->SetText(k.label);
        }
    return result;
}

// 2. Buttons ---------------------------------------------------------------------------------------

std::uint32_t LMainMenu::GetMenuCount() const
{
    std::uint32_t count = 0;
    for (std::uint32_t i = 0; i < GetChildren().GetCount(); ++i)
        if (dynamic_cast<LComboMenu*>(GetChildren().GetAt(i).Get()))
            ++count;
    return count;
}

RCPtr<LComboMenu> LMainMenu::GetMenuButton(std::uint32_t index) const
{
    for (std::uint32_t i = 0; i < GetChildren().GetCount(); ++i)
        if (auto* button = dynamic_cast<LComboMenu*>(GetChildren().GetAt(i).Get()))
        {
            if (index == 0)
                return RCPtr<LComboMenu>(button);
            --index;
        }
    return nullptr;
}

std::uint32_t LMainMenu::GetAddedCount() const
{
    const std::uint32_t count = GetMenuCount();
    return count > m_fixedCount ? count - m_fixedCount : 0;
}

RCPtr<LComboMenu> LMainMenu::GetAddedButton(std::uint32_t position) const
{
    return position < GetAddedCount() ? GetMenuButton(m_fixedCount + position) : nullptr;
}

WString LMainMenu::GetMenuName(std::uint32_t position) const
{
    const RCPtr<LComboMenu> button = GetAddedButton(position);
    return button ? button->GetName() : WString();
}

std::int32_t LMainMenu::FindMenu(const WString& name) const
{
    for (std::uint32_t p = 0; p < GetAddedCount(); ++p)
        if (GetMenuName(p).IsEqual(name))
            return static_cast<std::int32_t>(p);
    return -1;
}

ConstRCPtr<LMenuDescriptor> LMainMenu::GetMenuDescriptor(LComboMenu* button) const
{
    const RCPtr<LPopupMenu> popup = button ? button->GetPopupMenu() : nullptr;
    return popup ? popup->GetMenuDescriptor() : nullptr;
}

void LMainMenu::EquipButton(LComboMenu& button)
{
    button.SetFocusScope(true);
    const RCPtr<LPopupMenu> popup = button.GetPopupMenu();
    if (!popup)
        return;
    popup->SetStateTarget(GetMenuItemUpdater());
    if (IRootWindow* root = GetRootWindowLink())
    {
        popup->SetHotKeyManager(RCPtr<LGlobalHotKeyManager>(root->GetWindowHotKeys()));
        // Commands go out from the root window at its next idle pass, where the views that
        // handle them listen: the device view subscribes the File and Help commands on the
        // root window, and nothing else connects the popups' command target with it (the
        // bar's remembered focus control would not hear them), so the bar routes every
        // command through the root window's posting queue.
        if (auto* queue = dynamic_cast<LNotificationQueue*>(root))
            if (const RCPtr<LNotificationReceiver> posting = queue->GetPostingReceiver())
                popup->SetCommandTarget(posting);
    }
}

QKRESULT LMainMenu::AppendMenuButton(const WString& name)
{
    if (FindChild(name))
        return QK_E_INVALIDARG;
    LControlFactory* factory = LControlApp::GetControlFactory();
    if (!m_template || !factory)
        return QK_E_FAIL;
    const RCPtr<LControlDescriptor> copy = m_template->Clone(name);
    copy->Layout = m_template->Layout ? m_template->Layout->Clone() : RCPtr<LLayoutDescriptor>(new LLayoutDescriptor());
    if (GetAddedCount() > 0 || !m_templateChild)
        if (const RCPtr<LComboMenu> last = GetMenuButton(GetMenuCount() > 0 ? GetMenuCount() - 1 : 0))
        {
            copy->Layout->X.Position.Kind = 2;
            copy->Layout->X.Position.Name = last->GetName();
            copy->Layout->X.Position.Rel = 1.0f;
            copy->Layout->X.Position.Abs = 0.0;
        }
    const RCPtr<LControl> created = factory->CreateControl(copy.Get(), this);
    auto* button = dynamic_cast<LComboMenu*>(created.Get());
    if (!button)
    {
        if (created)
            RemoveChild(created.Get());
        return QK_E_FAIL;
    }
    EquipButton(*button);
    return QK_OK;
}

std::int32_t LMainMenu::InsertMenu(std::uint32_t position, const WString& name, const WString& label,
                                   const ConstRCPtr<LMenuDescriptor>& menu)
{
    const std::uint32_t count = GetAddedCount();
    if (position > count)
        return QK_E_INVALIDARG;
    return InsertMenuBefore(position == count ? WString() : GetMenuName(position), name, label, menu);
}

std::int32_t LMainMenu::InsertMenuBefore(const WString& beforeName, const WString& name, const WString& label,
                                         const ConstRCPtr<LMenuDescriptor>& menu)
{
    std::uint32_t target = GetAddedCount();
    if (!beforeName.IsEmpty())
    {
        const std::int32_t found = FindMenu(beforeName);
        if (found < 0)
            return QK_E_INVALIDARG;
        target = static_cast<std::uint32_t>(found);
    }
    const RCPtr<LControl> self = GetRefCount() > 0 ? RCPtr<LControl>(this) : nullptr;
    // A failed append (a name the bar has already) leaves every button as it was.
    const QKRESULT appended = AppendMenuButton(name);
    if (Failed(appended))
        return appended;
    for (std::uint32_t p = GetAddedCount() - 1; p > target; --p)
    {
        const RCPtr<LComboMenu> button = GetAddedButton(p);
        const RCPtr<LComboMenu> left = GetAddedButton(p - 1);
        if (!button || !left)
            continue;
        const WString leftName = left->GetName();
        GetChildren().RenameChild(RCPtr<LControl>(left.Get()), leftName + WString(u"_"));
        if (const ConstRCPtr<LMenuDescriptor> leftMenu = GetMenuDescriptor(left.Get()))
            button->GetPopupMenu()->SetMenuDescriptor(leftMenu.Get());
        button->SetText(left->GetText());
        GetChildren().RenameChild(RCPtr<LControl>(button.Get()), leftName);
    }
    const RCPtr<LComboMenu> button = GetAddedButton(target);
    if (!button)
        return QK_E_FAIL;
    button->SetText(label);
    if (menu)
        if (const RCPtr<LPopupMenu> popup = button->GetPopupMenu())
            popup->SetMenuDescriptor(menu.Get());
    GetChildren().RenameChild(RCPtr<LControl>(button.Get()), name);
    return static_cast<std::int32_t>(target);
}

// 3. Command target and item states ------------------------------------------------------------------

bool LMainMenu::SetMenuItemUpdater(const RCPtr<LMenuItemUpdater>& updater)
{
    const bool same = m_itemUpdater.Get() == updater.Get();
    m_itemUpdater = updater;
    return same;
}

RCPtr<LControl> LMainMenu::GetCommandTarget()
{
    if (m_commandTarget && m_commandTarget->IsCommandTarget())
        return m_commandTarget;
    if (LControl* parent = GetParent())
        return parent->GetCommandTarget();
    return LControlApp::GetDefaultCommandTarget();
}

void LMainMenu::OnConditionsChanged(LConditionsParam* record)
{
    LControl::OnConditionsChanged(record);
    if (!record || !(record->NewConditions & kContainsFocus) || (record->OldConditions & kContainsFocus))
        return;
    if (IRootWindow* root = GetRootWindowLink())
        m_commandTarget = RCPtr<LControl>(root->GetPreviousFocusedControl());
}

QKRESULT LMainMenu::RegisterNotifications()
{
    IRootWindow* root = GetRootWindowLink();
    for (std::uint32_t i = GetMenuCount(); i-- > 0;)
        if (const RCPtr<LComboMenu> button = GetMenuButton(i))
        {
            if (const RCPtr<LPopupMenu> popup = button->GetPopupMenu())
                popup->SetHotKeyManager(RCPtr<LGlobalHotKeyManager>(root ? root->GetWindowHotKeys() : nullptr));
            // Buttons made before the bar joined its window get their command target now.
            if (root)
                EquipButton(*button);
        }
    return LControl::RegisterNotifications();
}

std::int32_t LMainMenu::IsCommandEnabled(const LMenuDescriptor* menu, std::uint32_t index, const WString& nid,
                                         LMenuItemState& state)
{
    if (!m_itemUpdater)
        return QK_FALSE;
    LControl* control = m_itemUpdater->GetControl();
    if (!control)
        return QK_E_FAIL;
    return control->IsCommandEnabled(menu, index, nid, state);
}

} // namespace QK
