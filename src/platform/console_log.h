#pragma once
// The debug console's log: one growing text, each entry ended by CR LF, plus where each shown
// line starts. Appending costs the entry's length only, so a log of 100,000 lines still takes
// a line in no time, and a window can draw just the lines in view.
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace kb {

class ConsoleLog {
  public:
    // Adds the entry and CR LF. Line breaks inside the entry start lines of their own, as they
    // would in a text box.
    void Append(std::u16string_view entry);
    // Empties the log.
    void Clear();

    // The whole log, each entry ended by CR LF, and how many lines it shows.
    const std::u16string& Text() const { return text_; }
    size_t LineCount() const { return starts_.size(); }
    // Line i without its line end.
    std::u16string_view Line(size_t i) const;

  private:
    std::u16string text_;
    std::vector<size_t> starts_;
};

}  // namespace kb
