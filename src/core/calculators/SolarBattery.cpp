#include "core/calculators/SolarBattery.h"

#include <cmath>

#include "platform/Format.h"
#include "platform/Numbers.h"
#include "core/calculators/Truncation.h"

SolarBattery::Result SolarBattery::compute(const std::vector<InfoSolarCalcItem>& loads, const Inputs& in) {
    // Single precision with double steps exactly where noted: the results at the bounds (a typed 0.1 passes, a
    // reserve of 0.01 fails, 24 sun hours fail) depend on it.
    Result r;
    for (const auto& item : loads) r.energy = r.energy + item.fDailyUsage * item.fPower;
    if (static_cast<double>(in.volts) > 0.1) {
        const float capacity =
            static_cast<float>((static_cast<double>(r.energy) * 1.2) / static_cast<double>(in.volts));
        r.capacity = capacity;
        r.reserve = static_cast<float>(static_cast<double>(capacity) * 0.2);
    }
    if (static_cast<double>(in.sunHours) > 0.1 && in.sunHours < 24.0f && static_cast<double>(in.panelWatts) > 0.1 &&
        static_cast<double>(r.reserve) > 0.01) {
        const float perHour = static_cast<float>(static_cast<double>(in.sunHours) / 1.55) / 24.0f;
        r.average = in.panelWatts * perHour;
        const float quotient = ((in.volts * r.reserve) * 0.5f) / r.average;
        r.panels = truncateToInt32(static_cast<double>(std::floor(quotient)) + 1.0);
    }
    return r;
}

SolarBattery::Lines SolarBattery::lines(const Result& r) {
    Lines out;
    out[0] = format("%.1f Wh", r.energy);
    out[1] = r.capacity ? format("%.1f Ah", *r.capacity) : "--";
    out[2] = r.capacity ? format("%.1f Ah", *r.capacity + *r.capacity) : "--";
    out[3] = format("%.1f Ah", r.reserve);
    out[4] = r.panels ? format("%d", *r.panels) : "--";
    out[5] = r.panels ? format("%.1f W", r.average) : "--";
    return out;
}

SolarBattery::Lines SolarBattery::linesForTexts(const std::vector<InfoSolarCalcItem>& loads, const Texts& texts) {
    return lines(compute(loads, {floatValue(texts.volts), floatValue(texts.sunHours), floatValue(texts.panelWatts)}));
}
