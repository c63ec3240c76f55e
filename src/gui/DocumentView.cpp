#include "gui/DocumentView.h"

#include <QFile>
#include <QFileInfo>
#include <QFontDatabase>
#include <QImageReader>
#include <QIntValidator>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPdfDocument>
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
#include <cmath>
#ifdef __GLIBC__
#include <malloc.h>
#endif

#include "library/DocumentType.h"
#include "gui/ElidedLabel.h"
#include "gui/PdfPageView.h"
#include "gui/UiLoader.h"
#include "gui/GuiState.h"
#include "library/SearchQuery.h"
#include "platform/ui/WebView.h"

namespace {

constexpr qreal kZoomStep = 1.25;
constexpr qreal kMinZoom = PdfPageView::kMinZoom;
constexpr qreal kMaxZoom = PdfPageView::kMaxZoom;
// Marks over the text in either palette: dark letters on the colours the PDF pages mark their hits with.
const QColor kHitColour(255, 230, 0), kCurrentHitColour(255, 160, 40);

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

DocumentView::DocumentView(QWidget* parent) : QWidget(parent) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    UiLoader loader;
    QWidget* root = loader.loadNamed("DocumentView", this);
    if (!root) throw std::logic_error("DocumentView.ui cannot be loaded");
    layout->addWidget(root);
    auto part = [root]<typename T>(T*& to, const char* name) { to = UiLoader::part<T>(root, name, "DocumentView"); };
    part(controls_, "pageBar");
    part(prev_, "previousPage");
    part(next_, "nextPage");
    part(pageLabel_, "pageLabel");
    part(pageField_, "pageField");
    part(zoomOut_, "zoomOut");
    part(fit_, "fitWidth");
    part(zoomIn_, "zoomIn");
    part(findBar_, "findBar");
    part(findField_, "findField");
    part(hitLabel_, "hitLabel");
    part(stack_, "stack");
    part(empty_, "emptyPage");
    part(pdfView_, "pdfView");
    part(textPage_, "textPage");
    part(textNotice_, "textNotice");
    part(text_, "textBrowser");
    part(imageArea_, "imageArea");
    part(imageLabel_, "imageLabel");
    QPushButton *prevHit = nullptr, *nextHit = nullptr;
    part(prevHit, "previousHit");
    part(nextHit, "nextHit");
    // As narrow as their text allows, so the page counter between them has room on a phone-sized window.
    for (QPushButton* b : {prev_, next_, zoomOut_, fit_, zoomIn_, prevHit, nextHit})
        b->setFixedWidth(std::max(40, b->fontMetrics().horizontalAdvance(b->text()) + 24));
    findBar_->hide();
    textNotice_->hide();
    pageField_->hide();
    pageField_->setValidator(pageRange_ = new QIntValidator(1, 1, pageField_));

