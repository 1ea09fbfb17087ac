#pragma once
// IFSK16 modulator: block symbols to audio. A continuous-phase tone steps
// between 18 positions; each symbol value v moves it 2 + inverseGray(v)
// positions upwards, modulo 18 (downwards for a receiver on LSB).
#include <cstdint>
#include <vector>

#include "modem/tone_steps.h"  // kTonePositions

namespace veltrin {

inline constexpr double kFixedFastCentreHz = 1710.9375;  // speeds 16 and 32
inline constexpr double kDefaultCentreHz = 1700.0;       // speeds 1 and 4, the usual tuning
inline constexpr std::uint8_t kTuningSymbol = 6;  // a +6 move: the receiver's tuning pattern
inline constexpr std::uint8_t kPlainSymbol = 0;   // a +2 move

bool isValidSpeed(int speed);
// Samples per symbol at 12000 Hz: 8192 / speed.
int symbolSamplesAt12k(int speed);
// Tone spacing: 2 symbol rates for speeds 1 and 4, one for 16 and 32.
double toneSpacingHz(int speed);
// The frequency a receiver with default tuning listens on for this speed.
double defaultCentreHz(int speed);
int inverseGray(int value);
// Positions moved for one symbol value (2..17).
int toneMove(std::uint8_t value);

struct ModulatorSettings {
    int speed = 32;
    double centreHz = 0.0;       // 0: defaultCentreHz(speed)
    double sampleRate = 48000.0; // the rate the samples really are taken at
    double amplitude = 8000.0;   // peak, in 16-bit sample units
    double freqOffsetHz = 0.0;   // added to every tone (mistuning)
    bool lsb = false;            // moves downwards
    int startPosition = 0;       // tone position of the reference slot
    int tuningSymbols = 8;       // +6 moves before the data
    int plainSymbols = 2;        // +2 moves after the tuning pattern
    int tailSymbols = 5;         // +2 moves after the last block, so it is read out completely
};

class TIfsk16Modulator {
public:
    explicit TIfsk16Modulator(const ModulatorSettings& settings);

    // A whole transmission: one reference slot at the start position, the
    // preamble, the given block symbols and the tail. Appended to `out`.
    void transmit(const std::vector<std::uint8_t>& blockSymbols, std::vector<double>& out);

    // Symbol slots one at a time; the first call of a transmission should be
    // sendReference(). Phase and symbol timing carry over between calls.
    void sendReference(std::vector<double>& out);
    void sendSymbol(std::uint8_t value, std::vector<double>& out);

    // Number of symbol slots transmit() sends for the given block symbols.
    int slotCount(std::size_t blockSymbols) const;
    double toneHz(int position) const;
    int position() const { return position_; }

private:
    void sendSlot(std::vector<double>& out);

    ModulatorSettings s_;
    double centreHz_;
    double spacingHz_;
    double samplesPerSymbol_;  // at the real sample rate, may be fractional
    int position_;
    long long slots_ = 0;      // slots sent so far
    long long samples_ = 0;    // samples sent so far
    double phase_ = 0.0;
};

}  // namespace veltrin
