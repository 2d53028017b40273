#include "QKFramework/Renderer/Polyline.h"

#include <atomic>

namespace QK
{

std::uint64_t NewDrawingListHandle()
{
    static std::atomic<std::uint64_t> last{0};
    return last.fetch_add(1, std::memory_order_relaxed) + 1;
}

} // namespace QK
