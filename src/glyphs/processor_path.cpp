#include "glyphs/processor_path.h"

#include <cstring>

namespace vorlix {

std::atomic<ProcessorPath> processor_detail::Chosen{ProcessorPath::Detected};

void ChooseProcessorPath(ProcessorPath path) {
    processor_detail::Chosen.store(path, std::memory_order_relaxed);
}

ProcessorPath ProcessorPathFromEnvironment(const char* value) {
    const bool baseline = value != nullptr && std::strcmp(value, "baseline") == 0;
    return baseline ? ProcessorPath::Baseline : ProcessorPath::Detected;
}

}  // namespace vorlix
