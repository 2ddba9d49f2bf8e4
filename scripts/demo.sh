#!/usr/bin/env bash
# Demonstração ponta a ponta contra o sandbox SEFAZ local: certificados de teste, sandbox HTTPS,
# arquivo de servidores, status do serviço, duas NF-e do leiaute 4.00 (Manual 6.0, o padrão)
# assinadas, validadas e enviadas em lote, recibo com os protocolos, consulta e cancelamento de
# uma delas, e três notas emitidas de um TX2 (uma com os grupos da reforma tributária) até o
# nfeProc de cada uma, tudo pelo componente. Sai com erro em qualquer falha.
#
# Os arquivos que a demonstração faz (notas assinadas, respostas da SEFAZ, registro do sandbox)
# ficam numa pasta que ela mostra no fim; --limpar apaga essa pasta ao terminar.
#
# Variáveis: MOXNFE_SCHEMAS (pacotes de esquemas oficiais; padrão ../shared/schemas),
# MOXNFE_PROGRAMAS (pasta com moxnfe e moxnfe-sandbox já compilados: dispensa instalação e
# compilação).
set -euo pipefail
limpar=0
for argumento in "$@"; do
  case "$argumento" in
    --limpar) limpar=1 ;;
    -h | --help)
      echo "Uso: bash scripts/demo.sh [--limpar]   (--limpar apaga os arquivos da demonstração ao terminar)"
      exit 0
      ;;
    *)
      echo "Opção desconhecida: $argumento (use --limpar ou --help)" >&2
      exit 2
      ;;
  esac
done
cd "$(dirname "$0")/.."
raiz=$(pwd)

if [ -n "${MOXNFE_PROGRAMAS:-}" ]; then
  bin="$MOXNFE_PROGRAMAS"
else
  bash scripts/setup.sh
  cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo > /dev/null
  cmake --build build -j"$(nproc)" --target moxnfe-cli moxnfe-sandbox moxnfe-dados
  bin="$raiz/build"
fi
esquemas="${MOXNFE_SCHEMAS:-$(cd .. && pwd)/shared/schemas}"
if [ ! -d "$esquemas" ]; then
  echo "Pasta de esquemas não encontrada: $esquemas (defina MOXNFE_SCHEMAS)" >&2
  exit 1
fi

trabalho=$(mktemp -d "${TMPDIR:-/tmp}/moxnfe-demo.XXXXXX")
sandbox_pid=""
encerra() {
  if [ -n "$sandbox_pid" ]; then
    kill "$sandbox_pid" 2> /dev/null || true
    wait "$sandbox_pid" 2> /dev/null || true
  fi
  if [ "$limpar" = "1" ]; then
    rm -rf "$trabalho"
    echo "Arquivos da demonstração apagados (--limpar)."
  else
    echo
    echo "Arquivos da demonstração em $trabalho:"
    echo "  notas assinadas: $trabalho/nota-*-assinada.xml"
    echo "  respostas de cada passo: $trabalho/respostas/"
    echo "  notas autorizadas (nfeProc) de \"moxnfe nfe emitir\": $trabalho/destinatario/"
    echo "  auditoria das notas autorizadas: $trabalho/respostas/auditoria.txt"
    echo "  cofre (por CNPJ/ano/mês, com o índice SHA-256): $trabalho/cofre/"
    echo "  registro do sandbox: $trabalho/sandbox.log"
    echo "Para apagá-los: rm -rf $trabalho (ou rode a demonstração com --limpar)."
  fi
}
trap encerra EXIT

passo() { printf '\n== %s\n' "$*"; }

# Runs a command, shows its output and keeps it in respostas/NN-NAME.txt ($saida); a failure ends
# the demonstration.
mkdir -p "$trabalho/respostas"
passos=0
executa() {
  local nome=$1 status=0
  shift
  passos=$((passos + 1))
  saida="$trabalho/respostas/$(printf '%02d' "$passos")-$nome.txt"
  "$@" > "$saida" || status=$?
  cat "$saida"
  if [ "$status" -ne 0 ]; then
    echo "Falhou (saída $status): $*" >&2
    exit "$status"
  fi
}

cnpj=12345678000195
senha=demo
certificados="$trabalho/certificados"

passo "Certificados de teste: autoridade, servidor e e-CNPJ $cnpj"
executa certificados "$bin/moxnfe-sandbox" certificados --saida "$certificados" --cnpj "$cnpj" \
  --nome "EMPRESA DEMONSTRACAO LTDA" --senha "$senha"

