"""The game as a player installs it: `cmake --install` into a temporary root (through
DESTDIR, as a package build does) lays out the game, its resources, the link in bin,
the desktop entry, the icons and the metainfo; the entry and the metainfo pass their
validators; the installed game, started through the link from another folder, shows
its main menu; and `cpack -G DEB` packs the same files with their libraries declared."""

import glob
import os
import shutil
import subprocess
import tempfile

from harness import SCREEN, Game, check, main

APP_ID = "games.orvando.Vantrel"
ICON_SIZES = (16, 24, 32, 48, 64, 128, 256, 512)
# Under the prefix, beside the link in bin and the icons.
FILES = ["lib/vantrel/vantrel", "lib/vantrel/Vantrel.app/Contents/Resources/main.ttf",
         "lib/vantrel/Vantrel.app/Contents/Resources/ram.txt", "lib/vantrel/Vantrel.app/Contents/Resources/lang/de.txt",
         "share/applications/%s.desktop" % APP_ID, "share/metainfo/%s.metainfo.xml" % APP_ID]


def run(command, **options):
    return subprocess.run(command, capture_output=True, text=True, **options)


def installed_game_runs(binary, build):
    root = tempfile.mkdtemp(prefix="vantrel-install-")
    try:
        done = run(["cmake", "--install", build, "--prefix", "/usr"], env=dict(os.environ, DESTDIR=root))
        check(done.returncode == 0, "cmake --install failed: %s" % done.stderr)
        usr = os.path.join(root, "usr")
        link = os.path.join(usr, "bin", "vantrel")
        check(os.readlink(link) == "../lib/vantrel/vantrel", "bin/vantrel links into lib/vantrel, relatively")
        for path in FILES:
            check(os.path.isfile(os.path.join(usr, path)), "installed: " + path)
        for size in ICON_SIZES:
            icon = os.path.join(usr, "share/icons/hicolor/%dx%d/apps/%s.png" % (size, size, APP_ID))
            shape = run(["identify", "-format", "%wx%h", icon]).stdout
            check(shape == "%dx%d" % (size, size), "icon %s is %s" % (icon, shape))

        entry = run(["desktop-file-validate", os.path.join(usr, "share/applications/%s.desktop" % APP_ID)])
        check(entry.returncode == 0 and not entry.stdout.strip(), "desktop entry: " + entry.stdout)
        metainfo = run(["appstreamcli", "validate", "--no-net",
                        os.path.join(usr, "share/metainfo/%s.metainfo.xml" % APP_ID)])
        check(metainfo.returncode == 0, "metainfo: " + metainfo.stdout)

        with Game(link, build, "installed", settings=SCREEN) as game:
            game.start_menu(cwd="/")
            check(("SDL_GetBasePath = %s/lib/vantrel/" % usr) in game.log(), "the game knows where it lives")
            shot = game.screenshot("menu")
            check(game.first_row_gold_width(shot) > 200, "PLAY NEW GAME is shown, selected")
            missing = [line for line in game.log() if "ERROR" in line]
            check(not missing, "errors logged: %r" % missing[:5])
            game.stop()
    finally:
        shutil.rmtree(root, ignore_errors=True)


def debian_package_declares_its_libraries(binary, build):
    folder = tempfile.mkdtemp(prefix="vantrel-deb-")
    try:
        done = run(["cpack", "-G", "DEB", "-B", folder, "--config", os.path.join(build, "CPackConfig.cmake")])
        check(done.returncode == 0, "cpack failed: %s %s" % (done.stdout, done.stderr))
        packages = glob.glob(os.path.join(folder, "vantrel_1.1.0_*.deb"))
        check(len(packages) == 1, "one package, found %r" % packages)
        depends = run(["dpkg-deb", "--field", packages[0], "Depends"]).stdout
        for library in ("libsdl2-2.0-0", "libsdl2-image-2.0-0", "libsdl2-mixer-2.0-0", "libsdl2-ttf-2.0-0", "libgl1"):
            check(library in depends, "%s in Depends: %s" % (library, depends))
        contents = run(["dpkg-deb", "--contents", packages[0]]).stdout
        packed = ["bin/vantrel -> ../lib/vantrel/vantrel", "share/icons/hicolor/256x256/apps/%s.png" % APP_ID]
        for path in FILES + packed:
            check("./usr/" + path in contents, "packed: " + path)
    finally:
        shutil.rmtree(folder, ignore_errors=True)


if __name__ == "__main__":
    main([installed_game_runs, debian_package_declares_its_libraries])
