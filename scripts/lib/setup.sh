# Shared by the scripts: install what is missing from Debian, then configure and build.
# Source it from bash; it defines functions only.

KELVARA_ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"

# What building and running kelvara needs. libxcb1-dev: the chooser windows' task-bar hint on X11;
# the font: the Japanese captions.
KELVARA_PACKAGES=(cmake ninja-build g++ pkg-config qt6-base-dev libxcb1-dev fonts-ipafont-gothic)

# What the tests add (./scripts/test installs them). The tests compile the Windows resource
# script with the cross windres (which preprocesses with the cross gcc and its windows.h), and
# redraw the artwork with the generator's fonts to check the committed pictures. xvfb, xauth and
# x11-utils: the task-bar hint's test, on an X server of its own. The benchmarks are built too,
# so that they keep compiling. lintian, appstream and desktop-file-utils check the Debian
# package, its AppStream data and its menu entry.
KELVARA_TEST_PACKAGES=(libgtest-dev libgmock-dev libbenchmark-dev fonts-dejavu-core
  binutils-mingw-w64-x86-64 gcc-mingw-w64-x86-64-win32 mingw-w64-x86-64-dev xvfb xauth x11-utils
  lintian appstream desktop-file-utils)

# What the benchmarks add: Google Benchmark to build them, hyperfine and GNU time to time the
# start-up and measure its memory.
KELVARA_BENCH_PACKAGES=(libbenchmark-dev hyperfine time)

# What the Windows build and its runs under wine add. dpkg-dev: apt-get source; qt6-base-dev-tools:
# the host tools of the same Qt version. locales: wine needs the Japanese locale, which the tests'
# wine set-up builds for itself. The posix threads variant of g++-mingw-w64-x86-64 is the one the
# toolchain file uses. xvfb, xauth: the real windows; xdotool, x11-apps (xwd), x11-utils
# (xwininfo), python3: the smoke run of kelvara.exe, driven from outside.
KELVARA_WINDOWS_PACKAGES=(cmake ninja-build dpkg-dev qt6-base-dev-tools g++-mingw-w64-x86-64-posix
  wine64 libgtest-dev locales fonts-ipafont-gothic xvfb xauth xdotool x11-apps x11-utils python3)

# kelvara_install PACKAGE...: installs the packages that are not installed yet, and nothing else.
kelvara_install() {
  local missing=() package
  for package in "$@"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed' ||
      missing+=("$package")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  echo "Installing: ${missing[*]}"
  local sudo=()
  [ "$(id -u)" -ne 0 ] && sudo=(sudo)
  "${sudo[@]}" apt-get update -q
  DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -q "${missing[@]}"
}

# kelvara_configure DIR [CMAKE OPTION...]: configures DIR (Ninja, Release) when it is new or its
# options changed.
kelvara_configure() {
  local dir="$1"
  shift
  local options="${CC:-} ${CXX:-} $*"
  if [ ! -f "$dir/CMakeCache.txt" ] || [ "$(cat "$dir/kelvara-options" 2>/dev/null)" != "$options" ]; then
    cmake -S "$KELVARA_ROOT" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=Release "$@"
    printf '%s' "$options" >"$dir/kelvara-options"
  fi
}

# kelvara_build DIR [CMAKE OPTION...]: configures DIR as above, then builds it incrementally.
kelvara_build() {
  kelvara_configure "$@"
  cmake --build "$1"
}

# kelvara_windows_options: sets KELVARA_WINDOWS_OPTIONS to the CMake options of a Windows build:
# mingw-w64 against the static Qt, which is built from Debian's own source the first time.
kelvara_windows_options() {
  local qt
  qt="$("$KELVARA_ROOT/scripts/lib/qt-windows")"
  KELVARA_WINDOWS_OPTIONS=(-DCMAKE_TOOLCHAIN_FILE="$qt/lib/cmake/Qt6/qt.toolchain.cmake"
    -DQT_CHAINLOAD_TOOLCHAIN_FILE="$KELVARA_ROOT/cmake/toolchain-mingw-w64.cmake")
}

# kelvara_end_wine BUILD: ends whatever wine still runs in the Windows build's wine set-ups.
kelvara_end_wine() {
  local set
  for set in "$1/wine" "$1/wine-display"; do
    if [ -d "$set/prefix" ]; then
      "$KELVARA_ROOT/scripts/lib/wine-run" "$set" --wineserver -k 2>/dev/null || true
    fi
  done
}
