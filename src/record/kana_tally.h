#pragma once
// Counts, during a match, how often each kana was typed and missed and what was typed instead.
// The typing judgement tells it what it accepted and where it counted a miss.
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "record/match_record.h"

namespace kb {

// Whether c is a small kana that joins the kana before it into one (ゃ in きゃ, ぇ in しぇ).
bool JoinsPrevious(char16_t c);
// Where the kana that holds position pos of a reading starts: pos, or pos - 1 when pos is a
// small kana joined to the one before.
int KanaStart(std::u16string_view reading, int pos);
// The reading cut into kana as they are typed: きょうと gives きょ, う, と.
std::vector<std::u16string> SplitKana(std::u16string_view reading);

class KanaTally {
  public:
    // Forgets everything: a new match.
    void Clear();
    // The judgement accepted n characters of the reading from position from (0-based).
    void Accepted(std::u16string_view reading, int from, int n);
    // The judgement counted a miss at position pos of the reading with typed in the buffer.
    // A kana counts one miss each time it comes up, however often the player slips on it.
    void Missed(std::u16string_view reading, int pos, std::u16string_view typed);
    // The counts so far, in the order of the kana's text.
    std::vector<KanaCount> Counts() const;

  private:
    struct Tally {
        int typed = 0, missed = 0;
        std::map<std::u16string, int> instead;
    };
    std::map<std::u16string, Tally> kana_;
    int missedStart_ = -1;  // start of the kana in the current word already counted as missed
};

}  // namespace kb
