#pragma once
#include <QWidget>
#include <functional>
#include <string>
#include <utility>
#include <vector>

class View;
class ViewController;

/// Binds a screen's widget models to the widgets of its interface file: each outlet to the child of the same
/// object name (by the model's type: label, field, wheels, table, web view …), each action to the button of that
/// name. Model changes redraw the widget; user input goes back to the model as the toolkit would report it.
class ScreenBinder {
public:
    using Outlets = std::vector<std::pair<std::string, View*>>;
    /// A binding for a model/widget pair the standard ones do not cover; returns true when it took the pair.
    using CustomBinding = std::function<bool(View* model, QWidget* widget)>;

    /// Loads the screen's interface file and binds it. nullptr (logged) when the file is missing.
    static QWidget* bindScreen(ViewController* screen, QWidget* parent = nullptr);
    /// Binds outlets to the children of `root`; an outlet without a widget is logged, never fatal.
    static void bindOutlets(const Outlets& outlets, QWidget* root, const std::string& owner);
    /// Detaches the models from their widgets (before either goes away).
    static void unbindOutlets(const Outlets& outlets);
    /// Adds a binding tried before the standard ones (e.g. the document viewer).
    static void registerBinding(CustomBinding binding);
    /// Detaches the screen's models from its widgets; the caller deletes the widgets.
    static void releaseScreen(ViewController* screen);

    /// Loads an image resource by name (":/images/NAME.svg" or ".png") at `size` logical pixels.
    static QPixmap pixmapNamed(const std::string& name, QSize size, qreal devicePixelRatio = 1.0);
};
