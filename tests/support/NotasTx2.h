#pragma once
// Notes made from the TX2 examples of tests/fixtures/tx2, as the converter writes them.
#include <string>
#include <vector>

namespace moxtest {

// aQuantidade infNFe texts of layout 3.10 (pl_008i1): the example notes in turn, each with a
// number of its own from aPrimeiroNumero on, so every key differs.
std::vector<std::string> NotasDosExemplosTx2(int aQuantidade, int aPrimeiroNumero = 1);

// The TX2 text of those notes (INCLUIR ... SALVAR blocks).
std::string Tx2DosExemplos(int aQuantidade, int aPrimeiroNumero = 1);

}  // namespace moxtest
