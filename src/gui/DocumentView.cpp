#include "gui/DocumentView.h"

#include <QFile>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QImageReader>
#include <QLabel>
#include <QPdfDocument>
#include <QPdfPageNavigator>
#include <QPdfView>
#include <QPointer>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QShortcut>
#include <QStackedWidget>
#include <QStringDecoder>
#include <QTextBrowser>
#include <QThreadPool>
#include <QTimer>
#include <QVBoxLayout>
#include <QWheelEvent>
#include <algorithm>
#ifdef __GLIBC__
#include <malloc.h>
#endif

#include "datasheets/DocumentType.h"
#include "gui/ElidedLabel.h"
#include "platform/ui/WebView.h"

namespace {

constexpr qreal kZoomStep = 1.25;
constexpr qreal kMinZoom = 0.25;
constexpr qreal kMaxZoom = 8.0;

QPushButton* toolButton(const QString& text, const QString& tip, const QString& name, QWidget* parent) {
    auto* b = new QPushButton(text, parent);
    b->setObjectName(name);
    b->setToolTip(tip);
    b->setAccessibleName(tip);
    // As narrow as their text allows, so the page counter between them has room on a phone-sized window.
    b->setFixedWidth(std::max(40, b->fontMetrics().horizontalAdvance(text) + 24));
    return b;
}

Error readError(const QString& path, const QString& reason) {
    return Error{DocumentType::kErrorDomain, DocumentType::Unreadable,
                 "\"" + QFileInfo(path).fileName().toStdString() + "\" cannot be read: " + reason.toStdString() + "."};
}

QString megabytes(qint64 bytes) { return QString::number(bytes / (1024.0 * 1024.0), 'f', bytes < 10 * 1048576 ? 1 : 0); }

}  // namespace

// The start of a text file, read off the GUI thread.
struct DocumentView::TextPart {
    QString text;
    qint64 fileSize = 0;
    bool cut = false;
    QString error;  // why it cannot be read, else empty

    static TextPart read(const QString& path) {
        TextPart part;
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly)) {
            part.error = file.errorString();
            return part;
        }
        part.fileSize = file.size();
        const QByteArray bytes = file.read(kTextLimit);
        part.cut = part.fileSize > bytes.size();
        // Stateful decoding keeps a character cut at the limit out of the text instead of showing it broken.
        QStringDecoder decoder(QStringDecoder::Utf8);
        part.text = decoder.decode(bytes);
        return part;
    }
};

namespace {

}  // namespace

