#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "LogMessages.h"
#include "TestSupport.h"
#include "db/CsvReader.h"
#include "db/Database.h"

namespace {

using Strings = std::vector<std::string>;

std::vector<std::string> Utf8(const std::vector<wxString>& tokens) {
    std::vector<std::string> out;
    for (const wxString& token : tokens) {
        out.push_back(token.utf8_str().data());
    }
    return out;
}

}  // namespace

class CsvReaderTest : public testing::Test {
  protected:
    TempDir dir;
};

TEST_F(CsvReaderTest, DetectsCommaAndRereadsTheHeader) {
    WriteFile("stems.csv", "Tree,Xrot0,Yrot0\n12,3.5,-4\n");
    CsvReader reader("stems.csv", "", false);
    ASSERT_TRUE(reader.IsUsable());
    EXPECT_EQ(reader.Separators(), ",");
    EXPECT_EQ(reader.HeaderCount(), 3u);
    EXPECT_EQ(Utf8(reader.ReadRow().Tokens()), (Strings{"Tree", "Xrot0", "Yrot0"}));

    CsvRow row = reader.ReadRow();
    EXPECT_EQ(row.Field(wxString("Xrot0")), "3.5");
    EXPECT_EQ(row.FieldLong(0), 12);
    EXPECT_DOUBLE_EQ(row.FieldDouble(2), -4.0);
    EXPECT_EQ(row.Field(3), "");
    EXPECT_EQ(row.FieldLong(1), 0);  // 3.5 is no whole number

    reader.Rewind();
    EXPECT_EQ(reader.ReadRow().Field(0), "Tree");
}

TEST_F(CsvReaderTest, TabSeparatorMergesEmptyFieldsCommaKeepsThem) {
    WriteFile("tabs.txt", "a\tb\tc\n1\t\t3\n");
    CsvReader tabs("tabs.txt", "", true);
    EXPECT_EQ(tabs.Separators(), "\t");
    tabs.ReadRow();
    EXPECT_EQ(Utf8(tabs.ReadRow().Tokens()), (Strings{"1", "3"}));

    WriteFile("commas.txt", "a,b\tx,c\n1,,3\n");
    CsvReader commas("commas.txt", "", true);
    EXPECT_EQ(commas.Separators(), ",");
    commas.ReadRow();
    EXPECT_EQ(Utf8(commas.ReadRow().Tokens()), (Strings{"1", "", "3"}));
}

TEST_F(CsvReaderTest, UnusableFilesSayNothing) {
    WriteFile("plain.txt", "no separators here\n1 2 3\n");
    WriteFile("blank-first.txt", "\na,b\n");
    std::filesystem::create_directory("folder.csv");
    EXPECT_FALSE(CsvReader("missing.csv", "", false).IsUsable());
    EXPECT_FALSE(CsvReader("plain.txt", "", false).IsUsable());
    EXPECT_FALSE(CsvReader("blank-first.txt", "", false).IsUsable());
    EXPECT_FALSE(CsvReader("folder.csv", "", false).IsUsable());
    EXPECT_TRUE(CsvReader("plain.txt", " ", false).IsUsable());
    EXPECT_TRUE(LogMessages("console.log").empty());

    WriteFile("blank-two.txt", "\n\na,b\n");
    EXPECT_FALSE(CsvReader("blank-two.txt", "", false).IsUsable());
    EXPECT_EQ(LogMessages("console.log"), Strings{"WHY?"});
}

TEST_F(CsvReaderTest, ByteOrderMarkAndUtf8) {
    WriteFile("bom.csv", "\xEF\xBB\xBFHöhe,Ast\nÄ,1\n");
    CsvReader reader("bom.csv", "", true);
    EXPECT_EQ(Utf8(reader.Header()), (Strings{"Höhe", "Ast"}));
    reader.ReadRow();
    EXPECT_EQ(Utf8(reader.ReadRow().Tokens()), (Strings{"Ä", "1"}));
}

TEST_F(CsvReaderTest, QuotedDialectKeepsSeparatorsQuotesLineBreaksAndEmptyFields) {
    WriteFile("quoted.csv",
              "\"a;b\";x;\"say \"\"hi\"\"\"\r\n"
              " 1 ;;\"two\r\nlines\"\r\n"
              "\r\n"
              "\"open\n");
    CsvReader reader("quoted.csv", "", true, CsvDialect::Quoted);
    EXPECT_EQ(reader.Separators(), ";");
    EXPECT_EQ(Utf8(reader.ReadRow().Tokens()), (Strings{"a;b", "x", "say \"hi\""}));
    EXPECT_EQ(reader.LineNumber(), 1);
    EXPECT_EQ(Utf8(reader.ReadRow().Tokens()), (Strings{"1", "", "two\nlines"}));
    EXPECT_EQ(reader.LineNumber(), 2);
    EXPECT_TRUE(reader.ReadRow().IsNull());
    EXPECT_EQ(reader.LineNumber(), 4);
    reader.ReadRow();
    EXPECT_EQ(reader.LineNumber(), 5);
    EXPECT_EQ(reader.RowProblem(), "a quoted field is not closed");

    // Tabs keep empty fields too, unlike the plain dialect.
    WriteFile("tabs.txt", "a\tb\tc\n1\t\t3\n");
    CsvReader tabs("tabs.txt", "", true, CsvDialect::Quoted);
    tabs.ReadRow();
    EXPECT_EQ(Utf8(tabs.ReadRow().Tokens()), (Strings{"1", "", "3"}));
}

