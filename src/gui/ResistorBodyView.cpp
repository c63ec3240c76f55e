#include "gui/ResistorBodyView.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <map>

#include "gui/ColorConversion.h"
#include "gui/Theme.h"

ResistorBodyView::ResistorBodyView(QWidget* parent) : QWidget(parent) {
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    setVisible(false);
}

QColor ResistorBodyView::bandColour(const QString& name) {
    // Paint colours as they look on a part, dark enough to stand on the beige body.
    static const std::map<QString, QColor> colours = {
        {"black", QColor(0x1a, 0x1a, 0x1a)},  {"brown", QColor(0x7b, 0x4a, 0x1e)},
        {"red", QColor(0xd3, 0x1f, 0x1f)},    {"orange", QColor(0xf2, 0x7b, 0x0c)},
        {"yellow", QColor(0xf5, 0xd0, 0x0a)}, {"green", QColor(0x1e, 0x9a, 0x3c)},
        {"blue", QColor(0x1f, 0x4f, 0xd8)},   {"violet", QColor(0x8a, 0x2b, 0xc2)},
        {"grey", QColor(0x88, 0x88, 0x88)},   {"white", QColor(0xfa, 0xfa, 0xfa)},
        {"gold", QColor(0xc8, 0x9b, 0x2c)},   {"silver", QColor(0xb8, 0xbc, 0xc2)},
    };
    const QString key = name.toLower() == "gray" ? QString("grey") : name.toLower();
    auto it = colours.find(key);
    return it == colours.end() ? QColor() : it->second;
}

void ResistorBodyView::bind(Label* model) {
    model_.bind(model, this, [this] { modelChanged(); });
}

void ResistorBodyView::modelChanged() {
    bands_.clear();
    for (const QString& name : QString::fromStdString(model_->text()).split(' ', Qt::SkipEmptyParts))
        if (bandColour(name).isValid()) bands_ << (name.toLower() == "gray" ? QString("grey") : name.toLower());
    const QString spoken = QString::fromStdString(model_->accessibilityLabel());
    setAccessibleName(spoken.isEmpty() ? bands_.join(' ') : spoken);
    setToolTip(accessibleName());
    body_ = model_->backgroundColor() ? toQColor(*model_->backgroundColor()) : QColor(0xe3, 0xc9, 0x96);
    setVisible(!model_->isHidden() && !bands_.isEmpty());
    update();
}

void ResistorBodyView::paintEvent(QPaintEvent*) {
    if (bands_.isEmpty()) return;
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QPalette& pal = palette();
    const qreal w = std::min<qreal>(width(), 320), h = height();
    const qreal left = (width() - w) / 2, mid = h / 2;

    // Leads in the palette's muted ink, so they show on light and dark windows alike.
    p.setPen(QPen(Theme::mix(pal.color(QPalette::WindowText), pal.color(QPalette::Window), 0.45f), 3, Qt::SolidLine,
                  Qt::RoundCap));
    p.drawLine(QPointF(left + 4, mid), QPointF(left + w - 4, mid));

    // The body: wider end caps and a slimmer waist, as a carbon-film resistor has.
    const qreal bodyLeft = left + w * 0.16, bodyWidth = w * 0.68;
    const qreal capWidth = bodyWidth * 0.2, capHeight = h * 0.78, waistHeight = h * 0.6;
    QPainterPath leftCap, rightCap, waist;
    leftCap.addRoundedRect(QRectF(bodyLeft, mid - capHeight / 2, capWidth, capHeight), capWidth / 2.5, capWidth / 2.5);
    rightCap.addRoundedRect(QRectF(bodyLeft + bodyWidth - capWidth, mid - capHeight / 2, capWidth, capHeight),
                            capWidth / 2.5, capWidth / 2.5);
    waist.addRect(QRectF(bodyLeft + capWidth * 0.6, mid - waistHeight / 2, bodyWidth - capWidth * 1.2, waistHeight));
    const QPainterPath body = leftCap.united(waist).united(rightCap);
    QLinearGradient shade(0, mid - capHeight / 2, 0, mid + capHeight / 2);
    shade.setColorAt(0, body_.lighter(112));
    shade.setColorAt(0.45, body_);
    shade.setColorAt(1, body_.darker(125));
    p.setPen(Qt::NoPen);
    p.setBrush(shade);
    p.drawPath(body);

    // The value bands in a group from the left cap; the tolerance band (and the temperature band of six) apart
    // at the right, so the part reads in one direction only. Three bands carry no tolerance band.
    const int n = bands_.size();
    const int apart = n <= 3 ? 0 : n == 6 ? 2 : 1;
    const qreal bandWidth = bodyWidth * 0.065, step = bandWidth * 1.9;
    const qreal groupLeft = bodyLeft + capWidth * 0.55;
    p.save();
    p.setClipPath(body);
    for (int i = 0; i < n; ++i) {
        const bool right = i >= n - apart;
        const qreal x =
            right ? bodyLeft + bodyWidth - capWidth * 0.55 - bandWidth - (n - 1 - i) * step : groupLeft + i * step;
        const QColor colour = bandColour(bands_[i]);
        QLinearGradient band(0, mid - capHeight / 2, 0, mid + capHeight / 2);
        const bool metal = bands_[i] == "gold" || bands_[i] == "silver";
        band.setColorAt(0, colour.lighter(metal ? 150 : 115));
        band.setColorAt(0.5, colour);
        band.setColorAt(1, colour.darker(metal ? 150 : 125));
        p.setBrush(band);
        // An edge a shade darker keeps white and yellow bands apart from the body.
        p.setPen(QPen(colour.darker(150), 0.8));
        p.drawRect(QRectF(x, 0, bandWidth, h));
    }
    p.restore();
    p.setPen(QPen(body_.darker(160), 1.2));
    p.setBrush(Qt::NoBrush);
    p.drawPath(body);
}
