#!/usr/bin/env bash
# Installs the build into a folder of its own and checks what a desktop
# needs: the programs, a valid menu entry, the icons and the .syx file type.
set -euo pipefail
build=$1
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT

cmake --install "$build" --prefix "$prefix" >/dev/null
for program in morvane morvane-syx morvane-sim; do
  [[ -x "$prefix/bin/$program" ]] || { echo "bin/$program is not installed" >&2; exit 1; }
  # Every program names itself and its version, and ends at once.
  version=$(ASAN_OPTIONS=detect_leaks=0 "$prefix/bin/$program" --version) \
    || { echo "$program --version failed" >&2; exit 1; }
  [[ "$version" =~ ^$program\ [0-9]+\.[0-9]+$ ]] || { echo "$program --version said: $version" >&2; exit 1; }
done

# Each program has its manual page, which man reads without a complaint.
for program in morvane morvane-syx morvane-sim; do
  page="$prefix/share/man/man1/$program.1"
  [[ -s "$page" ]] || { echo "no manual page for $program" >&2; exit 1; }
  if command -v man >/dev/null; then
    warnings=$(MANWIDTH=80 man --warnings -l "$page" 2>&1 >/dev/null)
    [[ -z "$warnings" ]] || { echo "$page: $warnings" >&2; exit 1; }
  fi
done

entry="$prefix/share/applications/morvane.desktop"
desktop-file-validate "$entry"
grep -qx 'Exec=morvane %f' "$entry" || { echo "the entry does not pass the file on" >&2; exit 1; }
grep -q '^Categories=.*Audio;.*Midi;' "$entry" || { echo "the entry is not under Audio/Midi" >&2; exit 1; }

for size in 16 32 48 256; do
  icon="$prefix/share/icons/hicolor/${size}x${size}/apps/morvane.png"
  [[ -s "$icon" ]] || { echo "no ${size}px icon" >&2; exit 1; }
done

# The file type must build into a MIME database that maps both spellings.
update-mime-database "$prefix/share/mime"
for glob in '\*.syx' '\*.SYX'; do
  grep -q "audio/x-sysex:${glob}" "$prefix/share/mime/globs" \
    || grep -qi "audio/x-sysex:${glob}" "$prefix/share/mime/globs" \
    || { echo "no $glob in the MIME database" >&2; cat "$prefix/share/mime/globs" >&2; exit 1; }
done
grep -q 'audio/x-sysex' "$prefix/share/mime/types" || { echo "audio/x-sysex is not a type" >&2; exit 1; }
echo "installed and valid"
