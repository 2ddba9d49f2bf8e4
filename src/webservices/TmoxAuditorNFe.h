#pragma once
// The validator control of this system: audits an NF-e (a note, a signed note or an nfeProc) on
// this machine against the official schema of its layout and the rejection rules of its manual
// version, and answers with every failure found.
#include <functional>
#include <string>

#include "base/TmoxValidadorClientX.h"
#include "external/moxDateTime.h"

namespace mox {

class TmoxAuditorNFe : public TmoxValidadorClientX {
 public:
  // The schema folder holds one sub-folder per manual version (vm30 ... vm60) with its
  // "Mapping.txt" and the official package, found in the folder or in the three above it; the
  // templates folder likewise leads to the field dictionaries (<version>/Conversor/). Both
  // default to the installed data. The rules folder may hold "RegrasIgnoradas.txt", the names
  // of the rules left out of the audit, one a line.
  TmoxAuditorNFe();
  ~TmoxAuditorNFe() override;

  // The answer: JSON {situacao, documento, chave, assinada, versaoLeiaute, versaoManual,
  // pacote, esquema, totalRejeicao, falhas: [{origem "esquema"|"assinatura"|"regra", codigo,
  // campo, mensagem, linha | regra}], regras (with ExibirRegrasValidacao)}; the same as lines of
  // text (trTexto) or as a page (tlHtml). A signed note's signature is verified; a note not yet
  // signed is checked for everything but its signature. EmoxNFeComunicacaoValidadorNotaException
  // in moCliente.
  std::string ValidarXml(const std::string& aXml, const std::string& aDelimitador) override;
  // The page of a JSON answer, handed to OnExibirHtml; EmoxNFeValidadorClientOCXException
  // without it or for a text that is not such an answer.
  void ShowHtml(const std::string& aJSON) override;
  // The local rules are part of the component: always EmoxNFeValidadorClientOCXException.
  void DownloadRegras() override;

  // The page of a JSON answer, as ShowHtml renders it.
  std::string Html(const std::string& aJSON) const;

  // The instant the date rules take as now. Unset: the protocol's receipt for an nfeProc, the
  // clock otherwise, both in Brasília time.
  void SetRelogio(std::function<TDateTime()> aRelogio) { FRelogio = std::move(aRelogio); }

 private:
  std::function<TDateTime()> FRelogio;
};

}  // namespace mox
