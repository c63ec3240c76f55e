#include "gui/PdfPageView.h"

#include <QPainter>
#include <QPaintEvent>
#include <QPdfDocument>
#include <QPdfLink>
#include <QPdfSearchModel>
#include <QScrollBar>
#include <algorithm>
#include <cmath>

namespace {
constexpr int kSpacing = 8;
}

PdfPageView::PdfPageView(QWidget* parent) : QAbstractScrollArea(parent) {
    setFocusPolicy(Qt::StrongFocus);
    verticalScrollBar()->setSingleStep(40);
    horizontalScrollBar()->setSingleStep(40);
}

void PdfPageView::setDocument(QPdfDocument* document) {
    doc_ = document;
    connect(doc_, &QPdfDocument::statusChanged, this, [this] {
        rendered_.clear();
        hits_.clear();
        hit_ = -1;
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
    const int page = currentPage();
    fit_ = true;
    updateGeometry();
    goToPage(page);
    emit zoomChanged();
}

void PdfPageView::setZoomFactor(qreal factor) {
    const int page = currentPage();
    const qreal within = height_ > 0 ? verticalScrollBar()->value() - pageTop(page) : 0;
    const qreal old = zoom_;
    fit_ = false;
    zoom_ = std::clamp(factor, kMinZoom, kMaxZoom);
    updateGeometry();
    // The same spot of the same page stays at the top.
    verticalScrollBar()->setValue(static_cast<int>(pageTop(page) + within * zoom_ / old));
    emit zoomChanged();
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

void PdfPageView::setHighlights(const QStringList& terms) {
    for (QPdfSearchModel* s : searches_) s->deleteLater();
    searches_.clear();
    hits_.clear();
    hit_ = -1;
    for (const QString& term : terms) {
        if (term.trimmed().isEmpty()) continue;
        auto* search = new QPdfSearchModel(this);
        search->setDocument(doc_);
        search->setSearchString(term);
        // The model searches a few pages at a time; the hits are gathered again as they come.
        connect(search, &QAbstractItemModel::rowsInserted, this, &PdfPageView::collectHits);
        connect(search, &QAbstractItemModel::modelReset, this, &PdfPageView::collectHits);
        searches_.push_back(search);
    }
    collectHits();
}

void PdfPageView::collectHits() {
    const Hit current = hit_ >= 0 && hit_ < hitCount() ? hits_[static_cast<size_t>(hit_)] : Hit{-1, {}};
    hits_.clear();
    for (QPdfSearchModel* search : searches_)
        for (int i = 0; i < search->rowCount({}); ++i) {
            QPdfLink link = search->resultAtIndex(i);
            for (const QRectF& rect : link.rectangles()) hits_.push_back({link.page(), rect});
        }
    std::sort(hits_.begin(), hits_.end(), [](const Hit& a, const Hit& b) {
        if (a.page != b.page) return a.page < b.page;
        if (std::abs(a.rect.top() - b.rect.top()) > 2) return a.rect.top() < b.rect.top();
        return a.rect.left() < b.rect.left();
    });
    hit_ = -1;
    for (size_t i = 0; i < hits_.size(); ++i)
        if (hits_[i].page == current.page && hits_[i].rect == current.rect) hit_ = static_cast<int>(i);
    if (hit_ < 0 && pendingHitPage_ >= 0) goToFirstHitFrom(pendingHitPage_);
    viewport()->update();
    emit hitsChanged();
}

void PdfPageView::goToFirstHitFrom(int page) {
    pendingHitPage_ = page;
    for (size_t i = 0; i < hits_.size(); ++i)
        if (hits_[i].page >= page) {
            pendingHitPage_ = -1;
            hit_ = static_cast<int>(i);
            showHit();
            return;
        }
}

bool PdfPageView::nextHit() {
    if (hits_.empty()) return false;
    pendingHitPage_ = -1;
    hit_ = (hit_ + 1) % hitCount();
    showHit();
    return true;
}

bool PdfPageView::previousHit() {
    if (hits_.empty()) return false;
    pendingHitPage_ = -1;
    hit_ = hit_ <= 0 ? hitCount() - 1 : hit_ - 1;
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
