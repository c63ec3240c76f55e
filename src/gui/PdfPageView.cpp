#include "gui/PdfPageView.h"

#include <QPainter>
#include <QPaintEvent>
#include <QPdfDocument>
#include <QPdfSelection>
#include <QElapsedTimer>
#include <QScrollBar>
#include <QTimer>
#include <algorithm>
#include <cmath>

namespace {
constexpr int kSpacing = 8;
// Searching pages between events takes about this long at a time, so the window stays quick to answer.
constexpr int kSearchSliceMs = 15;

bool readingOrder(const QRectF& a, const QRectF& b) {
    if (std::abs(a.top() - b.top()) > 2) return a.top() < b.top();
    return a.left() < b.left();
}
}  // namespace

PdfPageView::PdfPageView(QWidget* parent) : QAbstractScrollArea(parent), searchTimer_(new QTimer(this)) {
    setFocusPolicy(Qt::StrongFocus);
    verticalScrollBar()->setSingleStep(40);
    horizontalScrollBar()->setSingleStep(40);
    searchTimer_->setInterval(0);
    connect(searchTimer_, &QTimer::timeout, this, [this] { searchPages(kSearchSliceMs); });
}

void PdfPageView::setDocument(QPdfDocument* document) {
    doc_ = document;
    connect(doc_, &QPdfDocument::statusChanged, this, [this] {
        rendered_.clear();
        setHighlights({});
        updateGeometry();
        viewport()->update();
    });
}

qreal PdfPageView::pixelsPerPoint() const { return logicalDpiX() / 72.0; }

int PdfPageView::pageCount() const { return doc_ ? doc_->pageCount() : 0; }

qreal PdfPageView::zoomFactor() const { return zoom_; }

QSizeF PdfPageView::pageSize(int page) const { return doc_->pagePointSize(page) * pixelsPerPoint() * zoom_; }

qreal PdfPageView::pageTop(int page) const {
    return page >= 0 && page < static_cast<int>(tops_.size()) ? tops_[static_cast<size_t>(page)] : 0;
}

void PdfPageView::setFitToWidth() {
    const Anchor anchor = zoomAnchor();
    fit_ = true;
    updateGeometry();
    restore(anchor);
    emit zoomChanged();
}

void PdfPageView::setZoomFactor(qreal factor) {
    const Anchor anchor = zoomAnchor();
    fit_ = false;
    zoom_ = std::clamp(factor, kMinZoom, kMaxZoom);
    updateGeometry();
    restore(anchor);
    emit zoomChanged();
}

QPointF PdfPageView::pageOrigin(int page) const {
    const qreal contentWidth = horizontalScrollBar()->maximum() + viewport()->width();
    return {(contentWidth - pageSize(page).width()) / 2, pageTop(page)};
}

PdfPageView::Anchor PdfPageView::anchorAt(QPointF inView) const {
    if (tops_.empty()) return {};
    const QPointF content = inView + QPointF(horizontalScrollBar()->value(), verticalScrollBar()->value());
    const auto after = std::upper_bound(tops_.begin(), tops_.end(), content.y());
    const int page = std::max(0, static_cast<int>(after - tops_.begin()) - 1);
    return {page, (content - pageOrigin(page)) / (pixelsPerPoint() * zoom_), inView};
}

void PdfPageView::restore(const Anchor& anchor) {
    if (anchor.page < 0 || anchor.page >= pageCount()) return;
    const QPointF content = pageOrigin(anchor.page) + anchor.points * pixelsPerPoint() * zoom_;
    horizontalScrollBar()->setValue(static_cast<int>(std::lround(content.x() - anchor.inView.x())));
    verticalScrollBar()->setValue(static_cast<int>(std::lround(content.y() - anchor.inView.y())));
    viewport()->update();
}

PdfPageView::Anchor PdfPageView::zoomAnchor() const {
    if (hit_ >= 0 && hit_ < hitCount()) {
        const Hit& h = hits_[static_cast<size_t>(hit_)];
        const QPointF inView = pageOrigin(h.page) + h.rect.center() * pixelsPerPoint() * zoom_ -
                               QPointF(horizontalScrollBar()->value(), verticalScrollBar()->value());
        if (viewport()->rect().contains(inView.toPoint())) return {h.page, h.rect.center(), inView};
    }
    return anchorAt(QRectF(viewport()->rect()).center());
}

