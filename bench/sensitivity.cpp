// Sensitivity of the receiver to white noise, per speed and for both decoding
// modes on the same recordings: the share of messages (header and two data
// blocks) that arrive complete and unchanged, over an SNR range in 0.5 dB
// steps from clearly decodable down to nothing. SNR is the tone power over
// the noise power in 2500 Hz. Not a timing benchmark: the figures are the
// table it prints and the counters (snr50 = where half arrive,
// interpolated), beside those of an ideal noncoherent 16-tone detector with
// the same hard-decision code.
//
// The signal is made at 12000 Hz and fed straight to the decoder of its
// speed, as the resampler would hand it over; the decimators do not change
// the in-band SNR. VELTRIN_SENS_TRIALS sets the trials per point (default 20).
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "config/settings.h"
#include "modem/crc16.h"
#include "modem/ifsk16_decoder.h"
#include "modem/ifsk16_modulator.h"
#include "modem/test_signal.h"
#include "modem/transmission.h"

namespace {

using namespace veltrin;

// What each trial's transmission turned into.
struct Outcome : MessageSink {
    int complete = 0;  // header and body as sent, no fault
    int faulty = 0;    // the sent header, but faults counted or the body differs
    int headless = 0;  // blocks without their header
    int foreign = 0;   // a header that was never sent: a miscorrection
    OutgoingMessage sent;
    void dispatchReceivedMessage(ReceivedMessage m) override
    {
        const Msg_header want = sealedHeader(sent);
        if (m.header.type == 0) {
            ++headless;
            return;
        }
        const bool sameHeader = m.header.type == want.type && m.header.sender == want.sender &&
                                m.header.recipient == want.recipient && m.header.msgNumber == want.msgNumber &&
                                m.header.length == want.length && m.header.bodyCrc == want.bodyCrc;
        if (!sameHeader) {
            ++foreign;
            return;
        }
        const bool sameBody = crc16(m.body.data(), m.header.length) == want.bodyCrc &&
                              std::equal(sent.body.begin(), sent.body.end(), m.body.begin());
        ++(sameBody && m.faultCount == 0 ? complete : faulty);
    }
    void clear() { complete = faulty = headless = foreign = 0; }
};

int trialsPerPoint()
{
    const char* env = std::getenv("VELTRIN_SENS_TRIALS");
    const int n = env ? std::atoi(env) : 0;
    return n > 0 ? n : 20;
}

// Where half the messages arrive, by linear interpolation between the first
// pair of points (from the top) that straddles one half.
double halfPoint(const std::vector<double>& snr, const std::vector<double>& share)
{
    for (std::size_t i = 1; i < snr.size(); ++i)
        if (share[i - 1] >= 0.5 && share[i] < 0.5)
            return snr[i - 1] + (snr[i] - snr[i - 1]) * (share[i - 1] - 0.5) / (share[i - 1] - share[i]);
    return NAN;
}

// 50 % points of an ideal noncoherent 16-tone detector with hard-decision RS(15,7).
double idealHalfPoint(int speed)
{
    switch (speed) {
    case 1: return -25.0;
    case 4: return -19.0;
    case 16: return -12.9;
    default: return -9.9;
    }
}

void BM_Sensitivity(benchmark::State& state)
{
    const int speed = static_cast<int>(state.range(0));
    const double top = static_cast<double>(state.range(1));  // dB, down in 0.5 dB steps
    const int trials = trialsPerPoint();
    constexpr int kModes = 2;  // standard, enhanced
    Settings settings[kModes];
    settings[1].enhancedDecoder = 1;
    std::unique_ptr<TIfsk16Decoder> decoder[kModes];
    Outcome outcome[kModes];
    for (int m = 0; m < kModes; ++m) {
        decoder[m] = std::make_unique<TIfsk16Decoder>();
        DecoderLinks links;
        links.sink = &outcome[m];
        links.options = &settings[m];
        decoder[m]->setLinks(links);
    }

    std::vector<double> snrs, shares[kModes];
    int foreign[kModes] = {};
    for (auto _ : state) {
        std::printf("speed %2d (%5.2f Bd), %d trials per point\n"
                    "   SNR dB | standard: complete faulty headless foreign | enhanced: complete faulty headless "
                    "foreign\n",
                    speed, 12000.0 / symbolSamplesAt12k(speed), trials);
        int nothing = 0;
        for (int step = 0; step <= 40 && nothing < 2; ++step) {
            const double snr = top - 0.5 * step;
            for (Outcome& o : outcome)
                o.clear();
            for (int t = 0; t < trials; ++t) {
                SignalPart part;
                part.message.sender = 1000 + static_cast<std::uint16_t>(t);
                part.message.recipient = 77;
                part.message.msgNumber = static_cast<std::uint8_t>(step);
                const std::string text = "Sensitivity trial " + std::to_string(1000 + t) + "...";  // 24 bytes
                part.message.body.assign(text.begin(), text.end());
                part.modulator.speed = speed;
                TestSignalSettings s;
                s.nominalRate = 12000.0;
                s.snrDb = snr;
                s.noiseSeed = 0x5EED0000ull + static_cast<std::uint64_t>(speed) * 100000 +
                              static_cast<std::uint64_t>(step) * 1000 + static_cast<std::uint64_t>(t);
                s.leadS = 2.0 * symbolSamplesAt12k(speed) / 12000.0 * 11.0;  // noise history first
                s.trailS = 12.0 * symbolSamplesAt12k(speed) / 12000.0;
                const std::vector<std::int16_t> pcm = toPcm16(makeTestSignal({part}, s).samples);
                for (int m = 0; m < kModes; ++m) {
                    outcome[m].sent = part.message;
                    decoder[m]->Setup(speed, speed <= 4 ? 2 : 1, defaultCentreHz(speed));
                    for (std::int16_t x : pcm)
                        decoder[m]->PutSample(static_cast<float>(x));
                }
            }
            snrs.push_back(snr);
            for (int m = 0; m < kModes; ++m) {
                shares[m].push_back(static_cast<double>(outcome[m].complete) / trials);
                foreign[m] += outcome[m].foreign;
            }
            std::printf("   %6.1f | %17d %6d %8d %7d | %17d %6d %8d %7d\n", snr, outcome[0].complete,
                        outcome[0].faulty, outcome[0].headless, outcome[0].foreign, outcome[1].complete,
                        outcome[1].faulty, outcome[1].headless, outcome[1].foreign);
            nothing = outcome[0].complete + outcome[1].complete == 0 ? nothing + 1 : 0;
        }
        std::printf("speed %2d: 50 %% point standard %.2f dB, enhanced %.2f dB, ideal hard-decision %.1f dB\n",
                    speed, halfPoint(snrs, shares[0]), halfPoint(snrs, shares[1]), idealHalfPoint(speed));
        std::fflush(stdout);
    }
    state.counters["snr50_std_dB"] = halfPoint(snrs, shares[0]);
    state.counters["snr50_enh_dB"] = halfPoint(snrs, shares[1]);
    state.counters["snr50_ideal_dB"] = idealHalfPoint(speed);
    state.counters["foreign_std"] = foreign[0];
    state.counters["foreign_enh"] = foreign[1];
    state.counters["trials_per_point"] = trials;
}

// Top of each range: a little above where half get through in the standard mode.
BENCHMARK(BM_Sensitivity)
    ->Args({32, -4})
    ->Args({16, -7})
    ->Args({4, -13})
    ->Args({1, -16})
    ->Iterations(1)
    ->Unit(benchmark::kSecond);

}  // namespace
