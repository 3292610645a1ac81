#pragma once

#include "Main/AudioEngineController/Effects/VST3/Abi/Base.h"

#include <atomic>

// What every object we hand to a plug-in shares: one reference count for all
// the interfaces it offers, 1 for its creator, and deletion by the release
// that brings it to 0. queryInterface answers FUnknown, through the first
// interface, and each listed interface, adding a reference.
template <class Primary, class... Others> class VST3Object : public Primary, public Others...
{
public:
    VST3Object() = default;
    VST3Object(const VST3Object&) = delete;
    VST3Object& operator=(const VST3Object&) = delete;

    vst3::tresult queryInterface(const vst3::TUID interfaceId, void** obj) override
    {
        if (!obj)
            return vst3::kInvalidArgument;
        if (Offer(interfaceId, obj))
            return vst3::kResultOk;
        *obj = nullptr;
        return vst3::kNoInterface;
    }

    vst3::uint32 addRef() override { return ++m_refCount; }

    vst3::uint32 release() override
    {
        const vst3::uint32 left = --m_refCount;
        if (left == 0)
            delete this;
        return left;
    }

protected:
    virtual ~VST3Object() = default;

    // For objects that answer for more than their own interfaces.
    bool Offer(const vst3::TUID interfaceId, void** obj)
    {
        if (vst3::uidEqual(interfaceId, vst3::FUnknown::iid))
            return Hand<Primary>(obj);
        return OfferOne<Primary>(interfaceId, obj) || (OfferOne<Others>(interfaceId, obj) || ...);
    }

    // One interface with a reference added; an interface that sits under
    // several of the object's is handed through the one named by Via.
    template <class Interface, class Via = Interface> bool Hand(void** obj)
    {
        addRef();
        *obj = static_cast<Interface*>(static_cast<Via*>(this));
        return true;
    }

private:
    template <class Interface> bool OfferOne(const vst3::TUID interfaceId, void** obj)
    {
        return vst3::uidEqual(interfaceId, Interface::iid) && Hand<Interface>(obj);
    }

    std::atomic<vst3::uint32> m_refCount{1};
};
