#!/usr/bin/python3
"""Draw every picture of the game into assets/gfx/, and its desktop icons.

Run from anywhere (paths are taken from this file's place in the repository):
    /usr/bin/python3 tools/art/make_pictures.py            # everything
    /usr/bin/python3 tools/art/make_pictures.py wall logos # only some groups
Groups: wall (title wall + story overlays), burst (birth animation), logos
(Orvando, VANTREL), ui (panel, wipes, scanlines, arrows, achievement), dino,
icon (the desktop icon in every size, into desktop/icons/).
All randomness uses fixed seeds, so the output is the same on every run.
"""
import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

import burst  # noqa: E402
import dino  # noqa: E402
import icon  # noqa: E402
import logos  # noqa: E402
import ui  # noqa: E402
import wall  # noqa: E402

GROUPS = {"wall": wall.make_all, "burst": burst.make_all, "logos": logos.make_all,
          "ui": ui.make_all, "dino": dino.make_all,
          "icon": icon.make_all}


def main(argv):
    names = argv or list(GROUPS)
    for n in names:
        if n not in GROUPS:
            sys.exit("unknown group %r (have: %s)" % (n, ", ".join(GROUPS)))
    for n in names:
        GROUPS[n]()


if __name__ == "__main__":
    main(sys.argv[1:])
