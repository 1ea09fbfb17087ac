#include "app/net_text_ring.h"

#include <algorithm>

namespace veltrin {

// The text bytes are shared between the two threads while the stamp says
// whether they are complete, so they are accessed as relaxed atomics: a
// racing read gives stale bytes (caught by the stamp), never undefined
// behaviour.
int NetTextRing::postNetLine(const std::string& text, WindowMessagePoster& poster)
{
    const std::uint32_t number = next_++;
    const int index = static_cast<int>(number & (kSlots - 1));
    Slot& slot = slots_[index];

    slot.stamp.store(0, std::memory_order_relaxed);
    std::atomic_thread_fence(std::memory_order_release);
    const std::size_t length = std::min<std::size_t>(text.size(), kSlotBytes - 1);
    for (std::size_t i = 0; i < length; ++i)
        std::atomic_ref<char>(slot.text[i]).store(text[i], std::memory_order_relaxed);
    std::atomic_ref<char>(slot.text[length]).store('\0', std::memory_order_relaxed);
    slot.stamp.store(number + 1, std::memory_order_release);

    poster.postWindowMessage(WM_NET_LOG_TEXT, static_cast<WParam>(number));
    return index;
}

bool NetTextRing::readSlot(WParam wParam, std::string& text) const
{
    Slot& slot = const_cast<Slot&>(slots_[wParam & (kSlots - 1)]);
    const std::uint32_t before = slot.stamp.load(std::memory_order_acquire);
    if (before == 0)
        return false;
    std::string copy;
    for (int i = 0; i < kSlotBytes; ++i) {
        char c = std::atomic_ref<char>(slot.text[i]).load(std::memory_order_relaxed);
        if (c == '\0')
            break;
        copy += c;
    }
    std::atomic_thread_fence(std::memory_order_acquire);
    if (slot.stamp.load(std::memory_order_relaxed) != before)
        return false;
    text = std::move(copy);
    return true;
}

NetTextRing& netTextRing()
{
    static NetTextRing ring;
    return ring;
}

}  // namespace veltrin
