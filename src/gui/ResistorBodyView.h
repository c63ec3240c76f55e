#pragma once
#include <QStringList>
#include <QWidget>

#include "gui/BoundModel.h"
#include "platform/ui/Label.h"

/// A part with colour bands drawn as it lies on the bench: leads, a carbon-film body and its bands, the value
/// bands grouped at the left and the tolerance (and temperature) bands apart at the right. The band colours are
/// the parts' own in every palette; only the leads follow the palette. The body is carbon-film beige unless the
/// model gives a background colour (an inductor's green). Bound to a `Label` model whose text is
/// the colour names, left to right, separated by blanks ("yellow violet red gold"); an empty text or a hidden
/// label hides the drawing. Screen readers hear the model's accessibility label, else the colour names.
class ResistorBodyView : public QWidget {
    Q_OBJECT
public:
    explicit ResistorBodyView(QWidget* parent = nullptr);

    /// Shows the colours of `model` and follows it until it is unbound or gone; nullptr detaches.
    void bind(Label* model);
    /// The colour names drawn, left to right ("grey" for "gray"); unknown names and "none" are not drawn.
    const QStringList& bands() const { return bands_; }
    /// The colour a band of that name is drawn in; invalid for unknown names.
    static QColor bandColour(const QString& name);

    QSize sizeHint() const override { return {280, 72}; }
    QSize minimumSizeHint() const override { return {160, 56}; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void modelChanged();

    QStringList bands_;
    QColor body_;
    BoundModel<Label> model_;
};
