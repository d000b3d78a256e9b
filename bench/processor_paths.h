#pragma once
// Benchmarks run on both processor paths: an argument "baseline" of 0 takes what the processor
// offers (the masked AVX-512 stores where it has them), 1 the baseline every x86-64 takes.
#include <benchmark/benchmark.h>

#include <cstdint>

#include "glyphs/masked_rows.h"
#include "glyphs/processor_path.h"

namespace vorlix::bench {

// The path of the argument for one benchmark's run, and the detected one again after it.
class ProcessorPathForRun {
public:
    explicit ProcessorPathForRun(std::int64_t baseline) {
        ChooseProcessorPath(baseline != 0 ? ProcessorPath::Baseline : ProcessorPath::Detected);
    }
    ~ProcessorPathForRun() { ChooseProcessorPath(ProcessorPath::Detected); }
    ProcessorPathForRun(const ProcessorPathForRun&) = delete;
    ProcessorPathForRun& operator=(const ProcessorPathForRun&) = delete;

    // Says when the run that asked for the masked stores took the baseline all the same.
    static const char* Label(std::int64_t baseline) {
        return baseline == 0 && !masked_rows::Supported() ? "no AVX-512: baseline path" : "";
    }
};

}  // namespace vorlix::bench
