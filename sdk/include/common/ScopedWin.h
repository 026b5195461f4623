// RAII owners for Win32 handles. Copy is deleted, move is allowed; an owned handle and a
// borrowed one are different types (a borrowed handle is just the raw handle).
#pragma once
#include <windows.h>
#include <utility>

namespace Common {

// A kernel handle closed with CloseHandle. INVALID_HANDLE_VALUE and null both mean none.
class ScopedHandle {
public:
    ScopedHandle() = default;
    explicit ScopedHandle(HANDLE h) : h_(h) {}
    ScopedHandle(ScopedHandle&& o) noexcept : h_(o.release()) {}
    ScopedHandle& operator=(ScopedHandle&& o) noexcept
    {
        reset(o.release());
        return *this;
    }
    ScopedHandle(const ScopedHandle&) = delete;
    ScopedHandle& operator=(const ScopedHandle&) = delete;
    ~ScopedHandle() { reset(); }
    HANDLE get() const { return h_; }
    bool valid() const { return h_ && h_ != INVALID_HANDLE_VALUE; }
    HANDLE release()
    {
        HANDLE h = h_;
        h_ = nullptr;
        return h;
    }
    void reset(HANDLE h = nullptr)
    {
        if (valid() && h_ != h) CloseHandle(h_);
        h_ = h;
    }
private:
    HANDLE h_ = nullptr;
};

// A critical section owned by the object; Lock holds it for a scope.
class CriticalSection {
public:
    CriticalSection() { InitializeCriticalSection(&cs_); }
    ~CriticalSection() { DeleteCriticalSection(&cs_); }
    CriticalSection(const CriticalSection&) = delete;
    CriticalSection& operator=(const CriticalSection&) = delete;
    void enter() { EnterCriticalSection(&cs_); }
    void leave() { LeaveCriticalSection(&cs_); }
    class Lock {
    public:
        explicit Lock(CriticalSection& cs) : cs_(cs) { cs_.enter(); }
        ~Lock() { cs_.leave(); }
        Lock(const Lock&) = delete;
        Lock& operator=(const Lock&) = delete;
    private:
        CriticalSection& cs_;
    };
private:
    CRITICAL_SECTION cs_;
};

// A window's DC from GetDC, given back with ReleaseDC. A null window gives the screen's DC.
class WindowDC {
public:
    explicit WindowDC(HWND hwnd) : hwnd_(hwnd), dc_(::GetDC(hwnd)) {}
    ~WindowDC()
    {
        if (dc_) ::ReleaseDC(hwnd_, dc_);
    }
    WindowDC(const WindowDC&) = delete;
    WindowDC& operator=(const WindowDC&) = delete;
    HDC get() const { return dc_; }
    operator HDC() const { return dc_; }
private:
    HWND hwnd_;
    HDC dc_;
};

// A memory DC from CreateCompatibleDC, freed with DeleteDC.
class MemoryDCHandle {
public:
    explicit MemoryDCHandle(HDC compatible) : dc_(CreateCompatibleDC(compatible)) {}
    ~MemoryDCHandle()
    {
        if (dc_) DeleteDC(dc_);
    }
    MemoryDCHandle(const MemoryDCHandle&) = delete;
    MemoryDCHandle& operator=(const MemoryDCHandle&) = delete;
    HDC get() const { return dc_; }
    operator HDC() const { return dc_; }
private:
    HDC dc_;
};

// Selects an object into a DC for a scope and puts the previous one back.
class SelectedObject {
public:
    SelectedObject(HDC dc, HGDIOBJ obj) : dc_(dc), old_(obj ? SelectObject(dc, obj) : nullptr) {}
    ~SelectedObject()
    {
        if (old_) SelectObject(dc_, old_);
    }
    SelectedObject(const SelectedObject&) = delete;
    SelectedObject& operator=(const SelectedObject&) = delete;
private:
    HDC dc_;
    HGDIOBJ old_;
};

// A handle of type T given back with Free: movable, not copyable. Null means none. Taking
// the handle held already keeps it: freeing it first would leave a dead handle.
template <class T, auto Free>
class ScopedOwner {
public:
    ScopedOwner() = default;
    explicit ScopedOwner(T h) : h_(h) {}
    ScopedOwner(ScopedOwner&& o) noexcept : h_(o.release()) {}
    ScopedOwner& operator=(ScopedOwner&& o) noexcept
    {
        reset(o.release());
        return *this;
    }
    ScopedOwner(const ScopedOwner&) = delete;
    ScopedOwner& operator=(const ScopedOwner&) = delete;
    ~ScopedOwner() { reset(); }
    T get() const { return h_; }
    operator T() const { return h_; }
    T release()
    {
        T h = h_;
        h_ = nullptr;
        return h;
    }
    void reset(T h = nullptr)
    {
        if (h_ && h_ != h) Free(h_);
        h_ = h;
    }
private:
    T h_ = nullptr;
};

inline void deleteGdiObject(HGDIOBJ h) { DeleteObject(h); }
inline void destroyMenu(HMENU h) { DestroyMenu(h); }

// A GDI object (bitmap, font, brush, pen, region) deleted with DeleteObject.
template <class T>
using ScopedGdi = ScopedOwner<T, deleteGdiObject>;

// A menu from CreateMenu or CreatePopupMenu, destroyed with DestroyMenu (which takes its
// submenus with it). A menu handed to a window by SetMenu belongs to the window from then on:
// release it first. TrackPopupMenu only borrows the menu.
using ScopedMenu = ScopedOwner<HMENU, destroyMenu>;

// Appends sub to menu as a submenu under caption. On success menu owns it (DestroyMenu on
// menu takes it along) and sub lets go; on failure sub still owns it. Returns the submenu,
// or null on failure.
inline HMENU appendSubmenu(HMENU menu, ScopedMenu& sub, const wchar_t* caption)
{
    if (!sub || !AppendMenuW(menu, MF_POPUP, reinterpret_cast<UINT_PTR>(sub.get()), caption)) return nullptr;
    return sub.release();
}

// A movable global memory block, freed with GlobalFree unless released.
class ScopedHGlobal {
public:
    explicit ScopedHGlobal(HGLOBAL h) : h_(h) {}
    ~ScopedHGlobal()
    {
        if (h_) GlobalFree(h_);
    }
    ScopedHGlobal(const ScopedHGlobal&) = delete;
    ScopedHGlobal& operator=(const ScopedHGlobal&) = delete;
    HGLOBAL get() const { return h_; }
    HGLOBAL release()
    {
        HGLOBAL h = h_;
        h_ = nullptr;
        return h;
    }
private:
    HGLOBAL h_;
};

} // namespace Common
