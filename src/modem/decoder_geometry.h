#pragma once
// The per-speed layout of one decoder: window, FFT, tone spacing and the
// analysed band. Computed by the decoder's set-up; read by its blocks.
namespace veltrin {

struct DecoderGeometry {
    int speed = 0;
    int spacingFactor = 1;
    int padFactor = 1;
    int windowLen = 0;
    int fftSize = 0;
    double spacingHz = 0.0;
    double centreHz = 0.0;
    double bandLo = 0.0, bandHi = 0.0;
    double searchLo = 0.0, searchHi = 0.0;
    int binLo = 2, binHi = 2;
    // Tone spacing in FFT bins.
    int binsPerPosition() const { return spacingFactor * padFactor; }
};

}  // namespace veltrin
