// Owner of one reference to a system COM object (AddRef/Release spelling), and of a BSTR.
// Host components count with addRef/release and have XComPtr; these are for what COM itself
// hands out (MSXML documents, streams, accessibility objects). Copy adds a reference;
// letting go releases one.
#pragma once
#include <windows.h>
#include <oleauto.h>
#include <unknwn.h>
#include <utility>

namespace Common {

// The one assignment takes its argument by value: a move assigns by moving into it.
template <class T>
class ComPtr { // NOLINT(cppcoreguidelines-special-member-functions)
public:
    ComPtr() = default;
    ComPtr(const ComPtr& o) : p_(o.p_)
    {
        if (p_) p_->AddRef();
    }
    ComPtr(ComPtr&& o) noexcept : p_(o.p_) { o.p_ = nullptr; }
    ComPtr& operator=(ComPtr o) noexcept
    {
        std::swap(p_, o.p_);
        return *this;
    }
    ~ComPtr() { reset(); }

    // Takes over the reference p carries (what an out parameter or a getter hands over).
    static ComPtr adopt(T* p)
    {
        ComPtr r;
        r.p_ = p;
        return r;
    }
    // Takes a reference of its own to p (what a borrowed pointer needs to be kept).
    static ComPtr share(T* p)
    {
        if (p) p->AddRef();
        return adopt(p);
    }
    T* get() const { return p_; }
    T* operator->() const { return p_; }
    explicit operator bool() const { return p_ != nullptr; }
    // For out parameters: releases what is held and gives the slot.
    T** put()
    {
        reset();
        return &p_;
    }
    // Gives up the pointer without releasing it; the caller now owns that reference.
    T* detach()
    {
        T* p = p_;
        p_ = nullptr;
        return p;
    }
    void reset()
    {
        if (p_) {
            T* p = p_;
            p_ = nullptr;
            p->Release();
        }
    }
    // The same object through another interface; empty when it has not that one.
    template <class U>
    ComPtr<U> query(const IID& iid) const
    {
        ComPtr<U> r;
        if (p_ && FAILED(p_->QueryInterface(iid, reinterpret_cast<void**>(r.put())))) r.reset();
        return r;
    }

private:
    T* p_ = nullptr;
};

// A BSTR freed with SysFreeString.
class ScopedBstr {
public:
    explicit ScopedBstr(const wchar_t* s = nullptr) : s_(s ? SysAllocString(s) : nullptr) {}
    ~ScopedBstr() { SysFreeString(s_); }
    ScopedBstr(const ScopedBstr&) = delete;
    ScopedBstr& operator=(const ScopedBstr&) = delete;
    BSTR get() const { return s_; }
    BSTR* put()
    {
        SysFreeString(s_);
        s_ = nullptr;
        return &s_;
    }
    // The text, "" for a null BSTR (which COM treats as empty).
    const wchar_t* text() const { return s_ ? s_ : L""; }
private:
    BSTR s_;
};

} // namespace Common
