#pragma once
#include <QImage>
#include <QTextCursor>
#include <QWidget>
#include <memory>
#include <vector>

#include "gui/BoundModel.h"

class ElidedLabel;
class QLabel;
class PdfPageView;
class QIntValidator;
class QLineEdit;
class QPdfDocument;
class QPushButton;
class QShortcut;
class QScrollArea;
class QStackedWidget;
class QTextBrowser;
class WebView;

/// The datasheet viewer's document area (DocumentView.ui), bound to a `WebView` model: PDF through QtPdf (page
/// by page, with previous/next, zoom in/out and fit-to-width, only the visible part of a page rendered), HTML
/// and plain text (fixed-width) in a text browser, pictures fitted to the width and zoomed like pages. It
/// reports each load to the model as started, then finished or failed on a later turn, so the screen sees what
/// a web view would tell it. A document opens with the model's find text in the find bar and its words
/// highlighted, at the first hit from the model's start page (a PDF) or from the top (a text); Next/Previous
/// hit (F3, Shift+F3) walk them. A PDF opened without a start page opens at the page it was left at. Keys: Page
/// Up/Down turn pages, Home/End and Ctrl+Home/End go to the first/last page, Ctrl+G to a typed page,
/// Ctrl+plus/minus and Ctrl+wheel zoom from the size shown, keeping the page on screen; Ctrl+F finds other
/// words, Escape in the find bar clears them, then closes the bar (and then goes back, as everywhere). Text files
/// are read in the background and only their first `kTextLimit` bytes are shown, with a note saying so.
class DocumentView : public QWidget {
    Q_OBJECT
public:
    enum class Shown { Nothing, Pdf, Text, Image };
    static constexpr qint64 kTextLimit = 2 * 1024 * 1024;
    /// Hits marked in a text at most: a common letter would otherwise mark most of a large file.
    static constexpr int kMaxTextHits = 1000;

    explicit DocumentView(QWidget* parent = nullptr);
    ~DocumentView() override;

    /// Shows `model` and follows it until it is unbound or gone; nullptr detaches.
    void bind(WebView* model);

    Shown shown() const { return shown_; }
    QPdfDocument* pdfDocument() const { return pdf_; }
    PdfPageView* pdfView() const { return pdfView_; }
    QTextBrowser* textBrowser() const { return text_; }
    /// The picture as loaded (before scaling); null when none is shown.
    const QImage& image() const { return image_; }

    /// The PDF page on screen (0-based) and page turning; out-of-range pages are ignored.
    int currentPage() const;
    void goToPage(int page);
    void zoomIn();
    void zoomOut();
    void fitToWidth();

    /// The hits of the find bar's words in the document shown, and the one moved to last (-1 before any).
    int hitCount() const;
    int currentHit() const;

protected:
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct TextPart;
    void textRead(const QString& path, unsigned generation, const TextPart& part);
    /// A zoom factor, or 0 for fit-to-width; the page on screen stays.
    void setZoom(qreal factor);
    /// Marks the find bar's words in the document shown and moves to the first hit on `fromPage` or after it.
    void find(int fromPage);
    /// Escape in the find bar: clears its words, or closes it when they are already gone.
    void escapeFindBar();
    /// Shows the go-to-page field in place of the page counter, or puts the counter back.
    void editPage(bool editing);
    /// Remembers the page the PDF shown was left at.
    void rememberPage();
    void markTextHits(const QStringList& terms);
    void stepHit(bool backward);
    void showTextHit();
    void showFindBar(bool shown);
    void updateHitControls();
    bool isBound() const { return model_.isFollowing(); }
    void modelChanged();
    void performLoad(unsigned generation);
    void loadFile(const QString& path);
    void show(Shown what);
    void scaleImage();
    /// The picture's scale when fitted to the width (never above 1).
    qreal fittedImageZoom() const;
    void updatePageControls();

    BoundModel<WebView> model_;  // lets go of the model when this view goes
    unsigned shownGeneration_ = 0;
    unsigned pendingGeneration_ = 0;
    Shown shown_ = Shown::Nothing;

    QWidget* controls_;
    std::vector<QShortcut*> pdfKeys_;
    QStackedWidget* stack_;
    QWidget* empty_;
    QPdfDocument* pdf_;
    PdfPageView* pdfView_;
    QPushButton *prev_, *next_, *zoomOut_, *zoomIn_, *fit_;
    ElidedLabel* pageLabel_;
    QLineEdit* pageField_;
    QIntValidator* pageRange_;
    QString pdfPath_;  // the PDF shown, else empty
    QWidget* findBar_;
    QLineEdit* findField_;
    QLabel* hitLabel_;
    bool findWanted_ = false;  // the find bar stays open: opened by Ctrl+F or with words to find
    QWidget* textPage_;
    QLabel* textNotice_;
    QTextBrowser* text_;
    std::vector<QTextCursor> textHits_;  // in reading order
    int textHit_ = -1;
    QScrollArea* imageArea_;
    QLabel* imageLabel_;
    QImage image_;
    qreal imageZoom_ = 0;  // 0: fitted to the width
};
