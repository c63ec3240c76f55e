#include "calculators/ScrollViewFitting.h"

#include <cmath>

#include "app/VelkaroAppDelegate.h"

void fitScrollViewToDevice(ScrollView& scroll, const NavigationBar& bar, Size tabletBounds, Size tabletContent) {
    const Size fromInterfaceFile = scroll.bounds();
    if (VelkaroAppDelegate::isIPad()) {
        scroll.setBounds(tabletBounds);
        scroll.setContentSize(tabletContent);
        return;
    }
    scroll.setBounds({std::trunc(kPhoneMainViewSize.width), std::trunc(kPhoneMainViewSize.height - bar.height())});
    scroll.setContentSize(fromInterfaceFile);
}