passo "Sandbox SEFAZ (homologação) numa porta livre"
"$bin/moxnfe-sandbox" iniciar --estado "$trabalho/estado" --esquemas "$esquemas" --porta 0 \
  --ca "$certificados/ac.pem" --certificado "$certificados/servidor.pem" --chave "$certificados/servidor.key" \
  > "$trabalho/sandbox.out" 2> "$trabalho/sandbox.log" &
sandbox_pid=$!
url=""
for _ in $(seq 300); do
  url=$(sed -n 's/^PRONTO //p' "$trabalho/sandbox.out")
  [ -n "$url" ] && break
  if ! kill -0 "$sandbox_pid" 2> /dev/null; then
    cat "$trabalho/sandbox.log" >&2
    echo "O sandbox não iniciou." >&2
    exit 1
  fi
  sleep 0.1
done
[ -n "$url" ] || { echo "O sandbox não ficou pronto a tempo." >&2; exit 1; }
echo "Sandbox em $url"

passo "Arquivo de servidores apontando para o sandbox"
servidores="$trabalho/nfeServidoresHom.ini"
executa servidores "$bin/moxnfe-sandbox" servidores --url "$url" --saida "$servidores"

# The schemas folder as the component reads it: our mapping beside the official package. The
# component validates every request of status, queries, cancellation, voiding and registry.
mkdir -p "$trabalho/Esquemas/vm60"
ln -s "$esquemas"/PL_010_V1.30/* "$trabalho/Esquemas/vm60/"
# Events are always validated: the event package beside the layout's (its own files only).
for f in "$esquemas"/Evento_Canc_PL_v1.01/*; do
  [ -e "$trabalho/Esquemas/vm60/$(basename "$f")" ] || ln -s "$f" "$trabalho/Esquemas/vm60/"
done
cp data/Esquemas/vm60/Mapping.txt "$trabalho/Esquemas/vm60/"

opcoes=(--servidores "$servidores" --uf SP --pfx "$certificados/$cnpj.pfx" --senha "$senha" --ca "$certificados/ac.pem"
  --esquemas "$trabalho/Esquemas")

passo "moxnfe sefaz status"
executa status "$bin/moxnfe" sefaz status "${opcoes[@]}"

passo "Duas NF-e 4.00 digitadas em TX2: conversão, chave de acesso e assinatura"
# The 4.00 TX2 example twice, numbered 1 and 2 and dated now (Brasília time), as a user's system
# would write it.
agora=$(date -u -d '-3 hours' +%Y-%m-%dT%H:%M:%S-03:00)
numera() { sed "s/^dhEmi_B09=.*/dhEmi_B09=$agora/" | awk -v base="$1" '/^nNF_B08=/ { print "nNF_B08=" base + (++n); next } { print }'; }
{ "$bin/moxnfe" tx2 exemplo; "$bin/moxnfe" tx2 exemplo; } | numera 0 > "$trabalho/notas.tx2"
executa tx2-converter "$bin/moxnfe" tx2 converter "$trabalho/notas.tx2" --regras --silencioso --saida "$trabalho/lote.txt"
notas=()
chaves=()
n=0
while IFS= read -r infnfe; do
  n=$((n + 1))
  chave=$(printf '%s' "$infnfe" | sed -n 's/^<infNFe Id="NFe\([0-9]\{44\}\)".*/\1/p')
  executa "chave-$n" "$bin/moxnfe" chave validar "$chave"
  printf '<NFe xmlns="http://www.portalfiscal.inf.br/nfe">%s</NFe>\n' "$infnfe" > "$trabalho/nota-$n.xml"
  executa "assinar-$n" "$bin/moxnfe" assinar "$trabalho/nota-$n.xml" --pfx "$certificados/$cnpj.pfx" --senha "$senha" \
    --saida "$trabalho/nota-$n-assinada.xml"
  notas+=("$trabalho/nota-$n-assinada.xml")
  chaves+=("$chave")
done < "$trabalho/lote.txt"
[ "${#notas[@]}" -eq 2 ] || { echo "A conversão TX2 não gerou duas notas." >&2; exit 1; }

passo "moxnfe validar: as notas assinadas no esquema oficial do leiaute 4.00"
for n in "${!notas[@]}"; do
  executa "validar-$((n + 1))" "$bin/moxnfe" validar "${notas[$n]}" --esquemas "$trabalho/Esquemas"
done

passo "moxnfe sefaz enviar-lote (as duas notas num lote)"
executa enviar-lote "$bin/moxnfe" sefaz enviar-lote "${notas[@]}" --lote 1 "${opcoes[@]}"
recibo=$(sed -n 's/^Recibo: //p' "$saida")
[ -n "$recibo" ] || { echo "O envio não devolveu recibo." >&2; exit 1; }

