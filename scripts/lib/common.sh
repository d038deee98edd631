# Shared by the scripts: where things are, and installing what is missing.
# shellcheck shell=bash

LINKWELL_ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"

# Debian packages the build and the tests need.
LINKWELL_PACKAGES=(
  cmake ninja-build g++ pkg-config
  qt6-base-dev qt6-base-dev-tools qt6-serialport-dev libgl-dev
  libbenchmark-dev libicu-dev libgumbo-dev
  libfontconfig-dev xvfb xauth fonts-dejavu-core fonts-urw-base35
)

# Installs the packages given that are not installed yet: with apt-get when
# running as root, otherwise prints the line to run and fails.
linkwell_ensure_packages() {
  local missing=() pkg
  for pkg in "$@"; do
    dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'install ok installed' || missing+=("$pkg")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  if [ "$(id -u)" -eq 0 ]; then
    echo "Installing: ${missing[*]}"
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -qq
    apt-get install -y -qq --no-install-recommends "${missing[@]}"
  else
    echo "Missing packages. Run:" >&2
    echo "  sudo apt-get install ${missing[*]}" >&2
    return 1
  fi
}

# Configures (once) and builds into $1, incrementally. Further arguments go to cmake.
linkwell_build() {
  local dir="$1"; shift
  local args=(-G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@")
  if [ "${CI:-}" = "true" ]; then args+=(-DLINKWELL_WERROR=ON); fi
  cmake -S "$LINKWELL_ROOT" -B "$LINKWELL_ROOT/$dir" "${args[@]}" >/dev/null
  cmake --build "$LINKWELL_ROOT/$dir"
}
