#!/usr/bin/env bash
# Cross-builds the game, its tests and its Debian package for each of Debian's
# architectures given (all five by default) and runs every test under
# qemu-user through ctest: unit, drawing, window and package tests. Then
# compares the worlds that the long game's test prints on each and on this
# machine, built with g++ and with clang++, wherever the C libraries' sine and
# cosine agree.
# Installs, as root, whatever is missing. The packages land in build-cross/debs.
# Usage: .ci/cross.sh [arm64] [armhf] [i386] [ppc64el] [s390x]
set -euo pipefail
cd "$(dirname "$0")/.."
archs=("$@")
[ ${#archs[@]} -gt 0 ] || archs=(arm64 armhf i386 ppc64el s390x)
declare -A compiler=([arm64]=aarch64-linux-gnu [armhf]=arm-linux-gnueabihf [i386]=i686-linux-gnu
                     [ppc64el]=powerpc64le-linux-gnu [s390x]=s390x-linux-gnu)
declare -A multiarch=([arm64]=aarch64-linux-gnu [armhf]=arm-linux-gnueabihf [i386]=i386-linux-gnu
                      [ppc64el]=powerpc64le-linux-gnu [s390x]=s390x-linux-gnu)

# Each architecture's libraries are installed beside the host's (multiarch),
# but for Allegro's development files, which are unpacked into a folder.
missing=()
installed() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'ok installed'; }
for package in qemu-user clang; do
  installed "$package" || missing+=("$package")
done
for arch in "${archs[@]}"; do
  [ -n "${compiler[$arch]:-}" ] || { echo "cross.sh: no such architecture: $arch" >&2; exit 2; }
  dpkg --print-foreign-architectures | grep -qx "$arch" || dpkg --add-architecture "$arch"
  installed "g++-${compiler[$arch]}" || missing+=("g++-${compiler[$arch]}")
  for package in libgtest-dev liballegro4.4 libx11-dev libstdc++6; do
    installed "$package:$arch" || missing+=("$package:$arch")
  done
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "installing ${missing[*]}"
  apt-get update -qq && DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "${missing[@]}" >/dev/null
fi

jobs=$(nproc)
mkdir -p build-cross/debs
failed=0
runs=()
for arch in "${archs[@]}"; do
  allegro=$PWD/build-cross/allegro-$arch
  if [ ! -e "$allegro/usr/include/allegro.h" ]; then
    rm -rf "$allegro" && mkdir -p "$allegro/debs"
    (cd "$allegro/debs" && apt-get download -q "liballegro4-dev:$arch" "liballegro4.4:$arch" >/dev/null 2>&1)
    for deb in "$allegro"/debs/*.deb; do dpkg-deb -x "$deb" "$allegro"; done
    sed -i "s|^prefix=.*|prefix=$allegro/usr|" "$allegro/usr/lib/${multiarch[$arch]}/pkgconfig/allegro.pc"
  fi
  build=build-cross/$arch
  start=$(date +%s)
  cmake -S . -B "$build" --no-warn-unused-cli -DCMAKE_TOOLCHAIN_FILE=cmake/cross.cmake \
    -DBRIVOLT_ARCH="$arch" -DBRIVOLT_ALLEGRO="$allegro" -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_INSTALL_BINDIR=games -DBRIVOLT_WINDOW=ON -DBUILD_TESTING=ON -DBRIVOLT_ALL_TESTS=ON \
    >/dev/null
  cmake --build "$build" -j"$jobs" >/dev/null
  status=0
  (cd "$build" && ctest -j"$jobs" --output-on-failure -V) >"$build/ctest.log" 2>&1 || status=$?
  deb=$(ls "$build"/package-test/brivolt_*_"$arch".deb 2>/dev/null || true)
  [ -z "$deb" ] || cp "$deb" build-cross/debs/
  echo "$arch: $(grep -E 'tests passed' "$build/ctest.log"), $(($(date +%s) - start)) s," \
    "package $([ -n "$deb" ] && echo built || echo MISSING)"
  [ "$status" -eq 0 ] || { failed=1; grep -E '\*\*\*|Failed|FAILED' "$build/ctest.log" || true; }
  runs+=("$arch=cat $build/ctest.log")
done

# This machine: the unit tests built with g++ and with clang++, and the C
# library's sine and cosine without FMA.
long_game=(tests/brivolt_unit_tests --gtest_filter=ContactSearch.LongGameMatches)
for cxx in g++ clang++; do
  cmake -S . -B "build-cross/amd64-$cxx" -DCMAKE_CXX_COMPILER="$cxx" -DCMAKE_BUILD_TYPE=Release \
    -DBRIVOLT_WINDOW=OFF -DBUILD_TESTING=ON -DBRIVOLT_ALL_TESTS=ON >/dev/null
  cmake --build "build-cross/amd64-$cxx" -j"$jobs" --target brivolt_unit_tests >/dev/null
  "build-cross/amd64-$cxx/tests/brivolt_unit_tests" >"build-cross/amd64-$cxx/unit.log" 2>&1 ||
    { echo "amd64, $cxx: unit tests FAILED"; grep -A5 Failure "build-cross/amd64-$cxx/unit.log"; failed=1; }
done
runs=("amd64=cat build-cross/amd64-g++/unit.log"
      "amd64, clang++=cat build-cross/amd64-clang++/unit.log"
      "amd64, generic sin and cos=env GLIBC_TUNABLES=glibc.cpu.hwcaps=-FMA,-AVX2 build-cross/amd64-g++/${long_game[*]}"
      "${runs[@]}")
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
first=""
for run in "${runs[@]}"; do
  name=${run%%=*}
  ${run#*=} | grep -oE '(sin and cos|world after frame [0-9]+:) [0-9a-f]{16}' >"$dir/out" || true
  if [ "$(wc -l <"$dir/out")" -ne 6 ]; then
    echo "$name: FAILED: the long game's test printed no hashes"
    failed=1
    continue
  fi
  libm=$(head -n 1 "$dir/out" | cut -d' ' -f4)
  if [ ! -e "$dir/$libm" ]; then
    cp "$dir/out" "$dir/$libm"
    echo "$name" >"$dir/$libm.name"
    verdict="sin and cos differ from $first's"
    [ -n "$first" ] || verdict="the first"
    first=${first:-$name}
  elif cmp -s "$dir/out" "$dir/$libm"; then
    verdict="the same world as $(cat "$dir/$libm.name")"
  else
    verdict="FAILS: the same sin and cos as $(cat "$dir/$libm.name"), another world"
    failed=1
  fi
  echo "$name: sin and cos $libm, world $(tail -n 1 "$dir/out" | cut -d' ' -f5): $verdict"
done
exit "$failed"
