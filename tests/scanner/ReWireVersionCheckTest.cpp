#include "ReWire/ReWireVersionCheck.h"
#include "Platform/SystemServices.h"

#include <gtest/gtest.h>
#include <map>
#include <vector>

namespace
{
// A machine with the given ReWire libraries installed, each with a file version.
class FakeMachine : public Platform::SystemServices
{
public:
    using Library = std::map<std::string, std::uint32_t>::value_type;
    static constexpr std::uint32_t kNoVersion = 0xFFFFFFFF;

    unsigned GetErrorMode() override { return mode; }
    void SetErrorMode(unsigned m) override { mode = m; }
    bool IsSystemVersionAtLeast(int, int, int) override { return modernSystem; }
    bool CommonFilesFolder(std::string& folder) override { return !(folder = commonFiles).empty(); }
    Platform::LibraryHandle OpenLibrary(const std::string& path) override
    {
        const auto found = libraries.find(path);
        return found == libraries.end() ? nullptr : &*found;
    }
    void CloseLibrary(Platform::LibraryHandle) override { ++closed; }
    std::string LibraryFileName(Platform::LibraryHandle library) override
    {
        return static_cast<Library*>(library)->first;
    }
    bool FileVersion(const std::string& path, std::uint32_t& version) override
    {
        return (version = libraries.at(path)) != kNoVersion;
    }
    void Install(const char* name, std::uint32_t version)
    {
        libraries[commonFiles + "/Propellerhead Software/ReWire/" + name] = version;
    }

    unsigned mode = 0;
    bool modernSystem = true;
    std::string commonFiles = "/common";
    std::map<std::string, std::uint32_t> libraries;
    int closed = 0;
};

class ReWireVersionCheckTest : public ::testing::Test
{
protected:
    void SetUp() override { Platform::SetServices(&machine); }
    void TearDown() override { Platform::SetServices(nullptr); }

    // The check's exit code and what it printed.
    std::pair<int, std::string> RunCheck()
    {
        testing::internal::CaptureStdout();
        const int code = ReWireVersionCheck::Run();
        return {code, testing::internal::GetCapturedStdout()};
    }

    FakeMachine machine;
};
} // namespace

// Only major version 1 from minor 8 is OK; the debug library is preferred to
// the release one; too old a system is not searched, nor an over-long path.
TEST_F(ReWireVersionCheckTest, VerdictFollowsTheVersionOfTheLibraryFound)
{
    const std::string required = "REWIRE VERSION UPDATE REQUIRED\n";
    const struct
    {
        const char* what;
        std::uint32_t release;
        std::uint32_t debug;
        bool modernSystem;
        std::size_t commonFilesLength;
        int code;
        std::string out;
    } cases[] = {
        {"1.8", 0x00010008, 0, true, 0, 0, "REWIRE LIBRARY VERSION: 1.8\nINSTALLED REWIRE VERSION OK\n"},
        {"2.0", 0x00020000, 0, true, 0, 1, "REWIRE LIBRARY VERSION: 2.0\n" + required},
        {"1.7", 0x00010007, 0, true, 0, 1, "REWIRE LIBRARY VERSION: 1.7\n" + required},
        {"no version", FakeMachine::kNoVersion, 0, true, 0, 1, "REWIRE LIBRARY VERSION: 0.0\n" + required},
        {"debug 1.7", 0x00010008, 0x00010007, true, 0, 1, "REWIRE LIBRARY VERSION: 1.7\n" + required},
        {"missing", 0, 0, true, 0, 1, required},
        {"old system", 0x00010008, 0, false, 0, 1, required},
        {"long path", 0x00010008, 0, true, 250, 1, required},
    };
    for (const auto& test : cases)
    {
        SCOPED_TRACE(test.what);
        machine.libraries.clear();
        machine.closed = 0;
        machine.modernSystem = test.modernSystem;
        machine.commonFiles = test.commonFilesLength ? std::string(test.commonFilesLength, 'x') : "/common";
        if (test.release)
            machine.Install("ReWire.dll", test.release);
        if (test.debug)
            machine.Install("ReWireDebug.dll", test.debug);
        EXPECT_EQ(RunCheck(), std::make_pair(test.code, test.out));
        EXPECT_EQ(machine.closed, test.out == required ? 0 : 1) << "every library opened is closed";
        EXPECT_EQ(machine.mode, 0u) << "error modes are restored";
    }
}
