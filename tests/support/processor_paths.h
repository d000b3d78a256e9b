#pragma once
// Tests run on both processor paths: with the masked AVX-512 stores where the processor has
// them, and on the baseline every x86-64 processor takes. Where the processor lacks AVX-512
// the masked half would only repeat the baseline, so it is skipped with a word saying so.
#include <gtest/gtest.h>

#include <ostream>
#include <string>

#include "glyphs/masked_rows.h"
#include "glyphs/processor_path.h"
#include "support/fresh_process.h"

namespace vorlix {

// How a test's parameter reads in its name and in failures.
inline void PrintTo(ProcessorPath path, std::ostream* out) {
    *out << (path == ProcessorPath::Baseline ? "Baseline" : "Masked");
}

}  // namespace vorlix

namespace vorlix::testing {

class BothProcessorPaths : public FreshProcessTest,
                           public ::testing::WithParamInterface<ProcessorPath> {
protected:
    // A derived SetUp calls this first and returns when IsSkipped().
    void SetUp() override {
        if (Masked() && !masked_rows::Supported())
            GTEST_SKIP() << "no AVX-512 on this processor: its baseline half covers it";
        ChooseProcessorPath(GetParam());
    }
    void TearDown() override { ChooseProcessorPath(ProcessorPath::Detected); }

    bool Masked() const { return GetParam() == ProcessorPath::Detected; }
};

inline std::string ProcessorPathName(const ::testing::TestParamInfo<ProcessorPath>& info) {
    return ::testing::PrintToString(info.param);
}

}  // namespace vorlix::testing

// Instantiates a BothProcessorPaths fixture's tests once on each path.
#define VORLIX_ON_BOTH_PROCESSOR_PATHS(Fixture)                                                  \
    INSTANTIATE_TEST_SUITE_P(                                                                    \
        ProcessorPaths, Fixture,                                                                 \
        ::testing::Values(::vorlix::ProcessorPath::Detected, ::vorlix::ProcessorPath::Baseline), \
        ::vorlix::testing::ProcessorPathName)
