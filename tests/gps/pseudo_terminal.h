#pragma once
// A pseudo-terminal that plays a serial device: the program under test opens
// the slave path like a serial port, the test writes and reads the master.
// Closing the master is what unplugging a USB device looks like.
#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <thread>

namespace veltrin::test {

class PseudoTerminal {
public:
    PseudoTerminal()
    {
        master_ = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
        if (master_ < 0 || grantpt(master_) != 0 || unlockpt(master_) != 0) {
            closeMaster();
            return;
        }
        char name[128];
        if (ptsname_r(master_, name, sizeof name) != 0) {
            closeMaster();
            return;
        }
        slavePath_ = name;
        // Keeps the slave side alive between the program's opens, so bytes
        // written before it opens do not fail with EIO.
        keeper_ = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
    }
    ~PseudoTerminal()
    {
        closeMaster();
        releaseSlave();
    }
    PseudoTerminal(const PseudoTerminal&) = delete;
    PseudoTerminal& operator=(const PseudoTerminal&) = delete;

    bool ok() const { return master_ >= 0 && !slavePath_.empty(); }
    const std::string& slavePath() const { return slavePath_; }

    // The slave side held by the test itself is let go, so that only the
    // program holds it (and a closed master gives it EIO).
    void releaseSlave()
    {
        if (keeper_ >= 0)
            ::close(keeper_);
        keeper_ = -1;
    }

    bool write(const std::string& bytes)
    {
        std::size_t done = 0;
        while (done < bytes.size()) {
            const ssize_t n = ::write(master_, bytes.data() + done, bytes.size() - done);
            if (n <= 0)
                return false;
            done += static_cast<std::size_t>(n);
        }
        return true;
    }

    // Writes lines one at a time with a pause, as a receiver sends them.
    bool play(const std::string& bytes, std::chrono::milliseconds pauseEachLine)
    {
        std::size_t start = 0;
        while (start < bytes.size()) {
            std::size_t end = bytes.find('\n', start);
            end = end == std::string::npos ? bytes.size() : end + 1;
            if (!write(bytes.substr(start, end - start)))
                return false;
            start = end;
            std::this_thread::sleep_for(pauseEachLine);
        }
        return true;
    }

    void closeMaster()
    {
        if (master_ >= 0)
            ::close(master_);
        master_ = -1;
    }

private:
    int master_ = -1;
    int keeper_ = -1;
    std::string slavePath_;
};

}  // namespace veltrin::test
