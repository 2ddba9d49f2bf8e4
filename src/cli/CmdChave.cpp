// moxnfe chave calcular | validar | decodificar: the access key from its fields, its check
// digit, and its fields back from a key.
#include <nlohmann/json.hpp>

#include <ostream>
#include <stdexcept>
#include <string>
#include <vector>

#include "cli/CliCommand.h"
#include "base/EmoxException.h"
#include "base/moxEnumTexts.h"
#include "utils/moxChaveNFe.h"
#include "utils/moxCodigoUF.h"

namespace {

using moxcli::CliArgs;
using moxcli::CliIo;
using moxcli::CliUsageError;
using nlohmann::json;

const moxcli::CliOption kVersaoManual{"versao-manual", "VERSAO",
                                      "versão do Manual: 2.0.2a, 3.0, 4.0, 5.0 ou 5.0a (padrão 5.0a)"};

// The component's messages separate lines with a bare carriage return, which a terminal would
// draw over the same line.
std::string ParaTerminal(std::string aTexto) {
  for (char& c : aTexto)
    if (c == '\r') c = '\n';
  return aTexto;
}

void PrintJson(std::ostream& aOut, const json& aValor) {
  aOut << aValor.dump(2, ' ', false, json::error_handler_t::replace) << "\n";
}

mox::TVersaoManual VersaoManual(const CliArgs& aArgs) {
  const std::string texto = aArgs.OptionOr("versao-manual", "5.0a");
  try {
    return mox::StrToVersaoManual(texto);
  } catch (const mox::EmoxException& e) {
    throw CliUsageError{ParaTerminal(e.what())};
  }
}

// The key of a positional argument; blanks (as the DANFE prints it) and a leading "NFe" (as in
// the Id attribute) are dropped.
std::string ChaveInformada(const CliArgs& aArgs) {
  if (aArgs.Positional().size() != 1) throw CliUsageError{"informe uma chave de acesso"};
  std::string chave;
  for (char c : aArgs.Positional().front())
    if (c != ' ' && c != '\t') chave += c;
  if (chave.size() > 3 && (chave.compare(0, 3, "NFe") == 0 || chave.compare(0, 3, "nfe") == 0 ||
                           chave.compare(0, 3, "NFE") == 0))
    chave.erase(0, 3);
  return chave;
}

bool SoDigitos(const std::string& aTexto) {
  return !aTexto.empty() && aTexto.find_first_not_of("0123456789") == std::string::npos;
}

std::string SiglaDaUF(const std::string& aCodigo) {
  std::vector<std::string> ufs;
  mox::PopulaListaUF(ufs);
  for (const auto& linha : ufs)
    if (linha.substr(3) == aCodigo) return linha.substr(0, 2);
  return {};
}

std::string CodigoDaUF(const std::string& aUF) {
  if (aUF.size() == 2 && SoDigitos(aUF)) return aUF;
  std::string codigo = mox::GetCodeUF(aUF);
  if (codigo.empty()) throw CliUsageError{"UF desconhecida: " + aUF};
  return codigo;
}

// The emission date from --data, or the first day of the month from --aamm.
std::string DataEmissao(const CliArgs& aArgs) {
  auto data = aArgs.Option("data"), aamm = aArgs.Option("aamm");
  if (data.has_value() == aamm.has_value()) throw CliUsageError{"informe --data ou --aamm (apenas um deles)"};
  // The key takes the year and month by position; a date written otherwise would make digits
  // out of its separators.
  if (data) {
    if (data->size() < 7 || !SoDigitos(data->substr(0, 4)) || (*data)[4] != '-' || !SoDigitos(data->substr(5, 2)))
      throw CliUsageError{"--data deve ser AAAA-MM-DD ou AAAA-MM-DDThh:mm:ssTZD: " + *data};
    return *data;
  }
  if (aamm->size() != 4 || !SoDigitos(*aamm)) throw CliUsageError{"--aamm deve ter 4 dígitos (ano e mês): " + *aamm};
  return "20" + aamm->substr(0, 2) + "-" + aamm->substr(2, 2) + "-01";
}

// The check digit of a key's first 43 digits, or empty when they are not all digits.
std::string DigitoCalculado(const std::string& aChave) {
  const std::string corpo = aChave.substr(0, 43);
  return aChave.size() == 44 && SoDigitos(corpo) ? mox::DigVerificador(corpo, 9, false) : "";
}

int Calcular(const CliArgs& aArgs, CliIo& aIo) {
  const mox::TVersaoManual versao = VersaoManual(aArgs);
  const std::string data = DataEmissao(aArgs), uf = CodigoDaUF(aArgs.Required("uf"));
  const std::string cnpj = aArgs.Required("cnpj"), modelo = aArgs.OptionOr("modelo", "55");
  const std::string serie = aArgs.Required("serie"), numero = aArgs.Required("numero");
  const std::string codigo = aArgs.Required("codigo");
  std::string chave;
  if (mox::ChaveTemTpEmis(versao)) {
    chave = mox::CalculaChave(data, uf, cnpj, modelo, serie, numero, aArgs.OptionOr("tpemis", "1"), codigo);
  } else {
    if (aArgs.Option("tpemis")) throw CliUsageError{"a chave das versões 2.0.2a e 3.0 não tem tipo de emissão"};
    chave = mox::CalculaChave(data, uf, cnpj, modelo, serie, numero, codigo);
  }
  // The routine keeps over-long fields as given; a key must still have exactly 44 digits.
  if (chave.size() != 44)
    throw std::runtime_error("a chave calculada tem " + std::to_string(chave.size()) +
                             " dígitos em vez de 44: confira o CNPJ (14 dígitos), o modelo (2), a série (até 3), "
                             "o número (até 9) e o código numérico");
  if (aArgs.Json()) {
    PrintJson(aIo.out, {{"chave", chave},
                        {"digitoVerificador", chave.substr(43)},
                        {"versaoManual", mox::VersaoManualToStr(versao)}});
  } else {
    aIo.out << "Chave de acesso: " << chave << "\nDígito verificador: " << chave.substr(43) << "\n";
  }
  return 0;
}

int Validar(const CliArgs& aArgs, CliIo& aIo) {
  const mox::TVersaoManual versao = VersaoManual(aArgs);
  const std::string chave = ChaveInformada(aArgs);
  bool valida = false;
  std::string erro;
  try {
    valida = mox::ValidaAutenticidadeDV(chave, versao);
  } catch (const mox::EmoxException& e) {
    erro = ParaTerminal(e.what());
  }
  const std::string informado = chave.size() == 44 ? chave.substr(43) : "", calculado = DigitoCalculado(chave);
  if (aArgs.Json()) {
    json saida = {{"chave", chave}, {"valida", valida}, {"dvInformado", informado}, {"dvCalculado", calculado}};
    if (!erro.empty()) saida["erro"] = erro;
    PrintJson(aIo.out, saida);
  } else if (valida) {
    aIo.out << "Chave válida: o dígito verificador " << informado << " confere.\n";
  } else if (erro.empty()) {
    aIo.out << "Chave inválida: dígito verificador informado " << informado << ", calculado " << calculado << ".\n";
  } else {
    aIo.out << "Chave inválida: " << erro << "\n";
  }
  return valida ? 0 : 1;
}

std::string CnpjFormatado(const std::string& aCNPJ) {
  if (aCNPJ.size() != 14) return aCNPJ;
  return aCNPJ.substr(0, 2) + "." + aCNPJ.substr(2, 3) + "." + aCNPJ.substr(5, 3) + "/" + aCNPJ.substr(8, 4) + "-" +
         aCNPJ.substr(12);
}

std::string NomeDoModelo(const std::string& aModelo) {
  if (aModelo == "55") return " (NF-e)";
  if (aModelo == "65") return " (NFC-e)";
  return "";
}

int Decodificar(const CliArgs& aArgs, CliIo& aIo) {
  const mox::TVersaoManual versao = VersaoManual(aArgs);
  const std::string chave = ChaveInformada(aArgs);
  mox::TmoxDecodeChaveNFe d;
  try {
    d = mox::DecodeChave(chave, versao);
  } catch (const mox::EmoxException& e) {
    throw std::runtime_error(ParaTerminal(e.what()));
  }
  bool confere = false;
  try {
    confere = mox::ValidaAutenticidadeDV(chave, versao);
  } catch (const mox::EmoxException&) {
    // A key with other characters than digits decodes but has no valid digit.
  }
  const std::string uf = SiglaDaUF(d.cUF);
  if (aArgs.Json()) {
    PrintJson(aIo.out, {{"chave", chave},       {"cUF", d.cUF},       {"UF", uf},       {"AAMM", d.AAMM},
                        {"CNPJ", d.CNPJ},       {"Modelo", d.Modelo}, {"Serie", d.Serie}, {"nNF", d.nNF},
                        {"tpEmis", d.tpEmis},   {"cNF", d.cNF},       {"cDV", d.cDV},   {"dvConfere", confere}});
  } else {
    aIo.out << "Chave de acesso: " << chave << "\n"
            << "UF: " << d.cUF << (uf.empty() ? " (desconhecida)" : " (" + uf + ")") << "\n"
            << "Ano e mês de emissão: " << d.AAMM.substr(2) << "/20" << d.AAMM.substr(0, 2) << "\n"
            << "CNPJ do emitente: " << CnpjFormatado(d.CNPJ) << "\n"
            << "Modelo: " << d.Modelo << NomeDoModelo(d.Modelo) << "\n"
            << "Série: " << d.Serie << "\n"
            << "Número: " << d.nNF << "\n";
    if (mox::ChaveTemTpEmis(versao)) aIo.out << "Tipo de emissão: " << d.tpEmis << "\n";
    aIo.out << "Código numérico: " << d.cNF << "\n"
            << "Dígito verificador: " << d.cDV << (confere ? " (confere)" : " (não confere)") << "\n";
  }
  return confere ? 0 : 1;
}

// Errors of the component reach the terminal with their line breaks.
template <int (*Run)(const CliArgs&, CliIo&)>
int ComMensagens(const CliArgs& aArgs, CliIo& aIo) {
  try {
    return Run(aArgs, aIo);
  } catch (const mox::EmoxException& e) {
    throw std::runtime_error(ParaTerminal(e.what()));
  }
}

const moxcli::CliRegistrar kCalcular{{
    {"chave", "calcular"},
    "calcula a chave de acesso de 44 dígitos a partir dos campos da nota",
    "--uf UF (--data DATA | --aamm AAMM) --cnpj CNPJ --serie SERIE --numero NUMERO --codigo CODIGO [opções]",
    "A partir da versão 4.0 do Manual a chave leva o tipo de emissão e um código numérico de 8 dígitos;\n"
    "nas versões 2.0.2a e 3.0, o código numérico tem 9 dígitos e não há tipo de emissão.",
    {
        {"uf", "UF", "sigla da UF do emitente (SP) ou seu código IBGE (35)"},
        {"data", "DATA", "data de emissão: AAAA-MM-DD ou AAAA-MM-DDThh:mm:ss-03:00"},
        {"aamm", "AAMM", "ano e mês de emissão, no lugar de --data (ex.: 1403)"},
        {"cnpj", "CNPJ", "CNPJ do emitente, 14 dígitos"},
        {"modelo", "MODELO", "modelo do documento (padrão 55)"},
        {"serie", "SERIE", "série, até 3 dígitos"},
        {"numero", "NUMERO", "número da nota, até 9 dígitos"},
        {"tpemis", "TIPO", "tipo de emissão, 1 dígito (padrão 1)"},
        {"codigo", "CODIGO", "código numérico (cNF)"},
        kVersaoManual,
    },
    ComMensagens<Calcular>,
}};

const moxcli::CliRegistrar kValidar{{
    {"chave", "validar"},
    "confere o dígito verificador de uma chave de acesso",
    "[opções] CHAVE",
    "Espaços e o prefixo NFe da chave são ignorados. Sai com 1 quando a chave é inválida.",
    {kVersaoManual},
    ComMensagens<Validar>,
}};

const moxcli::CliRegistrar kDecodificar{{
    {"chave", "decodificar"},
    "mostra os campos de uma chave de acesso",
    "[opções] CHAVE",
    "Espaços e o prefixo NFe da chave são ignorados. Sai com 1 quando o dígito verificador não confere.",
    {kVersaoManual},
    ComMensagens<Decodificar>,
}};

}  // namespace
