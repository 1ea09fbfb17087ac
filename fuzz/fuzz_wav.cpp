// The WAV reader on arbitrary files: every header, chunk layout and data
// length must give an error code or samples, never a read outside a buffer.
#include <cstdint>

#include "audio/wave_read.h"
#include "fuzz_util.h"

using namespace veltrin;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string path = fuzz::writeScratch("input.wav", data, size);
    static TWaveRead wave;  // process-wide in the station, reused file after file
    if (wave.Open(path) != kWaveReadOk)
        return 0;
    const std::int64_t total = wave.totalDataBytes();
    VELTRIN_FUZZ_CHECK(total >= 0 && total <= static_cast<std::int64_t>(size));
    std::int16_t block[512];
    // Decimated and raw reading; the data is bounded by the input size, the
    // loops by the data (plus a margin for the decimators' tail).
    for (int i = 0; i < 4096 && wave.remaining() >= wave.blockAlign(); ++i)
        wave.ReadSamples(block, 512);
    VELTRIN_FUZZ_CHECK(wave.remaining() >= 0);
    wave.ReadSample();
    wave.Close();
    if (wave.Open(path) == kWaveReadOk) {
        int got = 0;
        for (int i = 0; i < 4096 && (got = wave.ReadRawSamples(block, 512)) > 0; ++i)
            VELTRIN_FUZZ_CHECK(got <= 512);
        wave.Close();
    }
    return 0;
}
