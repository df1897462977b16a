#!/usr/bin/env bash
# Counts with callgrind the instructions of one encode of each kind and
# prints, per raw input byte, those spent outside zlib's deflate: the
# inclusive cost of the encode call minus the inclusive cost of deflate.
#
# usage: callgrind.sh [IMAGE.png] [PNG-BENCH]
set -euo pipefail

here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
repo="$(cd "$here/../.." && pwd)"
image="${1:-$repo/../shared/corpus/doc-1080.png}"
binary="${2:-$repo/build-bench/bench/png-bench/png-bench}"
limit=2.5

for tool in valgrind callgrind_annotate; do
  command -v "$tool" >/dev/null || { echo "callgrind.sh: $tool not found (apt-get install valgrind)" >&2; exit 2; }
done
[[ -x "$binary" ]] || { echo "callgrind.sh: no png-bench at $binary; build it first" >&2; exit 2; }
[[ -f "$image" ]] || { echo "callgrind.sh: no image $image" >&2; exit 2; }

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

# Runs one encode of a kind under callgrind. Collection is switched on and
# off on entering and leaving each function named by a --toggle-collect
# pattern, so only the encode call is counted, never the decoding before it.
count_encode() {
  local kind="$1" name="$2"
  shift 2
  valgrind --tool=callgrind --callgrind-out-file="$work/$name.out" "$@" \
    "$binary" --once "$kind" "$image" >"$work/$name.log" 2>"$work/$name.err" ||
    { cat "$work/$name.err" >&2; exit 1; }
}

# The inclusive instruction count of the first function in the listing whose
# line matches the pattern.
inclusive_cost() {
  awk -v pattern="$2" '$0 ~ pattern { gsub(",", "", $1); print $1; found = 1; exit } END { if (!found) print 0 }' "$1"
}

echo "instructions per raw byte outside deflate, one encode of $(basename "$image") (target for ours: <= $limit)"
printf '  %-7s %15s %15s %15s %9s\n' encoder encode deflate outside per-byte
for kind in ours libpng floor; do
  count_encode "$kind" "$kind" '--toggle-collect=*Encoder::Encode()'
  callgrind_annotate --inclusive=yes --threshold=100 "$work/$kind.out" >"$work/$kind.listing"
  raw=$(sed -n 's/.*raw \([0-9]*\) bytes.*/\1/p' "$work/$kind.log")
  encode=$(inclusive_cost "$work/$kind.listing" 'Encoder::Encode\\(\\) \\[')
  deflate=$(inclusive_cost "$work/$kind.listing" ':deflate \\[')
  outside=$((encode - deflate))
  printf '  %-7s %15d %15d %15d %9.3f\n' "$kind" "$encode" "$deflate" "$outside" \
    "$(awk -v n="$outside" -v d="$raw" 'BEGIN { print n / d }')"
done

# Toggling at deflate as well switches collection off for the time deflate
# runs, which leaves ours' cost outside deflate split by function.
count_encode ours ours-outside '--toggle-collect=*Encoder::Encode()' '--toggle-collect=deflate'
echo
echo "ours outside deflate, by function (cost of its own):"
callgrind_annotate --threshold=100 "$work/ours-outside.out" |
  awk '/file:function/ { listing = 1; next } listing && /^ *[0-9]/' | head -n 8
