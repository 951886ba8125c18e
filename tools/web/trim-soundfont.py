#!/usr/bin/python3
"""A General MIDI bank cut down to what some MIDI pieces play, for the browser page.

    trim-soundfont.py FULL.sf2 OUT.sf2 PIECE.mid...

Keeps the presets the pieces select (bank and program of every channel that sounds a note, the
drum kit on channel 10), and of those only the zones whose key range holds a note the pieces
play with that preset, down to the instruments and samples they use. Every note of the pieces
therefore picks the very zones and samples it picks in the full bank and sounds the same. The
samples are copied unchanged, each followed by the 46 silent sample points the format asks for.
"""
import struct
import sys

import mido

GEN_KEY_RANGE = 43
GEN_INSTRUMENT = 41
GEN_SAMPLE_ID = 53
SAMPLE_PADDING = 46  # silent points after each sample
COMMENT = (b'Cut down by Kanaburst (tools/web/trim-soundfont.py) to the instruments and notes its '
           b'five pieces play. The full bank: TimGM6mb.sf2 (Debian package timgm6mb-soundfont).\0')


def notes_played(paths):
    """{(bank, program): set of notes} for every note the pieces sound."""
    used = {}
    for path in paths:
        program = [0] * 16
        bank = [0] * 16
        for msg in mido.MidiFile(path):
            if msg.type == 'program_change':
                program[msg.channel] = msg.program
            elif msg.type == 'control_change' and msg.control == 0:
                bank[msg.channel] = msg.value
            elif msg.type == 'note_on' and msg.velocity > 0:
                preset = (128, program[9]) if msg.channel == 9 else (bank[msg.channel],
                                                                     program[msg.channel])
                used.setdefault(preset, set()).add(msg.note)
    return used


def chunks(data, off, end):
    while off < end:
        cid, size = struct.unpack_from('<4sI', data, off)
        yield cid, off + 8, size
        off += 8 + size + (size & 1)


