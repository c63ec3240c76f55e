#pragma once
#include <QColor>

#include "platform/ui/Color.h"

inline QColor toQColor(const Color& c) { return QColor::fromRgbF(c.r, c.g, c.b, c.a); }
