// Engine throughput: a 16 MiB input converted in memory, for each shape, output discarded.
#include <benchmark/benchmark.h>

#include <random>
#include <string>

#include "run/host.h"
#include "run/mem_file_system.h"
#include "run/run.h"

namespace tessary {
namespace {

constexpr size_t kInputSize = size_t{16} << 20;

// Keeps the input in memory and throws the output away.
class DiscardingFileSystem : public MemFileSystem {
 public:
  std::error_code OpenOutput(const std::string&, bool, std::unique_ptr<OutputFile>* out) override {
    *out = std::make_unique<Discard>();
    return {};
  }

 private:
  class Discard : public OutputFile {
   public:
    std::error_code Write(std::string_view data) override {
      benchmark::DoNotOptimize(data.data());
      return {};
    }
    std::error_code Commit() override { return {}; }
    bool Restorable() const override { return true; }
    std::string Rollback() override { return {}; }
  };
};

void BM_Convert(benchmark::State& state, Shape shape, bool vertical, bool invert,
                Syntax syntax = Syntax::kClassic, bool pixels = false) {
  DiscardingFileSystem files;
  std::string input(kInputSize, '\0');
  std::mt19937 random(7);
  for (char& c : input) c = static_cast<char>(random());
  files.files["in.bin"] = std::move(input);

  RunOptions options;
  options.input_path = "in.bin";
  options.output_path = "out.asm";
  options.shape = shape;
  options.vertical = vertical;
  options.listing = {syntax, pixels, ""};
  FixedStyleHost host({.labels = true, .invert = invert});
  uint64_t written = 0;
  for (auto _ : state) {
    const RunResult result = Run(options, host, files);
    if (result.status != RunStatus::kDone) state.SkipWithError(result.message.c_str());
    written = result.bytes_written;
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * kInputSize));
  state.counters["out_MiB/s"] = benchmark::Counter(
      static_cast<double>(written) * static_cast<double>(state.iterations()) / (1 << 20),
      benchmark::Counter::kIsRate);
  state.counters["out_MiB"] = static_cast<double>(written) / (1 << 20);
}

BENCHMARK_CAPTURE(BM_Convert, 8x8_rows, Shape::k8x8, false, false)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Convert, 8x8_columns_inverted, Shape::k8x8, true, true)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Convert, 8x12, Shape::k8x12, false, false)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Convert, 16x16, Shape::k16x16, false, false)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Convert, 8x8_gas_pixels, Shape::k8x8, false, false, Syntax::kGas, true)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Convert, 8x8_c_pixels, Shape::k8x8, false, false, Syntax::kC, true)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Convert, 16x16_gas_pixels, Shape::k16x16, false, false, Syntax::kGas, true)
    ->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace tessary

BENCHMARK_MAIN();
