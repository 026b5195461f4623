#include "Pixels.h"
#include <gdiplus.h>
#include <cstdlib>

namespace TestSupport {

COLORREF Capture::at(int x, int y) const
{
    if (x < 0 || y < 0 || x >= width || y >= height) return CLR_INVALID;
    DWORD p = pixels[size_t(y) * width + x];
    return RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
}

int Capture::countOther(const RECT& r, COLORREF c) const
{
    int n = 0;
    for (int y = r.top; y < r.bottom; ++y)
        for (int x = r.left; x < r.right; ++x)
            if (at(x, y) != c) ++n;
    return n;
}

static Capture captureWith(HWND hwnd, bool fromScreen, const RECT* area = nullptr)
{
    Capture c;
    RECT rc;
    if (area)
        rc = {0, 0, area->right - area->left, area->bottom - area->top};
    else if (!GetClientRect(hwnd, &rc))
        return c;
    if (rc.right <= 0 || rc.bottom <= 0) return c;
    c.width = rc.right;
    c.height = rc.bottom;
    BITMAPINFO bi = {};
    bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
    bi.bmiHeader.biWidth = c.width;
    bi.bmiHeader.biHeight = -c.height;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HDC screen = GetDC(nullptr);
    HDC mem = CreateCompatibleDC(screen);
    HBITMAP bmp = CreateDIBSection(screen, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(mem, bmp);
    if (area) {
        BitBlt(mem, 0, 0, c.width, c.height, screen, area->left, area->top, SRCCOPY);
    } else if (fromScreen) {
        UpdateWindow(hwnd);
        HDC wdc = GetDC(hwnd);
        BitBlt(mem, 0, 0, c.width, c.height, wdc, 0, 0, SRCCOPY);
        ReleaseDC(hwnd, wdc);
    } else {
        SendMessageW(hwnd, WM_PRINTCLIENT, WPARAM(mem), PRF_CLIENT | PRF_ERASEBKGND);
    }
    GdiFlush();
    c.pixels.assign(static_cast<DWORD*>(bits), static_cast<DWORD*>(bits) + size_t(c.width) * c.height);
    for (DWORD& p : c.pixels) p &= 0x00FFFFFF;
    SelectObject(mem, old);
    DeleteObject(bmp);
    DeleteDC(mem);
    ReleaseDC(nullptr, screen);
    return c;
}

Capture printClient(HWND hwnd) { return captureWith(hwnd, false); }
Capture grabScreen(HWND hwnd) { return captureWith(hwnd, true); }
Capture grabScreenArea(const RECT& area) { return captureWith(nullptr, true, &area); }

static bool pngEncoder(CLSID* clsid)
{
    UINT count = 0, size = 0;
    Gdiplus::GetImageEncodersSize(&count, &size);
    if (size == 0) return false;
    std::vector<BYTE> buf(size);
    auto* codecs = reinterpret_cast<Gdiplus::ImageCodecInfo*>(buf.data());
    Gdiplus::GetImageEncoders(count, size, codecs);
    for (UINT i = 0; i < count; ++i)
        if (wcscmp(codecs[i].MimeType, L"image/png") == 0) {
            *clsid = codecs[i].Clsid;
            return true;
        }
    return false;
}

bool saveArtifact(const Capture& c, const std::wstring& name)
{
    if (c.width <= 0 || c.height <= 0) return false;
    const wchar_t* dir = _wgetenv(L"CLIENT2_ARTIFACTS");
    std::wstring folder = dir && *dir ? dir : L"artifacts";
    CreateDirectoryW(folder.c_str(), nullptr);
    std::vector<DWORD> px(c.pixels);
    for (DWORD& p : px) p |= 0xFF000000;
    Gdiplus::Bitmap bmp(c.width, c.height, c.width * 4, PixelFormat32bppARGB, reinterpret_cast<BYTE*>(px.data()));
    CLSID png;
    if (!pngEncoder(&png)) return false;
    std::wstring path = folder + L"\\" + name + L".png";
    return bmp.Save(path.c_str(), &png, nullptr) == Gdiplus::Ok;
}

void pumpMessages(DWORD ms)
{
    DWORD start = GetTickCount();
    do {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        Sleep(1);
    } while (GetTickCount() - start < ms);
}

} // namespace TestSupport
