#!/usr/bin/env bash
# Builds the given Windows targets twice in a build tree of its own and compares the executables
# byte for byte. The second build starts from the first with every executable, object and
# resource object of the project's own code deleted, so that compiling, resource compiling and
# linking all run again; the third-party objects are reused, which keeps the cost near one build.
# Usage: Reproducible.sh SOURCE_DIR WORK_DIR TARGET... -- CMAKE_ARGUMENT...
# (the configure arguments name the toolchain file and any payload).
set -euo pipefail
source_dir=$1 work=$2
shift 2
targets=()
while [ $# -gt 0 ] && [ "$1" != "--" ]; do targets+=("$1"); shift; done
[ $# -gt 0 ] && shift
tree="$work/tree"
jobs=${NIMBREL_JOBS:-2}

# Runs a command with its output in a log, shown only when the command fails.
run() {
  local log=$1
  shift
  "$@" >"$log" 2>&1 || { echo "reproducible: failed: $*" >&2; tail -n 30 "$log" >&2; exit 1; }
}

rm -rf "$work"
mkdir -p "$work/first"
start=$(date +%s%N)
run "$work/configure.log" cmake -S "$source_dir" -B "$tree" -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DNIMBREL_BUILD_TESTS=OFF "$@"
run "$work/build-1.log" cmake --build "$tree" --target "${targets[@]}" -j "$jobs"
first=$(date +%s%N)

files=()
for target in "${targets[@]}"; do
  file=$(find "$tree/bin" -maxdepth 1 -name "$target.exe")
  [ -n "$file" ] || { echo "reproducible: $target.exe not built" >&2; exit 1; }
  cp "$file" "$work/first/"
  files+=("$file")
done
rm -f "${files[@]}"
find "$tree" \( -name '*.obj' -o -name '*.res' \) -path '*/CMakeFiles/*' ! -path '*zstd*' -delete
run "$work/build-2.log" cmake --build "$tree" --target "${targets[@]}" -j "$jobs"
second=$(date +%s%N)

status=0
for file in "${files[@]}"; do
  name=$(basename "$file")
  if cmp -s "$work/first/$name" "$file"; then
    echo "reproducible: $name identical in both builds ($(stat -c %s "$file") bytes)"
  else
    echo "reproducible: $name differs between the two builds" >&2
    cmp "$work/first/$name" "$file" | head -n 5 >&2 || true
    status=1
  fi
done
echo "reproducible: first build $(((first - start) / 1000000)) ms (configure included)," \
  "second build $(((second - first) / 1000000)) ms"
rebuilt=$(grep -c 'Building\|Linking' "$work/build-2.log" || true)
echo "reproducible: second build ran $rebuilt compile and link steps"
if [ -n "${REPRODUCIBLE_CHECK_TOOL:-}" ]; then
  launcher=$(find "$tree/bin" -maxdepth 1 -name 'Nimbrel.Launcher.exe')
  "$REPRODUCIBLE_CHECK_TOOL" check "$launcher" || { echo "reproducible: packed launcher fails its check" >&2; status=1; }
fi
exit $status
