// A stroke list's temporary file changed behind the list's back: one
// record's right-outline count raised or lowered, so that the records no
// longer frame the bytes the list wrote. The damage the replays must refuse.
#pragma once

#include <cstdint>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

class TStrokeFileDamage {
public:
    // Finds where each record starts (colour, opacity and renderer come
    // first, then nLeft at 9, the Left points, nRight and the Right points).
    explicit TStrokeFileDamage(std::string fileName) : fileName_(std::move(fileName))
    {
        std::ifstream in(fileName_, std::ios::binary);
        bytes_.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        for (int64_t at = 0; at < Size();) {
            starts_.push_back(at);
            at = RightCountAt(Records() - 1) + 4 + 8 * int64_t(Int32At(RightCountAt(Records() - 1)));
        }
    }

    int32_t Records() const { return static_cast<int32_t>(starts_.size()); }
    int64_t Size() const { return static_cast<int64_t>(bytes_.size()); }
    int32_t RightCount(int32_t record) const { return Int32At(RightCountAt(record)); }

    // The raise of `record`'s right count that makes it end exactly where
    // record + 1 + `swallowed` starts.
    int32_t SwallowingRaise(int32_t record, int32_t swallowed) const
    {
        const int64_t to = record + 1 + swallowed < Records() ? starts_[size_t(record + 1 + swallowed)] : Size();
        return static_cast<int32_t>((to - starts_[size_t(record + 1)]) / 8);
    }

    // Adds `delta` to the right count of `record`, in the file.
    void AddToRightCount(int32_t record, int32_t delta)
    {
        const int64_t at = RightCountAt(record);
        const uint32_t value = uint32_t(Int32At(at) + delta);
        std::fstream f(fileName_, std::ios::in | std::ios::out | std::ios::binary);
        f.seekp(at);
        const char bytes[4] = {char(value), char(value >> 8), char(value >> 16), char(value >> 24)};
        f.write(bytes, 4);
        if (!f) throw std::runtime_error("cannot damage " + fileName_);
        for (int b = 0; b < 4; ++b) bytes_[size_t(at + b)] = bytes[b];
    }

private:
    int64_t RightCountAt(int32_t record) const
    {
        const int64_t at = starts_.at(size_t(record));
        return at + 13 + 8 * int64_t(Int32At(at + 9));
    }
    int32_t Int32At(int64_t at) const
    {
        if (at < 0 || at + 4 > Size()) throw std::runtime_error("not a stroke file: " + fileName_);
        uint32_t v = 0;
        for (int b = 3; b >= 0; --b) v = v << 8 | uint8_t(bytes_[size_t(at + b)]);
        return int32_t(v);
    }

    std::string fileName_;
    std::vector<char> bytes_;
    std::vector<int64_t> starts_;
};