    pdf_ = new QPdfDocument(this);
    pdfView_->setDocument(pdf_);
    connect(prev_, &QPushButton::clicked, this, [this] { goToPage(currentPage() - 1); });
    connect(next_, &QPushButton::clicked, this, [this] { goToPage(currentPage() + 1); });
    connect(zoomIn_, &QPushButton::clicked, this, &DocumentView::zoomIn);
    connect(zoomOut_, &QPushButton::clicked, this, &DocumentView::zoomOut);
    connect(fit_, &QPushButton::clicked, this, &DocumentView::fitToWidth);
    connect(prevHit, &QPushButton::clicked, this, [this] { stepHit(true); });
    connect(nextHit, &QPushButton::clicked, this, [this] { stepHit(false); });
    connect(findField_, &QLineEdit::textEdited, this, [this] { find(currentPage()); });
    connect(findField_, &QLineEdit::returnPressed, this, [this] { stepHit(false); });
    // Escape is the screen's Back key too: the find bar and the page field take it first while it means
    // something to them.
    findField_->installEventFilter(this);
    pageField_->installEventFilter(this);
    pageLabel_->installEventFilter(this);  // a click on the counter asks for a page
    connect(pageField_, &QLineEdit::returnPressed, this, [this] {
        const int page = pageField_->text().toInt();
        editPage(false);
        if (page >= 1) goToPage(std::min(page, pdf_->pageCount()) - 1);
        stack_->setFocus();
    });
    connect(pageField_, &QLineEdit::editingFinished, this, [this] {
        if (!pageField_->hasFocus()) editPage(false);
    });
    connect(pdfView_, &PdfPageView::currentPageChanged, this, &DocumentView::updatePageControls);
    connect(pdfView_, &PdfPageView::zoomChanged, this, &DocumentView::updatePageControls);
    connect(pdfView_, &PdfPageView::hitsChanged, this, &DocumentView::updateHitControls);
    pdfView_->viewport()->installEventFilter(this);  // Ctrl+wheel zooms
    imageArea_->viewport()->installEventFilter(this);
    auto key = [this](QKeySequence seq, QWidget* scope, auto fn) {
        auto* s = new QShortcut(seq, scope);
        s->setContext(Qt::WidgetWithChildrenShortcut);
        connect(s, &QShortcut::activated, this, fn);
        return s;
    };
    // Page keys work wherever the focus is in the viewer (a zoom button, say) while a PDF is shown; a text
    // keeps Home and End for itself.
    pdfKeys_ = {key(QKeySequence(Qt::Key_PageDown), this, [this] { goToPage(currentPage() + 1); }),
                key(QKeySequence(Qt::Key_PageUp), this, [this] { goToPage(currentPage() - 1); }),
                key(QKeySequence(Qt::Key_Home), this, [this] { goToPage(0); }),
                key(QKeySequence(Qt::Key_End), this, [this] { goToPage(pdf_->pageCount() - 1); }),
                key(QKeySequence(Qt::CTRL | Qt::Key_Home), this, [this] { goToPage(0); }),
                key(QKeySequence(Qt::CTRL | Qt::Key_End), this, [this] { goToPage(pdf_->pageCount() - 1); }),
                key(QKeySequence(Qt::CTRL | Qt::Key_G), this, [this] { editPage(true); })};
    // Ctrl and the plus key, with or without Shift (on many keyboards "+" shares its key with "=").
    for (QKeySequence zoomInKey : {QKeySequence(QKeySequence::ZoomIn), QKeySequence(Qt::CTRL | Qt::Key_Equal)})
        key(zoomInKey, this, [this] { zoomIn(); });
    key(QKeySequence::ZoomOut, this, [this] { zoomOut(); });
    key(QKeySequence(Qt::Key_F3), this, [this] { stepHit(false); });
    key(QKeySequence(Qt::SHIFT | Qt::Key_F3), this, [this] { stepHit(true); });
    key(QKeySequence::Find, this, [this] {
        if (shown_ != Shown::Pdf && shown_ != Shown::Text) return;
        findWanted_ = true;
        showFindBar(true);
        findField_->setFocus();
        findField_->selectAll();
    });
    key(QKeySequence(Qt::CTRL | Qt::Key_Home), textPage_, [this] { text_->moveCursor(QTextCursor::Start); });
    key(QKeySequence(Qt::CTRL | Qt::Key_End), textPage_, [this] { text_->moveCursor(QTextCursor::End); });

    setFocusProxy(stack_);
    updatePageControls();
}

DocumentView::~DocumentView() {
    rememberPage();
#ifdef __GLIBC__
    // A large text leaves megabytes of freed heap; hand them back to the system when the viewer closes.
    if (shown_ == Shown::Text) {
        text_->clear();
        malloc_trim(0);
    }
#endif
}

void DocumentView::bind(WebView* model) {
    shownGeneration_ = pendingGeneration_ = 0;
    model_.bind(model, this, [this] { modelChanged(); });
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
    rememberPage();
    pdfPath_.clear();
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
            pdfPath_ = QFileInfo(path).absoluteFilePath();
            fitToWidth();
            // A search result's page, else where the reader left the document.
            const int wanted = model_->startPage() > 0 ? model_->startPage() - 1 : GuiState::lastPage(pdfPath_);
            const int start = std::clamp(wanted, 0, pdf_->pageCount() - 1);
            goToPage(start);
            findField_->setText(QString::fromStdString(model_->findText()));
            find(start);
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
            imageZoom_ = 0;
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
    findField_->setText(QString::fromStdString(model_->findText()));
    find(0);
    model_->didFinishLoad();
}

void DocumentView::show(Shown what) {
    shown_ = what;
    switch (what) {
        case Shown::Nothing: stack_->setCurrentWidget(empty_); break;
        case Shown::Pdf: stack_->setCurrentWidget(pdfView_); break;
        case Shown::Text: stack_->setCurrentWidget(textPage_); break;
        case Shown::Image: stack_->setCurrentWidget(imageArea_); break;
    }
    if (what != Shown::Pdf) {
        pdfView_->setHighlights({});
        editPage(false);
    }
    if (what != Shown::Text) markTextHits({});
    for (QShortcut* k : pdfKeys_) k->setEnabled(what == Shown::Pdf);
    if (what == Shown::Text) text_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    // A document shown takes the keys (pages, Home/End), not the find bar that opens with it.
    if (what != Shown::Nothing) (what == Shown::Text ? static_cast<QWidget*>(text_) : stack_)->setFocus();
    updatePageControls();
    updateHitControls();
}

