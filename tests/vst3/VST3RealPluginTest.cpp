#include "support/TestSupport.h"
#include "vst3/Vst3TestSupport.h"

#include <QFileInfo>
#include <gtest/gtest.h>
#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/lsan_interface.h>
#endif

using namespace Vst3TestSupport;

namespace
{
// What the zam-plugins package's VST 3 bundles say of themselves.
struct Expected
{
    const char* name;
    const char* categories;
    int channels;
};

const Expected kZam[] = {
    {"ZaMaximX2", "Fx|Dynamics|Stereo", 2},
    {"ZaMultiComp", "Fx|Dynamics|Mono", 1},
    {"ZaMultiCompX2", "Fx|Dynamics|Stereo", 2},
    {"ZamAutoSat", "Fx|Dynamics|Mono", 1},
    {"ZamComp", "Fx|Dynamics|Mono", 1},
    {"ZamCompX2", "Fx|Dynamics|Stereo", 2},
    {"ZamDelay", "Fx|Delay|Mono", 1},
    {"ZamDynamicEQ", "Fx|EQ|Mono", 1},
    {"ZamEQ2", "Fx|EQ|Mono", 1},
    {"ZamGEQ31", "Fx|EQ|Mono", 1},
    {"ZamGate", "Fx|Dynamics|Mono", 1},
    {"ZamGateX2", "Fx|Dynamics|Stereo", 2},
    {"ZamGrains", "Fx|Delay|Mono", 1},
    {"ZamHeadX2", "Fx|EQ|Stereo", 2},
    {"ZamPhono", "Fx|Tools|Mono", 1},
    {"ZamTube", "Fx|Distortion|Mono", 1},
    {"ZamVerb", "Fx|Reverb|Stereo", 2},
};

} // namespace

TEST(VST3RealPluginTest, EveryZamBundleIsRecordedAsItDescribesItself)
{
#if defined(__SANITIZE_ADDRESS__)
    // What the plug-ins allocate and never give back is theirs; the fixture
    // tests watch over our own allocations.
    const __lsan::ScopedDisabler pluginLeaks;
#endif
    ScanSetup setup;
    ScopedUI ui;
    const QString folder = TestSupport::LinkPackaged("/usr/lib/vst3", setup.Scratch("vst3"));
    if (!QFileInfo::exists(folder + "/ZamComp.vst3"))
        GTEST_SKIP() << "zam-plugins is not installed";
    ASSERT_TRUE(setup.Run({folder}));
    std::map<std::string, Entry> byName;
    for (const auto& [id, entry] : Entries(setup.Configuration()))
        byName[entry.at("Name")] = entry;
    for (const Expected& zam : kZam)
    {
        ASSERT_EQ(byName.count(zam.name), 1u) << zam.name;
        const Entry& entry = byName.at(zam.name);
        EXPECT_EQ(entry.at("Path"), (folder + "/" + zam.name + ".vst3").toStdString());
        EXPECT_EQ(entry.at("Vendor"), "Damien Zammit") << zam.name;
        EXPECT_EQ(entry.at("Categories"), zam.categories) << zam.name;
        EXPECT_EQ(entry.at("Inputs"), std::to_string(zam.channels)) << zam.name;
        EXPECT_EQ(entry.at("Outputs"), std::to_string(zam.channels)) << zam.name;
        EXPECT_EQ(entry.at("Enabled") + entry.at("Working"), "11") << zam.name;
    }
}
