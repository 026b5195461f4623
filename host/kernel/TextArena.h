// The text storage of a column: UTF-16 code units in one block that grows like a vector's,
// but lends room at its end to be written in place. A fill decodes each text straight into
// it: no zero-filling first, no copy after (a call into the runtime per short text).
#pragma once
#include <algorithm>
#include <cstddef>
#include <cstring>
#include <memory>

namespace Kernel {

class TextArena {
public:
    const wchar_t* data() const { return units_.get(); }
    size_t size() const { return size_; }
    size_t capacity() const { return capacity_; }

    void reserve(size_t units)
    {
        if (units > capacity_) reallocate(units);
    }
    // Room for count more units at the end; they belong to the arena once committed.
    wchar_t* room(size_t count)
    {
        if (count > capacity_ - size_) reallocate(std::max(size_ + count, capacity_ * 2));
        return units_.get() + size_;
    }
    void commit(size_t count) { size_ += count; }
    void append(const wchar_t* units, size_t count)
    {
        if (count == 0) return;
        std::memcpy(room(count), units, count * sizeof(wchar_t));
        size_ += count;
    }
    // Drops the units from size on (a text found stored already); capacity stays.
    void truncate(size_t size) { size_ = std::min(size, size_); }
    void clear() { size_ = 0; }
    // Gives back the capacity beyond what the texts take, or beyond least if that is more.
    void shrinkTo(size_t least)
    {
        size_t keep = std::max(size_, least);
        if (capacity_ > keep) reallocate(keep);
    }

private:
    void reallocate(size_t capacity)
    {
        // new[] without (): the units are written before they are read.
        std::unique_ptr<wchar_t[]> units(capacity ? new wchar_t[capacity] : nullptr);
        if (size_) std::memcpy(units.get(), units_.get(), size_ * sizeof(wchar_t));
        units_.swap(units);
        capacity_ = capacity;
    }

    std::unique_ptr<wchar_t[]> units_;
    size_t size_ = 0;
    size_t capacity_ = 0;
};

} // namespace Kernel