int DocumentView::currentPage() const {
    if (pdf_->pageCount() < 1) return 0;
    return std::clamp(pdfView_->currentPage(), 0, pdf_->pageCount() - 1);
}

void DocumentView::goToPage(int page) {
    pdfView_->goToPage(page);
    updatePageControls();
}

// Zoom steps start from the size shown: fitted to a narrow window, "−" makes the page smaller.
void DocumentView::zoomIn() {
    if (shown_ == Shown::Image) return setZoom(std::min(kMaxZoom, (imageZoom_ > 0 ? imageZoom_ : fittedImageZoom()) * kZoomStep));
    setZoom(std::min(kMaxZoom, pdfView_->zoomFactor() * kZoomStep));
}

void DocumentView::zoomOut() {
    if (shown_ == Shown::Image) return setZoom(std::max(kMinZoom, (imageZoom_ > 0 ? imageZoom_ : fittedImageZoom()) / kZoomStep));
    setZoom(std::max(kMinZoom, pdfView_->zoomFactor() / kZoomStep));
}

void DocumentView::fitToWidth() { setZoom(0); }

void DocumentView::setZoom(qreal factor) {
    if (shown_ == Shown::Image) {
        imageZoom_ = factor;
        scaleImage();
    } else if (factor > 0) {
        pdfView_->setZoomFactor(factor);
    } else {
        pdfView_->setFitToWidth();
    }
    updatePageControls();
}

void DocumentView::rememberPage() {
    if (!pdfPath_.isEmpty() && pdf_->pageCount() > 0) GuiState::rememberPage(pdfPath_, currentPage());
}

void DocumentView::escapeFindBar() {
    if (!findField_->text().isEmpty()) {
        findField_->clear();
        find(currentPage());
        return;
    }
    findWanted_ = false;
    showFindBar(false);
    stack_->setFocus();
}

void DocumentView::editPage(bool editing) {
    if (editing && shown_ != Shown::Pdf) return;
    pageLabel_->setVisible(!editing);
    pageField_->setVisible(editing);
    if (!editing) return;
    pageRange_->setTop(pdf_->pageCount());
    pageField_->setText(QString::number(currentPage() + 1));
    pageField_->setFocus();
    pageField_->selectAll();
}

