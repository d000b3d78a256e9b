#pragma once
// Which of the processor's instructions the glyph row copies may use. Chosen once at start-up
// by the host (VORLIX_CPU=baseline in the environment) and read by every copy: the baseline
// takes exactly the path of a processor without AVX-512, for comparison, and to test that
// path on a processor that has it.
#include <atomic>

namespace vorlix {

enum class ProcessorPath { Detected, Baseline };

namespace processor_detail {
// Read inline: a blit of one glyph asks for it.
extern std::atomic<ProcessorPath> Chosen;
}  // namespace processor_detail

void ChooseProcessorPath(ProcessorPath path);
inline ProcessorPath ChosenProcessorPath() {
    return processor_detail::Chosen.load(std::memory_order_relaxed);
}
// The environment variable's value: "baseline" chooses the baseline, anything else (or null,
// not set) what the processor offers.
ProcessorPath ProcessorPathFromEnvironment(const char* value);

constexpr const char* ProcessorPathVariable = "VORLIX_CPU";

}  // namespace vorlix
