#pragma once

class ActivityIndicatorView;
class Button;
class ImageView;
class Label;
class NavigationBar;
class PickerView;
class ScrollView;
class TableView;
class TextField;
class WebView;

/// One call per kind of widget model, reached through `View::accept`: a front-end learns a model's type from the
/// model itself instead of trying casts. A new kind of model adds a call here, and every front-end must then say
/// how it draws it.
class ViewVisitor {
public:
    virtual ~ViewVisitor() = default;
    virtual void visit(ActivityIndicatorView& view) = 0;
    virtual void visit(Button& view) = 0;
    virtual void visit(ImageView& view) = 0;
    virtual void visit(Label& view) = 0;
    virtual void visit(NavigationBar& view) = 0;
    virtual void visit(PickerView& view) = 0;
    virtual void visit(ScrollView& view) = 0;
    virtual void visit(TableView& view) = 0;
    virtual void visit(TextField& view) = 0;
    virtual void visit(WebView& view) = 0;
};
