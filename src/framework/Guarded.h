#pragma once

#include <type_traits>
#include <utility>

#include "framework/Application.h"

// A handler connected to a signal runs inside Qt's own frames, which no error
// may cross: the wrapper catches it where it arises and shows the error box.
template <typename Handler>
class GuardedHandler {
public:
    explicit GuardedHandler(Handler handler) : m_handler(std::move(handler)) {}

    // Only callable with arguments the handler takes, so that a signal with
    // more arguments than the handler wants connects as to the bare handler.
    template <typename... Args>
    auto operator()(Args&&... args) const
        -> decltype(std::declval<const Handler&>()(std::forward<Args>(args)...), void())
    {
        TApplication::Guard([&] { m_handler(std::forward<Args>(args)...); });
    }

private:
    Handler m_handler;
};

template <typename Handler>
GuardedHandler<std::decay_t<Handler>> Guarded(Handler&& handler)
{
    return GuardedHandler<std::decay_t<Handler>>(std::forward<Handler>(handler));
}

// A member handler: Guarded(this, &TfrmMain::lblFileOpenClick).
template <typename Object, typename Class, typename... Params>
auto Guarded(Object* object, void (Class::*handler)(Params...))
{
    return [object, handler](Params... args) {
        TApplication::Guard([&] { (object->*handler)(std::forward<Params>(args)...); });
    };
}
