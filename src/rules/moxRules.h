#pragma once
// The abstract business rule: a named check over the layout container of a note.
#include <string>

namespace mox {

class TmoxXMLDataSetNFe;

class TmoxRule {
 public:
  TmoxRule(std::string aName, std::string aFieldName)
      : FName(std::move(aName)), FFieldName(std::move(aFieldName)) {}
  virtual ~TmoxRule() = default;
  TmoxRule(const TmoxRule&) = delete;
  TmoxRule& operator=(const TmoxRule&) = delete;

  // Passes silently or raises the rule's failure.
  virtual void execute() = 0;

  const std::string& Name() const { return FName; }
  const std::string& FieldName() const { return FFieldName; }
  // Kept for hosts that toggle it; the controller runs every rule of its set regardless.
  bool Enabled() const { return FEnabled; }
  void SetEnabled(bool aValue) { FEnabled = aValue; }
  // The layout container to read (not owned).
  TmoxXMLDataSetNFe* DataSet() const { return FDataSet; }
  void SetDataSet(TmoxXMLDataSetNFe* aValue) { FDataSet = aValue; }

 private:
  std::string FName;
  std::string FFieldName;
  bool FEnabled = true;
  TmoxXMLDataSetNFe* FDataSet = nullptr;
};

}  // namespace mox
