// Builds animated GIF images in memory for tests: each frame one solid colour, with its
// own delay in hundredths of a second.
#pragma once
#include <windows.h>
#include <string>
#include <vector>

namespace TestSupport {

struct GifFrame {
    COLORREF colour;
    unsigned delayHundredths;
};

std::string makeGif(int width, int height, const std::vector<GifFrame>& frames);

} // namespace TestSupport
