#include "Platform/FaultGuard.h"

#include <csignal>
#include <gtest/gtest.h>
#include <stdexcept>
#include <string>
#include <thread>

namespace
{
// Kept out of line and volatile so the compiler cannot see the faults coming,
// and out of the sanitizer's sight, since faulting is their point.
__attribute__((noinline, no_sanitize_undefined)) int WriteThrough(volatile int* volatile target)
{
    *target = 42;
    return *target;
}

volatile int g_quotient = 0;

__attribute__((noinline, no_sanitize_undefined)) void Divide(volatile int numerator, volatile int denominator)
{
    g_quotient = numerator / denominator;
}

// Recurses until the stack runs out.
__attribute__((noinline, no_sanitize_undefined)) int Bottomless(volatile int depth)
{
    volatile char frame[1024];
    frame[0] = char(depth);
    if (depth < 0) // never: keeps the compiler from calling this endless
        return 0;
    return Bottomless(depth + 1) + frame[0];
}

std::string MessageOf(void (*fault)())
{
    try
    {
        Platform::GuardedCall(fault);
    }
    catch (const std::runtime_error& e)
    {
        return e.what();
    }
    return "no exception";
}
} // namespace

TEST(FaultGuardTest, FaultsBecomeExceptionsOthersPassAndTheThreadGoesOn)
{
    std::thread(
        []
        {
            Platform::InstallFaultTranslator();
            EXPECT_EQ(MessageOf([] { WriteThrough(nullptr); }), "SE Exception: Access Violation");
            EXPECT_EQ(MessageOf([] { Divide(1, 0); }), "SE Exception: 0xC0000094");
            EXPECT_EQ(MessageOf([] { __builtin_trap(); }), "SE Exception: 0xC000001D");
            // Caught on the alternate stack.
            EXPECT_EQ(MessageOf([] { Bottomless(0); }), "SE Exception: Access Violation");
            EXPECT_THROW(Platform::GuardedCall([] { throw std::logic_error("plain"); }), std::logic_error);
            // A nested guard catches its own fault; the outer one carries on.
            EXPECT_EQ(Platform::GuardedCall([] { return MessageOf([] { WriteThrough(nullptr); }); }),
                      "SE Exception: Access Violation");
            // Still usable after the faults, and results come back unchanged.
            int value = 0;
            EXPECT_EQ(Platform::GuardedCall([&] { return WriteThrough(&value); }), 42);
        })
        .join();
}

// Signals sent by hand are no faults; threads without the translator still crash.
TEST(FaultGuardDeathTest, OnlyFaultsOnThreadsWithTheTranslatorAreCaught)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_DEATH(
        {
            Platform::InstallFaultTranslator();
            Platform::GuardedCall([] { std::raise(SIGSEGV); });
        },
        "");
    EXPECT_DEATH(
        {
            std::thread([] { Platform::InstallFaultTranslator(); }).join();
            Platform::GuardedCall([] { WriteThrough(nullptr); });
        },
        "");
}
