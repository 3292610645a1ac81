#include "ReWire/ReWireVersionCheck.h"
#include "Platform/SystemServices.h"

#include <gtest/gtest.h>
#include <map>

namespace
{
// A machine with the given ReWire libraries installed, each with a file version.
class FakeMachine : public Platform::SystemServices
{
public:
    unsigned GetErrorMode() override { return mode; }
    void SetErrorMode(unsigned m) override { mode = m; }
    bool IsSystemVersionAtLeast(int, int, int) override { return true; }
    bool CommonFilesFolder(std::string& folder) override { return !(folder = "/common").empty(); }
    Platform::LibraryHandle OpenLibrary(const std::string& path) override
    {
        const auto found = libraries.find(path);
        return found == libraries.end() ? nullptr : &*found;
    }
    void CloseLibrary(Platform::LibraryHandle) override { ++closed; }
    std::string LibraryFileName(Platform::LibraryHandle library) override
    {
        return static_cast<decltype(libraries)::value_type*>(library)->first;
    }
    bool FileVersion(const std::string& path, std::uint32_t& version) override
    {
        return (version = libraries.at(path)) != 0;
    }

    unsigned mode = 0;
    std::map<std::string, std::uint32_t> libraries;
    int closed = 0;
};
} // namespace

// Only major version 1 from minor 8 is OK, and the debug library is preferred
// to the release one. Every library opened is closed, error modes are restored.
TEST(ReWireVersionCheckTest, VerdictFollowsTheVersionOfTheLibraryFound)
{
    const std::string required = "REWIRE VERSION UPDATE REQUIRED\n";
    const struct
    {
        std::uint32_t release;
        std::uint32_t debug;
        std::string out;
    } cases[] = {
        {0x00010008, 0, "REWIRE LIBRARY VERSION: 1.8\nINSTALLED REWIRE VERSION OK\n"},
        {0x00020000, 0, "REWIRE LIBRARY VERSION: 2.0\n" + required},
        {0x00010008, 0x00010007, "REWIRE LIBRARY VERSION: 1.7\n" + required},
        {0, 0, required},
    };
    for (const auto& test : cases)
    {
        SCOPED_TRACE(test.out);
        FakeMachine machine;
        const std::string folder = "/common/Propellerhead Software/ReWire/";
        if (test.release)
            machine.libraries[folder + "ReWire.dll"] = test.release;
        if (test.debug)
            machine.libraries[folder + "ReWireDebug.dll"] = test.debug;
        Platform::SetServices(&machine);
        testing::internal::CaptureStdout();
        const int code = ReWireVersionCheck::Run();
        EXPECT_EQ(testing::internal::GetCapturedStdout(), test.out);
        Platform::SetServices(nullptr);
        EXPECT_EQ(code, test.out.find("OK") == std::string::npos ? 1 : 0);
        EXPECT_EQ(machine.closed, test.release ? 1 : 0);
        EXPECT_EQ(machine.mode, 0u);
    }
}
