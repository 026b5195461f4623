// Ordering rows by one field. Rows fall into three groups, each sorted on its own: numbers by
// value, texts in GB2312 byte order, and empty values (NULL, blank, "--", or a text the field
// shows as a placeholder). Ascending gives numbers, texts, empty values; descending gives
// texts, numbers (both reversed), empty values: empty values stay last either way. Rows that
// compare equal keep the order they came in.
//
// Each group is one contiguous array of (key, position) read straight from the column, so a
// sort of a million rows works on neighbouring memory instead of chasing rows through calls.
// Numbers, the usual sort, go by a radix sort over their bits: its time grows with the rows,
// not with rows times their logarithm.
#pragma once
#include "host/Data.h"
#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

namespace Kernel {

class DataColumn;

class FieldOrder {
public:
    // placeholders: stored texts of the field that sort as empty values (may be null).
    FieldOrder(const std::vector<std::wstring>* placeholders, bool descending);

    // Stable-sorts rows[0..count) (indexes into container) by the column.
    void sort(Host::IDataContainer* container, int column, int* rows, int count);

private:
    enum Group : uint8_t { NUMBER, TEXT, EMPTY };
    // The value's bits made to order as unsigned numbers in the sort's direction.
    struct NumberKey {
        uint64_t key;
        int position;
    };
    struct TextKey {
        uint64_t prefix; // the first eight bytes, for most comparisons
        uint32_t offset; // GB2312 bytes in bytes_
        uint32_t length;
        int position;
    };
    // A classified text, kept per arena offset for a column whose texts repeat.
    struct Classified {
        Group group;
        double number;
        uint64_t prefix;
        uint32_t offset;
        uint32_t length;
    };

    void readColumn(const DataColumn& cells, bool numeric, const std::vector<int>& tableRows);
    void readItems(Host::IDataContainer* container, int column, bool numeric, const int* rows, int count);
    void addText(const wchar_t* chars, size_t length, bool numeric, int position);
    Classified classify(const wchar_t* chars, size_t length, bool numeric);
    void add(const Classified& c, int position);
    void addNumber(double value, int position);
    void sortGroups();
    void sortNumbers();
    bool textBefore(const TextKey& a, const TextKey& b) const;

    const std::vector<std::wstring>* placeholders_;
    bool descending_;
    std::vector<NumberKey> numbers_;
    std::vector<TextKey> texts_;
    std::vector<int> empties_;
    std::string bytes_;
    std::unordered_map<size_t, Classified> byOffset_;
};

} // namespace Kernel
