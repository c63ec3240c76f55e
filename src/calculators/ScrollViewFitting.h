#pragma once
#include "platform/ui/NavigationBar.h"
#include "platform/ui/ScrollView.h"

/// The size of a screen's main view on a phone: the phone-shaped window of the interface files.
inline constexpr Size kPhoneMainViewSize{390, 760};

/// Fits a form's scroll view on opening. On a tablet (`tablet`) it gets the fixed `tabletBounds` and `tabletContent`; on a
/// phone it fills the main view below the navigation bar (whole points) and scrolls over the size the interface
/// file gave it, which is remembered before the change.
void fitScrollViewToDevice(ScrollView& scroll, const NavigationBar& bar, bool tablet, Size tabletBounds,
                           Size tabletContent);
