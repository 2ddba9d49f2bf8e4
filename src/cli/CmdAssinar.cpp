// moxnfe assinar: signs an XML file by Id with a PKCS#12 certificate.
#include <ostream>
#include <sstream>

#include "cli/CliCertificateOptions.h"
#include "cli/CliCommand.h"
#include "external/EKivoException.h"
#include "external/FileIO.h"
#include "external/TmoxKivoUtils.h"
#include "external/TmoxKivoX.h"
#include "external/Utf8Text.h"

namespace moxcli {

namespace {

const std::vector<std::string> kElements{"infNFe", "infCanc", "infInut", "infEvento"};

std::string ReadInput(const std::string& aFile, CliIo& aIo) {
  if (aFile != "-") return mox::RemoveUtf8Bom(mox::ReadFileBytes(aFile));
  return mox::RemoveUtf8Bom(mox::ReadStreamBytes(aIo.in, "A entrada padrão"));
}

// Ids of the elements named aElement, in document order.
std::vector<std::string> IdsOf(const std::string& aXml, const std::string& aElement) {
  mox::TmoxKivoUtils utils;
  std::vector<std::string> ids;
  utils.XPathSelectNodes(aXml, "//*[local-name()='" + aElement + "']/@Id", ids);
  return ids;
}

// The element to sign when none is named: the first of the fiscal ones the document holds.
std::string DetectElement(const std::string& aXml) {
  for (const auto& e : kElements)
    if (!IdsOf(aXml, e).empty()) return e;
  throw mox::EKivoException("O XML não tem elemento infNFe, infCanc, infInut ou infEvento com atributo Id: use --elemento.");
}

int Assinar(const CliArgs& aArgs, CliIo& aIo) {
  if (aArgs.Positional().size() != 1) throw CliUsageError{"informe o arquivo XML a assinar (ou - para a entrada padrão)"};
  std::string xml = ReadInput(aArgs.Positional().front(), aIo);
  mox::TmoxKivoX kivo;
  ConfigureCertificate(kivo, aArgs, aArgs.OptionOr("pfx", ""), aArgs.OptionOr("nome", ""));

  std::string element = aArgs.OptionOr("elemento", "");
  std::vector<std::string> ids;
  if (auto id = aArgs.Option("id")) {
    ids.push_back(*id);
  } else {
    if (element.empty()) element = DetectElement(xml);
    ids = IdsOf(xml, element);
    if (ids.empty()) throw mox::EKivoException("Nenhum elemento " + element + " com atributo Id no XML.");
  }
  kivo.SignerSettings.XmlElement = element;
  for (const auto& id : ids) xml = kivo.SignXmlById(xml, id);
  std::string document = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>" + xml + "\n";

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
  };
  for (auto& o : CertificatePasswordOptions()) options.push_back(o);
  return options;
}

CliRegistrar assinar{{{"assinar"},
                      "assina um XML (NF-e, cancelamento, inutilização ou evento) pelo Id",
                      "[opções] ARQUIVO.xml",
                      "A assinatura é a exigida pela SEFAZ: envelopada, C14N, RSA-SHA1, com o certificado em\n"
                      "KeyInfo, gravada como último filho do elemento que contém o elemento assinado.\n"
                      "Uma assinatura anterior do mesmo elemento é substituída.",
                      Options(),
                      Assinar}};

}  // namespace

}  // namespace moxcli
