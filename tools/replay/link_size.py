#!/usr/bin/env python3
"""How long a link that carries a replay would be: for each FILE, its size as it is, deflated
(raw deflate at level 9, as zlib's deflateInit2 with -15 window bits writes it) and that written
in base64url without padding, the characters a ?replay= link would take.

    tools/replay/link_size.py FILE...
"""
import base64
import sys
import zlib


def main():
    if len(sys.argv) < 2:
        print(__doc__.strip().splitlines()[-1].strip())
        return 2
    for path in sys.argv[1:]:
        with open(path, "rb") as f:
            text = f.read()
        packer = zlib.compressobj(9, zlib.DEFLATED, -15)
        packed = packer.compress(text) + packer.flush()
        link = base64.urlsafe_b64encode(packed).rstrip(b"=")
        print(f"{path}: {len(text)} bytes, deflated {len(packed)}, in a link {len(link)} characters")
    return 0


if __name__ == "__main__":
    sys.exit(main())
