#!/usr/bin/env bash
# Two writers on one library, for a while: morvane-syx appends voices
# (lib add and lib import, one voice each, in two processes) while a third
# process removes and renames the voices that were there at the start
# (lib rm: a whole-file rewrite; lib rename: one record written in place).
# Every command that reports success must be in the file once, every refusal
# not at all.
#
#   bash tools/morvane-syx/race.sh [MORVANE_SYX] [SECONDS] [START_RECORDS]
#
# MORVANE_SYX defaults to build/tools/morvane-syx/morvane-syx, SECONDS to 60,
# START_RECORDS to 2000. Prints the counts; the exit status is 1 when a
# voice was lost or is there twice.
set -uo pipefail

tool=${1:-build/tools/morvane-syx/morvane-syx}
seconds=${2:-60}
start=${3:-2000}
[[ -x $tool ]] || { echo "race.sh: $tool is not a program; build morvane-syx first" >&2; exit 2; }

work=$(mktemp -d /tmp/morvane-race.XXXXXX)
trap 'rm -rf "$work"' EXIT
lib=$work/RACE.SYL
echo '{}' >"$work/base.json"
"$tool" build "$work/base.json" "$work/base.syx" || exit 2

# A voice file named NAME (8 characters): the base voice with its name
# bytes (dump offsets 19-26) replaced; the checksum is not checked on reading.
voice() {
  cp "$work/base.syx" "$2"
  printf '%s' "$1" | dd of="$2" bs=1 seek=19 conv=notrunc status=none
}

# The starting library: START_RECORDS voices O0000000, O0000001, ...
files=()
for ((i = 0; i < start; i++)); do
  printf -v name 'O%07d' "$i"
  voice "$name" "$work/$name.syx"
  files+=("$work/$name.syx")
  if ((${#files[@]} == 500 || i == start - 1)); then
    "$tool" lib add "$lib" "${files[@]}" --categories Pad >/dev/null || exit 2
    rm -f "${files[@]}"
    files=()
  fi
done

end=$((SECONDS + seconds))

# An appender: VERB is add or import, PREFIX the first letter of its names.
append() {
  local verb=$1 prefix=$2 n=0 name file
  while ((SECONDS < end)); do
    printf -v name '%s%07d' "$prefix" "$n"
    file=$work/$name.syx
    voice "$name" "$file"
    if "$tool" lib "$verb" "$lib" "$file" --categories Bass >/dev/null 2>>"$work/$prefix.err"; then
      echo "$name" >>"$work/$prefix.ok"
    else
      echo "$name" >>"$work/$prefix.refused"
    fi
    rm -f "$file"
    n=$((n + 1))
  done
}

# The rewriter: removes and renames starting voices by turns. Only it moves
# records, so a number it has just listed is still right (appends go after).
rewrite() {
  local k=0 name n
  touch "$work/removed" "$work/renamed" "$work/rewrite.refused"
  while ((SECONDS < end && k < start)); do
    printf -v name 'O%07d' "$k"
    n=$("$tool" lib list "$lib" --name "$name" | awk '{print $1; exit}')
    if [[ -z $n ]]; then echo "race.sh: $name is missing before its turn" >&2; echo "$name" >>"$work/lost"; fi
    if ((k % 2 == 0)); then
      if "$tool" lib rm "$lib" "$n" >/dev/null 2>>"$work/rewrite.err"; then
        echo "$name" >>"$work/removed"
      else
        echo "$name" >>"$work/rewrite.refused"
      fi
    else
      if "$tool" lib rename "$lib" "$n" "R${name:1}" >/dev/null 2>>"$work/rewrite.err"; then
        echo "$name R${name:1}" >>"$work/renamed"
      else
        echo "$name" >>"$work/rewrite.refused"
      fi
    fi
    k=$((k + 1))
  done
}

touch "$work/A.ok" "$work/A.refused" "$work/I.ok" "$work/I.refused" "$work/lost"
append add A &
append import I &
rewrite &
wait

# What the file should hold, name by name, against what it holds.
"$tool" lib list "$lib" | awk '{print $2}' | sort >"$work/held"
{
  cat "$work/A.ok" "$work/I.ok"
  awk '{print $2}' "$work/renamed"
  for ((i = 0; i < start; i++)); do printf 'O%07d\n' "$i"; done |
    grep -vxF -f <(cat "$work/removed"; awk '{print $1}' "$work/renamed") || true
} | sort >"$work/expected"

lost=$(comm -23 "$work/expected" "$work/held" | wc -l)
extra=$(comm -13 "$work/expected" "$work/held" | wc -l)
twice=$(uniq -d "$work/held" | wc -l)
refusedIn=$(comm -12 <(sort "$work/A.refused" "$work/I.refused") "$work/held" | wc -l)

echo "seconds: $seconds, records at the start: $start, at the end: $(wc -l <"$work/held")"
echo "lib add: $(wc -l <"$work/A.ok") added, $(wc -l <"$work/A.refused") refused"
echo "lib import: $(wc -l <"$work/I.ok") added, $(wc -l <"$work/I.refused") refused"
echo "lib rm: $(wc -l <"$work/removed"), lib rename: $(wc -l <"$work/renamed"), rewrites refused: $(wc -l <"$work/rewrite.refused")"
echo "lost: $lost, unexpected: $extra, twice: $twice, refused but there: $refusedIn"
if [[ -s $work/A.err || -s $work/I.err || -s $work/rewrite.err ]]; then
  echo "messages of refused commands (first 3):"
  cat "$work"/*.err | sort | uniq -c | sort -rn | head -3
fi
((lost == 0 && extra == 0 && twice == 0 && refusedIn == 0)) || exit 1
