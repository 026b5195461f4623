#include "grid/ValueFormater.h"
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <type_traits>

namespace ClosedFund {

using Common::XStringW;

static const wchar_t* skipBlanks(const wchar_t* p)
{
    while (*p == L' ' || (*p >= L'\t' && *p <= L'\r')) ++p;
    return p;
}

static bool isDigit(wchar_t c) { return c >= L'0' && c <= L'9'; }

int leadingInt(const wchar_t* text)
{
    const wchar_t* p = skipBlanks(text);
    bool negative = *p == L'-';
    if (*p == L'-' || *p == L'+') ++p;
    long long magnitude = 0;
    for (; isDigit(*p); ++p) {
        magnitude = magnitude * 10 + (*p - L'0');
        if (magnitude > 2147483648LL) magnitude = 2147483648LL; // clamped below; no overflow
    }
    long long v = negative ? -magnitude : magnitude;
    if (v > INT_MAX) return INT_MAX;
    if (v < INT_MIN) return INT_MIN;
    return int(v);
}

double leadingReal(const wchar_t* text)
{
    // Only the plain decimal form counts (no hex, "inf" or "nan"): copy that span as ASCII
    // and let the C library round it.
    const wchar_t* p = skipBlanks(text);
    std::string number;
    if (*p == L'-' || *p == L'+') number.push_back(char(*p++));
    size_t mantissaDigits = 0;
    for (; isDigit(*p); ++p, ++mantissaDigits) number.push_back(char(*p));
    if (*p == L'.') {
        number.push_back('.');
        for (++p; isDigit(*p); ++p, ++mantissaDigits) number.push_back(char(*p));
    }
    if (mantissaDigits == 0) return 0;
    if ((*p == L'e' || *p == L'E') && (isDigit(p[1]) || ((p[1] == L'-' || p[1] == L'+') && isDigit(p[2])))) {
        number.push_back('e');
        ++p;
        if (*p == L'-' || *p == L'+') number.push_back(char(*p++));
        for (; isDigit(*p); ++p) number.push_back(char(*p));
    }
    return std::strtod(number.c_str(), nullptr);
}

// Pieces of text between separators; empty pieces are kept, so n separators give n+1 pieces.
static std::vector<XStringW> splitAt(const XStringW& text, wchar_t separator, size_t maxPieces = SIZE_MAX)
{
    std::vector<XStringW> pieces;
    size_t start = 0;
    while (pieces.size() + 1 < maxPieces) {
        size_t at = text.find(separator, start);
        if (at == XStringW::npos) break;
        pieces.emplace_back(text, start, at - start);
        start = at + 1;
    }
    pieces.emplace_back(text, start); // the rest, separators and all when maxPieces stopped us
    return pieces;
}

// The text with every "%%" made "%".
static XStringW undoublePercent(const XStringW& text)
{
    XStringW out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        out.push_back(text[i]);
        if (text[i] == L'%' && i + 1 < text.size() && text[i + 1] == L'%') ++i;
    }
    return out;
}

// v with the operator applied; a division by a zero operand gives 0.
static double arithmetic(double v, wchar_t op, double operand)
{
    switch (op) {
    case L'+': return v + operand;
    case L'-': return v - operand;
    case L'*': return v * operand;
    case L'/': return operand == 0 ? 0 : v / operand;
    default: return v;
    }
}

// The five operations that differ by value type. A threshold of 0 never matches: scaling
// by it would divide by zero (an integer trap, or an infinite real).
template <class T>
struct ValueOps;

template <>
struct ValueOps<double> {
    static double read(Host::IColumnItem* cell) { return cell->getDouble(); }
    static double parse(const XStringW& text) { return leadingReal(text.c_str()); }
    static void applyOperator(double& v, wchar_t op, double operand) { v = arithmetic(v, op, operand); }
    static bool reaches(double v, double t) { return t != 0 && (v >= t || v <= -t); }
    // A NaN compares equal to every key of an ordered map: it can never be looked up.
    static bool isKey(double v) { return !std::isnan(v); }
    static void write(std::wstring& out, double v, const double* divisor, int precision, const NumberPunct& punct)
    {
        if (divisor) v /= *divisor;
        appendReal(out, v, precision == ValueFormater<double>::kNoPrecision ? -1 : precision, punct);
    }
};

template <>
struct ValueOps<int> {
    static int read(Host::IColumnItem* cell) { return cell->getInt(); }
    static int parse(const XStringW& text) { return leadingInt(text.c_str()); }
    // Computed in floating point and truncated toward zero; results beyond the int range
    // are clamped and a result that is not a number (0 times infinity) is 0.
    static void applyOperator(int& v, wchar_t op, double operand)
    {
        if (!op) return;
        double r = arithmetic(double(v), op, operand);
        if (std::isnan(r))
            v = 0;
        else if (r >= double(INT_MAX))
            v = INT_MAX;
        else if (r <= double(INT_MIN))
            v = INT_MIN;
        else
            v = int(r);
    }
    // In 64 bits, so that negating INT_MIN and INT_MIN / -1 stay defined.
    static bool reaches(int v, int t) { return t != 0 && (v >= t || (long long)v <= -(long long)t); }
    static bool isKey(int) { return true; }
    static void write(std::wstring& out, int v, const int* divisor, int, const NumberPunct& punct)
    {
        long long q = divisor ? (long long)v / (long long)*divisor : (long long)v;
        appendInteger(out, q, punct);
    }
};

