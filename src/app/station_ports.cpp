#include "app/station_ports.h"

namespace veltrin {

void StationPortRelay::attach(const StationPorts& ports)
{
    ports_ = ports;
    poster_.store(ports.poster, std::memory_order_release);
}

void StationPortRelay::setPanelText(int index, const std::string& text)
{
    if (ports_.panels)
        ports_.panels->setPanelText(index, text);
}

void StationPortRelay::showMessage(const std::string& text, const std::string& caption)
{
    if (ports_.boxes)
        ports_.boxes->showMessage(text, caption);
    else
        stderrBoxes_.showMessage(text, caption);
}

void StationPortRelay::postWindowMessage(unsigned message, WParam wParam)
{
    if (WindowMessagePoster* poster = poster_.load(std::memory_order_acquire))
        poster->postWindowMessage(message, wParam);
}

void StationPortRelay::showLevel(int light, int dark, const std::string& text, bool red)
{
    if (ports_.levelMeter)
        ports_.levelMeter->showLevel(light, dark, text, red);
}

void StationPortRelay::startTimer()
{
    if (ports_.timer)
        ports_.timer->startTimer();
}

void StationPortRelay::stopTimer()
{
    if (ports_.timer)
        ports_.timer->stopTimer();
}

void StationPortRelay::processPendingMessages()
{
    if (ports_.processPendingMessages)
        ports_.processPendingMessages();
}

void StationPortRelay::rxTextChanged(const RxTextChange& change)
{
    if (ports_.rxTextChanged)
        ports_.rxTextChanged(change);
}

void StationPortRelay::gpsTextChanged(const std::string& text)
{
    if (ports_.gpsTextChanged)
        ports_.gpsTextChanged(text);
}

}  // namespace veltrin
