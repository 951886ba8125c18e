// Where each build keeps the player's record, chosen in this one place.
#include "app/machine.h"
#ifndef __EMSCRIPTEN__
#include "platform/sqlite/sqlite_record_store.h"
#endif

namespace kb {

std::unique_ptr<RecordStore> MakeRecordStore(const std::string& dir) {
#ifdef __EMSCRIPTEN__
    // No folder holds the page's record: the page hands in its own store (app/page/page_record.h).
    (void)dir;
    return nullptr;
#else
    return std::make_unique<SqliteRecordStore>(dir);
#endif
}

}  // namespace kb
