#pragma once
// The two queues between the main thread (which builds APRS packets and
// Traccar queries) and the network thread (which sends them): fixed rings of
// text slots, one producer and one consumer, no lock.
//
// The producer fills a slot and only then publishes the new write index
// (release); the consumer acquires the write index, copies the slot and only
// then publishes the new read index (release). Because at most MaxWaiting
// (< Slots) entries wait, the slot being filled is never the one being read.
#include <algorithm>
#include <array>
#include <atomic>
#include <cstring>
#include <string>

namespace veltrin {

template <int Slots, int MaxWaiting>
class PacketRing {
public:
    static constexpr int kSlots = Slots, kMaxWaiting = MaxWaiting, kTextMax = 254;
    static_assert(Slots > 1 && MaxWaiting > 0 && MaxWaiting < Slots, "a free slot must separate the indices");

    // (write - read) mod Slots; any thread.
    int waiting() const
    {
        const int w = write_.load(std::memory_order_acquire);
        const int r = read_.load(std::memory_order_acquire);
        return ((w - r) % Slots + Slots) % Slots;
    }
    bool full() const { return waiting() >= MaxWaiting; }
    bool empty() const { return waiting() == 0; }

    // Main thread. The text is cut at 254 characters (and at a NUL, as a C
    // string would be). False, with nothing written, when full.
    bool push(const std::string& text, int station)
    {
        const int w = write_.load(std::memory_order_relaxed);
        const int r = read_.load(std::memory_order_acquire);  // the consumer is done with that slot
        if (((w - r) % Slots + Slots) % Slots >= MaxWaiting)
            return false;
        Slot& slot = slots_[w];
        const std::size_t length = std::min<std::size_t>(::strnlen(text.c_str(), kTextMax), kTextMax);
        std::memcpy(slot.text.data(), text.data(), length);
        slot.text[length] = '\0';
        slot.station = station;
        write_.store((w + 1) % Slots, std::memory_order_release);
        return true;
    }

    // Network thread. False when empty.
    bool pop(std::string& text, int& station)
    {
        const int r = read_.load(std::memory_order_relaxed);
        const int w = write_.load(std::memory_order_acquire);  // the slot is complete
        if (r == w)
            return false;
        const Slot& slot = slots_[r];
        text.assign(slot.text.data(), ::strnlen(slot.text.data(), kTextMax));
        station = slot.station;
        read_.store((r + 1) % Slots, std::memory_order_release);
        return true;
    }

    // Before the network thread runs.
    void clear()
    {
        read_.store(0, std::memory_order_relaxed);
        write_.store(0, std::memory_order_release);
    }

private:
    struct Slot {
        std::array<char, 256> text{};
        int station = 0;
    };
    std::array<Slot, Slots> slots_{};
    // Apart, so that the two threads do not share one cache line for both.
    alignas(64) std::atomic<int> write_{0};
    alignas(64) std::atomic<int> read_{0};
};

using AprsQueue = PacketRing<16, 14>;
using TraccarQueue = PacketRing<64, 62>;

}  // namespace veltrin
