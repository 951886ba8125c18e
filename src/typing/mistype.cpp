#include "typing/mistype.h"

#include <algorithm>

#include "debug/debug_log.h"

namespace kb {
namespace {

// Records are "CCCC:K:SSSS" with up to two more "  SSSS" samples.
constexpr std::size_t kCountLen = 4;
constexpr std::size_t kKanaAt = 5;  // character 6
constexpr std::size_t kSampleLen = 4;
constexpr int kMaxCount = 9999;  // what four digits hold; the count stops there
constexpr int kMaxSamples = 3;

int RecordCount(const std::u16string& record) {
    int count = 0;
    for (std::size_t i = 0; i < kCountLen && i < record.size(); ++i) {
        if (record[i] < u'0' || record[i] > u'9') break;
        count = count * 10 + (record[i] - u'0');
    }
    return count;
}

std::u16string FourDigits(int count) {
    std::u16string out(kCountLen, u'0');
    for (std::size_t i = kCountLen; i-- > 0 && count > 0; count /= 10)
        out[i] = static_cast<char16_t>(u'0' + count % 10);
    return out;
}

}  // namespace

void addWrong(Game& g, std::u16string expected, std::u16string typed) {
    std::u16string sample = typed.substr(0, kSampleLen);
    sample.resize(kSampleLen, u' ');

    const auto same = std::find_if(g.Wrong.begin(), g.Wrong.end(), [&](const std::u16string& r) {
        return !expected.empty() && r.size() > kKanaAt && r[kKanaAt] == expected[0];
    });
    if (same != g.Wrong.end()) {
        const int count = std::min(RecordCount(*same) + 1, kMaxCount);
        std::u16string record = FourDigits(count) + same->substr(kCountLen);
        if (count <= kMaxSamples) record += u"  " + sample;
        *same = std::move(record);
    } else {
        g.Wrong.push_back(u"0001:" + expected + u":" + sample);
    }
    DebugAdd(g, 2, u"Add Miss Type : " + expected + u" : " + sample);
}

void SortWrong(Game& g) {
    g.SortW.clear();
    while (!g.Wrong.empty()) {
        // Only a strictly greater count takes over, so equal counts keep their first-miss order.
        int best = 0;
        std::size_t bestAt = 0;
        for (std::size_t i = 0; i < g.Wrong.size(); ++i) {
            const int count = RecordCount(g.Wrong[i]);
            if (count > best) {
                best = count;
                bestAt = i;
            }
        }
        g.SortW.push_back(std::move(g.Wrong[bestAt]));
        g.Wrong.erase(g.Wrong.begin() + static_cast<std::ptrdiff_t>(bestAt));
    }
}

}  // namespace kb
