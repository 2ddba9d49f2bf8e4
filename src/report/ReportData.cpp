#include "report/ReportData.h"

#include <nlohmann/json.hpp>

#include "report/ReportError.h"

namespace mox::report {

namespace {

const std::string kEmpty;

Table ParseTable(const nlohmann::json& aItems);

Record ParseRecord(const nlohmann::json& aEntries) {
  Record r;
  if (!aEntries.is_array()) throw EReportException("Dados do relatório inválidos: registro não é uma lista");
  for (const auto& entry : aEntries) {
    auto name = entry.find("Name");
    if (name == entry.end() || !name->is_string()) continue;
    if (auto items = entry.find("Items"); items != entry.end()) {
      r.details.emplace_back(name->get<std::string>(), ParseTable(*items));
    } else if (auto value = entry.find("Value"); value != entry.end() && value->is_string()) {
      r.fields.emplace(name->get<std::string>(), value->get<std::string>());
    }
  }
  return r;
}

Table ParseTable(const nlohmann::json& aItems) {
  if (!aItems.is_array()) throw EReportException("Dados do relatório inválidos: \"Items\" não é uma lista");
  Table t;
  t.reserve(aItems.size());
  for (const auto& item : aItems) t.push_back(ParseRecord(item));
  return t;
}

}  // namespace

const std::string* Record::Field(const std::string& aName) const {
  auto it = fields.find(aName);
  return it == fields.end() ? nullptr : &it->second;
}

const Table* Record::Detail(const std::string& aName) const {
  for (const auto& [name, table] : details)
    if (name == aName) return &table;
  return nullptr;
}

const Table* ReportData::TableNamed(const std::string& aName) const {
  for (const auto& [name, table] : tables)
    if (name == aName) return &table;
  return nullptr;
}

ReportData ParseDataSources(const std::string& aJson) {
  ReportData data;
  if (aJson.empty()) return data;
  nlohmann::json list;
  try {
    list = nlohmann::json::parse(aJson);
  } catch (const nlohmann::json::exception& e) {
    throw EReportException(std::string("Dados do relatório inválidos: ") + e.what());
  }
  if (!list.is_array()) throw EReportException("Dados do relatório inválidos: esperada uma lista de data sets");
  for (const auto& ds : list) {
    auto name = ds.find("Name");
    auto items = ds.find("Items");
    if (name == ds.end() || !name->is_string() || items == ds.end())
      throw EReportException("Dados do relatório inválidos: data set sem \"Name\" ou \"Items\"");
    data.tables.emplace_back(name->get<std::string>(), ParseTable(*items));
  }
  return data;
}

const std::string& Scope::Get(const std::string& aName) const {
  if (!aName.empty() && aName[0] == '#') {
    for (const Scope* s = this; s; s = s->outer)
      if (s->data) {
        auto it = s->data->values.find(aName);
        if (it != s->data->values.end()) return it->second;
      }
    return kEmpty;
  }
  for (const Scope* s = this; s; s = s->outer)
    if (s->record)
      if (const std::string* v = s->record->Field(aName)) return *v;
  return kEmpty;
}

}  // namespace mox::report
