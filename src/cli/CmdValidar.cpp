// moxnfe validar: schema validation of an NF-e document through the component's mapping, the
// command picked from the document itself unless given.
#include <filesystem>
#include <iterator>
#include <nlohmann/json.hpp>
#include <ostream>

#include "base/EmoxException.h"
#include "base/moxEnumTexts.h"
#include "cli/CliCommand.h"
#include "component/TmoxNFe.h"
#include "external/FileIO.h"
#include "external/moxPaths.h"
#include "external/TmoxKivoUtils.h"
#include "external/Utf8Text.h"

namespace moxcli {

namespace {

using mox::TVersaoManual;
using V = TVersaoManual;

// The documents a user may hold, by root element and version: the manual version whose schema
// package has them and the mapping command that names their schema.
struct TTipoDocumento {
  const char* Raiz;
  const char* Versao;
  TVersaoManual Manual;
  const char* Comando;
};

const TTipoDocumento kTipos[] = {
    {"NFe", "1.10", V::vm30, "NFE"},
    {"NFe", "2.00", V::vm50, "NFE"},
    {"NFe", "3.10", V::vm50a, "NFE"},
    {"NFe", "4.00", V::vm60, "NFE"},
    {"nfeProc", "1.10", V::vm30, "XMLDESTINATARIO"},
    {"nfeProc", "2.00", V::vm50, "XMLDESTINATARIO"},
    {"nfeProc", "3.10", V::vm50a, "XMLDESTINATARIO"},
    {"nfeProc", "4.00", V::vm60, "XMLDESTINATARIO"},
    {"enviNFe", "1.10", V::vm30, "ENVIO"},
    {"enviNFe", "2.00", V::vm50, "ENVIO"},
    {"enviNFe", "3.10", V::vm50a, "ENVIO"},
    {"enviNFe", "4.00", V::vm60, "ENVIO"},
    {"consStatServ", "1.07", V::vm30, "STATUS"},
    {"consStatServ", "2.00", V::vm50, "STATUS"},
    {"consStatServ", "3.10", V::vm50a, "STATUS"},
    {"consStatServ", "4.00", V::vm60, "STATUS"},
    {"consReciNFe", "1.10", V::vm30, "CONSULTARECIBO"},
    {"consReciNFe", "2.00", V::vm50, "CONSULTARECIBO"},
    {"consReciNFe", "3.10", V::vm50a, "CONSULTARECIBO"},
    {"consReciNFe", "4.00", V::vm60, "CONSULTARECIBO"},
    {"consSitNFe", "1.07", V::vm30, "CONSULTANF"},
    {"consSitNFe", "2.00", V::vm40, "CONSULTANF"},
    {"consSitNFe", "2.01", V::vm50, "CONSULTANF"},
    {"consSitNFe", "3.10", V::vm50a, "CONSULTANF"},
    {"consSitNFe", "4.00", V::vm60, "CONSULTANF"},
    {"cancNFe", "1.07", V::vm30, "CANCELAMENTO"},
    {"cancNFe", "2.00", V::vm50a, "CANCELAMENTO"},
    {"inutNFe", "1.07", V::vm30, "INUTILIZACAO"},
    {"inutNFe", "2.00", V::vm50, "INUTILIZACAO"},
    {"inutNFe", "3.10", V::vm50a, "INUTILIZACAO"},
    {"inutNFe", "4.00", V::vm60, "INUTILIZACAO"},
    {"ConsCad", "1.01", V::vm30, "CONSULTACADASTRO"},
    {"ConsCad", "2.00", V::vm60, "CONSULTACADASTRO"},
    {"distDFeInt", "1.00", V::vm60, "DISTRIBUICAODFE"},
    {"consNFeDest", "1.01", V::vm60, "CONSULTADESTINADAS"},
    {"downloadNFe", "1.00", V::vm60, "DOWNLOADNFE"},
    {"envEvento", "1.00", V::vm60, ""},  // the command follows the event type
};

// An event lot's command, by the type of its first event.
std::string ComandoDoEvento(const std::string& aXml) {
  const std::string tipo = mox::TmoxKivoUtils().GetValueTag("tpEvento", aXml);
  if (tipo == "110110") return "ENVIOCCE";
  if (tipo == "110111") return "ENVIOCANCEVENTO";
  if (tipo == "110140") return "ENVIOEPEC";
  if (tipo.size() == 6 && tipo.rfind("2102", 0) == 0) return "ENVIOMANDEST";
  throw CliUsageError{"evento de tipo \"" + tipo + "\" sem esquema conhecido: informe --comando"};
}

// The local name of the root element, found by text: declaration, comments and processing
// instructions skipped.
std::string Raiz(const std::string& aXml) {
  for (size_t p = aXml.find('<'); p != std::string::npos; p = aXml.find('<', p + 1)) {
    if (p + 1 >= aXml.size() || aXml[p + 1] == '?' || aXml[p + 1] == '!') continue;
    const size_t fim = aXml.find_first_of(" \t\r\n/>", p + 1);
    std::string nome = aXml.substr(p + 1, fim == std::string::npos ? std::string::npos : fim - p - 1);
    if (const auto dois = nome.find(':'); dois != std::string::npos) nome.erase(0, dois + 1);
    return nome;
  }
  return {};
}

struct TEscolha {
  TVersaoManual Manual = V::vm60;
  std::string Comando;
};

TEscolha Escolhe(const std::string& aXml, const CliArgs& aArgs) {
  mox::TmoxKivoUtils utils;
  const std::string raiz = Raiz(aXml);
  std::string versao;
  try {
    utils.XPathSelectSingleNode(aXml, raiz == "NFe" ? "/*/*[local-name()='infNFe']/@versao" : "/*/@versao", versao,
                                "", true);
  } catch (const std::exception&) {
    // Not well-formed: the version by text, and validation reports where the text breaks.
    const size_t elemento = raiz == "NFe" ? aXml.find("<infNFe") : 0;
    const size_t atributo = elemento == std::string::npos ? elemento : aXml.find("versao=\"", elemento);
    if (atributo != std::string::npos) versao = aXml.substr(atributo + 8, aXml.find('"', atributo + 8) - atributo - 8);
  }
  TEscolha escolha;
  bool conhecido = false;
  for (const auto& tipo : kTipos) {
    if (raiz != tipo.Raiz || versao != tipo.Versao) continue;
    escolha = {tipo.Manual, *tipo.Comando ? tipo.Comando : ""};
    conhecido = true;
  }
  if (auto manual = aArgs.Option("versao-manual")) {
    try {
      escolha.Manual = mox::StrToVersaoManual(*manual);
    } catch (const mox::EmoxException& e) {
      throw CliUsageError{e.what()};
    }
  }
  if (auto comando = aArgs.Option("comando")) {
    escolha.Comando = *comando;
    return escolha;
  }
  if (!conhecido)
    throw CliUsageError{"não sei qual esquema usar para <" + raiz + "> versão \"" + versao + "\": informe --comando"};
  if (escolha.Comando.empty()) escolha.Comando = ComandoDoEvento(aXml);
  return escolha;
}

std::string LeDocumento(const CliArgs& aArgs, CliIo& aIo) {
  if (aArgs.Positional().size() != 1) throw CliUsageError{"informe um arquivo XML (ou - para a entrada padrão)"};
  const std::string& arquivo = aArgs.Positional().front();
  if (arquivo == "-")
    return mox::RemoveUtf8Bom(std::string(std::istreambuf_iterator<char>(aIo.in), std::istreambuf_iterator<char>()));
  if (!mox::FileExists(arquivo)) throw CliUsageError{"arquivo não encontrado: " + arquivo};
  return mox::RemoveUtf8Bom(mox::ReadFileBytes(arquivo));
}

// "linha 12: texto" as its line and text; line 0 when the validator gave none.
std::pair<int, std::string> LinhaEMensagem(const std::string& aErro) {
  if (aErro.rfind("linha ", 0) == 0) {
    const auto dois = aErro.find(": ");
    try {
      return {std::stoi(aErro.substr(6, dois - 6)), aErro.substr(dois + 2)};
    } catch (const std::exception&) {
    }
  }
  return {0, aErro};
}

int Validar(const CliArgs& aArgs, CliIo& aIo) {
  const std::string xml = LeDocumento(aArgs, aIo);
  const TEscolha escolha = Escolhe(xml, aArgs);
  mox::TmoxNFe nfe;
  nfe.SetVersaoManual(escolha.Manual);
  if (auto pasta = aArgs.Option("esquemas")) nfe.SetDiretorioEsquemas(std::filesystem::absolute(*pasta).string() + "/");
  const std::string xsd =
      xml.find("schemaLocation") == std::string::npos ? nfe.GetXSDFileName(escolha.Comando) : nfe.DiretorioEsquemas();
  if (!std::filesystem::exists(xsd))
    throw std::runtime_error("esquema não encontrado: " + xsd + " (instale ali o pacote de esquemas oficial)");

  bool valido = true;
  try {
    nfe.ValidarXMLNFe(xml, escolha.Comando);
  } catch (const mox::EmoxSchemaValidationException&) {
    valido = false;
  }
  const std::string versao = mox::VersaoManualToStr(escolha.Manual);
  if (aArgs.Json()) {
    nlohmann::json saida{{"arquivo", aArgs.Positional().front()}, {"valido", valido}, {"comando", escolha.Comando},
                         {"versaoManual", versao}, {"esquema", xsd}, {"erros", nlohmann::json::array()}};
    if (!valido)
      for (const auto& erro : nfe.ErrosValidador()) {
        const auto [linha, mensagem] = LinhaEMensagem(erro);
        saida["erros"].push_back({{"linha", linha}, {"mensagem", mensagem}});
      }
    aIo.out << saida.dump(2, ' ', false, nlohmann::json::error_handler_t::replace) << "\n";
  } else {
    aIo.out << (valido ? "Válido: " : "Inválido: ") << aArgs.Positional().front() << " (comando " << escolha.Comando
            << ", Manual " << versao << ", esquema " << xsd << ")\n";
    if (!valido)
      for (const auto& erro : nfe.ErrosValidador()) {
        const auto [linha, mensagem] = LinhaEMensagem(erro);
        aIo.out << "  " << (linha ? "linha " + std::to_string(linha) + ": " : std::string()) << mensagem << "\n";
      }
  }
  return valido ? 0 : 1;
}

CliRegistrar validar{{{"validar"},
                      "valida um XML de NF-e no esquema oficial: nota, lote, protocolo, pedido ou evento",
                      "[opções] ARQUIVO.xml",
                      "Sem --comando o esquema sai do próprio documento (elemento raiz e versão): NFe 1.10, 2.00 ou\n"
                      "3.10, nfeProc, enviNFe, consStatServ, consSitNFe, cancNFe, inutNFe, ConsCad, envEvento...\n"
                      "O XSD é o que o Mapping.txt da pasta de esquemas da versão do Manual associa ao comando\n"
                      "(NFE, ENVIO, STATUS, CONSULTANF, XMLDESTINATARIO, ENVIOCCE...). A pasta de esquemas tem uma\n"
                      "subpasta por versão do Manual (vm30, vm40, vm50, vm50a, vm60) com o Mapping.txt e os XSDs oficiais.\n"
                      "Sai com 0 quando o XML é válido e 1 quando não é, listando cada erro com a sua linha.",
                      {{"comando", "COMANDO", "comando do Mapping.txt (padrão: conforme o documento)"},
                       {"versao-manual", "VERSAO", "2.0.2a, 3.0, 4.0, 5.0, 5.0a ou 6.0 (padrão: conforme o documento)"},
                       {"esquemas", "PASTA", "pasta de esquemas (padrão: Esquemas, junto ao programa)"}},
                      Validar}};

}  // namespace

}  // namespace moxcli
