#!/usr/bin/env bash
# install_tree.sh BUILD_DIR DESKTOP_ENTRY_FROM_BIN SIZE...: installs the build as a package would
# (prefix /usr under a temporary DESTDIR) and checks that exactly the promised files arrive.
set -euo pipefail
build=$1
entry=$2
shift 2
sizes=("$@")

root=$(mktemp -d)
log=$(mktemp)
trap 'rm -rf "$root" "$log"' EXIT
if ! DESTDIR="$root" cmake --install "$build" --prefix /usr >"$log" 2>&1; then
  cat "$log"
  echo "FAILED: cmake --install"
  exit 1
fi

expected=(
  usr/bin/korvel
  usr/share/applications/korvel.desktop
  usr/share/metainfo/korvel.metainfo.xml
  usr/share/icons/hicolor/scalable/apps/korvel.svg
  usr/share/doc/korvel/README.md
  usr/share/doc/korvel/docs/screenshot.png
  usr/share/doc/korvel/wordlist/LICENSE
  usr/share/doc/korvel/wordlist/README.md
)
for s in "${sizes[@]}"; do
  expected+=("usr/share/icons/hicolor/${s}x${s}/apps/korvel.png")
done

failed=0
actual=$(cd "$root" && find . -type f -printf '%P\n' | sort)
wanted=$(printf '%s\n' "${expected[@]}" | sort)
if [[ "$actual" != "$wanted" ]]; then
  echo "FAILED: installed files differ from the expected ones (< expected, > installed):"
  diff <(echo "$wanted") <(echo "$actual") || true
  failed=1
fi

[[ -x "$root/usr/bin/korvel" ]] || { echo "FAILED: usr/bin/korvel is not executable"; failed=1; }

# The installed program recognises itself as installed by finding its desktop entry.
if [[ ! -f "$root/usr/bin/$entry" ]]; then
  echo "FAILED: usr/bin/$entry does not reach the installed desktop entry"
  failed=1
fi

# Each PNG is as large as the folder it sits in says (width and height from the IHDR chunk).
for s in "${sizes[@]}"; do
  png="$root/usr/share/icons/hicolor/${s}x${s}/apps/korvel.png"
  [[ -f "$png" ]] || continue
  read -r w1 w2 w3 w4 h1 h2 h3 h4 < <(od -An -tu1 -j16 -N8 "$png")
  w=$(((w1 << 24) | (w2 << 16) | (w3 << 8) | w4))
  h=$(((h1 << 24) | (h2 << 16) | (h3 << 8) | h4))
  if [[ "$w" != "$s" || "$h" != "$s" ]]; then
    echo "FAILED: ${s}x${s}/apps/korvel.png is ${w}x${h}"
    failed=1
  fi
done

[[ $failed -eq 0 ]] && echo "ok: ${#expected[@]} files installed as expected"
exit $failed
