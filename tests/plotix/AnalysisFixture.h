#pragma once

#include "plotix.h"

#include <gtest/gtest.h>

#include <string>

// The library keeps its settings for the life of the process: every test starts from the
// settings a freshly loaded library has.
class AnalysisTest : public ::testing::Test {
protected:
    void SetUp() override { resetLibrary(); }
    // Not SetUp(): a derived fixture's SetUp would run again at its tear-down.
    void TearDown() override { resetLibrary(); }

    static void resetLibrary()
    {
        plotix::setSampleWindow(2);
        plotix::saveAnalyzedData("");
        consumeAmplitude();
    }

    // Leaves the amplitude-set flag at 0, whatever it was.
    static void consumeAmplitude()
    {
        int count = 0;
        plotix::getBodeGraph(nullptr, 0, 0.0, nullptr, nullptr, nullptr, count);
    }

    // Runs `call` and returns what it wrote to stderr.
    template <class Call>
    static std::string stderrOf(Call call)
    {
        ::testing::internal::CaptureStderr();
        call();
        return ::testing::internal::GetCapturedStderr();
    }
};
