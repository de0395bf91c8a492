#!/usr/bin/env bash
# Regression sweep: two builds of peltrix-convert must write the same bytes. Every search
# mode (FLI or not, super flicker, luma only, reduced pairs, basic exclusions, dither 0..3)
# meets every built-in palette (384 conversions); the photo, framing, tone, PAL/NTSC,
# Ass Lace and one or two workers are paired in by a fixed hash of the conversion's number,
# so every run makes the same list. Each conversion writes the .raw, .prg, blend .png,
# --frames and --c64-frames pictures (10 files), once with OLD and once with NEW, into two
# scratch folders; then every file, exit status and message is compared.
#   scripts/sweep_bytes.sh [-j 1|2] [-k] [-l] OLD_CONVERT NEW_CONVERT [TESTDATA_DIR]
#   -j 2  run OLD and NEW side by side (default 1: one after the other; the machine is shared)
#   -k    keep the scratch folder (it is always kept when something differs)
#   -l    only list the conversions (photo and options), one a line
# TESTDATA_DIR (default ../shared/testdata beside the repository) holds the photos: every
# .jpg, .jpeg, .png and .bmp in it. Takes two to four minutes on two cores.
# Exit status: 0 all identical, 1 a difference (listed) or a conversion that failed,
# 2 usage, 77 skipped (no test photos).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
usage="usage: scripts/sweep_bytes.sh [-j 1|2] [-k] [-l] OLD_CONVERT NEW_CONVERT [TESTDATA_DIR]"

jobs=1 keep=0 list=0
while getopts "j:klh" flag; do
  case $flag in
    j) jobs=$OPTARG ;;
    k) keep=1 ;;
    l) list=1 ;;
    h) echo "$usage" && exit 0 ;;
    *) echo "$usage" >&2 && exit 2 ;;
  esac
