// Any bytes as a record file to import, its replays read as the game reads them. A file is
// either refused with a reason and changes nothing, or taken whole: then it writes back to the
// same record, replays and all, and the record's figures and both its pages can be made from it.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "record/record_json.h"
#include "record/record_store.h"
#include "record_view/record_view.h"
#include "replay/replay_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    kb::MemoryRecordStore store;
    kb::PlayerRecord read;
    std::string why;
    if (!kb::RecordFromJson(text, read, why, kb::ReplayPlays)) {
        if (why.empty() || !read.matches.empty()) std::abort();
        return 0;
    }
    kb::PlayerRecord again;
    if (!kb::RecordFromJson(kb::RecordToJson(read, 0), again, why, kb::ReplayPlays) ||
        !(again == read))
        std::abort();
    kb::AddOutcome outcome;
    if (!store.Add(read, outcome, why)) std::abort();
    if (outcome.added + outcome.known !=
        static_cast<int>(read.matches.size() + read.practice.size()))
        std::abort();
    kb::NullFontEngine fonts;
    kb::RecordView view(&fonts);
    view.Show(store.Load(false));
    view.Draw(kb::RecordPage::kMatches, {});
    view.Draw(kb::RecordPage::kKana, {});
    return 0;
}
