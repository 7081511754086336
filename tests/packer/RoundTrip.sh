#!/usr/bin/env bash
# Runs the built nimbrel-pack as a release engineer would: pack a generated folder, check and
# list the result, diff it against a changed copy, and check the exit codes on the way.
# Usage: RoundTrip.sh PATH-TO-NIMBREL-PACK
set -euo pipefail
pack=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

fail() { echo "RoundTrip: $*" >&2; exit 1; }

mkdir -p "$work/src/Plugins/Deep" "$work/src/lib"
seq 1 20000 > "$work/src/Nimbrel.exe"
head -c 50000 /dev/urandom > "$work/src/lib/runtime.dll"
printf 'module' > "$work/src/Plugins/Deep/mod.dll"
: > "$work/src/Plugins/empty.dat"

"$pack" pack "$work/src" --manifest "$work/m.bin" --blob "$work/b.bin" --jobs 2 2> "$work/pack.err" \
  || fail "pack failed: $(cat "$work/pack.err")"
grep -q '^nimbrel-pack pack: 4 files, ' "$work/pack.err" || fail "no totals: $(cat "$work/pack.err")"

"$pack" check --manifest "$work/m.bin" --blob "$work/b.bin" > "$work/check.out" || fail "check failed"
grep -q '^check: ok, 4 files, ' "$work/check.out" || fail "check said: $(cat "$work/check.out")"

"$pack" list --manifest "$work/m.bin" --blob "$work/b.bin" > "$work/list.out" || fail "list failed"
[ "$(wc -l < "$work/list.out")" -eq 5 ] || fail "list gave: $(cat "$work/list.out")"
awk 'NR > 1 { print $1, $2, $3 }' "$work/list.out" > "$work/rows"
printf '%s\n' "0 Nimbrel.exe $(stat -c %s "$work/src/Nimbrel.exe")" \
  "1 Plugins\\Deep\\mod.dll 6" "2 Plugins\\empty.dat 0" "3 lib\\runtime.dll 50000" \
  | diff - "$work/rows" || fail "list rows differ"

cp -r "$work/src" "$work/run"
echo changed > "$work/run/lib/runtime.dll"
echo stray > "$work/run/stray.txt"
echo settings > "$work/run/Config.ini"
rm "$work/run/Plugins/empty.dat"
"$pack" diff --manifest "$work/m.bin" --blob "$work/b.bin" "$work/run" > "$work/diff.out" \
  || fail "diff failed"
for row in 'spare    Config.ini' 'keep     Nimbrel.exe' 'keep     Plugins\Deep\mod.dll' \
    'rewrite  lib\runtime.dll' 'delete   stray.txt' 'write    Plugins\empty.dat'; do
  grep -qxF "$row" "$work/diff.out" || fail "diff lacks '$row': $(cat "$work/diff.out")"
done
[ -f "$work/run/stray.txt" ] || fail "diff changed the folder"

printf 'x' | dd of="$work/b.bin" bs=1 seek=9 conv=notrunc 2> /dev/null
set +e
"$pack" check --manifest "$work/m.bin" --blob "$work/b.bin" 2> "$work/bad.err"
code=$?
"$pack" pack "$work/src" --bogus 2> /dev/null
usage=$?
set -e
[ "$code" -eq 1 ] || fail "check of a damaged blob exited $code"
grep -q 'error code 4\.' "$work/bad.err" || fail "damaged blob said: $(cat "$work/bad.err")"
[ "$usage" -eq 2 ] || fail "an unknown option exited $usage"
echo "RoundTrip: ok"
