#pragma once
// SockWork: the blocking TCP socket helper shared by the gateways. This is
// its shell so that the process-wide object exists from the start; the
// connection work is added with the gateways.
namespace veltrin {

class SockWork {
public:
    // Closes the connection, if any.
    void Close() {}
};

}  // namespace veltrin
