// A fixture whose suite starts the process-wide analyser once from the
// install tree the build lays out (start-up takes a fair fraction of a second,
// several seconds under the sanitizers) and deletes it after the last test.
#pragma once

#include "analysis/LanguageAnalyzer.h"
#include "tests/support/InstallTree.h"

#include <gtest/gtest.h>

namespace quibo::test {

class InstalledAnalyzerTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        s_tree = new BuildInstallTree;
        ::testing::internal::CaptureStdout();
        ::testing::internal::CaptureStderr();
        s_result = LanguageAnalyzer::instance()->init(rcPathIn(BuildInstallTree::root()), true);
        ::testing::internal::GetCapturedStdout();
        ::testing::internal::GetCapturedStderr();
    }
    static void TearDownTestSuite()
    {
        LanguageAnalyzer::deleteInstance();
        delete s_tree;
        s_tree = nullptr;
    }
    void SetUp() override { ASSERT_EQ(s_result, 0); }

    static LanguageAnalyzer& analyzer() { return *LanguageAnalyzer::instance(); }

private:
    static inline BuildInstallTree* s_tree = nullptr;
    static inline int s_result = -1;
};

}  // namespace quibo::test
