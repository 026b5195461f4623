// Reference counting for components: the count starts at 1 (the creator's reference),
// changes atomically, and the object deletes itself at zero.
#pragma once
#include <windows.h>

namespace Common {

template <class Base>
class RefCounted : public Base {
public:
    int addRef() override { return InterlockedIncrement(&refs_); }
    int release() override
    {
        LONG n = InterlockedDecrement(&refs_);
        if (n == 0) delete this;
        return n;
    }
protected:
    RefCounted() = default;
    virtual ~RefCounted() = default;
private:
    LONG refs_ = 1;
};

} // namespace Common
