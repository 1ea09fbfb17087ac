#pragma once
// The ring through which the network thread hands its result lines to the
// receive window: 16 slots of 2048 bytes. The network thread writes a slot
// and posts WM_NET_LOG_TEXT with a running number whose low four bits name
// the slot; the main thread reads the slot when the message arrives.
//
// One writer (the network thread), one reader (the main thread), no lock.
// Each slot carries a stamp published with release ordering after its text is
// complete; the reader checks the stamp before and after copying, so a slot
// overwritten while it is being read (the writer lapped the reader by 16
// lines) is noticed instead of showing a mixture of two lines.
#include <array>
#include <atomic>
#include <cstdint>
#include <string>

#include "platform/window_messages.h"

namespace veltrin {

class NetTextRing {
public:
    static constexpr int kSlots = 16;
    static constexpr int kSlotBytes = 2048;

    // Network thread: copies text (cut to 2047 bytes) into the next slot and
    // posts WM_NET_LOG_TEXT with the line's running number. Returns the slot.
    int postNetLine(const std::string& text, WindowMessagePoster& poster);

    // Main thread: the text of slot (wParam & 15). False when the slot holds
    // no complete line (never written, or being rewritten right now).
    bool readSlot(WParam wParam, std::string& text) const;

private:
    struct Slot {
        // 0 while being written; otherwise the running number + 1.
        std::atomic<std::uint32_t> stamp{0};
        std::array<char, kSlotBytes> text{};
    };
    std::array<Slot, kSlots> slots_;
    std::uint32_t next_ = 0;  // writer only
};

// The process-wide ring.
NetTextRing& netTextRing();

}  // namespace veltrin
