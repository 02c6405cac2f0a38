#!/usr/bin/env bash
# Regenerates the Easy computer player's common-word list under resources/commonwords/ from the
# Debian package scowl (SCOWL word lists graded by how common a word is): the English and
# American "words" lists up to size 35, only words of 2 to 11 letters a-z (no capitals, no
# apostrophes, no accents), and only those the game's own word list holds, since the server
# accepts nothing else. Needs the scowl package (apt-get install scowl); the build does not.
set -euo pipefail

level=35
scowl=/usr/share/dict/scowl

cd "$(dirname "$0")/.."
dest="resources/commonwords"
mkdir -p "$dest"

if [[ ! -d "$scowl" ]]; then
  echo "$scowl is missing: apt-get install scowl" >&2
  exit 1
fi
version=$(dpkg-query -W -f='${Version}' scowl 2>/dev/null || echo unknown)

lists=()
for f in "$scowl"/english-words.* "$scowl"/american-words.*; do
  size=${f##*.}
  if ((size <= level)); then lists+=("$f"); fi
done

cat "${lists[@]}" | LC_ALL=C grep -E '^[a-z]{2,11}$' | LC_ALL=C sort -u |
  LC_ALL=C comm -12 - resources/wordlist/words.txt >"$dest/words.txt"

cp /usr/share/doc/scowl/copyright "$dest/LICENSE"

count=$(wc -l <"$dest/words.txt")
cat >"$dest/README.md" <<EOR
# Common words

\`words.txt\` holds the words the Easy computer player may form: the English and American word
lists of SCOWL (Spell Checker Oriented Word Lists, Kevin Atkinson) up to size $level, as the
Debian package \`scowl\` $version ships them, kept to words of 2 to 11 letters a-z that the game's
own word list also holds. $count words, one per line, sorted by bytes. The copyright and
permission notice of SCOWL and of the lists it draws on is in \`LICENSE\` (the package's
copyright file).

Size $level is SCOWL's "small" size: the words of an ordinary pocket dictionary with their
inflections, and none of the rare words a word game's full list is made of. Written by
\`scripts/make-commonwords.sh\`; run it again (with scowl installed) to regenerate it.
EOR

echo "wrote $count words to $dest/words.txt"
