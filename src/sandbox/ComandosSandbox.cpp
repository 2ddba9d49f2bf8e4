#include "sandbox/ComandosSandbox.h"

namespace mox::sandbox {

const std::vector<TComando>& Comandos() {
  static const std::vector<TComando> comandos{
      {"iniciar", "inicia o sandbox HTTPS e mostra seu endereço (\"PRONTO https://...\")",
       "Uso: moxnfe-sandbox iniciar --estado PASTA --esquemas PASTA --ca ac.pem --certificado servidor.pem\n"
       "                            --chave servidor.key [--porta N] [--endereco IP]\n\n"
       "Serve por HTTPS os serviços da SEFAZ de homologação (status, autorização e recibo, consulta,\n"
       "cancelamento, inutilização, cadastro, eventos, distribuição DF-e, NF-e destinadas e download)\n"
       "nos endereços /ws/UF/SERVIÇO, /ws/SVCAN/..., /ws/SVCRS/... e /ws/AN/....\n"
       "Exige do cliente um certificado emitido pela autoridade de --ca; sem ele a conexão é recusada.\n"
       "Quando está pronto escreve \"PRONTO https://ENDEREÇO:PORTA/\" na saída padrão; cada requisição\n"
       "gera uma linha na saída de erros. SIGTERM ou Ctrl+C encerram.\n\n"
       "  --estado PASTA        notas, recibos, eventos, inutilizações e NSU (criada se preciso; mantida\n"
       "                        entre execuções)\n"
       "  --esquemas PASTA      pacotes de esquemas oficiais (PL_008i2, PL_006v, Evento_*, ...)\n"
       "  --ca ARQUIVO          autoridade certificadora dos clientes e das assinaturas (PEM)\n"
       "  --certificado ARQUIVO certificado do servidor (PEM)\n"
       "  --chave ARQUIVO       chave privada do servidor (PEM)\n"
       "  --porta N             porta (padrão 0: uma porta livre)\n"
       "  --endereco IP         endereço de escuta (padrão 127.0.0.1)\n"
       "  --queda-apos-gravacoes N  simula uma queda: o processo morre (SIGKILL) logo depois da\n"
       "                        N-ésima gravação no estado, no meio da requisição (testes de falha)\n\n"
       "Falhas de rede e da SEFAZ, escolhidas na partida (cada lote recebido leva a próxima falha de\n"
       "lote, na ordem abaixo; o lote é registrado antes da falha, como na SEFAZ real):\n"
       "  --falha-sem-resposta N     os N primeiros lotes: a conexão é encerrada sem resposta\n"
       "  --falha-erro-http N        os N lotes seguintes: HTTP 500 com um corpo que não é SOAP\n"
       "  --falha-atraso MS          os lotes seguintes (--falha-atraso-lotes, padrão 1) são\n"
       "                             respondidos MS milissegundos depois\n"
       "  --falha-atraso-lotes N     quantos lotes atrasar\n"
       "  --falha-em-processamento N cada recibo responde 105 (Lote em processamento) às N\n"
       "                             primeiras consultas\n"
       "  --falha-lote-perdido N     os N primeiros lotes se perdem no caminho: a conexão é encerrada\n"
       "                             antes de o lote ser lido, e a SEFAZ não o registra\n"
       "  --falha-consulta-sem-resposta N  as N primeiras consultas de recibo ou de chave são\n"
       "                             respondidas, mas a conexão é encerrada antes da resposta\n"
       "  --falha-404 N              as N primeiras requisições, de qualquer serviço, recebem HTTP 404\n"
       "                             (Not Found) sem serem lidas\n"
       "  --falha-distribuicao-apos N  depois de N respostas da distribuição DF-e, as consultas\n"
       "                             seguintes ficam sem resposta (conexão encerrada)\n",
       {"estado", "esquemas", "ca", "certificado", "chave", "porta", "endereco", "queda-apos-gravacoes",
        "falha-sem-resposta", "falha-erro-http", "falha-atraso", "falha-atraso-lotes", "falha-em-processamento",
        "falha-lote-perdido", "falha-consulta-sem-resposta", "falha-404", "falha-distribuicao-apos"},
       ComandoIniciar},
      {"certificados", "cria a autoridade, o certificado do servidor e e-CNPJs de teste (PKCS#12)",
       "Uso: moxnfe-sandbox certificados --saida PASTA --cnpj CNPJ [--cnpj CNPJ...] [--nome NOME]\n"
       "                                 [--senha SENHA] [--host NOME...]\n\n"
       "Grava em PASTA: ac.pem e ac.key (autoridade de teste; reaproveitada quando já existe),\n"
       "servidor.pem e servidor.key (certificado do sandbox para localhost, 127.0.0.1 e ::1) e, para\n"
       "cada CNPJ, CNPJ.pfx: um e-CNPJ de teste que assina as notas e autentica o cliente.\n"
       "Os clientes confiam no sandbox por ac.pem.\n\n"
       "  --saida PASTA   pasta dos arquivos (criada se preciso)\n"
       "  --cnpj CNPJ     CNPJ do e-CNPJ; repita ou separe por vírgulas para vários\n"
       "  --nome NOME     razão social no certificado (padrão: EMPRESA TESTE SANDBOX LTDA)\n"
       "  --senha SENHA   senha dos arquivos .pfx (padrão: 1234)\n"
       "  --host NOME     outro nome ou endereço do servidor (refaz o certificado do servidor)\n",
       {"saida", "cnpj", "nome", "senha", "host"},
       ComandoCertificados},
      {"servidores", "grava um arquivo de servidores (nfeServidoresHom.ini) que aponta para o sandbox",
       "Uso: moxnfe-sandbox servidores --url URL --saida ARQUIVO\n\n"
       "Todas as seções de UF, SVCAN, SVCRS e AN recebem os endereços do sandbox em URL, com as chaves\n"
       "de serviço de todas as versões do Manual e as dos eventos e da distribuição DF-e.\n\n"
       "  --url URL        endereço que \"iniciar\" mostrou (ex.: https://127.0.0.1:8443/)\n"
       "  --saida ARQUIVO  arquivo a gravar (ex.: nfeServidoresHom.ini)\n",
       {"url", "saida"},
       ComandoServidores},
  };
  return comandos;
}

}  // namespace mox::sandbox
