#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need, if any is missing; with arguments,
# only the packages named.
set -euo pipefail
packages=(cmake g++ make googletest libgtest-dev libgmock-dev
          g++-mingw-w64-x86-64 g++-mingw-w64-i686 wine wine64 xvfb xauth imagemagick
          xdotool x11-utils g++-multilib qemu-user libxml2-utils clang libclang-rt-dev)
if (($#)); then packages=("$@"); fi
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if ((${#missing[@]})); then
  echo "Installing: ${missing[*]}"
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo=sudo
  # Another installation may be running: wait for it instead of failing. The package lists'
  # lock has no timeout option, so the update is tried again while it is held.
  for attempt in $(seq 60); do
    if out=$($sudo apt-get update -qq 2>&1); then break; fi
    if ! grep -q 'Could not get lock' <<<"$out" || [ "$attempt" -eq 60 ]; then
      echo "$out" >&2
      exit 1
    fi
    sleep 10
  done
  DEBIAN_FRONTEND=noninteractive $sudo apt-get -o DPkg::Lock::Timeout=600 install -y -qq \
    "${missing[@]}" >/dev/null
fi
