// moxnfe assinar: signs an XML file by Id with a PKCS#12 certificate.
#include <ostream>
#include <sstream>
#include <tuple>
#include <utility>

#include "cli/CliCertificateOptions.h"
#include "cli/CliCommand.h"
#include "cli/CliSefaz.h"
#include "component/TmoxNFe.h"
#include "external/EKivoException.h"
#include "external/FileIO.h"
#include "external/TmoxKivoUtils.h"
#include "external/Utf8Text.h"

namespace moxcli {

namespace {

const std::vector<std::string> kElements{"infNFe", "infCanc", "infInut", "infEvento"};

std::string ReadInput(const std::string& aFile, CliIo& aIo) {
  std::string xml = aFile != "-" ? mox::RemoveUtf8Bom(mox::ReadFileBytes(aFile))
                                 : mox::RemoveUtf8Bom(mox::ReadStreamBytes(aIo.in, "A entrada padrão"));
  if (xml.find_first_not_of(" \t\r\n") == std::string::npos)
    throw mox::EKivoException((aFile == "-" ? std::string("A entrada padrão está vazia")
                                            : "O arquivo " + aFile + " está vazio") +
                              ": não há XML para assinar.");
  return xml;
}

// Ids of the elements named aElement, in document order.
std::vector<std::string> IdsOf(const std::string& aXml, const std::string& aElement) {
  mox::TmoxKivoUtils utils;
  std::vector<std::string> ids;
  utils.XPathSelectNodes(aXml, "//*[local-name()='" + aElement + "']/@Id", ids);
  return ids;
}

// The element to sign when none is named, the first of the fiscal ones the document holds, with
// the Ids found while looking for it.
std::pair<std::string, std::vector<std::string>> DetectElement(const std::string& aXml) {
  for (const auto& e : kElements)
    if (auto ids = IdsOf(aXml, e); !ids.empty()) return {e, std::move(ids)};
  throw mox::EKivoException("O XML não tem elemento infNFe, infCanc, infInut ou infEvento com atributo Id: use --elemento.");
}

int Assinar(const CliArgs& aArgs, CliIo& aIo) {
  if (aArgs.Positional().size() != 1) throw CliUsageError{"informe o arquivo XML a assinar (ou - para a entrada padrão)"};
  const std::string xml = ReadInput(aArgs.Positional().front(), aIo);
  mox::TmoxNFe nfe;
  ConfiguraComponente(nfe, aArgs);

  std::string element = aArgs.OptionOr("elemento", "");
  const auto id = aArgs.Option("id");
  std::vector<std::string> ids;
  if (element.empty()) std::tie(element, ids) = DetectElement(xml);
  if (id) ids = {*id};
  else if (ids.empty()) ids = IdsOf(xml, element);
  if (ids.empty()) throw mox::EKivoException("Nenhum elemento " + element + " com atributo Id no XML.");
  // Invoices go through the component's signing of notes, with its checks of key and emission
  // type; one Id or any other element, through the signing of documents.
  const std::string assinado =
      element == "infNFe" && !id ? nfe.AssinarNota(xml) : nfe.AssinarDocumento(xml, element, id.value_or(""));
  // Several notes come out one after the other, as a batch takes them: no declaration then.
  const bool umDocumento = element != "infNFe" || ids.size() == 1;
  std::string document = (umDocumento ? "<?xml version=\"1.0\" encoding=\"UTF-8\"?>" : "") + assinado + "\n";

  auto out = aArgs.Option("saida");
  if (out) mox::WriteFileAtomic(*out, document);
  if (aArgs.Json()) {
    aIo.out << "{\"elemento\":\"" << JsonEscape(element) << "\",\"ids\":[";
    for (size_t i = 0; i < ids.size(); ++i) aIo.out << (i ? "," : "") << "\"" << JsonEscape(ids[i]) << "\"";
    aIo.out << "]";
    if (out) aIo.out << ",\"saida\":\"" << JsonEscape(*out) << "\"";
    else aIo.out << ",\"xml\":\"" << JsonEscape(document) << "\"";
    aIo.out << "}\n";
  } else if (!out) {
    aIo.out << document;
  } else {
    aIo.err << "Assinado" << (ids.size() > 1 ? "s " + std::to_string(ids.size()) + " elementos" : "") << ": " << *out
            << "\n";
  }
  return 0;
}

std::vector<CliOption> Options() {
  std::vector<CliOption> options{
      {"pfx", "ARQUIVO", "certificado A1 em arquivo PKCS#12 (.pfx/.p12)"},
      {"nome", "NOME", "ou: certificado do repositório (nome, CNPJ, série ou linha da lista)"},
      {"id", "ID", "Id do elemento a assinar (padrão: todos os elementos do tipo, cada um com seu Id)"},
      {"elemento", "NOME", "infNFe, infCanc, infInut ou infEvento (padrão: o primeiro encontrado)"},
      {"saida", "ARQUIVO", "grava o XML assinado no arquivo (padrão: saída padrão)"},
      {"config", "ARQUIVO", "arquivo de configuração do componente (certificado, UF, versão do Manual, modo)"},
      {"uf", "UF", "UF do emitente: pasta dos templates (padrão: SP)"},
      {"versao-manual", "VERSAO", "versão do Manual, para as regras do tipo de emissão (padrão 6.0, leiaute 4.00)"},
      {"modo", "MODO", "normal, svcan, svcrs ou epec: confere o tipo de emissão da nota"},
  };
  for (auto& o : CertificatePasswordOptions()) options.push_back(o);
  return options;
}

CliRegistrar assinar{{{"assinar"},
                      "assina um XML (NF-e, cancelamento, inutilização ou evento) pelo Id",
                      "[opções] ARQUIVO.xml",
                      "A assinatura é a exigida pela SEFAZ: envelopada, C14N, RSA-SHA1, com o certificado em\n"
                      "KeyInfo, gravada como último filho do elemento que contém o elemento assinado.\n"
                      "Uma assinatura anterior do mesmo elemento é substituída. Cada infNFe sai no seu NFe\n"
                      "(até 50 notas, uma após a outra), conferidos a chave e o tipo de emissão; os demais\n"
                      "elementos são assinados no próprio documento.",
                      Options(),
                      Assinar}};

}  // namespace

}  // namespace moxcli
