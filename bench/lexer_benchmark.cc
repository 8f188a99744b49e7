// The lexer alone on synthetic specs: every token of the main spec is made
// and deleted, as the run sequence does, without parsing.
#include <benchmark/benchmark.h>

#include <memory>
#include <string>

#include "bench/synthetic_spec.h"
#include "generator/frontend/lexer.h"

using kivg::Lexer;
using kivg::Token;
using kivg::TokenType;

namespace {

void BM_LexSyntheticSpec(benchmark::State& state) {
  const SyntheticSpec spec =
      MakeSyntheticSpec(static_cast<size_t>(state.range(0)));
  const std::string& text = spec.files.at("main.kivs");
  size_t tokens = 0;
  for (auto _ : state) {
    state.PauseTiming();
    std::string contents = text;
    state.ResumeTiming();
    Lexer lexer(std::move(contents), "main.kivs");
    for (;;) {
      std::unique_ptr<Token> token(lexer.NextToken());
      ++tokens;
      if (token->type == TokenType::END) break;
    }
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                          static_cast<int64_t>(text.size()));
  state.counters["tokens"] = benchmark::Counter(static_cast<double>(tokens),
                                                benchmark::Counter::kIsRate);
}
BENCHMARK(BM_LexSyntheticSpec)
    ->Arg(1000)
    ->Arg(100000)
    ->Unit(benchmark::kMillisecond);

// One long line and one long name: both must stay linear.
void BM_LexLongName(benchmark::State& state) {
  const std::string text = "x" + std::string(1 << 20, 'n') + " = 1\n";
  for (auto _ : state) {
    Lexer lexer(text, "long.kivs");
    for (;;) {
      std::unique_ptr<Token> token(lexer.NextToken());
      if (token->type == TokenType::END) break;
    }
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                          static_cast<int64_t>(text.size()));
}
BENCHMARK(BM_LexLongName)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
