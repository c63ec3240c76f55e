// Peak memory of the datasheet viewer at its largest zoom while paging through a scanned 20-page PDF, side by
// side with Qt's own PDF view (which renders whole pages and keeps many of them).
//
//   viewer_memory_bench                 runs both, each in a process of its own, and prints a table
//   viewer_memory_bench MODE PDF        one run: MODE is "velkaro" or "qpdfview"
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QPainter>
#include <QPdfDocument>
#include <QPdfView>
#include <QPdfWriter>
#include <QPdfPageNavigator>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>
#include <cstdio>
#include <string>

#include "gui/DocumentView.h"
#include "gui/PdfPageView.h"
#include "platform/ui/WebView.h"

namespace {

constexpr int kPages = 20;

double peakRssMiB() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss / 1024.0;
}

// A scan: every page one 300 dpi picture of a printed page (grey paper, lines of dark marks), no text layer.
void writeScannedPdf(const QString& path) {
    QPdfWriter writer(path);
    writer.setResolution(300);
    writer.setPageSize(QPageSize(QPageSize::A4));
    writer.setPageMargins(QMarginsF(0, 0, 0, 0));
    QPainter painter(&writer);
    QRandomGenerator rng(7);
    for (int page = 0; page < kPages; ++page) {
        if (page > 0) writer.newPage();
        QImage scan(2480, 3508, QImage::Format_RGB32);
        scan.fill(QColor(238, 236, 228));
        QPainter p(&scan);
        for (int y = 200; y < 3300; y += 60)
            for (int x = 200; x < 2280;) {
                int w = 20 + static_cast<int>(rng.bounded(80));
                p.fillRect(x, y, w, 30, QColor(40, 40, 45));
                x += w + 18;
            }
        p.end();
        painter.drawImage(QRect(0, 0, writer.width(), writer.height()), scan);
    }
}

int runOne(const std::string& mode, const QString& pdf) {
    QWidget window;
    window.resize(800, 1000);
    QElapsedTimer clock;
    clock.start();
    if (mode == "qpdfview") {
        QPdfDocument doc;
        doc.load(pdf);
        QPdfView view(&window);
        view.resize(window.size());
        view.setDocument(&doc);
        view.setPageMode(QPdfView::PageMode::MultiPage);
        view.setZoomMode(QPdfView::ZoomMode::Custom);
        view.setZoomFactor(PdfPageView::kMaxZoom);
        window.show();
        for (int page = 0; page < kPages; ++page) {
            view.pageNavigator()->jump(page, QPointF(), view.zoomFactor());
            QTest::qWait(400);  // it renders on a thread of its own
        }
    } else {
        WebView model;
        DocumentView view(&window);
        view.resize(window.size());
        view.bind(&model);
        model.loadFile(pdf.toStdString());
        window.show();
        QTest::qWait(200);
        view.pdfView()->setZoomFactor(PdfPageView::kMaxZoom);
        for (int page = 0; page < kPages; ++page) {
            view.goToPage(page);
            view.pdfView()->viewport()->repaint();
            QTest::qWait(50);
        }
    }
    std::printf("%s %.1f %.2f\n", mode.c_str(), peakRssMiB(), clock.elapsed() / 1000.0);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 3) {
        QApplication app(argc, argv);
        return runOne(argv[1], argv[2]);
    }
    QTemporaryDir dir;
    const QString pdf = dir.filePath("scanned.pdf");
    {
        int n = 1;
        QApplication app(n, argv);
        writeScannedPdf(pdf);
    }
    std::printf("| viewer at %.0f %% zoom, %d scanned pages | peak RSS (MiB) | seconds |\n|---|---|---|\n",
                PdfPageView::kMaxZoom * 100, kPages);
    std::fflush(stdout);
    for (const char* mode : {"velkaro", "qpdfview"}) {
        // Each in a fresh process, so one's peak does not hide the other's.
        const std::string cmd = std::string("'") + argv[0] + "' " + mode + " '" + pdf.toStdString() + "'";
        FILE* out = ::popen(cmd.c_str(), "r");
        char name[32];
        double rss = 0, seconds = 0;
        if (out && std::fscanf(out, "%31s %lf %lf", name, &rss, &seconds) == 3)
            std::printf("| %s | %.0f | %.1f |\n", mode, rss, seconds);
        else
            std::printf("| %s | failed | |\n", mode);
        if (out) ::pclose(out);
        std::fflush(stdout);
    }
    return 0;
}
