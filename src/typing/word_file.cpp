#include "typing/word_file.h"

#include <iconv.h>

#include <cstdint>
#include <optional>

namespace kb {
namespace {

struct DecodedText {
    std::u16string text;
    // False when decoding stopped early at bytes that are not valid text:
    // then the end of `text` is not the end of the file.
    bool whole = true;
};

// Bytes that cannot be decoded end the load like any other read error: what
// was read before them is kept, the pair they fall into is dropped and the
// load fails. Guessing a character for them could put a word into the list
// that the player can never type.
DecodedText Decode(std::string_view bytes) {
    constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";
    const char* encoding = "CP932";
    if (bytes.starts_with(kUtf8Bom)) {
        bytes.remove_prefix(kUtf8Bom.size());
        encoding = "UTF-8";
    }
    iconv_t cd = iconv_open("UTF-16LE", encoding);
    if (cd == reinterpret_cast<iconv_t>(-1)) return {{}, false};

    // One input byte never gives more than one UTF-16 unit (four UTF-8 bytes
    // give at most two), so this buffer is always large enough.
    std::string out(bytes.size() * 2, '\0');
    char* in = const_cast<char*>(bytes.data());
    std::size_t inLeft = bytes.size();
    char* outAt = out.data();
    std::size_t outLeft = out.size();
    const bool whole = iconv(cd, &in, &inLeft, &outAt, &outLeft) != static_cast<std::size_t>(-1);
    iconv_close(cd);
    out.resize(out.size() - outLeft);

    DecodedText decoded{{}, whole};
    decoded.text.reserve(out.size() / 2);
    for (std::size_t i = 0; i + 1 < out.size(); i += 2) {
        decoded.text.push_back(static_cast<char16_t>(static_cast<std::uint8_t>(out[i]) |
                                                     static_cast<std::uint8_t>(out[i + 1]) << 8));
    }
    return decoded;
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
    explicit FieldReader(const DecodedText& decoded) : text_(decoded.text), whole_(decoded.whole) {}

    // True at the end of the file; trailing blank lines count as its end.
    bool AtEnd() {
        SkipBlankLines();
        return pos_ == text_.size() && whole_;
    }

    // The next field, or nothing when the text runs out before the field
    // has ended (end of file in the middle of a pair, or undecodable bytes).
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

WordFileResult ParseWordFile(std::string_view bytes) {
    const DecodedText decoded = Decode(bytes);
    FieldReader reader(decoded);
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
