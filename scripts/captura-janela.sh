#!/usr/bin/env bash
# Grava uma imagem PNG da janela "Certificados instalados", sem precisar de tela (plataforma
# offscreen do Qt), com dois certificados de exemplo num repositório temporário.
#   bash scripts/captura-janela.sh [arquivo.png]      (padrão: docs/janela-certificados.png)
set -euo pipefail
cd "$(dirname "$0")/.."
saida="${1:-docs/janela-certificados.png}"

bash scripts/setup.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$(nproc)" --target moxnfe-certificados >/dev/null

repositorio=$(mktemp -d)
trap 'rm -rf "$repositorio"' EXIT
# Certificados autoassinados, só para a imagem.
n=0
for titular in "EMPRESA EXEMPLO LTDA:12345678000195" "COMERCIO MODELO SA:11222333000181"; do
  n=$((n + 1))
  openssl req -x509 -newkey rsa:2048 -nodes -days 365 -subj "/O=ICP-Brasil/CN=$titular" \
    -keyout "$repositorio/$n.key" -out "$repositorio/$n.crt" 2>/dev/null
  openssl pkcs12 -export -inkey "$repositorio/$n.key" -in "$repositorio/$n.crt" -passout pass: \
    -out "$repositorio/$n.pfx"
  rm -f "$repositorio/$n.key" "$repositorio/$n.crt"
done

mkdir -p "$(dirname "$saida")"
QT_QPA_PLATFORM=offscreen XDG_RUNTIME_DIR="$repositorio" \
  build/moxnfe-certificados --certificados "$repositorio" --escolher 1 --captura "$saida"
