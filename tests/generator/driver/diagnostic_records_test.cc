// What a run reports, as records rather than lines: each check's severity,
// message, location and the other place it refers to; the driver's own
// lines marked as such; and where every source file of the run came from.
// Each record formats into the line kivg prints.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "generator/driver/memory_file_system.h"
#include "generator/driver/run_sequence.h"
#include "generator/model/diagnostic.h"

namespace {

class Collector : public kivg::DiagnosticSink {
 public:
  void Report(const kivg::Diagnostic& diagnostic) override {
    records.push_back(diagnostic);
  }
  std::vector<kivg::Diagnostic> records;
};

struct Record {
  std::string line;  // as kivg prints it
  bool fromDriver;
  std::string related;  // "file:line:column message", or empty
};

std::vector<Record> Reported(
    kivg::MemoryFileSystem& files, kivg::RunOutcome* outcome = nullptr,
    std::map<std::string, kivg::SourceOrigin>* sources = nullptr) {
  kivg::GeneratorOptions options;
  options.quiet = true;
  options.source = "app.kivs";
  kivg::OutputNames names{"app", "app.kivec", "app.h", "app.c"};
  Collector collector;
  std::ostringstream out;
  kivg::RunSequence run(options, names, files, kivg::SearchPath{""}, out,
                        collector);
  const kivg::RunOutcome read = run.Read();
  if (outcome != nullptr) *outcome = read;
  if (sources != nullptr) *sources = run.sources();
  std::vector<Record> records;
  for (const kivg::Diagnostic& d : collector.records) {
    Record record{kivg::FormatDiagnostic(d), d.fromDriver, ""};
    if (d.relatedLocation.HasFileName())
      record.related =
          kivg::FormatLocation(d.relatedLocation) + " " + d.relatedMessage;
    records.push_back(record);
  }
  EXPECT_EQ(out.str(), "");  // nothing is written by a read
  return records;
}

TEST(DiagnosticRecords, ChecksAndTheDriverReportRecords) {
  const struct {
    const char* source;
    std::vector<Record> records;
  } cases[] = {
      {"x = 1\nx = 2\n",
       {{"app.kivs:2:1: Warning: Name 'x' redefined\n", false,
         "app.kivs:1:1 The definition it replaces"}}},
      {"def f(a) = F\ndef g(a, b) = F\n",
       {{"app.kivs:2:5: Error: Internal name 'F' is bound with 2 parameter(s) "
         "here but with 1 at app.kivs:1:5; a C function has one prototype, "
         "so use another internal name\n",
         false, "app.kivs:1:5 The first binding of 'F'"}}},
      {"y = $\n", {{"app.kivs:1:5: Bad token encountered: '$'\n", true, ""}}},
      {"include gone\n",
       {{"app.kivs:1:9: Error opening gone.kivs: No such file or directory\n",
         true, ""}}},
      {"include a\n",
       {{"b.kivs:1:9: Include cycle detected: a.kivs\n", true, ""}}},
      {"class C:\n    x = 1\n",
       {{"Error: Class definition(s) encountered without the class feature "
         "enabled\n",
         false, ""}}},
  };
  for (const auto& c : cases) {
    kivg::MemoryFileSystem files;
    files.Add("app.kivs", c.source);
    files.Add("a.kivs", "include b\n");
    files.Add("b.kivs", "include a\n");
    const std::vector<Record> records = Reported(files);
    ASSERT_EQ(records.size(), c.records.size()) << c.source;
    for (size_t i = 0; i < records.size(); ++i) {
      EXPECT_EQ(records[i].line, c.records[i].line) << c.source;
      EXPECT_EQ(records[i].fromDriver, c.records[i].fromDriver) << c.source;
      EXPECT_EQ(records[i].related, c.records[i].related) << c.source;
    }
  }
}

TEST(DiagnosticRecords, SourcesTellWhereEachFileCameFrom) {
  kivg::MemoryFileSystem files;
  files.Add("app.kivs", "include part\nimport m as a\n");
  files.Add("part.kivs", "");
  files.Add("m.kivs", "include \"./deep\"\n");
  files.Add("./deep.kivs", "d = 1\n");
  kivg::RunOutcome outcome;
  std::map<std::string, kivg::SourceOrigin> sources;
  EXPECT_TRUE(Reported(files, &outcome, &sources).empty());
  EXPECT_EQ(outcome, kivg::RunOutcome::kWritten);
  std::vector<std::string> shown;
  for (const auto& [name, origin] : sources)
    shown.push_back(name + " <- " + origin.path + " " +
                    (origin.requestedAt.HasFileName()
                         ? kivg::FormatLocation(origin.requestedAt)
                         : std::string("-")) +
                    (origin.imported ? " imported" : ""));
  EXPECT_EQ(shown, (std::vector<std::string>{
                       "./deep.kivs <- ./deep.kivs m.kivs:1:9",
                       "app.kivs <- app.kivs -",
                       "m.kivs <- m.kivs app.kivs:2:13 imported",
                       "part.kivs <- part.kivs app.kivs:1:9",
                   }));
}

}  // namespace
