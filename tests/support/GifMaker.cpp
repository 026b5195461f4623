#include "GifMaker.h"
#include <algorithm>

namespace TestSupport {

namespace {

void put16(std::string& out, unsigned v)
{
    out += char(v & 0xFF);
    out += char((v >> 8) & 0xFF);
}

// LZW with 8-bit minimum code size, emitting only literal codes and a clear code often
// enough that the code width stays 9 bits: simple, valid, and plenty for test images.
std::string lzwLiterals(const std::vector<unsigned char>& pixels)
{
    std::string bytes;
    unsigned buffer = 0, bits = 0;
    auto emit = [&](unsigned code) {
        buffer |= code << bits;
        bits += 9;
        while (bits >= 8) {
            bytes += char(buffer & 0xFF);
            buffer >>= 8;
            bits -= 8;
        }
    };
    const unsigned clear = 256, end = 257;
    unsigned sinceClear = 0;
    emit(clear);
    for (unsigned char p : pixels) {
        if (sinceClear == 250) {
            emit(clear);
            sinceClear = 0;
        }
        emit(p);
        ++sinceClear;
    }
    emit(end);
    if (bits > 0) bytes += char(buffer & 0xFF);
    return bytes;
}

} // namespace

std::string makeGif(int width, int height, const std::vector<GifFrame>& frames)
{
    std::string out = "GIF89a";
    put16(out, unsigned(width));
    put16(out, unsigned(height));
    out += char(0xF7); // global colour table of 256 entries
    out += char(0);
    out += char(0);
    for (int i = 0; i < 256; ++i) {
        COLORREF c = i < int(frames.size()) ? frames[size_t(i)].colour : RGB(0, 0, 0);
        out += char(GetRValue(c));
        out += char(GetGValue(c));
        out += char(GetBValue(c));
    }
    // Loop for ever.
    out += "\x21\xFF\x0BNETSCAPE2.0\x03\x01";
    put16(out, 0);
    out += char(0);
    for (size_t f = 0; f < frames.size(); ++f) {
        out += "\x21\xF9\x04";
        out += char(0);
        put16(out, frames[f].delayHundredths);
        out += char(0);
        out += char(0);
        out += char(0x2C);
        put16(out, 0);
        put16(out, 0);
        put16(out, unsigned(width));
        put16(out, unsigned(height));
        out += char(0);
        out += char(8);
        std::vector<unsigned char> pixels(size_t(width) * height, static_cast<unsigned char>(f));
        std::string data = lzwLiterals(pixels);
        for (size_t pos = 0; pos < data.size(); pos += 255) {
            size_t n = std::min<size_t>(255, data.size() - pos);
            out += char(n);
            out.append(data, pos, n);
        }
        out += char(0);
    }
    out += char(0x3B);
    return out;
}

} // namespace TestSupport
