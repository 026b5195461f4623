#include "page/GifWnd.h"
#include "page/AnimationRegistry.h"
#include "ui/Dpi.h"
#include "ui/WindowClass.h"
#include "common/ComPtr.h"
#include "common/MemoryDC.h"
#include "common/ScopedWin.h"
#include <objidl.h>
#include <gdiplus.h>

namespace ClosedFund {

namespace {

const wchar_t kClassName[] = L"Client2_GifWnd";
const PROPID kFrameDelayProperty = 0x5100;

} // namespace

GifWnd::GifWnd(const void* bytes, unsigned size, COLORREF background) : background_(background)
{
    if (bytes && size) loadImage(bytes, size);
}

GifWnd::~GifWnd()
{
    if (IsWindow()) DestroyWindow();
    // The last stopAnimation may have left the worker winding down; it must not outlive the
    // image it might still be drawing. A worker that other windows keep busy is left alone.
    AnimationRegistry::instance().waitWhileStopping(30000);
}

void GifWnd::loadImage(const void* bytes, unsigned size)
{
    Common::ScopedHGlobal block(GlobalAlloc(GMEM_MOVEABLE, size));
    if (!block.get()) return;
    void* dest = GlobalLock(block.get());
    if (!dest) return;
    memcpy(dest, bytes, size);
    GlobalUnlock(block.get());
    Common::ComPtr<IStream> stream;
    if (FAILED(CreateStreamOnHGlobal(block.get(), TRUE, stream.put()))) return;
    // The stream frees the block when its last reference goes (the image keeps one).
    block.release();
    std::unique_ptr<Gdiplus::Image> image(Gdiplus::Image::FromStream(stream.get(), FALSE));
    stream.reset();
    if (!image || image->GetLastStatus() != Gdiplus::Ok || image->GetWidth() == 0) return;

    UINT count = image->GetFrameDimensionsCount();
    if (count == 0) return;
    dimensions_.resize(count);
    image->GetFrameDimensionsList(dimensions_.data(), count);
    frameCount_ = image->GetFrameCount(&dimensions_[0]);

    UINT propertySize = image->GetPropertyItemSize(kFrameDelayProperty);
    if (propertySize >= sizeof(Gdiplus::PropertyItem)) {
        std::vector<BYTE> buffer(propertySize);
        auto* item = reinterpret_cast<Gdiplus::PropertyItem*>(buffer.data());
        if (image->GetPropertyItem(kFrameDelayProperty, propertySize, item) == Gdiplus::Ok && item->value) {
            const UINT* values = static_cast<const UINT*>(item->value);
            delays_.assign(values, values + item->length / sizeof(UINT));
        }
    }
    image_ = std::move(image);
}

HWND GifWnd::Create(DWORD style, DWORD exStyle, const wchar_t* caption, const RECT& rect, HWND parent, HMENU menu,
                    HINSTANCE instance)
{
    if (!WGUI::RegisterWindowClass(instance, kClassName)) return nullptr;
    return WindowBase::Create(style, exStyle, kClassName, caption, rect, parent, UINT(reinterpret_cast<UINT_PTR>(menu)),
                              instance, &thunk_);
}

bool GifWnd::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    switch (msg) {
    case WM_CREATE:
        if (image_) {
            AnimationRegistry::instance().add(this);
            // The image is drawn for a 96-dpi screen: at the window's dpi it takes as much of
            // the screen as the strip around it does.
            UINT dpi = WGUI::WindowDpi(hwnd_);
            SetWindowPos(hwnd_, nullptr, 0, 0, WGUI::Scale(int(image_->GetWidth()), dpi),
                         WGUI::Scale(int(image_->GetHeight()), dpi), SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
            startAnimation();
        }
        return false;
    case WM_DESTROY:
        stopAnimation();
        AnimationRegistry::instance().remove(this);
        return false;
    case WM_ERASEBKGND: *result = 1; return true;
    case WM_SHOWWINDOW:
        if (wParam)
            startAnimation();
        else
            stopAnimation();
        return false;
    default: return false;
    }
}

void GifWnd::startAnimation()
{
    if (animating_ || !image_) return;
    animating_ = true;
    AnimationRegistry::instance().animationStarted();
}

void GifWnd::stopAnimation()
{
    if (!animating_) return;
    animating_ = false;
    AnimationRegistry::instance().animationStopped();
}

int GifWnd::animationThreadState() { return AnimationRegistry::instance().threadState(); }
void GifWnd::setClock(Clock clock) { AnimationRegistry::instance().setClock(clock); }

void GifWnd::advanceFrame(DWORD now)
{
    if (!animating_ || !::IsWindow(hwnd_) || !image_ || frameCount_ == 0) return;
    if (now - lastChange_ < delayMs_) return; // unsigned: survives the tick count wrapping
    if (++frame_ >= frameCount_) frame_ = 0;
    image_->SelectActiveFrame(&dimensions_[0], frame_);
    UINT hundredths = frame_ < delays_.size() ? delays_[frame_] : 0;
    delayMs_ = hundredths ? hundredths * 10 : 100;
    lastChange_ = now;
    drawCurrentFrame();
}

void GifWnd::drawCurrentFrame()
{
    RECT rc;
    if (!::GetClientRect(hwnd_, &rc) || rc.right <= 0 || rc.bottom <= 0) return;
    Common::WindowDC windowDC(hwnd_);
    if (!windowDC.get()) return;
    Common::MemoryDC canvas(windowDC, rc);
    if (!canvas.ok()) return;
    Common::ScopedGdi<HBRUSH> brush(CreateSolidBrush(background_));
    FillRect(canvas, &rc, brush);
    Gdiplus::Graphics graphics(canvas);
    // At the window's dpi, as the window was sized; a window made larger shows the background
    // around it.
    UINT dpi = WGUI::WindowDpi(hwnd_);
    if (dpi != WGUI::kBaseDpi) graphics.SetInterpolationMode(Gdiplus::InterpolationModeHighQualityBicubic);
    graphics.DrawImage(image_.get(), 0, 0, WGUI::Scale(int(image_->GetWidth()), dpi),
                       WGUI::Scale(int(image_->GetHeight()), dpi));
}

} // namespace ClosedFund
