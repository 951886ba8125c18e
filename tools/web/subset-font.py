#!/usr/bin/python3
"""The page's typefaces: IPA Gothic cut down to the characters the game can draw with its
bundled files, under a name of its own (the IPA Font License wants a derived font to carry
neither the original's font name nor its file name).

    subset-font.py FULL.ttf OUT.ttf SOURCE_DIR [WORDS.dat]

The characters: printable ASCII (numbers, addresses, typed romaji), every character inside a
string or character literal of the game's sources (the screens' texts, the kana tables, the
marks for unreadable bytes) and, when given, every character of the word list (code page 932).
The page starts with the face of the screens' texts alone, the smallest that draws its title,
and fetches the one with the bundled list's characters next (and the full face for a player's
list that needs more). Outlines, metrics, hinting and layout tables are kept, and checked
after the cut glyph by glyph, so text draws to the same pixel as with the full face.
"""
import pathlib
import re
import sys

from fontTools import subset
from fontTools.ttLib import TTFont

FAMILY = 'Kanaburst Gothic'
POSTSCRIPT = 'KanaburstGothic'
LITERAL = re.compile(r'"((?:[^"\\\n]|\\.)*)"|\'((?:[^\'\\\n]|\\.)+)\'')
ESCAPE = re.compile(r'\\u([0-9A-Fa-f]{4})')


def characters(source_dir, words):
    chars = {chr(c) for c in range(0x20, 0x7F)}
    if words:
        chars |= set(pathlib.Path(words).read_bytes().decode('cp932', errors='replace'))
    for path in sorted(pathlib.Path(source_dir).rglob('*')):
        if path.suffix in ('.cpp', '.h'):
            for text in LITERAL.findall(path.read_text(encoding='utf-8')):
                literal = ''.join(text)
                chars |= set(ESCAPE.sub(lambda m: chr(int(m.group(1), 16)), literal))
    return {c for c in chars if c >= ' ' and c not in '\x7f'}


def rename(font):
    for record in font['name'].names:
        if record.nameID in (1, 4, 16):
            record.string = FAMILY
        elif record.nameID == 3:
            record.string = FAMILY + ' (subset of IPAGothic 003.03 made by Kanaburst)'
        elif record.nameID == 6:
            record.string = POSTSCRIPT


def same_drawing(full, cut, chars):
    """Fails unless every character draws alike in both faces: the same outline (components
    resolved), hinting program, advance and the font-wide metrics and programs."""
    for table, fields in (('head', ('unitsPerEm', 'flags')),
                          ('hhea', ('ascent', 'descent', 'lineGap')),
                          ('OS/2', ('sTypoAscender', 'sTypoDescender', 'sTypoLineGap',
                                    'usWinAscent', 'usWinDescent'))):
        for field in fields:
            if getattr(full[table], field) != getattr(cut[table], field):
                raise SystemExit(f'subset-font: {table}.{field} changed')
    for table in ('fpgm', 'prep', 'cvt ', 'gasp'):
        if full[table].compile(full) != cut[table].compile(cut):
            raise SystemExit(f'subset-font: table {table} changed')
    full_map, cut_map = full.getBestCmap(), cut.getBestCmap()
    for c in chars:
        a, b = full_map[ord(c)], cut_map[ord(c)]
        ga, gb = full['glyf'][a], cut['glyf'][b]
        same = (ga.getCoordinates(full['glyf']) == gb.getCoordinates(cut['glyf'])
                and getattr(ga, 'program', None) == getattr(gb, 'program', None)
                and full['hmtx'][a] == cut['hmtx'][b])
        if not same:
            raise SystemExit(f'subset-font: {c} (U+{ord(c):04X}) draws differently')


def main():
    if len(sys.argv) not in (4, 5):
        raise SystemExit(__doc__)
    full, out, source_dir = sys.argv[1:4]
    chars = characters(source_dir, sys.argv[4] if len(sys.argv) == 5 else None)
    options = subset.Options()
    options.layout_features = ['*']
    options.name_IDs = ['*']
    options.name_languages = ['*']
    options.notdef_outline = True
    options.hinting = True
    font = TTFont(full)
    held = set(chr(c) for c in font.getBestCmap())
    kept = ''.join(sorted(chars & held))
    subsetter = subset.Subsetter(options)
    subsetter.populate(text=''.join(sorted(chars)))
    subsetter.subset(font)
    rename(font)
    font.save(out)
    same_drawing(TTFont(full), TTFont(out), kept)
    print(f'subset-font: {len(kept)} characters ({len(chars - held)} the full face lacks too), '
          f'{pathlib.Path(out).stat().st_size} bytes')


if __name__ == '__main__':
    main()
