#!/usr/bin/env bash
# validate_metadata.sh PACKAGING_DIR: the desktop entry and the metainfo pass their validators.
set -uo pipefail
dir=$1
failed=0

# Hints fail too: one says, for example, that the entry would land in no main menu category.
if out=$(desktop-file-validate "$dir/korvel.desktop" 2>&1) && [[ -z "$out" ]]; then
  echo "ok: korvel.desktop"
else
  echo "$out"
  echo "FAILED: desktop-file-validate korvel.desktop"
  failed=1
fi

# Warnings fail too. The id follows the desktop entry's name, korvel, because the project has no
# domain of its own to reverse, so that one naming hint is only informational here.
if appstreamcli validate --no-net --override=cid-desktopapp-is-not-rdns=info \
  "$dir/korvel.metainfo.xml"; then
  echo "ok: korvel.metainfo.xml"
else
  echo "FAILED: appstreamcli validate korvel.metainfo.xml"
  failed=1
fi

# The metainfo launches the entry that the install rules put in place.
if ! grep -q '<launchable type="desktop-id">korvel.desktop</launchable>' "$dir/korvel.metainfo.xml"; then
  echo "FAILED: the metainfo does not launch korvel.desktop"
  failed=1
fi
# Invitation links (korvel://HOST:PORT) open the game: the entry handles the scheme and passes
# the link on as the one argument.
if ! grep -qx 'MimeType=x-scheme-handler/korvel;' "$dir/korvel.desktop" ||
  ! grep -qx 'Exec=korvel %u' "$dir/korvel.desktop"; then
  echo "FAILED: korvel.desktop does not open korvel:// links"
  failed=1
fi
exit $failed
