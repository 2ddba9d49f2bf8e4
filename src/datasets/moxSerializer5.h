#pragma once
// JSON text of a list of data sources, with each detail nested under its master's records, so
// print data can travel to a renderer as text.
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

namespace mox {

class TmoxDataSet;
class TmoxDataSource;

// A JSON array with one object per top-level data set of the list; an absent or empty list
// gives an empty text. Compact, with non-ASCII characters written as they are.
std::string SerializeTDataSourceList(const std::vector<TmoxDataSource*>* aDSList);

// {"Name": ..., "Items": [[field objects..., detail objects...], ...]}. Moves the cursors of the
// data set and its details; an empty data set gives one entry of empty values.
nlohmann::json SerializeDataset(TmoxDataSet& aDataset);

// True when aDataset is a detail of the data set of any data source in the list.
bool IsChild(const std::vector<TmoxDataSource*>* aDSList, const TmoxDataSet* aDataset);

}  // namespace mox
