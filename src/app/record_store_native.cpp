// The desktop keeps the player's record in SQLite.
#include "app/machine.h"
#include "platform/sqlite/sqlite_record_store.h"

namespace kb {

std::unique_ptr<RecordStore> MakeRecordStore(const std::string& dir) {
    return std::make_unique<SqliteRecordStore>(dir);
}

}  // namespace kb
