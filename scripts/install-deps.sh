#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the demo need.
# Fast when everything is present: only missing packages trigger apt-get.
set -euo pipefail

packages=(
  cmake ninja-build g++ clang pkg-config
  qt6-base-dev
  libsqlite3-dev libpugixml-dev libcurl4-openssl-dev uuid-dev libicu-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  libcpp-httplib-dev libxml2-utils xvfb
  ca-certificates locales tzdata
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if ((${#missing[@]})); then
  echo "Installing: ${missing[*]}"
  sudo_cmd=()
  [ "$(id -u)" -ne 0 ] && sudo_cmd=(sudo)
  export DEBIAN_FRONTEND=noninteractive
  "${sudo_cmd[@]}" apt-get update -qq
  "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

# The locale tests play German, American, British and Finnish users (Finnish times
# are written "14.00.00"); generate those locales once.
missing_locale=false
for l in de_DE en_US en_GB fi_FI; do
  locale -a 2>/dev/null | grep -qi "^$l.utf8$" || missing_locale=true
done
if command -v locale >/dev/null && $missing_locale; then
  sudo_cmd=()
  [ "$(id -u)" -ne 0 ] && sudo_cmd=(sudo)
  for l in "de_DE.UTF-8 UTF-8" "en_US.UTF-8 UTF-8" "en_GB.UTF-8 UTF-8" "fi_FI.UTF-8 UTF-8"; do
    grep -qxF "$l" /etc/locale.gen 2>/dev/null || echo "$l" | "${sudo_cmd[@]}" tee -a /etc/locale.gen >/dev/null
  done
  "${sudo_cmd[@]}" locale-gen >/dev/null
fi
