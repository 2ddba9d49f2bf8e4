#pragma once
// Invoices in the national record layout: each line's group identifier runs the data-entry
// commands it implies (new note, new item, new repeated record) and each value goes to the
// dictionary field whose record positions name that group and position. Text stays UTF-8.
#include <functional>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "base/moxTypes.h"
#include "datasets/TmoxNFeDataSets.h"
#include "datasets/TmoxRecParser.h"

namespace mox {

class TmoxNFeRecToDs {
 public:
  using TNotifyEvent = std::function<void()>;

  TmoxNFeRecToDs();
  ~TmoxNFeRecToDs();
  TmoxNFeRecToDs(const TmoxNFeRecToDs&) = delete;
  TmoxNFeRecToDs& operator=(const TmoxNFeRecToDs&) = delete;

  const std::string& XMLDicionario() const { return fXMLDicionario; }
  void SetXMLDicionario(const std::string& aValue) { fXMLDicionario = aValue; }
  // The record-layout text, or the name of a file holding it.
  const std::string& TXT() const { return fTXT; }
  void SetTXT(const std::string& aValue) { fTXT = aValue; }
  TVersaoEsquema VersaoEsquema() const { return fVersaoEsquema; }
  void SetVersaoEsquema(TVersaoEsquema aValue) { fVersaoEsquema = aValue; }

  // Stored for hosts; the conversion raises none of them.
  TNotifyEvent BeforeIncluir, AfterIncluir, BeforeSalvar, AfterSalvar;
  TmoxRecParser::TOnProgresso OnProgresso;

  // One line per value that could not be stored in the last run:
  // "EXCEPTION, <class>, Linha <n>, grupo <G>, posição <p>: <message>".
  const std::vector<std::string>& ErrorList() const { return FErrorList; }
  // Group identifiers to skip (compared in capitals); "NOTA FISCAL" and "NOTAFISCAL" at creation.
  std::vector<std::string>& IgnoreList() { return FIgnoreTags; }

  // Fills aDS (its dictionary loaded by the caller) from TXT and saves the last open note.
  void Converter(TmoxNFeDataSets& aDS);
  // 1-based number of the input line being handled; after a failed run, the line that failed.
  size_t LinhaAtual() const { return FRecParser->Linha(); }
  // 1-based line of the "A" that opened the last note; the note saved after the last line.
  size_t LinhaDaNota() const { return fLinhaDaNota; }
  // Converts into fresh data sets; the batch, each entry followed by CR LF. ErrorList is not read.
  std::string ConverterXML();

 private:
  void HandleGroupSelected(const std::string& aGroup, const std::vector<TRecElements>& aElements);
  void ExecutaMetodosDataset(const std::string& aGroup);
  void AbrePart(const std::string& aPart);
  TmoxNFeXMLField& CampoDaPosicao(const std::string& aGroup, int aIndex);
  void IndexaPosicoes();

  std::unique_ptr<TmoxRecParser> FRecParser;
  TVersaoEsquema fVersaoEsquema = TVersaoEsquema::pl_005a;
  std::string fXMLDicionario;
  std::string fTXT;
  TmoxNFeDataSets* FDataset = nullptr;
  std::vector<std::string> FErrorList;
  std::vector<std::string> FIgnoreTags{"NOTA FISCAL", "NOTAFISCAL"};
  // "GROUP=position" in capitals -> field, built from the dictionary's record positions per run.
  std::unordered_map<std::string, TmoxNFeXMLField*> fPosicoes;
  size_t fLinhaDaNota = 0;
};

}  // namespace mox
