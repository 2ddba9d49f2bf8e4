#pragma once
// The main job of the command line: notes in (TX2, or NF-e XML signed or not), authorized
// nfeProc files out. Every step goes through the component: conversion, signing, schema
// validation, batch submission, receipt query and the recipient XML; what is sent is known on
// disk through the component's logs and pending-send markers, so a later run finishes whatever
// an earlier one left open.
#include <functional>
#include <string>
#include <vector>

#include "base/moxTypes.h"

namespace mox {
class TmoxNFe;
}

namespace moxcli {

// What became of one note.
struct TNotaEmitida {
  std::string Chave, Origem;
  std::string Situacao;  // "autorizada", "denegada", "rejeitada", "pendente" or "erro"
  std::string CStat, XMotivo, Protocolo;
  std::string Arquivo;  // the recipient file written for it
};

struct TOpcoesEmissao {
  mox::TVersaoEsquema Esquema = mox::TVersaoEsquema::pl_010;  // of TX2 input
  long long PrimeiroLote = 0;  // 0: numbers drawn from the clock
  int EsperaMaximaSegundos = 300;  // while SEFAZ answers "lote em processamento"
};

class Emissao {
 public:
  Emissao(mox::TmoxNFe& aNFe, TOpcoesEmissao aOpcoes);

  // Called as notes reach their final answer.
  std::function<void(size_t aConcluidas, size_t aTotal)> OnProgresso;

  // Converts and signs the notes of the files, sends them in batches of up to 50 and queries
  // the receipts.
  void Emite(const std::vector<std::string>& aArquivos);
  // Finishes what earlier runs left pending: receipts are queried; keys whose batch got no
  // receipt are looked up at SEFAZ and only those it does not know are sent again, from the
  // batch log (a duplicate answer then names the receipt that holds them).
  void Retoma();

  const std::vector<TNotaEmitida>& Notas() const { return notas_; }

 private:
  struct TNotaAssinada {
    size_t Indice;           // in notas_
    std::string Xml;         // the signed NFe
    std::string LogAnterior; // the batch log of an earlier send of the same note
  };

  std::vector<TNotaAssinada> Assina(const std::vector<std::pair<std::string, std::string>>& aNotas);
  // aReenvio: the notes are sent again after a lost answer; one more loss leaves them pending.
  void EnviaEmLotes(std::vector<TNotaAssinada> aNotas, bool aReenvio = false);
  // Sends one batch; returns its receipt, or empty when there is none. The notes of a batch
  // whose answer was lost and that SEFAZ does not know go to aReenviar.
  std::string EnviaLote(const std::vector<TNotaAssinada>& aLote, std::string& aTempoMedio,
                        std::vector<TNotaAssinada>* aReenviar);
  // After an answer was lost: each note asked by its key (ConsultarNF). Those SEFAZ has decided
  // end with its protocol (the component writes their nfeProc); a failed query leaves the note
  // pending with aMotivo. Returns the notes SEFAZ does not know (217).
  std::vector<size_t> ProcuraPelaChave(const std::vector<size_t>& aIndices, const std::string& aMotivo);
  // Queries a receipt until SEFAZ has processed it, then records each note's protocol.
  void ConsultaRecibo(const std::string& aRecibo, int aTempoMedio, int aProfundidade = 0);
  void RegistraProtocolo(const std::string& aInfProt, int aProfundidade);
  // A duplicate (204) names the receipt of the first send: its protocol is taken from there.
  void ResolveDuplicidade(size_t aIndice, const std::string& aMotivo, int aProfundidade);
  void Conclui(size_t aIndice, const std::string& aSituacao, const std::string& aCStat, const std::string& aXMotivo,
               const std::string& aProtocolo = {});
  size_t IndiceDa(const std::string& aChave, const std::string& aOrigem);
  std::string ProximoLote();

  mox::TmoxNFe& nfe_;
  TOpcoesEmissao opcoes_;
  std::vector<TNotaEmitida> notas_;
  std::vector<std::string> logsAnteriores_;  // per note, its LogAnterior
  long long lote_ = 0;
  size_t concluidas_ = 0;
};

}  // namespace moxcli
