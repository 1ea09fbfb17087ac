#pragma once
// Pure per-hop and per-symbol measures of the tone detector: the tone
// position in a magnitude spectrum, and the 4-bit value and quality of the
// step between two tone positions.
namespace veltrin {

inline constexpr int kTonePositions = 18;

struct ToneEstimate {
    double position = 0.0;  // fractional FFT bin
    double quality = 0.0;   // peak minus the strongest rival at least one tone spacing away
};

// mag[k] = |(re[k], im[k]) * scale| for kLo <= k <= kHi, 0 where the power
// is 1e-12 or less.
void BandMagnitudes(const float* re, const float* im, int kLo, int kHi, float scale, float* mag);

// Over mag[binLo..binHi]; mag[binLo - 1] and mag[binHi + 1] must be readable.
// binsPerPosition is the tone spacing in FFT bins.
ToneEstimate EstimateTone(const float* mag, int binLo, int binHi, int binsPerPosition);

// A tone-position difference in FFT bins as a move in tone positions, read
// downwards when `inverse`, and lifted by 18 when negative.
double NormaliseStep(double binDifference, int binsPerPosition, bool inverse);

// The 4-bit value of a normalised step (move 2 carries 0, Gray coded).
int NibbleOfStep(double s);

// 0..100: how close a normalised step is to a whole number of positions;
// 0 outside the legal moves.
int QualityOfStep(double s);

// Carrier detection over the four newest flags (index 0 oldest): shifts `ok`
// in and returns the new signal state.
int UpdateCarrier(int flags[4], int ok, int signalPresent);

}  // namespace veltrin
