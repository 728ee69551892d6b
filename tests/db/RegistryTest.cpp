#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "LogMessages.h"
#include "TestSupport.h"
#include "db/Database.h"

namespace {

using Strings = std::vector<std::string>;

class RegistryTest : public testing::Test {
  protected:
    TempDir dir;
    std::string path = dir.File("plot.db");

    void SetUp() override {
        ExecSql(path,
                "CREATE TABLE grid (gridcell_id INTEGER, x_coord double, y_coord double);"
                "INSERT INTO grid VALUES (1, 0.5, 0.5), (2, 1.5, 0.5);");
    }

    Strings Tables() {
        return QueryColumn(path,
                           "SELECT name FROM sqlite_master WHERE type = 'table' ORDER BY name");
    }
    Strings Registry() {
        return QueryColumn(
            path,
            "SELECT data_table || '|' || name || '|' || index_table FROM _db_indexes "
            "ORDER BY rowid");
    }
};

}  // namespace

TEST_F(RegistryTest, CatalogueIsCreatedOnceWithVersion01) {
    { Database db(path.c_str()); }
    EXPECT_EQ(Tables(), (Strings{"_db_aggregations", "_db_indexes", "_db_info", "grid"}));
    EXPECT_EQ(QueryColumn(path, "SELECT db_version FROM _db_info"), Strings{"0.1"});
    EXPECT_EQ(QueryColumn(path, "SELECT sql FROM sqlite_master WHERE name = '_db_indexes'"),
              Strings{"CREATE TABLE _db_indexes (data_table varchar(256), name varchar(256), "
                      "index_table varchar(256))"});
    // Three missing catalogue tables, one compile line each.
    EXPECT_EQ(LogMessages("error.log").size(), 3u);

    Database again(path.c_str());
    EXPECT_NEAR(again.GetVersion(), 0.100000001490116, 1e-15);
    EXPECT_EQ(QueryColumn(path, "SELECT count(*) FROM _db_info"), Strings{"1"});
    EXPECT_EQ(LogMessages("error.log").size(), 3u);
}

TEST_F(RegistryTest, EmptyInfoTableGetsItsRowOnlyFromSetVersion) {
    ExecSql(path, "CREATE TABLE _db_info (db_version double);");
    Database db(path.c_str());
    EXPECT_EQ(db.GetVersion(), 0.0);
    db.SetVersion(0.25);
    EXPECT_EQ(db.GetVersion(), 0.25);
    db.SetVersion(0.5);
    EXPECT_EQ(QueryColumn(path, "SELECT db_version FROM _db_info"), Strings{"0.5"});
}

TEST_F(RegistryTest, CreateFindAndDropAnIndexTable) {
    Database db(path.c_str());
    EXPECT_EQ(db.CreateIndexTable("grid", "uptake_42", Query("x double")), "_idx_grid_uptake_42");
    EXPECT_EQ(db.CreateIndexTable("grid", "uptake_42", Query("y double")), "");
    EXPECT_TRUE(db.IndexExists("grid", "uptake_42"));
    EXPECT_EQ(db.IndexTableName("grid", "uptake_42"), "_idx_grid_uptake_42");
    EXPECT_EQ(Registry(), Strings{"grid|uptake_42|_idx_grid_uptake_42"});
    EXPECT_EQ(QueryColumn(path, "SELECT sql FROM sqlite_master WHERE name = '_idx_grid_uptake_42'"),
              Strings{"CREATE TABLE _idx_grid_uptake_42 (x double)"});

    db.DropIndexTable("grid", "uptake_42");
    EXPECT_FALSE(db.IndexExists("grid", "uptake_42"));
    EXPECT_FALSE(db.HasTable("_idx_grid_uptake_42"));
    EXPECT_TRUE(Registry().empty());
}

TEST_F(RegistryTest, UnregisteredTableHasNoIndexName) {
    ExecSql(path, "CREATE TABLE _idx_grid_neighbor_1 (x double);");
    Database db(path.c_str());
    EXPECT_EQ(db.IndexTableName("grid", "neighbor_1"), "");
    db.DropIndexTable("grid", "neighbor_1");
    EXPECT_TRUE(db.HasTable("_idx_grid_neighbor_1"));
}

TEST_F(RegistryTest, DropIndexTablesOfOneDataTable) {
    ExecSql(path, "CREATE TABLE stem (Tree TEXT);");
    Database db(path.c_str());
    db.CreateIndexTable("grid", "neighbor_1", Query("x double"));
    db.CreateIndexTable("grid", "uptake_2", Query("x double"));
    db.CreateIndexTable("stem", "uptake_3", Query("x double"));
    db.DropIndexTables("grid");
    EXPECT_EQ(Registry(), Strings{"stem|uptake_3|_idx_stem_uptake_3"});
    EXPECT_EQ(Tables(), (Strings{"_db_aggregations", "_db_indexes", "_db_info",
                                 "_idx_stem_uptake_3", "grid", "stem"}));
}

TEST_F(RegistryTest, DeleteAllEmptiesTheRegistry) {
    Database db(path.c_str());
    db.CreateIndexTable("grid", "neighbor_1", Query("x double"));
    db.CreateIndexTable("grid", "uptake_2", Query("x double"));
    db.DeleteAllIndexTables();
    EXPECT_TRUE(Registry().empty());
    EXPECT_FALSE(db.IndexExists("grid", "neighbor_1"));
    EXPECT_EQ(Tables(), (Strings{"_db_aggregations", "_db_indexes", "_db_info", "grid"}));
    EXPECT_TRUE(LogMessages("console.log").empty());

    // Nothing registered: the empty drop text counts as one failed statement.
    db.DeleteAllIndexTables();
    EXPECT_EQ(LogMessages("console.log"), Strings{"RunQueries: 1 of 1 queries failed"});
}