bool DocumentView::eventFilter(QObject* watched, QEvent* event) {
    const bool key = event->type() == QEvent::KeyPress || event->type() == QEvent::ShortcutOverride;
    if (key && (watched == findField_ || watched == pageField_) &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape &&
        static_cast<QKeyEvent*>(event)->modifiers() == Qt::NoModifier) {
        // Taken from the screen's shortcut first, then handled as the key itself.
        event->accept();
        if (event->type() == QEvent::KeyPress) {
            if (watched == findField_) escapeFindBar();
            else {
                editPage(false);
                stack_->setFocus();
            }
        }
        return true;
    }
    if (watched == pageLabel_ && event->type() == QEvent::MouseButtonRelease) {
        editPage(true);
        return true;
    }
    if (event->type() == QEvent::Wheel && (watched == pdfView_->viewport() || watched == imageArea_->viewport())) {
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
    const bool pdf = shown_ == Shown::Pdf, image = shown_ == Shown::Image;
    controls_->setVisible(pdf || image);
    const int count = pdf ? pdf_->pageCount() : 0;
    const int page = currentPage();
    prev_->setVisible(pdf);
    next_->setVisible(pdf);
    pageLabel_->setText(count > 0 ? tr("Page %1 of %2").arg(page + 1).arg(count) : QString());
    prev_->setEnabled(count > 0 && page > 0);
    next_->setEnabled(count > 0 && page + 1 < count);
    const qreal zoom = image ? (imageZoom_ > 0 ? imageZoom_ : fittedImageZoom()) : pdfView_->zoomFactor();
    zoomIn_->setEnabled((count > 0 || image) && zoom < kMaxZoom);
    zoomOut_->setEnabled((count > 0 || image) && zoom > kMinZoom);
    fit_->setEnabled(count > 0 || image);
}

int DocumentView::hitCount() const {
    return shown_ == Shown::Pdf ? pdfView_->hitCount() : static_cast<int>(textHits_.size());
}

int DocumentView::currentHit() const { return shown_ == Shown::Pdf ? pdfView_->currentHit() : textHit_; }

void DocumentView::find(int fromPage) {
    QStringList terms;
    for (const auto& t : SearchQuery::terms(findField_->text().toStdString())) terms << QString::fromStdString(t);
    findWanted_ = findWanted_ || !terms.isEmpty();
    if (shown_ == Shown::Pdf) {
        pdfView_->setHighlights(terms, fromPage);
    } else if (shown_ == Shown::Text) {
        markTextHits(terms);
        if (!textHits_.empty()) stepHit(false);
    }
    updateHitControls();
}

void DocumentView::markTextHits(const QStringList& terms) {
    textHits_.clear();
    textHit_ = -1;
    // Each word on its own and without regard to case, as the PDF pages find theirs.
    for (const QString& term : terms)
        for (QTextCursor c = text_->document()->find(term); !c.isNull() && textHits_.size() < kMaxTextHits;
             c = text_->document()->find(term, c))
            textHits_.push_back(c);
    std::sort(textHits_.begin(), textHits_.end(),
              [](const QTextCursor& a, const QTextCursor& b) { return a.selectionStart() < b.selectionStart(); });
    showTextHit();
}

void DocumentView::stepHit(bool backward) {
    if (shown_ == Shown::Pdf) {
        backward ? pdfView_->previousHit() : pdfView_->nextHit();
    } else if (shown_ == Shown::Text && !textHits_.empty()) {
        const int count = static_cast<int>(textHits_.size());
        textHit_ = textHit_ < 0 ? (backward ? count - 1 : 0) : (textHit_ + (backward ? count - 1 : 1)) % count;
        showTextHit();
        // The hit's line in the middle of the view, its start where the cursor is.
        QTextCursor at(text_->document());
        at.setPosition(textHits_[textHit_].selectionStart());
        text_->setTextCursor(at);
        QScrollBar* bar = text_->verticalScrollBar();
        bar->setValue(bar->value() + text_->cursorRect().center().y() - text_->viewport()->height() / 2);
    }
    updateHitControls();
}

void DocumentView::showTextHit() {
    QList<QTextEdit::ExtraSelection> marks;
    for (size_t i = 0; i < textHits_.size(); ++i) {
        QTextEdit::ExtraSelection mark{textHits_[i], {}};
        mark.format.setBackground(static_cast<int>(i) == textHit_ ? kCurrentHitColour : kHitColour);
        mark.format.setForeground(Qt::black);
        marks << mark;
    }
    text_->setExtraSelections(marks);
}

void DocumentView::showFindBar(bool shown) {
    findBar_->setVisible(shown && (shown_ == Shown::Pdf || shown_ == Shown::Text));
}

void DocumentView::updateHitControls() {
    const int hits = hitCount(), current = currentHit();
    const bool searching = shown_ == Shown::Pdf && pdfView_->isSearching();
    showFindBar(findWanted_);
    if (findField_->text().trimmed().isEmpty())
        hitLabel_->clear();
    else if (searching && hits == 0)
        hitLabel_->setText(tr("Searching…"));
    else if (hits == 0)
        hitLabel_->setText(tr("No hits"));
    else if (current >= 0)
        hitLabel_->setText((searching ? tr("Hit %1 of %2, searching…") : tr("Hit %1 of %2")).arg(current + 1).arg(hits));
    else
        hitLabel_->setText(searching ? tr("%n hit(s), searching…", nullptr, hits) : tr("%n hit(s)", nullptr, hits));
    updatePageControls();
}

void DocumentView::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    if (shown_ == Shown::Image) scaleImage();
}

qreal DocumentView::fittedImageZoom() const {
    if (image_.isNull()) return 1;
    // Large pictures shrink to the width; small ones keep their size rather than turn blurry.
    const qreal width = std::max(1, imageArea_->viewport()->width() - 4) * devicePixelRatioF();
    return std::min<qreal>(1, width / image_.width());
}

void DocumentView::scaleImage() {
    if (image_.isNull()) return;
    const qreal dpr = devicePixelRatioF();
    // Zoomed in, a picture is held whole: kept under about 200 MB however large it is.
    const qreal largest = std::sqrt(50e6 / (qreal(image_.width()) * image_.height()));
    const qreal zoom = std::min(imageZoom_ > 0 ? imageZoom_ : fittedImageZoom(), largest);
    QImage shown = zoom == 1 ? image_
                             : image_.scaledToWidth(std::max(1, static_cast<int>(image_.width() * zoom)),
                                                    Qt::SmoothTransformation);
    QPixmap pm = QPixmap::fromImage(shown);
    pm.setDevicePixelRatio(dpr);
    imageLabel_->setPixmap(pm);
}
