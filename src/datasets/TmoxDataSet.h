#pragma once
// The in-memory data set: the table type of the whole component (invoice groups, rules,
// readers, print data). Fields are defined at run time, records are reached through a cursor
// and edited through one pending record; a detail data set follows the current record of its
// master through an index of its records by key.
#include <algorithm>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "base/moxTypes.h"
#include "datasets/TmoxField.h"
#include "datasets/TmoxKeyIndex.h"
#include "datasets/TmoxRecordStore.h"
#include "datasets/moxNameIndex.h"

namespace mox {

class TmoxDataSet;

// Binds a data set for its details: a detail names a data source as its master source.
class TmoxDataSource {
 public:
  explicit TmoxDataSource(TmoxDataSet* aDataSet = nullptr);
  ~TmoxDataSource();
  TmoxDataSource(const TmoxDataSource&) = delete;
  TmoxDataSource& operator=(const TmoxDataSource&) = delete;

  TmoxDataSet* DataSet() const { return FDataSet; }
  void SetDataSet(TmoxDataSet* aDataSet);

 private:
  friend class TmoxDataSet;
  TmoxDataSet* FDataSet = nullptr;
  std::vector<TmoxDataSet*> FDetails;
};

class TmoxDataSet {
 public:
  using THook = std::function<void(TmoxDataSet&)>;

  // Raising from BeforePost aborts the post and leaves the record pending. BeforeInsert runs
  // after the previous pending record was finished; AfterInsert once the new one is pending.
  THook BeforePost;
  THook BeforeInsert;
  THook AfterInsert;

  explicit TmoxDataSet(std::string aName = {});
  virtual ~TmoxDataSet();
  TmoxDataSet(const TmoxDataSet&) = delete;
  TmoxDataSet& operator=(const TmoxDataSet&) = delete;

  const std::string& Name() const { return FName; }
  void SetName(std::string aName) { FName = std::move(aName); }
  // Error-log folder handed to the exceptions this data set raises.
  const std::string& DiretorioLogErro() const { return FDiretorioLogErro; }
  void SetDiretorioLogErro(std::string aDir) { FDiretorioLogErro = std::move(aDir); }

  // --- Field definitions: added while the data set is closed, kept when it closes.
  TmoxField& AddField(std::unique_ptr<TmoxField> aField);
  TmoxField& AddField(std::string aFieldName, TFieldType aDataType, int aSize = 0);
  size_t FieldCount() const { return FFields.size(); }
  TmoxField& Field(size_t aIndex) const { return *FFields[aIndex]; }
  const std::vector<std::unique_ptr<TmoxField>>& Fields() const { return FFields; }
  // Changes with every field added and every change of a field's checks: lists derived from
  // the definitions hold while it stands.
  uint64_t DefinitionVersion() const { return FDefinitions; }
  // Both ignore letter case; FieldByName raises for an unknown name.
  TmoxField* FindField(std::string_view aFieldName) const;
  TmoxField& FieldByName(std::string_view aFieldName) const;

  // --- The table. Open creates the empty table from the field definitions; Close discards
  // every record.
  void Open();
  void Close();
  bool Active() const { return FState != TDataSetState::dsInactive; }
  TDataSetState State() const { return FState; }
  // A record is pending: the data set is in edit or insert state.
  bool Editing() const { return FState == TDataSetState::dsEdit || FState == TDataSetState::dsInsert; }
  // Drops the pending record and deletes every record.
  void EmptyDataSet();

  // --- Cursor over the visible records (a detail sees only its master's). Every move first
  // finishes the pending record: posted when modified, discarded otherwise.
  void First();
  void Next();
  void Prior();
  void Last();
  bool Eof() const {
    Fresh();
    return FEof;
  }
  bool Bof() const {
    Fresh();
    return FBof;
  }
  bool IsEmpty() const { return RecordCount() == 0; }
  size_t RecordCount() const;
  // 1-based position of the current record; 0 when there is none or a new record is pending.
  size_t RecNo() const;
  // Makes current the first record whose fields (names separated by ";") hold the given texts.
  bool Locate(std::string_view aKeyFields, const std::vector<std::string>& aKeyValues);

