#include "support/NotasTx2.h"

#include <stdexcept>

#include "base/moxEnumTexts.h"
#include "datasets/TmoxNFeConvTXTDataSet.h"
#include "datasets/TmoxNFeDataSets.h"
#include "support/TestSupport.h"

namespace moxtest {

namespace {

// The INCLUIR ... SALVAR blocks of the example files, one per note.
std::vector<std::string> BlocosDosExemplos() {
  std::vector<std::string> blocos;
  for (const char* arquivo : {"venda-simples.tx2", "duas-notas.tx2", "varios-itens-parcelas.tx2"}) {
    const std::string texto = ReadText(Fixture(std::string("tx2/") + arquivo));
    for (size_t inicio = texto.find("INCLUIR\n"); inicio != std::string::npos;
         inicio = texto.find("\nINCLUIR\n", inicio + 1)) {
      if (texto[inicio] == '\n') ++inicio;
      size_t fim = texto.find("\nSALVAR", inicio);
      while (fim != std::string::npos && fim + 7 < texto.size() && texto[fim + 7] != '\n' && texto[fim + 7] != '\r')
        fim = texto.find("\nSALVAR", fim + 1);  // SALVARITEM and the like end a part, not the note
      if (fim == std::string::npos) throw std::runtime_error(std::string("nota sem SALVAR em ") + arquivo);
      blocos.push_back(texto.substr(inicio, fim + 7 - inicio) + "\n");
    }
  }
  return blocos;
}

}  // namespace

std::string Tx2DosExemplos(int aQuantidade, int aPrimeiroNumero) {
  const std::vector<std::string> blocos = BlocosDosExemplos();
  std::string tx2;
  for (int i = 0; i < aQuantidade; ++i) {
    std::string bloco = blocos[static_cast<size_t>(i) % blocos.size()];
    const size_t campo = bloco.find("nNF_B08=");
    bloco.replace(campo, bloco.find('\n', campo) - campo, "nNF_B08=" + std::to_string(aPrimeiroNumero + i));
    tx2 += bloco;
  }
  return tx2;
}

std::vector<std::string> NotasDosExemplosTx2(int aQuantidade, int aPrimeiroNumero) {
  const std::string tx2 = Tx2DosExemplos(aQuantidade, aPrimeiroNumero);
  mox::TmoxNFeConvTXTDataSet conversor;
  conversor.SetVersaoEsquema(mox::TVersaoEsquema::pl_008i1);
  conversor.SetXMLDicionario(std::string(MOXNFE_SOURCE_DIR) + "/data/Templates/vm50a/Conversor/NFeDataSets.xml");
  conversor.SetTXT(tx2);
  mox::TmoxNFeDataSets* notas = nullptr;
  conversor.Converter(notas);
  if (!notas || notas->LoteNFe().size() != static_cast<size_t>(aQuantidade))
    throw std::runtime_error("os exemplos TX2 não deram as notas pedidas");
  return notas->LoteNFe();
}

}  // namespace moxtest
