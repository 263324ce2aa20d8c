#pragma once

#include "core/common/latin_key.h"

#include <QKeyEvent>

// The key of `event` by its physical place: the Latin letter in any layout.
// Every key handler reads keys through this, so letter shortcuts do not
// depend on the active keyboard layout.
inline int latinKeyOf(const QKeyEvent *event)
{
    return latinKeyFor(event->key(), event->nativeVirtualKey(), event->nativeScanCode(),
                       event->modifiers());
}
