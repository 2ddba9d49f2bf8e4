#include "datasets/TmoxNFeConvDic.h"

#include <algorithm>
#include <array>
#include <random>

#include "base/EmoxException.h"
#include "datasets/moxLinhasTexto.h"
#include "external/FileIO.h"
#include "external/TmoxKivoUtils.h"
#include "external/moxPaths.h"
#include "utils/moxChaveNFe.h"
#include "utils/moxXmlLookup.h"

namespace mox {

namespace {

// The values of a line: each one ends in "|"; text after the last "|" is not a value.
std::vector<std::string> Valores(const std::string& aLinha) {
  std::vector<std::string> valores;
  size_t start = 0;
  for (size_t bar; (bar = aLinha.find('|', start)) != std::string::npos; start = bar + 1)
    valores.push_back(aLinha.substr(start, bar - start));
  return valores;
}

bool EhMarcador(const std::string& aLinha) {
  const std::string inicio = aLinha.substr(0, 2);
  return inicio == "C|" || inicio == "D|" || inicio == "R|";
}

constexpr std::array<std::string_view, 9> kICMS{"ICMS00", "ICMS10", "ICMS20", "ICMS30", "ICMS40",
                                                "ICMS51", "ICMS60", "ICMS70", "ICMS90"};

bool TerminaEmAsterisco(const std::string& aSpec) { return !aSpec.empty() && aSpec.back() == '*'; }

void Substitui(std::string& aTexto, const std::string& aDe, const std::string& aPara) {
  for (size_t pos = 0; (pos = aTexto.find(aDe, pos)) != std::string::npos; pos += aPara.size())
    aTexto.replace(pos, aDe.size(), aPara);
}

}  // namespace

void TmoxNFeConvDic::SetDiretorioTemplates(const std::string& aValue) {
  fDiretorioTemplates = aValue;
  if (!fDiretorioTemplates.empty() && fDiretorioTemplates.back() != '/' && fDiretorioTemplates.back() != '\\')
    fDiretorioTemplates += '/';
}

void TmoxNFeConvDic::Falha(const std::string& aMensagem) const { throw EmoxNFeCheckTXT(aMensagem, fDiretorioLogErro); }

void TmoxNFeConvDic::ValidaPonteiro(const std::string& aAnterior, const std::string& aAtual) const {
  if (aAnterior.empty() && aAtual.empty()) Falha("Não é permitido iniciar Linha sem Caracter válido.");
  if (aAnterior.empty() && aAtual != "C|") Falha("O Arquivo deve ser iniciado com cabecalho - C.");
  if (aAnterior == "C|" && aAtual != "D|") Falha("O Cabecalho deve possuir pelo menos um registro de detalhe - D.");
  if (aAnterior == "D|" && aAtual != "D|" && aAtual != "R|")
    Falha(moxFormat("A NF: %s não foi finalizada com o registro de Rodape - R", {fNRNota}));
}

void TmoxNFeConvDic::CarregaDicionario(const std::string& aMarcador) {
  const char* arquivo = aMarcador == "C|"   ? "dicCabecalho.txt"
                        : aMarcador == "D|" ? "dicDetalhe.txt"
                        : aMarcador == "R|" ? "dicRodape.txt"
                                            : nullptr;
  const std::string caminho = arquivo ? fDiretorioTemplates + "Conversor/" + arquivo : std::string();
  if (!arquivo || !FileExists(caminho))
    Falha(moxFormat("Não foi possível carregar o dicionário para o layout %s", {aMarcador}));
  fDicCampo = LinhasDoTexto(TmoxKivoUtils().LoadFromFileUTF8(caminho));
  fLinhaDic = 0;
  fDepoisDeICMS = false;
}

void TmoxNFeConvDic::CapturaValoresChave(const std::string& aSpec, const std::string& aValor) {
  if (aSpec == "cUF" && fFlagEmit) fUF = aValor;
  else if (aSpec == "CNPJ" && fFlagEmit) fCNPJ = aValor;
  else if (aSpec == "mod") fModelo = aValor;
  else if (aSpec == "serie") fSerie = aValor;
  else if (aSpec == "cNF") fCodigo = aValor;
  else if (aSpec == "nNF") fNRNota = aValor;
  else if (aSpec == "dEmi" || aSpec == "dhEmi") fDtEmissao = aValor;  // dhEmi: layout 3.10
  else if (aSpec == "tpEmis") fTpEmis = aValor;
  if (aSpec == "dest") fFlagEmit = false;
}

void TmoxNFeConvDic::AplicaCampo(const std::string& aSpec, std::string aValor) {
  if (aSpec == "cDV") {
    fSxml += "<cDV>***</cDV>";
    return;
  }
  if (TerminaEmAsterisco(aSpec)) {
    const std::string nome = aSpec.substr(0, aSpec.size() - 1);
    if (nome == "infNFe Id") fSxml += "<infNFe Id=***** >";
    else fSxml += "<" + nome + "=\"" + EscapeCaracteres(aValor) + "\">";
    return;
  }
  Substitui(aValor, "%CNPJ", fCNPJ);
  Substitui(aValor, "%UF", fUF);
  Substitui(aValor, "%nNF", fNRNota);
  CapturaValoresChave(aSpec, aValor);
  if (aSpec == "??" || aSpec == "/??") fSxml += "<" + aValor + ">";
  else if (aValor.empty()) return;
  else if (aValor.front() == '/' || aValor == aSpec) fSxml += "<" + aValor + ">";
  else fSxml += "<" + aSpec + ">" + EscapeCaracteres(aValor) + "</" + aSpec + ">";
}

void TmoxNFeConvDic::ConverteLinha(const std::string& aLinha) {
  if (fDicCampo.empty())
    Falha("Arquivo TXT inválido. Não foi possível identificar início de Bloco (C/D/R).");
  ++fLinhaDic;
  if (fDepoisDeICMS) {
    // After an ICMS line the mapping goes on at the PIS line.
    const auto pis = std::find_if(fDicCampo.begin(), fDicCampo.end(),
                                  [](const std::string& l) { return l.rfind("PIS", 0) == 0; });
    if (pis == fDicCampo.end())
      Falha("O dicionário do bloco não tem a linha PIS que segue o ICMS.");
    fLinhaDic = static_cast<size_t>(pis - fDicCampo.begin());
    fDepoisDeICMS = false;
  }
  size_t linhaDic = fLinhaDic;
  const auto icms = std::find(kICMS.begin(), kICMS.end(), std::string_view(aLinha).substr(0, 6));
  if (icms != kICMS.end()) {
    linhaDic += static_cast<size_t>(icms - kICMS.begin());
    fDepoisDeICMS = true;
  }
  if (linhaDic >= fDicCampo.size())
    Falha(aLinha + "\rNão há linha correspondente no dicionário do bloco.");
  const std::string& mapa = fDicCampo[linhaDic];
  const auto encontrados = std::count(aLinha.begin(), aLinha.end(), '|');
  const auto esperados = std::count(mapa.begin(), mapa.end(), '|');
  if (encontrados != esperados)
    Falha(moxFormat("%s\rPossui %d.\rQuando deveria ter: %d",
                    {aLinha, static_cast<int>(encontrados), static_cast<int>(esperados)}));
  const std::vector<std::string> specs = Valores(mapa);
  const std::vector<std::string> valores = Valores(aLinha);
  for (size_t i = 0; i < valores.size(); ++i) AplicaCampo(specs[i], valores[i]);
}

std::string TmoxNFeConvDic::CalculaChaveCapturada(const std::string& Versao) const {
  if (Versao != "1.10" && !fTpEmis.empty())
    return CalculaChave(fDtEmissao, fUF, fCNPJ, fModelo, fSerie, fNRNota, fTpEmis, fCodigo);
  return CalculaChave(fDtEmissao, fUF, fCNPJ, fModelo, fSerie, fNRNota, fCodigo);
}

std::string TmoxNFeConvDic::Converter(bool /*aFlagEmit*/, const std::string& Versao) {
  if (!FileExists(fArquivo)) Falha(moxFormat("Arquivo TXT não encontrado: %s", {fArquivo}));
  const std::vector<std::string> linhas = LinhasDoTexto(TmoxKivoUtils().LoadFromFileUTF8(fArquivo));
  fSxml.clear();
  fFlagEmit = true;
  fDicCampo.clear();
  fDtEmissao.clear(), fModelo.clear(), fSerie.clear(), fCodigo.clear(), fTpEmis.clear();
  std::string anterior;
  for (size_t i = 0; i < linhas.size(); ++i) {
    fLinhaAtual = i + 1;
    const std::string& linha = linhas[i];
    if (!linha.empty() && !EhMarcador(linha)) {
      ConverteLinha(linha);
      continue;
    }
    const std::string marcador = linha.substr(0, 2);
    ValidaPonteiro(anterior, marcador);
    anterior = marcador;
    CarregaDicionario(marcador);
  }
  // The file ends like a block would start: after a footer, never inside a note.
  if (anterior != "R|") ValidaPonteiro(anterior, "fim do arquivo");
  fLinhaAtual = 0;
  std::string chave;
  try {
    chave = CalculaChaveCapturada(Versao);
  } catch (const std::exception& e) {
    Falha(std::string("Não foi possível calcular a chave de acesso: ") + e.what());
  }
  Substitui(fSxml, "*****", "\"NFe" + chave + "\" versao=\"" + Versao + "\"");
  Substitui(fSxml, "***", chave.substr(43, 1));
  return fSxml;
}

std::string TmoxNFeConvDic::GeraNFs_Random(int Qtde, const std::string& UF, const std::string& CNPJ,
                                           const std::string& Versao) {
  if (Qtde <= 0) Falha("Quantidade de Nfs Inválido ");
  int uf = 0;
  if (UF.empty() || UF.size() > 9 || !std::all_of(UF.begin(), UF.end(), [](char c) { return c >= '0' && c <= '9'; }))
    Falha("Valor para UF inválido. ");
  uf = std::stoi(UF);
  if (CNPJ.size() != 14) Falha("CNPJ deve conter 14 dígitos. ");
  const std::string modelo = fDiretorioTemplates + "Conversor/template.txt";
  if (!FileExists(modelo))
    throw EmoxTemplateNotFoundException::CreateFmt("Arquivo de template do conversor não encontrado: %s", {modelo},
                                                   fDiretorioLogErro);
  std::string notas;
  const std::string arquivo = fArquivo;
  for (int i = 0; i < Qtde; ++i) {
    std::random_device semente;
    std::mt19937 gerador(semente());
    fUF = std::to_string(uf);
    fCNPJ = CNPJ;
    fNRNota = std::to_string(std::uniform_int_distribution<int>(0, 9999998)(gerador));
    fArquivo = modelo;
    notas += Converter(false, Versao);
  }
  fArquivo = arquivo;
  return notas;
}

}  // namespace mox
