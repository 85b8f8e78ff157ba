#!/usr/bin/env bash
# Cross-builds the game, its tests and its Debian package for each of Debian's
# architectures given and runs every test under qemu-user through ctest: unit,
# drawing, window and package tests. Then compares the worlds that the long
# game's test prints on each and on this machine, built with g++ and with
# clang++, wherever the C libraries' sine and cosine agree.
#
# Without arguments it builds for every architecture that this release's
# security archive still carries, but this machine's: a release in long-term
# support drops some. Each architecture's libraries come from its own packages,
# resolved by apt for that architecture alone and unpacked into a sysroot,
# build-cross/sysroot-ARCH; nothing is installed beside the host's libraries.
# Installs, as root, the cross compilers it lacks. The packages land in
# build-cross/debs.
# Usage: .ci/cross.sh [ARCH ...]
set -euo pipefail
cd "$(dirname "$0")/.."
suite=$(. /etc/os-release && echo "$VERSION_CODENAME")
host=$(dpkg --print-architecture)
archs=("$@")
if [ ${#archs[@]} -eq 0 ]; then
  release=$(ls /var/lib/apt/lists/*_dists_"$suite"-security_*Release 2>/dev/null | head -n 1 | tr -s " ")
  [ -n "$release" ] ||
    { echo "cross.sh: apt knows no $suite-security archive: name the architectures" >&2; exit 2; }
  mapfile -t archs < <(sed -n 's/^Architectures: //p' "$release" | tr ' ' '\n' | grep -vxE "all|$host")
fi
# The libraries the builds and their tests need; apt adds what they depend on,
# under each release's own package names.
libraries=libgtest-dev,liballegro4-dev,libx11-dev,libstdc++6
sources=("deb http://deb.debian.org/debian $suite main"
         "deb http://deb.debian.org/debian $suite-updates main"
         "deb http://deb.debian.org/debian-security $suite-security main")

installed() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'ok installed'; }
declare -A gnu
missing=()
for package in qemu-user clang mmdebstrap; do
  installed "$package" || missing+=("$package")
done
for arch in "${archs[@]}"; do
  dpkg-architecture -L | grep -x "$arch" >/dev/null && [ "$arch" != "$host" ] ||
    { echo "cross.sh: not another Debian architecture: $arch" >&2; exit 2; }
  gnu[$arch]=$(dpkg-architecture -a"$arch" -qDEB_HOST_GNU_TYPE 2>/dev/null)
  installed "g++-${gnu[$arch]}" || missing+=("g++-${gnu[$arch]}")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "installing ${missing[*]}"
  apt-get update -qq && DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "${missing[@]}" >/dev/null
fi

# The sysroot as the programs under qemu and the linker see it: a release whose
# packages put everything under /usr gets the links of a merged /usr, and links
# to absolute paths (/lib64/ld64.so.2 on ppc64el) point within the sysroot
# instead of into the host.
relink() {
  local sysroot=$1 link
  for dir in bin sbin lib lib32 lib64 libx32; do
    [ ! -d "$sysroot/usr/$dir" ] || [ -e "$sysroot/$dir" ] || ln -s "usr/$dir" "$sysroot/$dir"
  done
  find "$sysroot" -type l -lname '/*' -print0 | while IFS= read -r -d '' link; do
    ln -sfn "$(realpath -m --relative-to="$(dirname "$link")" "$sysroot$(readlink "$link")")" "$link"
  done
}

# A dpkg database of the sysroot's packages, for dpkg-shlibdeps alone: their
# control fields, their files under the sysroot's path, and their symbols and
# shlibs files. dpkg names a package's files by architecture only where it is
# Multi-Arch: same.
register() {
  local sysroot=$1 db=$1/var/lib/dpkg control
  control=$(mktemp -d)
  : >"$db/status"
  mkdir -p "$db/info" && echo 1 >"$db/info/format"
  for deb in "$sysroot"/var/cache/apt/archives/*.deb; do
    local name key
    name=$(dpkg-deb -f "$deb" Package)
    key=$name
    [ "$(dpkg-deb -f "$deb" Multi-Arch)" != same ] || key=$name:$(dpkg-deb -f "$deb" Architecture)
    { dpkg-deb -f "$deb"; printf 'Status: install ok installed\n\n'; } >>"$db/status"
    dpkg-deb --fsys-tarfile "$deb" | tar -t |
      sed -e "s|^\./|$sysroot/|" -e 's|/$||' -e "s|^\.$|$sysroot|" >"$db/info/$key.list"
    rm -rf "${control:?}/deb" && dpkg-deb -e "$deb" "$control/deb"
    for file in symbols shlibs; do
      [ ! -e "$control/deb/$file" ] || cp "$control/deb/$file" "$db/info/$key.$file"
    done
  done
  rm -rf "$control"
}

jobs=$(nproc)
mkdir -p build-cross/debs
failed=0
runs=()
left_out=()
for arch in "${archs[@]}"; do
  sysroot=$PWD/build-cross/sysroot-$arch
  if [ ! -e "$sysroot/var/lib/dpkg/info/format" ]; then
    rm -rf "$sysroot"
    log=build-cross/sysroot-$arch.log
    if ! mmdebstrap --variant=extract --architectures="$arch" --include="$libraries" \
      --skip=cleanup/apt --skip=download/empty --aptopt='Acquire::Check-Valid-Until "false"' \
      "$suite" "$sysroot" "${sources[@]}" >"$log" 2>&1; then
      # An archive whose index names a file that it does not serve leaves the
      # architecture out, said in one line; anything else apt cannot do stops.
      unserved=$(sed -nE 's|^E: Failed to fetch \S*/([^/_]+)_([^_]+)_[^_]+\.deb +([0-9]{3}.*) \[.*|\1 \2 (\3)|p' \
                 "$log" | head -n 1 | tr -s " ")
      if [ -n "$unserved" ]; then
        echo "$arch: LEFT OUT: the $suite archive lists ${unserved//%2b/+} for $arch but does not serve it"
        left_out+=("$arch")
        rm -rf "$sysroot"
        continue
      fi
      grep -E '^E:' "$log" >&2 || true
      echo "cross.sh: $arch: apt cannot give $libraries for $arch from $suite: $log" >&2
      exit 1
    fi
    relink "$sysroot"
    register "$sysroot"
  fi
  build=build-cross/$arch
  start=$(date +%s)
  cmake -S . -B "$build" --no-warn-unused-cli -DCMAKE_TOOLCHAIN_FILE=cmake/cross.cmake \
    -DBRIVOLT_ARCH="$arch" -DBRIVOLT_SYSROOT="$sysroot" -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_INSTALL_BINDIR=games -DBRIVOLT_WINDOW=ON -DBUILD_TESTING=ON -DBRIVOLT_ALL_TESTS=ON \
    >"$build.configure.log" 2>&1 || { cat "$build.configure.log"; exit 1; }
  cmake --build "$build" -j"$jobs" >"$build/build.log" 2>&1 ||
    { grep -E -B2 -A8 'error|Error' "$build/build.log" | head -40; echo "$arch: build FAILED"; exit 1; }
  status=0
  (cd "$build" && ctest -j"$jobs" --output-on-failure -V) >"$build/ctest.log" 2>&1 || status=$?
  deb=$(ls "$build"/package-test/brivolt_*_"$arch".deb 2>/dev/null || true)
  [ -z "$deb" ] || cp "$deb" build-cross/debs/
  echo "$arch: $(grep -E 'tests passed' "$build/ctest.log"), $(($(date +%s) - start)) s," \
    "package $([ -n "$deb" ] && echo built || echo MISSING)"
  [ "$status" -eq 0 ] || { failed=1; grep -E '\*\*\*|Failed|FAILED' "$build/ctest.log" || true; }
  runs+=("$arch=cat $build/ctest.log")
done

# Each package as apt on a fresh machine of its architecture and release meets
# it: from no installed package at all, its dependencies must resolve. The
# sysroot's apt lists are that architecture's; the host's are its own.
empty=$(mktemp)
installable() {
  local deb=$1 arch=$2 root=$3
  cp "$deb" "$empty.deb"
  if apt-get -o Dir="$root" -o Dir::State::status="$empty" -o APT::Architecture="$arch" \
       -o APT::Architectures="$arch" -o Dir::Etc::trusted=/etc/apt/trusted.gpg \
       -o Dir::Etc::trustedparts=/etc/apt/trusted.gpg.d install --simulate -qq "$empty.deb" \
       >"build-cross/apt-$arch.log" 2>&1; then
    echo "${deb##*/}: installable on a fresh $arch $suite"
  else
    echo "${deb##*/}: NOT installable on a fresh $arch $suite:" \
      "$(grep -m1 -E 'Depends|^E:' "build-cross/apt-$arch.log")"
    failed=1
  fi
}
for arch in "${archs[@]}"; do
  for deb in build-cross/debs/brivolt_*_"$arch".deb; do
    [ -e "$deb" ] || continue
    installable "$deb" "$arch" "$PWD/build-cross/sysroot-$arch"
  done
done
for deb in build-package/package-test/brivolt_*_"$host".deb; do
  [ ! -e "$deb" ] || installable "$deb" "$host" /
done
rm -f "$empty" "$empty.deb"

# This machine: the unit tests built with g++ and with clang++, and the C
# library's sine and cosine without FMA.
long_game=(tests/brivolt_unit_tests --gtest_filter=ContactSearch.LongGameMatches)
for cxx in g++ clang++; do
  cmake -S . -B "build-cross/$host-$cxx" -DCMAKE_CXX_COMPILER="$cxx" -DCMAKE_BUILD_TYPE=Release \
    -DBRIVOLT_WINDOW=OFF -DBUILD_TESTING=ON -DBRIVOLT_ALL_TESTS=ON >/dev/null
  cmake --build "build-cross/$host-$cxx" -j"$jobs" --target brivolt_unit_tests >/dev/null
  "build-cross/$host-$cxx/tests/brivolt_unit_tests" >"build-cross/$host-$cxx/unit.log" 2>&1 ||
    { echo "$host, $cxx: unit tests FAILED"; grep -A5 Failure "build-cross/$host-$cxx/unit.log"; failed=1; }
done
runs=("$host=cat build-cross/$host-g++/unit.log"
      "$host, clang++=cat build-cross/$host-clang++/unit.log"
      "$host, generic sin and cos=env GLIBC_TUNABLES=glibc.cpu.hwcaps=-FMA,-AVX2 build-cross/$host-g++/${long_game[*]}"
      "${runs[@]}")
# Each run's hashes are kept in build-cross/worlds, one file a machine, named
# by release and machine, so that another release's can be compared with them.
worlds=build-cross/worlds
rm -rf "$worlds" && mkdir -p "$worlds"
version=$(. /etc/os-release && echo "$VERSION_ID")
for run in "${runs[@]}"; do
  name=${run%%=*}
  ${run#*=} | grep -oE '(sin and cos|world after frame [0-9]+:) [0-9a-f]{16}' \
    >"$worlds/Debian $version, $name" || true
done
.ci/compare_worlds.sh "$worlds" || failed=1
[ ${#left_out[@]} -eq 0 ] || echo "left out, as the archive does not serve their packages: ${left_out[*]}"
exit "$failed"
