// The value formatter of a grid column: turns a cell into the text the grid shows, after a
// `text_format` of up to four ":"-separated parts (number pattern, arithmetic, scale units,
// value substitutions). One formatter per column, parsed once, reused for every cell.
#pragma once
#include "grid/UserNumpunct.h"
#include "host/Data.h"
#include <map>
#include <vector>

namespace ClosedFund {

// T is the column's value type: double (real), int (integer) or Common::XStringW (text).
template <class T>
class ValueFormater {
public:
    // Precision meaning "none given": the stream's default notation.
    static constexpr int kNoPrecision = 100;

    // Numbers follow the given punctuation; by default the user's regional settings.
    explicit ValueFormater(const NumberPunct& punct = userNumberPunct()) : punct_(punct) {}
    virtual ~ValueFormater() = default;

    // Resets (all but the operand and the default unit), then parses format. False at the
    // first part that fails, keeping what was set up to there; false for an empty text.
    virtual bool SetFormat(const XStringW& format);
    // The text of the cell; "--" for no cell or a null one. Never fails, never parses.
    virtual XStringW Format(Host::IColumnItem* cellOrNull);

    const XStringW& prefix() const { return prefix_; }
    const XStringW& suffix() const { return suffix_; }
    int precision() const { return precision_; }
    wchar_t operatorChar() const { return operator_; }
    double operand() const { return operand_; }
    const XStringW& defaultUnit() const { return defaultUnit_; }
    size_t scaleCount() const { return scales_.size(); }
    size_t substitutionCount() const { return substitutions_.size(); }
    const std::map<T, XStringW>& substitutions() const { return substitutions_; }

private:
    struct ScaleEntry {
        T threshold;
        XStringW unit;
    };

    void reset();
    bool parseNumberPattern(const XStringW& part);
    bool parseArithmetic(const XStringW& part);
    bool parseScaleUnits(const XStringW& part);
    bool parseSubstitutions(const XStringW& part);
    const ScaleEntry* chooseScale(const T& value) const;

    NumberPunct punct_;
    XStringW prefix_;
    XStringW suffix_;
    int precision_ = 0;
    wchar_t operator_ = 0;
    double operand_ = 0;
    XStringW defaultUnit_;
    std::vector<ScaleEntry> scales_;      // in the order written
    std::map<T, XStringW> substitutions_; // the first text written for a key wins
    std::wstring text_;                   // reused by Format so a cell costs no growth
};

extern template class ValueFormater<double>;
extern template class ValueFormater<int>;
extern template class ValueFormater<Common::XStringW>;

// Reading of numbers written in a format: the leading number of the text (blanks, a sign,
// digits; for reals a point and an exponent), anything after it ignored, none giving 0.
// Integers beyond the int range are clamped to it.
int leadingInt(const wchar_t* text);
double leadingReal(const wchar_t* text);

} // namespace ClosedFund
