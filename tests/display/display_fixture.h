#pragma once
// A spectrum display on the real receive chain's four decoders, with a
// recording window port and status panels.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "audio/receive_chain.h"
#include "display/spectrum_display.h"
#include "modem/decoder_shared.h"

namespace veltrin::testing {

struct RecordingPort : DisplayPort {
    int width = 860;
    int height = 30;
    int scalePanelWidth = 860;
    int waterfallRepaints = 0;
    int scaleRepaints = 0;
    std::vector<int> checkedItems;
    std::vector<std::pair<Lamp, int>> lampsShown;

    int waterfallWidth() const override { return width; }
    int waterfallHeight() const override { return height; }
    int scaleWidth() const override { return scalePanelWidth; }
    void waterfallChanged() override { ++waterfallRepaints; }
    void scaleChanged() override { ++scaleRepaints; }
    void checkCentreItem(int hz) override { checkedItems.push_back(hz); }
    void showLamp(Lamp lamp, int index) override { lampsShown.emplace_back(lamp, index); }
};

struct RecordingPanels : StatusPanels {
    std::map<int, std::string> text;
    std::map<int, int> writes;
    void setPanelText(int index, const std::string& value) override
    {
        text[index] = value;
        ++writes[index];
    }
};

class DisplayTest : public ::testing::Test {
protected:
    Settings settings;
    AppState state;
    ReceiveChain chain{settings, state};
    DecoderShared shared;
    RecordingPort port;
    RecordingPanels panels;
    int fifoBuffers = 0;
    SpectrumDisplay display{settings, state, shared, chain.decoderPointers(), panels, port,
                            [this] { return fifoBuffers; }};

    void SetUp() override
    {
        chain.sampleChain().setupReceiveChain(settings.centreFreqMilliHz * 0.001);
        display.BuildPalette();
    }

    TIfsk16Decoder& decoder(int index) { return chain.decoder(index); }

    // Every bin at the given magnitude relative to full scale.
    void flatSpectrum(double level)
    {
        for (int b = 0; b < kSpectrumBins; ++b) {
            shared.SpectrumRe[b] = static_cast<float>(level * 134217728.0);
            shared.SpectrumIm[b] = 0.0f;
        }
    }

    // The palette index of the picture's pixel (column x, row y from the top).
    const std::uint8_t* pixel(int x, int y) const
    {
        const Waterfall& w = display.waterfall();
        return w.picture() + static_cast<std::size_t>(y) * w.stride() + 3 * x;
    }
    bool pixelIs(int x, int y, int colour) const
    {
        const std::uint8_t* p = pixel(x, y);
        const std::uint8_t* c = display.palette().bgr(colour);
        return p[0] == c[0] && p[1] == c[1] && p[2] == c[2];
    }
};

}  // namespace veltrin::testing
