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

# kelvara_build DIR [CMAKE OPTION...]: configures DIR (Ninja, Release) when it is new or its
# options changed, then builds incrementally.
kelvara_build() {
  local dir="$1"
  shift
  local options="${CC:-} ${CXX:-} $*"
  if [ ! -f "$dir/CMakeCache.txt" ] || [ "$(cat "$dir/kelvara-options" 2>/dev/null)" != "$options" ]; then
    cmake -S "$KELVARA_ROOT" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=Release "$@"
    printf '%s' "$options" >"$dir/kelvara-options"
  fi
  cmake --build "$dir"
}