passo "moxnfe sefaz consultar-recibo $recibo (protocolos das notas)"
executa consultar-recibo "$bin/moxnfe" sefaz consultar-recibo "$recibo" "${opcoes[@]}"

passo "moxnfe sefaz consultar-nfe ${chaves[0]}"
executa consultar-nfe "$bin/moxnfe" sefaz consultar-nfe "${chaves[0]}" "${opcoes[@]}"
protocolo=$(sed -n 's/.*(protocolo \([0-9]*\)).*/\1/p' "$saida" | head -n 1)
[ -n "$protocolo" ] || { echo "A consulta não trouxe o protocolo." >&2; exit 1; }

passo "moxnfe sefaz cancelar ${chaves[0]} (evento de cancelamento)"
executa cancelar "$bin/moxnfe" sefaz cancelar "${chaves[0]}" --protocolo "$protocolo" \
  --justificativa "Cancelamento de demonstracao do moxnfe" --esquemas "$trabalho/Esquemas" "${opcoes[@]}"

passo "moxnfe sefaz consultar-nfe ${chaves[0]} (depois do cancelamento)"
executa consultar-nfe-cancelada "$bin/moxnfe" sefaz consultar-nfe "${chaves[0]}" "${opcoes[@]}"

passo "moxnfe nfe emitir: três NF-e do TX2 até o nfeProc de cada uma (conversão, assinatura, validação, lote e recibo)"
# Three more notes, numbered 101 to 103, dated now: two simple sales and the reform example (IBS,
# CBS and IS) issued by the demonstration's company to the homologation recipient.
{ "$bin/moxnfe" tx2 exemplo; "$bin/moxnfe" tx2 exemplo
  "$bin/moxnfe" tx2 exemplo reforma-2026 | sed -e "s/^CNPJ_C02=.*/CNPJ_C02=$cnpj/" -e '/^dhSaiEnt_B10=/d' \
    -e 's/^xNome_E04=.*/xNome_E04=NF-E EMITIDA EM AMBIENTE DE HOMOLOGACAO - SEM VALOR FISCAL/'
} | numera 100 > "$trabalho/tres-notas.tx2"
executa emitir "$bin/moxnfe" nfe emitir "$trabalho/tres-notas.tx2" \
  --destino "$trabalho/destinatario" --log "$trabalho/log" "${opcoes[@]}"
ls "$trabalho/destinatario"
executa pendentes "$bin/moxnfe" nfe pendentes --destino "$trabalho/destinatario"

passo "moxnfe nfe auditar: esquema oficial, assinatura e regras de rejeição de cada nfeProc"
# The reform example sells fuel (CFOP 6651) without naming a carrier: the audit points out rule
# 362, which the sandbox does not check. Exit 1 (failures found) is expected; 3 or more is not.
auditoria=0
"$bin/moxnfe" nfe auditar "$trabalho"/destinatario/*-nfe.xml --esquemas "$trabalho/Esquemas" \
  > "$trabalho/respostas/auditoria.txt" || auditoria=$?
cat "$trabalho/respostas/auditoria.txt"
if [ "$auditoria" -gt 1 ]; then
  echo "Falhou a auditoria (saída $auditoria)" >&2
  exit "$auditoria"
fi

passo "moxnfe nfe enviar-destinatario: as notas autorizadas guardadas no cofre (a segunda entrega não duplica)"
chaves=()
for f in "$trabalho"/destinatario/*-nfe.xml; do chaves+=("$(basename "$f" -nfe.xml)"); done
executa cofre-entrega "$bin/moxnfe" nfe enviar-destinatario --destino "$trabalho/destinatario" \
  --cofre "$trabalho/cofre" "${chaves[@]}"
executa cofre-de-novo "$bin/moxnfe" nfe enviar-destinatario --destino "$trabalho/destinatario" \
  --cofre "$trabalho/cofre" "${chaves[@]}"
executa cofre-verificar "$bin/moxnfe" cofre verificar --cofre "$trabalho/cofre"

passo "Registro do sandbox (uma linha por requisição)"
cat "$trabalho/sandbox.log"

passo "Encerrando o sandbox"
kill "$sandbox_pid"
wait "$sandbox_pid"
sandbox_pid=""
tail -n 1 "$trabalho/sandbox.log"
echo
echo "Demonstração concluída (leiaute 4.00): status 107, lote 103, duas notas autorizadas (100), cancelamento"
echo "registrado (135), três notas emitidas do TX2 (uma com IBS, CBS e IS) com o nfeProc de cada uma,"
echo "auditadas e guardadas no cofre."
