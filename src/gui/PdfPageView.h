#pragma once
#include <QAbstractScrollArea>
#include <QImage>
#include <QList>
#include <QRectF>
#include <map>

class QPdfDocument;
class QTimer;

/// The pages of a PDF, one under the other, drawn by rendering only the part of each page that is on screen (and
/// a margin around it for smooth scrolling). Memory stays bounded by the window's size at any zoom: a scanned
/// page at 800 % would be a quarter of a gigabyte as a whole picture. Pages off screen keep nothing. Search hits
/// are painted over the page; `nextHit`/`previousHit` walk them in reading order. Pages are searched from the one
/// asked for outward (it at once, the others a few at a time between events), so the page being read shows its
/// hits at once however long the document. Zooming keeps the middle of the window, or the current hit when it is
/// on screen, where it was.
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
    /// Sets the scale, clamped to [kMinZoom, kMaxZoom]; the spot in the middle of the window (or the current hit,
    /// when it is shown) stays where it is.
    void setZoomFactor(qreal factor);

    int pageCount() const;
    /// The page at the top of the window (0-based).
    int currentPage() const;
    /// Scrolls so `page` (0-based) begins at the top; out-of-range pages are ignored.
    void goToPage(int page);

    /// Highlights every place the words occur (each searched on its own, without regard to case), searching from
    /// `fromPage` outward, and moves to the first hit on that page or after it as soon as it is found (wrapping
    /// to the first hit once every page was searched).
    void setHighlights(const QStringList& terms, int fromPage = 0);
    /// Hits found so far; `isSearching` says whether pages remain.
    int hitCount() const { return static_cast<int>(hits_.size()); }
    bool isSearching() const { return next_ < order_.size(); }
    /// The hit last moved to (-1 before any).
    int currentHit() const { return hit_; }
    /// Scrolls to the next or previous hit, wrapping around; before any, the first one after (before) the page
    /// on screen. False when there is none.
    bool nextHit();
    bool previousHit();

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
    /// Searches the next pages for about `budgetMs` milliseconds (at least one page).
    void searchPages(int budgetMs);
    void searchPage(int page);
    void showHit();
    /// A point of a page, in points, and where it is in the window.
    struct Anchor {
        int page = -1;
        QPointF points, inView;
    };
    Anchor anchorAt(QPointF inView) const;
    void restore(const Anchor& anchor);
    /// The middle of the window, or the current hit when it is on screen.
    Anchor zoomAnchor() const;
    QPointF pageOrigin(int page) const;  // the page's top left in content pixels

    QPdfDocument* doc_ = nullptr;
    bool fit_ = true;
    qreal zoom_ = 1.0;
    std::vector<qreal> tops_;  // each page's top in logical pixels
    qreal height_ = 0;
    int lastPage_ = -1;
    std::map<int, Rendered> rendered_;
    QStringList terms_;
    std::vector<int> order_;  // pages in the order searched
    size_t next_ = 0;         // the first page of order_ not searched yet
    QTimer* searchTimer_;
    std::vector<Hit> hits_;  // found so far, in reading order
    int hit_ = -1;
    int pendingHitPage_ = -1;
};
