#include "export/ZipWriter.h"
#include <windows.h>
#include <zlib.h>

namespace ClosedFund {

namespace {

const uint32_t kLocalHeader = 0x04034b50, kDescriptor = 0x08074b50, kCentralHeader = 0x02014b50,
               kDirectoryEnd = 0x06054b50;
const uint16_t kVersion = 20;           // 2.0: deflate
const uint16_t kHasDescriptor = 0x0008; // checksum and sizes follow the data
const uint16_t kDeflated = 8;
const uint64_t kLimit = 0xFFFFFFFFull;
const size_t kScratch = size_t(64) << 10;
const size_t kFlushAt = size_t(256) << 10; // bytes gathered before they go to the sink

void put16(std::string& out, uint16_t v)
{
    out += char(v & 0xFF);
    out += char(v >> 8);
}

void put32(std::string& out, uint32_t v)
{
    for (int i = 0; i < 4; ++i) out += char((v >> (8 * i)) & 0xFF);
}

} // namespace

ZipWriter::ZipWriter(ByteSink& sink, int level) : sink_(sink)
{
    SYSTEMTIME now;
    GetLocalTime(&now);
    dosTime_ = uint16_t((now.wHour << 11) | (now.wMinute << 5) | (now.wSecond / 2));
    dosDate_ = uint16_t(((now.wYear < 1980 ? 0 : now.wYear - 1980) << 9) | (now.wMonth << 5) | now.wDay);
    out_.reserve(kFlushAt + kScratch);
    scratch_.resize(kScratch);
    stream_ = new z_stream();
    // Raw deflate: the zip entry carries its own header and checksum.
    if (deflateInit2(stream_, level, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY) != Z_OK) {
        delete stream_;
        stream_ = nullptr;
        fail(L"压缩组件无法启动。");
    }
}

ZipWriter::~ZipWriter()
{
    if (!stream_) return;
    deflateEnd(stream_);
    delete stream_;
}

bool ZipWriter::fail(const wchar_t* why)
{
    if (error_.empty()) error_ = why;
    return false;
}

void ZipWriter::emit(const char* bytes, size_t length)
{
    out_.insert(out_.end(), bytes, bytes + length);
    written_ += length;
    if (out_.size() >= kFlushAt) flushOut();
}

void ZipWriter::flushOut()
{
    if (!out_.empty()) sink_.put(out_.data(), out_.size());
    out_.clear();
}

bool ZipWriter::beginEntry(const std::string& name)
{
    if (failed()) return false;
    if (inEntry_ || finished_ || name.empty() || name.size() > 0xFFFF) return fail(L"压缩包的条目有误。");
    if (written_ > kLimit) return fail(L"文件超过 4 GB，无法写成工作簿。");
    Entry entry;
    entry.name = name;
    entry.offset = written_;
    entries_.push_back(entry);
    std::string header;
    put32(header, kLocalHeader);
    put16(header, kVersion);
    put16(header, kHasDescriptor);
    put16(header, kDeflated);
    put16(header, dosTime_);
    put16(header, dosDate_);
    put32(header, 0); // checksum and sizes: in the descriptor
    put32(header, 0);
    put32(header, 0);
    put16(header, uint16_t(name.size()));
    put16(header, 0);
    header += name;
    emit(header.data(), header.size());
    deflateReset(stream_);
    inEntry_ = true;
    return true;
}

bool ZipWriter::deflateInput(const char* bytes, size_t length, int flush)
{
    char* scratch = scratch_.data();
    Entry& entry = entries_.back();
    // zlib counts in 32-bit units: feed at most 1 GiB at a time.
    do {
        size_t piece = length < (1u << 30) ? length : (1u << 30);
        stream_->next_in = reinterpret_cast<Bytef*>(const_cast<char*>(bytes));
        stream_->avail_in = uInt(piece);
        bytes += piece;
        length -= piece;
        int pieceFlush = length ? Z_NO_FLUSH : flush;
        int rc = Z_OK;
        do {
            stream_->next_out = reinterpret_cast<Bytef*>(scratch);
            stream_->avail_out = uInt(kScratch);
            rc = deflate(stream_, pieceFlush);
            if (rc == Z_STREAM_ERROR) return fail(L"压缩失败。");
            size_t produced = kScratch - stream_->avail_out;
            entry.packed += produced;
            emit(scratch, produced);
        } while (stream_->avail_out == 0 || (pieceFlush == Z_FINISH && rc != Z_STREAM_END));
    } while (length);
    if (entry.packed > kLimit || entry.size > kLimit) return fail(L"文件超过 4 GB，无法写成工作簿。");
    return true;
}

bool ZipWriter::write(const char* bytes, size_t length)
{
    if (failed()) return false;
    if (!inEntry_) return fail(L"压缩包的条目有误。");
    if (!length) return true;
    Entry& entry = entries_.back();
    const Bytef* p = reinterpret_cast<const Bytef*>(bytes);
    for (size_t left = length; left;) {
        uInt piece = uInt(left < (1u << 30) ? left : (1u << 30));
        entry.crc = uint32_t(crc32(entry.crc, p, piece));
        p += piece;
        left -= piece;
    }
    entry.size += length;
    return deflateInput(bytes, length, Z_NO_FLUSH);
}

bool ZipWriter::endEntry()
{
    if (failed()) return false;
    if (!inEntry_) return fail(L"压缩包的条目有误。");
    inEntry_ = false;
    if (!deflateInput("", 0, Z_FINISH)) return false;
    const Entry& entry = entries_.back();
    std::string descriptor;
    put32(descriptor, kDescriptor);
    put32(descriptor, entry.crc);
    put32(descriptor, uint32_t(entry.packed));
    put32(descriptor, uint32_t(entry.size));
    emit(descriptor.data(), descriptor.size());
    return true;
}

bool ZipWriter::finish()
{
    if (failed()) return false;
    if (inEntry_ || finished_) return fail(L"压缩包的条目有误。");
    finished_ = true;
    uint64_t directoryAt = written_;
    if (directoryAt > kLimit || entries_.size() > 0xFFFF) return fail(L"文件超过 4 GB，无法写成工作簿。");
    std::string directory;
    for (const Entry& entry : entries_) {
        put32(directory, kCentralHeader);
        put16(directory, kVersion); // made by: MS-DOS attributes, version 2.0
        put16(directory, kVersion);
        put16(directory, kHasDescriptor);
        put16(directory, kDeflated);
        put16(directory, dosTime_);
        put16(directory, dosDate_);
        put32(directory, entry.crc);
        put32(directory, uint32_t(entry.packed));
        put32(directory, uint32_t(entry.size));
        put16(directory, uint16_t(entry.name.size()));
        put16(directory, 0); // extra field
        put16(directory, 0); // comment
        put16(directory, 0); // disk
        put16(directory, 0); // internal attributes
        put32(directory, 0); // external attributes
        put32(directory, uint32_t(entry.offset));
        directory += entry.name;
    }
    uint64_t size = directory.size();
    if (directoryAt + size > kLimit) return fail(L"文件超过 4 GB，无法写成工作簿。");
    put32(directory, kDirectoryEnd);
    put16(directory, 0); // this disk
    put16(directory, 0); // the directory's disk
    put16(directory, uint16_t(entries_.size()));
    put16(directory, uint16_t(entries_.size()));
    put32(directory, uint32_t(size));
    put32(directory, uint32_t(directoryAt));
    put16(directory, 0); // comment
    emit(directory.data(), directory.size());
    flushOut();
    return true;
}

} // namespace ClosedFund
