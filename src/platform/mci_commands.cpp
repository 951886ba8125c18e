#include "platform/mci_commands.h"

#include <algorithm>
#include <cctype>
#include <vector>

namespace kb {

namespace {

bool SameWord(const std::string& a, const std::string& b) {
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](unsigned char x, unsigned char y) {
               return std::tolower(x) == std::tolower(y);
           });
}

// Words split at blanks; a double-quoted word may hold blanks (a path).
bool SplitWords(const std::string& command, std::vector<std::string>& words) {
    size_t i = 0;
    while (i < command.size()) {
        if (command[i] == ' ' || command[i] == '\t') {
            ++i;
            continue;
        }
        if (command[i] == '"') {
            const size_t close = command.find('"', i + 1);
            if (close == std::string::npos) return false;
            words.push_back(command.substr(i + 1, close - i - 1));
            i = close + 1;
        } else {
            const size_t end = command.find_first_of(" \t", i);
            words.push_back(command.substr(i, end - i));
            i = end == std::string::npos ? command.size() : end;
        }
    }
    return true;
}

}  // namespace

int32_t MciMusicDevice::SendString(const std::string& command, std::string& answer) {
    answer.clear();
    std::vector<std::string> w;
    if (!SplitWords(command, w) || w.empty()) return kMciBadArguments;
    const std::string& verb = w[0];

    if (SameWord(verb, "open")) {
        if (w.size() != 4 || !SameWord(w[2], "alias") || w[3].empty()) return kMciBadArguments;
        if (!alias_.empty()) return kMciAliasInUse;  // one piece at a time
        if (!player_.Open(w[1])) return kMciCannotOpen;
        alias_ = w[3];
        return kMciOk;
    }
    const bool known = SameWord(verb, "play") || SameWord(verb, "stop") ||
                       SameWord(verb, "close") || SameWord(verb, "seek") ||
                       SameWord(verb, "status");
    if (!known) return kMciUnknownCommand;
    if (w.size() < 2 || alias_.empty() || !SameWord(w[1], alias_)) return kMciNoSuchAlias;

    if (SameWord(verb, "seek")) {
        if (w.size() != 4 || !SameWord(w[2], "to") || !SameWord(w[3], "start"))
            return kMciBadArguments;
        player_.Rewind();
        return kMciOk;
    }
    if (SameWord(verb, "status")) {
        if (w.size() != 3 || !SameWord(w[2], "mode")) return kMciBadArguments;
        answer = player_.Playing() ? "playing" : "stopped";
        return kMciOk;
    }
    if (w.size() != 2) return kMciBadArguments;
    if (SameWord(verb, "play")) {
        player_.Play();
    } else if (SameWord(verb, "stop")) {
        player_.Stop();
    } else {
        player_.Close();
        alias_.clear();
    }
    return kMciOk;
}

}  // namespace kb
