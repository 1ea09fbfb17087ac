#pragma once
// What the decoder fuzz targets connect the four decoders to: sinks that
// check what comes out instead of storing it.
#include <string>

#include "audio/receive_chain.h"
#include "config/app_state.h"
#include "config/settings.h"
#include "fuzz_util.h"
#include "modem/decoder_shared.h"
#include "messages/rx_text_sink.h"
#include "modem/msg_header.h"
#include "platform/ui_ports.h"
#include "platform/window_messages.h"

namespace veltrin::fuzz {

struct CheckingMessageSink : MessageSink {
    int messages = 0;
    void dispatchReceivedMessage(ReceivedMessage m) override
    {
        ++messages;
        VELTRIN_FUZZ_CHECK(m.speed == 1 || m.speed == 4 || m.speed == 16 || m.speed == 32);
        VELTRIN_FUZZ_CHECK(m.correctedErrors >= 0 && m.symbolCount >= 0);
    }
};

struct QuietPanels : StatusPanels {
    void setPanelText(int, const std::string& text) override { VELTRIN_FUZZ_CHECK(text.size() < 4096); }
};

struct QuietRx : RxTextSink {
    void putRxChar(unsigned char) override {}
    void rawLogNewLine() override {}
};

struct QuietPoster : WindowMessagePoster {
    void postWindowMessage(unsigned, WParam) override {}
};

// A receive chain whose decoders have every link set, as in the station.
struct QuietStation {
    Settings settings;
    AppState state;
    ReceiveChain receive{settings, state};
    CheckingMessageSink sink;
    QuietPanels panels;
    QuietRx rx;
    QuietPoster poster;
    DecoderShared shared;
    QuietStation()
    {
        DecoderLinks links;
        links.sink = &sink;
        links.status = &panels;
        links.rx = &rx;
        links.poster = &poster;
        links.shared = &shared;
        links.options = &settings;
        receive.setDecoderLinks(links);
    }
};

}  // namespace veltrin::fuzz
