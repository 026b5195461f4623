// Rectangle of the host's common library: a RECT with the usual helpers.
#pragma once
#include <windows.h>

namespace Common {

struct XRect : RECT {
    XRect() : RECT{0, 0, 0, 0} {}
    XRect(LONG l, LONG t, LONG r, LONG b) : RECT{l, t, r, b} {}
    XRect(const RECT& rc) : RECT(rc) {}
    LONG Width() const { return right - left; }
    LONG Height() const { return bottom - top; }
    bool IsEmpty() const { return right <= left || bottom <= top; }
    bool Contains(LONG x, LONG y) const { return x >= left && x < right && y >= top && y < bottom; }
    void Offset(LONG dx, LONG dy)
    {
        left += dx;
        right += dx;
        top += dy;
        bottom += dy;
    }
    void Inflate(LONG dx, LONG dy)
    {
        left -= dx;
        right += dx;
        top -= dy;
        bottom += dy;
    }
    bool operator==(const XRect& o) const
    {
        return left == o.left && top == o.top && right == o.right && bottom == o.bottom;
    }
};

} // namespace Common
