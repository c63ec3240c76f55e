#include "app/ScreenFactory.h"

#include <functional>
#include <map>
#include <type_traits>

#include "benchscreens/InfoAttenuatorView.h"
#include "benchscreens/InfoCableLineView.h"
#include "benchscreens/InfoCableView.h"
#include "benchscreens/InfoDividerView.h"
#include "benchscreens/InfoFusingView.h"
#include "benchscreens/InfoGalvanicView.h"
#include "benchscreens/InfoIdentifyView.h"
#include "benchscreens/InfoImpedanceView.h"
#include "benchscreens/InfoRegulatorView.h"
#include "benchscreens/InfoSpacingView.h"
#include "benchscreens/InfoTrackWidthView.h"
#include "benchscreens/InfoValueFinderView.h"
#include "benchscreens/InfoViaView.h"
#include "benchscreens/InfoWavelengthView.h"
#include "calculators/InfoLedsView.h"
#include "calculators/InfoNE555View.h"
#include "calculators/InfoSolarCalcView.h"
#include "calculators/InfoWiresView.h"
#include "calculators/InfoWiresVoltageDrop.h"
#include "datasheets/InfoDatasheetsView.h"
#include "decoders/InfoCapacitorsView.h"
#include "decoders/InfoInductionView.h"
#include "decoders/InfoResValuesView.h"
#include "decoders/InfoResistorsSMD.h"
#include "decoders/InfoResistorsView.h"
#include "platform/ui/ScreenMaker.h"

namespace {

using Maker = std::function<std::unique_ptr<ViewController>(const std::string& nib, bool tablet)>;

template <typename T>
Maker maker() {
    return [](const std::string& nib, bool tablet) {
        if constexpr (std::is_constructible_v<T, std::string, bool>)
            return std::make_unique<T>(nib, tablet);
        else
            return std::make_unique<T>(nib);  // one layout for both, or the interface file says which
    };
}

const std::map<std::string, Maker>& screens() {
    static const std::map<std::string, Maker> table = {
        {"InfoResistorsView", maker<InfoResistorsView>()},
        {"InfoLedsView", maker<InfoLedsView>()},
        {"InfoNE555View", maker<InfoNE555View>()},
        {"InfoWiresView", maker<InfoWiresView>()},
        {"InfoWiresVoltageDrop", maker<InfoWiresVoltageDrop>()},
        {"InfoSolarCalcView", maker<InfoSolarCalcView>()},
        {"InfoCapacitorsView", maker<InfoCapacitorsView>()},
        {"InfoResValuesView", maker<InfoResValuesView>()},
        {"InfoResistorsSMD", maker<InfoResistorsSMD>()},
        {"InfoInductionView", maker<InfoInductionView>()},
        {"InfoDatasheetsView", maker<InfoDatasheetsView>()},
        {"InfoValueFinderView", maker<InfoValueFinderView>()},
        {"InfoDividerView", maker<InfoDividerView>()},
        {"InfoRegulatorView", maker<InfoRegulatorView>()},
        {"InfoIdentifyView", maker<InfoIdentifyView>()},
        {"InfoTrackWidthView", maker<InfoTrackWidthView>()},
        {"InfoViaView", maker<InfoViaView>()},
        {"InfoSpacingView", maker<InfoSpacingView>()},
        {"InfoImpedanceView", maker<InfoImpedanceView>()},
        {"InfoCableLineView", maker<InfoCableLineView>()},
        {"InfoAttenuatorView", maker<InfoAttenuatorView>()},
        {"InfoFusingView", maker<InfoFusingView>()},
        {"InfoCableView", maker<InfoCableView>()},
        {"InfoWavelengthView", maker<InfoWavelengthView>()},
        {"InfoGalvanicView", maker<InfoGalvanicView>()},
    };
    return table;
}

// Screens open other screens by name through the screen maker, which this factory serves.
const bool kInstalled = [] {
    ScreenMaker::install(
        [](const std::string& className, const std::string& nibName) { return ScreenFactory::make(className, nibName); });
    return true;
}();

}  // namespace

std::unique_ptr<ViewController> ScreenFactory::make(const std::string& className, const std::string& nibName,
                                                    bool tablet) {
    auto it = screens().find(className);
    return it == screens().end() ? nullptr : it->second(nibName, tablet);
}
