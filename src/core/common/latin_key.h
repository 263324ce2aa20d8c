#pragma once

#include <QtCore/qnamespace.h>
#include <QtGlobal>

// The Latin letter key of the physical key pressed, so that letter shortcuts
// (Ctrl+F, Ctrl+Z, the bare F, L and C jump keys) work by the key's place in
// any keyboard layout, as they do in the US layout.
//
// `qtKey` is returned unchanged when it is not a letter of another script:
// Latin letters, function keys, Return, arrows. For a non-Latin letter the
// Latin key of the same physical key is taken from, in this order:
// - `nativeVirtualKey` when it is a Windows virtual key of a letter (those
//   stay Latin in every layout);
// - `nativeScanCode` as an X11 / Wayland key code (evdev plus 8) when
//   `nativeVirtualKey` is a non-Latin X key symbol;
// - the standard Russian layout (ЙЦУКЕН) when the platform gives no native
//   codes at all, as synthesized events do.
// A key of the number block (Qt::KeypadModifier) is never a letter.
int latinKeyFor(int qtKey, quint32 nativeVirtualKey, quint32 nativeScanCode,
                Qt::KeyboardModifiers modifiers);

// The Latin key of a Cyrillic Qt key in the standard Russian layout, or 0.
int latinKeyOfRussianLayout(int qtKey);
