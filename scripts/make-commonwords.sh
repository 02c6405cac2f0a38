#!/usr/bin/env bash
# Regenerates the computer players' word lists under resources/commonwords/ from the Debian
# package scowl (SCOWL word lists graded by how common a word is): the English and American
# "words" lists up to a size, only words of 2 to 11 letters a-z (no capitals, no apostrophes,
# no accents), and only those the game's own word list holds, since the server accepts nothing
# else. Two lists: words.txt (up to size 35, the everyday words Easy forms) and known.txt (up to
# size 50, the well-known words Normal forms). Needs the scowl package (apt-get install scowl);
# the build does not.
set -euo pipefail

common_size=35
known_size=50
scowl=/usr/share/dict/scowl

cd "$(dirname "$0")/.."
dest="resources/commonwords"
mkdir -p "$dest"

if [[ ! -d "$scowl" ]]; then
  echo "$scowl is missing: apt-get install scowl" >&2
  exit 1
fi
version=$(dpkg-query -W -f='${Version}' scowl 2>/dev/null || echo unknown)

# write_list SIZE FILE: the SCOWL words up to SIZE that the game's list holds, into FILE.
write_list() {
  local level=$1 out=$2 lists=() f size
  for f in "$scowl"/english-words.* "$scowl"/american-words.*; do
    size=${f##*.}
    if ((size <= level)); then lists+=("$f"); fi
  done
  cat "${lists[@]}" | LC_ALL=C grep -E '^[a-z]{2,11}$' | LC_ALL=C sort -u |
    LC_ALL=C comm -12 - resources/wordlist/words.txt >"$out"
}

write_list "$common_size" "$dest/words.txt"
write_list "$known_size" "$dest/known.txt"

cp /usr/share/doc/scowl/copyright "$dest/LICENSE"

common_count=$(wc -l <"$dest/words.txt")
known_count=$(wc -l <"$dest/known.txt")
cat >"$dest/README.md" <<EOR
# Common and well-known words

Two word lists of the computer players, each drawn from the English and American word lists of
SCOWL (Spell Checker Oriented Word Lists, Kevin Atkinson) as the Debian package \`scowl\`
$version ships them, kept to words of 2 to 11 letters a-z that the game's own word list also
holds, one word per line, sorted by bytes:

- \`words.txt\`: the words Easy may form, SCOWL up to size $common_size: $common_count words.
  Size $common_size is SCOWL's "small" size: the words of an ordinary pocket dictionary with
  their inflections, and none of the rare words a word game's full list is made of.
- \`known.txt\`: the words Normal may form, SCOWL up to size $known_size: $known_count words.
  Size $known_size is SCOWL's "medium" size, the words most players know.

The copyright and permission notice of SCOWL and of the lists it draws on is in \`LICENSE\` (the
package's copyright file). Written by \`scripts/make-commonwords.sh\`; run it again (with scowl
installed) to regenerate them.
EOR

echo "wrote $common_count words to $dest/words.txt and $known_count to $dest/known.txt"
