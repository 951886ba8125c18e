#include "app/page/page_record.h"

#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <cstdio>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "app/page/page_calls.h"
#include "app/page/page_replays.h"
#include "platform/web/page_script.h"
#include "record/entry_record_store.h"
#include "record/record_actions.h"
#include "record/record_json.h"
#include "record_view/record_screen.h"
#include "text/ustr.h"

namespace kb {
namespace {

// Each entry kept in the browser's storage (web/record.js).
EntryRecordStore store(
    [](EntryKind kind, const std::string& key, const std::string& text) {
        kb_record_write(static_cast<int>(kind), key.c_str(), text.c_str());
    },
    [] { kb_record_wipe(); },
    "this browser's storage for this site (IndexedDB \"kanaburst-record\")");
Game* game = nullptr;
std::optional<RecordScreen> screen;
std::vector<uint8_t> rgba;  // the picture as the page's canvas takes it
std::string answer;         // the text a call returns, alive until the next such call

// The record files going to and from the player: export writes one here and the page downloads
// it, import reads one the page put here. Their own names show in the record's foot.
constexpr char kFileFolder[] = "/record-files";

// Runs `work` in the record files' folder, so that a file is named by its own name.
template <typename Work>
void InFileFolder(Work work) {
    char here[PATH_MAX];
    mkdir(kFileFolder, 0700);
    if (!getcwd(here, sizeof here) || chdir(kFileFolder) != 0) return;
    work();
    if (chdir(here) != 0) std::perror(here);
}

// The picture to the page's record canvas, which shows it.
void Present() {
    const PixelView view = screen->Picture().View();
    rgba.resize(static_cast<size_t>(view.W()) * view.H() * 4);
    for (size_t i = 0; i < rgba.size() / 4; ++i) {
        const uint32_t c = view.Pixels()[i];
        rgba[i * 4] = (c >> 16) & 0xFF;
        rgba[i * 4 + 1] = (c >> 8) & 0xFF;
        rgba[i * 4 + 2] = c & 0xFF;
        rgba[i * 4 + 3] = 0xFF;
    }
    kb_record_show(rgba.data(), view.W(), view.H());
}

bool Open() {
    if (!screen || !RecordScreen::MayOpen(*game)) return false;
    screen->Open();
    Present();
    return true;
}

void Close() {
    if (!screen) return;
    screen->Close();
    kb_record_hide();
}

void Export() {
    const std::string name = RecordFileName(game->sv.clock->Now());
    bool written = false;
    InFileFolder([&] { written = screen->Export(name); });
    if (written) kb_record_download((std::string(kFileFolder) + "/" + name).c_str(), name.c_str());
    Present();
}

// What a key or a click asks of the page: the record closes for a replay watched in the canvas,
// and a replay saved is offered as a download.
void Answer(RecordScreen::Request request) {
    switch (request) {
        case RecordScreen::Request::kClose:
            return Close();
        case RecordScreen::Request::kExport:
            return Export();
        case RecordScreen::Request::kWatch: {
            std::string why;
            if (WatchKeptReplay(screen->ChosenReplay(), why)) return Close();
            std::fprintf(stderr, "The replay cannot be played: %s\n", why.c_str());
            return Present();
        }
        case RecordScreen::Request::kSaveReplay: {
            std::string name;
            InFileFolder([&] { name = screen->SaveReplay(""); });
            if (!name.empty())
                kb_record_download((std::string(kFileFolder) + "/" + name).c_str(), name.c_str());
            return Present();
        }
        case RecordScreen::Request::kNone:
            return Present();
    }
}

}  // namespace

RecordStore& PageRecord() {
    return store;
}

void StartPageRecord(Game& g) {
    game = &g;
    screen.emplace(g);
}

bool TakeRecordKey(const SDL_Event& ev) {
    if ((ev.type != SDL_KEYDOWN && ev.type != SDL_KEYUP) || ev.key.keysym.sym != SDLK_F2)
        return false;
    if (ev.type == SDL_KEYDOWN && !ev.key.repeat) Open();
    return true;
}

void UpdatePageRecord() {
    if (screen && screen->Update()) Present();
}

}  // namespace kb

using kb::screen;
using kb::store;

extern "C" int kanaburst_record_open() {
    return kb::Open() ? 1 : 0;
}

extern "C" void kanaburst_record_close() {
    kb::Close();
}

extern "C" void kanaburst_record_key(int keyCode) {
    if (screen && screen->IsOpen()) kb::Answer(screen->KeyDown(keyCode));
}

extern "C" void kanaburst_record_click(int x, int y) {
    if (screen && screen->IsOpen()) kb::Answer(screen->Click(x, y));
}

extern "C" void kanaburst_record_export() {
    if (screen && screen->IsOpen()) kb::Export();
}

extern "C" void kanaburst_record_import(const char* name, const uint8_t* bytes, int length) {
    if (!screen || !screen->IsOpen()) return;
    // The player's file under its own name, in the folder and nowhere else.
    std::string file = name;
    file.erase(0, file.find_last_of('/') + 1);
    if (file.empty() || file == "." || file == "..") file = "record.json";
    kb::InFileFolder([&] {
        std::ofstream(file, std::ios::binary).write(reinterpret_cast<const char*>(bytes), length);
        screen->Import(file);
        std::remove(file.c_str());
    });
    kb::Present();
}

extern "C" void kanaburst_record_stored(int kind, const char* key, const char* text) {
    if (kind < 0 || kind > static_cast<int>(kb::EntryKind::kReplay)) return;
    store.Stored(static_cast<kb::EntryKind>(kind), key, text);
}

extern "C" const char* kanaburst_record_read() {
    store.ReadDone();
    kb::answer = store.Problem();
    return kb::answer.c_str();
}

extern "C" void kanaburst_record_problem(const char* problem) {
    store.SetKeeperProblem(problem);
}

extern "C" void kanaburst_record_forget() {
    store.Forget();
}

extern "C" const char* kanaburst_record_file() {
    kb::answer = kb::RecordToJson(store.Load(true), 0);
    return kb::answer.c_str();
}
