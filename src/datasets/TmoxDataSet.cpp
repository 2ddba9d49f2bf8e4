#include "datasets/TmoxDataSet.h"

#include <algorithm>

#include "base/EmoxException.h"

namespace mox {

namespace {

constexpr char kKeySeparator = '\x1F';
// Invoices nest three levels deep; the bound keeps refreshes (recursive along the chain) and
// depth-ordered work cheap whatever a dictionary declares.
constexpr size_t kMaxLinkDepth = 32;

bool IsPending(TDataSetState aState) { return aState == TDataSetState::dsEdit || aState == TDataSetState::dsInsert; }

std::vector<std::string_view> SplitNames(std::string_view aNames) {
  std::vector<std::string_view> names;
  while (!aNames.empty()) {
    const size_t sep = aNames.find(';');
    std::string_view name = aNames.substr(0, sep);
    while (!name.empty() && name.front() == ' ') name.remove_prefix(1);
    while (!name.empty() && name.back() == ' ') name.remove_suffix(1);
    if (!name.empty()) names.push_back(name);
    if (sep == std::string_view::npos) break;
    aNames.remove_prefix(sep + 1);
  }
  return names;
}

// Restores a flag on every way out, so a failed refresh does not block the next one.
class FlagScope {
 public:
  explicit FlagScope(bool& aFlag) : flag_(aFlag) { flag_ = true; }
  ~FlagScope() { flag_ = false; }