DocumentView::DocumentView(QWidget* parent) : QWidget(parent) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    stack_ = new QStackedWidget(this);
    layout->addWidget(stack_);

    empty_ = new QWidget(stack_);
    stack_->addWidget(empty_);

    // PDF: a row of page and zoom controls over the pages.
    pdfPage_ = new QWidget(stack_);
    auto* pdfLayout = new QVBoxLayout(pdfPage_);
    pdfLayout->setContentsMargins(0, 0, 0, 0);
    pdfLayout->setSpacing(2);
    auto* bar = new QHBoxLayout;
    bar->setContentsMargins(6, 4, 6, 2);
    prev_ = toolButton("\u25C0", tr("Previous page"), "previousPage", pdfPage_);
    next_ = toolButton("\u25B6", tr("Next page"), "nextPage", pdfPage_);
    pageLabel_ = new ElidedLabel(pdfPage_);
    pageLabel_->setObjectName("pageLabel");
    pageLabel_->setAlignment(Qt::AlignCenter);
    zoomOut_ = toolButton("\u2212", tr("Zoom out"), "zoomOut", pdfPage_);
    fit_ = toolButton(tr("Fit"), tr("Fit to width"), "fitWidth", pdfPage_);
    zoomIn_ = toolButton("+", tr("Zoom in"), "zoomIn", pdfPage_);
    bar->addWidget(prev_);
    bar->addWidget(pageLabel_, 1);
    bar->addWidget(next_);
    bar->addSpacing(10);
    bar->addWidget(zoomOut_);
    bar->addWidget(fit_);
    bar->addWidget(zoomIn_);
    pdfLayout->addLayout(bar);
    pdf_ = new QPdfDocument(this);
    pdfView_ = new QPdfView(pdfPage_);
    pdfView_->setObjectName("pdfView");
    pdfView_->setAccessibleName(tr("Document pages"));
    pdfView_->setDocument(pdf_);
    pdfView_->setPageMode(QPdfView::PageMode::MultiPage);
    pdfView_->setZoomMode(QPdfView::ZoomMode::FitToWidth);
    pdfView_->setPageSpacing(8);
    pdfLayout->addWidget(pdfView_, 1);
    stack_->addWidget(pdfPage_);
    connect(prev_, &QPushButton::clicked, this, [this] { goToPage(currentPage() - 1); });
    connect(next_, &QPushButton::clicked, this, [this] { goToPage(currentPage() + 1); });
    connect(zoomIn_, &QPushButton::clicked, this, &DocumentView::zoomIn);
    connect(zoomOut_, &QPushButton::clicked, this, &DocumentView::zoomOut);
    connect(fit_, &QPushButton::clicked, this, &DocumentView::fitToWidth);
    connect(pdfView_->pageNavigator(), &QPdfPageNavigator::currentPageChanged, this, &DocumentView::updatePageControls);
    connect(pdfView_->verticalScrollBar(), &QScrollBar::valueChanged, this, &DocumentView::updatePageControls);
    pdfView_->viewport()->installEventFilter(this);  // Ctrl+wheel zooms
    auto key = [this](QKeySequence seq, auto fn) {
        auto* s = new QShortcut(seq, pdfPage_);
        s->setContext(Qt::WidgetWithChildrenShortcut);
        connect(s, &QShortcut::activated, this, fn);
    };
    key(QKeySequence(Qt::Key_PageDown), [this] { goToPage(currentPage() + 1); });
    key(QKeySequence(Qt::Key_PageUp), [this] { goToPage(currentPage() - 1); });
    key(QKeySequence(Qt::Key_Home), [this] { goToPage(0); });
    key(QKeySequence(Qt::Key_End), [this] { goToPage(pdf_->pageCount() - 1); });
    // Ctrl and the plus key, with or without Shift (on many keyboards "+" shares its key with "=").
    for (QKeySequence zoomInKey : {QKeySequence(QKeySequence::ZoomIn), QKeySequence(Qt::CTRL | Qt::Key_Equal)})
        key(zoomInKey, [this] { zoomIn(); });
    key(QKeySequence::ZoomOut, [this] { zoomOut(); });

    // Text: a note over the text when only its start is shown.
    textPage_ = new QWidget(stack_);
    auto* textLayout = new QVBoxLayout(textPage_);
    textLayout->setContentsMargins(0, 0, 0, 0);
    textNotice_ = new QLabel(textPage_);
    textNotice_->setObjectName("textNotice");
    textNotice_->setProperty("class", "note");
    textNotice_->setWordWrap(true);
    textNotice_->hide();
    textLayout->addWidget(textNotice_);
    text_ = new QTextBrowser(textPage_);
    text_->setObjectName("textBrowser");
    text_->setAccessibleName(tr("Document text"));
    text_->setOpenExternalLinks(true);
    textLayout->addWidget(text_, 1);
    stack_->addWidget(textPage_);

    imageArea_ = new QScrollArea(stack_);
    imageArea_->setObjectName("imageArea");
    imageArea_->setAccessibleName(tr("Picture"));
    imageArea_->setAlignment(Qt::AlignCenter);
    imageLabel_ = new QLabel(imageArea_);
    imageLabel_->setObjectName("imageLabel");
    imageLabel_->setAlignment(Qt::AlignCenter);
    imageArea_->setWidget(imageLabel_);
    imageArea_->setWidgetResizable(true);
    stack_->addWidget(imageArea_);

    setFocusProxy(stack_);
    updatePageControls();
}

DocumentView::~DocumentView() {
    if (isBound()) model_->setChangeObserver(nullptr);
#ifdef __GLIBC__
    // A large text leaves megabytes of freed heap; hand them back to the system when the viewer closes.
    if (shown_ == Shown::Text) {
        text_->clear();
        malloc_trim(0);
    }
#endif
}

