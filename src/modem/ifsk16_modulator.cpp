#include "modem/ifsk16_modulator.h"

#include <cmath>

namespace veltrin {

namespace {
constexpr double kTwoPi = 6.283185307179586;
constexpr double kReceiverRate = 12000.0;
}  // namespace

bool isValidSpeed(int speed) { return speed == 1 || speed == 4 || speed == 16 || speed == 32; }

int symbolSamplesAt12k(int speed) { return isValidSpeed(speed) ? 8192 / speed : 8192; }

double toneSpacingHz(int speed)
{
    const double symbolRate = kReceiverRate / symbolSamplesAt12k(speed);
    return speed <= 4 ? 2.0 * symbolRate : symbolRate;
}

double defaultCentreHz(int speed) { return speed <= 4 ? kDefaultCentreHz : kFixedFastCentreHz; }

int inverseGray(int value)
{
    int v = value & 0x0F;
    v ^= v >> 1;
    v ^= v >> 2;
    return v;
}

int toneMove(std::uint8_t value) { return 2 + inverseGray(value); }

TIfsk16Modulator::TIfsk16Modulator(const ModulatorSettings& settings)
    : s_(settings),
      centreHz_(settings.centreHz > 0.0 ? settings.centreHz : defaultCentreHz(settings.speed)),
      spacingHz_(toneSpacingHz(settings.speed)),
      samplesPerSymbol_(symbolSamplesAt12k(settings.speed) * settings.sampleRate / kReceiverRate),
      position_(((settings.startPosition % kTonePositions) + kTonePositions) % kTonePositions)
{
}

double TIfsk16Modulator::toneHz(int position) const
{
    return centreHz_ + (position - (kTonePositions - 1) / 2.0) * spacingHz_ + s_.freqOffsetHz;
}

int TIfsk16Modulator::slotCount(std::size_t blockSymbols) const
{
    return 1 + s_.tuningSymbols + s_.plainSymbols + static_cast<int>(blockSymbols) + s_.tailSymbols;
}

void TIfsk16Modulator::sendSlot(std::vector<double>& out)
{
    // The slot ends at the first sample whose time reaches the next symbol
    // boundary; with a fractional symbol length the boundaries fall between
    // samples and the rounding never accumulates.
    ++slots_;
    const long long end = static_cast<long long>(std::ceil(slots_ * samplesPerSymbol_ - 1e-7));
    const double step = kTwoPi * toneHz(position_) / s_.sampleRate;
    for (; samples_ < end; ++samples_) {
        out.push_back(s_.amplitude * std::sin(phase_));
        phase_ += step;
    }
    phase_ = std::fmod(phase_, kTwoPi);
}

void TIfsk16Modulator::sendReference(std::vector<double>& out) { sendSlot(out); }

void TIfsk16Modulator::sendSymbol(std::uint8_t value, std::vector<double>& out)
{
    const int move = toneMove(value);
    position_ = (position_ + (s_.lsb ? kTonePositions - move : move)) % kTonePositions;
    sendSlot(out);
}

void TIfsk16Modulator::transmit(const std::vector<std::uint8_t>& blockSymbols, std::vector<double>& out)
{
    out.reserve(out.size() + static_cast<std::size_t>(slotCount(blockSymbols.size()) * samplesPerSymbol_) + 1);
    sendReference(out);
    for (int i = 0; i < s_.tuningSymbols; ++i)
        sendSymbol(kTuningSymbol, out);
    for (int i = 0; i < s_.plainSymbols; ++i)
        sendSymbol(kPlainSymbol, out);
    for (std::uint8_t v : blockSymbols)
        sendSymbol(v, out);
    for (int i = 0; i < s_.tailSymbols; ++i)
        sendSymbol(kPlainSymbol, out);
}

}  // namespace veltrin
