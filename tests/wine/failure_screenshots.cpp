// Every failed Wine test leaves a picture of the screen under the build
// folder (test-area/failed-<test>/screen.bmp), and every line the run
// prints reaches its log at once.

#include <gtest/gtest.h>

#include <cstdio>

#include "wine_harness.h"

namespace kelt::test {
namespace {

// A failed test leaves a picture of the screen beside its logs, so that
// what the user would have seen can be looked at afterwards.
class ScreenshotOnFailure : public ::testing::EmptyTestEventListener {
    void OnTestEnd(const ::testing::TestInfo& info) override {
        if (!info.result()->Failed()) return;
        const std::string name = std::string(info.test_suite_name()) + "." + info.name();
        const std::wstring folder = FreshFolder(L"failed-" + std::wstring(name.begin(), name.end()));
        SaveScreen(folder + L"\\screen.bmp");
    }
};

// Output to a pipe or a file is otherwise buffered: a run that dies (a
// crash of the tests' own program) would lose the record of every test
// before it.
const bool kUnbufferedOutput = [] {
    std::setvbuf(stdout, nullptr, _IONBF, 0);
    return true;
}();

// Registered before main runs; Google Test owns and deletes listeners.
const bool kScreenshotListener = [] {
    ::testing::UnitTest::GetInstance()->listeners().Append(new ScreenshotOnFailure);
    return true;
}();

}  // namespace
}  // namespace kelt::test