void DocumentView::bind(WebView* model) {
    if (isBound()) model_->setChangeObserver(nullptr);
    bound_.reset();
    model_ = model;
    shownGeneration_ = pendingGeneration_ = 0;
    if (!model_) return;
    auto token = std::make_shared<int>(0);
    bound_ = token;
    QPointer<DocumentView> self(this);
    model_->setChangeObserver([self, token] {
        if (self) self->modelChanged();
    });
    modelChanged();
}

void DocumentView::modelChanged() {
    setVisible(!model_->isHidden());
    if (shownGeneration_ != model_->loadGeneration()) {
        shownGeneration_ = model_->loadGeneration();
        pendingGeneration_ = shownGeneration_;
        // The load reports back on a later turn, as a web view does, so the screen sees the cursor turn first
        // and may still stop the load.
        model_->didStartLoad();
        unsigned generation = shownGeneration_;
        QTimer::singleShot(0, this, [this, generation] { performLoad(generation); });
    } else if (pendingGeneration_ && !model_->isLoading()) {
        pendingGeneration_ = 0;  // stopped before it ran
    }
}

void DocumentView::performLoad(unsigned generation) {
    if (!isBound() || pendingGeneration_ != generation) return;
    pendingGeneration_ = 0;
    switch (model_->source()) {
        case WebView::Source::None:
            show(Shown::Nothing);
            model_->didFinishLoad();
            break;
        case WebView::Source::Html:
            text_->setHtml(QString::fromStdString(model_->html()));
            show(Shown::Text);
            model_->didFinishLoad();
            break;
        case WebView::Source::File:
            loadFile(QString::fromStdString(model_->filePath()));
            break;
    }
}

void DocumentView::loadFile(const QString& path) {
    // Whatever was shown before goes, so a failure never leaves another document on screen.
    pdf_->close();
    image_ = QImage();
    imageLabel_->clear();
    text_->clear();
    textNotice_->hide();
    show(Shown::Nothing);

    const std::string name = QFileInfo(path).fileName().toStdString();
    Error error;
    auto kind = DocumentType::kindOfFile(path.toStdString(), &error);
    if (!kind) return model_->didFailLoad(error);
    switch (*kind) {
        case DocumentType::Kind::Pdf: {
            auto status = pdf_->load(path);
            if (status == QPdfDocument::Error::IncorrectPassword ||
                status == QPdfDocument::Error::UnsupportedSecurityScheme)
                return model_->didFailLoad(Error{DocumentType::kErrorDomain, DocumentType::Unreadable,
                                                 "\"" + name + "\" is locked with a password. Use \"Open with…\" "
                                                 "to open it with a program that asks for it."});
            if (status != QPdfDocument::Error::None || pdf_->pageCount() < 1)
                return model_->didFailLoad(DocumentType::damagedError(name, "PDF document"));
            show(Shown::Pdf);
            fitToWidth();
            goToPage(0);
            break;
        }
        case DocumentType::Kind::Html:
            text_->setSource(QUrl::fromLocalFile(path), QTextDocument::HtmlResource);
            show(Shown::Text);
            break;
        case DocumentType::Kind::Text: {
            // Read off the GUI thread, so a large file never freezes the window; it reports back when done.
            QPointer<DocumentView> self(this);
            const unsigned generation = model_->loadGeneration();
            QThreadPool::globalInstance()->start([self, path, generation] {
                TextPart part = TextPart::read(path);
                QMetaObject::invokeMethod(
                    qApp, [self, path, generation, part = std::move(part)] {
                        if (self) self->textRead(path, generation, part);
                    },
                    Qt::QueuedConnection);
            });
            return;
        }
        case DocumentType::Kind::Image: {
            QImageReader reader(path);
            reader.setAutoTransform(true);
            image_ = reader.read();
            if (image_.isNull()) return model_->didFailLoad(DocumentType::damagedError(name, "picture this viewer reads"));
            show(Shown::Image);
            scaleImage();
            break;
        }
        case DocumentType::Kind::Unsupported:
            return model_->didFailLoad(DocumentType::unsupportedError(name));
    }
    model_->didFinishLoad();
}

