#!/usr/bin/env bash
# Runs every `sh` block of README.md, in order, as a new user would: from an empty folder, with
# the programs of the build on PATH, as a user who cannot write the build folder (nobody, when
# the test runs as root), with a fresh home where the schema packages were installed as the README
# says. Then checks where every file went. Usage: exemplos_leiame.sh SOURCE BUILD SCHEMAS
# (MOXNFE_SCHEMAS, when set, names the schema packages instead of SCHEMAS).
set -euo pipefail
fonte=$(cd "$1" && pwd)
build=$(cd "$2" && pwd)
esquemas=$(cd "${MOXNFE_SCHEMAS:-$3}" && pwd)
falha() { echo "FALHOU: $*" >&2; exit 1; }

trabalho=$(mktemp -d "${TMPDIR:-/tmp}/moxnfe-leiame.XXXXXX")
trap '[ -n "${MANTER:-}" ] || rm -rf "$trabalho"' EXIT
chmod 755 "$trabalho"
casa="$trabalho/casa"
pasta="$trabalho/pasta"
mkdir -p "$casa/.local/share/moxnfe" "$pasta"
ln -s "$esquemas" "$casa/.local/share/moxnfe/pacotes"

# The README's sh blocks, one script; background jobs it started end with it.
roteiro="$trabalho/roteiro.sh"
{
  echo 'set -euo pipefail'
  echo "trap 'kill \$(jobs -p) 2> /dev/null || true' EXIT"
  awk '/^```sh$/ {dentro = 1; next} /^```/ {dentro = 0} dentro' "$fonte/README.md"
} > "$roteiro"
grep -q "moxnfe chave calcular" "$roteiro" || falha "os blocos sh do README não foram encontrados"

como=()
if [ "$(id -u)" -eq 0 ]; then
  chown -R nobody:nogroup "$casa" "$pasta"
  como=(setpriv --reuid=nobody --regid=nogroup --clear-groups)
fi
"${como[@]}" test ! -w "$build" || falha "o usuário do teste pode gravar em $build"
marca="$trabalho/marca"
touch "$marca"

# A sanitizer build keeps its options; a clean environment would turn leak checking back on.
sanitizadores=()
for variavel in ASAN_OPTIONS UBSAN_OPTIONS LSAN_OPTIONS; do
  [ -z "${!variavel:-}" ] || sanitizadores+=("$variavel=${!variavel}")
done
saida="$trabalho/saida.txt"
(cd "$pasta" && "${como[@]}" env -i HOME="$casa" PATH="$build:/usr/bin:/bin" LANG=C.UTF-8 "${sanitizadores[@]}" \
  timeout 300 bash "$roteiro") > "$saida" 2>&1 || { cat "$saida" >&2; falha "um exemplo do README falhou"; }

# What the user sees.
for texto in "Chave de acesso: 35140312345678000195550010000001241123456788" "Chave válida" \
  "Configuração gravada em $pasta/nfeConfig.ini" "Configuração válida: $pasta/nfeConfig.ini" \
  "SEFAZ: 107" "Recibo: " "100 - Autorizado"; do
  grep -qF "$texto" "$saida" || { cat "$saida" >&2; falha "a saída não traz: $texto"; }
done

# Where every file went: what the commands named, in the current folder...
esperados="cert envio.txt estado nfeConfig.ini nfeServidoresHom.ini nota-assinada.xml nota.xml notas.tx2 notas.txt
sandbox.log sandbox.out senha.txt"
[ "$(ls "$pasta" | tr '\n' ' ')" = "$(echo $esperados) " ] || falha "na pasta atual: $(ls "$pasta" | tr '\n' ' ')"
[ "$(grep -c '^<infNFe' "$pasta/notas.txt")" = 2 ] || falha "notas.txt"
grep -q "<Signature" "$pasta/nota-assinada.xml" || falha "nota-assinada.xml sem assinatura"
grep -qx "ArquivoServidoresHom=nfeServidoresHom.ini" "$pasta/nfeConfig.ini" || falha "servidores relativos à configuração"
# ...the certificate store in the user's data folder...
pfx=$(ls "$casa"/.local/share/moxnfe/certificados/*.pfx 2> /dev/null || true)
[ -n "$pfx" ] && grep -qF "Arquivo: $pfx" "$saida" || falha "certificado importado: $pfx"
[ "$(stat -c %a "$pfx.senha")" = 600 ] || falha "senha 0600"
# ...and nothing else anywhere: the home holds only the user's folders of moxnfe; the build
# folder cannot be written by nobody, and as another user no file of it is newer than the start
# (other tests of the run write only under Testing and tests).
for item in $(cd "$casa" && find . -mindepth 1 -maxdepth 3 | sort); do
  case "$item" in
    ./.local | ./.local/share | ./.local/share/moxnfe | ./.local/share/moxnfe/* | ./.config | ./.config/moxnfe | ./.config/moxnfe/*) ;;
    # The system's PKCS#11 modules (OpenSC through p11-kit) keep their cache in the user's cache folder.
    ./.cache | ./.cache/*) ;;
    *) falha "arquivo inesperado em casa: $item" ;;
  esac
done
if [ ${#como[@]} -eq 0 ]; then
  novos=$(find "$build" -newer "$marca" -type f -not -path "$build/Testing/*" -not -path "$build/tests/*" | head -5)
  [ -z "$novos" ] || falha "arquivos gravados na pasta de compilação: $novos"
fi
echo "exemplos do README executados em $pasta"
