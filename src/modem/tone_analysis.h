#pragma once
// Tone analysis: once per hop, from the newest window of samples to one tone
// estimate (a position and a quality) for the symbol timing, and on request
// the spectrum for the display. The standard analysis picks the strongest
// bin of an unwindowed FFT; another analysis can be put in its place.
#include "modem/decoder_geometry.h"

namespace veltrin {

struct HopTone {
    double position = 0.0;  // fractional FFT bin of the decoder's geometry
    double quality = 0.0;
};

// Where a spectrum for the display goes: `count` bins from 0.
struct SpectrumOut {
    float* re = nullptr;
    float* im = nullptr;
    int count = 0;
};

class ToneAnalysis {
public:
    virtual ~ToneAnalysis() = default;
    // After the decoder's set-up and after every centre-frequency change.
    virtual void configure(const DecoderGeometry& geometry) = 0;
    // window: the newest windowLen samples, oldest first. `analyse` false
    // when only the spectrum is wanted; `spectrum` null when it is not.
    // hopIndex: the history slot (0..1023) this hop will occupy.
    virtual HopTone analyse(const float* window, bool analyse, const SpectrumOut* spectrum, int hopIndex) = 0;
};

// The strongest bin of the band, interpolated between its neighbours.
class StandardToneAnalysis : public ToneAnalysis {
public:
    void configure(const DecoderGeometry& geometry) override { g_ = geometry; }
    HopTone analyse(const float* window, bool analyse, const SpectrumOut* spectrum, int hopIndex) override;

private:
    static constexpr int kMaxFftSize = 8192;
    DecoderGeometry g_{};
    float fftRe_[kMaxFftSize] = {};
    float fftIm_[kMaxFftSize] = {};
    float workRe_[kMaxFftSize / 2] = {};
    float workIm_[kMaxFftSize / 2] = {};
    float mag_[kMaxFftSize / 2] = {};
};

}  // namespace veltrin
