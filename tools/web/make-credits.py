#!/usr/bin/python3
"""The page's credits and the licence texts that travel with it, made from the browser page's
table in THIRD-PARTY.md, so that the two always agree.

    make-credits.py THIRD-PARTY.md PAGE_DIR DEPS_SOURCES NODE_MODULES

Writes PAGE_DIR/credits.html and copies each licence text the table names into
PAGE_DIR/licences/, from the sources the page's libraries were built from, Debian's copyright
files and the npm packages; a file whose content is already there is left alone, and a new one
is written beside its target and renamed into place. Fails when the table names a text it has
no source for.
"""
import glob
import html
import os
import re
import sys

TOP = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))


def sources(deps, node_modules):
    def dep(pattern):
        found = glob.glob(os.path.join(deps, pattern))
        return found[0] if len(found) == 1 else None

    return {
        'Kanaburst.txt': os.path.join(TOP, 'LICENSE'),
        'SDL2.txt': dep('libsdl2-[0-9]*/LICENSE.txt'),
        'SDL2_ttf.txt': dep('libsdl2-ttf-*/LICENSE.txt'),
        'SDL2_image.txt': dep('libsdl2-image-*/LICENSE.txt'),
        'SDL2_mixer.txt': dep('libsdl2-mixer-*/LICENSE.txt'),
        'FreeType.txt': dep('freetype-*/LICENSE.TXT'),
        'FreeType-FTL.txt': dep('freetype-*/docs/FTL.TXT'),
        'HarfBuzz.txt': dep('harfbuzz-*/COPYING'),
        'libjpeg-turbo.txt': dep('libjpeg-turbo-*/LICENSE.md'),
        'libjpeg-turbo-IJG.txt': dep('libjpeg-turbo-*/README.ijg'),
        'libpng.txt': dep('libpng1.6-*/LICENSE'),
        'zlib.txt': dep('zlib-*/LICENSE'),
        'libsodium.txt': dep('libsodium-*/LICENSE'),
        'emscripten.txt': '/usr/share/doc/emscripten/copyright',
        'nlohmann-json.txt': '/usr/share/doc/nlohmann-json3-dev/copyright',
        'js-synthesizer.txt': os.path.join(node_modules, 'js-synthesizer/LICENSE'),
        'FluidSynth.txt': os.path.join(node_modules,
                                       'js-synthesizer/externals/LICENSE.fluidsynth.txt'),
        'IPA-Font-License-1.0.txt': '/usr/share/doc/fonts-ipafont-gothic/copyright',
        'TimGM6mb.txt': '/usr/share/doc/timgm6mb-soundfont/copyright',
        'GPL-2.txt': '/usr/share/common-licenses/GPL-2',
        'Paho-EPL-1.0.txt': os.path.join(node_modules, 'paho-mqtt/epl-v10'),
        'Paho-EDL-1.0.txt': os.path.join(node_modules, 'paho-mqtt/edl-v10'),
    }


def keep(path, data):
    """Writes the bytes to path unless they are there already, through a part renamed into place."""
    try:
        with open(path, 'rb') as f:
            if f.read() == data:
                return
    except FileNotFoundError:
        pass
    with open(path + '.part', 'wb') as f:
        f.write(data)
    os.replace(path + '.part', path)


def page_table(third_party):
    with open(third_party, encoding='utf-8') as f:
        text = f.read()
    section = text[text.index('## The browser page'):]
    section = section[:section.index('\n## ', 1)]
    rows = [line for line in section.splitlines() if line.startswith('| ')]
    return [[cell.strip() for cell in row.strip('|').split('|')] for row in rows[1:]]


def inline(cell):
    """The table's markdown as HTML: code spans, and each licence text as a link."""
    out = html.escape(cell, quote=False)
    out = re.sub(r'`([\w.-]+\.txt)`', r'<a href="licences/\1">\1</a>', out)
    return re.sub(r'`([^`]+)`', r'<code>\1</code>', out)


PAGE = '''<!doctype html>
<html lang="en">
<head>
<meta charset="utf-8">
<meta name="viewport" content="width=device-width, initial-scale=1">
<title>Kanaburst: credits and licences</title>
<style>
  body {{ font-family: sans-serif; max-width: 960px; margin: 16px auto; padding: 0 8px; }}
  table {{ border-collapse: collapse; }}
  td, th {{ border: 1px solid #999; padding: 4px 6px; vertical-align: top; text-align: left; }}
</style>
</head>
<body>
<h1>Kanaburst: credits and licences</h1>
<p>Kanaburst's own code, word list, pictures, sounds and music are under the MIT licence. This
page carries the libraries, the typeface and the SoundFont below; each licence text is served
beside the page.</p>
<table>
<tr><th>What</th><th>Used as</th><th>Licence</th><th>Licence text</th></tr>
{rows}
</table>
<h2>The typeface and the SoundFont</h2>
<p>The page draws with <b>Kanaburst Gothic</b>, two subsets of IPA Gothic (IPAGothic 003.03,
&copy; Information-technology Promotion Agency, Japan) holding only the characters the game draws
with its bundled files: <a href="kanaburst-gothic.ttf">kanaburst-gothic.ttf</a>, and a smaller
one for the screens' own texts that comes with the game's data. Both are made by
<code>tools/web/subset-font.py</code> in the game's source; they are licensed under the IPA Font
License 1.0 like the original. The original font is served unchanged beside the page:
<a href="ipag.ttf">ipag.ttf</a>. The page loads it by itself when a player's own word list
needs a character the subsets lack; to put it in their place for good, package it into the page
as <code>ipag.ttf</code> (the game prefers that file to the subsets when it is there).</p>
<p>The music plays on <b>TimGM6mb</b> (&copy; 2004 Tim Brechbill, 2010 David Bolton, GPL-2),
cut down to the instruments and notes the game's pieces play by
<code>tools/web/trim-soundfont.py</code>. The full bank is served beside the page:
<a href="TimGM6mb.sf2">TimGM6mb.sf2</a>.</p>
<h2>Sources</h2>
<p>The libraries compiled into the page are built from Debian's source packages of the versions
named above. FluidSynth and js-synthesizer come from the npm package js-synthesizer 1.13.0,
whose source is FluidSynth 2.3.0 and js-synthesizer as published by their authors.</p>
<p><a href="index.html">Back to the game</a></p>
</body>
</html>
'''


def main():
    if len(sys.argv) != 5:
        raise SystemExit(__doc__)
    third_party, page_dir, deps, node_modules = sys.argv[1:]
    table = page_table(third_party)
    known = sources(deps, node_modules)
    os.makedirs(os.path.join(page_dir, 'licences'), exist_ok=True)
    for row in table:
        for name in re.findall(r'`([\w.-]+\.txt)`', row[3]):
            source = known.get(name)
            if not source or not os.path.isfile(source):
                raise SystemExit(f'make-credits: no source for the licence text {name}')
            with open(source, 'rb') as f:
                keep(os.path.join(page_dir, 'licences', name), f.read())
    rows = '\n'.join('<tr>' + ''.join(f'<td>{inline(c)}</td>' for c in row) + '</tr>'
                     for row in table)
    keep(os.path.join(page_dir, 'credits.html'), PAGE.format(rows=rows).encode('utf-8'))
    print(f'make-credits: {len(table)} entries')


if __name__ == '__main__':
    main()
