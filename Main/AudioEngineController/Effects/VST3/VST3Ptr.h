#pragma once

#include "Main/AudioEngineController/Effects/VST3/Abi/Base.h"
#include "Main/AudioEngineController/Effects/VST3/VST3Guard.h"

#include <utility>

// One reference to a plug-in's object, owned: given back under the fault
// guard when the pointer lets go, so that a plug-in faulting in its release
// costs a trace line, not the host.
template <class Interface> class VST3Ptr
{
public:
    VST3Ptr() = default;
    // Takes over a reference the caller owns.
    explicit VST3Ptr(Interface* adopted) : m_object(adopted) {}
    ~VST3Ptr() { Reset(); }
    // Takes a reference of its own to an object someone else holds.
    static VST3Ptr Share(VST3Guard& guard, Interface* object)
    {
        if (object)
            guard.Run("addRef", [object] { object->addRef(); });
        return VST3Ptr(object);
    }
    VST3Ptr(VST3Ptr&& other) noexcept : m_object(std::exchange(other.m_object, nullptr)) {}
    VST3Ptr& operator=(VST3Ptr&& other) noexcept
    {
        if (this != &other)
            Reset(std::exchange(other.m_object, nullptr));
        return *this;
    }
    VST3Ptr(const VST3Ptr&) = delete;
    VST3Ptr& operator=(const VST3Ptr&) = delete;

    Interface* Get() const { return m_object; }
    Interface* operator->() const { return m_object; }
    explicit operator bool() const { return m_object != nullptr; }

    void Reset(Interface* adopted = nullptr)
    {
        if (Interface* held = std::exchange(m_object, adopted))
            VST3Guard().Run("release", [held] { held->release(); });
    }

    // The object's answer for another interface, with a reference of its own.
    template <class Other> VST3Ptr<Other> Query(VST3Guard& guard) const
    {
        return VST3Ptr<Other>::QueryFrom(guard, m_object);
    }

    static VST3Ptr QueryFrom(VST3Guard& guard, vst3::FUnknown* object)
    {
        if (!object)
            return {};
        void* obj = nullptr;
        const vst3::tresult answer = guard.Call("queryInterface", vst3::kNoInterface,
                                                [&] { return object->queryInterface(Interface::iid, &obj); });
        return VST3Ptr(answer == vst3::kResultOk ? static_cast<Interface*>(obj) : nullptr);
    }

private:
    Interface* m_object = nullptr;
};
