// The four decoders fed arbitrary audio: 16-bit samples at 12000 Hz (the
// seeds are transmissions from the project's recordings), with the centre
// frequency taken from the first byte.
#include <cstdint>
#include <cstring>

#include "audio/receive_chain.h"
#include "decoder_sinks.h"

using namespace veltrin;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 1)
        return 0;
    static fuzz::QuietStation station;
    ReceiveChain& receive = station.receive;
    // 500..3050 Hz in 10 Hz steps; the low bit of the byte inverts the keying.
    station.settings.inverseManipulation = data[0] & 1;
    receive.sampleChain().setupReceiveChain(500.0 + 10.0 * data[0]);
    SampleChain& chain = receive.sampleChain();
    for (std::size_t i = 1; i + 2 <= size; i += 2) {
        std::int16_t s;
        std::memcpy(&s, data + i, 2);
        station.shared.spectrumPending = 0;  // a display that takes every spectrum
        chain.fanOutSample(s);
    }
    return 0;
}
