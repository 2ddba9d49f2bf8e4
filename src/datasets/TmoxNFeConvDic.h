#pragma once
// Blocked text: header ("C|"), detail ("D|") and footer ("R|") blocks whose lines are mapped to
// XML, value by value, by the three mapping files of the converter templates. Writes the infNFe
// text directly, without the invoice data sets; also makes random test notes from a template.
#include <string>
#include <vector>

namespace mox {

class TmoxNFeConvDic {
 public:
  // The folder holding "Conversor/"; a trailing separator is added when missing.
  const std::string& DiretorioTemplates() const { return fDiretorioTemplates; }
  void SetDiretorioTemplates(const std::string& aValue);
  const std::string& Arquivo() const { return fArquivo; }
  void SetArquivo(const std::string& aValue) { fArquivo = aValue; }
  const std::string& DiretorioLogErro() const { return fDiretorioLogErro; }
  void SetDiretorioLogErro(const std::string& aValue) { fDiretorioLogErro = aValue; }

  // The infNFe text of Arquivo, with the access key in Id and cDV; Versao is its "versao".
  // aFlagEmit is not used. Failures are EmoxNFeCheckTXT naming the line.
  std::string Converter(bool aFlagEmit, const std::string& Versao);
  // 1-based number of the input line being converted; after a failure, the line that failed.
  size_t LinhaAtual() const { return fLinhaAtual; }
  // Qtde notes from "template.txt" with the given issuer, UF code and random numbers.
  std::string GeraNFs_Random(int Qtde, const std::string& UF, const std::string& CNPJ, const std::string& Versao);

 private:
  void ValidaPonteiro(const std::string& aAnterior, const std::string& aAtual) const;
  void CarregaDicionario(const std::string& aMarcador);
  void ConverteLinha(const std::string& aLinha);
  void AplicaCampo(const std::string& aSpec, std::string aValor);
  void CapturaValoresChave(const std::string& aSpec, const std::string& aValor);
  std::string CalculaChaveCapturada(const std::string& Versao) const;
  [[noreturn]] void Falha(const std::string& aMensagem) const;

  std::vector<std::string> fDicCampo;
  size_t fLinhaDic = 0;
  size_t fLinhaAtual = 0;
  bool fDepoisDeICMS = false;
  bool fFlagEmit = true;
  std::string fDtEmissao, fUF, fCNPJ, fModelo, fSerie, fNRNota, fCodigo, fTpEmis;
  std::string fSxml;
  std::string fDiretorioTemplates;
  std::string fArquivo;
  std::string fDiretorioLogErro;
};

}  // namespace mox
