#pragma once

#include <optional>
#include <type_traits>
#include <utility>

// Turns hardware faults raised inside plug-in code into C++ exceptions.
//
// A thread that installed the translator runs plug-in calls through
// GuardedCall(); a segmentation fault, bus error, illegal instruction or
// arithmetic fault inside such a call unwinds to the call and is thrown as
// std::runtime_error("SE Exception: ..."), so that the caller's ordinary
// catch clauses survive a crashing plug-in. Faults on threads without the
// translator, or outside a guarded call, keep their default (fatal) action.
namespace Platform
{
// Installs the translator for the calling thread (idempotent).
void InstallFaultTranslator();

// Runs fn(context) under the guard; throws std::runtime_error on a fault.
void RunGuarded(void (*fn)(void*), void* context);

template <class F> auto GuardedCall(F&& f) -> decltype(f())
{
    using Result = decltype(f());
    if constexpr (std::is_void_v<Result>)
    {
        RunGuarded([](void* c) { (*static_cast<std::remove_reference_t<F>*>(c))(); }, &f);
    }
    else
    {
        struct Call
        {
            std::remove_reference_t<F>* f;
            std::optional<Result> result;
        } call{&f, std::nullopt};
        RunGuarded(
            [](void* c)
            {
                auto* call = static_cast<Call*>(c);
                call->result.emplace((*call->f)());
            },
            &call);
        return std::move(*call.result);
    }
}
} // namespace Platform
