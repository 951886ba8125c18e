// The page has no store of its own yet: its record lasts as long as the tab.
#include "app/machine.h"

namespace kb {

std::unique_ptr<RecordStore> MakeRecordStore(const std::string&) {
    return nullptr;
}

}  // namespace kb