// Importing delimited text into tables.
class ImportCsvTest : public testing::Test {
  protected:
    TempDir dir;
    std::string path = dir.File("import.db");

    Strings Rows(const std::string& table) {
        return QueryColumn(
            path, "SELECT " + Columns(table) + " FROM " + Quoted(table) + " ORDER BY rowid");
    }
    std::string Columns(const std::string& table) {
        std::string list;
        for (const std::string& name :
             QueryColumn(path, "SELECT name FROM pragma_table_info('" + table + "')")) {
            list += (list.empty() ? "" : " || '|' || ") + ("ifnull(" + Quoted(name) + ", 'NULL')");
        }
        return list;
    }
    static std::string Quoted(const std::string& name) {
        std::string quoted = "\"";
        for (char c : name) {
            quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
        }
        return quoted + "\"";
    }
    Strings Schema(const std::string& table) {
        return QueryColumn(path, "SELECT sql FROM sqlite_master WHERE name = '" + table + "'");
    }
};

TEST_F(ImportCsvTest, CommaFileBecomesATableOfText) {
    WriteFile("stems.csv", "Tree,Xrot0,Yrot0\n12,3.5,4\n\n\n7,,a\n13,1,2\n");
    Database db(path.c_str());
    db.ImportCsv("stems.csv", "stem", "varchar(256)");
    EXPECT_EQ(Schema("stem"),
              Strings{"CREATE TABLE stem('Tree' varchar(256),'Xrot0' varchar(256),'Yrot0' "
                      "varchar(256))"});
    EXPECT_EQ(Rows("stem"), (Strings{"12|3.5|4", "7||a", "13|1|2"}));
    EXPECT_EQ(QueryColumn(path, "SELECT typeof(Tree) FROM stem LIMIT 1"), Strings{"text"});
}

TEST_F(ImportCsvTest, ShortLinesAreRejectedOneByOne) {
    WriteFile("roots.txt", "a\tb\tc\n1\t\t3\n4\t5\t6\n");
    Database db(path.c_str());
    db.ImportCsv("roots.txt", "root", "varchar(256)");
    EXPECT_EQ(Rows("root"), Strings{"4|5|6"});
    EXPECT_TRUE(Logged("error.log", "table root has 3 columns but 2 values were supplied"));
}

TEST_F(ImportCsvTest, QuotesAndNonAsciiAreData) {
    WriteFile("odd.csv", "it's,\"q\"\nO'Brien,\"x\"); DROP TABLE stem; --\nБук,ü\n");
    Database db(path.c_str());
    db.ImportCsv("odd.csv", "my table", "varchar(256)");
    EXPECT_EQ(Schema("my table"),
              Strings{"CREATE TABLE \"my table\"('it''s' varchar(256),'\"q\"' varchar(256))"});
    EXPECT_EQ(Rows("my table"), (Strings{"O'Brien|\"x\"); DROP TABLE stem; --", "Бук|ü"}));
}

TEST_F(ImportCsvTest, ExistingTableGetsNoRows) {
    ExecSql(path, "CREATE TABLE stem (Tree);");
    WriteFile("stems.csv", "Tree,x\n1,2\n");
    Database db(path.c_str());
    db.ImportCsv("stems.csv", "stem", "varchar(256)");
    EXPECT_TRUE(Rows("stem").empty());
    EXPECT_TRUE(Logged("error.log", "table stem already exists"));
}

TEST_F(ImportCsvTest, UnusableFileImportsNothing) {
    WriteFile("plain.txt", "nothing to split\n");
    Database db(path.c_str());
    std::filesystem::remove("error.log");
    db.ImportCsv("plain.txt", "stem", "varchar(256)");
    db.ImportCsv("missing.csv", "root", "varchar(256)");
    EXPECT_FALSE(db.HasTable("stem"));
    EXPECT_FALSE(db.HasTable("root"));
    EXPECT_TRUE(LogMessages("error.log").empty());
}

TEST_F(ImportCsvTest, ThreePathConstructorImportsRootAndStem) {
    WriteFile("r.csv", "x,y\n1,2\n");
    WriteFile("s.txt", "Tree\tdbh\nA\t0.3\n");
    { Database db(path.c_str(), "r.csv", "s.txt"); }
    EXPECT_EQ(Rows("root"), Strings{"1|2"});
    EXPECT_EQ(Rows("stem"), Strings{"A|0.3"});
    EXPECT_EQ(QueryColumn(path, "SELECT db_version FROM _db_info"), Strings{"0.1"});
}
