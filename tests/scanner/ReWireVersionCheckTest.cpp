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

} // namespace

// Only major version 1 from minor 8 is OK; the debug library is preferred to
// the release one; too old a system is not searched, nor an over-long path.
// Every library opened is closed, and error modes are restored.
TEST(ReWireVersionCheckTest, VerdictFollowsTheVersionOfTheLibraryFound)
{
    const std::string required = "REWIRE VERSION UPDATE REQUIRED\n";
    const auto version = [&required](const char* number, bool ok)
    {
        return "REWIRE LIBRARY VERSION: " + std::string(number) + "\n" +
               (ok ? "INSTALLED REWIRE VERSION OK\n" : required);
    };
    const struct
    {
        const char* what;
        std::uint32_t release;
        std::uint32_t debug;
        std::string out;
    } cases[] = {
        {"1.8", 0x00010008, 0, version("1.8", true)},
        {"2.0", 0x00020000, 0, version("2.0", false)},
        {"1.7", 0x00010007, 0, version("1.7", false)},
        {"no version", FakeMachine::kNoVersion, 0, version("0.0", false)},
        {"debug 1.7", 0x00010008, 0x00010007, version("1.7", false)},
        {"missing", 0, 0, required},
        {"old system", 0x00010008, 0, required},
        {"long path", 0x00010008, 0, required},
    };
    for (const auto& test : cases)
    {
        SCOPED_TRACE(test.what);
        FakeMachine machine;
        machine.modernSystem = test.what != std::string("old system");
        if (test.what == std::string("long path"))
            machine.commonFiles = std::string(250, 'x');
        if (test.release)
            machine.Install("ReWire.dll", test.release);
        if (test.debug)
            machine.Install("ReWireDebug.dll", test.debug);
        Platform::SetServices(&machine);
        testing::internal::CaptureStdout();
        const int code = ReWireVersionCheck::Run();
        EXPECT_EQ(testing::internal::GetCapturedStdout(), test.out);
        Platform::SetServices(nullptr);
        EXPECT_EQ(code, test.out.find("OK") == std::string::npos ? 1 : 0);
        EXPECT_EQ(machine.closed, test.out == required ? 0 : 1);
        EXPECT_EQ(machine.mode, 0u);
    }
}