def records(data, off, size, fmt):
    n = struct.calcsize(fmt)
    return [struct.unpack_from(fmt, data, off + i * n) for i in range(size // n)]


FORMATS = {b'phdr': '<20sHHHIII', b'pbag': '<HH', b'pmod': '<HHhHH', b'pgen': '<HH',
           b'inst': '<20sH', b'ibag': '<HH', b'imod': '<HHhHH', b'igen': '<HH',
           b'shdr': '<20sIIIIIBbHH'}


class Bank:
    def __init__(self, data):
        self.info = b''
        self.pdta = {}
        for cid, off, size in chunks(data, 12, len(data)):
            kind = data[off:off + 4]
            if kind == b'INFO':
                self.info = [(c, data[o:o + s]) for c, o, s in chunks(data, off + 4, off + size)]
            elif kind == b'sdta':
                for c, o, s in chunks(data, off + 4, off + size):
                    if c == b'sm24':
                        raise SystemExit('24-bit samples are not handled')
                    if c == b'smpl':
                        self.smpl = data[o:o + s]
            elif kind == b'pdta':
                for c, o, s in chunks(data, off + 4, off + size):
                    self.pdta[c] = records(data, o, s, FORMATS[c])

    def zones(self, head, bag, gen, mod, i):
        """The zones of preset or instrument i: (generators, modulators) each."""
        bags = self.pdta[bag]
        out = []
        for b in range(self.pdta[head][i][-1 if head == b'inst' else 3],
                       self.pdta[head][i + 1][-1 if head == b'inst' else 3]):
            gens = self.pdta[gen][bags[b][0]:bags[b + 1][0]]
            mods = self.pdta[mod][bags[b][1]:bags[b + 1][1]]
            out.append((gens, mods))
        return out


def key_range(gens):
    for oper, amount in gens:
        if oper == GEN_KEY_RANGE:
            return amount & 0xFF, amount >> 8
    return 0, 127


def target(gens, oper):
    return next((amount for o, amount in gens if o == oper), None)


def keep_zones(zones, notes, link):
    """The zones that sound one of the notes (a leading global zone stays), and for each linked
    item the notes it must sound."""
    kept, wanted = [], {}
    for i, (gens, mods) in enumerate(zones):
        item = target(gens, link)
        if item is None:
            if i == 0:
                kept.append((gens, mods))
            continue
        lo, hi = key_range(gens)
        inside = {n for n in notes if lo <= n <= hi}
        if inside:
            kept.append((gens, mods))
            wanted.setdefault(item, set()).update(inside)
    return kept, wanted


def pack(fmt, rows):
    return b''.join(struct.pack(fmt, *r) for r in rows)


def chunk(cid, body):
    return struct.pack('<4sI', cid, len(body)) + body + (b'\0' if len(body) & 1 else b'')


def trim(bank, used):
    presets = bank.pdta[b'phdr'][:-1]
    chosen = [i for i, p in enumerate(presets) if (p[2], p[1]) in used]
    missing = set(used) - {(presets[i][2], presets[i][1]) for i in chosen}
    if missing:
        raise SystemExit(f'the bank lacks the presets {sorted(missing)}')
    preset_zones, instrument_notes = [], {}
    for i in chosen:
        p = presets[i]
        zones, wanted = keep_zones(bank.zones(b'phdr', b'pbag', b'pgen', b'pmod', i),
                                   used[(p[2], p[1])], GEN_INSTRUMENT)
        preset_zones.append((p, zones))
        for inst, notes in wanted.items():
            instrument_notes.setdefault(inst, set()).update(notes)
    instruments, sample_ids = {}, set()
    for inst in sorted(instrument_notes):
        zones, wanted = keep_zones(bank.zones(b'inst', b'ibag', b'igen', b'imod', inst),
                                   instrument_notes[inst], GEN_SAMPLE_ID)
        instruments[inst] = zones
        sample_ids.update(wanted)
    samples = bank.pdta[b'shdr']
    for s in list(sample_ids):  # a stereo half keeps its other half
        if samples[s][9] in (2, 4, 8) and samples[s][8] < len(samples) - 1:
            sample_ids.add(samples[s][8])
    sample_order = sorted(sample_ids)
    new_sample = {old: new for new, old in enumerate(sample_order)}
    new_inst = {old: new for new, old in enumerate(sorted(instruments))}

    smpl = bytearray()
    shdr = []
    for old in sample_order:
        name, start, end, loop_start, loop_end, rate, pitch, correction, link, kind = samples[old]
        at = len(smpl) // 2
        smpl += bank.smpl[start * 2:end * 2] + bytes(SAMPLE_PADDING * 2)
        shift = at - start
        shdr.append((name, at, at + end - start, loop_start + shift, loop_end + shift, rate,
                     pitch, correction, new_sample.get(link, 0), kind))
    shdr.append((b'EOS', 0, 0, 0, 0, 0, 0, 0, 0, 0))

    def layout(items, link, renumber):
        heads, bags, gens, mods = [], [], [], []
        for head, zones in items:
            heads.append((head, len(bags)))
            for zone_gens, zone_mods in zones:
                bags.append((len(gens), len(mods)))
                gens += [(o, renumber[a] if o == link else a) for o, a in zone_gens]
                mods += zone_mods
        bags.append((len(gens), len(mods)))
        gens.append((0, 0))
        mods.append((0, 0, 0, 0, 0))
        return heads, bags, gens, mods

    p_heads, pbag, pgen, pmod = layout(preset_zones, GEN_INSTRUMENT, new_inst)
    phdr = [p[:3] + (bag,) + p[4:] for p, bag in p_heads]
    phdr.append((b'EOP', 0, 0, len(pbag) - 1, 0, 0, 0))
    i_heads, ibag, igen, imod = layout(
        [(bank.pdta[b'inst'][i][0], zones) for i, zones in sorted(instruments.items())],
        GEN_SAMPLE_ID, new_sample)
    inst = i_heads + [(b'EOI', len(ibag) - 1)]

    info = b''.join(chunk(c, b) for c, b in bank.info if c != b'ICMT') + chunk(b'ICMT', COMMENT)
    pdta = b''.join(chunk(c, pack(FORMATS[c], rows)) for c, rows in
                    ((b'phdr', phdr), (b'pbag', pbag), (b'pmod', pmod), (b'pgen', pgen),
                     (b'inst', inst), (b'ibag', ibag), (b'imod', imod), (b'igen', igen),
                     (b'shdr', shdr)))
    body = (b'sfbk' + chunk(b'LIST', b'INFO' + info)
            + chunk(b'LIST', b'sdta' + chunk(b'smpl', smpl)) + chunk(b'LIST', b'pdta' + pdta))
    return chunk(b'RIFF', body), len(sample_order), len(samples) - 1


def main():
    if len(sys.argv) < 4:
        raise SystemExit(__doc__)
    full, out, pieces = sys.argv[1], sys.argv[2], sys.argv[3:]
    with open(full, 'rb') as f:
        bank = Bank(f.read())
    data, kept, total = trim(bank, notes_played(pieces))
    with open(out, 'wb') as f:
        f.write(data)
    print(f'trim-soundfont: {kept} of {total} samples, {len(data)} bytes')


if __name__ == '__main__':
    main()
