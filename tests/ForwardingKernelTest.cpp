#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

#include "sys/ForwardingKernel.h"
#include "sys/SimMachine.h"
#include "tests/KernelScript.h"

namespace {

using namespace sys;
using kernelscript::EveryKernelCall;
using kernelscript::Side;
using kernelscript::Step;
using kernelscript::Text;

// Overrides one call and leaves the rest to the base.
class StubbedAttributes : public ForwardingKernel {
  public:
    using ForwardingKernel::ForwardingKernel;
    std::vector<std::string> asked;

    DWORD GetFileAttributesA(const std::string& fileName) override {
        asked.push_back(fileName);
        return 0x1234;
    }
};

TEST(ForwardingKernel, OneOverrideTakesItsCallAndEveryOtherReachesTheInnerKernelUnchanged) {
    // The same script runs on a bare machine and, through the wrapper, on its twin: every call
    // but the stubbed one must give the same answers, out-parameters and last error, and leave
    // the twin in the same state. Distinct values in each out-parameter catch swapped arguments.
    SimMachine direct, inner;
    for (SimMachine* m : {&direct, &inner}) {
        m->addFile("C:\\f.txt", "hello");
        m->setVolumeLabel('C', "DATA", 0x1234ABCD);
    }
    StubbedAttributes wrapped(inner);

    Side bare{direct}, through{wrapped};
    for (const Step& step : EveryKernelCall()) {
        // Each step starts from the same error, which calls that succeed leave as it is.
        direct.SetLastError(42);
        wrapped.SetLastError(42);
        const std::string want = step.run(bare);
        const DWORD wantError = direct.GetLastError();
        const std::string got = step.run(through);
        const DWORD gotError = wrapped.GetLastError();
        const bool stubbed = std::string(step.call) == "GetFileAttributesA";
        EXPECT_EQ(got, stubbed ? Text({0x1234}) : want) << step.call;
        EXPECT_EQ(gotError, stubbed ? 42u : wantError) << step.call;
    }

    EXPECT_EQ(wrapped.asked, std::vector<std::string>{"C:\\missing"});
    std::vector<std::string> expected = direct.calls();
    expected.erase(std::remove(expected.begin(), expected.end(), "GetFileAttributesA"),
                   expected.end());
    EXPECT_EQ(inner.calls(), expected);
    EXPECT_EQ(inner.sleeps(), direct.sleeps());
    direct.clearCalls();
    inner.clearCalls();
    EXPECT_EQ(inner.toString(), direct.toString());
}

}  // namespace
