#pragma once

#include <cstdarg>
#include <cstdint>
#include <vector>

// A switchable trace channel. Channels are static objects created before the
// process entry runs; a channel whose level is 0 and that does not copy to the
// debugger costs one test and formats nothing. Callers that build costly
// arguments test bit 0 of Level themselves first.
class SDebug
{
public:
    SDebug(const char* name, const char* comment, std::int32_t level, bool toDbger, bool secondFlag = false,
           std::uint32_t firstValue = 0, std::uint32_t secondValue = 0, std::uint8_t smallValue = 0);

    void Debug(const char* format, ...) __attribute__((format(printf, 2, 3)));
    // The wide form serves the host application's callers that trace wide text.
    void Debug(const wchar_t* format, ...);
    void Debug(std::int32_t level, const char* format, ...) __attribute__((format(printf, 3, 4)));

    char Name[32];
    char Comment[256];
    std::int32_t Level;
    bool ToDbger;
    bool SecondFlag;
    std::uint8_t SmallValue;
    std::int32_t DefaultLevel;
    bool DefaultToDbger;
    std::uint32_t Index = 0;
    std::uint32_t FirstValue;
    std::uint32_t SecondValue;
    bool Kept;
    bool Always = false;

private:
    void Emit(std::int32_t level, const char* format, va_list args);
};

// Every channel of the process, in registration order.
class SDebugsHolder
{
public:
    static SDebugsHolder& Instance();
    void Register(SDebug* channel);
    const std::vector<SDebug*>& Channels() const { return m_channels; }

private:
    std::vector<SDebug*> m_channels;
};

// Traces the calls between the VST 2 host and its plug-ins.
extern SDebug g_vstDispatchDebug;
