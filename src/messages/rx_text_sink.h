#pragma once
// Where decoded characters and notices go: the receive window and the raw log.
namespace veltrin {

class RxTextSink {
public:
    virtual ~RxTextSink() = default;
    // One Windows-1251 byte; a zero byte is ignored.
    virtual void putRxChar(unsigned char c) = 0;
    // CR LF into the raw log only.
    virtual void rawLogNewLine() = 0;
    // The bytes of a zero-terminated text, one by one.
    void appendRxText(const char* text)
    {
        while (text && *text)
            putRxChar(static_cast<unsigned char>(*text++));
    }
};

}  // namespace veltrin
