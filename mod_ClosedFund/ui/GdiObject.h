// Owner of one GDI handle (a font, a brush), deleted with DeleteObject.
#pragma once
#include <windows.h>

namespace gdiobj {

template <class T>
class GdiObject {
public:
    GdiObject() = default;
    explicit GdiObject(T handle) : m_handle(handle) {}
    GdiObject(const GdiObject&) = delete;
    GdiObject& operator=(const GdiObject&) = delete;
    virtual ~GdiObject() { DeleteNow(); }

    // Takes ownership of handle. The handle held before is deleted: an owner that forgot it
    // would leak one GDI object on every replacement (a brush per theme change, say).
    void Attach(T handle)
    {
        if (handle == m_handle) return;
        DeleteNow();
        m_handle = handle;
    }
    void DeleteNow()
    {
        if (m_handle) ::DeleteObject(m_handle);
        m_handle = nullptr;
    }
    T GetHandle() const { return m_handle; }
    operator T() const { return m_handle; }

private:
    T m_handle = nullptr;
};

} // namespace gdiobj
