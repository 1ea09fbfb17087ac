#include "keying/keying_port.h"

#include "config/settings.h"
#include "platform/com_ports.h"
#include "platform/ui_ports.h"

namespace veltrin {

namespace {

constexpr int kKeyingBaud = 9600;
constexpr std::uint8_t kParallelControlIdle = 0x0C;  // no strobe, not selected, no reset

int lineIndex(int index) { return index >= 0 && index <= 8 ? index : 0; }

}  // namespace

KeyingSetup normalizeKeying(KeyingValues v)
{
    if (v.type < kKeyingNone || v.type > kKeyingParallelTessival)
        v.type = kKeyingNone;
    if (v.number <= 0)
        v.number = 1;
    v.ptt = lineIndex(v.ptt);
    v.power1 = lineIndex(v.power1);
    v.power2 = lineIndex(v.power2);
    if (v.power1 == v.ptt)
        v.power1 = 0;
    if (v.power2 == v.ptt)
        v.power2 = 0;

    KeyingSetup setup;
    if (v.type == kKeyingSerial) {
        for (int* index : {&v.ptt, &v.power1, &v.power2}) {
            if (*index >= 3)
                *index = 0;
        }
        setup.powerLines = static_cast<std::uint8_t>(v.power1 | v.power2);
    } else if (v.type == kKeyingParallel || v.type == kKeyingParallelTessival) {
        if (v.number > kKeyingLptAtAddress)
            v.number = 1;
        for (int index : {v.power1, v.power2}) {
            if (index > 0)
                setup.powerLines |= static_cast<std::uint8_t>(1u << (index - 1));
        }
    }
    setup.values = v;
    return setup;
}

KeyingValues keyingValuesOf(const Settings& s)
{
    return KeyingValues{s.keyingPortType, s.keyingPortNumber, s.pttPin, s.power1Pin, s.power2Pin};
}

KeyingPort::KeyingPort(Settings& settings, MessageBoxes& boxes, bool x64,
                       std::unique_ptr<ParallelPortAccess> parallel)
    : settings_(settings), boxes_(boxes), parallel_(std::move(parallel)), driverUnavailable_(x64)
{
}

KeyingPort::~KeyingPort() { closeKeyingPort(); }

void KeyingPort::setX64(bool x64)
{
    if (x64)
        driverUnavailable_ = true;
}

bool KeyingPort::isParallel() const
{
    return settings_.keyingPortType == kKeyingParallel || settings_.keyingPortType == kKeyingParallelTessival;
}

void KeyingPort::configureKeyingPort(const KeyingValues& values)
{
    const KeyingSetup setup = normalizeKeying(values);
    settings_.keyingPortType = setup.values.type;
    settings_.keyingPortNumber = setup.values.number;
    settings_.pttPin = setup.values.ptt;
    settings_.power1Pin = setup.values.power1;
    settings_.power2Pin = setup.values.power2;
    powerLines_ = setup.powerLines;
    closeKeyingPort();
    openKeyingPort();
}

bool KeyingPort::openDriver()
{
    if (driverUnavailable_ || !parallel_)
        return false;
    if (parallel_->isOpen())
        return true;
    if (parallel_->open(settings_.keyingPortNumber, static_cast<std::uint16_t>(settings_.lptAddress)))
        return true;
    boxes_.showMessage(kKeyingDriverErrorText, kKeyingDriverErrorCaption);
    driverUnavailable_ = true;
    return false;
}

void KeyingPort::openKeyingPort()
{
    closeKeyingPort();
    if (settings_.keyingPortType == kKeyingSerial) {
        const std::string path = comPortPath(settings_.keyingPortNumber, settings_.comPortPaths);
        const SerialOpenResult result =
            path.empty() ? SerialOpenResult::OpenFailed : serial_.open(path, kKeyingBaud, SerialAccess::ReadWrite);
        if (result != SerialOpenResult::Ok) {
            boxes_.showMessage(serialOpenErrorText(result), kKeyingSerialErrorCaption);
            return;
        }
        serial_.setDtr((powerLines_ & kKeyingDtr) != 0);
        serial_.setRts((powerLines_ & kKeyingRts) != 0);
    } else if (isParallel()) {
        if (!openDriver()) {
            settings_.keyingPortType = kKeyingNone;  // for the run, and in the file after the next save
            return;
        }
        parallel_->writeData(powerLines_);
    }
}

void KeyingPort::closeKeyingPort()
{
    serial_.close();
    if (parallel_ && parallel_->isOpen()) {
        if (isParallel())
            parallel_->writeControl(kParallelControlIdle);
        parallel_->close();
    }
}

}  // namespace veltrin
