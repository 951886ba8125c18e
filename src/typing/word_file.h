#pragma once
// Reading the word list file str.dat: a flat run of text fields taken two at a
// time, the display form of a word and then its reading in kana.
#include <cstddef>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace kb {

// The word list never holds more entries than this: the shuffle's table has
// exactly this many slots, so further records of the file are ignored.
inline constexpr std::size_t kMaxWordEntries = 3001;

struct WordFileResult {
    // (display form, reading), in file order.
    std::vector<std::pair<std::u16string, std::u16string>> entries;
    // The load stopped with an error (the file ended in the middle of a pair, or
    // could not be read to its end); the entries before it are kept.
    bool failed = false;
    // The display form (first field of a pair) read last: the failure box shows it.
    std::u16string lastDisplay;
};

// Parses the content of the file. It is code page 932 (Shift-JIS) text, or
// UTF-8 when it starts with the UTF-8 byte-order mark; bytes that are no text
// become stand-in characters (see FromCp932) and reading goes on.
//
// A comma or a line end (CR LF, LF or CR) ends a field. A field may be put in
// double quotes, which then may hold commas; anything after the closing quote
// up to the end of the field is dropped. Blanks around an unquoted field are
// trimmed. Blank lines give no field at all, so they never shift the pairing
// of later lines. A pair with an empty field is skipped. A file that ends in
// the middle of a pair fails, with that pair's display form in lastDisplay.
// whole is false when a read error cut the bytes short: then the load fails
// there, and the field the error cut into is not read.
WordFileResult ParseWordFile(std::string_view bytes, bool whole = true);

}  // namespace kb
