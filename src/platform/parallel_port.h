#pragma once
// Parallel ports through the kernel's ppdev interface: /dev/parport0..2 for
// LPT1..LPT3, and a port named by its I/O base address found among the ports
// the kernel knows. Writes go to the data and control registers.
#include <cstdint>
#include <memory>
#include <string>

namespace veltrin {

class ParallelPortAccess {
public:
    virtual ~ParallelPortAccess() = default;
    // lpt 1..3, or 4 for the port at `address`. False when no usable port
    // device could be opened and claimed.
    virtual bool open(int lpt, std::uint16_t address) = 0;
    virtual bool isOpen() const = 0;
    virtual bool writeData(std::uint8_t value) = 0;
    virtual bool writeControl(std::uint8_t value) = 0;
    virtual void close() = 0;
};

class PpdevParallelPort : public ParallelPortAccess {
public:
    // `root` is where the device nodes are ("/dev"); `sysRoot` holds the
    // kernel's port list ("/proc/sys/dev/parport").
    explicit PpdevParallelPort(std::string root = "/dev", std::string sysRoot = "/proc/sys/dev/parport")
        : root_(std::move(root)), sysRoot_(std::move(sysRoot)) {}
    ~PpdevParallelPort() override { close(); }

    bool open(int lpt, std::uint16_t address) override;
    bool isOpen() const override { return fd_ >= 0; }
    bool writeData(std::uint8_t value) override;
    bool writeControl(std::uint8_t value) override;
    void close() override;

    // The parportN whose I/O base address is `address`, or -1.
    int portWithBaseAddress(std::uint16_t address) const;

private:
    std::string root_;
    std::string sysRoot_;
    int fd_ = -1;
};

}  // namespace veltrin
