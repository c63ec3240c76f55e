#include "gui/QrCodeView.h"

#include <qrencode.h>

#include <QPainter>
#include <algorithm>

#include "platform/Log.h"

QrCodeView::QrCodeView(QWidget* parent) : QWidget(parent) {
    // As wide as the code and caption want, narrower in a narrow window (smaller modules, the caption wrapped).
    QSizePolicy policy(QSizePolicy::Maximum, QSizePolicy::Preferred);
    policy.setHeightForWidth(true);
    setSizePolicy(policy);
    setAccessibleName(tr("The address as a QR code"));
    setVisible(false);
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

void QrCodeView::bind(Label* model) {
    model_.bind(model, this, [this] { modelChanged(); });
}

void QrCodeView::modelChanged() {
    setText(QString::fromStdString(model_->text()));
    setVisible(!model_->isHidden() && modules_ > 0);
}

namespace {

QString caption() { return QrCodeView::tr("Scan with a phone or tablet to connect"); }

}  // namespace

// The caption wraps in a narrow window.
int QrCodeView::captionHeight(int width) const {
    const QRect shown(0, 0, std::max(width - 16, 40), 10000);
    return fontMetrics().boundingRect(shown, Qt::TextWordWrap | Qt::AlignCenter, caption()).height() + 6;
}

int QrCodeView::heightForWidth(int width) const {
    return std::min(width, (modules_ + 2 * kQuietModules) * kPreferredModulePixels) + captionHeight(width);
}

QSize QrCodeView::sizeHint() const {
    const int side = (modules_ + 2 * kQuietModules) * kPreferredModulePixels;
    const int width = std::max(side, fontMetrics().horizontalAdvance(caption()) + 16);
    return {width, heightForWidth(width)};
}

QSize QrCodeView::minimumSizeHint() const {
    const int side = modules_ + 2 * kQuietModules;  // one pixel a module still reads at close range
    return {side, side + captionHeight(side)};
}

void QrCodeView::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), Qt::white);
    if (modules_ == 0) return;
    const int total = modules_ + 2 * kQuietModules;
    const int codeHeight = height() - captionHeight(width());
    const int pixels = std::max(1, std::min(width(), codeHeight) / total);
    const int x0 = (width() - modules_ * pixels) / 2;
    const int y0 = (codeHeight - modules_ * pixels) / 2;
    for (int y = 0; y < modules_; ++y)
        for (int x = 0; x < modules_; ++x)
            if (dark_[static_cast<size_t>(y * modules_ + x)])
                p.fillRect(x0 + x * pixels, y0 + y * pixels, pixels, pixels, Qt::black);
    // Below the quiet zone, so nothing the reader needs clear is drawn over.
    p.setPen(QColor(0x37, 0x47, 0x4f));
    p.drawText(QRect(8, codeHeight, width() - 16, captionHeight(width()) - 6), Qt::TextWordWrap | Qt::AlignCenter,
               caption());
}
