#pragma once
// Recorders for what a decoder reports, and a tiny WAV reader, for tests.
#include <array>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "messages/rx_text_sink.h"
#include "modem/ifsk16_decoder.h"
#include "modem/msg_header.h"
#include "platform/ui_ports.h"
#include "platform/window_messages.h"

namespace veltrin::test {

struct RecordingSink : MessageSink {
    std::vector<ReceivedMessage> messages;
    void dispatchReceivedMessage(ReceivedMessage m) override { messages.push_back(m); }
};

struct RecordingPanels : StatusPanels {
    std::map<int, std::string> panels;
    std::vector<std::pair<int, std::string>> history;
    void setPanelText(int index, const std::string& text) override
    {
        panels[index] = text;
        history.emplace_back(index, text);
    }
};

struct RecordingRx : RxTextSink {
    std::string text;  // raw-log new lines appear as '\n'
    void putRxChar(unsigned char c) override
    {
        if (c)
            text.push_back(static_cast<char>(c));
    }
    void rawLogNewLine() override { text.push_back('\n'); }
};

struct RecordingPoster : WindowMessagePoster {
    int spectrumPosts = 0;
    void postWindowMessage(unsigned message, WParam) override
    {
        if (message == WM_SPECTRUM_READY)
            ++spectrumPosts;
    }
};

// The four decoders set up as the receive chain sets them up at 1700 Hz.
inline std::array<std::unique_ptr<TIfsk16Decoder>, 4> stationDecoders(const DecoderLinks& links)
{
    const int spacing[4] = {2, 2, 1, 1};
    const double centre[4] = {1700.0, 1700.0, 1710.9375, 1710.9375};
    std::array<std::unique_ptr<TIfsk16Decoder>, 4> decoders;
    for (int i = 0; i < 4; ++i) {
        decoders[i] = std::make_unique<TIfsk16Decoder>();
        decoders[i]->setLinks(links);
        decoders[i]->Setup(kDecoderSpeeds[i], spacing[i], centre[i]);
    }
    return decoders;
}

// 16-bit PCM samples of the first channel of a WAV file; the format chunk is
// trusted, only the "data" chunk is searched. Empty on any problem.
inline std::vector<float> readWav16(const std::string& path, int* rate = nullptr, int* channels = nullptr)
{
    std::ifstream f(path, std::ios::binary);
    std::vector<char> bytes((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
    std::vector<float> out;
    if (bytes.size() < 12 || std::memcmp(bytes.data(), "RIFF", 4) != 0)
        return out;
    auto le32 = [&](std::size_t at) {
        std::uint32_t v;
        std::memcpy(&v, bytes.data() + at, 4);
        return v;
    };
    int nch = 1;
    std::size_t pos = 12;
    while (pos + 8 <= bytes.size()) {
        const std::uint32_t size = le32(pos + 4);
        if (std::memcmp(bytes.data() + pos, "fmt ", 4) == 0 && pos + 16 <= bytes.size()) {
            std::uint16_t ch;
            std::memcpy(&ch, bytes.data() + pos + 10, 2);
            nch = ch ? ch : 1;
            if (rate)
                *rate = static_cast<int>(le32(pos + 12));
        }
        if (std::memcmp(bytes.data() + pos, "data", 4) == 0) {
            const std::size_t end = std::min<std::size_t>(bytes.size(), pos + 8 + size);
            for (std::size_t at = pos + 8; at + 2 * nch <= end; at += 2 * nch) {
                std::int16_t s;
                std::memcpy(&s, bytes.data() + at, 2);
                out.push_back(static_cast<float>(s));
            }
            break;
        }
        pos += 8 + size + (size & 1);
    }
    if (channels)
        *channels = nch;
    return out;
}

}  // namespace veltrin::test
