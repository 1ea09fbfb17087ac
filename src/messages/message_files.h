#pragma once
// Storage of received messages: one file per message in the daily folders,
// a reception-day copy and a KML file for every usable position.
#include <string>

#include "messages/browser_port.h"
#include "messages/gateway_port.h"
#include "platform/clock.h"

namespace veltrin {

struct InterfaceTexts;
struct Settings;
class StatusPanels;
class MessageBoxes;

enum class FileMode {
    Append,   // a second message of the same name follows the first
    Replace,  // delete first, then create anew
};

// Writes content to path in pieces of at most 8192 bytes. An open failure
// shows "File Open Error!", a short write "File Write Error!" (caption
// "File Error"; what was written stays). Returns true when all was written.
bool writeMessageFile(const std::string& path, const std::string& content, FileMode mode,
                      MessageBoxes& boxes);

class MessageStore {
public:
    // Settings and texts are read at every save, so changes apply at once.
    MessageStore(const Settings& settings, StatusPanels& panels, MessageBoxes& boxes);

    // Ports stay owned by the caller; nullptr restores the no-op default.
    void setGatewayPort(GatewayPort* port);
    void setBrowserPort(BrowserPort* port);
    void setInterfaceTexts(const InterfaceTexts* texts);

    // Text or headless message; faults is the verdict already taken and the
    // caller has made sure of VeltrinData (as the dispatcher does). Returns
    // true when the file was written completely.
    bool saveTextMessage(const Msg_header& header, const MessageBody& body, const std::string& speedLabel,
                         double errorRate, int faults, const CalendarTime& reception, bool headless);
    // Type-6 messages; faultCount as received from the decoder.
    void saveBeaconMessage(const Msg_header& header, const MessageBody& body, const std::string& speedLabel,
                           double errorRate, int faultCount);
    void saveGpsMessage(const Msg_header& header, const MessageBody& body, const std::string& speedLabel,
                        double errorRate, int faultCount);

    GatewayPort& gateway() { return *gateway_; }
    MessageBoxes& boxes() { return boxes_; }

private:
    // Ensures VeltrinData/day/folder, then writes the file.
    bool writeInFolder(const std::string& day, const char* folder, const std::string& name,
                       const std::string& content, FileMode mode);
    void refreshBrowser(const std::string& day, const char* folder, int kind);
    void showSaved();

    const Settings& settings_;
    StatusPanels& panels_;
    MessageBoxes& boxes_;
    GatewayPort* gateway_;
    BrowserPort* browser_;
    const InterfaceTexts* texts_;
};

}  // namespace veltrin
