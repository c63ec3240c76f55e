#include "core/calculators/LedResistor.h"

#include "platform/Format.h"
#include "platform/Numbers.h"
#include "core/calculators/Truncation.h"

namespace {

std::string ratingText(float h) {
    if (h < 0.2) return format("%.3f", h);
    if (h < 0.5) return format("%.2f", h);
    if (h < 1) return format("%.1f", h);
    return format("%d", truncateToInt32(h));
}

}  // namespace

LedResistor::Inputs LedResistor::Inputs::fromTexts(const Texts& texts) {
    Inputs in;
    in.supply = floatValue(texts.supply);
    in.count = intValue(texts.count);
    in.forward = floatValue(texts.forward);
    in.milliamps = floatValue(texts.current);
    return in;
}

const std::vector<int>& LedResistor::resistorList() {
    static const std::vector<int> list = [] {
        const int series[] = {10, 11, 12, 13, 15, 16, 18, 20, 22, 24, 27, 30,
                              33, 36, 39, 43, 47, 51, 56, 62, 68, 75, 82, 91};
        std::vector<int> values = {1, 2, 3};
        // Each decade of the series, less the values the list has never carried.
        for (int scale : {1, 10, 100, 1000, 10000})
            for (int v : series) {
                int value = v * scale;
                if (value == 16 || value == 18 || value == 300 || value == 360 || value == 220000) continue;
                values.push_back(value);
            }
        return values;
    }();
    return list;
}

const std::vector<float>& LedResistor::powerRatings() {
    static const std::vector<float> ratings = {0.125f, 0.25f, 0.5f, 1.0f, 2.0f, 5.0f, 10.0f, 50.0f, 100.0f};
    return ratings;
}

std::string LedResistor::schematicName(int count, bool tablet) {
    const char* base = count == 1 ? "led_sch1" : count == 2 ? "led_sch2" : count == 3 ? "led_sch3" : "led_schM";
    return std::string(base) + (tablet ? "b.png" : ".png");
}

LedResistor::Result LedResistor::compute(const Inputs& in) {
    Result r;
    if (static_cast<double>(in.forward) < 0.1) return r.error = "Error: LED forward voltage cannot be null", r;
    if (in.count <= 0) return r.error = "Error: incorrect number of LEDs", r;
    if (in.milliamps < 1.0f) return r.error = "Error: incorrect LED current", r;
    // Single precision throughout, except the mA to A step, which is a double product stored as float. The
    // rounding matters: 3 V over 1 mA gives just under 3000 ohms, which truncates to 2999.
    const float onResistor = in.supply - in.forward * static_cast<float>(in.count);
    if (onResistor <= 0.0f) return r.error = "Error: battery voltage is low", r;
    const float amps = static_cast<float>(static_cast<double>(in.milliamps) * 0.001);
    const float ohms = onResistor / amps;
    if (ohms < 1.0f) return r.error = "Error: battery voltage is low", r;
    r.ohms = truncateToInt32(ohms);
    r.watts = amps * onResistor;
    for (int value : resistorList())
        if (value >= r.ohms) {
            r.recommended = value;
            break;
        }
    // The rating is chosen for the power at the computed resistance, not at the recommended one.
    for (float rating : powerRatings())
        if (rating >= r.watts) {
            r.rating = rating;
            break;
        }
    return r;
}

LedResistor::Lines LedResistor::lines(const Result& r) {
    if (r.error) return {r.error, ""};
    Lines out{format("R = %d Ohm, P = %.2f W", r.ohms, static_cast<double>(r.watts)), ""};
    if (r.recommended == 0) return out;
    // Above the largest rating no standard part fits; the line says so instead of naming a rating.
    const std::string rating = r.rating ? ratingText(*r.rating) : "> 100";
    const int m = r.recommended;
    if (m < 1000)
        out.recommendation = format("Recommended: %d Ohm, %@ W", m, rating);
    else if (m <= 9999)
        out.recommendation = format("Recommended: %d.%d KOhm, %@ W", m / 1000, (m % 1000) / 100, rating);
    else
        out.recommendation = format("Recommended: %d KOhm, %@ W", m / 1000, rating);
    return out;
}

LedResistor::Lines LedResistor::linesForTexts(const Texts& texts) {
    return lines(compute(Inputs::fromTexts(texts)));
}
