#pragma once

/// An opaque-or-not RGBA colour with components from 0 to 1; the named colours are the toolkit's own.
struct Color {
    float r = 0, g = 0, b = 0, a = 0;

    static constexpr Color rgb(float r, float g, float b, float a = 1.0f) { return Color{r, g, b, a}; }
    static constexpr Color clearColor() { return Color{0, 0, 0, 0}; }
    static constexpr Color blackColor() { return rgb(0, 0, 0); }
    static constexpr Color whiteColor() { return rgb(1, 1, 1); }
    static constexpr Color brownColor() { return rgb(0.6f, 0.4f, 0.2f); }
    static constexpr Color redColor() { return rgb(1, 0, 0); }
    static constexpr Color orangeColor() { return rgb(1, 0.5f, 0); }
    static constexpr Color yellowColor() { return rgb(1, 1, 0); }
    static constexpr Color greenColor() { return rgb(0, 1, 0); }
    static constexpr Color blueColor() { return rgb(0, 0, 1); }
    static constexpr Color grayColor() { return rgb(0.5f, 0.5f, 0.5f); }
    static constexpr Color lightGrayColor() { return rgb(2.0f / 3.0f, 2.0f / 3.0f, 2.0f / 3.0f); }

    bool operator==(const Color&) const = default;
};
