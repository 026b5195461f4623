// Reference-counted pointer over host components (anything with addRef and release).
// Copying adds a reference, letting go releases one. A component handed out by the host
// already carries one reference for the receiver: take it with XComPtr<T>::adopt.
#pragma once
#include <cstddef>
#include <utility>

namespace Common {

template <class T>
class XComPtr {
public:
    XComPtr() = default;
    XComPtr(std::nullptr_t) {}
    // Shares p: adds a reference (as a copy would).
    XComPtr(T* p) : p_(p)
    {
        if (p_) p_->addRef();
    }
    XComPtr(const XComPtr& o) : p_(o.p_)
    {
        if (p_) p_->addRef();
    }
    XComPtr(XComPtr&& o) noexcept : p_(o.p_) { o.p_ = nullptr; }
    template <class U>
    XComPtr(const XComPtr<U>& o) : p_(o.get())
    {
        if (p_) p_->addRef();
    }
    ~XComPtr() { reset(); }

    // Copy and swap: assigning to itself adds a reference, then drops one.
    // NOLINTNEXTLINE(bugprone-unhandled-self-assignment)
    XComPtr& operator=(const XComPtr& o)
    {
        XComPtr(o).swap(*this);
        return *this;
    }
    XComPtr& operator=(XComPtr&& o) noexcept
    {
        XComPtr(std::move(o)).swap(*this);
        return *this;
    }
    XComPtr& operator=(T* p)
    {
        XComPtr(p).swap(*this);
        return *this;
    }
    XComPtr& operator=(std::nullptr_t)
    {
        reset();
        return *this;
    }

    // Takes over the one reference p carries, without adding another.
    static XComPtr adopt(T* p)
    {
        XComPtr r;
        r.p_ = p;
        return r;
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
        T* p = p_;
        p_ = nullptr;
        if (p) p->release();
    }
    void swap(XComPtr& o) noexcept { std::swap(p_, o.p_); }

    T* get() const { return p_; }
    T* operator->() const { return p_; }
    T& operator*() const { return *p_; }
    explicit operator bool() const { return p_ != nullptr; }
    bool operator==(const XComPtr& o) const { return p_ == o.p_; }
    bool operator!=(const XComPtr& o) const { return p_ != o.p_; }

    // The same object seen through another interface, or empty when it has not that one.
    template <class U>
    XComPtr<U> cast() const
    {
        return XComPtr<U>(dynamic_cast<U*>(p_));
    }

private:
    T* p_ = nullptr;
};

} // namespace Common
