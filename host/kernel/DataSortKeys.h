// Sort keys of one field over a set of rows, computed once per sort so that comparing two
// rows never converts text. The order is a consistent total order (as a stable sort needs):
// numbers, then texts in GB2312 byte order, then empty values; descending reverses the first
// two but empty values stay last.
#pragma once
#include "host/Data.h"
#include <string>
#include <vector>

namespace Kernel {

class DataSortKeys {
public:
    // Keys of column `column` for rows[0..count) of the container, read by its value type.
    DataSortKeys(Host::IDataContainer* container, int column, const int* rows, int count);

    // True when row key a sorts before row key b (indexes into the rows given).
    bool before(int a, int b, bool descending) const;

private:
    enum Group : unsigned char { NUMBER = 0, TEXT = 1, EMPTY = 2 };
    struct Key {
        Group group = EMPTY;
        double number = 0.0;
        size_t offset = 0;   // GB2312 bytes of a text, in bytes_
        size_t length = 0;
    };
    void readNumber(Host::IColumnItem* item, Key& key);
    void readText(Host::IColumnItem* item, Key& key);
    int compare(const Key& a, const Key& b) const;

    std::vector<Key> keys_;
    std::string bytes_;
};

} // namespace Kernel
