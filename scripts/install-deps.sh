#!/usr/bin/env bash
# Installs what building, running and testing Halvit needs on Debian 12.
# Idempotent and quiet: asks dpkg which packages are missing, installs only those,
# and prints nothing when everything is already there.
set -euo pipefail

PACKAGES=(
  build-essential cmake pkg-config
  libgtest-dev libgmock-dev googletest libbenchmark-dev
  libwebkit2gtk-4.1-dev libgtk-3-dev libpcre2-dev libsoup-3.0-dev libx11-dev
  xvfb xauth xdotool x11-utils imagemagick bubblewrap
  python3 fonts-liberation fonts-dejavu-core surf procps
)

missing=()
for pkg in "${PACKAGES[@]}"; do
  # A package removed but not purged reads "deinstall ok config-files": only
  # "installed" counts as present.
  status=$(dpkg-query -W -f='${db:Status-Status}' "$pkg" 2>/dev/null || true)
  if [[ "$status" != "installed" ]]; then
    missing+=("$pkg")
  fi
done

if ((${#missing[@]} == 0)); then
  exit 0
fi

if [[ $(id -u) -eq 0 ]]; then
  as_root=()
elif command -v sudo >/dev/null 2>&1; then
  as_root=(sudo)
else
  echo "install-deps: missing packages (${missing[*]}), and neither root nor sudo is available" >&2
  exit 1
fi

echo "install-deps: installing ${missing[*]}"
"${as_root[@]}" env DEBIAN_FRONTEND=noninteractive apt-get update -qq >/dev/null
"${as_root[@]}" env DEBIAN_FRONTEND=noninteractive \
  apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
