# Shared by the scripts: install what is missing from Debian, then configure and build.
# Source it from bash; it defines functions only.

KELVARA_ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"

# The packages every build needs.
# libxcb1-dev: the chooser windows' task-bar hint on X11; xvfb and xauth: the test of that hint.
KELVARA_PACKAGES=(cmake ninja-build g++ pkg-config qt6-base-dev libgtest-dev libgmock-dev
  fonts-ipafont-gothic libxcb1-dev xvfb xauth)

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

# kelvara_build DIR [CMAKE OPTION...]: configures DIR once (Ninja, Release), then builds
# incrementally.
kelvara_build() {
  local dir="$1"
  shift
  if [ ! -f "$dir/CMakeCache.txt" ]; then
    cmake -S "$KELVARA_ROOT" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=Release "$@"
  fi
  cmake --build "$dir"
}
