#pragma once

#include <atomic>
#include <cstdint>

// Carries a VObject's reference count in an object of its own.
struct VObjectPointerCount
{
    std::atomic<std::int32_t> count{1};
};

// The engine's reference-counted object base. A new object holds one
// reference, owned by its creator; Release() deletes it at zero.
class VObject
{
public:
    VObject() : m_count(new VObjectPointerCount) {}
    virtual ~VObject() { delete m_count; }
    VObject(const VObject&) = delete;
    VObject& operator=(const VObject&) = delete;

    virtual const char* ClassName() const { return "VObject"; }

    void AddRef() { m_count->count.fetch_add(1); }
    void Release()
    {
        if (m_count->count.fetch_sub(1) == 1)
            delete this;
    }

private:
    VObjectPointerCount* m_count;
};

// A shared reference to a VObject.
template <class T> class VRef
{
public:
    VRef() = default;
    // Adopts the creation reference of a new object.
    static VRef Adopt(T* object)
    {
        VRef ref;
        ref.m_object = object;
        return ref;
    }
    VRef(const VRef& other) : m_object(other.m_object)
    {
        if (m_object)
            m_object->AddRef();
    }
    VRef& operator=(VRef other)
    {
        std::swap(m_object, other.m_object);
        return *this;
    }
    ~VRef()
    {
        if (m_object)
            m_object->Release();
    }

    T* operator->() const { return m_object; }
    T* get() const { return m_object; }
    explicit operator bool() const { return m_object != nullptr; }

private:
    T* m_object = nullptr;
};
