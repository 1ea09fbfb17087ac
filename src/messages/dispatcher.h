#pragma once
// Where every finished message goes: error rate, body CRC verdict, storage
// and the gateways, by message type.
#include <string>

#include "messages/gateway_port.h"
#include "messages/message_files.h"
#include "modem/msg_header.h"

namespace veltrin {

struct Settings;
class StatusPanels;
class MessageBoxes;

// "1.5Bd", "5.9Bd", "23Bd" or "47Bd" for speed 1, 4, 16, 32; any other
// speed is labelled "1.5Bd".
const char* speedLabel(int speed);

// Symbols a message of this body length takes on air, header block included.
int expectedSymbolCount(int bodyLength);

// Percentage of corrected symbols; 100.0 when nothing was counted.
double errorRate(int correctedErrors, int symbolCount);

// The fault count after the body check. Only a message the decoder assembled
// without faults (faults <= 0) is checked: a CRC mismatch adds one fault.
int verifyBodyCrc(const Msg_header& header, const MessageBody& body, int faults);

class MessageDispatcher : public MessageSink {
public:
    MessageDispatcher(const Settings& settings, StatusPanels& panels, MessageBoxes& boxes);

    // Ports stay owned by the caller; nullptr restores the no-op default.
    void setGatewayPort(GatewayPort* port);
    void setBrowserPort(BrowserPort* port);
    void setInterfaceTexts(const InterfaceTexts* texts);

    void dispatchReceivedMessage(ReceivedMessage message) override;

    MessageStore& store() { return store_; }

private:
    void dispatchText(ReceivedMessage& m, const std::string& label, double rate);

    const Settings& settings_;
    StatusPanels& panels_;
    MessageStore store_;
};

}  // namespace veltrin
