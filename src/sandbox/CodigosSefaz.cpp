#include "sandbox/CodigosSefaz.h"

#include <map>
#include <stdexcept>

namespace mox::sandbox {

namespace {

// The texts of the public return-code table, for the codes this sandbox answers. The table's
// typographic dashes and quotes are written as "-" and '"': xMotivo is a TString, whose
// pattern admits only characters up to U+00FF.
const std::map<int, std::string> kMotivos{
    {100, "Autorizado o uso da NF-e"},
    {101, "Cancelamento de NF-e homologado"},
    {102, "Inutilização de número homologado"},
    {103, "Lote recebido com sucesso"},
    {104, "Lote processado"},
    {105, "Lote em processamento"},
    {106, "Lote não localizado"},
    {107, "Serviço em Operação"},
    {111, "Consulta cadastro com uma ocorrência"},
    {128, "Lote de Evento Processado"},
    {135, "Evento registrado e vinculado a NF-e"},
    {136, "Evento registrado, mas não vinculado a NF-e"},
    {137, "Nenhum documento localizado para o Destinatário"},
    {138, "Documento localizado para o Destinatário"},
    {139, "Pedido de Download processado"},
    {140, "Download disponibilizado"},
    {201, "Rejeição: Número máximo de numeração a inutilizar ultrapassou o limite"},
    {204, "Duplicidade de NF-e [nRec:999999999999999]"},
    {206, "Rejeição: NF-e já está inutilizada na Base de dados da SEFAZ"},
    {212, "Rejeição: Data de emissão NF-e posterior a data de recebimento"},
    {213, "Rejeição: CNPJ-Base do Emitente difere do CNPJ-Base do Certificado Digital"},
    {214, "Rejeição: Tamanho da mensagem excedeu o limite estabelecido"},
    {215, "Rejeição: Falha no schema XML"},
    {217, "Rejeição: NF-e não consta na base de dados da SEFAZ"},
    {218, "NF-e já está cancelada na base de dados da SEFAZ [nRec:999999999999999]"},
    {222, "Rejeição: Protocolo de Autorização de Uso difere do cadastrado"},
    {223, "Rejeição: CNPJ do transmissor do lote difere do CNPJ do transmissor da consulta"},
    {224, "Rejeição: A faixa inicial é maior que a faixa final"},
    {225, "Rejeição: Falha no Schema XML do lote de NFe"},
    {226, "Rejeição: Código da UF do Emitente diverge da UF autorizadora"},
    {228, "Rejeição: Data de Emissão muito atrasada"},
    {236, "Rejeição: Chave de Acesso com dígito verificador inválido"},
    {238, "Rejeição: Cabeçalho - Versão do arquivo XML superior a Versão vigente"},
    {239, "Rejeição: Cabeçalho - Versão do arquivo XML não suportada"},
    {241, "Rejeição: Um número da faixa já foi utilizado"},
    {242, "Rejeição: Cabeçalho - Falha no Schema XML"},
    {243, "Rejeição: XML Mal Formado"},
    {248, "Rejeição: UF do Recibo diverge da UF autorizadora"},
    {252, "Rejeição: Ambiente informado diverge do Ambiente de recebimento"},
    {256, "Rejeição: Uma NF-e da faixa já está inutilizada na Base de dados da SEFAZ"},
    {258, "Rejeição: CNPJ da consulta inválido"},
    {259, "Rejeição: CNPJ da consulta não cadastrado como contribuinte na UF"},
    {261, "Rejeição: IE da consulta não cadastrada como contribuinte na UF"},
    {263, "Rejeição: CPF da consulta inválido"},
    {264, "Rejeição: CPF da consulta não cadastrado como contribuinte na UF"},
    {265, "Rejeição: Sigla da UF da consulta difere da UF do Web Service"},
    {289, "Rejeição: Código da UF informada diverge da UF solicitada"},
    {291, "Rejeição: Certificado Assinatura Data Validade"},
    {292, "Rejeição: Certificado Assinatura sem CNPJ"},
    {293, "Rejeição: Certificado Assinatura - erro Cadeia de Certificação"},
    {297, "Rejeição: Assinatura difere do calculado"},
    {298, "Rejeição: Assinatura difere do padrão do Sistema"},
    {404, "Rejeição: Uso de prefixo de namespace não permitido"},
    {409, "Rejeição: Campo cUF inexistente no elemento nfeCabecMsg do SOAP Header"},
    {410, "Rejeição: UF informada no campo cUF não é atendida pelo Web Service"},
    {411, "Rejeição: Campo versaoDados inexistente no elemento nfeCabecMsg do SOAP Header"},
    {416, "Rejeição: Falha na descompactação da área de dados"},
    {420, "Rejeição: Cancelamento para NF-e já cancelada"},
    {453, "Rejeição: Ano de inutilização não pode ser superior ao Ano atual"},
    {454, "Rejeição: Ano de inutilização não pode ser inferior a 2006"},
    {468, "Rejeição: NF-e com Tipo Emissão = 4, sem EPEC correspondente"},
    {484, "Rejeição: Chave de Acesso com tipo de emissão diferente de 4 (posição 35 da Chave de Acesso)"},
    {485, "Rejeição: Duplicidade de numeração do EPEC (Modelo, CNPJ, Série e Número)"},
    {489, "Rejeição: CNPJ informado inválido (DV ou zeros)"},
    {490, "Rejeição: CPF informado inválido (DV ou zeros)"},
    {491, "Rejeição: O tpEvento informado inválido"},
    {492, "Rejeição: O verEvento informado inválido"},
    {493, "Rejeição: Evento não atende o Schema XML específico"},
    {494, "Rejeição: Chave de Acesso inexistente"},
    {502, "Rejeição: Erro na Chave de Acesso - Campo Id não corresponde à concatenação dos campos correspondentes"},
    {516, "Rejeição: Falha no schema XML - inexiste a tag raiz esperada para a mensagem"},
    {517, "Rejeição: Falha no schema XML - inexiste atributo versao na tag raiz da mensagem"},
    {531, "Rejeição: Total da BC ICMS difere do somatório dos itens"},
    {532, "Rejeição: Total do ICMS difere do somatório dos itens"},
    {539, "Duplicidade de NF-e com diferença na Chave de Acesso [chNFe: 99999999999999999999999999999999999999999999][nRec:999999999999999]"},
    {545, "Rejeição: Falha no schema XML - versão informada na versaoDados do SOAPHeader diverge da versão da mensagem"},
    {561, "Rejeição: Mês de Emissão informado na Chave de Acesso difere do Mês de Emissão da NF-e"},
    {562, "Rejeição: Código Numérico informado na Chave de Acesso difere do Código Numérico da NF-e [chNFe:99999999999999999999999999999999999999999999]"},
    {563, "Rejeição: Já existe pedido de Inutilização com a mesma faixa de inutilização"},
    {564, "Rejeição: Total do Produto / Serviço difere do somatório dos itens"},
    {565, "Rejeição: Falha no schema XML - inexiste a tag raiz esperada para o lote de NF-e"},
    {567, "Rejeição: Falha no schema XML - versão informada na versaoDados do SOAPHeader diverge da versão do lote de NF-e"},
    {568, "Rejeição: Falha no schema XML - inexiste atributo versao na tag raiz do lote de NF-e"},
    {570, "Rejeição: Tipo de Emissão 3, 6 ou 7 só é válido nas contingências SCAN/SVC"},
    {572, "Rejeição: Erro Atributo ID do evento não corresponde a concatenação dos campos (\"ID\" + tpEvento + chNFe + nSeqEvento)"},
    {573, "Rejeição: Duplicidade de Evento"},
    {574, "Rejeição: O autor do evento diverge do emissor da NF-e"},
    {575, "Rejeição: O autor do evento diverge do destinatário da NF-e"},
    {576, "Rejeição: O autor do evento não é um órgão autorizado a gerar o evento"},
    {577, "Rejeição: A data do evento não pode ser menor que a data de emissão da NF-e"},
    {578, "Rejeição: A data do evento não pode ser maior que a data do processamento"},
    {580, "Rejeição: O evento exige uma NF-e autorizada"},
    {588, "Rejeição: Não é permitida a presença de caracteres de edição no início/fim da mensagem ou entre as tags da mensagem"},
    {589, "Rejeição: Número do NSU informado superior ao maior NSU da base de dados da SEFAZ"},
    {593, "Rejeição: CNPJ-Base consultado difere do CNPJ-Base do Certificado Digital"},
    {594, "Rejeição: O número de sequencia do evento informado é maior que o permitido"},
    {598, "Rejeição: NF-e emitida em ambiente de homologação com Razão Social do destinatário diferente de NF-E EMITIDA EM AMBIENTE DE HOMOLOGACAO - SEM VALOR FISCAL"},
    {633, "Rejeição: NF-e indisponível para download devido a ausência de Manifestação do Destinatário"},
    {634, "Rejeição: Destinatário da NF-e não tem o mesmo CNPJ raiz do solicitante do download"},
    {653, "Rejeição: NF-e Cancelada, arquivo indisponível para download"},
    {655, "Rejeição: Evento de Ciência da Emissão informado após a manifestação final do destinatário"},
    {657, "Rejeição: Código do Órgão diverge do órgão autorizador"},
    {700, "Rejeição: Mensagem de Lote versão 3.xx. Enviar para o Web Service nfeAutorizacao"},
    {703, "Rejeição: Data-Hora de Emissão posterior ao horário de recebimento"},
    {713, "Rejeição: Tipo de Emissão diferente de 6 ou 7 para contingência da SVC acessada"},
    {764, "Rejeição: Solicitada resposta síncrona para Lote com mais de uma NF-e (indSinc=1)"},
    // Layout 4.00: the payments against the note's total.
    {865, "Rejeição: Total dos pagamentos menor que o total da nota"},
    {866, "Rejeição: Ausência de troco quando o valor dos pagamentos informados for maior que o total da nota"},
    {869, "Rejeição: Valor do troco incorreto"},
    {999, "Rejeição: Erro não catalogado (informar a mensagem de erro capturado no tratamento da exceção)"},
};

}  // namespace

const std::string& Motivo(int aCodigo) {
  auto it = kMotivos.find(aCodigo);
  if (it == kMotivos.end()) throw std::logic_error("código de retorno sem texto: " + std::to_string(aCodigo));
  return it->second;
}

std::string Motivo(int aCodigo, const std::string& aChave, const std::string& aRecibo) {
  std::string texto = Motivo(aCodigo);
  auto substitui = [&texto](const std::string& aModelo, const std::string& aValor) {
    if (aValor.empty()) return;
    if (size_t p = texto.find(aModelo); p != std::string::npos) texto.replace(p, aModelo.size(), aValor);
  };
  substitui(std::string(44, '9'), aChave);
  substitui(std::string(15, '9'), aRecibo);
  return texto;
}

}  // namespace mox::sandbox
