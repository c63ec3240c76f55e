#include "gui/Theme.h"

#include <QApplication>
#include <QFile>
#include <QRegularExpression>
#include <QStyle>
#include <cmath>
#include <utility>

#include "gui/DesktopColorScheme.h"

Theme& Theme::shared() {
    static Theme theme;
    return theme;
}

void Theme::install() {
    if (installed_) return;
    installed_ = true;
    platformPalette_ = QApplication::palette();
    qApp->installEventFilter(this);
    applyStyleSheet();
    const QByteArray fixed = qgetenv("VELKARO_COLOR_SCHEME");
    if (fixed == "dark" || fixed == "light") {
        setPreference(fixed == "dark" ? DesktopColorScheme::PreferDark : DesktopColorScheme::PreferLight);
        return;
    }
    auto* desktop = new DesktopColorScheme(this);
    connect(desktop, &DesktopColorScheme::preferenceChanged, this, &Theme::setPreference);
    desktop->start();
}

void Theme::setPreference(int preference) {
    switch (preference) {
        case DesktopColorScheme::PreferDark: QApplication::setPalette(darkPalette()); break;
        case DesktopColorScheme::PreferLight: QApplication::setPalette(QApplication::style()->standardPalette()); break;
        default: QApplication::setPalette(platformPalette_); break;
    }
    applyStyleSheet();  // also when the palette was already this one
}

bool Theme::eventFilter(QObject* watched, QEvent* event) {
    if (watched == qApp && event->type() == QEvent::ApplicationPaletteChange) applyStyleSheet();
    return QObject::eventFilter(watched, event);
}

void Theme::applyStyleSheet() {
    if (applying_) return;
    applying_ = true;
    const QString sheet = styleSheet(QApplication::palette());
    if (qApp->styleSheet() != sheet) {
        qApp->setStyleSheet(sheet);
        emit changed();
    }
    applying_ = false;
}