 private:
  bool& flag_;
};

}  // namespace

// --- TmoxDataSource ---------------------------------------------------------------------------

TmoxDataSource::TmoxDataSource(TmoxDataSet* aDataSet) { SetDataSet(aDataSet); }

TmoxDataSource::~TmoxDataSource() {
  // No refresh here: finishing a detail's pending record could raise inside a destructor.
  if (FDataSet) std::erase(FDataSet->FSources, this);
  for (TmoxDataSet* detail : FDetails) {
    detail->FMasterSource = nullptr;
    detail->LinkLost();
  }
}

void TmoxDataSource::SetDataSet(TmoxDataSet* aDataSet) {
  if (aDataSet == FDataSet) return;
  for (TmoxDataSet* detail : FDetails) detail->CheckMaster(aDataSet);
  if (FDataSet) std::erase(FDataSet->FSources, this);
  FDataSet = aDataSet;
  if (FDataSet) FDataSet->FSources.push_back(this);
  for (TmoxDataSet* detail : FDetails) {
    detail->ResolveLink();
    detail->MasterChanged();
  }
}

// --- Definitions ------------------------------------------------------------------------------

TmoxDataSet::TmoxDataSet(std::string aName) : FName(std::move(aName)) {}

TmoxDataSet::~TmoxDataSet() {
  if (FMasterSource) std::erase(FMasterSource->FDetails, this);
  for (TmoxDataSource* source : FSources) {
    source->FDataSet = nullptr;
    for (TmoxDataSet* detail : source->FDetails) detail->LinkLost();
  }
}

TmoxField& TmoxDataSet::AddField(std::unique_ptr<TmoxField> aField) {
  if (Active())
    throw EmoxNfeDataSetStateException::CreateFmt("Os campos do DataSet %s não podem ser definidos com ele aberto.",
                                                  {FName}, FDiretorioLogErro);
  CheckNewField(*aField);
  if (aField->DataType() == TFieldType::ftString && aField->Size() < 1)
    throw EmoxDataSetException::CreateFmt("Tamanho inválido (%d) para o campo %s do DataSet %s.",
                                          {aField->Size(), aField->FieldName(), FName}, FDiretorioLogErro);
  if (FindField(aField->FieldName()))
    throw EmoxDataSetException::CreateFmt("Campo %s duplicado no DataSet %s.", {aField->FieldName(), FName},
                                          FDiretorioLogErro);
  aField->FDataSet = this;
  aField->FIndex = FFields.size();
  ++FDefinitions;
  FFieldIndex.Insert(aField->FieldName(), static_cast<uint32_t>(FFields.size()));
  FFields.push_back(std::move(aField));
  return *FFields.back();
}

TmoxField& TmoxDataSet::AddField(std::string aFieldName, TFieldType aDataType, int aSize) {
  return AddField(std::make_unique<TmoxField>(std::move(aFieldName), aDataType, aSize));
}

TmoxField* TmoxDataSet::FindField(std::string_view aFieldName) const {
  const int64_t pos =
      FFieldIndex.Find(aFieldName, [this](uint32_t aPos) -> std::string_view { return FFields[aPos]->FieldName(); });
  return pos < 0 ? nullptr : FFields[static_cast<size_t>(pos)].get();
}

TmoxField& TmoxDataSet::FieldByName(std::string_view aFieldName) const {
  if (TmoxField* field = FindField(aFieldName)) return *field;
  throw EmoxDataSetFieldNotFoundException::CreateFmt("Campo %s não encontrado", {aFieldName}, FDiretorioLogErro);
}

// --- Table ------------------------------------------------------------------------------------

void TmoxDataSet::CheckActive() const {
  if (!Active())
    throw EmoxNfeDataSetStateException::CreateFmt("O DataSet %s está fechado.", {FName}, FDiretorioLogErro);
}

void TmoxDataSet::Open() {
  if (Active()) return;
  FStale = false;
  FStore.Reset(FFields.size());
  FPending.Reset(FFields.size());
  FState = TDataSetState::dsBrowse;
  FModified = false;
  RebuildIndex();
  UpdateView();
  ToFirst();
}

void TmoxDataSet::Close() {
  if (!Active()) return;
  FState = TDataSetState::dsInactive;
  FStale = false;
  FModified = false;
  FStore.Clear();
  FIndex.Clear();
  FView = nullptr;
  FPos = 0;
  FEof = FBof = true;
  NotifyDetails();
}

void TmoxDataSet::EmptyDataSet() {
  CheckActive();
  Fresh();
  Cancel();
  FStore.Clear();
  FIndex.Clear();
  UpdateView();
  ToFirst();
}

// --- Values -----------------------------------------------------------------------------------

void TmoxDataSet::FailNotEditing() const {
  CheckActive();
  throw EmoxNfeDataSetStateException::CreateFmt("O DataSet %s não está em modo de edição ou inclusão.", {FName},
                                                FDiretorioLogErro);
}

// --- Keys -------------------------------------------------------------------------------------

std::vector<size_t> TmoxDataSet::ResolveFields(std::string_view aFieldNames, const TmoxDataSet& aOwner) const {
  std::vector<size_t> indexes;
  for (std::string_view name : SplitNames(aFieldNames)) {
    TmoxField* field = aOwner.FindField(name);
    if (!field)
      throw EmoxDataSetFieldNotFoundException::CreateFmt("Campo %s não encontrado", {name}, FDiretorioLogErro);
    indexes.push_back(field->Index());
  }
  return indexes;
}

void TmoxDataSet::AppendKeyPart(std::string& aKey, size_t aField, std::string_view aStored) const {
  const TmoxField& field = *FFields[aField];
  if (field.DataType() == TFieldType::ftString)
    aKey.append(aStored);
  else
    aKey += field.TextOf(aStored);
}

void TmoxDataSet::RecordKey(uint32_t aRecord, std::string& aKey) const {
  aKey.clear();
  for (size_t i = 0; i < FIndexFieldIdx.size(); ++i) {
    if (i) aKey += kKeySeparator;
    AppendKeyPart(aKey, FIndexFieldIdx[i], FStore.Value(aRecord, FIndexFieldIdx[i]));
  }
}

std::string_view TmoxDataSet::ComposedPendingKey(std::string& aKey) const {
  aKey.clear();
  for (size_t i = 0; i < FIndexFieldIdx.size(); ++i) {
    if (i) aKey += kKeySeparator;
    AppendKeyPart(aKey, FIndexFieldIdx[i], FPending[FIndexFieldIdx[i]]);
  }
  return aKey;
}

std::string_view TmoxDataSet::ComposedMasterKey() const {
  const TmoxDataSet* master = MasterDataSet();
  FKeyBuffer.clear();
  for (size_t i = 0; i < FMasterFieldIdx.size(); ++i) {
    if (i) FKeyBuffer += kKeySeparator;
    if (master->Active())
      master->AppendKeyPart(FKeyBuffer, FMasterFieldIdx[i], master->CurrentValue(FMasterFieldIdx[i]));
  }
  return FKeyBuffer;
}

void TmoxDataSet::RebuildIndex() {
  FIndex.Clear();
  if (FIndexFieldIdx.empty() || !Active()) return;
  std::string key;
  for (uint32_t r = 0; r < FStore.Count(); ++r) {
    RecordKey(r, key);
    FIndex.Add(key, r);
  }
}

// --- View and cursor --------------------------------------------------------------------------

void TmoxDataSet::UpdateView() {
  if (!LinkInForce() || !Active()) {
    FView = nullptr;
    return;
  }
  const TmoxDataSet* master = MasterDataSet();
  master->Fresh();
  // Most calls come from this data set's own posts and moves: the master has not moved since.
  if (FView && FViewGeneration == FIndex.Generation() && FViewMasterMoves == master->FMoves) return;
  const std::string_view key = MasterKey();
  FViewMasterMoves = master->FMoves;
  // Details are told of every move of their master; most leave the key where it was.
  if (FView && FViewGeneration == FIndex.Generation() && SameKey(key, FViewKey)) return;
  FView = &FIndex.Records(key, FViewKey);
  FViewGeneration = FIndex.Generation();
}

size_t TmoxDataSet::RecordCount() const {
  Fresh();
  return Active() ? ViewSize() : 0;
}

size_t TmoxDataSet::CurrentRecordBytes() const {
  if (Editing()) {
    size_t bytes = 0;
    for (const uint32_t field : FPending.Written()) bytes += FPending[field].size();
    return bytes;
  }
  if (FState == TDataSetState::dsInactive) CheckActive();
  Fresh();
  return FPos < ViewSize() ? FStore.ValueBytes(ViewRecord(FPos)) : 0;
}

size_t TmoxDataSet::RecNo() const {
  Fresh();
  if (!Active() || FState == TDataSetState::dsInsert || FPos >= ViewSize()) return 0;
  return FPos + 1;
}

void TmoxDataSet::ToFirst() {
  FPos = 0;
  FBof = true;
  FEof = ViewSize() == 0;
  NotifyDetails();
}

void TmoxDataSet::PositionAt(uint32_t aRecord) {
  size_t pos = aRecord;
  // A record just appended to the view is its last one.
  if (FView && !FView->empty() && FView->back() == aRecord) {
    pos = FView->size() - 1;
  } else if (FView) {
    auto it = std::lower_bound(FView->begin(), FView->end(), aRecord);
    pos = (it != FView->end() && *it == aRecord) ? static_cast<size_t>(it - FView->begin()) : FPos;
  }
  const size_t size = ViewSize();
  FPos = size == 0 ? 0 : std::min(pos, size - 1);
  FBof = FEof = size == 0;
}

void TmoxDataSet::FinishPending() {
  if (!IsPending(FState)) return;
  if (FModified)
    Post();
  else
    Cancel();
}

void TmoxDataSet::First() {
  CheckActive();
  Fresh();
  FinishPending();
  ToFirst();
}

void TmoxDataSet::Last() {
  CheckActive();
  Fresh();
  FinishPending();
  const size_t size = ViewSize();
  FPos = size == 0 ? 0 : size - 1;
  FEof = true;
  FBof = size == 0;
  NotifyDetails();
}

void TmoxDataSet::Next() {
  CheckActive();
  Fresh();
  FinishPending();
  if (FPos + 1 < ViewSize()) {
    ++FPos;
    FBof = FEof = false;
    NotifyDetails();
  } else {
    FEof = true;
  }
}

void TmoxDataSet::Prior() {
  CheckActive();
  Fresh();
  FinishPending();
  if (FPos > 0 && ViewSize() > 0) {
    --FPos;
    FBof = FEof = false;
    NotifyDetails();
  } else {
    FBof = true;
  }
}

bool TmoxDataSet::Locate(std::string_view aKeyFields, const std::vector<std::string>& aKeyValues) {
  CheckActive();
  Fresh();
  const std::vector<size_t> fields = ResolveFields(aKeyFields, *this);
  if (fields.size() != aKeyValues.size())
    throw EmoxDataSetException::CreateFmt("A busca no DataSet %s informou %d campos e %d valores.",
                                          {FName, fields.size(), aKeyValues.size()}, FDiretorioLogErro);
  FinishPending();
  std::string text;
  for (size_t pos = 0; pos < ViewSize(); ++pos) {
    const uint32_t record = ViewRecord(pos);
    bool match = true;
    for (size_t i = 0; i < fields.size() && match; ++i) {
      text.clear();
      AppendKeyPart(text, fields[i], FStore.Value(record, fields[i]));
      match = text == aKeyValues[i];
    }
    if (match) {
      FPos = pos;
      FBof = FEof = false;
      NotifyDetails();
      return true;
    }
  }
  return false;
}

// --- Editing ----------------------------------------------------------------------------------

void TmoxDataSet::Append() {
  CheckActive();
  Fresh();
  FinishPending();
  if (BeforeInsert) BeforeInsert(*this);
  FPosBeforeInsert = FPos;
  FPending.Clear();
  FState = TDataSetState::dsInsert;
  if (LinkInForce()) {
    // A new detail record belongs to the master's current record.
    const TmoxDataSet* master = MasterDataSet();
    for (size_t i = 0; i < FIndexFieldIdx.size(); ++i) {
      const TmoxField& from = master->Field(FMasterFieldIdx[i]);
      TmoxField& to = *FFields[FIndexFieldIdx[i]];
      if (from.DataType() == to.DataType())
        FPending.Set(to.Index(), master->CurrentValue(from.Index()));
      else
        to.SetAsString(from.AsString());
    }
  }
  FModified = false;
  NotifyDetails();
  if (AfterInsert) AfterInsert(*this);
}

void TmoxDataSet::Edit() {
  CheckActive();
  if (IsPending(FState)) return;
  Fresh();
  if (ViewSize() == 0) return Append();
  FEditRecord = ViewRecord(FPos);
  FStore.Load(FEditRecord, FPending);
  FState = TDataSetState::dsEdit;
  FModified = false;
}

void TmoxDataSet::Post() {
  if (!IsPending(FState)) FailNotEditing();
  if (BeforePost) BeforePost(*this);
  uint32_t record;
  const bool indexed = !FIndexFieldIdx.empty();
  const std::string_view newKey = indexed ? PendingKey(FPostKey) : std::string_view();
  if (FState == TDataSetState::dsInsert) {
    record = FStore.Append(FPending);
    if (indexed) {
      if (FView && FViewGeneration == FIndex.Generation() && SameKey(newKey, FViewKey))
        FIndex.AddTo(*FView, record);
      else
        FIndex.Add(newKey, record);
    }
  } else {
    record = FEditRecord;
    std::string oldKey;
    if (indexed) RecordKey(record, oldKey);
    FStore.Replace(record, FPending);
    if (indexed && oldKey != newKey) {
      FIndex.Remove(oldKey, record);
      FIndex.Add(newKey, record);
    }
  }
  FState = TDataSetState::dsBrowse;
  FModified = false;
  // Posted because the master moved: MasterChanged goes on to the master's records and their
  // first one, so without details to tell, positioning on the new record first is lost work.
  if (FFollowingMaster && !HasDetails()) return;
  UpdateView();
  PositionAt(record);
  NotifyDetails();
}

void TmoxDataSet::Cancel() {
  if (!IsPending(FState)) return;
  const bool inserting = FState == TDataSetState::dsInsert;
  FState = TDataSetState::dsBrowse;
  FModified = false;
  UpdateView();
  if (inserting) FPos = FPosBeforeInsert;
  const size_t size = ViewSize();
  if (FPos >= size) FPos = size == 0 ? 0 : size - 1;
  FBof = FEof = size == 0;
  NotifyDetails();
}

// --- Master-detail ----------------------------------------------------------------------------

bool TmoxDataSet::IsMasterOf(const TmoxDataSet* aOther) const {
  for (const TmoxDataSet* m = aOther ? aOther->MasterDataSet() : nullptr; m; m = m->MasterDataSet())
    if (m == this) return true;
  return false;
}

void TmoxDataSet::CheckMaster(const TmoxDataSet* aMaster) const {
  if (!aMaster) return;
  if (aMaster == this || IsMasterOf(aMaster))
    throw EmoxDataSetException::CreateFmt("Ligação mestre-detalhe circular no DataSet %s.", {FName}, FDiretorioLogErro);
  size_t depth = 1;
  for (const TmoxDataSet* m = aMaster->MasterDataSet(); m; m = m->MasterDataSet()) ++depth;
  if (depth >= kMaxLinkDepth)
    throw EmoxDataSetException::CreateFmt("Ligação mestre-detalhe com mais de %d níveis no DataSet %s.",
                                          {kMaxLinkDepth, FName}, FDiretorioLogErro);
}

void TmoxDataSet::SetMasterSource(TmoxDataSource* aSource) {
  if (aSource == FMasterSource) return;
  CheckMaster(aSource ? aSource->DataSet() : nullptr);
  if (FMasterSource) std::erase(FMasterSource->FDetails, this);
  FMasterSource = aSource;
  if (FMasterSource) FMasterSource->FDetails.push_back(this);
  ResolveLink();
  MasterChanged();
}

void TmoxDataSet::SetMasterFields(std::string aFieldNames) {
  if (aFieldNames == FMasterFields) return;
  FMasterFields = std::move(aFieldNames);
  ResolveLink();
  MasterChanged();
}

void TmoxDataSet::SetIndexFieldNames(std::string aFieldNames) {
  if (aFieldNames == FIndexFieldNames && !aFieldNames.empty()) return;
  std::vector<size_t> indexes = ResolveFields(aFieldNames, *this);
  FIndexFieldNames = std::move(aFieldNames);
  FIndexFieldIdx = std::move(indexes);
  RebuildIndex();
  ResolveLink();
  MasterChanged();
}

void TmoxDataSet::ResolveLink() {
  FMasterFieldIdx.clear();
  FView = nullptr;  // the key comes from other fields now: look it up again
  const TmoxDataSet* master = MasterDataSet();
  if (!master || FMasterFields.empty() || FIndexFieldIdx.empty()) return;
  std::vector<size_t> indexes = ResolveFields(FMasterFields, *master);
  if (indexes.size() != FIndexFieldIdx.size())
    throw EmoxDataSetException::CreateFmt("Os campos de ligação do DataSet %s não correspondem aos do mestre %s.",
                                          {FName, master->Name()}, FDiretorioLogErro);
  FMasterFieldIdx = std::move(indexes);
  for (const size_t field : FMasterFieldIdx) MasterDataSet()->FKeyedFields |= uint64_t{1} << (field % 64);
}

void TmoxDataSet::TellDetails(std::optional<size_t> aChangedField) {
  // An edit of a value no detail keys on leaves every detail's view as it is. A move was
  // counted by NotifyDetails.
  bool counted = !aChangedField;
  // Indexes rather than iterators: a detail's refresh may link or unlink others.
  for (size_t s = 0; s < FSources.size(); ++s) {
    TmoxDataSource* source = FSources[s];
    for (size_t d = 0; d < source->FDetails.size(); ++d) {
      TmoxDataSet* detail = source->FDetails[d];
      if (aChangedField && std::find(detail->FMasterFieldIdx.begin(), detail->FMasterFieldIdx.end(), *aChangedField) ==
                               detail->FMasterFieldIdx.end())
        continue;
      if (!counted) {
        ++FMoves;
        counted = true;
      }
      // A detail already stale has nothing to do until it is read.
      if (!detail->FStale) detail->MasterChanged();
    }
  }
}

void TmoxDataSet::MasterChanged() {
  // Nothing is pending at or below a stale data set (editing refreshes first): it stays stale.
  if (!Active() || FFollowingMaster || FStale) return;
  if (!IsPending(FState) && !PendingBelow()) return MarkStale();
  FlagScope following(FFollowingMaster);
  // A pending record belongs to the master record it was started under.
  FinishPending();
  // With nothing pending any more it follows the master lazily, like any detail at rest: the
  // master posting an item does not refresh every one of its parts.
  if (!PendingBelow()) return MarkStale();
  FStale = false;
  UpdateView();
  ToFirst();
}

bool TmoxDataSet::PendingBelow() const {
  for (const TmoxDataSource* source : FSources)
    for (const TmoxDataSet* detail : source->FDetails)
      if (detail->Active() && (IsPending(detail->FState) || detail->PendingBelow())) return true;
  return false;
}

void TmoxDataSet::MarkStale() {
  if (FStale) return;
  FStale = true;
  for (TmoxDataSource* source : FSources)
    for (TmoxDataSet* detail : source->FDetails)
      if (detail->Active() && !detail->FFollowingMaster) detail->MarkStale();
}

void TmoxDataSet::Refresh() {
  // The master first: the view follows its current record, and its own refresh moves to its
  // first record, which marks this data set stale again.
  if (const TmoxDataSet* master = MasterDataSet()) master->Fresh();
  FStale = false;
  if (!Active()) return;
  UpdateView();
  ToFirst();
}

void TmoxDataSet::LinkLost() {
  ++FMoves;  // its current record changes without its details being told
  FMasterFieldIdx.clear();
  UpdateView();
  if (!IsPending(FState) && Active()) {
    const size_t size = ViewSize();
    FPos = 0;
    FBof = true;
    FEof = size == 0;
  }
}

std::vector<TmoxDataSet*> TmoxDataSet::Details() const {
  std::vector<TmoxDataSet*> details;
  for (const TmoxDataSource* source : FSources)
    details.insert(details.end(), source->FDetails.begin(), source->FDetails.end());
  return details;
}

// --- Read-only queries for converters -------------------------------------------------------

bool TmoxDataSet::StoredValuesOnlyIn(std::span<const size_t> aFields) const {
  for (uint32_t r = 0; r < FStore.Count(); ++r) {
    size_t bytes = FStore.ValueBytes(r);
    for (const size_t field : aFields) bytes -= FStore.Value(r, field).size();
    if (bytes > 0) return false;
  }
  return true;
}

}  // namespace mox
