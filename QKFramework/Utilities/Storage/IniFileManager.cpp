#include "QKFramework/Utilities/Storage/IniFileManager.h"

namespace QK
{

RCPtr<LIniFileManager> LIniFileManager::Create()
{
    return RCPtr<LIniFileManager>(new LIniFileManager());
}

} // namespace QK
