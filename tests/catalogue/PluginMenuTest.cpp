#include "CatalogueTestSupport.h"
#include "Core/BaseLib/AudioPlugins/PluginMenuBuilder.h"

#include <QMenu>
#include <gtest/gtest.h>
#include <memory>

using namespace CatalogueTest;

namespace
{
PluginListEntry Entry(const std::wstring& name, std::uint32_t mask, std::uint32_t favourite = 0,
                      std::uint32_t flags = 0, std::int32_t width = 0)
{
    PluginListEntry entry;
    entry.name = name;
    entry.categoryMask = mask;
    entry.favourite = favourite;
    entry.flags = flags;
    entry.width = width;
    return entry;
}

QStringList Describe(const PluginList& source, const PluginMenuFilter& filter, std::int32_t track = 0,
                     bool includeChain = true)
{
    PluginList list = source;
    PluginMenuData data;
    data.Rebuild(list);
    const std::unique_ptr<QMenu> menu(PluginMenuBuilder(data, filter).Build(track, nullptr, includeChain));
    return DescribeMenu(*menu);
}

PluginList MixedList()
{
    PluginList list;
    list["tfd"][L"t-verb"] = Entry(L"Hall", kReverb, 1);
    list["tfd"][L"t-eq"] = Entry(L"Band EQ", kEq);
    list["vst"][L"v-verb"] = Entry(L"Plate", kReverb | kDelay, 1);
    list["vst"][L"v-eq"] = Entry(L"alpha EQ", kEq);
    list["vst"][L"v-eq2"] = Entry(L"Zeta EQ", kEq);
    list["vst"][L"v-none"] = Entry(L"Loose", 0);
    list["vst"][L"v-dash"] = Entry(L"Dashed", 1);
    list["vst"][L"v-synth"] = Entry(L"Synth", kInstrument);
    list["chain"][L"Chain FX:1413890920@Warm"] = Entry(L"Warm", 16);
    return list;
}
} // namespace

TEST(PluginMenu, FavouritesFirstThenCategoriesWithTypeSubmenusWhereShared)
{
    const QStringList expected = {
        "Hall = tfd:t-verb",
        "Plate = vst:v-verb",
        "----",
        "Chain FX/",
        "  Warm = chain:Chain FX:1413890920@Warm",
        "Delay/",
        "  Plate = vst:v-verb",
        "EQ/",
        "  Quillmore FX/",
        "    Band EQ = tfd:t-eq",
        "  VST/",
        "    alpha EQ = vst:v-eq",
        "    Zeta EQ = vst:v-eq2",
        "Instrument/",
        "  Synth = vst:v-synth",
        "Reverb/",
        "  Quillmore FX/",
        "    Hall = tfd:t-verb",
        "  VST/",
        "    Plate = vst:v-verb",
        "Uncategorized/",
        "  Loose = vst:v-none",
    };
    EXPECT_EQ(Describe(MixedList(), PluginMenuFilter()), expected);

    // Tracks that take no instrument, and menus without chain presets, leave those categories out.
    const QStringList menu = Describe(MixedList(), PluginMenuFilter(), 3, false);
    EXPECT_FALSE(menu.contains("Instrument/"));
    EXPECT_FALSE(menu.contains("Chain FX/"));
    EXPECT_TRUE(Describe(MixedList(), PluginMenuFilter(), -2).contains("Instrument/"));
}

// Ids are compared case-insensitively: the first of two in id order stays.
// The sample rate and width filters apply as the track asks.
TEST(PluginMenu, HiddenDisabledAndDuplicateEntriesStayOutAndFiltersApply)
{
    PluginList list;
    list["vst"][L"dup"] = Entry(L"Echo", kDelay);
    list["vst"][L"DUP"] = Entry(L"Echo Again", kDelay, 0, 0, 6);
    list["vst"][L"hidden"] = Entry(L"Hidden", kDelay, 1, 2);
    list["vst"][L"broken"] = Entry(L"Broken", kDelay);
    list["vst"][L"broken"].state = PluginListEntry::State::NotWorking;
    list["vst"][L"disabled"] = Entry(L"Disabled", kDelay, 1);
    list["vst"][L"disabled"].state = PluginListEntry::State::Disabled;
    list["tfd"][L"hidden"] = Entry(L"Hidden Too", kDelay, 0, 4);
    list["vst"][L"lo"] = Entry(L"Vintage", kDelay, 0, PluginListEntry::kHiddenAbove48k);
    list["vst"][L"mono"] = Entry(L"Gate (m)", kDelay, 0, 0, 1);

    PluginMenuFilter filter;
    EXPECT_EQ(Describe(list, filter), QStringList({"Delay/", "  Echo Again = vst:DUP",
                                                   "  Gate (m) = vst:mono", "  Vintage = vst:lo"}));
    filter.sampleRate = 96000;
    filter.widthFiltering = true;
    filter.channelFormat = 2;
    filter.channels = 2;
    EXPECT_EQ(Describe(list, filter), QStringList({"Delay/", "  Echo Again = vst:DUP"}));
}
