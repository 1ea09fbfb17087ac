#include "message_outlet.h"

#include <filesystem>
#include <system_error>
#include <unistd.h>

#include "config/settings.h"
#include "messages/dispatcher.h"
#include "messages/receive_log.h"
#include "platform/clock.h"
#include "platform/ini_file.h"

namespace veltrin::decode {

MessageOutlet::MessageOutlet(std::FILE* out, bool json) : printer_(out, json) {}

MessageOutlet::~MessageOutlet()
{
    log_.reset();  // flushes the raw log while the clock still stands
    if (clockSet_)
        setClockSource({});
}

RxTextSink* MessageOutlet::rx()
{
    return log_.get();
}

std::time_t MessageOutlet::now() const
{
    return startTime_ + static_cast<std::time_t>((samplesBefore_ + samplesInFile_) / 12000);
}

std::string MessageOutlet::prepare(const DecodeOptions& options, Settings& settings)
{
    if (!options.storeDir.empty()) {
        std::error_code ec;
        std::filesystem::create_directories(options.storeDir, ec);
        if (::chdir(options.storeDir.c_str()) != 0)
            return "cannot use the folder " + options.storeDir;
        // Only how messages are stamped comes from the station's settings;
        // how the audio is decoded is the command line's business.
        if (std::filesystem::exists(kSettingsFileName)) {
            Settings stored;
            loadSettings(IniFile(kSettingsFileName), stored);
            settings.useUtc = stored.useUtc;
            settings.rawLogTimeMarks = stored.rawLogTimeMarks;
            settings.messageFileTimeMarks = stored.messageFileTimeMarks;
            settings.addComment = stored.addComment;
            settings.commentText = stored.commentText;
        }
    }
    if (options.utc)
        settings.useUtc = 1;
    applyRecordingOptions(options.recording, settings);

    if (options.hasStartTime) {
        startTime_ = options.startTime;
        setClockSource([this] { return now(); });
        clockSet_ = true;
    }
    if (!options.storeDir.empty()) {
        dispatcher_ = std::make_unique<MessageDispatcher>(settings, panels_, boxes_);
        log_ = std::make_unique<ReceiveLog>(settings, boxes_);
        log_->rollDailyRawLog();
        printer_.setNext(dispatcher_.get());
    }
    return {};
}

void MessageOutlet::beginFile(const std::string& shownName)
{
    printer_.setFile(shownName);
    samplesInFile_ = 0;
}

void MessageOutlet::endFile()
{
    samplesBefore_ += samplesInFile_;
    samplesInFile_ = 0;
}

}  // namespace veltrin::decode
