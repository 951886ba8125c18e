#include "app/sim_state.h"

#include <cstdio>
#include <sstream>

#include "shell/ustr.h"

namespace kb {

namespace {

class Json {
public:
    template <typename T>
    void Field(const char* name, const T& value) {
        Key(name);
        Value(value);
    }
    template <typename T, size_t N>
    void Field(const char* name, const std::array<T, N>& values) {
        Key(name);
        List(values.begin(), values.end());
    }
    void Field(const char* name, const std::vector<std::u16string>& values) {
        Key(name);
        List(values.begin(), values.end());
    }
    template <typename It>
    void List(It begin, It end) {
        out_ << '[';
        for (It it = begin; it != end; ++it) {
            if (it != begin) out_ << ',';
            Value(*it);
        }
        out_ << ']';
    }
    std::string Done() { return out_.str() + "}"; }

private:
    void Key(const char* name) {
        out_ << (first_ ? "{" : ",") << '"' << name << "\":";
        first_ = false;
    }
    void Value(const std::u16string& s) {
        out_ << '"';
        for (char c : ToUtf8(s)) {
            const unsigned char u = static_cast<unsigned char>(c);
            if (c == '"' || c == '\\') {
                out_ << '\\' << c;
            } else if (u < 0x20) {
                char buf[8];
                std::snprintf(buf, sizeof buf, "\\u%04x", u);
                out_ << buf;
            } else {
                out_ << c;
            }
        }
        out_ << '"';
    }
    void Value(float v) {
        char buf[32];
        std::snprintf(buf, sizeof buf, "%.9g", static_cast<double>(v));
        out_ << buf;
    }
    void Value(uint8_t v) { out_ << static_cast<int>(v); }
    template <typename T>
    void Value(T v) {
        out_ << static_cast<long long>(v);
    }
    std::ostringstream out_;
    bool first_ = true;
};

}  // namespace

std::string StateJson(const Game& g) {
    const GameState& s = g.s;
    Json j;
#define KB_FIELD(name) j.Field(#name, s.name)
    KB_FIELD(KeyState); KB_FIELD(KeyHold); KB_FIELD(LastKeyUp); KB_FIELD(DispW); KB_FIELD(DispH);
    KB_FIELD(InputStr); KB_FIELD(InputOn); KB_FIELD(TypeCount); KB_FIELD(WordNo);
    KB_FIELD(KanaPos); KB_FIELD(MissCount); KB_FIELD(MissFlag); KB_FIELD(StartSec);
    KB_FIELD(PlaySec); KB_FIELD(SceneNo); KB_FIELD(GameLevel); KB_FIELD(ResultSec);
    KB_FIELD(EndSec); KB_FIELD(MyMisState); KB_FIELD(MyMisX); KB_FIELD(MyMisY);
    KB_FIELD(MyMisPower); KB_FIELD(MyMisAnim); KB_FIELD(EnMisState); KB_FIELD(EnMisX);
    KB_FIELD(EnMisY); KB_FIELD(EnMisPower); KB_FIELD(EnMisAnim); KB_FIELD(SpeedBonus);
    KB_FIELD(LaneNo); KB_FIELD(GameResult); KB_FIELD(TwipsX); KB_FIELD(TwipsY);
    KB_FIELD(ComWordLen); KB_FIELD(ComPos); KB_FIELD(ComWait); KB_FIELD(ComTimer);
    KB_FIELD(ComWordNo); KB_FIELD(MenuNo); KB_FIELD(MenuMax); KB_FIELD(GameMode);
    KB_FIELD(SeBuf); KB_FIELD(TypeSeNo); KB_FIELD(WaveColPhase); KB_FIELD(WaveColStart);
    KB_FIELD(WaveRowPhase); KB_FIELD(WaveRowStart); KB_FIELD(WaveRowAmp); KB_FIELD(WaveColAmp);
    KB_FIELD(WaveLeft); KB_FIELD(WaveHold); KB_FIELD(ExpX); KB_FIELD(ExpY); KB_FIELD(ExpSpeed);
    KB_FIELD(ExpState); KB_FIELD(LastKeyStr); KB_FIELD(ShiftDown); KB_FIELD(StartCount);
    KB_FIELD(BackLoaded);
#undef KB_FIELD
    size_t occupied = 0;
    while (occupied < s.SendList.size() && !s.SendList[occupied].empty()) ++occupied;
    std::vector<std::u16string> sendList(s.SendList.begin(), s.SendList.begin() + occupied);
    j.Field("SendList", sendList);
    j.Field("Fps", g.loop.Fps);
    j.Field("Goku", g.Goku);
    j.Field("Yomi", g.Yomi);
    j.Field("Wrong", g.Wrong);
    j.Field("SortW", g.SortW);
    return j.Done();
}

}  // namespace kb
