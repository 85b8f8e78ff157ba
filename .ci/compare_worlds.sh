#!/usr/bin/env bash
# Compares the long game's worlds of the machines whose hashes the folders
# given hold, one file a machine, named after it: where two machines' C
# libraries give the same sine and cosine, their worlds must be the same bit
# for bit; where they do not, it says so by name. Fails if a file lacks its
# hashes or two worlds differ that must not.
# Usage: .ci/compare_worlds.sh DIR ...
set -euo pipefail
families=$(mktemp -d)
trap 'rm -rf "$families"' EXIT
failed=0
first=""
while IFS= read -r file; do
  name=${file##*/}
  if [ "$(wc -l <"$file")" -ne 6 ]; then
    echo "$name: FAILED: the long game's test printed no hashes"
    failed=1
    continue
  fi
  libm=$(head -n 1 "$file" | cut -d' ' -f4)
  if [ ! -e "$families/$libm" ]; then
    cp "$file" "$families/$libm"
    echo "$name" >"$families/$libm.name"
    verdict="sin and cos differ from $first's"
    [ -n "$first" ] || verdict="the first"
    first=${first:-$name}
  elif cmp -s "$file" "$families/$libm"; then
    verdict="the same world as $(cat "$families/$libm.name")"
  else
    verdict="FAILS: the same sin and cos as $(cat "$families/$libm.name"), another world"
    failed=1
  fi
  echo "$name: sin and cos $libm, world $(tail -n 1 "$file" | cut -d' ' -f5): $verdict"
done < <(for dir in "$@"; do printf '%s\n' "$dir"/*; done)
exit "$failed"
