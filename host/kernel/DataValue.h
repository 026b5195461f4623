// How a cell's stored value reads as another kind, the way SQLite's column readers convert:
// a text reads as its leading number, a number as its text. Shared by cells and sorters.
#pragma once
#include "host/IXUnknown.h"
#include <cstddef>
#include <cstdint>

namespace Kernel {

// SQLite's text of a real: 1.5 -> "1.5", 2.0 -> "2.0", 1e20 -> "1.0e+20", 1.0/3 ->
// "0.33333333333333332"; NaN (never stored) gives "".
XStringW formatReal(double value);

// The real that the text starts with: leading blanks, sign, digits, point, exponent.
// "12.50%" -> 12.5, "abc" -> 0.0.
double leadingReal(const wchar_t* text, size_t length);

// The integer that the text starts with (leading blanks, sign, digits), clamped to int64.
// "12.9" -> 12, "1e3" -> 1, "abc" -> 0.
int64_t leadingInt64(const wchar_t* text, size_t length);

// A real truncated toward zero into int64, clamped; NaN gives 0.
int64_t realToInt64(double value);

// The int64 clamped into int (rather than wrapped, which would turn big values negative).
int clampToInt(int64_t value);

// True when the text is one number, perhaps with a unit or mark after it: after leading
// blanks a number begins ("-3.4", ".5", "12.50%", "3 份") and no digit follows it. A text
// holding more numbers, such as a date "2029-09-28", is not one: read as its leading
// number it would compare by its year alone.
bool readsAsOneNumber(const wchar_t* text, size_t length);

// True for a value that means "nothing here": only blanks, or "--" (blanks around allowed).
bool isEmptyText(const wchar_t* text, size_t length);

} // namespace Kernel
