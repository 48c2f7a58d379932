#pragma once
// Events: nullable, comparable closures of an object and one of its member functions.
// A closure can also wrap a callable (for tests and glue code); such closures compare equal only to copies of
// themselves.

#include <cstring>
#include <functional>
#include <memory>
#include <type_traits>
#include <utility>

template <typename Signature>
class Closure;

template <typename R, typename... A>
class Closure<R(A...)> {
public:
    Closure() = default;
    Closure(std::nullptr_t) {}

    template <typename C, typename M>
        requires std::is_base_of_v<M, C>
    Closure(C* object, R (M::*method)(A...))
    {
        Bind(static_cast<M*>(object), method);
    }

    template <typename C, typename M>
        requires std::is_base_of_v<M, C>
    Closure(const C* object, R (M::*method)(A...) const)
    {
        Bind(static_cast<const M*>(object), method);
    }

    template <typename F>
        requires(std::is_invocable_r_v<R, F&, A...> && !std::is_same_v<std::decay_t<F>, Closure> &&
                 !std::is_same_v<std::decay_t<F>, std::nullptr_t>)
    static Closure From(F&& f)
    {
        Closure c;
        c.callable_ = std::make_shared<std::function<R(A...)>>(std::forward<F>(f));
        return c;
    }

    explicit operator bool() const { return invoke_ != nullptr || callable_ != nullptr; }

    R operator()(A... args) const
    {
        if (callable_) return (*callable_)(std::forward<A>(args)...);
        if (invoke_) return invoke_(object_, method_, std::forward<A>(args)...);
        if constexpr (!std::is_void_v<R>) return R();
    }

    // The object a member closure is bound to (nullptr otherwise): lets a component drop events of a freed peer.
    void* Object() const { return object_; }

    friend bool operator==(const Closure& a, const Closure& b)
    {
        return a.object_ == b.object_ && a.invoke_ == b.invoke_ && a.callable_ == b.callable_ &&
               std::memcmp(a.method_, b.method_, sizeof a.method_) == 0;
    }

private:
    struct Dummy {
        void f();
    };
    static constexpr std::size_t MethodSize = 2 * sizeof(void (Dummy::*)());
    using Invoker = R (*)(void*, const unsigned char*, A...);

    template <typename M, typename P>
    void Bind(M* object, P method)
    {
        static_assert(sizeof(P) <= MethodSize, "member pointer too large");
        object_ = const_cast<void*>(static_cast<const void*>(object));
        std::memcpy(method_, &method, sizeof(P));
        invoke_ = [](void* o, const unsigned char* m, A... args) -> R {
            P p;
            std::memcpy(&p, m, sizeof(P));
            return (static_cast<M*>(o)->*p)(std::forward<A>(args)...);
        };
    }

    void* object_ = nullptr;
    unsigned char method_[MethodSize] = {};
    Invoker invoke_ = nullptr;
    std::shared_ptr<std::function<R(A...)>> callable_;
};

class TObject;
using TNotifyEvent = Closure<void(TObject* Sender)>;
