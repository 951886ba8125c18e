#include "app/sim_state.h"

#include <algorithm>
#include <cstdio>
#include <sstream>

#include "net/connection.h"
#include "text/ustr.h"

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
    // The send queue has no gaps: it is printed up to its first empty slot.
    void Field(const char* name, const SendArray& queue) {
        Key(name);
        List(queue.begin(), std::find(queue.begin(), queue.end(), std::u16string()));
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
#define KB_PRINT_FIELD(type, name) j.Field(#name, s.name);
    KB_GAME_STATE_FIELDS(KB_PRINT_FIELD)
#undef KB_PRINT_FIELD
    j.Field("Fps", g.loop.Fps);
    j.Field("Goku", g.Goku);
    j.Field("Yomi", g.Yomi);
    j.Field("Wrong", g.Wrong);
    j.Field("SortW", g.SortW);
    j.Field("RoomCode", RoomCode(g));  // the relay's room the waiting server opened
    return j.Done();
}

}  // namespace kb
