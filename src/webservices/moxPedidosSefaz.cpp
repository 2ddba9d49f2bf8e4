#include "webservices/moxPedidosSefaz.h"

#include "base/EmoxException.h"
#include "external/Base64.h"
#include "external/Gzip.h"
#include "external/TmoxKivoUtils.h"
#include "external/Utf8Text.h"
#include "external/XmlEscape.h"

namespace mox {

namespace {

const std::string kNamespaceNFe = TmoxKivoUtils::kNFeNamespace;

// The note without XML declaration, byte-order mark or surrounding blanks.
std::string SemDeclaracao(std::string aXml) {
  aXml = RemoveUtf8Bom(std::move(aXml));
  size_t inicio = aXml.find_first_not_of(" \t\r\n");
  if (inicio != std::string::npos && aXml.compare(inicio, 5, "<?xml") == 0) {
    size_t fim = aXml.find("?>", inicio);
    inicio = fim == std::string::npos ? std::string::npos : aXml.find_first_not_of(" \t\r\n", fim + 2);
  }
  if (inicio == std::string::npos) return {};
  size_t ultimo = aXml.find_last_not_of(" \t\r\n");
  return aXml.substr(inicio, ultimo - inicio + 1);
}

std::string DoisDigitos(int aNumero) {
  std::string texto = std::to_string(aNumero);
  if (aNumero >= 0 && aNumero < 10) texto.insert(texto.begin(), '0');
  return texto;
}

std::string ZerosAEsquerda(const std::string& aTexto, size_t aTamanho) {
  return aTexto.size() >= aTamanho ? aTexto : std::string(aTamanho - aTexto.size(), '0') + aTexto;
}

const char* kCondicaoUsoCCe =
    "A Carta de Correcao e disciplinada pelo paragrafo 1o-A do art. 7o do Convenio S/N, de 15 de dezembro de 1970 e "
    "pode ser utilizada para regularizacao de erro ocorrido na emissao de documento fiscal, desde que o erro nao esteja "
    "relacionado com: I - as variaveis que determinam o valor do imposto tais como: base de calculo, aliquota, "
    "diferenca de preco, quantidade, valor da operacao ou da prestacao; II - a correcao de dados cadastrais que "
    "implique mudanca do remetente ou do destinatario; III - a data de emissao ou de saida.";

}  // namespace

TVersoesLeiaute VersoesLeiaute(TVersaoManual aVersao) {
  TVersoesLeiaute v;
  switch (aVersao) {
    case TVersaoManual::vm202a:
    case TVersaoManual::vm30:
      throw EmoxNFeException("O leiaute 1.10 (Manual 2.0.2a e 3.0) não é suportado: use o Manual 4.0 ou posterior.");
    case TVersaoManual::vm40:
      v.NFe = v.StatusServ = v.Inutilizacao = v.ConsSit = "2.00";
      break;
    case TVersaoManual::vm50:
      v.NFe = v.StatusServ = v.Inutilizacao = "2.00";
      v.ConsSit = "2.01";
      break;
    case TVersaoManual::vm50a:
      v.NFe = v.StatusServ = v.Inutilizacao = v.ConsSit = "3.10";
      break;
  }
  return v;
}

std::string DocumentoNFe(const std::string& aNome, const std::string& aVersao, const std::string& aConteudo) {
  return "<" + aNome + " xmlns=\"" + kNamespaceNFe + "\" versao=\"" + aVersao + "\">" + aConteudo + "</" + aNome + ">";
}

std::string ElementoCNPJCPF(const std::string& aDocumento, const std::string& aSufixo) {
  return ElementoXml((aDocumento.size() == 11 ? "CPF" : "CNPJ") + aSufixo, aDocumento);
}

std::string ElementoXml(const std::string& aNome, const std::string& aTexto) {
  return "<" + aNome + ">" + EscapeXmlText(aTexto) + "</" + aNome + ">";
}

std::string PedidoStatus(const std::string& aAmbiente, const std::string& aCodigoUF, const std::string& aVersao) {
  return DocumentoNFe("consStatServ", aVersao,
                   ElementoXml("tpAmb", aAmbiente) + ElementoXml("cUF", aCodigoUF) + ElementoXml("xServ", "STATUS"));
}

std::string PedidoConsultaRecibo(const std::string& aAmbiente, const std::string& aRecibo, const std::string& aVersao) {
  return DocumentoNFe("consReciNFe", aVersao, ElementoXml("tpAmb", aAmbiente) + ElementoXml("nRec", aRecibo));
}

std::string PedidoConsultaNF(const std::string& aAmbiente, const std::string& aChave, const std::string& aVersao) {
  return DocumentoNFe("consSitNFe", aVersao,
                   ElementoXml("tpAmb", aAmbiente) + ElementoXml("xServ", "CONSULTAR") + ElementoXml("chNFe", aChave));
}

std::string PedidoEnvioLote(const std::string& aIdLote, const std::vector<std::string>& aNotas,
                            const std::string& aVersao, bool aSincrono) {
  std::string conteudo = ElementoXml("idLote", aIdLote);
  if (aVersao >= "3.10") conteudo += ElementoXml("indSinc", aSincrono ? "1" : "0");
  for (const auto& nota : aNotas) conteudo += SemDeclaracao(nota);
  return DocumentoNFe("enviNFe", aVersao, conteudo);
}

std::string PedidoCancelamento(const std::string& aAmbiente, const std::string& aChave, const std::string& aProtocolo,
                               const std::string& aJustificativa, const std::string& aVersao) {
  return DocumentoNFe("cancNFe", aVersao,
                   "<infCanc Id=\"ID" + aChave + "\">" + ElementoXml("tpAmb", aAmbiente) +
                       ElementoXml("xServ", "CANCELAR") + ElementoXml("chNFe", aChave) +
                       ElementoXml("nProt", aProtocolo) + ElementoXml("xJust", aJustificativa) + "</infCanc>");
}

std::string PedidoInutilizacao(const std::string& aAmbiente, const TFaixaInutilizacao& aFaixa,
                               const std::string& aVersao) {
  const std::string serie = ZerosAEsquerda(aFaixa.Serie, 3);
  const std::string id = "ID" + aFaixa.CodigoUF + aFaixa.Ano + aFaixa.CNPJ + aFaixa.Modelo + serie +
                         ZerosAEsquerda(aFaixa.NumeroInicial, 9) + ZerosAEsquerda(aFaixa.NumeroFinal, 9);
  return DocumentoNFe("inutNFe", aVersao,
                   "<infInut Id=\"" + id + "\">" + ElementoXml("tpAmb", aAmbiente) +
                       ElementoXml("xServ", "INUTILIZAR") + ElementoXml("cUF", aFaixa.CodigoUF) +
                       ElementoXml("ano", aFaixa.Ano) + ElementoXml("CNPJ", aFaixa.CNPJ) +
                       ElementoXml("mod", aFaixa.Modelo) + ElementoXml("serie", aFaixa.Serie) +
                       ElementoXml("nNFIni", aFaixa.NumeroInicial) + ElementoXml("nNFFin", aFaixa.NumeroFinal) +
                       ElementoXml("xJust", aFaixa.Justificativa) + "</infInut>");
}

std::string PedidoConsultaCadastro(const std::string& aUF, const std::string& aTipoDocumento,
                                   const std::string& aDocumento, const std::string& aVersao) {
  return DocumentoNFe("ConsCad", aVersao,
                   "<infCons>" + ElementoXml("xServ", "CONS-CAD") + ElementoXml("UF", aUF) +
                       ElementoXml(aTipoDocumento, aDocumento) + "</infCons>");
}

std::string IdEvento(const std::string& aTipoEvento, const std::string& aChave, int aSequencia) {
  return "ID" + aTipoEvento + aChave + DoisDigitos(aSequencia);
}

std::string EventoNFe(const TEventoNFe& e, const std::string& aVersao) {
  return DocumentoNFe("evento", aVersao,
                   "<infEvento Id=\"" + IdEvento(e.TipoEvento, e.Chave, e.Sequencia) + "\">" +
                       ElementoXml("cOrgao", e.CodigoOrgao) + ElementoXml("tpAmb", e.Ambiente) + ElementoCNPJCPF(e.Autor) +
                       ElementoXml("chNFe", e.Chave) + ElementoXml("dhEvento", e.DataHora) +
                       ElementoXml("tpEvento", e.TipoEvento) + ElementoXml("nSeqEvento", std::to_string(e.Sequencia)) +
                       ElementoXml("verEvento", aVersao) + "<detEvento versao=\"" + aVersao + "\">" + e.Detalhe +
                       "</detEvento></infEvento>");
}

std::string LoteEventos(const std::string& aIdLote, const std::vector<std::string>& aEventos,
                        const std::string& aVersao) {
  std::string conteudo = ElementoXml("idLote", aIdLote);
  for (const auto& evento : aEventos) conteudo += SemDeclaracao(evento);
  return DocumentoNFe("envEvento", aVersao, conteudo);
}

std::string DetalheCancelamento(const std::string& aProtocolo, const std::string& aJustificativa) {
  return ElementoXml("descEvento", "Cancelamento") + ElementoXml("nProt", aProtocolo) +
         ElementoXml("xJust", aJustificativa);
}

std::string DetalheCartaCorrecao(const std::string& aCorrecao) {
  return ElementoXml("descEvento", "Carta de Correcao") + ElementoXml("xCorrecao", aCorrecao) +
         ElementoXml("xCondUso", kCondicaoUsoCCe);
}

std::string DetalheManifestacao(const std::string& aTipoEvento, const std::string& aJustificativa) {
  if (aTipoEvento == "210200") return ElementoXml("descEvento", "Confirmacao da Operacao");
  if (aTipoEvento == "210210") return ElementoXml("descEvento", "Ciencia da Operacao");
  if (aTipoEvento == "210220") return ElementoXml("descEvento", "Desconhecimento da Operacao");
  if (aTipoEvento == "210240")
    return ElementoXml("descEvento", "Operacao nao Realizada") + ElementoXml("xJust", aJustificativa);
  throw EmoxNFeException("Tipo do evento inválido.Apenas 1,2,3 e 4 são aceitos");
}

std::string PedidoDistribuicaoDFe(const std::string& aAmbiente, const std::string& aCodigoUFAutor,
                                  const std::string& aCNPJCPF, const std::string& aNSU, bool aNSUEspecifico,
                                  const std::string& aVersao) {
  const std::string nsu = ZerosAEsquerda(aNSU, 15);
  return DocumentoNFe("distDFeInt", aVersao,
                   ElementoXml("tpAmb", aAmbiente) + ElementoXml("cUFAutor", aCodigoUFAutor) + ElementoCNPJCPF(aCNPJCPF) +
                       (aNSUEspecifico ? "<consNSU>" + ElementoXml("NSU", nsu) + "</consNSU>"
                                       : "<distNSU>" + ElementoXml("ultNSU", nsu) + "</distNSU>"));
}

std::string PedidoConsultaDestinadas(const std::string& aAmbiente, const std::string& aCNPJ, int aIndNFe, int aIndEmi,
                                     const std::string& aUltimoNSU, const std::string& aVersao) {
  return DocumentoNFe("consNFeDest", aVersao,
                   ElementoXml("tpAmb", aAmbiente) + ElementoXml("xServ", "CONSULTAR NFE DEST") +
                       ElementoXml("CNPJ", aCNPJ) + ElementoXml("indNFe", std::to_string(aIndNFe)) +
                       ElementoXml("indEmi", std::to_string(aIndEmi)) +
                       ElementoXml("ultNSU", aUltimoNSU.empty() ? "0" : aUltimoNSU));
}

std::string PedidoDownloadNFe(const std::string& aAmbiente, const std::string& aCNPJ,
                              const std::vector<std::string>& aChaves, const std::string& aVersao) {
  std::string conteudo =
      ElementoXml("tpAmb", aAmbiente) + ElementoXml("xServ", "DOWNLOAD NFE") + ElementoXml("CNPJ", aCNPJ);
  for (const auto& chave : aChaves) conteudo += ElementoXml("chNFe", chave);
  return DocumentoNFe("downloadNFe", aVersao, conteudo);
}

std::string EnvelopeSoap(const std::string& aNamespace, const std::string& aCodigoUF, const std::string& aVersaoDados,
                         const std::string& aDados, bool aCompactado) {
  const std::string ns = " xmlns=\"" + aNamespace + "\"";
  const std::string corpo = aCompactado
                                ? "<nfeDadosMsgZip" + ns + ">" + Base64Encode(GzipCompress(aDados)) + "</nfeDadosMsgZip>"
                                : "<nfeDadosMsg" + ns + ">" + aDados + "</nfeDadosMsg>";
  return "<?xml version=\"1.0\" encoding=\"utf-8\"?>"
         "<soap12:Envelope xmlns:soap12=\"http://www.w3.org/2003/05/soap-envelope\">"
         "<soap12:Header><nfeCabecMsg" + ns + ">" + ElementoXml("cUF", aCodigoUF) +
         ElementoXml("versaoDados", aVersaoDados) + "</nfeCabecMsg></soap12:Header>"
         "<soap12:Body>" + corpo + "</soap12:Body></soap12:Envelope>";
}

std::string EnvelopeSoapDistribuicao(const std::string& aNamespace, const std::string& aDados) {
  return "<?xml version=\"1.0\" encoding=\"utf-8\"?>"
         "<soap12:Envelope xmlns:soap12=\"http://www.w3.org/2003/05/soap-envelope\"><soap12:Body>"
         "<nfeDistDFeInteresse xmlns=\"" + aNamespace + "\"><nfeDadosMsg>" + aDados +
         "</nfeDadosMsg></nfeDistDFeInteresse></soap12:Body></soap12:Envelope>";
}

}  // namespace mox
