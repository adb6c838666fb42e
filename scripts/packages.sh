# Debian 12 packages that building, running and testing Sieciownik need. Sourced by the scripts;
# installs only what is missing, so a second run is quick.

SIECIOWNIK_BUILD_PACKAGES=(
  g++ cmake ninja-build pkg-config
  qt6-base-dev qt6-base-dev-tools qt6-webengine-dev qt6-translations-l10n
  libmpv-dev libgl-dev libsqlite3-dev libicu-dev libsimdjson-dev
  libxcb1-dev fonts-wine xdg-utils ccache mold
)
# What the program runs with beyond its libraries: mpv's page resolver, for stations whose address
# is a broadcaster's web page.
SIECIOWNIK_RUN_PACKAGES=(
  yt-dlp
  # a virtual display, for machines without a desktop (xvfb-run scripts/run)
  xvfb xauth
)
SIECIOWNIK_TEST_PACKAGES=(
  xvfb xauth libgl1-mesa-dri mpv icecast2 vorbis-tools dbus-x11 dbus at-spi2-core python3-pyatspi
  sox libsox-fmt-base
  # a FUSE file system whose server the cleaner tests stop
  bindfs
  libbenchmark-dev clang
  firefox-esr chromium
)
# What the benchmarks compare the program with, and run it under (bench/memory.sh).
SIECIOWNIK_BENCH_PACKAGES=(
  goodvibes xvfb xauth dbus time
)

ensure_packages() {
  local missing=() pkg
  for pkg in "$@"; do
    dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'install ok installed' || missing+=("$pkg")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  echo "Installing missing Debian packages: ${missing[*]}"
  local sudo=()
  [ "$(id -u)" -ne 0 ] && sudo=(sudo)
  "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get update -qq
  "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"
}
