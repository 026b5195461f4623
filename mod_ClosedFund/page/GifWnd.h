// A child window that plays an animated GIF held in memory (the page's refresh indicator).
// Every animated window of the process is advanced by one shared worker thread, which wakes
// every 10 ms and draws the windows whose frame delay has passed.
#pragma once
#include "ui/WindowBase.h"
#include "ui/WindowProc.h"
#include <windows.h>
#include <memory>
#include <vector>

namespace Gdiplus {
class Image;
}

namespace ClosedFund {

class GifWnd : public WGUI::WindowBase {
public:
    // Decodes the bytes (copied; the caller keeps its buffer). Bytes that do not decode
    // leave the window without an image: it stays blank and never animates.
    GifWnd(const void* bytes, unsigned size, COLORREF background);
    // Destroys the window if it still exists, then frees the image.
    ~GifWnd() override;
    GifWnd(const GifWnd&) = delete;
    GifWnd& operator=(const GifWnd&) = delete;

    // Registers "Client2_GifWnd" on first use and creates the window; null on failure.
    HWND Create(DWORD style, DWORD exStyle, const wchar_t* caption, const RECT& rect, HWND parent, HMENU menu,
                HINSTANCE instance);
    void startAnimation();
    void stopAnimation();

    bool OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result) override;

    bool hasImage() const { return image_ != nullptr; }
    bool isAnimating() const { return animating_; }
    unsigned frameCount() const { return frameCount_; }
    // State of the shared animation thread (0 stopped, 1 running, 2 starting, 3 stopping).
    static int animationThreadState();
    // The clock frame delays are measured on, read once per round of the shared thread;
    // null puts back the tick count. Lets a test move time itself.
    typedef DWORD(WINAPI* Clock)();
    static void setClock(Clock clock);

private:
    friend class AnimationRegistry;
    void loadImage(const void* bytes, unsigned size);
    // Worker thread: shows the next frame once the current one's delay has passed.
    void advanceFrame(DWORD now);
    void drawCurrentFrame();

    WGUI::WindowProc thunk_;
    COLORREF background_;
    std::unique_ptr<Gdiplus::Image> image_;
    std::vector<GUID> dimensions_;
    unsigned frameCount_ = 0;
    std::vector<UINT> delays_; // hundredths of a second, one per frame
    unsigned frame_ = 0;
    DWORD lastChange_ = 0;
    DWORD delayMs_ = 0;
    volatile bool animating_ = false;
};

} // namespace ClosedFund
