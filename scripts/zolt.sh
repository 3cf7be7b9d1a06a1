#!/usr/bin/env bash
# Set-up and runs of the project on a fresh machine.
#   scripts/zolt.sh main   installs what the build needs, builds the release preset, runs the main job
#   scripts/zolt.sh test   installs what the build needs, builds the test preset, runs every test
#   scripts/zolt.sh bench  installs what the build and the benchmarks need (the PPD library the
#                          rule-pass benchmark compares with), builds the bench preset, runs them
set -euo pipefail
cd "$(dirname "$0")/.."

PACKAGES=(cmake ninja-build g++ clang libclang-rt-14-dev libgtest-dev libgmock-dev
          libbenchmark-dev libicu-dev libfreetype-dev liblcms2-dev python3 libfontconfig-dev libpng-dev libuemf-dev
          fonts-liberation2 fonts-ipafont-mincho fonts-ipafont-gothic)

# Only the bench preset uses these; CI does not run it.
BENCH_PACKAGES=(libcups2-dev)

install_packages() {
  local missing=()
  for p in "${PACKAGES[@]}" "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
  done
  if [ ${#missing[@]} -gt 0 ]; then
    echo "installing: ${missing[*]}"
    local sudo=""
    [ "$(id -u)" -ne 0 ] && sudo="sudo"
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
  fi
}

jobs=$(nproc 2>/dev/null || echo 2)

case "${1:-}" in
  main)
    install_packages
    cmake --preset release >/dev/null
    cmake --build --preset release -j "$jobs"
    exec build/release/host/tools/zoltmachine/zoltmachine demo --png build/release/demo-pages
    ;;
  test)
    install_packages
    cmake --preset test >/dev/null
    cmake --build --preset test -j "$jobs"
    exec ctest --preset test -j "$jobs"
    ;;
  bench)
    install_packages "${BENCH_PACKAGES[@]}"
    cmake --preset bench >/dev/null
    cmake --build --preset bench -j "$jobs"
    for program in build/bench/bench/bench_*; do "$program"; done
    ;;
  *)
    echo "usage: scripts/zolt.sh main|test|bench" >&2
    exit 2
    ;;
esac
