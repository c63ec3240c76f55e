#include "decoders/BandColor.h"

const std::array<BandColor, 13>& bandColors() {
    // Violet, Gold and Silver are single-precision quotients of 255 as the toolkit is given them.
    static const std::array<BandColor, 13> table = {{
        {"Black", Color::blackColor()},
        {"Brown", Color::brownColor()},
        {"Red", Color::redColor()},
        {"Orange", Color::orangeColor()},
        {"Yellow", Color::yellowColor()},
        {"Green", Color::greenColor()},
        {"Blue", Color::blueColor()},
        {"Violet", Color::rgb(238.0f / 255.0f, 130.0f / 255.0f, 238.0f / 255.0f)},
        {"Gray", Color::grayColor()},
        {"White", Color::whiteColor()},
        {"Gold", Color::rgb(255.0f / 255.0f, 215.0f / 255.0f, 0.0f)},
        {"Silver", Color::rgb(192.0f / 255.0f, 192.0f / 255.0f, 192.0f / 255.0f)},
        {"none", Color::lightGrayColor()},
    }};
    return table;
}

const BandColor* bandColorNamed(std::string_view name) {
    for (const BandColor& c : bandColors())
        if (name == c.name) return &c;
    return nullptr;
}

std::unique_ptr<Label> makeColorSwatch(std::string_view name) {
    auto label = std::make_unique<Label>();
    label->setFrameSize(32, 32);
    label->setTextAlignment(Label::Alignment::Center);
    if (const BandColor* c = bandColorNamed(name)) {
        label->setBackgroundColor(c->swatch);
        label->setAccessibilityLabel(c->name);
        if (name == "none") label->setText("-");
    }
    return label;
}

std::unique_ptr<Label> makeColorSwatch(const std::vector<std::string>& names, int row) {
    return makeColorSwatch(row >= 0 && row < static_cast<int>(names.size()) ? names[static_cast<size_t>(row)] : "");
}