void PdfPageView::updateGeometry() {
    const int count = pageCount();
    if (fit_ && count > 0) {
        qreal widest = 0;
        for (int i = 0; i < count; ++i) widest = std::max(widest, doc_->pagePointSize(i).width());
        const int width = viewport()->width() - 2 * kSpacing;
        zoom_ = std::clamp(widest > 0 ? width / (widest * pixelsPerPoint()) : 1.0, kMinZoom, kMaxZoom);
    }
    tops_.assign(static_cast<size_t>(count), 0);
    qreal y = kSpacing, widest = 0;
    for (int i = 0; i < count; ++i) {
        tops_[static_cast<size_t>(i)] = y;
        QSizeF s = pageSize(i);
        y += s.height() + kSpacing;
        widest = std::max(widest, s.width());
    }
    height_ = y;
    verticalScrollBar()->setRange(0, std::max(0, static_cast<int>(std::ceil(height_)) - viewport()->height()));
    verticalScrollBar()->setPageStep(viewport()->height());
    horizontalScrollBar()->setRange(0, std::max(0, static_cast<int>(std::ceil(widest + 2 * kSpacing)) - viewport()->width()));
    horizontalScrollBar()->setPageStep(viewport()->width());
    rendered_.clear();
    viewport()->update();
}

int PdfPageView::currentPage() const {
    if (tops_.empty()) return 0;
    // Scrolled to the end, the last page is the one being read even when the one before still shows.
    const QScrollBar* bar = verticalScrollBar();
    if (bar->maximum() > 0 && bar->value() == bar->maximum()) return pageCount() - 1;
    // The page that covers the upper third of the window.
    const qreal y = verticalScrollBar()->value() + viewport()->height() / 3.0;
    auto it = std::upper_bound(tops_.begin(), tops_.end(), y);
    return std::max(0, static_cast<int>(it - tops_.begin()) - 1);
}

void PdfPageView::goToPage(int page) {
    if (page < 0 || page >= pageCount()) return;
    verticalScrollBar()->setValue(static_cast<int>(pageTop(page) - kSpacing));
    viewport()->update();
    if (currentPage() != lastPage_) emit currentPageChanged(lastPage_ = currentPage());
}

void PdfPageView::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    const int page = currentPage();
    updateGeometry();
    if (fit_) goToPage(page);
}

void PdfPageView::scrollContentsBy(int, int) {
    viewport()->update();
    const int page = currentPage();
    if (page != lastPage_) emit currentPageChanged(lastPage_ = page);
}

void PdfPageView::paintEvent(QPaintEvent*) {
    QPainter painter(viewport());
    painter.fillRect(viewport()->rect(), QColor(0x80, 0x80, 0x80));  // white pages stand apart in either palette
    if (!doc_ || pageCount() == 0) return;
    const qreal dpr = devicePixelRatioF();
    const QRectF view(horizontalScrollBar()->value(), verticalScrollBar()->value(), viewport()->width(),
                      viewport()->height());
    const qreal contentWidth = horizontalScrollBar()->maximum() + viewport()->width();
    std::map<int, Rendered> keep;
    for (int page = 0; page < pageCount(); ++page) {
        const QSizeF size = pageSize(page);
        const QRectF pageRect((contentWidth - size.width()) / 2, pageTop(page), size.width(), size.height());
        const QRectF visible = pageRect.intersected(view);
        if (visible.isEmpty()) continue;
        // The visible part in device pixels of the scaled page.
        const QRect need = QRectF((visible.topLeft() - pageRect.topLeft()) * dpr, visible.size() * dpr).toAlignedRect();
        const QSize full = (size * dpr).toSize();
        Rendered r;
        if (auto it = rendered_.find(page); it != rendered_.end() && it->second.zoom == zoom_ &&
                                            it->second.region.contains(need))
            r = std::move(it->second);
        else {
            // A window's worth of margin around what is visible, so scrolling a little needs no new render.
            const int mx = viewport()->width() * dpr / 2, my = viewport()->height() * dpr / 2;
            const QRect region = need.adjusted(-mx, -my, mx, my).intersected(QRect(QPoint(0, 0), full));
            QPdfDocumentRenderOptions options;
            options.setScaledSize(full);
            options.setScaledClipRect(region);
            r = {zoom_, region, doc_->render(page, region.size(), options)};
        }
        const QPointF origin = pageRect.topLeft() - view.topLeft();
        painter.fillRect(QRectF(origin, size), Qt::white);
        QImage image = r.image;
        image.setDevicePixelRatio(dpr);
        painter.drawImage(origin + QPointF(r.region.topLeft()) / dpr, image);
        // Hits: the current one stronger than the rest.
        const qreal scale = pixelsPerPoint() * zoom_;
        for (size_t i = 0; i < hits_.size(); ++i) {
            if (hits_[i].page != page) continue;
            const QRectF rect(origin + hits_[i].rect.topLeft() * scale, hits_[i].rect.size() * scale);
            painter.fillRect(rect, static_cast<int>(i) == hit_ ? QColor(255, 140, 0, 120) : QColor(255, 230, 0, 110));
        }
        keep.emplace(page, std::move(r));
    }
    rendered_ = std::move(keep);  // pages off screen let go of their pixels
}

qint64 PdfPageView::cachedBytes() const {
    qint64 total = 0;
    for (const auto& [page, r] : rendered_) total += r.image.sizeInBytes();
    return total;
}

