#pragma once
// The record's pictures, drawn into a surface of their own with the game's typeface: a page of
// the matches (speed and misses over time, wins and losses, best scores, the latest matches)
// and a page of the kana (the table coloured by miss rate, the weakest ten, practice).
#include <string>
#include <vector>

#include "record/figures.h"
#include "record/match_record.h"
#include "screens/surface.h"

namespace kb {

enum class RecordPage { kMatches, kKana };

// What the view shows beside the figures.
struct RecordViewInfo {
    std::u16string where;    // where the record is kept
    std::u16string problem;  // what is wrong with it, in red; empty when well
    std::u16string status;   // what the last action did
    bool practising = false;
    int practiceWords = 0;
    bool confirmingWipe = false;  // the foot asks whether to forget everything
    int chosen = 0;               // the latest match chosen, 0 the newest
};

class RecordView {
  public:
    static constexpr int kWidth = 960;
    static constexpr int kHeight = 640;

    // An empty record's view, drawn with these fonts.
    explicit RecordView(FontEngine* fonts);
    // Takes the record to show (its figures are computed here).
    void Show(const PlayerRecord& record);
    // The figures of the record last shown.
    const RecordFigures& Figures() const { return figures_; }
    // Its latest matches as the matches page lists them, newest first, without kana.
    const std::vector<MatchRecord>& Latest() const { return latest_; }
    // Draws the page and returns the picture.
    const Surface& Draw(RecordPage page, const RecordViewInfo& info);

  private:
    Surface surface_;
    RecordFigures figures_;
    std::vector<MatchRecord> latest_;  // the last few matches, newest first, without kana
};

// The two pages, drawn below the heading and above the foot.
void DrawMatchesPage(Surface& d, const RecordFigures& f, const std::vector<MatchRecord>& latest,
                     int chosen);
void DrawKanaPage(Surface& d, const RecordFigures& f, const RecordViewInfo& info);

// The row of the latest matches at (x, y) of the matches page, 0 the newest; -1 for none.
int LatestRowAt(int x, int y);

// The colour of a miss rate 0..1: green, through yellow at 10%, to red from 25%.
uint32_t RateColour(double rate);

// "Com 3 Normal", "Player": how a match's opponent is named.
std::u16string OpponentName(const MatchRecord& m);

}  // namespace kb