QPalette Theme::darkPalette() {
    const QColor window("#26292c"), base("#1d1f22"), text("#e8eaed"), disabled("#80868b"), button("#33373b");
    QPalette p(button, window);
    p.setColor(QPalette::Window, window);
    p.setColor(QPalette::WindowText, text);
    p.setColor(QPalette::Base, base);
    p.setColor(QPalette::AlternateBase, QColor("#2a2d31"));
    p.setColor(QPalette::Text, text);
    p.setColor(QPalette::Button, button);
    p.setColor(QPalette::ButtonText, text);
    p.setColor(QPalette::BrightText, QColor("#ff8a80"));
    p.setColor(QPalette::Highlight, QColor("#3d7fd6"));
    p.setColor(QPalette::HighlightedText, Qt::white);
    p.setColor(QPalette::Link, QColor("#8ab4f8"));
    p.setColor(QPalette::LinkVisited, QColor("#c58af9"));
    p.setColor(QPalette::ToolTipBase, button);
    p.setColor(QPalette::ToolTipText, text);
    p.setColor(QPalette::PlaceholderText, disabled);
    p.setColor(QPalette::Light, QColor("#44484d"));
    p.setColor(QPalette::Midlight, QColor("#3a3e42"));
    p.setColor(QPalette::Mid, QColor("#2c2f33"));
    p.setColor(QPalette::Dark, QColor("#161719"));
    p.setColor(QPalette::Shadow, Qt::black);
    for (auto role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
        p.setColor(QPalette::Disabled, role, disabled);
    return p;
}

QColor Theme::mix(const QColor& a, const QColor& b, float t) {
    return QColor::fromRgbF(a.redF() + (b.redF() - a.redF()) * t, a.greenF() + (b.greenF() - a.greenF()) * t,
                            a.blueF() + (b.blueF() - a.blueF()) * t);
}

double Theme::contrast(const QColor& a, const QColor& b) {
    auto luminance = [](const QColor& c) {
        auto channel = [](double v) { return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4); };
        return 0.2126 * channel(c.redF()) + 0.7152 * channel(c.greenF()) + 0.0722 * channel(c.blueF());
    };
    const double la = luminance(a), lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

bool Theme::isDark(const QPalette& palette) { return palette.color(QPalette::Window).lightnessF() < 0.5; }

QString Theme::styleSheet(const QPalette& p) {
    QFile file(":/ui/velkaro.qss");
    if (!file.open(QIODevice::ReadOnly)) return {};
    QString sheet = QString::fromUtf8(file.readAll());
    const bool dark = isDark(p);
    const QColor window = p.color(QPalette::Window), text = p.color(QPalette::WindowText);
    const QColor base = p.color(QPalette::Base), baseText = p.color(QPalette::Text);
    const QColor accent = p.color(QPalette::Highlight), accentText = p.color(QPalette::HighlightedText);
    // A button filled with the accent colour: deepened (or lightened) until its text reads well on it.
    QColor accentButton = accent;
    for (int step = 0; step < 10 && contrast(accentButton, accentText) < 4.5; ++step)
        accentButton = accentText.lightnessF() > 0.5 ? accentButton.darker(112) : accentButton.lighter(112);
    const std::pair<const char*, QColor> colours[] = {
        {"text", text},
        {"base", base},
        {"baseText", baseText},
        {"muted", mix(text, window, 0.35f)},
        {"border", mix(text, window, dark ? 0.7f : 0.78f)},
        {"panel", mix(base, accent, dark ? 0.12f : 0.06f)},
        {"tile", mix(base, baseText, 0.04f)},
        {"tileHover", mix(base, accent, 0.18f)},
        {"tileDisabled", mix(base, window, 0.5f)},
        {"button", p.color(QPalette::Button)},
        {"buttonText", p.color(QPalette::ButtonText)},
        {"buttonPressed", mix(p.color(QPalette::Button), text, 0.15f)},
        {"accent", accent},
        {"accentText", accentText},
        {"accentButton", accentButton},
        {"selection", mix(base, accent, 0.3f)},
        {"errorText", QColor(dark ? "#ffb4ab" : "#8a1c1c")},
        {"errorBack", QColor(dark ? "#4a1713" : "#fdecea")},
        {"errorBorder", QColor(dark ? "#8c2f28" : "#f5c2c0")},
    };
    for (const auto& [name, colour] : colours) sheet.replace(QLatin1Char('@') + name + QLatin1Char('@'), colour.name());
    return sheet;
}

QColor Theme::adapt(const QColor& background, const QPalette& palette) {
    const bool lightNeutral = background.alpha() > 0 && background.hslSaturationF() < 0.1f &&
                              background.lightnessF() > 0.6f;
    return lightNeutral && isDark(palette) ? palette.color(QPalette::AlternateBase) : background;
}

QString Theme::adaptDocument(const QString& document, const QPalette& palette) {
    if (!isDark(palette)) return document;
    static const QRegularExpression colourIn(
        R"((background-color:\s*|background:\s*|bgcolor="|fill="|stroke="|(?<![-\w])color:\s*)(#[0-9a-fA-F]{6})\b)");
    QString out;
    qsizetype done = 0;
    for (auto it = colourIn.globalMatch(document); it.hasNext();) {
        const QRegularExpressionMatch match = it.next();
        const QString where = match.captured(1);
        const QColor colour(match.captured(2));
        const bool neutral = colour.hslSaturationF() < 0.4f;
        const bool paper = where.startsWith("background") || where.startsWith("bgcolor") || where.startsWith("fill");
        const bool ink = !where.startsWith("background") && !where.startsWith("bgcolor");
        QColor replacement = colour;
        if (paper && neutral && colour.lightnessF() > 0.85f)
            replacement = palette.color(colour == Qt::white ? QPalette::Base : QPalette::AlternateBase);
        else if (ink && neutral && colour.lightnessF() < 0.25f)
            replacement = palette.color(QPalette::Text);
        out += document.mid(done, match.capturedStart(2) - done);
        out += replacement.name();
        done = match.capturedEnd(2);
    }
    return out + document.mid(done);
}