TEST_F(RegistryTest, NonAsciiAndNegativeNamesRoundTrip) {
    Database db(path.c_str());
    const std::string name = "uptake_-1234";
    const std::string cyrillic = "Дерево №1";
    EXPECT_EQ(db.CreateIndexTable("grid", name.c_str(), Query("x double")), "_idx_grid_" + name);
    EXPECT_EQ(db.CreateIndexTable(wxString::FromUTF8("grid"), wxString::FromUTF8(cyrillic.c_str()),
                                  Query("x double")),
              "_idx_grid_" + cyrillic);
    EXPECT_EQ(db.IndexTableName("grid", cyrillic.c_str()), "_idx_grid_" + cyrillic);
    EXPECT_TRUE(db.HasTable(("_idx_grid_" + name).c_str()));
    EXPECT_TRUE(db.HasTable(("_idx_grid_" + cyrillic).c_str()));
    EXPECT_EQ(Registry(), (Strings{"grid|" + name + "|_idx_grid_" + name,
                                   "grid|" + cyrillic + "|_idx_grid_" + cyrillic}));
    db.DeleteAllIndexTables();
    EXPECT_TRUE(Registry().empty());
    EXPECT_EQ(Tables(), (Strings{"_db_aggregations", "_db_indexes", "_db_info", "grid"}));
    EXPECT_TRUE(LogMessages("error.log").size() == 3u);
}

TEST_F(RegistryTest, ValuesWithQuotesAreTextNotSql) {
    Database db(path.c_str());
    // A double-quoted value equal to a column name would compare two columns.
    EXPECT_FALSE(db.IndexExists("name", "name"));
    const char* awkward = "it's \"quoted\"";
    EXPECT_EQ(db.CreateIndexTable("grid", awkward, Query("x double")),
              std::string("_idx_grid_") + awkward);
    EXPECT_TRUE(db.IndexExists("grid", awkward));
    db.DropIndexTable("grid", awkward);
    EXPECT_TRUE(Registry().empty());
    EXPECT_EQ(Tables(), (Strings{"_db_aggregations", "_db_indexes", "_db_info", "grid"}));
}

TEST_F(RegistryTest, LongNamesAreCutTo255Bytes) {
    Database db(path.c_str());
    const std::string name(300, 'n');
    std::string table = db.CreateIndexTable("grid", name.c_str(), Query("x double"));
    EXPECT_EQ(table.size(), 255u);
    EXPECT_EQ(db.IndexTableName("grid", name.c_str()), table);
    EXPECT_TRUE(db.HasTable(table.c_str()));
}

// Registry rows come from the user's file and must never reach SQL as code.
class CraftedRegistryTest : public RegistryTest {
  protected:
    void SetUp() override {
        RegistryTest::SetUp();
        Database db(path.c_str());
    }
    void Register(const std::string& indexTable) {
        ExecSql(path,
                "INSERT INTO _db_indexes VALUES ('grid', 'neighbor_1', '" + indexTable + "');");
    }
    Strings GridRows() { return QueryColumn(path, "SELECT count(*) FROM grid"); }
};

TEST_F(CraftedRegistryTest, InjectedDropLeavesGridIntact) {
    Register("_idx_x; DROP TABLE grid");
    Register("_idx_y\"; DROP TABLE grid; --");
    Database db(path.c_str());
    db.DeleteAllIndexTables();
    EXPECT_EQ(GridRows(), Strings{"2"});
    EXPECT_TRUE(Registry().empty());
}

TEST_F(CraftedRegistryTest, RowNamingGridDropsNothing) {
    Register("grid");
    Database db(path.c_str());
    db.DeleteAllIndexTables();
    EXPECT_EQ(GridRows(), Strings{"2"});
    db.DropIndexTables("grid");
    EXPECT_EQ(GridRows(), Strings{"2"});
}

TEST_F(CraftedRegistryTest, SingleDropOfARowNamingGridDropsNothing) {
    Register("grid");
    Database db(path.c_str());
    db.DropIndexTable("grid", "neighbor_1");
    EXPECT_EQ(GridRows(), Strings{"2"});
    EXPECT_FALSE(db.IndexExists("grid", "neighbor_1"));
}

TEST_F(RegistryTest, FailedDropKeepsItsRegistrationAndMissingTablesGo) {
    Database db(path.c_str());
    db.CreateIndexTable("grid", "neighbor_1", Query("x double"));
    db.CreateIndexTable("grid", "uptake_2", Query("x double"));
    db.RunQuery("DROP TABLE _idx_grid_uptake_2");

    // While a statement still reads, SQLite refuses every DROP on the connection.
    Result reading = db.RunQuery("SELECT * FROM grid");
    ASSERT_TRUE(reading.HasRow());
    db.DeleteAllIndexTables();
    reading.Close();

    EXPECT_EQ(Registry(), Strings{"grid|neighbor_1|_idx_grid_neighbor_1"});
    EXPECT_TRUE(db.HasTable("_idx_grid_neighbor_1"));
    // The table already gone is no failure: only the refused DROP counts.
    EXPECT_EQ(LogMessages("console.log"), Strings{"RunQueries: 1 of 2 queries failed"});

    db.DeleteAllIndexTables();
    EXPECT_TRUE(Registry().empty());
    EXPECT_FALSE(db.HasTable("_idx_grid_neighbor_1"));
}