  // --- Editing through the pending record.
  void Append();
  // On an empty data set Edit appends.
  void Edit();
  void Post();
  void Cancel();
  bool Modified() const { return FModified; }
  // While a record is pending: the fields that may hold a value (written since it was started, or
  // non-empty when it was loaded for editing); every other field of it is null.
  const std::vector<uint32_t>& PendingFields() const { return FPending.Written(); }
  // The bytes of all the current record's values together (none without a current record): a
  // reader of many fields learns at once that they are all empty.
  size_t CurrentRecordBytes() const;

  // --- Master-detail. Field lists are names separated by ";". The link is in force while the
  // master source, the master fields and the index fields are all given.
  TmoxDataSource* MasterSource() const { return FMasterSource; }
  void SetMasterSource(TmoxDataSource* aSource);
  const std::string& MasterFields() const { return FMasterFields; }
  void SetMasterFields(std::string aFieldNames);
  const std::string& IndexFieldNames() const { return FIndexFieldNames; }
  void SetIndexFieldNames(std::string aFieldNames);
  TmoxDataSet* MasterDataSet() const { return FMasterSource ? FMasterSource->DataSet() : nullptr; }
  // The data sets linked to this one as details, in the order they were linked.
  std::vector<TmoxDataSet*> Details() const;
  bool HasDetails() const {
    for (const TmoxDataSource* source : FSources)
      if (!source->FDetails.empty()) return true;
    return false;
  }

  // Detaching controls around bulk changes; nothing else depends on it.
  void DisableControls() { ++FDisableCount; }
  void EnableControls() {
    if (FDisableCount > 0) --FDisableCount;
  }
  bool ControlsDisabled() const { return FDisableCount > 0; }

  // --- Read-only queries for converters. They read the posted records as stored: no cursor
  // move, no view refresh, no pending record.
  // True when no posted record, of any master, holds a value outside the fields aFields.
  bool StoredValuesOnlyIn(std::span<const size_t> aFields) const;

 protected:
  // Lets a data set refuse fields of the wrong kind before they are added.
  virtual void CheckNewField(const TmoxField& aField) const { (void)aField; }

 private:
  friend class TmoxField;
  friend class TmoxDataSource;

  // Field access for TmoxField; every field read goes through here, so the common case is inline.
  std::string_view CurrentValue(size_t aField) const {
    if (Editing()) return FPending[aField];
    if (FState == TDataSetState::dsInactive) CheckActive();
    Fresh();
    if (FPos >= ViewSize()) return {};
    return FStore.Value(ViewRecord(FPos), aField);
  }
  void StoreValue(size_t aField, std::string_view aBytes) {
    if (!Editing()) FailNotEditing();
    FPending.Set(aField, aBytes);
    FModified = true;
    if ((FKeyedFields >> (aField % 64)) & 1) NotifyDetails(aField);
  }
  [[noreturn]] void FailNotEditing() const;
  void CheckActive() const;

  std::vector<size_t> ResolveFields(std::string_view aFieldNames, const TmoxDataSet& aOwner) const;
  void AppendKeyPart(std::string& aKey, size_t aField, std::string_view aStored) const;
  void RecordKey(uint32_t aRecord, std::string& aKey) const;
  // The pending record's index key, built in aKey unless it is one stored value as it is.
  std::string_view PendingKey(std::string& aKey) const {
    // The usual index, one text field, is its pending value as it is.
    if (FIndexFieldIdx.size() == 1 && FFields[FIndexFieldIdx[0]]->DataType() == TFieldType::ftString)
      return FPending[FIndexFieldIdx[0]];
    return ComposedPendingKey(aKey);
  }
  std::string_view ComposedPendingKey(std::string& aKey) const;
  // The master's current key for this detail; valid until the master or the key buffer changes.
  // The usual link, one text field, is its stored value as it is.
  std::string_view MasterKey() const {
    const TmoxDataSet* master = MasterDataSet();
    if (FMasterFieldIdx.size() == 1 && master->Active() &&
        master->FFields[FMasterFieldIdx[0]]->DataType() == TFieldType::ftString)
      return master->CurrentValue(FMasterFieldIdx[0]);
    return ComposedMasterKey();
  }
  std::string_view ComposedMasterKey() const;
  bool LinkInForce() const { return !FMasterFieldIdx.empty(); }

