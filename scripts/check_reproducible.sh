#!/usr/bin/env bash
# Builds the two shipped programs twice, from copies of this tree at two paths of different
# lengths, with the presets' flags, and fails unless the programs and their compiled
# resources are byte-identical and hold neither path. With a build root as argument (the
# test script's), its programs must equal them too. Usage: check_reproducible.sh [build-root]
set -euo pipefail
repo=$(cd "$(dirname "$0")/.." && pwd)
shipped=${1:+$(cd "$1" && pwd)}
work=$(mktemp -d /tmp/vantrel-repro.XXXXXX)
trap 'rm -rf "$work"' EXIT
programs=(win64:plimsay:deferral/win/plimsay.exe win32:selvaun:launcher/selvaun.exe)
trees=(a bb-longer-path)

for tree in "${trees[@]}"; do
  mkdir -p "$work/$tree/src"
  (cd "$repo" && git ls-files -z -co --exclude-standard | tar -c --null -T -) | tar -x -C "$work/$tree/src"
  for p in "${programs[@]}"; do
    IFS=: read -r preset target _ <<<"$p"
    { cmake -S "$work/$tree/src" --preset "$preset" -B "$work/$tree/$preset" -Wno-dev \
        -DVANTREL_BUILD_TESTS=OFF && cmake --build "$work/$tree/$preset" --target "$target"; \
    } >"$work/log" 2>&1 || { cat "$work/log" >&2; exit 1; }
  done
done

status=0
compare() {
  cmp -s "$1" "$2" && return 0
  echo "check_reproducible: FAILED: $1 and $2 differ: $(cmp "$1" "$2" 2>&1 | head -1)" >&2
  status=1
}
cd "$work"
a=${trees[0]} b=${trees[1]}
for p in "${programs[@]}"; do
  IFS=: read -r preset _ file <<<"$p"
  for res in $(cd "$a" && find "$preset" -name '*.rc.res') "$preset/$file"; do
    compare "$a/$res" "$b/$res"
  done
  if grep -a -q -e "$work" -e "$repo" "$a/$preset/$file"; then
    echo "check_reproducible: FAILED: $preset/$file holds a build path" >&2
    status=1
  fi
  [ -z "$shipped" ] || compare "$shipped/$preset/$file" "$a/$preset/$file"
  echo "$(basename "$file"): $(sha256sum <"$a/$preset/$file" | cut -d' ' -f1)"
done
exit $status
