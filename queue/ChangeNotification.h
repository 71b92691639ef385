#pragma once

#include <utility>

namespace zurbo {

// Stores `value` in `field` and emits `changed` on `object`, only when the
// value really differs, so observers never hear of a change that did not happen.
template <typename Object, typename Field, typename Value>
void assignAndNotify(Object* object, Field& field, Value&& value, void (Object::*changed)())
{
    if (field != value) {
        field = std::forward<Value>(value);
        (object->*changed)();
    }
}

} // namespace zurbo
