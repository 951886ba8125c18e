#include "typing/word_file.h"

#include <optional>

#include "text/ustr.h"

namespace kb {
namespace {

// Bytes that are no text become stand-in characters and the load goes on, as the system's
// converter reads the file; such a word shows the stand-in.
std::u16string Decode(std::string_view bytes) {
    constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";
    if (bytes.starts_with(kUtf8Bom)) return FromUtf8(bytes.substr(kUtf8Bom.size()));
    return FromCp932(bytes);
}

bool IsBlank(char16_t c) {
    return c == u' ' || c == u'\t';
}
bool IsLineEnd(char16_t c) {
    return c == u'\r' || c == u'\n';
}
bool EndsField(char16_t c) {
    return c == u',' || IsLineEnd(c);
}

// Reads fields the way BASIC's `Input #` does, plus skipping blank lines.
class FieldReader {
  public:
    FieldReader(std::u16string_view text, bool whole) : text_(text), whole_(whole) {}

    // True at the end of the file; trailing blank lines count as its end.
    bool AtEnd() {
        SkipBlankLines();
        return pos_ == text_.size() && whole_;
    }

    // The next field, or nothing when the text runs out before the field
    // has ended (end of file in the middle of a pair, or a read error).
    std::optional<std::u16string> Next() {
        SkipBlankLines();
        if (pos_ == text_.size()) return std::nullopt;
        while (pos_ < text_.size() && IsBlank(text_[pos_])) ++pos_;

        std::u16string_view value;
        if (pos_ < text_.size() && text_[pos_] == u'"') {
            // A quote that is never closed runs to the end of its line, so one
            // stray quote cannot swallow the rest of the file.
            const std::size_t open = ++pos_;
            while (pos_ < text_.size() && text_[pos_] != u'"' && !IsLineEnd(text_[pos_])) ++pos_;
            value = text_.substr(open, pos_ - open);
            while (pos_ < text_.size() && !EndsField(text_[pos_])) ++pos_;
        } else {
            const std::size_t start = pos_;
            while (pos_ < text_.size() && !EndsField(text_[pos_])) ++pos_;
            value = text_.substr(start, pos_ - start);
            while (!value.empty() && IsBlank(value.back())) value.remove_suffix(1);
        }

        if (pos_ == text_.size()) {
            atLineStart_ = true;
            if (!whole_) return std::nullopt;
        } else if (text_[pos_] == u',') {
            ++pos_;
            atLineStart_ = false;
        } else {
            SkipLineEnd();
            atLineStart_ = true;
        }
        return std::u16string(value);
    }

  private:
    void SkipLineEnd() {
        if (text_[pos_] == u'\r' && pos_ + 1 < text_.size() && text_[pos_ + 1] == u'\n') ++pos_;
        ++pos_;
    }

    // Lines holding nothing but blanks give no field.
    void SkipBlankLines() {
        while (atLineStart_) {
            std::size_t at = pos_;
            while (at < text_.size() && IsBlank(text_[at])) ++at;
            if (at < text_.size() && !IsLineEnd(text_[at])) return;
            pos_ = at;
            if (pos_ == text_.size()) return;
            SkipLineEnd();
        }
    }

    std::u16string_view text_;
    bool whole_;
    std::size_t pos_ = 0;
    bool atLineStart_ = true;
};

}  // namespace

WordFileResult ParseWordFile(std::string_view bytes, bool whole) {
    const std::u16string text = Decode(bytes);
    FieldReader reader(text, whole);
    WordFileResult result;
    while (result.entries.size() < kMaxWordEntries && !reader.AtEnd()) {
        std::optional<std::u16string> display = reader.Next();
        if (!display) {
            result.failed = true;
            break;
        }
        result.lastDisplay = *display;
        std::optional<std::u16string> reading = reader.Next();
        if (!reading) {
            result.failed = true;
            break;
        }
        if (!display->empty() && !reading->empty()) {
            result.entries.emplace_back(std::move(*display), std::move(*reading));
        }
    }
    return result;
}

}  // namespace kb
