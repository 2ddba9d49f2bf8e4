#!/usr/bin/env bash
# Installs every Debian package the project builds, tests and runs with.
# Quick when everything is already present: apt-get runs only for what is missing.
set -euo pipefail

packages=(
  build-essential cmake pkg-config git
  libxml2-dev libxml2-utils
  libxmlsec1-dev xmlsec1
  libssl-dev openssl
  libp11-kit-dev softhsm2 opensc opensc-pkcs11
  libcurl4-openssl-dev
  zlib1g-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  nlohmann-json3-dev
  libcpp-httplib-dev libsqlite3-dev
  qt6-base-dev
  libcairo2-dev libpango1.0-dev libzint-dev
  libcups2-dev cups cups-client zbar-tools
  fonts-urw-base35 fonts-dejavu-core
  python3 python3-aiosmtpd
  poppler-utils
  clang libclang-rt-14-dev ccache
  dpkg-dev
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -gt 0 ]; then
  SUDO=""
  [ "$(id -u)" -ne 0 ] && SUDO="sudo"
  echo "Instalando pacotes: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  $SUDO apt-get update -qq
  $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
