#!/usr/bin/env bash
# Installs what is missing, then configures and builds one build directory.
#   scripts/build.sh [release|asan|tsan] [target...]   (default: release, every target)
set -euo pipefail
cd "$(dirname "$0")/.."

flavour=${1:-release}
shift || true
case "$flavour" in
  release) dir=build;      flags=(-DCMAKE_BUILD_TYPE=RelWithDebInfo) ;;
  asan)    dir=build-asan; flags=(-DCMAKE_BUILD_TYPE=Debug -DXINGFAN_SANITIZE=ON -DXINGFAN_BUILD_BENCH=OFF) ;;
  tsan)    dir=build-tsan; flags=(-DCMAKE_BUILD_TYPE=Debug -DXINGFAN_TSAN=ON -DXINGFAN_BUILD_BENCH=OFF) ;;
  *) echo "usage: $0 [release|asan|tsan]" >&2; exit 2 ;;
esac

bash scripts/install-deps.sh
cmake -S . -B "$dir" -G Ninja "${flags[@]}" >/dev/null
if [ $# -gt 0 ]; then
  cmake --build "$dir" --target "$@"
else
  cmake --build "$dir"
fi
echo "$dir"
