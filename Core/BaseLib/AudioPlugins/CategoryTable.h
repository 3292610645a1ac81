#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

// What a category key stands for at run time.
struct CategoryInfo
{
    std::uint32_t runtimeBit = 0;
    std::string name;
};

// The 28 plug-in categories and the two encodings of a category mask: the
// file form (bit = table index), written to and read from files, and the
// runtime form (bit = alphabetical position of the display name), held
// everywhere in memory. Built once per process on first use, so that the
// format hosts can translate masks before the catalogue is initialised.
class CategoryTable
{
public:
    struct Row
    {
        const char* name;
        const wchar_t* key;
    };
    static constexpr int kCount = 28;
    static constexpr int kInstrumentIndex = 7;
    static constexpr int kAmbisonicsIndex = 26;
    // The runtime value of "-", the category of a plug-in without one.
    static constexpr std::uint32_t kNoCategory = 1;
    // The runtime bit of "Chain FX", the category of every chain preset.
    static constexpr int kChainFxBit = 4;
    static constexpr std::uint32_t kChainFx = 1u << kChainFxBit;
    // Index 0 is never used; 1 to 28 are the categories.
    static const std::array<Row, kCount + 1> kRows;

    static const CategoryTable& Instance();

    std::uint32_t FileMaskToRuntime(std::uint32_t fileMask) const;
    std::uint32_t RuntimeMaskToFile(std::uint32_t runtimeMask) const;
    // Rewrites the plug-in's own category description by the rename table
    // (in place) and returns the runtime bits of every display name found in it.
    std::uint32_t CategoryMaskFromText(std::string& text) const;
    // A metadata "category" attribute: "|"-separated keys; 1 when none is known.
    std::uint32_t CategoryMaskFromKeys(const std::wstring& keys) const;
    bool IsInstrumentMask(std::uint32_t runtimeMask) const;
    bool IsAmbisonicMask(std::uint32_t runtimeMask) const;

    // Display names in runtime-bit order: entry n names runtime bit n.
    const std::vector<std::string>& NameList() const { return m_names; }
    const std::map<std::wstring, CategoryInfo>& KeyMap() const { return m_keys; }
    int InstrumentBit() const { return m_instrumentBit; }

private:
    CategoryTable();

    std::vector<std::string> m_names;
    std::map<std::wstring, CategoryInfo> m_keys;
    std::map<std::uint32_t, std::uint32_t> m_fileToRuntime;
    std::map<std::uint32_t, std::uint32_t> m_runtimeToFile;
    int m_instrumentBit = 0;
    int m_ambisonicsBit = 0;
};
