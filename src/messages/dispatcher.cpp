#include "messages/dispatcher.h"

#include <algorithm>
#include <climits>

#include "config/settings.h"
#include "messages/data_folders.h"
#include "modem/crc16.h"
#include "platform/clock.h"
#include "platform/ui_ports.h"

namespace veltrin {

namespace {

constexpr int kSymbolsPerBlock = 60;
constexpr int kBlockBytes = 12;
constexpr int kPanelNotice = 8;

int clampToInt(long long v)
{
    return static_cast<int>(std::clamp<long long>(v, INT_MIN, INT_MAX));
}

}  // namespace

const char* speedLabel(int speed)
{
    switch (speed) {
    case 4: return "5.9Bd";
    case 16: return "23Bd";
    case 32: return "47Bd";
    default: return "1.5Bd";
    }
}

int expectedSymbolCount(int bodyLength)
{
    return ((bodyLength + kBlockBytes - 1) / kBlockBytes) * kSymbolsPerBlock + kSymbolsPerBlock;
}

double errorRate(int correctedErrors, int symbolCount)
{
    if (symbolCount <= 0)
        return 100.0;
    return static_cast<double>(correctedErrors) * 100.0 / static_cast<double>(symbolCount);
}

int verifyBodyCrc(const Msg_header& header, const MessageBody& body, int faults)
{
    if (faults > 0)
        return faults;
    return crc16(body.data(), header.length) == header.bodyCrc ? faults : faults + 1;
}

MessageDispatcher::MessageDispatcher(const Settings& settings, StatusPanels& panels, MessageBoxes& boxes)
    : settings_(settings), panels_(panels), store_(settings, panels, boxes)
{
}

void MessageDispatcher::setGatewayPort(GatewayPort* port)
{
    store_.setGatewayPort(port);
}

void MessageDispatcher::setBrowserPort(BrowserPort* port)
{
    store_.setBrowserPort(port);
}

void MessageDispatcher::setInterfaceTexts(const InterfaceTexts* texts)
{
    store_.setInterfaceTexts(texts);
}

void MessageDispatcher::dispatchReceivedMessage(ReceivedMessage m)
{
    const std::string label = speedLabel(m.speed);
    const MessageKind kind = messageKind(m.header);
    if (kind == MessageKind::Text || kind == MessageKind::Gps || kind == MessageKind::Beacon) {
        // Symbols that never arrived count as errors.
        const int expected = expectedSymbolCount(m.header.length);
        if (m.symbolCount < expected) {
            m.correctedErrors = clampToInt(static_cast<long long>(m.correctedErrors) + expected - m.symbolCount);
            m.symbolCount = expected;
        }
    }
    const double rate = errorRate(m.correctedErrors, m.symbolCount);
    panels_.setPanelText(kPanelNotice, " ");

    GatewayPort& gateway = store_.gateway();
    if (kind == MessageKind::Gps) {
        store_.saveGpsMessage(m.header, m.body, label, rate, m.faultCount);
        gateway.reportToTraccar(m.header, m.body, label, rate, m.faultCount);
        gateway.gatePositionReport(m.header, m.body, label, rate, m.faultCount);
    } else if (kind == MessageKind::Beacon) {
        store_.saveBeaconMessage(m.header, m.body, label, rate, m.faultCount);
        if (m.faultCount == 0)
            gateway.gateStatusReport(m.header, m.body);
    } else if (kind == MessageKind::Text || kind == MessageKind::Headless) {
        dispatchText(m, label, rate);
    }
}

void MessageDispatcher::dispatchText(ReceivedMessage& m, const std::string& label, double rate)
{
    const CalendarTime reception = currentCalendarTime(settings_.useUtc != 0);
    ensureDataFolder(kDataFolder, store_.boxes());
    const int faults = verifyBodyCrc(m.header, m.body, m.faultCount);
    GatewayPort& gateway = store_.gateway();
    gateway.markBeacon(m.header, m.body, faults);
    const bool headless = messageKind(m.header) == MessageKind::Headless;
    if (headless) {
        m.header.sender = 0;
        m.header.recipient = 0;
        m.header.msgNumber = 0;
    }
    const bool saved = store_.saveTextMessage(m.header, m.body, label, rate, faults, reception, headless);
    if (saved && faults == 0 && !headless) {
        gateway.gateStatusReport(m.header, m.body);
        gateway.gateCustomPacket(m.header, m.body);
    }
}

}  // namespace veltrin
