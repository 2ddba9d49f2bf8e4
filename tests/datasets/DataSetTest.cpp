// The in-memory data set: pending-record rules, hooks, master-detail, locate, typed fields.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "base/EmoxException.h"
#include "datasets/TmoxDataSet.h"

using namespace mox;

namespace {

std::unique_ptr<TmoxDataSet> MakeTable(const std::string& aName, std::vector<std::string> aFields, int aSize = 20) {
  auto ds = std::make_unique<TmoxDataSet>(aName);
  for (auto& f : aFields) ds->AddField(f, TFieldType::ftString, aSize);
  ds->Open();
  return ds;
}

void AddRow(TmoxDataSet& ds, const std::vector<std::pair<std::string, std::string>>& aValues) {
  ds.Append();
  for (const auto& [name, value] : aValues) ds.FieldByName(name).SetAsString(value);
  ds.Post();
}

std::vector<std::string> Column(TmoxDataSet& ds, const std::string& aField) {
  std::vector<std::string> values;
  for (ds.First(); !ds.Eof(); ds.Next()) values.push_back(ds.FieldByName(aField).AsString());
  return values;
}

}  // namespace

TEST(DataSet, FinishingAPendingRecordPostsItOnlyWhenModified) {
  struct Case {
    const char* name;
    bool editExisting;  // pending through Edit instead of Append
    bool modify;        // a value is set while pending
    bool hookModifies;  // the after-insert hook sets a value
    size_t countAfter;  // records once the next Append has finished the pending one
    int postsExpected;
  };
  const std::vector<Case> cases = {
      {"appended and modified", false, true, false, 2, 1},
      {"appended untouched", false, false, false, 1, 0},
      {"appended, only the after-insert hook wrote", false, false, true, 2, 1},
      {"edited and modified", true, true, false, 1, 1},
      {"edited untouched", true, false, false, 1, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    auto ds = MakeTable("T", {"a", "b"});
    AddRow(*ds, {{"a", "existing"}});
    int posts = 0;
    ds->BeforePost = [&](TmoxDataSet&) { ++posts; };
    size_t countSeenByBeforeInsert = 99;
    TDataSetState stateSeenByBeforeInsert = TDataSetState::dsInactive;
    ds->BeforeInsert = [&](TmoxDataSet& d) {
      countSeenByBeforeInsert = d.RecordCount();
      stateSeenByBeforeInsert = d.State();
    };
    if (c.hookModifies) ds->AfterInsert = [](TmoxDataSet& d) { d.FieldByName("b").SetAsString("hook"); };
    if (c.editExisting) {
      ds->First();
      ds->Edit();
    } else {
      ds->Append();
    }
    if (c.modify) ds->FieldByName("a").SetAsString("changed");
    EXPECT_EQ(ds->Modified(), c.modify || (c.hookModifies && !c.editExisting));
    ds->AfterInsert = nullptr;
    ds->Append();  // finishes the pending record first
    EXPECT_EQ(stateSeenByBeforeInsert, TDataSetState::dsBrowse) << "before-insert runs after the finish";
    EXPECT_EQ(countSeenByBeforeInsert, c.countAfter);
    EXPECT_EQ(posts, c.postsExpected);
    ds->Cancel();
    EXPECT_EQ(ds->RecordCount(), c.countAfter);
    EXPECT_EQ(Column(*ds, "a").front(), c.editExisting && c.modify ? "changed" : "existing");
  }
}

TEST(DataSet, FailingBeforePostLeavesTheRecordPending) {
  auto ds = MakeTable("T", {"code"});
  ds->BeforePost = [](TmoxDataSet& d) {
    if (d.FieldByName("code").AsString() == "bad") throw EmoxDataSetException("código inválido");
  };
  ds->Append();
  ds->FieldByName("code").SetAsString("bad");
  EXPECT_THROW(ds->Post(), EmoxDataSetException);
  EXPECT_EQ(ds->State(), TDataSetState::dsInsert);
  EXPECT_EQ(ds->FieldByName("code").AsString(), "bad");
  // A cursor move finishes the modified record, so it fails the same way and keeps it pending.
  EXPECT_THROW(ds->First(), EmoxDataSetException);
  EXPECT_EQ(ds->State(), TDataSetState::dsInsert);
  EXPECT_EQ(ds->RecordCount(), 0u);
  ds->FieldByName("code").SetAsString("good");
  ds->Post();
  EXPECT_EQ(ds->State(), TDataSetState::dsBrowse);
  EXPECT_EQ(Column(*ds, "code"), std::vector<std::string>{"good"});
}

TEST(DataSet, EditingRequiresAPendingRecord) {
  auto ds = MakeTable("T", {"a"});
  EXPECT_THROW(ds->FieldByName("a").SetAsString("x"), EmoxNfeDataSetStateException);
  EXPECT_THROW(ds->Post(), EmoxNfeDataSetStateException);
  // Edit on an empty table starts a new record, as the insert hooks show.
  int inserts = 0;
  ds->AfterInsert = [&](TmoxDataSet&) { ++inserts; };
  ds->Edit();
  EXPECT_EQ(ds->State(), TDataSetState::dsInsert);
  EXPECT_EQ(inserts, 1);
  ds->FieldByName("a").SetAsString("x");
  ds->Post();
  ds->Edit();
  EXPECT_EQ(ds->State(), TDataSetState::dsEdit);
  ds->FieldByName("a").SetAsString("y");
  ds->Cancel();
  EXPECT_EQ(ds->FieldByName("a").AsString(), "x");
}

TEST(DataSet, MasterDetailShowsOnlyTheCurrentMastersRecords) {
  auto master = MakeTable("H", {"handle", "name"});
  auto detail = MakeTable("I", {"handle", "itemHandle", "value"});
  TmoxDataSource source(master.get());
  detail->SetMasterSource(&source);
  detail->SetIndexFieldNames("itemHandle");
  detail->SetMasterFields("HANDLE");  // names ignore letter case

  for (int m = 1; m <= 3; ++m) {
    master->Append();
    master->FieldByName("handle").SetAsString(std::to_string(m));
    // The detail follows the pending master: the new record takes its key by itself.
    for (int d = 0; d < m; ++d) {
      detail->Append();
      EXPECT_EQ(detail->FieldByName("itemHandle").AsString(), std::to_string(m));
      detail->FieldByName("value").SetAsString(std::to_string(m) + "." + std::to_string(d));
      detail->Post();
    }
    master->Post();
  }
  master->First();
  EXPECT_EQ(Column(*detail, "value"), (std::vector<std::string>{"1.0"}));
  master->Next();
  EXPECT_EQ(Column(*detail, "value"), (std::vector<std::string>{"2.0", "2.1"}));
  master->Last();
  EXPECT_EQ(detail->RecordCount(), 3u);
  EXPECT_EQ(detail->FieldByName("value").AsString(), "3.0") << "a master move puts the detail on its first record";
  master->Prior();
  EXPECT_EQ(detail->RecordCount(), 2u);
  ASSERT_TRUE(master->Locate("name;handle", {"", "1"}));
  EXPECT_EQ(Column(*detail, "value"), (std::vector<std::string>{"1.0"}));

  // Moving a detail record to another master by editing its key.
  master->Locate("handle", {"2"});
  detail->First();
  detail->Edit();
  detail->FieldByName("itemHandle").SetAsString("1");
  detail->Post();
  EXPECT_EQ(Column(*detail, "value"), (std::vector<std::string>{"2.1"}));
  master->First();
  EXPECT_EQ(Column(*detail, "value"), (std::vector<std::string>{"1.0", "2.0"}));

  // Without the link every record shows again, in the order appended.
  detail->SetMasterFields("");
  EXPECT_EQ(detail->RecordCount(), 6u);
}

TEST(DataSet, MasterMovesFinishTheDetailsPendingRecord) {
  auto master = MakeTable("M", {"id"});
  auto detail = MakeTable("D", {"mid", "v"});
  TmoxDataSource source(master.get());
  detail->SetMasterSource(&source);
  detail->SetIndexFieldNames("mid");
  detail->SetMasterFields("id");
  AddRow(*master, {{"id", "1"}});
  AddRow(*master, {{"id", "2"}});
  master->First();
  detail->Append();
  detail->FieldByName("v").SetAsString("of 1");
  master->Next();  // the modified detail record is posted under master 1
  EXPECT_EQ(detail->State(), TDataSetState::dsBrowse);
  EXPECT_EQ(detail->RecordCount(), 0u);
  detail->Append();  // untouched: dropped when the master moves
  master->First();
  EXPECT_EQ(Column(*detail, "v"), std::vector<std::string>{"of 1"});
  master->Next();
  EXPECT_TRUE(detail->IsEmpty());
}

// A detail keeps its view while nothing it keys on changes: editing another master value leaves
// it, editing the key moves it, and a record posted under a key other than the one shown lands
// with that key's master, not in the group on screen.
TEST(DataSet, DetailViewFollowsOnlyItsOwnKey) {
  auto master = MakeTable("M", {"id", "code", "name"});
  auto byId = MakeTable("D", {"mid", "v"});
  auto byCode = MakeTable("E", {"mcode", "v"});
  TmoxDataSource source(master.get());
  for (auto* detail : {byId.get(), byCode.get()}) detail->SetMasterSource(&source);
  byId->SetIndexFieldNames("mid");
  byId->SetMasterFields("id");
  byCode->SetIndexFieldNames("mcode");
  byCode->SetMasterFields("code");
  AddRow(*master, {{"id", "1"}, {"code", "a"}});
  AddRow(*master, {{"id", "2"}, {"code", "b"}});
  master->First();
  AddRow(*byId, {{"v", "of 1"}});
  AddRow(*byId, {{"mid", "2"}, {"v", "typed for 2"}});
  AddRow(*byCode, {{"v", "of a"}});
  EXPECT_EQ(Column(*byId, "v"), std::vector<std::string>{"of 1"});

  struct TCase {
    const char* field;
    const char* value;
    std::vector<std::string> byId, byCode;
  };
  const TCase cases[] = {
      {"name", "renamed", {"of 1"}, {"of a"}},
      {"id", "2", {"typed for 2"}, {"of a"}},
      {"code", "b", {"typed for 2"}, {}},
      {"id", "1", {"of 1"}, {}},
  };
  master->Edit();
  for (const TCase& c : cases) {
    master->FieldByName(c.field).SetAsString(c.value);
    EXPECT_EQ(Column(*byId, "v"), c.byId) << c.field << "=" << c.value;
    EXPECT_EQ(Column(*byCode, "v"), c.byCode) << c.field << "=" << c.value;
  }
  master->Cancel();
  master->Next();
  EXPECT_EQ(Column(*byId, "v"), std::vector<std::string>{"typed for 2"});
}

// Details refresh when they are read, not at every master move: a chain read from its lowest
// level after many moves must still show the current records, and pending records below a
// resting level must still be posted when the master moves.
TEST(DataSet, ThreeLevelChainFollowsManyMasterMoves) {
  auto master = MakeTable("M", {"id"});
  auto detail = MakeTable("D", {"id", "mid"});
  auto sub = MakeTable("S", {"did", "v"});
  TmoxDataSource masterSource(master.get()), detailSource(detail.get());
  detail->SetMasterSource(&masterSource);
  detail->SetIndexFieldNames("mid");
  detail->SetMasterFields("id");
  sub->SetMasterSource(&detailSource);
  sub->SetIndexFieldNames("did");
  sub->SetMasterFields("id");
  for (int m = 1; m <= 5; ++m) {
    AddRow(*master, {{"id", std::to_string(m)}});
    for (int d = 1; d <= 2; ++d) {
      const std::string id = std::to_string(m * 10 + d);
      AddRow(*detail, {{"id", id}});
      AddRow(*sub, {{"v", "s" + id}});
    }
  }

  master->First();
  for (int i = 0; i < 40; ++i) i % 2 ? master->Prior() : master->Next();  // ends on the first record
  struct TCaso {
    const char* passo;
    std::function<void()> mover;
    std::vector<std::string> esperado;
  };
  const TCaso casos[] = {
      {"after many moves", [] {}, {"s11"}},
      {"master on its last record", [&] { master->Last(); }, {"s51"}},
      {"detail on its second record", [&] { detail->Next(); }, {"s52"}},
      {"master back one: the detail restarts", [&] { master->Prior(); }, {"s41"}},
      {"master located", [&] { master->Locate("id", {"2"}); }, {"s21"}},
  };
  for (const TCaso& caso : casos) {
    caso.mover();
    // Read from the lowest level first: the levels above must follow before it does.
    EXPECT_EQ(Column(*sub, "v"), caso.esperado) << caso.passo;
  }

  // A pending record two levels down is posted when the top master moves, under its own parent.
  detail->First();
  sub->Append();
  sub->FieldByName("v").SetAsString("novo");
  master->Next();
  EXPECT_EQ(sub->State(), TDataSetState::dsBrowse);
  master->Prior();
  EXPECT_EQ(Column(*sub, "v"), (std::vector<std::string>{"s21", "novo"}));

  // Emptied and refilled with the same keys, the detail shows only the new records.
  detail->EmptyDataSet();
  EXPECT_TRUE(sub->IsEmpty());
  AddRow(*detail, {{"id", "21"}});
  EXPECT_EQ(Column(*detail, "id"), std::vector<std::string>{"21"});
  EXPECT_EQ(Column(*sub, "v"), (std::vector<std::string>{"s21", "novo"}));
  master->Next();
  EXPECT_TRUE(detail->IsEmpty());
}

TEST(DataSet, CircularLinksAreRefused) {
  auto a = MakeTable("A", {"k"});
  auto b = MakeTable("B", {"k"});
  TmoxDataSource sa(a.get()), sb(b.get());
  b->SetMasterSource(&sa);
  EXPECT_THROW(a->SetMasterSource(&sb), EmoxDataSetException);
  EXPECT_THROW(a->SetMasterSource(&sa), EmoxDataSetException);
  b->SetIndexFieldNames("k");
  EXPECT_THROW(b->SetMasterFields("k;k"), EmoxDataSetException) << "field lists of different lengths";
  EXPECT_THROW(b->SetMasterFields("nope"), EmoxDataSetFieldNotFoundException);

  // A chain of links deeper than any invoice needs is refused rather than walked recursively.
  std::vector<std::unique_ptr<TmoxDataSet>> chain;
  std::vector<std::unique_ptr<TmoxDataSource>> sources;
  bool refused = false;
  for (int level = 0; level < 40 && !refused; ++level) {
    chain.push_back(MakeTable(std::string("N").append(std::to_string(level)), {"k"}));
    if (!sources.empty()) {
      try {
        chain.back()->SetMasterSource(sources.back().get());
      } catch (const EmoxDataSetException&) {
        refused = true;
        EXPECT_EQ(level, 32);
      }
    }
    sources.push_back(std::make_unique<TmoxDataSource>(chain.back().get()));
  }
  EXPECT_TRUE(refused);
}

TEST(DataSet, LocateFindsTheFirstMatchOrKeepsTheCursor) {
  auto ds = MakeTable("T", {"uf", "cidade"});
  AddRow(*ds, {{"uf", "SP"}, {"cidade", "Santos"}});
  AddRow(*ds, {{"uf", "RJ"}, {"cidade", "Niterói"}});
  AddRow(*ds, {{"uf", "SP"}, {"cidade", "Campinas"}});
  EXPECT_TRUE(ds->Locate("uf", {"SP"}));
  EXPECT_EQ(ds->RecNo(), 1u);
  EXPECT_TRUE(ds->Locate("uf;cidade", {"SP", "Campinas"}));
  EXPECT_EQ(ds->RecNo(), 3u);
  EXPECT_FALSE(ds->Locate("uf", {"sp"})) << "values compare exactly";
  EXPECT_EQ(ds->RecNo(), 3u);
  EXPECT_THROW(ds->Locate("estado", {"SP"}), EmoxDataSetFieldNotFoundException);
  EXPECT_THROW(ds->Locate("uf;cidade", {"SP"}), EmoxDataSetException);
}

TEST(DataSet, EmptyCloseAndOpen) {
  auto ds = MakeTable("T", {"a"});
  AddRow(*ds, {{"a", "1"}});
  ds->Append();
  ds->FieldByName("a").SetAsString("pending");
  ds->EmptyDataSet();
  EXPECT_EQ(ds->State(), TDataSetState::dsBrowse);
  EXPECT_EQ(ds->RecordCount(), 0u);
  EXPECT_TRUE(ds->Eof());
  EXPECT_EQ(ds->FieldByName("a").AsString(), "");
  AddRow(*ds, {{"a", "2"}});
  EXPECT_THROW(ds->AddField("b", TFieldType::ftString, 5), EmoxNfeDataSetStateException)
      << "field definitions may change only while closed";
  ds->Close();
  EXPECT_EQ(ds->State(), TDataSetState::dsInactive);
  EXPECT_THROW(ds->FieldByName("a").AsString(), EmoxNfeDataSetStateException);
  ds->AddField("b", TFieldType::ftString, 5);
  ds->Open();
  EXPECT_EQ(ds->RecordCount(), 0u) << "closing discards the records";
  AddRow(*ds, {{"b", "new"}});
  EXPECT_EQ(ds->FieldByName("b").AsString(), "new");
}

TEST(DataSet, FieldDefinitionsAndLookUp) {
  TmoxDataSet ds("T");
  ds.AddField("natOp_B04", TFieldType::ftString, 3);
  EXPECT_EQ(ds.FindField("NATOP_b04"), &ds.FieldByName("natop_B04"));
  EXPECT_EQ(ds.FindField("natOp"), nullptr);
  try {
    ds.FieldByName("xyz");
    FAIL();
  } catch (const EmoxDataSetFieldNotFoundException& e) {
    EXPECT_STREQ(e.what(), "Campo xyz não encontrado");
  }
  EXPECT_THROW(ds.AddField("NATOP_B04", TFieldType::ftString, 3), EmoxDataSetException);
  EXPECT_THROW(ds.AddField("semTamanho", TFieldType::ftString, 0), EmoxDataSetException);
  ds.Open();
  ds.Append();
  TmoxField& f = ds.FieldByName("natOp_B04");
  f.SetAsString("ção");  // three characters, six bytes
  EXPECT_THROW(f.SetAsString("ação"), EmoxDataSetException) << "text longer than the size is refused, not cut";
  EXPECT_EQ(f.AsString(), "ção");
  f.SetAsString("");
  EXPECT_TRUE(f.IsNull());
}

TEST(DataSet, TypedFieldsStoreAndConvert) {
  TmoxDataSet ds("P");
  auto& i = ds.AddField("qtd", TFieldType::ftInteger);
  auto& x = ds.AddField("valor", TFieldType::ftFloat);
  auto& d = ds.AddField("emissao", TFieldType::ftDateTime);
  auto& b = ds.AddField("impresso", TFieldType::ftBoolean);
  auto& t = ds.AddField("texto", TFieldType::ftString, 10);
  ds.Open();
  ds.Append();
  EXPECT_TRUE(i.IsNull());
  EXPECT_EQ(i.AsInteger(), 0);
  i.SetAsString("-42");
  x.SetAsString("1234.5");
  d.SetAsString("2014-03-15T10:20:30-03:00");
  b.SetAsBoolean(true);
  t.SetAsInteger(7);
  ds.Post();
  EXPECT_EQ(i.AsInteger(), -42);
  EXPECT_EQ(i.AsString(), "-42");
  EXPECT_DOUBLE_EQ(x.AsFloat(), 1234.5);
  EXPECT_EQ(x.AsString(), "1234,5");
  EXPECT_EQ(d.AsString(), "15/03/2014 10:20:30");
  EXPECT_EQ(b.AsString(), "True");
  EXPECT_EQ(t.AsInteger(), 7);
  EXPECT_EQ(std::get<double>(x.Value()), 1234.5);
  ds.Edit();
  EXPECT_THROW(i.SetAsString("12a"), EmoxDataSetException);
  EXPECT_THROW(d.SetAsString("31/02/2014"), EmoxDataSetException);
  t.SetAsString("abc");
  EXPECT_THROW(t.AsInteger(), EmoxDataSetException);
  d.SetAsString("05/03/2014");
  EXPECT_EQ(d.AsString(), "05/03/2014");
  i.SetValue(std::monostate{});
  EXPECT_TRUE(i.IsNull());
}

// Text is scanned eight bytes at a time for control characters: one in any position of a long
// value is refused with its code and character position, while tabs, line breaks and the bytes
// of accented letters (all at or above 0x80) pass wherever they fall.
TEST(DataSet, ControlCharactersAreRefusedWhereverTheyFall) {
  TmoxDataSet ds("P");
  auto& t = ds.AddField("texto", TFieldType::ftString, 100);
  ds.Open();
  ds.Append();
  struct TCase {
    std::string value;
    const char* refused;  // the message's tail, or null when the value is kept
  };
  const std::string acentos = "A\xC3\xA7\xC3\xA3o \xC3\xA9 \xC3\xBA";  // "Ação é ú", 12 bytes
  const TCase cases[] = {
      {"\x01" "abc", "(código 1, posição 1)"},
      {"abcdefg\x1f", "(código 31, posição 8)"},
      {"abcdefgh\x1f", "(código 31, posição 9)"},
      {"abcdefghijklmno" + std::string(1, '\0') + "z", "(código 0, posição 16)"},
      {acentos + "\x1b", "(código 27, posição 9)"},
      {acentos + acentos + "\x7f\x0b", "(código 11, posição 18)"},
      {acentos + "\t" + acentos + "\r\n" + acentos, nullptr},
      {"\xFF\xFE\xA0\x80\xE0\x9F\xBF\xC0\xDF\x20", nullptr},
  };
  for (const TCase& c : cases) {
    if (!c.refused) {
      t.SetAsString(c.value);
      EXPECT_EQ(t.AsString(), c.value);
      continue;
    }
    try {
      t.SetAsString(c.value);
      ADD_FAILURE() << "kept: " << c.value;
    } catch (const EmoxDataSetException& e) {
      EXPECT_NE(std::string(e.what()).find(c.refused), std::string::npos) << e.what();
    }
  }
}

// Records live in reused blocks: edits that shrink or grow a value, records of many blocks and
// large ones, and a refill after emptying and reopening must all read back what was written.
TEST(DataSet, EditedAndRefilledRecordsKeepTheirValues) {
  auto ds = MakeTable("T", {"a", "b"}, 10000);
  for (int rodada = 0; rodada < 2; ++rodada) {
    std::vector<std::string> esperado;
    for (int i = 0; i < 600; ++i) {
      const std::string b = i % 100 == 0 ? std::string(6000, static_cast<char>('a' + i % 26)) : "valor " + std::to_string(i);
      AddRow(*ds, {{"a", std::to_string(i)}, {"b", b}});
      esperado.push_back(b);
    }
    for (const auto& [registro, valor] : std::vector<std::pair<int, std::string>>{
             {7, "x"}, {7, "um valor bem mais longo que o anterior"}, {7, "y"}, {100, std::string(9000, 'z')}}) {
      ASSERT_TRUE(ds->Locate("a", {std::to_string(registro)}));
      ds->Edit();
      ds->FieldByName("b").SetAsString(valor);
      ds->Post();
      esperado[static_cast<size_t>(registro)] = valor;
    }
    EXPECT_EQ(Column(*ds, "b"), esperado);
    EXPECT_EQ(Column(*ds, "a").back(), "599");
    ds->EmptyDataSet();
    ds->Close();
    ds->Open();
    EXPECT_EQ(ds->RecordCount(), 0u);
  }
}

// A new record starts empty whatever the record pending before it held, however it got its
// values (typed, loaded by Edit, cleared again), and a posted record keeps exactly its own.
TEST(DataSet, ANewRecordHoldsNothingOfThePendingOneBeforeIt) {
  struct Case {
    const char* name;
    std::function<void(TmoxDataSet&)> before;  // leaves the data set in browse state
    std::vector<std::string> lastRow;          // a, b, c of the record posted last
  };
  const auto set = [](TmoxDataSet& ds, const char* aField, const char* aValue) {
    ds.FieldByName(aField).SetAsString(aValue);
  };
  const std::vector<Case> cases = {
      {"appended with every field", [&](TmoxDataSet& ds) {
         ds.Append();
         set(ds, "a", "1"), set(ds, "b", "2"), set(ds, "c", "3");
         ds.Post();
       }, {"1", "2", "3"}},
      {"edited: loaded values, then cancelled", [&](TmoxDataSet& ds) {
         ds.First();
         ds.Edit();
         ds.Cancel();
       }, {"x", "y", "z"}},
      {"edited: one value cleared", [&](TmoxDataSet& ds) {
         ds.First();
         ds.Edit();
         set(ds, "b", "");
         ds.Post();
       }, {"x", "", "z"}},
      {"appended, a value typed and cleared again", [&](TmoxDataSet& ds) {
         ds.Append();
         set(ds, "a", "typed"), set(ds, "a", ""), set(ds, "c", "kept");
         ds.Post();
       }, {"", "", "kept"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    auto ds = MakeTable("T", {"a", "b", "c"});
    AddRow(*ds, {{"a", "x"}, {"b", "y"}, {"c", "z"}});
    c.before(*ds);
    ds->Last();
    EXPECT_EQ((std::vector<std::string>{ds->FieldByName("a").AsString(), ds->FieldByName("b").AsString(),
                                        ds->FieldByName("c").AsString()}),
              c.lastRow);
    ds->Append();
    for (const char* field : {"a", "b", "c"}) EXPECT_TRUE(ds->FieldByName(field).IsNull()) << field;
    set(*ds, "b", "only b");
    ds->Post();
    EXPECT_EQ((std::vector<std::string>{ds->FieldByName("a").AsString(), ds->FieldByName("b").AsString(),
                                        ds->FieldByName("c").AsString()}),
              (std::vector<std::string>{"", "only b", ""}));
  }
}

// A posted record lays out its values only up to the last field written: whatever fields a
// record was given, in whatever order, and however an edit widens or narrows it, every field
// reads back its own value and the null ones read empty.
TEST(DataSet, RecordsWrittenSparselyReadBackEveryField) {
  struct Case {
    const char* name;
    std::vector<std::pair<int, std::string>> appended;  // field number, value, in write order
    std::vector<std::pair<int, std::string>> edited;    // then written by Edit and posted
    std::vector<std::string> expected;                  // f0..f7 after both
  };
  const std::vector<Case> cases = {
      {"nothing written", {}, {}, {"", "", "", "", "", "", "", ""}},
      {"only the first two, second first", {{1, "12"}, {0, "7"}}, {}, {"7", "12", "", "", "", "", "", ""}},
      {"only the last", {{7, "last"}}, {}, {"", "", "", "", "", "", "", "last"}},
      {"scattered in reverse order", {{6, "six"}, {3, "three"}, {0, "zero"}}, {}, {"zero", "", "", "three", "", "", "six", ""}},
      {"a value cleared again", {{2, "two"}, {5, "five"}, {5, ""}}, {}, {"", "", "two", "", "", "", "", ""}},
      {"short record widened by an edit", {{0, "a"}}, {{7, "a much longer value at the end"}, {4, "mid"}},
       {"a", "", "", "", "mid", "", "", "a much longer value at the end"}},
      {"wide record narrowed by an edit", {{0, "a"}, {7, "end"}}, {{7, ""}, {1, "b"}}, {"a", "b", "", "", "", "", "", ""}},
      {"values of every length", {{0, "123"}, {1, "1234567"}, {2, "123456789012"}, {3, std::string(40, 'x')}}, {},
       {"123", "1234567", "123456789012", std::string(40, 'x'), "", "", "", ""}},
  };
  const std::vector<std::string> names = {"f0", "f1", "f2", "f3", "f4", "f5", "f6", "f7"};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    auto ds = MakeTable("T", names, 100);
    AddRow(*ds, {{"f0", "before"}, {"f7", "before"}});
    ds->Append();
    for (const auto& [field, value] : c.appended) ds->Field(static_cast<size_t>(field)).SetAsString(value);
    ds->FieldByName("f0").AsString();  // reading the pending record changes nothing
    ds->Post();
    if (!c.edited.empty()) {
      ds->Last();
      ds->Edit();
      for (const auto& [field, value] : c.edited) ds->Field(static_cast<size_t>(field)).SetAsString(value);
      ds->Post();
    }
    ds->Last();
    std::vector<std::string> got;
    size_t bytes = 0;
    for (const auto& name : names) {
      got.push_back(ds->FieldByName(name).AsString());
      bytes += got.back().size();
    }
    EXPECT_EQ(got, c.expected);
    EXPECT_EQ(ds->CurrentRecordBytes(), bytes);
    ds->First();
    EXPECT_EQ(ds->FieldByName("f0").AsString(), "before") << "the record before keeps its values";
    EXPECT_EQ(ds->FieldByName("f7").AsString(), "before");
  }
}

// A master tells its details only of edits to the fields they key on, including fields a
// detail was linked on after others, and a detail moved to another field no longer follows
// the old one.
TEST(DataSet, DetailsFollowEditsOfTheFieldsTheyAreLinkedOnAtTheTime) {
  auto master = MakeTable("M", {"id", "code", "name"});
  auto detail = MakeTable("D", {"key", "v"});
  TmoxDataSource source(master.get());
  detail->SetMasterSource(&source);
  detail->SetIndexFieldNames("key");
  detail->SetMasterFields("id");
  AddRow(*master, {{"id", "1"}, {"code", "a"}});
  master->First();
  AddRow(*detail, {{"key", "1"}, {"v", "by id 1"}});
  AddRow(*detail, {{"key", "2"}, {"v", "by id 2"}});
  AddRow(*detail, {{"key", "b"}, {"v", "by code b"}});

  struct Step {
    const char* linkedOn;  // the master field the detail links on from this step
    const char* field;     // the master field edited
    const char* value;
    std::vector<std::string> shown;
  };
  const Step steps[] = {
      {"id", "name", "x", {"by id 1"}},
      {"id", "id", "2", {"by id 2"}},
      {"id", "code", "b", {"by id 2"}},
      {"code", "code", "b", {"by code b"}},
      {"code", "id", "1", {"by code b"}},
      {"code", "code", "a", {}},
      {"id", "id", "2", {"by id 2"}},
  };
  master->Edit();
  for (const Step& s : steps) {
    detail->SetMasterFields(s.linkedOn);
    master->FieldByName(s.field).SetAsString(s.value);
    EXPECT_EQ(Column(*detail, "v"), s.shown) << "linked on " << s.linkedOn << ", " << s.field << "=" << s.value;
  }
  master->Cancel();
}

// The pending record's values: a value may be written from another value of the same record or
// from part of itself, grow past its room or shrink, and the text read from one field stays
// what it was while other fields are written, however long their values.
TEST(DataSet, PendingValuesWrittenFromEachOtherKeepEveryValue) {
  const std::string longo(3000, 'L');
  struct Case {
    const char* name;
    std::function<void(TmoxDataSet&)> write;
    std::vector<std::string> expected;  // a, b, c while pending and once posted
  };
  const auto field = [](TmoxDataSet& ds, const char* aName) -> TmoxField& { return ds.FieldByName(aName); };
  const std::vector<Case> cases = {
      {"copied from another field", [&](TmoxDataSet& ds) {
         field(ds, "a").SetAsString("origem");
         field(ds, "b").SetAsString(field(ds, "a").TextView());
       }, {"origem", "origem", ""}},
      {"from part of itself", [&](TmoxDataSet& ds) {
         field(ds, "a").SetAsString("0123456789");
         field(ds, "a").SetAsString(field(ds, "a").TextView().substr(3, 4));
       }, {"3456", "", ""}},
      {"grown past its room, then shrunk", [&](TmoxDataSet& ds) {
         field(ds, "a").SetAsString("ab");
         field(ds, "a").SetAsString("a longer text than before");
         field(ds, "a").SetAsString("xy");
       }, {"xy", "", ""}},
      {"a long value beside short ones", [&](TmoxDataSet& ds) {
         field(ds, "a").SetAsString("curto");
         field(ds, "b").SetAsString(longo);
         field(ds, "c").SetAsString(field(ds, "b").TextView().substr(0, 5));
       }, {"curto", longo, "LLLLL"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    auto ds = MakeTable("T", {"a", "b", "c"}, 5000);
    for (int note = 0; note < 2; ++note) {  // the second record reuses the room of the first
      ds->Append();
      c.write(*ds);
      const std::string_view lido = field(*ds, "a").TextView();
      field(*ds, "c").SetAsString(std::string(200 + 2000 * note, 'c'));  // another field, written after the read
      EXPECT_EQ(lido, c.expected[0]) << "a read before c was written";
      field(*ds, "c").SetAsString(c.expected[2]);
      ds->Post();
      ds->Last();
      EXPECT_EQ((std::vector<std::string>{field(*ds, "a").AsString(), field(*ds, "b").AsString(),
                                          field(*ds, "c").AsString()}),
                c.expected);
    }
  }
}