template <>
struct ValueOps<XStringW> {
    static XStringW read(Host::IColumnItem* cell) { return cell->getText(); }
    static XStringW parse(const XStringW& text) { return text; }
    static void applyOperator(XStringW&, wchar_t, double) {}
    static bool reaches(const XStringW&, const XStringW&) { return true; }
    static bool isKey(const XStringW&) { return true; }
    static void write(std::wstring& out, const XStringW& v, const XStringW*, int, const NumberPunct&) { out += v; }
};

template <class T>
void ValueFormater<T>::reset()
{
    prefix_.clear();
    suffix_.clear();
    precision_ = 0;
    operator_ = 0;
    scales_.clear();
    substitutions_.clear();
}

template <class T>
bool ValueFormater<T>::SetFormat(const XStringW& format)
{
    reset();
    if (format.empty()) return false;
    std::vector<XStringW> parts = splitAt(format, L':', 5);
    if (parts.size() > 4) parts.resize(4); // the rest is ignored
    if (!parseNumberPattern(parts[0])) return false;
    if (parts.size() > 1 && !parseArithmetic(parts[1])) return false;
    if (parts.size() > 2 && !parseScaleUnits(parts[2])) return false;
    if (parts.size() > 3 && !parseSubstitutions(parts[3])) return false;
    return true;
}

template <class T>
bool ValueFormater<T>::parseNumberPattern(const XStringW& part)
{
    if (part.empty()) return true;
    // The first "%" that is not doubled.
    size_t percent = XStringW::npos;
    for (size_t i = 0; i < part.size(); ++i) {
        if (part[i] != L'%') continue;
        if (i + 1 < part.size() && part[i + 1] == L'%') {
            ++i;
            continue;
        }
        percent = i;
        break;
    }
    if (percent == XStringW::npos || percent + 1 == part.size()) return false;
    size_t letter = part.find(L'f', percent);
    if (letter == XStringW::npos) letter = part.find(L'd', percent);
    if (letter == XStringW::npos) return false;
    prefix_ = undoublePercent(part.substr(0, percent));
    suffix_ = undoublePercent(part.substr(letter + 1));
    wchar_t before = part[letter - 1];
    if (part[letter] == L'd')
        precision_ = 0;
    else
        precision_ = isDigit(before) ? int(before - L'0') : kNoPrecision;
    return true;
}

template <class T>
bool ValueFormater<T>::parseArithmetic(const XStringW& part)
{
    if (part.empty()) return true;
    wchar_t op = part[0];
    if (op != L'+' && op != L'-' && op != L'*' && op != L'/') return false;
    operator_ = op;
    if (part.size() == 1) {
        operand_ = 0; // an operator without a number works on 0
        return false;
    }
    operand_ = leadingReal(part.c_str() + 1);
    return true;
}

template <class T>
bool ValueFormater<T>::parseScaleUnits(const XStringW& part)
{
    if (part.empty()) return true;
    std::vector<XStringW> pieces = splitAt(part, L';');
    defaultUnit_ = pieces[0];
    for (size_t i = 1; i < pieces.size(); ++i) {
        std::vector<XStringW> entry = splitAt(pieces[i], L',', 3);
        if (entry.size() != 2) return false;
        scales_.push_back(ScaleEntry{ValueOps<T>::parse(entry[0]), entry[1]});
    }
    return true;
}

template <class T>
bool ValueFormater<T>::parseSubstitutions(const XStringW& part)
{
    for (const XStringW& piece : splitAt(part, L';')) {
        std::vector<XStringW> entry = splitAt(piece, L'=', 3);
        if (entry.size() != 2) return false;
        substitutions_.emplace(ValueOps<T>::parse(entry[0]), entry[1]); // keeps an earlier key
    }
    return true;
}

// The last entry whose threshold the value reaches, or null.
template <class T>
const typename ValueFormater<T>::ScaleEntry* ValueFormater<T>::chooseScale(const T& value) const
{
    for (auto it = scales_.rbegin(); it != scales_.rend(); ++it) {
        if (ValueOps<T>::reaches(value, it->threshold)) return &*it;
    }
    return nullptr;
}

template <class T>
XStringW ValueFormater<T>::Format(Host::IColumnItem* cellOrNull)
{
    if (!cellOrNull || cellOrNull->isNull()) return XStringW(L"--");
    T value = ValueOps<T>::read(cellOrNull);
    if (!substitutions_.empty() && ValueOps<T>::isKey(value)) {
        auto hit = substitutions_.find(value);
        if (hit != substitutions_.end()) return hit->second;
    }
    ValueOps<T>::applyOperator(value, operator_, operand_);
    const ScaleEntry* scale = chooseScale(value);
    const XStringW* unit = scale ? &scale->unit : (scales_.empty() ? nullptr : &defaultUnit_);
    if constexpr (std::is_same_v<T, XStringW>) {
        // A text shown as it is needs no copy.
        if (prefix_.empty() && suffix_.empty() && (!unit || unit->empty())) return value;
    }
    text_.clear();
    text_ += prefix_;
    ValueOps<T>::write(text_, value, scale ? &scale->threshold : nullptr, precision_, punct_);
    text_ += suffix_;
    if (unit) text_ += *unit;
    return XStringW(text_);
}

template class ValueFormater<double>;
template class ValueFormater<int>;
template class ValueFormater<XStringW>;

} // namespace ClosedFund
