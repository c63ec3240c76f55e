#pragma once
#include <QAbstractScrollArea>
#include <QImage>
#include <QList>
#include <QRectF>
#include <map>

class QPdfDocument;
class QPdfSearchModel;

/// The pages of a PDF, one under the other, drawn by rendering only the part of each page that is on screen (and
/// a margin around it for smooth scrolling). Memory stays bounded by the window's size at any zoom: a scanned
/// page at 800 % would be a quarter of a gigabyte as a whole picture. Pages off screen keep nothing. Search hits
/// are painted over the page; `nextHit`/`previousHit` walk them in reading order.
class PdfPageView : public QAbstractScrollArea {
    Q_OBJECT
public:
    static constexpr qreal kMinZoom = 0.25;
    static constexpr qreal kMaxZoom = 8.0;

    explicit PdfPageView(QWidget* parent = nullptr);

    void setDocument(QPdfDocument* document);
    /// Scale of the page against its printed size (1: as big as on paper at the screen's resolution).
    qreal zoomFactor() const;
    /// Fits the page width to the window (also after each resize) until a zoom is set.
    void setFitToWidth();
    bool isFitToWidth() const { return fit_; }
    /// Sets the scale, clamped to [kMinZoom, kMaxZoom]; the page on screen stays.
    void setZoomFactor(qreal factor);

    int pageCount() const;
    /// The page at the top of the window (0-based).
    int currentPage() const;
    /// Scrolls so `page` (0-based) begins at the top; out-of-range pages are ignored.
    void goToPage(int page);

    /// Highlights every place the words occur (the terms of a search, each searched on its own).
    void setHighlights(const QStringList& terms);
    int hitCount() const { return static_cast<int>(hits_.size()); }
    /// The hit last moved to (-1 before any).
    int currentHit() const { return hit_; }
    /// Scrolls to the next or previous hit, wrapping around; false when there is none.
    bool nextHit();
    bool previousHit();
    /// Goes to the first hit on `page` or after it (for opening a document at a search result's page).
    void goToFirstHitFrom(int page);

    /// Bytes held by rendered page parts (for the memory benchmark and tests).
    qint64 cachedBytes() const;

signals:
    void currentPageChanged(int page);
    void zoomChanged();
    void hitsChanged();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;

private:
    struct Hit {
        int page;
        QRectF rect;  // in points
    };
    struct Rendered {
        qreal zoom = 0;
        QRect region;  // in device pixels of the scaled page
        QImage image;
    };
    qreal pixelsPerPoint() const;
    QSizeF pageSize(int page) const;  // in logical pixels at the current zoom
    qreal pageTop(int page) const;
    void updateGeometry();
    void collectHits();
    void showHit();

    QPdfDocument* doc_ = nullptr;
    bool fit_ = true;
    qreal zoom_ = 1.0;
    std::vector<qreal> tops_;  // each page's top in logical pixels
    qreal height_ = 0;
    int lastPage_ = -1;
    std::map<int, Rendered> rendered_;
    std::vector<QPdfSearchModel*> searches_;
    std::vector<Hit> hits_;
    int hit_ = -1;
    int pendingHitPage_ = -1;
};
