#!/usr/bin/env bash
# Builds the Debian package, installs it with dpkg into a scratch root and runs the installed
# programs from there: help, a key, the installed data (a TX2 example through the installed
# dictionary), the manual page; then removes it. Usage: pacote_deb.sh BUILD VERSION
set -euo pipefail
build=$1
versao=$2
trabalho=$(mktemp -d "${TMPDIR:-/tmp}/moxnfe-pacote.XXXXXX")
trap 'rm -rf "$trabalho"' EXIT
falha() { echo "FALHOU: $*" >&2; exit 1; }

cpack --config "$build/CPackConfig.cmake" -B "$trabalho/pacote" > "$trabalho/cpack.log" 2>&1 ||
  { cat "$trabalho/cpack.log" >&2; falha "cpack"; }
deb="$trabalho/pacote/moxnfe_${versao}_amd64.deb"
[ -f "$deb" ] || falha "pacote $(basename "$deb") não gerado: $(ls "$trabalho/pacote")"
# Outputs are kept before grep reads them: with pipefail, grep -q ending early would fail the writer.
tem() { grep -q -- "$2" <<< "$1"; }
dependencias=$(dpkg-deb -f "$deb" Depends)
tem "$dependencias" "libxmlsec1-openssl" || falha "dependências: $dependencias"

# A root of its own with an empty dpkg database; the libraries come from the machine.
raiz="$trabalho/raiz"
mkdir -p "$raiz/var/lib/dpkg/info" "$raiz/var/lib/dpkg/updates"
touch "$raiz/var/lib/dpkg/status"
dpkg --root="$raiz" --log=/dev/null --force-depends --force-script-chrootless -i "$deb" > "$trabalho/dpkg.log" 2>&1 ||
  { cat "$trabalho/dpkg.log" >&2; falha "dpkg -i"; }
tem "$(dpkg --root="$raiz" -s moxnfe)" "^Status: install ok installed" || falha "dpkg -s"
for arquivo in usr/bin/moxnfe usr/bin/moxnfe-sandbox usr/share/moxnfe/Templates/vm50a/Conversor/NFeDataSets.xml \
  usr/share/man/man1/moxnfe.1.gz usr/share/doc/moxnfe/README.md; do
  [ -e "$raiz/$arquivo" ] || falha "não instalado: /$arquivo"
done

# The installed programs, run from a folder of their own with a fresh home.
export HOME="$trabalho/casa"
unset MOXNFE_DADOS MOXNFE_DADOS_INSTALADOS XDG_DATA_HOME XDG_CONFIG_HOME
mkdir -p "$HOME" "$trabalho/uso"
cd "$trabalho/uso"
bin="$raiz/usr/bin"
tem "$("$bin/moxnfe" --help)" "^Uso: moxnfe <comando>" || falha "moxnfe --help"
[ "$("$bin/moxnfe" --version)" = "moxnfe $versao" ] || falha "moxnfe --version"
chave=$("$bin/moxnfe" chave calcular --uf SP --data 2014-03-15 --cnpj 12345678000195 --serie 1 --numero 124 \
  --codigo 12345678)
[ "$chave" = $'Chave de acesso: 35140312345678000195550010000001241123456788\nDígito verificador: 8' ] ||
  falha "chave calcular: $chave"
tem "$("$bin/moxnfe" dicionario verificar)" "^Dicionário: $raiz/usr/share/moxnfe/Templates/vm60/Conversor/NFeDataSets.xml$" ||
  falha "dicionário instalado"
"$bin/moxnfe" tx2 exemplo > nota.tx2
[ "$("$bin/moxnfe" tx2 converter nota.tx2 --silencioso | grep -c '^<infNFe Id="NFe[0-9]*" versao="4.00"')" = 1 ] ||
  falha "tx2 converter (leiaute 4.00)"
"$bin/moxnfe" tx2 exemplo duas-notas > notas.tx2
[ "$("$bin/moxnfe" tx2 converter notas.tx2 --esquema pl_008i1 --silencioso | grep -c '^<infNFe Id="NFe')" = 2 ] ||
  falha "tx2 converter (leiaute 3.10)"
tem "$("$bin/moxnfe-sandbox" --help)" "moxnfe-sandbox COMANDO" || falha "moxnfe-sandbox --help"
if [ -x "$bin/moxnfe-certificados" ]; then
  tem "$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$bin/moxnfe-certificados" --help)" "^Uso:" ||
    falha "moxnfe-certificados --help"
fi
tem "$(zcat "$raiz/usr/share/man/man1/moxnfe.1.gz")" '^\.SH "chave calcular"' || falha "manual"
[ -z "$(find "$raiz/usr" -newer "$raiz/var/lib/dpkg/status" -type f -path '*LogErro*')" ] || falha "log no sistema"

dpkg --root="$raiz" --log=/dev/null --force-script-chrootless -r moxnfe > "$trabalho/dpkg.log" 2>&1 ||
  { cat "$trabalho/dpkg.log" >&2; falha "dpkg -r"; }
[ ! -e "$bin/moxnfe" ] || falha "dpkg -r deixou /usr/bin/moxnfe"
echo "pacote $(basename "$deb") instalado, usado e removido em $raiz"
