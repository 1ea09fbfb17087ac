#include "messages/message_files.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "config/interface_texts.h"
#include "config/settings.h"
#include "messages/data_folders.h"
#include "messages/dispatcher.h"
#include "messages/kml_file.h"
#include "messages/message_content.h"
#include "platform/ui_ports.h"

namespace veltrin {

namespace {

constexpr std::size_t kWritePiece = 8192;
constexpr int kPanelNotice = 8;
constexpr int kPanelResult = 10;

GatewayPort& noGateway()
{
    static GatewayPort port;
    return port;
}

// "YYMMDD-hhmmss".
std::string timeStamp(const CalendarTime& t)
{
    return formatText("%02d%02d%02d-%02d%02d%02d", t.year % 100, t.month, t.day, t.hour, t.minute, t.second);
}

// "-ST-SSSS-RRRR-NN-0": status, sender, recipient, number, constant field.
std::string identity(const char* status, const Msg_header& h)
{
    return formatText("-%s-%04X-%04X-%02X-0", status, unsigned{h.sender}, unsigned{h.recipient},
                      unsigned{h.msgNumber});
}

}  // namespace

bool writeMessageFile(const std::string& path, const std::string& content, FileMode mode,
                      MessageBoxes& boxes)
{
    int flags = O_RDWR | O_CREAT | O_CLOEXEC;
    if (mode == FileMode::Append) {
        flags |= O_APPEND;
    } else {
        ::unlink(path.c_str());  // a missing file is fine; a folder fails at the open
        flags |= O_TRUNC;
    }
    int fd;
    do {
        fd = ::open(path.c_str(), flags, 0666);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) {
        boxes.showMessage("File Open Error!", "File Error");
        return false;
    }
    std::size_t done = 0;
    while (done < content.size()) {
        const std::size_t piece = std::min(kWritePiece, content.size() - done);
        const ssize_t n = ::write(fd, content.data() + done, piece);
        if (n < 0 && errno == EINTR)
            continue;
        if (n != static_cast<ssize_t>(piece)) {
            ::close(fd);
            boxes.showMessage("File Write Error!", "File Error");
            return false;
        }
        done += piece;
    }
    if (::close(fd) != 0) {
        // Delayed write errors (e.g. a full network file system) show up here.
        boxes.showMessage("File Write Error!", "File Error");
        return false;
    }
    return true;
}

MessageStore::MessageStore(const Settings& settings, StatusPanels& panels, MessageBoxes& boxes)
    : settings_(settings), panels_(panels), boxes_(boxes), gateway_(&noGateway()), browser_(&noBrowser()),
      texts_(nullptr)
{
}

void MessageStore::setGatewayPort(GatewayPort* port)
{
    gateway_ = port ? port : &noGateway();
}

void MessageStore::setBrowserPort(BrowserPort* port)
{
    browser_ = port ? port : &noBrowser();
}

void MessageStore::setInterfaceTexts(const InterfaceTexts* texts)
{
    texts_ = texts;
}

bool MessageStore::writeInFolder(const std::string& day, const char* folder, const std::string& name,
                                 const std::string& content, FileMode mode)
{
    const std::string dayPath = std::string(kDataFolder) + "/" + day;
    const std::string folderPath = dayPath + "/" + folder;
    ensureDataFolder(dayPath, boxes_);
    ensureDataFolder(folderPath, boxes_);
    return writeMessageFile(folderPath + "/" + name, content, mode, boxes_);
}

void MessageStore::refreshBrowser(const std::string& day, const char* folder, int kind)
{
    BrowserNode dayNode = browser_->ensureDayNode(day);
    BrowserNode folderNode = browser_->ensureFolderNode(dayNode, folder, kind);
    if (folderNode && browser_->isFocusedNode(folderNode))
        browser_->LeftTreeAfterSelectionChange();
}

void MessageStore::showSaved()
{
    panels_.setPanelText(kPanelResult, "Message saved");
}

bool MessageStore::saveTextMessage(const Msg_header& header, const MessageBody& body,
                                   const std::string& speedLabel, double errorRate, int faults,
                                   const CalendarTime& reception, bool headless)
{
    const InterfaceTexts& texts = texts_ ? *texts_ : interfaceTexts();
    const std::string content = textMessageContent(header, body, speedLabel, errorRate, faults, headless,
                                                   reception, settings_, texts);
    const char* status = headless ? "BD" : crcStatus(faults);
    const std::string day = dayFolderName(reception);
    const std::string name = timeStamp(reception) + "-REC" + identity(status, header) + ".TXT";
    if (!writeInFolder(day, kTextFolder, name, content, FileMode::Append))
        return false;
    showSaved();
    refreshBrowser(day, kTextFolder, kNodeTextFolder);
    return true;
}

void MessageStore::saveBeaconMessage(const Msg_header& header, const MessageBody& body,
                                     const std::string& speedLabel, double errorRate, int faultCount)
{
    const InterfaceTexts& texts = texts_ ? *texts_ : interfaceTexts();
    panels_.setPanelText(kPanelNotice, texts.BeaconWoGpsMessage + " \r\n");
    const CalendarTime reception = currentCalendarTime(settings_.useUtc != 0);
    ensureDataFolder(kDataFolder, boxes_);
    const int faults = verifyBodyCrc(header, body, faultCount);
    gateway_->markBeacon(header, body, faults);

    const std::string content =
        beaconMessageContent(header, body, speedLabel, errorRate, faults, reception, settings_);
    const std::string day = dayFolderName(reception);
    const std::string name = timeStamp(reception) + "-BEA" + identity(crcStatus(faults), header) + ".TXT";
    if (!writeInFolder(day, kBeaconFolder, name, content, FileMode::Append))
        return;
    showSaved();
    refreshBrowser(day, kBeaconFolder, kNodeBeaconFolder);
}

void MessageStore::saveGpsMessage(const Msg_header& header, const MessageBody& body,
                                  const std::string& speedLabel, double errorRate, int faultCount)
{
    const InterfaceTexts& texts = texts_ ? *texts_ : interfaceTexts();
    const bool useUtc = settings_.useUtc != 0;
    panels_.setPanelText(kPanelNotice, " ");
    const CalendarTime reception = currentCalendarTime(useUtc);
    ensureDataFolder(kDataFolder, boxes_);
    const int faults = verifyBodyCrc(header, body, faultCount);
    gateway_->markBeacon(header, body, faults);
    const char* status = crcStatus(faults);

    const GpsReport report = decodeGpsReport(body, useUtc);
    const std::string content =
        gpsMessageContent(header, body, speedLabel, errorRate, faults, report, reception, settings_, texts);
    const std::string receptionDay = dayFolderName(reception);

    if (report.quality == 0) {
        const std::string name = timeStamp(reception) + "-BEA" + identity(status, header) + ".TXT";
        if (!writeInFolder(receptionDay, kBeaconFolder, name, content, FileMode::Replace))
            return;
        showSaved();
        refreshBrowser(receptionDay, kBeaconFolder, kNodeBeaconFolder);
        return;
    }

    // The position file goes to the day of the fix, named by the fix time.
    const std::string fixDay = dayFolderName(report.fixTime);
    const std::string baseName =
        timeStamp(report.fixTime) + "-GPS" + identity(status, header) + "-" + timeStamp(reception);
    if (!writeInFolder(fixDay, kGpsFolder, baseName + ".TXT", content, FileMode::Replace))
        return;
    showSaved();

    const std::string copyName = timeStamp(reception) + "-GPS" + identity(status, header) + ".TXT";
    if (!writeInFolder(receptionDay, kBeaconFolder, copyName, content, FileMode::Replace))
        return;
    refreshBrowser(receptionDay, kBeaconFolder, kNodeBeaconFolder);

    const std::string kml = gpsKmlContent(header, body, report, useUtc);
    if (!writeInFolder(fixDay, kGpsFolder, baseName + ".KML", kml, FileMode::Replace))
        return;
    refreshBrowser(fixDay, kGpsFolder, kNodeGpsFolder);
}

}  // namespace veltrin
