#include "platform/console_log.h"

namespace kb {

void ConsoleLog::Append(std::u16string_view entry) {
    size_t at = text_.size();
    text_.append(entry);
    text_.append(u"\r\n");
    // CR LF, a lone LF and a lone CR each end a line.
    while (at < text_.size()) {
        starts_.push_back(at);
        while (text_[at] != u'\r' && text_[at] != u'\n') ++at;
        at += text_.compare(at, 2, u"\r\n") == 0 ? 2 : 1;
    }
}

void ConsoleLog::Clear() {
    // Give the memory back: a closed console's log is gone for good.
    std::u16string().swap(text_);
    std::vector<size_t>().swap(starts_);
}

std::u16string_view ConsoleLog::Line(size_t i) const {
    const size_t begin = starts_[i];
    size_t end = i + 1 < starts_.size() ? starts_[i + 1] : text_.size();
    if (end - begin >= 2 && text_.compare(end - 2, 2, u"\r\n") == 0)
        end -= 2;
    else
        --end;  // every line has an end, so there is one to drop
    return std::u16string_view(text_).substr(begin, end - begin);
}

}  // namespace kb