void DocumentView::textRead(const QString& path, unsigned generation, const TextPart& part) {
    // Dropped when the viewer stopped this load or started another meanwhile.
    if (!isBound() || model_->loadGeneration() != generation || !model_->isLoading()) return;
    if (!part.error.isEmpty()) return model_->didFailLoad(readError(path, part.error));
    text_->setPlainText(part.text);
    textNotice_->setText(tr("This file is large: only its first %1 MB of %2 MB are shown. Use \u201cOpen with\u2026\u201d "
                            "to read all of it.")
                             .arg(megabytes(kTextLimit), megabytes(part.fileSize)));
    textNotice_->setVisible(part.cut);
    show(Shown::Text);
    model_->didFinishLoad();
}

void DocumentView::show(Shown what) {
    shown_ = what;
    switch (what) {
        case Shown::Nothing: stack_->setCurrentWidget(empty_); break;
        case Shown::Pdf: stack_->setCurrentWidget(pdfPage_); break;
        case Shown::Text: stack_->setCurrentWidget(textPage_); break;
        case Shown::Image: stack_->setCurrentWidget(imageArea_); break;
    }
    updatePageControls();
}

int DocumentView::currentPage() const {
    if (pdf_->pageCount() < 1) return 0;
    return std::clamp(pdfView_->pageNavigator()->currentPage(), 0, pdf_->pageCount() - 1);
}

void DocumentView::goToPage(int page) {
    if (page < 0 || page >= pdf_->pageCount()) return;
    QPdfPageNavigator* navigator = pdfView_->pageNavigator();
    // The view scrolls only when the navigator's page changes; after a zoom the navigator may still name the
    // page while another one is on screen, so it is moved off and back.
    if (navigator->currentPage() == page && pdf_->pageCount() > 1)
        navigator->jump(page > 0 ? page - 1 : page + 1, QPointF(), pdfView_->zoomFactor());
    navigator->jump(page, QPointF(), pdfView_->zoomFactor());
    updatePageControls();
}

void DocumentView::zoomIn() { setZoom(std::min(kMaxZoom, pdfView_->zoomFactor() * kZoomStep)); }

void DocumentView::zoomOut() { setZoom(std::max(kMinZoom, pdfView_->zoomFactor() / kZoomStep)); }

void DocumentView::fitToWidth() { setZoom(0); }

void DocumentView::setZoom(qreal factor) {
    // The view keeps its scroll offset in pixels, which lands on another page at another zoom: go back to the
    // page that was on screen.
    const int page = currentPage();
    if (factor > 0) {
        pdfView_->setZoomMode(QPdfView::ZoomMode::Custom);
        pdfView_->setZoomFactor(factor);
    } else {
        pdfView_->setZoomMode(QPdfView::ZoomMode::FitToWidth);
    }
    goToPage(page);
    updatePageControls();
}

bool DocumentView::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Wheel && watched == pdfView_->viewport()) {
        auto* wheel = static_cast<QWheelEvent*>(event);
        if (wheel->modifiers() & Qt::ControlModifier) {
            if (wheel->angleDelta().y() > 0) zoomIn();
            else if (wheel->angleDelta().y() < 0) zoomOut();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void DocumentView::updatePageControls() {
    int count = pdf_->pageCount();
    int page = currentPage();
    pageLabel_->setText(count > 0 ? tr("Page %1 of %2").arg(page + 1).arg(count) : QString());
    prev_->setEnabled(count > 0 && page > 0);
    next_->setEnabled(count > 0 && page + 1 < count);
    zoomIn_->setEnabled(count > 0 && pdfView_->zoomFactor() < kMaxZoom);
    zoomOut_->setEnabled(count > 0 && pdfView_->zoomFactor() > kMinZoom);
    fit_->setEnabled(count > 0);
}

void DocumentView::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    if (shown_ == Shown::Image) scaleImage();
}

void DocumentView::scaleImage() {
    if (image_.isNull()) return;
    // Large pictures shrink to the width; small ones keep their size rather than turn blurry.
    int width = std::max(1, imageArea_->viewport()->width() - 4);
    qreal dpr = devicePixelRatioF();
    QImage shown = image_.width() > width * dpr
                       ? image_.scaledToWidth(static_cast<int>(width * dpr), Qt::SmoothTransformation)
                       : image_;
    QPixmap pm = QPixmap::fromImage(shown);
    pm.setDevicePixelRatio(dpr);
    imageLabel_->setPixmap(pm);
}
