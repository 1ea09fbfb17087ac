#include "modem/decoder_status.h"

#include <cstdio>

#include "modem/decoder_shared.h"
#include "platform/ui_ports.h"

namespace veltrin {

const char* ChannelText(ChannelState state)
{
    switch (state) {
    case ChannelState::Sygn: return "SYGN";
    case ChannelState::Head: return "HEAD";
    case ChannelState::Busy: return "BUSY";
    case ChannelState::Idle: break;
    }
    return " ";
}

const char* ReceptionText(Reception r)
{
    switch (r) {
    case Reception::Message: return "Message ...";
    case Reception::Gps: return "GPS ...";
    case Reception::Beacon: return "Beacon ...";
    case Reception::Ack: return "Ack ...";
    case Reception::Headless: return "Headless message ...";
    case Reception::None: break;
    }
    return " ";
}

const char* ResultText(ResultNote note)
{
    switch (note) {
    case ResultNote::PositiveAck: return "Got Positive ACK";
    case ResultNote::NegativeAck: return "Got Negative ACK";
    case ResultNote::InvalidAck: return "Got Invalid ACK";
    case ResultNote::Blank: break;
    }
    return " ";
}

void DecoderStatusPresenter::flushPanels(DecoderStatus& status) const
{
    const unsigned changed = status.changed;
    status.changed = 0;
    if (!panels_ || changed == 0)
        return;
    char text[48];
    if (changed & (1u << kPanelTiming)) {
        std::snprintf(text, sizeof text, "o: %d+%d", status.timingDrift, status.timingAvg);
        panels_->setPanelText(kPanelTiming, text);
    }
    if (changed & (1u << kPanelErrorRate)) {
        std::snprintf(text, sizeof text, "E=%.1lf%%", status.blockErrors * 1.6666666666666667);
        panels_->setPanelText(kPanelErrorRate, text);
    }
    if (changed & (1u << kPanelChannel))
        panels_->setPanelText(kPanelChannel, ChannelText(status.channel));
    if (changed & (1u << kPanelReception))
        panels_->setPanelText(kPanelReception, ReceptionText(status.reception));
    if (changed & (1u << kPanelResult))
        panels_->setPanelText(kPanelResult, ResultText(status.result));
}

void DecoderStatusPresenter::publishLamps(const DecoderStatus& status) const
{
    if (!shared_)
        return;
    std::uint8_t* masks = shared_->StatusMasks;
    const auto bit = static_cast<std::uint8_t>(speed_);
    auto put = [masks, bit](int index, bool on) {
        if (on)
            masks[index] = static_cast<std::uint8_t>(masks[index] | bit);
        else
            masks[index] = static_cast<std::uint8_t>(masks[index] & ~bit);
    };
    put(kMaskSignal, status.signal);
    put(kMaskMessage, status.message);
    put(kMaskHeadless, status.headless);
    put(kMaskGps, status.gps);
    put(kMaskBeacon, status.beacon);
    put(kMaskActivity, status.activity);
    put(kMaskTimeout, status.timeout);
    put(kMaskSygn, status.sygn);
}

}  // namespace veltrin
