/*
 * Our own definitions of the VST 2.4 plug-in binary interface: basic types and shared macros.
 *
 * A VST 2 plug-in is a shared library whose entry point ("VSTPluginMain", or "main" in old
 * plug-ins) takes the host's callback and returns an AEffect. Everything after that goes through
 * the AEffect's function pointers and the host callback, with integer opcodes. Names, numbers and
 * layouts below are the published ones, because plug-ins compiled years ago depend on them bit for
 * bit; the static assertions in each header pin the layouts that we know from the published interface.
 *
 * These headers split the interface by topic. They are self-contained on purpose: the engine, the
 * fixture plug-ins (built as C++) and small C tools include them, so they include nothing of ours but
 * each other and only use C constructs that C++ accepts.
 */
#ifndef PLUGSWEEP_VST_ABI_TYPES_H
#define PLUGSWEEP_VST_ABI_TYPES_H

#include <stddef.h>
#include <stdint.h>

/* The callbacks cross a C boundary, so their function types get C language linkage in C++. */
#ifdef __cplusplus
#define VST_C_LINKAGE extern "C"
#else
#define VST_C_LINKAGE
#endif

/* Layout checks. A mismatch here means every plug-in would read garbage, so fail the build instead. */
#ifdef __cplusplus
#define VST_ABI_STATIC_ASSERT(condition, message) static_assert(condition, message)
#else
#define VST_ABI_STATIC_ASSERT(condition, message) _Static_assert(condition, message)
#endif

/* ------------------------------------------------------------------------------------------------
 * Basic types. Fixed widths rather than int/long: the interface is defined in 32-bit integers and
 * pointer-sized integers, whatever the compiler's long is.
 */
typedef int16_t VstInt16;
typedef int32_t VstInt32;
typedef int64_t VstInt64;
typedef intptr_t VstIntPtr;

/* Four-character codes are stored big-end first: 'VstP' is 0x56737450. Spelled out instead of a
 * multi-character literal, whose value is implementation-defined and which compilers warn about. */
#define VST_FOURCC(a, b, c, d)                                                                               \
    ((VstInt32)(((uint32_t)(uint8_t)(a) << 24) | ((uint32_t)(uint8_t)(b) << 16) |                            \
                ((uint32_t)(uint8_t)(c) << 8) | ((uint32_t)(uint8_t)(d))))

enum
{
    kEffectMagic = VST_FOURCC('V', 's', 't', 'P'), /* AEffect.magic of every valid plug-in */
    kVstVersion = 2400                             /* what a 2.4 host answers to audioMasterVersion */
};

/* ------------------------------------------------------------------------------------------------
 * Text buffer sizes, terminator included. Plug-ins are known to overrun them, which is why our
 * host hands out larger buffers and terminates what comes back itself.
 */
enum VstStringConstants
{
    kVstMaxProgNameLen = 24,
    kVstMaxParamStrLen = 8,
    kVstMaxVendorStrLen = 64,
    kVstMaxProductStrLen = 64,
    kVstMaxEffectNameLen = 32,
    kVstMaxNameLen = 64,
    kVstMaxLabelLen = 64,
    kVstMaxShortLabelLen = 8,
    kVstMaxCategLabelLen = 24,
    kVstMaxFileNameLen = 100
};

VST_ABI_STATIC_ASSERT(kEffectMagic == 0x56737450, "magic is 'VstP'");
VST_ABI_STATIC_ASSERT(sizeof(VstInt32) == 4 && sizeof(VstIntPtr) == sizeof(void*), "integer widths");

#endif /* PLUGSWEEP_VST_ABI_TYPES_H */
