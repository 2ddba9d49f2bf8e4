#include "datasets/moxSerializer5.h"

#include <algorithm>

#include "datasets/TmoxDataSet.h"

namespace mox {

namespace {

nlohmann::json FieldObject(const TmoxField& aField) {
  return {{"Name", aField.FieldName()}, {"Value", aField.AsString()}, {"Size", aField.Size()}, {"Type", "string"}};
}

}  // namespace

nlohmann::json SerializeDataset(TmoxDataSet& aDataset) {
  nlohmann::json items = nlohmann::json::array();
  aDataset.First();
  // The test follows the body: an empty data set still gives one entry, of empty values.
  do {
    nlohmann::json record = nlohmann::json::array();
    for (const auto& field : aDataset.Fields()) record.push_back(FieldObject(*field));
    for (TmoxDataSet* detail : aDataset.Details()) {
      nlohmann::json nested = SerializeDataset(*detail);
      nested["Type"] = "dataset";
      nested["IndexFieldNames"] = detail->IndexFieldNames();
      nested["MasterFields"] = detail->MasterFields();
      record.push_back(std::move(nested));
    }
    items.push_back(std::move(record));
    aDataset.Next();
  } while (!aDataset.Eof());
  return {{"Name", aDataset.Name()}, {"Items", std::move(items)}};
}

bool IsChild(const std::vector<TmoxDataSource*>* aDSList, const TmoxDataSet* aDataset) {
  if (!aDSList) return false;
  return std::any_of(aDSList->begin(), aDSList->end(), [aDataset](const TmoxDataSource* source) {
    if (!source || !source->DataSet()) return false;
    const auto details = source->DataSet()->Details();
    return std::find(details.begin(), details.end(), aDataset) != details.end();
  });
}

std::string SerializeTDataSourceList(const std::vector<TmoxDataSource*>* aDSList) {
  if (!aDSList || aDSList->empty()) return {};
  nlohmann::json list = nlohmann::json::array();
  for (TmoxDataSource* source : *aDSList) {
    if (!source || !source->DataSet() || IsChild(aDSList, source->DataSet())) continue;
    list.push_back(SerializeDataset(*source->DataSet()));
  }
  // Print data may hold bytes that are not UTF-8 (text pasted from other programs); they are
  // replaced rather than failing the whole document.
  return list.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

}  // namespace mox
