#include "core/calculators/Ne555Timer.h"

#include <cmath>

#include "platform/Format.h"
#include "platform/Numbers.h"

float Ne555Timer::monostablePulse(float c, float r) {
    // Both products in double, the pulse kept as float.
    return static_cast<float>(static_cast<double>(c) * (static_cast<double>(r) * 1.1));
}

std::string Ne555Timer::monostableLine(float t) {
    if (t > 100.0f) return format("Results: T = %.2f s", static_cast<double>(t) * 0.001);
    return format("Results: T = %.2f mS", static_cast<double>(t));
}

Ne555Timer::Astable Ne555Timer::astable(float c, float ra, float rb) {
    // The bounds are met by magnitude, so negative values pass; a typed 0.00001 reads as a float just below it.
    if (std::fabs(static_cast<double>(c)) < 0.00001 || std::fabs(static_cast<double>(ra)) < 0.001 ||
        std::fabs(static_cast<double>(rb)) < 0.001)
        return {};
    const float s = ra + rb;
    return {true, static_cast<float>(static_cast<double>(c) * (static_cast<double>(s) * 0.693)),
            static_cast<float>(static_cast<double>(c) * (static_cast<double>(rb) * 0.693))};
}

Ne555Timer::AstableLines Ne555Timer::astableLines(const Astable& a) {
    if (!a.valid) return {"Error: value too small or incorrect", "f = n/a"};
    const float t1 = a.t1, t2 = a.t2;
    AstableLines out;
    // One unit for both times: seconds only when both exceed 100 ms.
    if (t1 > 100.0f && t2 > 100.0f)
        out.times = format("t1 = %.2f s, t2 = %.2f s", static_cast<double>(t1) * 0.001, static_cast<double>(t2) * 0.001);
    else if (static_cast<double>(t1) > 0.01 && static_cast<double>(t2) > 0.01)
        out.times = format("t1 = %.2f ms, t2 = %.2f ms", t1, t2);
    else
        out.times = format("t1 = %.2f us, t2 = %.2f us", t1 * 1000.0f, t2 * 1000.0f);

    const float period = t1 + t2;
    const float f = hertz(a);
    out.frequency = f < 1000.0f ? format("f = %.2f Hz", f) : format("f = %.2f KHz", 1.0f / period);
    return out;
}

float Ne555Timer::hertz(const Astable& a) { return 1000.0f / (a.t1 + a.t2); }

Ne555Timer::Lines Ne555Timer::linesForTexts(const Texts& t) {
    return {monostableLine(monostablePulse(floatValue(t.c1), floatValue(t.r1))),
            astableLines(astable(floatValue(t.c2), floatValue(t.ra), floatValue(t.rb)))};
}