  void RebuildIndex();
  void ResolveLink();
  void UpdateView();
  size_t ViewSize() const { return FView ? FView->size() : FStore.Count(); }
  uint32_t ViewRecord(size_t aPos) const { return FView ? (*FView)[aPos] : static_cast<uint32_t>(aPos); }
  void PositionAt(uint32_t aRecord);
  void ToFirst();
  void FinishPending();

  // Master side: tells details that the current record (or, with a field, one of its values)
  // changed. Detail side: follows the master; LinkLost drops the link without touching records.
  void NotifyDetails(std::optional<size_t> aChangedField = std::nullopt) {
    if (!aChangedField) ++FMoves;
    if (HasDetails()) TellDetails(aChangedField);
  }
  void TellDetails(std::optional<size_t> aChangedField);
  void MasterChanged();
  // A detail without a pending record anywhere below it only notes that its master moved and
  // follows it when it is next read: a master walking its records does not refresh every
  // detail at every step. Invariant: the details of a stale data set are stale too.
  bool PendingBelow() const;
  void MarkStale();
  void Fresh() const {
    if (FStale) const_cast<TmoxDataSet*>(this)->Refresh();
  }
  void Refresh();
  void LinkLost();
  bool IsMasterOf(const TmoxDataSet* aOther) const;
  // Refuses a master that would close a cycle or nest links too deep.
  void CheckMaster(const TmoxDataSet* aMaster) const;

  std::string FName;
  std::string FDiretorioLogErro;
  std::vector<std::unique_ptr<TmoxField>> FFields;
  TmoxNameTable FFieldIndex;
  uint64_t FDefinitions = 0;

  TmoxRecordStore FStore;
  TmoxPendingRecord FPending;
  uint32_t FEditRecord = 0;
  TDataSetState FState = TDataSetState::dsInactive;
  bool FModified = false;

  const std::vector<uint32_t>* FView = nullptr;  // null: every record, in record order
  size_t FPos = 0;
  size_t FPosBeforeInsert = 0;
  bool FEof = true;
  bool FBof = true;

  std::string FIndexFieldNames;
  std::vector<size_t> FIndexFieldIdx;
  TmoxKeyIndex FIndex;
  TmoxDataSource* FMasterSource = nullptr;
  std::string FMasterFields;
  std::vector<size_t> FMasterFieldIdx;  // in the master; empty while the link is not in force
  std::vector<TmoxDataSource*> FSources;
  bool FFollowingMaster = false;
  bool FStale = false;
  int FDisableCount = 0;
  mutable std::string FKeyBuffer;
  std::string FPostKey;  // the key of the record being posted
  // The key FView was looked up with, held by the index: read only while FViewGeneration is the
  // index's generation.
  std::string_view FViewKey;
  uint64_t FViewGeneration = 0;
  // Counts the changes of the current record (moves, and edits of values its details key on);
  // a detail's view holds while the count it was computed at stands.
  uint64_t FMoves = 0;
  uint64_t FViewMasterMoves = 0;
  // Bit f % 64 set once some detail linked on field f: an edit of any other field has no
  // detail to tell. Never cleared (a detail unlinked only costs the look that finds nothing).
  uint64_t FKeyedFields = 0;
};

inline std::string_view TmoxField::Stored() const {
  if (!FDataSet) FailNoDataSet();
  return FDataSet->CurrentValue(FIndex);
}

inline bool TmoxField::IsNull() const { return Stored().empty(); }

inline void TmoxField::SetAsString(std::string_view aValue) {
  if (FDataType == TFieldType::ftString && FDataSet && !aValue.empty() &&
      aValue.size() <= static_cast<size_t>(std::max(FSize, 0)) && !MayHoldControlBytes(aValue))
    return FDataSet->StoreValue(FIndex, aValue);
  SetAsStringChecked(aValue);
}

inline std::string_view TmoxField::TextView() const {
  if (FDataType != TFieldType::ftString) FailNotText();
  return Stored();
}

}  // namespace mox
