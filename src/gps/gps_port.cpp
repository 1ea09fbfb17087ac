#include "gps/gps_port.h"

#include "platform/ui_ports.h"

namespace veltrin {

std::unique_lock<std::timed_mutex> GpsPort::lock()
{
    // A system-clock deadline: thread checkers follow that kind of timed lock.
    return std::unique_lock<std::timed_mutex>(gpsPortLock_, std::chrono::system_clock::now() + lockWait_);
}

void GpsPort::closeLocked()
{
    open_.store(false, std::memory_order_release);
    port_.close();
}

bool GpsPort::open(const std::string& path, int baud, MessageBoxes& boxes)
{
    SerialOpenResult result = SerialOpenResult::OpenFailed;
    {
        std::unique_lock<std::timed_mutex> held = lock();
        if (!held.owns_lock())
            return false;  // a read that never ends; the old handle stays
        closeLocked();
        if (!path.empty())
            result = port_.open(path, baud, SerialAccess::ReadOnly);
        if (result == SerialOpenResult::Ok) {
            // Some receivers take their power from these lines; a device
            // without them (a pseudo-terminal) reads on all the same.
            port_.setDtr(true);
            port_.setRts(true);
            open_.store(true, std::memory_order_release);
        }
    }
    if (result != SerialOpenResult::Ok)
        boxes.showMessage(serialOpenErrorText(result), kGpsPortErrorCaption);
    return result == SerialOpenResult::Ok;
}

bool GpsPort::close()
{
    std::unique_lock<std::timed_mutex> held = lock();
    if (!held.owns_lock())
        return false;
    closeLocked();
    return true;
}

long GpsPort::read(char* buffer, std::size_t max)
{
    std::unique_lock<std::timed_mutex> held = lock();
    if (!held.owns_lock() || !port_.isOpen())
        return 0;
    return port_.read(buffer, std::min(max, kReadMax));
}

}  // namespace veltrin
