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

TEST_F(ReWireVersionCheckTest, OnlyMajorVersion1FromMinor8IsOk)
{
    const std::string required = "REWIRE VERSION UPDATE REQUIRED\n";
    const std::vector<std::pair<std::uint32_t, std::pair<int, std::string>>> cases = {
        {0x00010008, {0, "REWIRE LIBRARY VERSION: 1.8\nINSTALLED REWIRE VERSION OK\n"}},
        {0x00020000, {1, "REWIRE LIBRARY VERSION: 2.0\n" + required}},
        {0x00010007, {1, "REWIRE LIBRARY VERSION: 1.7\n" + required}},
        {FakeMachine::kNoVersion, {1, "REWIRE LIBRARY VERSION: 0.0\n" + required}},
    };
    for (const auto& [version, expected] : cases)
    {
        SCOPED_TRACE(version);
        machine.libraries.clear();
        machine.Install("ReWire.dll", version);
        EXPECT_EQ(RunCheck(), expected);
    }
    EXPECT_EQ(machine.closed, int(cases.size()));
    EXPECT_EQ(machine.mode, 0u) << "error modes are restored";
}

TEST_F(ReWireVersionCheckTest, DebugLibraryIsPreferred)
{
    machine.Install("ReWire.dll", 0x00010008);
    machine.Install("ReWireDebug.dll", 0x00010007);
    // Only the debug library's version fails the check.
    EXPECT_EQ(RunCheck().first, 1);
}

TEST_F(ReWireVersionCheckTest, MissingLibraryPrintsOnlyTheVerdict)
{
    EXPECT_EQ(RunCheck(), std::make_pair(1, std::string("REWIRE VERSION UPDATE REQUIRED\n")));
    machine.Install("ReWire.dll", 0x00010008);
    machine.modernSystem = false;
    EXPECT_EQ(RunCheck().first, 1) << "too old a system is not searched";
    machine.modernSystem = true;
    machine.commonFiles = std::string(250, 'x');
    EXPECT_EQ(RunCheck().first, 1) << "an over-long path is not tried";
}
