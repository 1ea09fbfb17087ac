#pragma once
// BeaconMarks: which of the day's ten-minute periods saw a received message,
// clean or damaged. A ring of 144 words, one per period, kept in a small
// binary file so that the strip under the receive window survives a restart.
// Each word holds the period number it belongs to (low 24 bits) and the two
// flags; a word whose number is not the period asked about belongs to an
// older day and counts as empty.
#include <array>
#include <cstdint>
#include <ctime>
#include <functional>
#include <string>

#include "messages/gateway_port.h"

namespace veltrin {

inline constexpr const char* kBeaconMarksFile = "VeltrinData/beacon_marks.bin";
inline constexpr int kBeaconSlots = 144;                 // one day of ten-minute periods
inline constexpr int kBeaconColumns = 24;                // the strip shows four hours
inline constexpr int kBeaconFileBytes = kBeaconSlots * 4;  // the words, little-endian, no header
inline constexpr std::time_t kBeaconPeriodSeconds = 600;
inline constexpr std::uint32_t kBeaconPeriodMask = 0x00FFFFFF;
inline constexpr std::uint32_t kBeaconDamaged = 0x01000000;
inline constexpr std::uint32_t kBeaconClean = 0x02000000;

enum class BeaconColour { Grey, Green, Yellow };

// Where the grid sits in its panel: columns of columnWidth pixels, the grid
// gridWidth wide at gridLeft.
struct BeaconStripLayout {
    int columnWidth = 0;
    int gridWidth = 0;
    int gridLeft = 0;
    bool operator==(const BeaconStripLayout&) const = default;
};

// Columns of at least 5 pixels, the grid centred; when the minimum widens
// the grid beyond the panel, it starts at 0 and sticks out on the right.
BeaconStripLayout beaconStripLayout(int clientWidth);

class BeaconMarks {
public:
    // Remembers path as the file later marks are written to, sets every word
    // to 0 and reads up to 576 bytes of the file over them. A missing or
    // unreadable file keeps the zeros; a short one leaves the rest 0.
    // Returns whether the file could be opened.
    bool load(const std::string& path = kBeaconMarksFile);

    // Records the current period (clock.h) as damaged (faults != 0) or
    // clean, rewrites the whole file in place (created when missing; a
    // failure is ignored), then calls the redraw callback. Header and body
    // are not used. Returns 0.
    int markBeacon(const Msg_header& header, const MessageBody& body, int faults);

    // Column 0..23 of the strip at time now; column 23 is the current period.
    BeaconColour cellColour(int column, std::time_t now) const;

    // Called after every mark, e.g. to repaint the grid at once.
    void setRedraw(std::function<void()> redraw) { redraw_ = std::move(redraw); }

    std::uint32_t word(int slot) const { return words_[static_cast<std::size_t>(slot)]; }
    const std::array<std::uint32_t, kBeaconSlots>& words() const { return words_; }
    const std::string& path() const { return path_; }

    // The period number of time t (seconds since 1970) and its slot.
    static std::int64_t periodOf(std::time_t t);
    static int slotOf(std::int64_t period);

private:
    void save() const;

    std::array<std::uint32_t, kBeaconSlots> words_{};
    std::string path_ = kBeaconMarksFile;
    std::function<void()> redraw_;
};

}  // namespace veltrin
