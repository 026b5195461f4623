# Sourced by the scripts: where things live and how Wine runs here.
# Everything generated (build, Wine prefix, locale, third-party sources) stays under BUILD_DIR.
ROOT=${ROOT:-$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)}
BUILD_DIR=${BUILD_DIR:-$ROOT/build}
# Third-party sources are shared by every build folder of the checkout.
THIRD_PARTY_DIR=${THIRD_PARTY_DIR:-$ROOT/build/third_party}
export WINEPREFIX=${WINEPREFIX:-$BUILD_DIR/wineprefix}
export WINEARCH=win64
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES="mscoree,mshtml="
export LOCPATH=$BUILD_DIR/locale
export FC_LANG=zh-cn
# The pinned SQLite source: better-sqlite3 ships the amalgamation in deps/sqlite3.
SQLITE_NPM_PACKAGE=better-sqlite3@12.11.1
SQLITE_DIR=$THIRD_PARTY_DIR/sqlite3
export ROOT BUILD_DIR THIRD_PARTY_DIR SQLITE_DIR SQLITE_NPM_PACKAGE
wine_bin() { command -v wine64 >/dev/null 2>&1 && [ -x /usr/lib/wine/wine64 ] && echo /usr/lib/wine/wine64 || command -v wine; }
# A Linux path as the Windows programs see it: absolute, on Wine's Z: drive (the root).
windows_path() { local p; p=$(realpath -m -- "$1"); echo "Z:${p//\//\\}"; }
