// Scripts that use tables, CSV files, remarks and script files through the
// binary: each case is a small script, the files it finds, and what it must
// print; the files it leaves are checked too.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

#include "vexil_process.h"

namespace {

std::string Script(const std::string& body) {
  return "[TEST]\nFAMILY ALL\nDESCRIPTION Data statements\nSTART:\n" + body;
}

ProcessResult RunScript(ScratchDir& dir, const std::string& body) {
  dir.Write("Scripts/t.scs", Script(body));
  return RunVexil(dir.path(), {"-f", "/dev/sg0", "-s", "t.scs", "-y"}, {{"VEXIL_SIM", "1"}});
}

std::string Tail(const std::string& out) {
  const size_t at = out.find("Phase 1");
  return at == std::string::npos ? out : out.substr(at);
}

struct Case {
  const char* name;
  std::string body;
  std::vector<std::string> expected;  // each must appear in the output, in this order
  std::map<std::string, std::string> files = {};
};

void Expect(const Case& c, ScratchDir& dir) {
  for (const auto& [name, content] : c.files) dir.Write(name, content);
  const ProcessResult r = RunScript(dir, c.body);
  EXPECT_EQ(r.status, 0) << c.name << "\n" << Tail(r.out) << r.err;
  EXPECT_EQ(r.out.find("Error"), std::string::npos) << c.name << "\n" << Tail(r.out);
  size_t at = 0;
  for (const std::string& text : c.expected) {
    const size_t found = r.out.find(text, at);
    EXPECT_NE(found, std::string::npos) << c.name << ": missing '" << text << "' in\n" << Tail(r.out);
    if (found != std::string::npos) at = found + text.size();
  }
}

TEST(DataStatements, TablesCsvAndRemarks) {
  const Case cases[] = {
      {"value and test-time tables",
       "BUFFER T [32]\nBUFFER S [4]\nLONG CAT = 0\nLONG K = 0201H\n"
       "TABLE Codes\nTENTRY(Codes, 7, 0x0201, \"Two\\nlines\");\nTENTRY(Codes, 8, 3, \"does not fit\"); // cut\n"
       "TABLE Other\nTENTRY(Other, 9, 0x0201, \"same value, other table\");\n"
       "BYTE TID = 3\nBYTE DT = 21H\nBYTE H = 0\nBYTE M = 0\nBYTE SEC = 0\n"
       "TESTTIMETABLE TT\nTESTTIMEENTRY(TT, TID, DT, 1, 30, 5);\n"
       "GETTABLEENTRY Codes CAT K T\nPRINT 'cat=%d text=%s' CAT T\n"
       "GETTABLEENTRY Codes CAT 3 S\nPRINT 'cut=[%s]' S\n"
       "GETTABLEENTRY Other CAT K T\nPRINT 'other=%d' CAT\n"
       "GETTESTTIME TT TID DT H M SEC\nPRINT 'time=%d:%d:%d' H M SEC\n"
       "TID = 4\nGETTESTTIME TT TID DT H M SEC\nPRINT 'none=%X:%X:%X' H M SEC\n",
       {"cat=7 text=Two\r\nlines", "cut=[doe]", "other=9", "time=1:30:5", "none=FF:FF:FF"}},
      {"CSV lookups and statuses",
       "BUFFER PATH [64]\nBUFFER KEY [16]\nBUFFER OUT [8]\nBYTE ST = 9\nBYTE KI = 1\nCSVFILE C\n"
       "PRINT BUFFER PATH 'parts.csv'\nLOADCSVFILE C PATH ST\nPRINT 'load=%d' ST\n"
       "PRINT BUFFER KEY 'key1'\nGETCSVARG C KEY 0 2 OUT ST\nPRINT 'two=%s st=%d' OUT ST\n"
       "GETCSVARG C KEY 0 5 OUT ST\nPRINT 'past the fields st=%d out=%s' ST OUT\n"
       "PRINT BUFFER KEY 'b c'\nGETCSVARG C KEY KI 3 OUT ST\nPRINT 'quoted key st=%d out=%s' ST OUT\n"
       "GETCSVARG C KEY KI 2 OUT ST\nPRINT 'empty=[%s]' OUT\n"
       "GETCSVARG C KEY 1 4 OUT ST\nPRINT 'long field cut=[%s]' OUT\n"
       "PRINT BUFFER KEY 'nothere'\nGETCSVARG C KEY 0 1 OUT ST\nPRINT 'no key st=%d out=[%s]' ST OUT\n"
       "UNLOADCSVFILE C\nPRINT BUFFER KEY 'key1'\nGETCSVARG C KEY 0 1 OUT ST\nPRINT 'unloaded st=%d' ST\n"
       "PRINT BUFFER PATH 'absent.csv'\nLOADCSVFILE C PATH ST\nPRINT 'absent=%X' ST\n",
       {"load=0", "two=two st=0", "past the fields st=2 out=two", "quoted key st=0 out=d", "empty=[]",
        "long field cut=[0123456]", "no key st=1 out=[0123456]", "unloaded st=1", "absent=FF"},
       {{"parts.csv", "A, \"b c\" ,,d, 0123456789\r\nkey1,one,two\n"}}},
      {"remarks over one and three lines",
       "EXTERNAL Info:\nREMARK (\"one line\");\nEXTERNAL More:\nREMARK (\"first\"\n  , \"second\"\n  , \"third\");\n"
       "PRINT 'after the remarks'\n",
       {"after the remarks"}},
  };
  for (const Case& c : cases) {
    ScratchDir dir;
    Expect(c, dir);
  }
}

TEST(DataStatements, ScriptFilesAndArchives) {
  ScratchDir dir;
  const Case c{"write, read back, update, compress, erase",
               "FILE F\nFILE G\nBUFFER B [16]\nBUFFER NAME [32]\nLONG SIZE = 9\nLONG N = 0\nBYTE V = 0\n"
               "OPENFILE F \"Logs/out.txt\" WRITE TEXT SIZE\nPRINT 'size=%d' SIZE\n"
               "PRINT FILE F 'line %d\\n' SIZE\nPRINT FILE F 'second'\nCLOSEFILE F\nCLOSEFILE F\n"
               "OPENFILE F Logs/out.txt READ TEXT SIZE\nFGETS F B 16 N\nPRINT 'n=%d size=%d' N SIZE\n"
               "FGETS F B 4 N\nPRINT 'cut=%s n=%d' B N\nCLOSEFILE F\n"
               "OPENFILE G Logs/data.bin WRITE BINARY APPEND SIZE\nFILLBUFFER B INCR\nFWRITE G B 16\n"
               "FSEEK G 4 SEEK_SET\nFREAD G B 3 N\nPEEK B[0] V\nPRINT 'read=%d first=%X' N V\n"
               "FSEEK G 0 SEEK_END\nFREAD G B 8 N\nPRINT 'at end=%d' N\nCLOSEFILE G\n"
               "OPENFILE G Logs/data.bin READ BINARY SIZE\nPRINT 'kept=%d' SIZE\nCLOSEFILE G\n"
               "PRINT BUFFER NAME 'Logs/data.bin'\nERASEFILE NAME\nERASEFILE Logs/missing.bin\n"
               "PRINT BUFFER NAME 'Logs/out.txt'\nCOMPRESSFILE NAME\nPRINT 'done'\n",
               {"size=0", "n=7 size=13", "cut=sec n=3", "read=3 first=04", "at end=0", "kept=16", "done"}};
  Expect(c, dir);
  const std::vector<std::string> logs = dir.List("Logs");
  EXPECT_EQ(std::count(logs.begin(), logs.end(), "out.dmz"), 1) << ::testing::PrintToString(logs);
  EXPECT_EQ(std::count(logs.begin(), logs.end(), "out.txt"), 0);
  EXPECT_EQ(std::count(logs.begin(), logs.end(), "data.bin"), 0);
  if (std::system("command -v unzip >/dev/null 2>&1") == 0) {
    const std::string archive = dir.path() + "/Logs/out.dmz";
    EXPECT_EQ(std::system(("unzip -tq " + archive + " >/dev/null 2>&1").c_str()), 0);
    EXPECT_EQ(std::system(("unzip -p " + archive + " out.txt | grep -qx second").c_str()), 0);
  }
}

TEST(DataStatements, ErrorsNameTheStatement) {
  struct Error {
    std::string body;
    const char* text;
    std::map<std::string, std::string> files = {};
  };
  const Error errors[] = {
      {"TABLE T\nTENTRY(T, 1, 5, \"a\");\nTENTRY(T, 2, 5, \"b\");\n", "Error: K_TABLE_DUPLICATE_ENTRY_DETECTED"},
      {"TABLE T\nTABLE T\n", "Error: K_TABLE_DUPLICATE_TABLE_DETECTED"},
      {"TENTRY(X, 1, 5, \"a\");\n", "Error: K_TENTRY_INVALID_TABLE_SPECIFIED"},
      {"TABLE T\nTENTRY(T, 1, \"a\");\n", "Error: K_TENTRY_ILLEGAL_NUMBER_OF_ARGS_DETECTED"},
      {"TABLE T\nLONG L = 0\nBUFFER B [4]\nGETTABLEENTRY T L 9 B\n", "Error: K_GET_TENTRY_ERROR"},
      {"TABLE T\nBYTE L = 0\nBUFFER B [4]\nGETTABLEENTRY T L 9 B\n", "Error: K_GET_TENTRY_INVALID_V1_SPECIFIED"},
      {"CSVFILE C\nBUFFER K [4]\nBUFFER R [4]\nBYTE S = 0\nGETCSVARG C K 0x0100 1 R S\n",
       "K_GETCSVARG_KEY_INDEX_RANGE_ERROR"},
      {"CSVFILE C\nBUFFER K [4]\nBUFFER R [4]\nWORD I = 0\nBYTE S = 0\nGETCSVARG C K 0 I R S\n",
       "K_GETCSVARG_ARG_INDEX_VTYPE_ERROR"},
      {"CSVFILE C\nBUFFER K [4]\nBUFFER R [4]\nBYTE S = 0\nGETCSVARG C K 0 NOPE R S\n",
       "K_GETCSVARG_ARG_INDEX_PARSE_ERROR"},
      {"LABEL:\nREMARK (\"not external\");\n", "Error: K_REMARK_SYMBOL_NOT_EXTERNAL"},
      {"EXTERNAL L:\nREMARK (\"open\"\n , \"never closed\"\n", "Error: K_REMARK_UNEXPECTED_EOF_DETECTED"},
      {"FILE F\nLONG S = 0\nOPENFILE F Logs/x.txt WRITE S\nOPENFILE F Logs/x.txt WRITE S\n",
       "Error: K_OPENFILE_FILE_ALREADY_OPEN"},
      {"FILE F\nLONG S = 0\nOPENFILE F Logs/none.txt S\n", "Error: K_OPENFILE_FILE_SPECIFIED_NOT_PRESENT"},
      {"FILE F\nWORD S = 0\nOPENFILE F Logs/x.txt WRITE S\n", "Error: K_OPENFILE_INVALID_RESULT_ARG"},
      {"FILE F\nBUFFER B [8]\nLONG S = 0\nLONG N = 0\nOPENFILE F in.txt S\nFREAD F B 8 N\n",
       "Error: K_FREAD_READ_ERROR",
       {{"in.txt", "text"}}},
      {"FILE F\nBUFFER B [8]\nLONG S = 0\nOPENFILE F in.txt READ BINARY S\nFWRITE F B 8\n",
       "Error: K_FWRITE_WRITE_ERROR",
       {{"in.txt", "text"}}},
      {"FILE F\nBUFFER B [8]\nLONG N = 0\nFREAD F B 9 N\n", "Error: K_FREAD_LIMIT_EXCEEDS_BUFFER_SIZE"},
      // One call moves at most 65535 bytes: more is refused, never read as 0 bytes.
      {"FILE F\nBUFFER B [70000]\nLONG N = 0\nFREAD F B 70000 N\n", "Error: K_FREAD_LIMIT_ABOVE_65535_BYTES"},
      {"FILE F\nBUFFER B [70000]\nLONG L = 65536\nLONG N = 7\nLONG S = 0\nOPENFILE F in.bin READ BINARY S\n"
       "FREAD F B L N\n",
       "Error: K_FREAD_LIMIT_ABOVE_65535_BYTES",
       {{"in.bin", "data"}}},
      {"FILE F\nBUFFER B [70000]\nFWRITE F B 65536\n", "Error: K_FWRITE_LIMIT_ABOVE_65535_BYTES"},
      {"FILE F\nBUFFER B [8]\nLONG N = 9\nLONG S = 0\nOPENFILE F in.txt S\nFGETS F B N S\n",
       "Error: K_FGETS_LIMIT_EXCEEDS_BUFFER_SIZE",
       {{"in.txt", "text"}}},
      {"FILE F\nFSEEK F 0 SEEK_SET\n", "Error: K_FSEEK_FILE_NOT_OPENED"},
      {"FILE F\nFSEEK F 0 FROM_START\n", "Error: K_SEEK_ILLEGAL_FROM_PHRASE_SPECIFIED"},
      {"FILE F\nPRINT FILE F 'x'\n", "Error: K_PRINT_TO_FILE_THAT_ISNT_OPEN"},
      {"FILE F\nLONG S = 0\nOPENFILE F Logs/b.bin WRITE BINARY S\nPRINT FILE F 'x'\n",
       "Error: K_PRINT_TO_FILE_INVALID_MODE_DETECTED"},
      {"PRINT FILE NOFILE 'x'\n", "Error: K_PRINT_TO_FILE_INVALID_DEST_FILE_SPECIFIED"},
      {"COMPRESSFILE Logs/absent.txt\n", "Error: K_COMPRESSFILE_INVALID_FILENAME_SPECIFIED"},
      {"COMPRESSFILE Logs/old.dmz\n", "KRT_COMPRESSFILE_ARCHIVE_WOULD_REPLACE_SOURCE", {{"Logs/old.dmz", "x"}}},
      {"COMPRESSFILE Logs/run.log\n",
       "KRT_COMPRESSFILE_ARCHIVE_ALREADY_EXISTS",
       {{"Logs/run.log", "x"}, {"Logs/run.dmz", "y"}}},
  };
  for (const Error& e : errors) {
    ScratchDir dir;
    for (const auto& [name, content] : e.files) dir.Write(name, content);
    const ProcessResult r = RunScript(dir, e.body);
    EXPECT_NE(r.out.find(e.text), std::string::npos) << e.body << "\n" << Tail(r.out) << r.err;
  }
}

}  // namespace
