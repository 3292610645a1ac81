#include "Platform/FaultGuard.h"

#include <csetjmp>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <stdexcept>

namespace Platform
{
namespace
{
// The exception codes a Windows build reports for the same faults, so the
// messages stay the same on every platform.
constexpr unsigned kAccessViolation = 0xC0000005;
constexpr unsigned kIllegalInstruction = 0xC000001D;
constexpr unsigned kIntegerDivideByZero = 0xC0000094;
constexpr unsigned kIntegerOverflow = 0xC0000095;
constexpr unsigned kFloatDivideByZero = 0xC000008E;
constexpr unsigned kFloatInvalidOperation = 0xC0000090;
constexpr unsigned kFloatOverflow = 0xC0000091;
constexpr unsigned kFloatUnderflow = 0xC0000093;
constexpr unsigned kFloatInexactResult = 0xC000008F;

struct GuardFrame
{
    sigjmp_buf environment;
    GuardFrame* outer;
    unsigned code;
};

// Each thread keeps its own alternate stack, so a fault caused by a blown
// stack can still be handled.
struct AlternateStack
{
    static constexpr size_t kSize = 64 * 1024;
    char* memory = nullptr;

    void Install()
    {
        memory = static_cast<char*>(std::malloc(kSize));
        stack_t stack{};
        stack.ss_sp = memory;
        stack.ss_size = kSize;
        sigaltstack(&stack, nullptr);
    }
    ~AlternateStack()
    {
        if (!memory)
            return;
        stack_t stack{};
        stack.ss_flags = SS_DISABLE;
        sigaltstack(&stack, nullptr);
        std::free(memory);
    }
};

thread_local bool t_installed = false;
thread_local GuardFrame* t_innermost = nullptr;
thread_local AlternateStack t_alternateStack;

unsigned CodeForArithmeticFault(int code)
{
    switch (code)
    {
    case FPE_INTOVF:
        return kIntegerOverflow;
    case FPE_FLTDIV:
        return kFloatDivideByZero;
    case FPE_FLTINV:
        return kFloatInvalidOperation;
    case FPE_FLTOVF:
        return kFloatOverflow;
    case FPE_FLTUND:
        return kFloatUnderflow;
    case FPE_FLTRES:
        return kFloatInexactResult;
    default:
        return kIntegerDivideByZero;
    }
}

unsigned CodeForSignal(int signal, const siginfo_t* info)
{
    switch (signal)
    {
    case SIGILL:
        return kIllegalInstruction;
    case SIGFPE:
        return CodeForArithmeticFault(info->si_code);
    default:
        return kAccessViolation;
    }
}

void OnFault(int signal, siginfo_t* info, void*)
{
    GuardFrame* frame = t_innermost;
    // A signal another process or raise() sent (si_code <= 0) is no fault of
    // the code running here.
    const bool sentByHand = info->si_code <= 0;
    if (!frame || sentByHand)
    {
        // Not ours to handle: the default action, raised again by the
        // returning faulting instruction or at once for a sent signal.
        std::signal(signal, SIG_DFL);
        if (sentByHand)
            std::raise(signal);
        return;
    }
    t_innermost = frame->outer;
    frame->code = CodeForSignal(signal, info);
    siglongjmp(frame->environment, 1);
}

void InstallHandlers()
{
    struct sigaction action
    {
    };
    action.sa_sigaction = OnFault;
    action.sa_flags = SA_SIGINFO | SA_ONSTACK | SA_NODEFER;
    sigemptyset(&action.sa_mask);
    for (int signal : {SIGSEGV, SIGBUS, SIGILL, SIGFPE})
        sigaction(signal, &action, nullptr);
}

std::string MessageFor(unsigned code)
{
    if (code == kAccessViolation)
        return "SE Exception: Access Violation";
    char text[32];
    std::snprintf(text, sizeof text, "SE Exception: 0x%08X", code);
    return text;
}
} // namespace

void InstallFaultTranslator()
{
    static std::once_flag handlersInstalled;
    std::call_once(handlersInstalled, InstallHandlers);
    if (t_installed)
        return;
    t_alternateStack.Install();
    t_installed = true;
}

void RunGuarded(void (*fn)(void*), void* context)
{
    if (!t_installed)
    {
        fn(context);
        return;
    }
    GuardFrame frame;
    frame.outer = t_innermost;
    frame.code = 0;
    // The handler runs with SA_NODEFER and an empty mask, so the jump back
    // finds the signal mask as it was; not saving it keeps a syscall off
    // every guarded call, which the processing path makes per block.
    if (sigsetjmp(frame.environment, 0) == 0)
    {
        t_innermost = &frame;
        try
        {
            fn(context);
        }
        catch (...)
        {
            t_innermost = frame.outer;
            throw;
        }
        t_innermost = frame.outer;
        return;
    }
    // Back from the fault handler, which already popped this frame.
    throw std::runtime_error(MessageFor(frame.code));
}
} // namespace Platform
