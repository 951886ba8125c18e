#include "record/match_record.h"

#include <algorithm>
#include <random>

namespace kb {

std::string Hex16(uint64_t bits) {
    static constexpr char kHex[] = "0123456789abcdef";
    std::string out(16, '0');
    for (int i = 0; i < 16; ++i) out[i] = kHex[(bits >> (60 - 4 * i)) & 0xF];
    return out;
}

std::string NewRecordId() {
    std::random_device device;
    return Hex16((static_cast<uint64_t>(device()) << 32) ^ device());
}

void SortRecord(PlayerRecord& record) {
    auto byTime = [](const auto& a, const auto& b) {
        return a.at != b.at ? a.at < b.at : a.id < b.id;
    };
    std::stable_sort(record.matches.begin(), record.matches.end(), byTime);
    std::stable_sort(record.practice.begin(), record.practice.end(), byTime);
}

}  // namespace kb
