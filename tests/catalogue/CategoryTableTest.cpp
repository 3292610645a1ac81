#include "Core/BaseLib/AudioPlugins/CategoryTable.h"
#include "Core/BaseLib/AudioPlugins/AudioPluginHost.h"
#include "Core/BaseLib/AudioPlugins/PlaceholderIdentifier.h"
#include "Core/BaseLib/AudioPlugins/PluginList.h"

#include <gtest/gtest.h>
#include <tuple>

namespace
{
const CategoryTable& Table()
{
    return CategoryTable::Instance();
}

std::uint32_t RuntimeBitOf(const std::wstring& key)
{
    return Table().KeyMap().at(key).runtimeBit;
}

PluginListEntry Entry(const std::wstring& name, std::int32_t width, std::uint32_t mask = 0)
{
    PluginListEntry entry;
    entry.name = name;
    entry.width = width;
    entry.categoryMask = mask;
    return entry;
}
} // namespace

TEST(CategoryTable, MasksTranslateBetweenFileAndRuntimeFormsAndFromKeysAndTexts)
{
    EXPECT_EQ(AudioPluginHost::FileMaskToRuntime(0x10000000), 0x00000010u); // Chain FX
    // Bit 0 and the bits above the table carry no category.
    EXPECT_EQ(AudioPluginHost::FileMaskToRuntime(0x00000001 | 0xE0000000), 0u);
    EXPECT_EQ(AudioPluginHost::FileMaskToRuntime(0xFFFFFFFF), 0x0FFFFFFFu);
    for (std::uint32_t runtime : {0x0u, 0x1u, 0x880u, 0x0FFFFFFFu, 0x02004001u})
        EXPECT_EQ(AudioPluginHost::FileMaskToRuntime(AudioPluginHost::RuntimeMaskToFile(runtime)), runtime);
    EXPECT_TRUE(Table().IsInstrumentMask(0x00004000));
    EXPECT_FALSE(Table().IsInstrumentMask(0x00000800));
    EXPECT_TRUE(Table().IsAmbisonicMask(0x00000002));

    EXPECT_EQ(Table().CategoryMaskFromKeys(L"rvb|img|nonsense"), 0x01800000u);
    // Keys that name no category give the no-category value.
    EXPECT_EQ(Table().CategoryMaskFromKeys(L""), 1u);
    EXPECT_EQ(Table().CategoryMaskFromKeys(L"dummy"), 1u);

    // A plug-in's category text: a rename applies once; the hyphen goes with "Up-Downmix", so "-" does not
    // match as well.
    const std::vector<std::tuple<std::string, std::uint32_t, std::string>> cases = {
        {"Fx|Filter|Delay", 0x00000880u, "Fx|EQ|Delay"},
        {"Analyzer Analyzer", RuntimeBitOf(L"meter"), "Metering Analyzer"},
        {"Up-Downmix", RuntimeBitOf(L"surr"), "Surround"},
        {"fx", 0u, "fx"}};
    for (auto [text, mask, renamed] : cases)
    {
        SCOPED_TRACE(text);
        EXPECT_EQ(Table().CategoryMaskFromText(text), mask);
        EXPECT_EQ(text, renamed);
    }
}

TEST(PluginIdentifiers, PlaceholdersAreNamedFromTheMissingPlugin)
{
    const PlaceholderIdentifier au = PlaceholderIdentifier::From("", L"au:aufx:dcmp:appl");
    EXPECT_EQ(au.displayName, L"Apple AudioUnit");
    EXPECT_EQ(au.Identifier(L"#1"), L"placeholder:aufx:dcmp:appl#1");

    EXPECT_EQ(PlaceholderIdentifier::From("", L"vst2:Comp:1234").displayName, L"Comp");
    // The scheme is found anywhere, in the fixed order of schemes.
    const PlaceholderIdentifier inner = PlaceholderIdentifier::From("x", L"old/vst3:tfd:Gate");
    EXPECT_EQ(inner.prefix, L"vst3:");
    EXPECT_EQ(inner.tail, L"tfd:Gate");

    const PlaceholderIdentifier unknown = PlaceholderIdentifier::From("Name", L"midi:thing");
    EXPECT_EQ(unknown.displayName, L"Unknown");
    EXPECT_EQ(unknown.prefix, L"placeholder:");
    EXPECT_EQ(unknown.Identifier(L"_7"), L"placeholder:_7");
}

TEST(PluginIdentifiers, WidthTestFollowsNameWidthAndFormat)
{
    const std::uint32_t mono = 1, stereo = 2, fiveOne = 6, sevenOne = 8, ambisonic = 16, noFormat = 99;
    // A narrower plug-in fits, a wider one or one whose name says otherwise does not.
    EXPECT_TRUE(Entry(L"Chorus", 2).IsWidthCompatible(mono, 1));
    EXPECT_FALSE(Entry(L"Chorus", 2).IsWidthCompatible(fiveOne, 6));
    EXPECT_TRUE(Entry(L"Chorus", 0).IsWidthCompatible(fiveOne, 6));
    EXPECT_FALSE(Entry(L"Gate (m)", 1).IsWidthCompatible(stereo, 2));
    EXPECT_FALSE(Entry(L"Up 5.1", 0).IsWidthCompatible(sevenOne, 8));
    // A width equal to the channel count wins over the name.
    EXPECT_TRUE(Entry(L"Up 5.1", 8).IsWidthCompatible(sevenOne, 8));
    // Ambisonic plug-ins only go on ambisonic tracks, LFE ones on tracks with an LFE.
    EXPECT_TRUE(Entry(L"Decoder", 0, 0x2).IsWidthCompatible(ambisonic, 4));
    EXPECT_FALSE(Entry(L"Decoder", 0, 0x2).IsWidthCompatible(stereo, 2));
    EXPECT_TRUE(Entry(L"LFE Filter", 1).IsWidthCompatible(fiveOne, 6));
    EXPECT_FALSE(Entry(L"LFE Filter", 6).IsWidthCompatible(5, 5));
    // Without a format record only the channel count counts.
    EXPECT_TRUE(Entry(L"Ambisonics Rotator", 4).IsWidthCompatible(noFormat, 4));
}
