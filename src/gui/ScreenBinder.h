#pragma once
#include <QWidget>
#include <string>
#include <utility>
#include <vector>

class View;
class ViewController;

/// Binds a screen's widget models to the widgets of its interface file: each outlet to the child of the same
/// object name, drawn as the model's type says (label, field, wheels, table, web view …), each action to the
/// button of that name. Model changes redraw the widget; user input goes back to the model as the toolkit would report it.
class ScreenBinder {
public:
    using Outlets = std::vector<std::pair<std::string, View*>>;

    /// Loads the screen's interface file and binds it. nullptr (logged) when the file is missing; throws as
    /// `bindOutlets` does.
    static QWidget* bindScreen(ViewController* screen, QWidget* parent = nullptr);
    /// Binds outlets to the children of `root`. An outlet without a widget, or with one that cannot draw its
    /// model, is a fault of the interface file or the screen: logged, then thrown as std::logic_error.
    static void bindOutlets(const Outlets& outlets, QWidget* root, const std::string& owner);
    /// Detaches the models from their widgets (before either goes away).
    static void unbindOutlets(const Outlets& outlets);
    /// Detaches the screen's models from its widgets; the caller deletes the widgets.
    static void releaseScreen(ViewController* screen);

    /// Loads an image resource by name (":/images/NAME.svg" or ".png") at `size` logical pixels.
    static QPixmap pixmapNamed(const std::string& name, QSize size, qreal devicePixelRatio = 1.0);
};
