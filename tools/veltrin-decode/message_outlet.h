#pragma once
// Where the messages of a run go, wired in one place: always the printer;
// with --store also the station's own dispatcher (message files, KML) and
// the receive log (raw daily log), in DIR/VeltrinData, on a clock that runs
// with the audio when --start-time is given.
#include <cstdint>
#include <cstdio>
#include <ctime>
#include <memory>
#include <string>

#include "decode_options.h"
#include "message_printer.h"
#include "platform/ui_ports.h"

namespace veltrin {
struct Settings;
class MessageDispatcher;
class ReceiveLog;
}  // namespace veltrin

namespace veltrin::decode {

class MessageOutlet {
public:
    MessageOutlet(std::FILE* out, bool json);
    ~MessageOutlet();
    MessageOutlet(const MessageOutlet&) = delete;
    MessageOutlet& operator=(const MessageOutlet&) = delete;

    // Settings of the run: with --store the working directory becomes DIR
    // (created when missing) and its VELTRIN.INI supplies the time-mark and
    // comment settings. Returns an error text, empty on success. File names
    // given relative to the old working directory must be made absolute
    // before.
    std::string prepare(const DecodeOptions& options, Settings& settings);

    MessageSink* sink() { return &printer_; }
    RxTextSink* rx();
    MessagePrinter& printer() { return printer_; }

    void beginFile(const std::string& shownName);
    // 12000 Hz samples of the current file handed to the decoders so far.
    void audioPosition(std::int64_t samples) { samplesInFile_ = samples; }
    void endFile();

private:
    std::time_t now() const;

    MessagePrinter printer_;
    StderrMessageBoxes boxes_;
    NullStatusPanels panels_;
    std::unique_ptr<MessageDispatcher> dispatcher_;
    std::unique_ptr<ReceiveLog> log_;
    bool clockSet_ = false;
    std::time_t startTime_ = 0;
    std::int64_t samplesBefore_ = 0;  // earlier files of the run
    std::int64_t samplesInFile_ = 0;
};

}  // namespace veltrin::decode
