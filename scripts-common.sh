# Shared by run.sh and test.sh: installs the Debian packages Quenvar needs
# (desktop-file-utils, dpkg-dev and file for the install and package tests;
# openbox and libxtst-dev for the tests that drive the real pointer and keys;
# poppler-utils and librsvg2-bin for the tests that read SVG and PDF figures;
# libgeotiff-dev, libtiff-dev and libproj-dev for the GeoTIFF grids, and
# gdal-bin for the tests that read the grids back).
# Sourced, not run.

QUENVAR_PACKAGES="cmake g++ make libwxgtk3.2-dev libsqlite3-dev zlib1g-dev libcairo2-dev libpango1.0-dev pkg-config sqlite3 libgtest-dev xvfb xauth clang libclang-rt-14-dev desktop-file-utils dpkg-dev file openbox libxtst-dev poppler-utils librsvg2-bin libgeotiff-dev libtiff-dev libproj-dev gdal-bin"

quenvar_install_packages() {
    local missing=()
    for pkg in $QUENVAR_PACKAGES "$@"; do
        dpkg -s "$pkg" >/dev/null 2>&1 || missing+=("$pkg")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    echo "Installing: ${missing[*]}"
    local sudo=""
    [ "$(id -u)" -ne 0 ] && sudo="sudo"
    export DEBIAN_FRONTEND=noninteractive
    $sudo apt-get update -qq
    $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
}
