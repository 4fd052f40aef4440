# Shared by the scripts: install what is missing from Debian, then configure and build.
# Source it from bash; it defines functions only.

KELVARA_ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"

# The packages every build needs. The tests also compile the Windows resource script with the
# cross windres (which preprocesses with the cross gcc and its windows.h), and redraw the
# artwork with the generator's fonts to check the committed pictures. libxcb1-dev: the chooser
# windows' task-bar hint on X11; xvfb and xauth: the test of that hint.
KELVARA_PACKAGES=(cmake ninja-build g++ pkg-config qt6-base-dev libgtest-dev libgmock-dev
  fonts-ipafont-gothic fonts-dejavu-core binutils-mingw-w64-x86-64 gcc-mingw-w64-x86-64-win32
  mingw-w64-x86-64-dev libxcb1-dev xvfb xauth x11-utils)

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
