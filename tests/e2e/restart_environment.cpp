// Every end-to-end run records restarts through the stand-in over the system's shutdown.exe.
#include <gtest/gtest.h>

#include "prompt_run.h"

namespace e2e {
namespace {

class RestartStandIn : public ::testing::Environment {
public:
    void SetUp() override {
        const std::wstring problem = InstallRestartStandIn();
        ASSERT_TRUE(problem.empty()) << std::string(problem.begin(), problem.end());
    }
};

[[maybe_unused]] ::testing::Environment* const kRestartStandIn =
    ::testing::AddGlobalTestEnvironment(new RestartStandIn);

}  // namespace
}  // namespace e2e
