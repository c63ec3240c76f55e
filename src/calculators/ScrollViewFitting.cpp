#include "calculators/ScrollViewFitting.h"

#include <cmath>


void fitScrollViewToDevice(ScrollView& scroll, const NavigationBar& bar, bool tablet, Size tabletBounds,
                           Size tabletContent) {
    const Size fromInterfaceFile = scroll.bounds();
    if (tablet) {
        scroll.setBounds(tabletBounds);
        scroll.setContentSize(tabletContent);
        return;
    }
    scroll.setBounds({std::trunc(kPhoneMainViewSize.width), std::trunc(kPhoneMainViewSize.height - bar.height())});
    scroll.setContentSize(fromInterfaceFile);
}
