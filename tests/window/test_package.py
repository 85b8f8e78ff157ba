"""The Debian package, built from the build tree, checked with Debian's own tools
without installing it, and the game started from it."""

import glob
import gzip
import os
import subprocess

import pytest
from conftest import TITLE, Sandbox

ID = "org.tessmar.Brivolt"
FILES = ["games/brivolt", f"share/applications/{ID}.desktop", f"share/metainfo/{ID}.metainfo.xml"]
FILES += [f"share/icons/hicolor/{size}/apps/{ID}.png" for size in ("48x48", "64x64", "128x128")]
FILES += [f"share/icons/hicolor/scalable/apps/{ID}.svg", "share/man/man6/brivolt.6.gz"]
FILES += ["share/doc/brivolt/copyright"]


def run(*command):
    return subprocess.run(command, capture_output=True, text=True, timeout=300)


@pytest.fixture(scope="module")
def package(tmp_path_factory):
    """The path of the .deb, and the folder it is unpacked into."""
    built = tmp_path_factory.mktemp("built")
    config = os.path.join(os.environ["BRIVOLT_BUILD"], "CPackConfig.cmake")
    assert run("cpack", "--config", config, "-B", str(built)).returncode == 0
    (deb,) = glob.glob(f"{built}/brivolt_*_*.deb")
    unpacked = tmp_path_factory.mktemp("unpacked")
    assert run("dpkg-deb", "-x", deb, str(unpacked)).returncode == 0
    return deb, unpacked / "usr"


def test_package_holds_the_game_and_its_desktop_files(package):
    deb, _ = package
    listing = run("dpkg-deb", "-c", deb).stdout
    assert all(f" ./usr/{path}\n" in listing for path in FILES), listing
    assert "liballegro4.4" in run("dpkg-deb", "-f", deb, "Depends").stdout
    assert run("dpkg-deb", "-f", deb, "Section").stdout.strip() == "games"


def test_debian_validators_accept_it(package):
    deb, usr = package
    assert run("desktop-file-validate", f"{usr}/share/applications/{ID}.desktop").stdout == ""
    metainfo = f"{usr}/share/metainfo/{ID}.metainfo.xml"
    assert run("appstreamcli", "validate", "--no-net", metainfo).returncode == 0
    manual = gzip.decompress((usr / "share/man/man6/brivolt.6.gz").read_bytes())
    groff = subprocess.run(["groff", "-man", "-ww", "-z"], input=manual, capture_output=True)
    assert groff.returncode == 0 and groff.stderr == b""
    lintian = run("lintian", deb).stdout
    assert not [line for line in lintian.splitlines() if line.startswith("E:")], lintian


def test_packaged_game_starts_and_ends_on_escape(package, x_display):
    sandbox = Sandbox(x_display, program=str(package[1] / "games/brivolt"))
    try:
        assert sandbox.window.get_wm_name() == TITLE
        sandbox.key("Escape")
        assert sandbox.process.wait(timeout=10) == 0
    finally:
        sandbox.stop()
