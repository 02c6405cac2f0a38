#!/usr/bin/env bash
# Regenerates the committed word list under resources/wordlist/ from the npm package word-list
# 4.1.0 (MIT): words.txt holds one lower-case word per line in byte order (LC_ALL=C), LICENSE the
# package's licence text. Needs npm and the network; the build itself needs neither.
set -euo pipefail

package="word-list"
version="4.1.0"

cd "$(dirname "$0")/.."
dest="resources/wordlist"
mkdir -p "$dest"

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

# npm pack fetches the published tarball without installing anything or running scripts.
(cd "$tmp" && npm pack "$package@$version" --silent >/dev/null)
tar -xzf "$tmp/$package-$version.tgz" -C "$tmp"

got_version=$(node -p "require('$tmp/package/package.json').version")
if [[ "$got_version" != "$version" ]]; then
  echo "expected $package $version, got $got_version" >&2
  exit 1
fi

# The package's list has no final newline and is not in byte order; drop CRs and empty lines,
# lower-case, sort by bytes, one word per line with a final newline.
tr -d '\r' <"$tmp/package/words.txt" | tr '[:upper:]' '[:lower:]' | grep -v '^$' |
  LC_ALL=C sort >"$dest/words.txt"

if LC_ALL=C grep -q '[^a-z]' "$dest/words.txt"; then
  echo "the list holds characters other than a-z" >&2
  exit 1
fi

cp "$tmp/package/license" "$dest/LICENSE"

count=$(wc -l <"$dest/words.txt")
cat >"$dest/README.md" <<EOF
# Word list

\`words.txt\` is the word list of the npm package \`$package\` version $version
(https://www.npmjs.com/package/$package, source https://github.com/sindresorhus/word-list),
MIT licence, copyright Sindre Sorhus; the licence text is in \`LICENSE\`.

It holds $count lower-case English words, one per line, sorted by bytes. It was written by
\`scripts/fetch-wordlist.sh\`; run that script again to regenerate it. The build turns it into the
word list blob "TEXT_DEMO" (see dictionary/README.md).
EOF

echo "wrote $count words to $dest/words.txt"
