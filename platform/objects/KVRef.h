// A strong reference to a reference-counted object: retains on copy,
// releases on destruction, so ownership never has to be tracked by hand.
#pragma once

#include <cstddef>
#include <utility>

template <class T>
class Ref {
public:
    Ref() = default;
    Ref(std::nullptr_t) {}
    // Taking a raw pointer retains it, like assigning to a strong variable.
    Ref(T* object) : object_(object) { if (object_) object_->retain(); }
    Ref(const Ref& other) : Ref(other.object_) {}
    Ref(Ref&& other) noexcept : object_(other.object_) { other.object_ = nullptr; }
    template <class U>
    Ref(const Ref<U>& other) : Ref(static_cast<T*>(other.get())) {}
    template <class U>
    Ref(Ref<U>&& other) noexcept : object_(other.leak()) {}
    ~Ref() { if (object_) object_->release(); }

    Ref& operator=(Ref other) noexcept { std::swap(object_, other.object_); return *this; }

    // Takes over a reference the caller already owns (a new object).
    static Ref adopt(T* object) { Ref r; r.object_ = object; return r; }

    T* get() const { return object_; }
    T* operator->() const { return object_; }
    T& operator*() const { return *object_; }
    explicit operator bool() const { return object_ != nullptr; }

    // Gives up the reference without releasing it; the caller now owns it.
    T* leak() { T* o = object_; object_ = nullptr; return o; }

private:
    T* object_ = nullptr;
};

template <class T, class U>
bool operator==(const Ref<T>& a, const Ref<U>& b) { return a.get() == b.get(); }
template <class T, class U>
bool operator!=(const Ref<T>& a, const Ref<U>& b) { return a.get() != b.get(); }
template <class T>
bool operator==(const Ref<T>& a, std::nullptr_t) { return a.get() == nullptr; }
template <class T>
bool operator!=(const Ref<T>& a, std::nullptr_t) { return a.get() != nullptr; }

template <class T, class... Args>
Ref<T> makeRef(Args&&... args)
{
    return Ref<T>::adopt(new T(std::forward<Args>(args)...));
}
