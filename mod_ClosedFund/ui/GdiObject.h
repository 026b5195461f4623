// Owner of one GDI handle (a font, a brush) kept by a window for its lifetime, in the
// toolkit's spelling; the deleting is the common owner's (common/ScopedWin.h).
#pragma once
#include <common/ScopedWin.h>

namespace gdiobj {

template <class T>
class GdiObject {
public:
    GdiObject() = default;
    explicit GdiObject(T handle) : handle_(handle) {}
    GdiObject(const GdiObject&) = delete;
    GdiObject& operator=(const GdiObject&) = delete;
    ~GdiObject() = default;

    // Takes ownership of handle. The handle held before is deleted: an owner that forgot it
    // would leak one GDI object on every replacement (a brush per theme change, say).
    void Attach(T handle) { handle_.reset(handle); }
    void DeleteNow() { handle_.reset(); }
    T GetHandle() const { return handle_.get(); }
    operator T() const { return handle_.get(); }

private:
    Common::ScopedGdi<T> handle_;
};

} // namespace gdiobj
