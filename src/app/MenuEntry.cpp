#include "app/MenuEntry.h"

const std::array<MenuEntry, 11>& menuEntries() {
    static const std::array<MenuEntry, 11> entries = {{
        {"Capacitor codes", "cap_normal", "onShowCapacitor", "InfoCapacitorsView", "InfoCapacitorsView",
         "InfoCapacitorsView"},
        {"Resistor colors", "res_colors", "onShowResistor", "InfoResistorsView", "InfoResistorsView",
         "InfoResistorsView"},
        {"Resistor values", "res_numbers", "onShowResistorValues", "InfoResValuesView", "InfoResValuesView",
         "InfoResValuesView"},
        {"Resistor SMD codes", "res_smd", "onShowResistorSMD", "InfoResistorsSMD", "InfoResistorsSMD",
         "InfoResistorsSMD"},
        {"Inductor colors", "ind_normal", "onShowInd", "InfoInductionView", "InfoInductionView", "InfoInductionView"},
        {"LED calc", "led_normal", "onShowLed", "InfoLedsView", "InfoLedsView", "InfoLedsViewIPad"},
        {"Wire current load limits", "wire_normal", "onShowWires", "InfoWiresView", "InfoWiresView", "InfoWiresView"},
        {"Wire voltage drop", "wire_normalV", "onShowVoltageDrop", "InfoWiresVoltageDrop", "InfoWiresVoltageDrop",
         "InfoWiresVoltageDrop"},
        {"NE555 timer calc", "ne555_normal", "onShowNE555", "InfoNE555View", "InfoNE555View", "InfoNE555View"},
        {"Solar battery calc", "sol_normal", "onShowSolarCalc", "InfoSolarCalcView", "InfoSolarCalcView",
         "InfoSolarCalcView"},
        {"Datasheets storage", "doc_normal", "onShowDatasheet", "InfoDatasheetsView", "InfoDatasheetsView",
         "InfoDatasheetsView"},
    }};
    return entries;
}

const std::array<MenuEntry, 4>& moreToolEntries() {
    static const std::array<MenuEntry, 4> entries = {{
        {"Value finder", "bench_values", "onShowValueFinder", "InfoValueFinderView", "InfoValueFinderView",
         "InfoValueFinderView"},
        {"Divider and combinations", "bench_divider", "onShowDivider", "InfoDividerView", "InfoDividerView",
         "InfoDividerView"},
        {"Regulator", "bench_regulator", "onShowRegulator", "InfoRegulatorView", "InfoRegulatorView",
         "InfoRegulatorView"},
        {"Identify", "bench_identify", "onShowIdentify", "InfoIdentifyView", "InfoIdentifyView", "InfoIdentifyView"},
    }};
    return entries;
}

const std::array<MenuEntry, 10>& pcbToolEntries() {
    static const std::array<MenuEntry, 10> entries = {{
        {"Track width", "pcb_track", "onShowTrackWidth", "InfoTrackWidthView", "InfoTrackWidthView", "InfoTrackWidthView"},
        {"Via", "pcb_via", "onShowVia", "InfoViaView", "InfoViaView", "InfoViaView"},
        {"Conductor spacing", "pcb_spacing", "onShowSpacing", "InfoSpacingView", "InfoSpacingView", "InfoSpacingView"},
        {"Line impedance", "pcb_impedance", "onShowImpedance", "InfoImpedanceView", "InfoImpedanceView",
         "InfoImpedanceView"},
        {"Coax and twisted pair", "pcb_coax", "onShowCableLine", "InfoCableLineView", "InfoCableLineView",
         "InfoCableLineView"},
        {"Attenuator", "pcb_attenuator", "onShowAttenuator", "InfoAttenuatorView", "InfoAttenuatorView",
         "InfoAttenuatorView"},
        {"Fusing current", "pcb_fusing", "onShowFusing", "InfoFusingView", "InfoFusingView", "InfoFusingView"},
        {"Cable size", "pcb_cable", "onShowCable", "InfoCableView", "InfoCableView", "InfoCableView"},
        {"Wavelength", "pcb_wavelength", "onShowWavelength", "InfoWavelengthView", "InfoWavelengthView",
         "InfoWavelengthView"},
        {"Galvanic series", "pcb_galvanic", "onShowGalvanic", "InfoGalvanicView", "InfoGalvanicView", "InfoGalvanicView"},
    }};
    return entries;
}