done
shift $((OPTIND - 1))
if [ $# -lt 2 ] || [ $# -gt 3 ] || { [ "$jobs" != 1 ] && [ "$jobs" != 2 ]; }; then
  echo "$usage" >&2
  exit 2
fi
programs=()
for program in "$1" "$2"; do
  # Absolute: each conversion runs inside its output folder.
  if [ -x "$program" ] && [ -f "$program" ]; then
    programs+=("$(cd "$(dirname "$program")" && pwd)/$(basename "$program")")
  else
    echo "sweep: $program is no executable program" >&2
    exit 2
  fi
done
testdata=${3:-$root/../shared/testdata}

photos=()
if [ -d "$testdata" ]; then
  testdata=$(cd "$testdata" && pwd)
  while IFS= read -r photo; do photos+=("$photo"); done < <(
    find "$testdata" -maxdepth 1 -type f \( -iname '*.jpg' -o -iname '*.jpeg' -o -iname '*.png' \
      -o -iname '*.bmp' \) | LC_ALL=C sort)
fi
if [ ${#photos[@]} -eq 0 ]; then
  echo "sweep: skipped: test photos absent (no .jpg, .png or .bmp in $testdata)"
  exit 77
fi

# The search modes, in full: 8 modes x pairs x exclusions x dither = 128, times 3 palettes.
modes=("" "--luma-only" "--no-fli" "--no-fli --luma-only" "--super-flicker"
  "--super-flicker --luma-only" "--no-fli --super-flicker" "--no-fli --super-flicker --luma-only")
pairs=("" "--reduced")
exclusions=("" "--basic-exclusions")
palettes=("--palette pepto-pal" "--palette colodore" "--palette community-colors")
# The rest, one value of each per conversion. The offset lies inside the large photos and
# reaches past the smaller ones.
framings=("" "--fit" "--fill" "--offset 150,140" "--fit --aspect square" "--fill --aspect ntsc")
tones=("" "--brightness 12 --contrast 25" "--saturation 140 --gamma 1.25"
  "--brightness -20 --contrast -15 --saturation 60 --gamma 0.8")
videos=("" "--ntsc")
viewers=("" "--ass-lace")
threads=("" "--single-thread")

hashed=0
pick() {  # $1: conversion, $2: dimension, $3: count -> hashed: a well-spread index below $3
  local x=$((($1 * 131 + $2 * 7919 + 1) & 0xffffffff))
  x=$(((((x >> 16) ^ x) * 0x45d9f3b) & 0xffffffff))
  x=$(((((x >> 16) ^ x) * 0x45d9f3b) & 0xffffffff))
  hashed=$((((x >> 16) ^ x) % $3))
}

options=() inputs=()
n=0
for mode in "${modes[@]}"; do
  for pair in "${pairs[@]}"; do
    for exclusion in "${exclusions[@]}"; do
      for dither in 0 1 2 3; do
        for palette in "${palettes[@]}"; do
          line="$mode $pair $exclusion -d $dither $palette"
          pick $n 1 ${#framings[@]} && line+=" ${framings[hashed]}"
          pick $n 2 ${#tones[@]} && line+=" ${tones[hashed]}"
          pick $n 3 ${#videos[@]} && line+=" ${videos[hashed]}"
          pick $n 4 ${#viewers[@]} && line+=" ${viewers[hashed]}"
          pick $n 5 ${#threads[@]} && line+=" ${threads[hashed]}"
          pick $n 6 ${#photos[@]} && inputs+=("${photos[hashed]}")
          read -ra words <<<"$line"
          options+=("${words[*]}")
          n=$((n + 1))
        done
      done
    done
  done
done
count=$n
if [ "$list" = 1 ]; then
  for ((n = 0; n < count; n++)); do
    printf '%03d %s %s\n' "$n" "$(basename "${inputs[n]}")" "${options[n]}"
  done
  exit 0
fi

work=$(mktemp -d "${TMPDIR:-/tmp}/peltrix-sweep.XXXXXX")
cleanup() {
  if [ "$keep" = 1 ]; then echo "sweep: files kept in $work"; else rm -rf "$work"; fi
}
trap cleanup EXIT

convert_all() {  # $1: program, $2: folder (old or new), $3: 1 to show progress
  local program=$1 dir=$2 show=$3 n name status
  local -a words
  mkdir -p "$dir/out" "$dir/log"
  for ((n = 0; n < count; n++)); do
    printf -v name '%03d' "$n"
    if [ "$show" = 1 ]; then printf '\rsweep: %s %d/%d ' "${dir^^}" $((n + 1)) "$count" >&2; fi
    read -ra words <<<"${options[n]}"
    status=0
    (cd "$dir/out" && exec "$program" "${words[@]}" "${inputs[n]}" "$name.raw" "$name.prg" \
      "$name.png" --frames "$name" --c64-frames "$name") 2>"$dir/log/$name.messages" </dev/null ||
      status=$?
    echo "$status" >"$dir/log/$name.status"
  done
  if [ "$show" = 1 ]; then printf '\r\033[K' >&2; fi
}

progress=0
if [ -t 2 ]; then progress=1; fi
cd "$work"
if [ "$jobs" = 2 ]; then
  convert_all "${programs[0]}" old 0 &
  convert_all "${programs[1]}" new "$progress"
  wait $!
else
  convert_all "${programs[0]}" old "$progress"
  convert_all "${programs[1]}" new "$progress"
fi

# What differs, by conversion (its 3-digit number).
declare -A found=()
note() {  # $1: file or conversion name, $2: what differs
  local n=$((10#${1:0:3}))
  found[$n]+="${found[$n]:+, }$2"
}
failed=0
for ((n = 0; n < count; n++)); do
  printf -v name '%03d' "$n"
  old_status=$(<"old/log/$name.status") new_status=$(<"new/log/$name.status")
  if [ "$old_status" != 0 ]; then
    echo "sweep: conversion $name failed with OLD (exit $old_status):" \
      "$(head -1 "old/log/$name.messages")"
    failed=$((failed + 1))
  fi
  if [ "$old_status" != "$new_status" ]; then
    note "$name" "exit status $old_status (OLD) vs $new_status (NEW)"
  elif ! cmp -s "old/log/$name.messages" "new/log/$name.messages"; then
    note "$name" "messages"
  fi
done

files=0 differing=0
while IFS= read -r file; do
  files=$((files + 1))
  if [ ! -e "old/out/$file" ]; then
    note "$file" "$file (NEW only)" && differing=$((differing + 1))
  elif [ ! -e "new/out/$file" ]; then
    note "$file" "$file (OLD only)" && differing=$((differing + 1))
  fi
done < <({ ls -A old/out && ls -A new/out; } | LC_ALL=C sort -u)
# One process compares the files both wrote; only a difference is looked at file by file.
if ! diff -rq old/out new/out >/dev/null; then
  for file in old/out/*; do
    file=${file#old/out/}
    if [ -e "new/out/$file" ] && ! cmp -s "old/out/$file" "new/out/$file"; then
      note "$file" "$file" && differing=$((differing + 1))
    fi
  done
fi

if [ ${#found[@]} -eq 0 ] && [ "$failed" = 0 ]; then
  echo "sweep: $count conversions, $files files, all identical"
  exit 0
fi
for ((n = 0; n < count; n++)); do
  if [ -n "${found[$n]:-}" ]; then
    printf '%03d differs: %s\n    %s %s\n' "$n" "${found[$n]}" "$(basename "${inputs[n]}")" \
      "${options[n]}"
  fi
done
echo "sweep: $count conversions, $files files, differences in ${#found[@]} conversions" \
  "($differing files), $failed failed with OLD"
keep=1
exit 1
