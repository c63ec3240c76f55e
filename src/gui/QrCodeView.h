#pragma once
#include <QString>
#include <QWidget>
#include <vector>

#include "gui/BoundModel.h"
#include "platform/ui/Label.h"

/// A text as a QR code, so that a phone can read it with its camera instead of having it typed (the transfer
/// screen's address). Drawn black on white whatever the palette, with the four-module quiet zone readers need
/// and a whole number of pixels per module, above a one-line caption on the same white card. Bound to a `Label`
/// model: its text is what the code says; an empty text or a hidden label hides the card.
class QrCodeView : public QWidget {
    Q_OBJECT
public:
    static constexpr int kQuietModules = 4;
    static constexpr int kPreferredModulePixels = 4;

    explicit QrCodeView(QWidget* parent = nullptr);

    /// Encodes `text` (UTF-8 bytes, error correction level M); an empty text shows nothing.
    void setText(const QString& text);
    const QString& text() const { return text_; }
    /// Modules per side without the quiet zone; 0 when nothing is encoded.
    int modules() const { return modules_; }

    /// Shows the text of `model` and follows it until it is unbound or gone; nullptr detaches.
    void bind(Label* model);

    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override;
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void modelChanged();
    int captionHeight(int width) const;

    QString text_;
    int modules_ = 0;
    std::vector<bool> dark_;  // row by row
    BoundModel<Label> model_;
};
