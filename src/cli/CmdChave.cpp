// moxnfe chave calcular | validar | decodificar: the access key from its fields, its check
// digit, and its fields back from a key.
#include <nlohmann/json.hpp>

#include <chrono>
#include <ostream>
#include <stdexcept>
#include <string>
#include <vector>

#include "cli/CliCommand.h"
#include "base/EmoxException.h"
#include "base/moxEnumTexts.h"
#include "utils/moxChaveNFe.h"
#include "external/TaxIdCheck.h"
#include "utils/moxCodigoUF.h"

namespace {

using moxcli::CliArgs;
using moxcli::CliIo;
using moxcli::CliUsageError;
using moxcli::ParaTerminal;
using nlohmann::json;

const moxcli::CliOption kVersaoManual{"versao-manual", "VERSAO",
                                      "versão do Manual: 2.0.2a, 3.0, 4.0, 5.0, 5.0a ou 6.0 (padrão 6.0, leiaute 4.00)"};

void PrintJson(std::ostream& aOut, const json& aValor) {
  aOut << aValor.dump(2, ' ', false, json::error_handler_t::replace) << "\n";
}

mox::TVersaoManual VersaoManual(const CliArgs& aArgs) {
  const std::string texto = aArgs.OptionOr("versao-manual", moxcli::kVersaoManualPadrao);
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

// Impossible input is a failure of the command (status 1), as a wrong check digit is.
[[noreturn]] void Recusa(const std::string& aMensagem) { throw std::runtime_error(aMensagem); }

std::string CodigoDaUF(const std::string& aUF) {
  const bool codigo = aUF.size() == 2 && SoDigitos(aUF);
  if (codigo ? SiglaDaUF(aUF).empty() : mox::GetCodeUF(aUF).empty())
    Recusa("UF desconhecida: " + aUF + " (use a sigla, como SP, ou o código IBGE, como 35)");
  return codigo ? aUF : mox::GetCodeUF(aUF);
}

int Numero(const std::string& aTexto, size_t aInicio, size_t aTamanho) {
  return std::stoi(aTexto.substr(aInicio, aTamanho));
}

// The calendar is checked here; the lengths the key accepts are the key routine's own check.
void ConfereData(const std::string& aData) {
  if (aData.size() != 10 && aData.size() != 25) return;
  auto digitos = [&](size_t aInicio, size_t aTamanho) { return SoDigitos(aData.substr(aInicio, aTamanho)); };
  if (!digitos(0, 4) || aData[4] != '-' || !digitos(5, 2) || aData[7] != '-' || !digitos(8, 2))
    Recusa("data de emissão em formato inválido: " + aData + " (use AAAA-MM-DD ou AAAA-MM-DDThh:mm:ss-03:00)");
  using namespace std::chrono;
  const year_month_day dia{year{Numero(aData, 0, 4)}, month{static_cast<unsigned>(Numero(aData, 5, 2))},
                           day{static_cast<unsigned>(Numero(aData, 8, 2))}};
  if (!dia.ok()) Recusa("data de emissão impossível: " + aData.substr(0, 10));
  if (aData.size() == 25 && aData[10] == 'T' && digitos(11, 2) && digitos(14, 2) && digitos(17, 2) &&
      (Numero(aData, 11, 2) > 23 || Numero(aData, 14, 2) > 59 || Numero(aData, 17, 2) > 59))
    Recusa("hora de emissão impossível: " + aData);
}

// The emission date from --data, or the first day of the month from --aamm.
std::string DataEmissao(const CliArgs& aArgs) {
  auto data = aArgs.Option("data"), aamm = aArgs.Option("aamm");
  if (data.has_value() == aamm.has_value()) throw CliUsageError{"informe --data ou --aamm (apenas um deles)"};
  if (data) {
    ConfereData(*data);
    return *data;
  }
  if (aamm->size() != 4 || !SoDigitos(*aamm)) Recusa("--aamm deve ter 4 dígitos (ano e mês): " + *aamm);
  const int mes = Numero(*aamm, 2, 2);
  if (mes < 1 || mes > 12) Recusa("ano e mês impossíveis: " + *aamm + " (mês " + aamm->substr(2) + ")");
  return "20" + aamm->substr(0, 2) + "-" + aamm->substr(2, 2) + "-01";
}

// The issuer's number as the key holds it: the CNPJ, or the CPF zero-filled to 14 digits. A
// number of digits is checked here; anything else reaches the key routine and its message.
std::string Emitente(const CliArgs& aArgs) {
  auto cnpj = aArgs.Option("cnpj"), cpf = aArgs.Option("cpf");
  if (cnpj.has_value() == cpf.has_value()) throw CliUsageError{"informe --cnpj ou --cpf (apenas um deles)"};
  if (cpf) {
    if (cpf->size() != 11 || !SoDigitos(*cpf)) Recusa("o CPF deve ter 11 dígitos: " + *cpf);
    if (!mox::IsValidCPF(*cpf)) Recusa("CPF inválido (dígitos verificadores não conferem): " + *cpf);
    return "000" + *cpf;
  }
  if (SoDigitos(*cnpj)) {
    if (cnpj->size() != 14) Recusa("o CNPJ deve ter 14 dígitos: " + *cnpj);
    if (!mox::IsValidCNPJ(*cnpj)) Recusa("CNPJ inválido (dígitos verificadores não conferem): " + *cnpj);
  }
  return *cnpj;
}

// The check digit of a key's first 43 digits, or empty when they are not all digits.
std::string DigitoCalculado(const std::string& aChave) {
  const std::string corpo = aChave.substr(0, 43);
  return aChave.size() == 44 && SoDigitos(corpo) ? mox::DigVerificador(corpo, 9, false) : "";
}

int Calcular(const CliArgs& aArgs, CliIo& aIo) {
  const mox::TVersaoManual versao = VersaoManual(aArgs);
  const std::string uf = CodigoDaUF(aArgs.Required("uf")), data = DataEmissao(aArgs);
  const std::string cnpj = Emitente(aArgs), modelo = aArgs.OptionOr("modelo", "55");
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

const moxcli::CliRegistrar kCalcular{{
    {"chave", "calcular"},
    "calcula a chave de acesso de 44 dígitos a partir dos campos da nota",
    "--uf UF (--data DATA | --aamm AAMM) (--cnpj CNPJ | --cpf CPF) --serie SERIE --numero NUMERO --codigo CODIGO "
    "[opções]",
    "A partir da versão 4.0 do Manual a chave leva o tipo de emissão e um código numérico de 8 dígitos;\n"
    "nas versões 2.0.2a e 3.0, o código numérico tem 9 dígitos e não há tipo de emissão.\n"
    "Sai com 1, sem chave, quando a UF não existe, a data é impossível ou os dígitos verificadores\n"
    "do CNPJ ou do CPF não conferem.",
    {
        {"uf", "UF", "sigla da UF do emitente (SP) ou seu código IBGE (35)"},
        {"data", "DATA", "data de emissão: AAAA-MM-DD ou AAAA-MM-DDThh:mm:ss-03:00"},
        {"aamm", "AAMM", "ano e mês de emissão, no lugar de --data (ex.: 1403)"},
        {"cnpj", "CNPJ", "CNPJ do emitente, 14 dígitos"},
        {"cpf", "CPF", "ou: CPF do emitente pessoa física, 11 dígitos"},
        {"modelo", "MODELO", "modelo do documento (padrão 55)"},
        {"serie", "SERIE", "série, até 3 dígitos"},
        {"numero", "NUMERO", "número da nota, até 9 dígitos"},
        {"tpemis", "TIPO", "tipo de emissão, 1 dígito (padrão 1)"},
        {"codigo", "CODIGO", "código numérico (cNF)"},
        kVersaoManual,
    },
    Calcular,
}};

const moxcli::CliRegistrar kValidar{{
    {"chave", "validar"},
    "confere o dígito verificador de uma chave de acesso",
    "[opções] CHAVE",
    "Espaços e o prefixo NFe da chave são ignorados. Sai com 1 quando a chave é inválida.",
    {kVersaoManual},
    Validar,
}};

const moxcli::CliRegistrar kDecodificar{{
    {"chave", "decodificar"},
    "mostra os campos de uma chave de acesso",
    "[opções] CHAVE",
    "Espaços e o prefixo NFe da chave são ignorados. Sai com 1 quando o dígito verificador não confere.",
    {kVersaoManual},
    Decodificar,
}};

}  // namespace
