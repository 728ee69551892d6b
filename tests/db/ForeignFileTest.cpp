// Files that are not sound SQLite databases must come out of every operation
// byte for byte as they went in.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "LogMessages.h"
#include "TestSupport.h"
#include "db/Database.h"

namespace {

std::string PictureBytes() {
    static const char header[] = "\x89PNG\r\n\x1a\n\0\0\0\rIHDR\0\0\0\x10\0\0\0\x10\x08\x06\0\0\0";
    std::string png(header, sizeof header - 1);
    for (int i = 0; i < 3000; ++i) {
        png += static_cast<char>((i * 37) % 251);
    }
    return png;
}

std::string DatabaseBytes(const TempDir& dir) {
    std::string source = dir.File("source.db");
    ExecSql(source, "CREATE TABLE grid (id INTEGER, v TEXT); CREATE TABLE stem (Tree TEXT);");
    std::string insert = "BEGIN;";
    for (int i = 0; i < 2000; ++i) {
        insert += "INSERT INTO grid VALUES (" + std::to_string(i) + ", 'value of some length');";
    }
    ExecSql(source, insert + "COMMIT;");
    std::string bytes = ReadFile(source);
    std::filesystem::remove(source);
    return bytes;
}

struct ForeignFile {
    const char* name;
    std::string (*make)(const TempDir&);
};

const ForeignFile kForeignFiles[] = {
    {"picture", [](const TempDir&) { return PictureBytes(); }},
    {"text", [](const TempDir&) { return std::string("Tree,Xrot0\n12,3.5\n"); }},
    {"halfDatabase",
     [](const TempDir& dir) {
         std::string bytes = DatabaseBytes(dir);
         return bytes.substr(0, bytes.size() / 2);
     }},
    {"firstPageOnly", [](const TempDir& dir) { return DatabaseBytes(dir).substr(0, 4096); }},
    {"cutHeader", [](const TempDir& dir) { return DatabaseBytes(dir).substr(0, 50); }},
};

class ForeignFileTest : public testing::TestWithParam<ForeignFile> {
  protected:
    TempDir dir;
    std::string path = dir.File("foreign.db");
    std::string original;

    void SetUp() override {
        original = GetParam().make(dir);
        WriteFile(path, original);
    }
};

}  // namespace

TEST_P(ForeignFileTest, ProbeRefusesIt) {
    DatabaseProbe probe = Database::Probe(path.c_str());
    EXPECT_FALSE(probe.isDatabase);
    EXPECT_FALSE(probe.hasGrid);
    EXPECT_EQ(ReadFile(path), original);
    EXPECT_TRUE(LogMessages("error.log").empty());
}

TEST_P(ForeignFileTest, EveryOperationFailsAndLeavesTheBytes) {
    {
        Database db(path.c_str());
        EXPECT_EQ(db.GetVersion(), 0.0);
        EXPECT_EQ(db.RunQuery("CREATE TABLE x (a)").Status(), ResultStatus::Failed);
        db.CreateIndexTable("grid", "neighbor_1", Query("x double"));
        db.DropIndexTables("grid");
        db.DeleteAllIndexTables();
        db.Begin();
        db.RunQuery("INSERT INTO grid VALUES (1, 'a')");
        EXPECT_FALSE(db.Commit());
    }
    EXPECT_EQ(ReadFile(path), original);
    EXPECT_FALSE(std::filesystem::exists(path + "-journal"));
    EXPECT_GE(LogMessages("error.log").size(), 6u);
}

INSTANTIATE_TEST_SUITE_P(Files, ForeignFileTest, testing::ValuesIn(kForeignFiles),
                         [](const testing::TestParamInfo<ForeignFile>& info) {
                             return std::string(info.param.name);
                         });

TEST(ProbeTest, TellsWhatASoundFileHolds) {
    TempDir dir;
    std::string path = dir.File("plot.db");
    ExecSql(path, "CREATE TABLE GRID (a); CREATE TABLE other (b);");
    std::string before = ReadFile(path);
    DatabaseProbe probe = Database::Probe(path.c_str());
    EXPECT_TRUE(probe.isDatabase);
    EXPECT_TRUE(probe.hasGrid);
    EXPECT_FALSE(probe.hasStem);
    EXPECT_EQ(probe.readOnly, access(path.c_str(), W_OK) != 0);
    EXPECT_EQ(ReadFile(path), before);
}

TEST(ProbeTest, NeverCreatesAMissingFile) {
    TempDir dir;
    std::string path = dir.File("absent.db");
    DatabaseProbe probe = Database::Probe(path.c_str());
    EXPECT_FALSE(probe.isDatabase);
    EXPECT_FALSE(std::filesystem::exists(path));
}

TEST(ProbeTest, ReadOnlyFolderMakesAReadOnlyFile) {
    if (geteuid() == 0) {
        GTEST_SKIP() << "root may write anywhere";
    }
    TempDir dir;
    std::filesystem::create_directory(dir.File("locked"));
    std::string path = dir.File("locked/plot.db");
    ExecSql(path, "CREATE TABLE grid (a);");
    std::filesystem::permissions(dir.File("locked"), std::filesystem::perms::owner_write,
                                 std::filesystem::perm_options::remove);
    EXPECT_TRUE(Database::Probe(path.c_str()).readOnly);
    std::filesystem::permissions(dir.File("locked"), std::filesystem::perms::owner_write,
                                 std::filesystem::perm_options::add);
}
