// libFuzzer target for skin documents: the input is loaded as a skin file and parsed as a
// skin resource would be; then every skin's controls of the file are looked up and created.
#include "QKFramework/ControlBase/Control.h"
#include "QKFramework/ControlBase/ControlFactory.h"
#include "tests/fuzz/FuzzSourceFile.h"

#include <cstdlib>
#include <cstring>
#include <stdexcept>

namespace
{

QK::RCPtr<QK::LControl> CreateAny(QK::LControl* parent, const QK::LControlDescriptor* descriptor)
{
    QK::RCPtr<QK::LControl> control(new QK::LControl(parent, descriptor->Name));
    control->CreateFromDescriptor(descriptor);
    return control;
}

bool IsBitmapRefusal(const char* text)
{
    return std::strstr(text, " : QK::LBitmap::") != nullptr;
}

void CheckResult(QK::QKRESULT result)
{
    if (result != QK::QK_OK && result != QK::QK_E_FAIL)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const QK::Fuzz::SourceFile source;
    using QK::WString;

    QK::RCPtr<QK::LControlFactory> factory(new QK::LControlFactory(WString(u"PresetEditor")));
    // A file load answers every failure, the bad SubControl included, with a result.
    CheckResult(factory->LoadSkinResource(WString(source.Write(data, size).c_str())));

    // A resource's bytes go straight to the parser; only the bad SubControl may come back.
    // A factory of its own: added to the first one, the same skins would be built twice.
    try
    {
        if (size > 0)
        {
            const QK::RCPtr<QK::LControlFactory> resource(new QK::LControlFactory(WString(u"PresetEditor")));
            CheckResult(resource->ParseXML(reinterpret_cast<const char*>(data), size));
        }
    }
    catch (const std::runtime_error& error)
    {
        if (std::strcmp(error.what(), "Runtime Error : Bad Subcontrol Element : QK::LControlFactory::XMLStartElement : "
                                      "ControlBase\\ControlFactory : Line 1089") != 0)
            std::abort();
    }

    for (std::uint32_t skin = 0; skin < factory->GetSkinCount(); ++skin)
    {
        factory->SetCurrentSkin(skin);
        WString fontName;
        float fontSize = 0.0f;
        std::int32_t fontStyle = 0;
        factory->GetSkinFont(fontName, fontSize, fontStyle);
        const QK::RCPtr<QK::LControlDescriptor> root = factory->GetSkin(skin);
        // Every class first: two controls of a skin may share a name, and the one a name
        // finds need not be the one that comes first.
        for (std::uint32_t i = 0; i < root->Children.GetCount(); ++i)
            factory->RegisterControlClass(root->Children.GetAt(i)->Get()->Class, CreateAny);
        for (std::uint32_t i = 0; i < root->Children.GetCount(); ++i)
        {
            QK::LControlDescriptor* child = root->Children.GetAt(i)->Get();
            // Creating a look builds its parts, and the bitmaps refuse some parts with their
            // own errors (a gradient fill, a colour part smaller than a pixel, an image part
            // with a mask): those are the only exceptions creation may raise.
            try
            {
                if (!factory->CreateRootControl(child->Name, nullptr))
                    std::abort();
            }
            catch (const std::logic_error& error)
            {
                if (!IsBitmapRefusal(error.what()))
                    std::abort();
            }
            catch (const std::runtime_error& error)
            {
                if (!IsBitmapRefusal(error.what()))
                    std::abort();
            }
            factory->GetControlStringTable(nullptr, child->Name);
        }
    }
    return 0;
}
