#pragma once
#include <QColor>
#include <QObject>
#include <QPalette>

/// The program's colours. Every colour of the interface comes from the application palette: the style sheet
/// (resources/ui/velkaro.qss) names palette-derived colours such as @text@ or @panel@, filled in here and
/// filled in again whenever the palette changes, so every screen reads in light and dark palettes alike.
/// The palette follows the desktop's light/dark preference (see DesktopColorScheme); without one it is the
/// platform's own (light unless the desktop's Qt settings say otherwise). VELKARO_COLOR_SCHEME=light or dark
/// in the environment fixes the choice; any other value follows the desktop.
class Theme : public QObject {
    Q_OBJECT
public:
    static Theme& shared();

    /// Call once the QApplication exists and its style is set: remembers the platform's palette, applies the
    /// style sheet and starts following the desktop. Repeated calls do nothing more.
    void install();
    /// Switches to the dark or light palette, or back to the platform's (DesktopColorScheme's values).
    void setPreference(int preference);

    static QPalette darkPalette();
    static bool isDark(const QPalette& palette);
    /// The contrast ratio of two colours, from 1 (the same) to 21 (black and white), as accessibility
    /// guidelines measure it (4.5 or more reads well).
    static double contrast(const QColor& a, const QColor& b);
    /// `a` moved the fraction `t` of the way to `b`.
    static QColor mix(const QColor& a, const QColor& b, float t);
    /// The style sheet with its colours taken from `palette`.
    static QString styleSheet(const QPalette& palette);
    /// A background a screen asked for, made to suit `palette`: a light neutral shade (alternate rows, light
    /// grey tables) becomes the palette's alternate shade on a dark palette; other colours stay as they are.
    static QColor adapt(const QColor& background, const QPalette& palette);

    /// An HTML page or SVG drawing made for white paper, made to suit `palette`: on a dark palette its light
    /// neutral backgrounds and fills become the palette's base (white) or alternate base (light greys), and its
    /// dark neutral text, strokes and fills the palette's text colour. Other colours (a header's white text on
    /// blue, an LED's yellow) stay, and on a light palette everything does.
    static QString adaptDocument(const QString& document, const QPalette& palette);

signals:
    /// The palette, and with it the style sheet, changed.
    void changed();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void applyStyleSheet();

    bool installed_ = false;
    bool applying_ = false;
    QPalette platformPalette_;
};
