// A zip archive written front to back, as the client's file interface allows (it cannot
// seek): each entry is deflated as it comes and followed by a data descriptor with its
// checksum and sizes, and the central directory closes the archive. No entry or archive may
// pass 4 GiB (the archive is written without the 64-bit extension).
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

typedef struct z_stream_s z_stream;

namespace ClosedFund {

// Where the archive's bytes go, in order. A sink keeps its own failure (the client's file
// interface reports none until the file is closed).
class ByteSink {
public:
    virtual void put(const char* bytes, size_t length) = 0;

protected:
    ~ByteSink() = default;
};

class ZipWriter {
public:
    // level: the deflate level, 1 (fastest) to 9.
    explicit ZipWriter(ByteSink& sink, int level = 1);
    ZipWriter(const ZipWriter&) = delete;
    ZipWriter& operator=(const ZipWriter&) = delete;
    ~ZipWriter();

    // Entries one at a time: begin, any number of writes, end. False once anything failed
    // (out of memory, past 4 GiB); the failure stays, and error() says which.
    bool beginEntry(const std::string& name);
    bool write(const char* bytes, size_t length);
    bool write(const std::string& bytes) { return write(bytes.data(), bytes.size()); }
    bool endEntry();
    // The central directory; nothing may be added afterwards.
    bool finish();

    bool failed() const { return !error_.empty(); }
    const std::wstring& error() const { return error_; }

private:
    struct Entry {
        std::string name;
        uint32_t crc = 0;
        uint64_t packed = 0, size = 0, offset = 0;
    };

    bool deflateInput(const char* bytes, size_t length, int flush);
    void emit(const char* bytes, size_t length);
    void flushOut();
    bool fail(const wchar_t* why);

    ByteSink& sink_;
    z_stream* stream_ = nullptr;
    bool inEntry_ = false;
    bool finished_ = false;
    uint16_t dosTime_ = 0, dosDate_ = 0;
    uint64_t written_ = 0; // bytes handed to the sink so far, the next entry's offset
    std::vector<Entry> entries_;
    std::vector<char> out_;     // deflated bytes not yet handed on
    std::vector<char> scratch_; // deflate's output, before it joins out_
    std::wstring error_;
};

} // namespace ClosedFund
