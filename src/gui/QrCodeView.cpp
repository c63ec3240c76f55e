#include "gui/QrCodeView.h"

#include <qrencode.h>

#include <QPainter>
#include <QPointer>
#include <algorithm>

#include "platform/Log.h"
#include "platform/ui/Label.h"

QrCodeView::QrCodeView(QWidget* parent) : QWidget(parent) {
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    setAccessibleName(tr("The address as a QR code"));
    setVisible(false);
}

QrCodeView::~QrCodeView() {
    if (!bound_.expired()) model_->setChangeObserver(nullptr);
}

void QrCodeView::setText(const QString& text) {
    if (text == text_) return;
    text_ = text;
    modules_ = 0;
    dark_.clear();
    if (!text.isEmpty()) {
        const QByteArray bytes = text.toUtf8();
        // 8-bit mode, case kept: the reader must get back exactly these bytes.
        QRcode* code = QRcode_encodeString(bytes.constData(), 0, QR_ECLEVEL_M, QR_MODE_8, 1);
        if (code) {
            modules_ = code->width;
            dark_.resize(static_cast<size_t>(modules_) * static_cast<size_t>(modules_));
            for (size_t i = 0; i < dark_.size(); ++i) dark_[i] = code->data[i] & 1;
            QRcode_free(code);
        } else {
            logLine("no QR code for \"" + text.toStdString() + "\"");
        }
    }
    updateGeometry();
    update();
}

bool QrCodeView::bindModel(View* model, QWidget* widget) {
    auto* m = dynamic_cast<Label*>(model);
    auto* view = qobject_cast<QrCodeView*>(widget);
    if (!m || !view) return false;
    if (!view->bound_.expired()) view->model_->setChangeObserver(nullptr);
    view->model_ = m;
    auto token = std::make_shared<int>(0);
    view->bound_ = token;
    QPointer<QrCodeView> guard(view);
    m->setChangeObserver([guard, token] {
        if (guard) guard->modelChanged();
    });
    view->modelChanged();
    return true;
}

void QrCodeView::modelChanged() {
    setText(QString::fromStdString(model_->text()));
    setVisible(!model_->isHidden() && modules_ > 0);
}

namespace {

QString caption() { return QrCodeView::tr("Scan with a phone or tablet to connect"); }

}  // namespace

int QrCodeView::captionHeight() const { return fontMetrics().height() + 6; }

QSize QrCodeView::sizeHint() const {
    const int side = (modules_ + 2 * kQuietModules) * kPreferredModulePixels;
    return {std::max(side, fontMetrics().horizontalAdvance(caption()) + 16), side + captionHeight()};
}

QSize QrCodeView::minimumSizeHint() const {
    const int side = modules_ + 2 * kQuietModules;  // one pixel a module still reads at close range
    return {side, side + captionHeight()};
}

void QrCodeView::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), Qt::white);
    if (modules_ == 0) return;
    const int total = modules_ + 2 * kQuietModules;
    const int codeHeight = height() - captionHeight();
    const int pixels = std::max(1, std::min(width(), codeHeight) / total);
    const int x0 = (width() - modules_ * pixels) / 2;
    const int y0 = (codeHeight - modules_ * pixels) / 2;
    for (int y = 0; y < modules_; ++y)
        for (int x = 0; x < modules_; ++x)
            if (dark_[static_cast<size_t>(y * modules_ + x)])
                p.fillRect(x0 + x * pixels, y0 + y * pixels, pixels, pixels, Qt::black);
    // Below the quiet zone, so nothing the reader needs clear is drawn over.
    p.setPen(QColor(0x37, 0x47, 0x4f));
    p.drawText(QRect(0, codeHeight, width(), captionHeight() - 6), Qt::AlignCenter, caption());
}
