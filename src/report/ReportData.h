#pragma once
// The data a report prints: the data sets serialized by the component (one JSON array of
// {"Name", "Items"}, each item a list of field objects and nested detail data sets), read into
// records whose details hang under them, plus named values of the print settings ("#logo").
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

namespace mox::report {

struct Record;
using Table = std::vector<Record>;

struct Record {
  std::unordered_map<std::string, std::string> fields;
  std::vector<std::pair<std::string, Table>> details;

  const std::string* Field(const std::string& aName) const;
  const Table* Detail(const std::string& aName) const;
};

struct ReportData {
  std::vector<std::pair<std::string, Table>> tables;
  std::unordered_map<std::string, std::string> values;  // print settings seen by the models

  const Table* TableNamed(const std::string& aName) const;
};

// Empty text gives no tables. Raises EReportException on a text that is not such a list.
ReportData ParseDataSources(const std::string& aJson);

// Where a template looks a field up: the record of the band, then its masters outwards.
struct Scope {
  const Record* record = nullptr;
  const Scope* outer = nullptr;
  const ReportData* data = nullptr;

  // Empty when no record of the chain has the field.
  const std::string& Get(const std::string& aName) const;
};

}  // namespace mox::report
