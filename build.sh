#!/usr/bin/env bash
# Cloakwell set-up, build, run and test.
#   bash build.sh run    install what is missing, build, start the program
#   bash build.sh test   install what is missing, build with sanitizers, run every test
#   bash build.sh bench  install what is missing, build optimised, run the benchmarks
#   bash build.sh package  install what is missing, build the Debian package (build-package/)
set -euo pipefail
cd "$(dirname "$0")"
mode=${1:-run}

packages=(build-essential cmake ninja-build pkg-config qt6-base-dev qt6-base-dev-tools
          libgl-dev libglib2.0-dev adwaita-icon-theme hicolor-icon-theme xvfb xauth
          shared-mime-info fonts-dejavu-core desktop-file-utils appstream dpkg-dev)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if ((${#missing[@]})); then
  echo "Installing: ${missing[*]}"
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${missing[@]}"
fi

jobs=$(nproc 2>/dev/null || echo 2)
configure() { # build-dir, extra cmake args...
  local dir=$1; shift
  cmake -S . -B "$dir" -G Ninja "$@" >/dev/null
}

case "$mode" in
  run)
    configure build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCLOAKWELL_TESTS=OFF -DCLOAKWELL_BENCH=OFF
    cmake --build build -j "$jobs"
    exec ./build/cloakwell
    ;;
  test)
    configure build-test -DCMAKE_BUILD_TYPE=Debug -DCLOAKWELL_SANITIZE=ON -DCLOAKWELL_WERROR=ON \
      -DCLOAKWELL_BENCH=OFF
    cmake --build build-test -j "$jobs"
    ctest --test-dir build-test --output-on-failure -j "$jobs"
    ;;
  bench)
    configure build-bench -DCMAKE_BUILD_TYPE=Release -DCLOAKWELL_TESTS=OFF
    cmake --build build-bench -j "$jobs"
    BENCH_BIN=build-bench/bench bash bench/run.sh
    ;;
  package)
    configure build-package -DCMAKE_BUILD_TYPE=Release -DCLOAKWELL_TESTS=OFF -DCLOAKWELL_BENCH=OFF
    cmake --build build-package -j "$jobs"
    (cd build-package && cpack -G DEB)
    ls build-package/cloakwell_*.deb
    ;;
  *)
    echo "usage: bash build.sh run|test|bench|package" >&2
    exit 2
    ;;
esac