void PdfPageView::setHighlights(const QStringList& terms, int fromPage) {
    terms_.clear();
    for (const QString& term : terms)
        if (!term.trimmed().isEmpty()) terms_ << term;
    hits_.clear();
    hit_ = -1;
    order_.clear();
    next_ = 0;
    searchTimer_->stop();
    const int count = pageCount();
    pendingHitPage_ = terms_.isEmpty() || count == 0 ? -1 : std::clamp(fromPage, 0, count - 1);
    if (pendingHitPage_ >= 0) {
        // The page asked for, then the pages after and before it in turn, nearest first.
        order_.push_back(pendingHitPage_);
        for (int d = 1; d < count; ++d) {
            if (pendingHitPage_ + d < count) order_.push_back(pendingHitPage_ + d);
            if (pendingHitPage_ - d >= 0) order_.push_back(pendingHitPage_ - d);
        }
        searchPages(0);  // the page asked for at once
    }
    viewport()->update();
    emit hitsChanged();
}

void PdfPageView::searchPages(int budgetMs) {
    if (!isSearching()) return;
    QElapsedTimer spent;
    spent.start();
    do {
        searchPage(order_[next_++]);
    } while (isSearching() && spent.elapsed() < budgetMs);
    if (!isSearching()) {
        searchTimer_->stop();
        // Nothing on or after the page asked for: the first hit of the document, as a find that wraps.
        if (pendingHitPage_ >= 0 && !hits_.empty()) {
            pendingHitPage_ = -1;
            hit_ = 0;
            showHit();
        }
    } else if (!searchTimer_->isActive()) {
        searchTimer_->start();
    }
    emit hitsChanged();
}

void PdfPageView::searchPage(int page) {
    const QString text = doc_->getAllText(page).text();
    std::vector<Hit> found;
    for (const QString& term : terms_)
        for (qsizetype at = text.indexOf(term, 0, Qt::CaseInsensitive); at >= 0;
             at = text.indexOf(term, at + term.size(), Qt::CaseInsensitive))
            for (const QPolygonF& bounds : doc_->getSelectionAtIndex(page, static_cast<int>(at), term.size()).bounds())
                found.push_back({page, bounds.boundingRect()});
    if (found.empty()) return;
    std::sort(found.begin(), found.end(), [](const Hit& a, const Hit& b) { return readingOrder(a.rect, b.rect); });
    const auto at = std::lower_bound(hits_.begin(), hits_.end(), page, [](const Hit& h, int p) { return h.page < p; });
    const int index = static_cast<int>(at - hits_.begin());
    hits_.insert(at, found.begin(), found.end());
    if (hit_ >= index) hit_ += static_cast<int>(found.size());
    // Pages are searched outward from the page asked for, so every page between it and this one was searched
    // before: the first hit here is the first on or after it.
    if (pendingHitPage_ >= 0 && page >= pendingHitPage_) {
        pendingHitPage_ = -1;
        hit_ = index;
        showHit();
    }
    viewport()->update();
}

bool PdfPageView::nextHit() {
    if (hits_.empty()) return false;
    pendingHitPage_ = -1;
    if (hit_ < 0) {
        const int page = currentPage();
        auto first = std::find_if(hits_.begin(), hits_.end(), [page](const Hit& h) { return h.page >= page; });
        hit_ = first == hits_.end() ? 0 : static_cast<int>(first - hits_.begin());
    } else {
        hit_ = (hit_ + 1) % hitCount();
    }
    showHit();
    return true;
}

bool PdfPageView::previousHit() {
    if (hits_.empty()) return false;
    pendingHitPage_ = -1;
    if (hit_ < 0) {
        const int page = currentPage();
        auto last = std::find_if(hits_.rbegin(), hits_.rend(), [page](const Hit& h) { return h.page <= page; });
        hit_ = last == hits_.rend() ? hitCount() - 1 : static_cast<int>(hits_.rend() - last) - 1;
    } else {
        hit_ = hit_ <= 0 ? hitCount() - 1 : hit_ - 1;
    }
    showHit();
    return true;
}

void PdfPageView::showHit() {
    const Hit& h = hits_[static_cast<size_t>(hit_)];
    const qreal scale = pixelsPerPoint() * zoom_;
    const qreal y = pageTop(h.page) + h.rect.top() * scale;
    const int top = verticalScrollBar()->value();
    // Scrolled only when the hit is not already well inside the window.
    if (y < top + 20 || y + h.rect.height() * scale > top + viewport()->height() - 20)
        verticalScrollBar()->setValue(static_cast<int>(y - viewport()->height() / 3.0));
    const qreal contentWidth = horizontalScrollBar()->maximum() + viewport()->width();
    const qreal x = (contentWidth - pageSize(h.page).width()) / 2 + h.rect.left() * scale;
    if (x < horizontalScrollBar()->value() || x > horizontalScrollBar()->value() + viewport()->width() - 40)
        horizontalScrollBar()->setValue(static_cast<int>(x - viewport()->width() / 3.0));
    viewport()->update();
    emit hitsChanged();
}
