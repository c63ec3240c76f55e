#include <QFile>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPdfDocument>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>
#include <QTextBrowser>
#include <QWheelEvent>

#include "datasheets/DocumentsFolder.h"
#include "gui/DocumentView.h"
#include "gui/DatasheetsTestPdf.h"
#include "gui/ElidedLabel.h"
#include "gui/PdfPageView.h"
#include "gui/GuiTestSupport.h"

namespace {

constexpr int kDatasheetsRow = 10;

void writeFile(const QString& name, const QByteArray& bytes) {
    QFile f(QString::fromStdString(DocumentsFolder::pathForName(name.toStdString())));
    f.open(QIODevice::WriteOnly);
    f.write(bytes);
}

int rowOf(QListWidget* list, const QString& name) {
    for (int i = 0; i < list->count(); ++i)
        if (list->item(i)->text() == name) return i;
    return -1;
}

// Clicks the row named `name` in the store's list and waits for the viewer to have loaded (or failed).
DocumentView* openRow(GuiHarness& gui, const QString& name) {
    auto* list = gui.find<QListWidget*>("m_cTableData");
    int row = list ? rowOf(list, name) : -1;
    if (row < 0) return nullptr;
    QWidget* before = gui.page();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(row)).center());
    if (!GuiHarness::waitFor([&] { return gui.page() != before; })) return nullptr;
    auto* cursor = gui.find<QProgressBar*>("m_cWaitCursor");
    if (!cursor || !GuiHarness::waitFor([&] { return !cursor->isVisible(); })) return nullptr;
    return gui.find<DocumentView*>("m_pWebView");
}

bool goBack(GuiHarness& gui) {
    QWidget* before = gui.page();
    QTest::mouseClick(gui.find<QPushButton*>("onButtonBack"), Qt::LeftButton);
    return GuiHarness::waitFor([&] { return gui.page() != before; });
}

}  // namespace

class DatasheetsScreenTest : public QObject {
    Q_OBJECT
private slots:
    void theListShowsEveryEntryAndRefreshPicksUpNewFiles() {
        GuiHarness gui;
        writeFile("LM317.pdf", QByteArray::fromStdString(makeTestPdf({"LM317"})));
        QVERIFY(QDir().mkdir(QString::fromStdString(DocumentsFolder::pathForName("old"))));
        QVERIFY(gui.openMenuRow(kDatasheetsRow));
        auto* list = gui.find<QListWidget*>("m_cTableData");
        auto* count = gui.find<QLabel*>("m_cFilesInfo");
        QVERIFY(list && count);
        QCOMPARE(list->count(), 2);
        QCOMPARE(count->text(), QString("Files: 2"));
        QVERIFY(rowOf(list, "LM317.pdf") >= 0 && rowOf(list, "old") >= 0);

        writeFile("TL431.pdf", "x");
        QCOMPARE(list->count(), 2);
        QTest::mouseClick(gui.find<QPushButton*>("onButtonRefresh"), Qt::LeftButton);
        QCOMPARE(list->count(), 3);
        QCOMPARE(count->text(), QString("Files: 3"));
    }

    void renameAndDeleteButtonsActOnTheSelectedFileOnly() {
        GuiHarness gui;
        writeFile("LM317.pdf", "x");
        writeFile("TL431.pdf", "y");
        QVERIFY(gui.openMenuRow(kDatasheetsRow));
        auto* list = gui.find<QListWidget*>("m_cTableData");
        auto* rename = gui.find<QPushButton*>("renameButton");
        auto* remove = gui.find<QPushButton*>("deleteButton");
        QVERIFY(list && rename && remove);
        QCOMPARE(rename->accessibleName(), QString("Rename the selected file"));
        auto enabled = [&] { return rename->isEnabled() && remove->isEnabled(); };
        const std::pair<const char*, std::function<void()>> steps[] = {
            // each with whether a file is selected
            {"nothing selected", [] {}},
            {"a file selected", [&] { list->setCurrentRow(rowOf(list, "LM317.pdf")); }},
            {"searching", [&] { QTest::keyClicks(gui.find<QLineEdit*>("m_cSearchField"), "lm"); }},
            {"search cleared",
             [&] {
                 QTest::keyClick(gui.find<QLineEdit*>("m_cSearchField"), Qt::Key_A, Qt::ControlModifier);
                 QTest::keyClick(gui.find<QLineEdit*>("m_cSearchField"), Qt::Key_Backspace);
             }},
            {"selected again", [&] { list->setCurrentRow(rowOf(list, "LM317.pdf")); }},
        };
        const bool expected[] = {false, true, false, false, true};
        for (size_t i = 0; i < std::size(steps); ++i) {
            steps[i].second();
            QVERIFY2(enabled() == expected[i] && (rename->isEnabled() == remove->isEnabled()), steps[i].first);
        }

        QTest::mouseClick(rename, Qt::LeftButton);  // edits the name in place, the extension kept out of the way
        QPointer<QLineEdit> editor = list->findChild<QLineEdit*>();
        QVERIFY(editor && editor->isVisible());
        gui.window().topScreen()->sendAction("onButtonRefresh");  // read again meanwhile, as when the index finishes
        QVERIFY(editor && editor->isVisible());
        QTRY_COMPARE(editor->selectedText(), QString("LM317"));
        QTest::keyClicks(editor, "LM317 rev B");
        QTest::keyClick(editor, Qt::Key_Return);
        QTRY_VERIFY(rowOf(list, "LM317 rev B.pdf") >= 0);
        // The edited row shows the new name at once; the store renames on the next turn of the loop.
        QTRY_VERIFY(QFile::exists(QString::fromStdString(DocumentsFolder::pathForName("LM317 rev B.pdf"))));
        QTRY_COMPARE(list->currentItem()->text(), QString("LM317 rev B.pdf"));  // still the row worked on

        list->setCurrentRow(rowOf(list, "TL431.pdf"));
        QTest::mouseClick(remove, Qt::LeftButton);  // asks first, naming the file
        QMessageBox* box = nullptr;
        QTRY_VERIFY((box = gui.window().findChild<QMessageBox*>()) != nullptr);
        QCOMPARE(box->text(), QString("Delete \"TL431.pdf\"?"));
        for (QAbstractButton* b : box->buttons())
            if (b->text() == "Delete") QTest::mouseClick(b, Qt::LeftButton);
        QTRY_COMPARE(rowOf(list, "TL431.pdf"), -1);
        // The selection stays where the row was: on its neighbour, ready for the next key.
        QVERIFY(list->currentItem() && list->currentItem()->isSelected());
        QCOMPARE(list->currentItem()->text(), QString("LM317 rev B.pdf"));
        QVERIFY(enabled());
    }

    void aPdfOpensWithItsNameAsTitleAndTurnsPagesAndZooms() {
        GuiHarness gui;
        const QString name = QString::fromUtf8("NE555 Datenblatt ü.pdf");
        writeFile(name, QByteArray::fromStdString(makeTestPdf({"Page one", "Page two", "Page three"})));
        QVERIFY(gui.openMenuRow(kDatasheetsRow));
        DocumentView* doc = openRow(gui, name);
        QVERIFY(doc);
        QCOMPARE(gui.find<QLabel*>("m_cNavigationBar")->text(), name);
        QCOMPARE(doc->shown(), DocumentView::Shown::Pdf);
        QCOMPARE(doc->pdfDocument()->pageCount(), 3);
        QVERIFY(!gui.find<QLabel*>("m_cMessage")->isVisible());

        auto* label = doc->findChild<QLabel*>("pageLabel");
        auto* next = doc->findChild<QPushButton*>("nextPage");
        auto* prev = doc->findChild<QPushButton*>("previousPage");
        QCOMPARE(label->text(), QString("Page 1 of 3"));
        QVERIFY(!prev->isEnabled());
        QTest::mouseClick(next, Qt::LeftButton);
        QTRY_COMPARE(doc->currentPage(), 1);
        QCOMPARE(label->text(), QString("Page 2 of 3"));
        QTest::mouseClick(next, Qt::LeftButton);
        QTRY_COMPARE(doc->currentPage(), 2);
        QVERIFY(!next->isEnabled());
        QTest::mouseClick(prev, Qt::LeftButton);
        QTRY_COMPARE(doc->currentPage(), 1);

        const qreal fitted = doc->pdfView()->zoomFactor();
        QTest::mouseClick(doc->findChild<QPushButton*>("zoomIn"), Qt::LeftButton);
        QVERIFY(doc->pdfView()->zoomFactor() > fitted);
        QVERIFY(!doc->pdfView()->isFitToWidth());
        QTest::mouseClick(doc->findChild<QPushButton*>("fitWidth"), Qt::LeftButton);
        QVERIFY(doc->pdfView()->isFitToWidth());
        QTest::mouseClick(doc->findChild<QPushButton*>("zoomOut"), Qt::LeftButton);
        QVERIFY2(doc->pdfView()->zoomFactor() < fitted, "zoom steps start from the fitted size");

        QVERIFY(goBack(gui));
        QVERIFY(gui.find<QListWidget*>("m_cTableData"));
    }

    void aSearchListsPagesAndOpensTheViewerAtThePageWithTheHitsMarked() {
        GuiHarness gui;
        writeFile("LM317.pdf", QByteArray::fromStdString(makeTestPdf(
                                   {"LM317 regulator", "Pin out", "The dropout voltage is 2 V", "dropout voltage again"})));
        writeFile("NE555.pdf", QByteArray::fromStdString(makeTestPdf({"NE555 timer"})));
        QByteArray notes;
        for (int line = 1; line <= 400; ++line)
            notes += line == 250 ? "C7 is a Tantalum 10 uF, see tantalum notes\n" : "R1 4k7 0.25 W\n";
        writeFile("bench notes.txt", notes);
        QVERIFY(gui.openMenuRow(kDatasheetsRow));
        auto* list = gui.find<QListWidget*>("m_cTableData");
        QVERIFY(GuiHarness::waitFor([&] { return !gui.find<QLabel*>("m_cIndexInfo")->isVisible(); }));
        QTest::keyClicks(gui.find<QLineEdit*>("m_cSearchField"), "\"dropout volt");  // results as it is typed
        QTRY_COMPARE(list->count(), 3);  // the document, then its pages 3 and 4
        QCOMPARE(list->item(0)->text(), QString("LM317.pdf"));
        QCOMPARE(QSet<QString>({list->item(1)->text(), list->item(2)->text()}), QSet<QString>({"Page 3", "Page 4"}));

        DocumentView* doc = openRow(gui, "Page 4");
        QVERIFY(doc);
        QTRY_COMPARE(doc->findChild<QLabel*>("hitLabel")->text(), QString("Hit 2 of 2"));
        QCOMPARE(doc->currentPage(), 3);
        QCOMPARE(doc->pdfView()->currentHit(), 1);
        QTest::mouseClick(doc->findChild<QPushButton*>("nextHit"), Qt::LeftButton);  // wraps to the first
        QCOMPARE(doc->pdfView()->currentHit(), 0);
        QTRY_COMPARE(doc->currentPage(), 2);

        // A text opens at its first hit's line, on screen, every hit marked; F3 goes on to the next.
        QVERIFY(goBack(gui));
        auto* field = gui.find<QLineEdit*>("m_cSearchField");
        field->selectAll();
        QTest::keyClicks(field, "tantal");
        QTRY_COMPARE(list->count(), 2);
        doc = openRow(gui, "Name or text");
        QVERIFY(doc);
        QCOMPARE(doc->shown(), DocumentView::Shown::Text);
        QCOMPARE(doc->hitCount(), 2);
        QCOMPARE(doc->textBrowser()->textCursor().blockNumber(), 249);
        QVERIFY(doc->textBrowser()->viewport()->rect().contains(doc->textBrowser()->cursorRect()));
        QCOMPARE(doc->textBrowser()->extraSelections().size(), 2);
        QCOMPARE(doc->findChild<QLabel*>("hitLabel")->text(), QString("Hit 1 of 2"));
        QTest::keyClick(doc->textBrowser(), Qt::Key_F3);
        QCOMPARE(doc->currentHit(), 1);
        QCOMPARE(doc->textBrowser()->textCursor().positionInBlock(), 28);
    }

    void zoomKeepsThePageKeysMoveAndTheTitleFits() {
        GuiHarness gui;
        const QString name = "ATmega328P complete datasheet, revision 7810D, thirty pages.pdf";
        writeFile(name, QByteArray::fromStdString(makeTestPdf(std::vector<std::string>(30, "page"))));
        QVERIFY(gui.openMenuRow(kDatasheetsRow));
        DocumentView* doc = openRow(gui, name);
        QVERIFY(doc);

        // The title shows the start of the name and "…", clear of the buttons beside it; so does the counter.
        auto* title = gui.find<ElidedLabel*>("m_cNavigationBar");
        QCOMPARE(title->text(), name);
        QVERIFY(title->shownText().endsWith(QChar(0x2026)));
        QVERIFY(name.startsWith(title->shownText().chopped(1)));
        for (const char* button : {"onButtonBack", "onButtonOpenExternal", "helpButton"})
            QVERIFY(!title->geometry().intersects(gui.find<QWidget*>(button)->geometry()));
        auto* counter = doc->findChild<ElidedLabel*>("pageLabel");
        for (QPushButton* button : doc->findChildren<QPushButton*>())
            QVERIFY(!counter->geometry().intersects(button->geometry()));

        // Every way of zooming keeps page 18 on screen.
        doc->goToPage(17);
        QTRY_COMPARE(doc->currentPage(), 17);
        QWidget* pages = doc->pdfView()->viewport();
        auto ctrlWheel = [&](int delta) {
            QWheelEvent wheel(QPointF(50, 50), pages->mapToGlobal(QPointF(50, 50)), {}, QPoint(0, delta), Qt::NoButton,
                              Qt::ControlModifier, Qt::NoScrollPhase, false);
            QApplication::sendEvent(pages, &wheel);
        };
        const std::pair<const char*, std::function<void()>> zooms[] = {
            {"+", [&] { QTest::mouseClick(doc->findChild<QPushButton*>("zoomIn"), Qt::LeftButton); }},
            {"Ctrl+=", [&] { QTest::keyClick(doc->pdfView(), Qt::Key_Equal, Qt::ControlModifier); }},
            {"Ctrl+wheel up", [&] { ctrlWheel(120); }},
            {"Ctrl+minus", [&] { QTest::keyClick(doc->pdfView(), Qt::Key_Minus, Qt::ControlModifier); }},
            {"Ctrl+wheel down", [&] { ctrlWheel(-120); }},
            {"fit", [&] { QTest::mouseClick(doc->findChild<QPushButton*>("fitWidth"), Qt::LeftButton); }},
        };
        doc->pdfView()->setFocus();
        for (const auto& [how, zoom] : zooms) {
            const qreal before = doc->pdfView()->zoomFactor();
            zoom();
            GuiHarness::settle(30);
            QVERIFY2(doc->pdfView()->zoomFactor() != before || QString(how) == "fit", how);
            QVERIFY2(doc->currentPage() == 17, how);
            QCOMPARE(counter->text(), QString("Page 18 of 30"));
        }
        // Zoomed in from the fitted page, the middle of the page stays in the middle, not its left margin.
        QTest::mouseClick(doc->findChild<QPushButton*>("zoomIn"), Qt::LeftButton);
        QScrollBar* across = doc->pdfView()->horizontalScrollBar();
        QVERIFY(across->maximum() > 0);
        QVERIFY2(std::abs(across->value() - across->maximum() / 2) <= 2, qPrintable(QString::number(across->value())));

        const std::pair<QKeySequence, int> keys[] = {{Qt::Key_End, 29}, {Qt::Key_Home, 0},
                                                     {Qt::CTRL | Qt::Key_End, 29}, {Qt::CTRL | Qt::Key_Home, 0}};
        for (const auto& [key, page] : keys) {
            QTest::keySequence(doc->pdfView(), key);
            QTRY_COMPARE(doc->currentPage(), page);
        }
        // Ctrl+G asks for a page in place of the counter; Enter goes there and puts the counter back.
        auto* pageField = doc->findChild<QLineEdit*>("pageField");
        QTest::keyClick(doc->pdfView(), Qt::Key_G, Qt::ControlModifier);
        QVERIFY(pageField->isVisible() && !counter->isVisible());
        QCOMPARE(pageField->selectedText(), QString("1"));
        QTest::keyClicks(pageField, "23");
        QTest::keyClick(pageField, Qt::Key_Return);
        QTRY_COMPARE(doc->currentPage(), 22);
        QVERIFY(!pageField->isVisible() && counter->isVisible());
        QTest::mouseClick(counter, Qt::LeftButton);  // a click on the counter asks as well; Escape puts it back
        QVERIFY(pageField->isVisible() && pageField->hasFocus());
        QTest::keyClick(pageField, Qt::Key_Escape);
        QVERIFY(!pageField->isVisible() && counter->isVisible());
        QCOMPARE(gui.find<DocumentView*>("m_pWebView"), doc);  // Escape there does not leave the viewer

        // The document opens again where it was left.
        QVERIFY(goBack(gui));
        doc = openRow(gui, name);
        QVERIFY(doc);
        QTRY_COMPARE(doc->currentPage(), 22);
    }

    // Opened at a search hit, a PDF's find marks that page at once and counts the others from it outward, so a
    // long document is not "No hits" for a while; F3 goes on from the hit shown; Escape in the find bar clears
    // the words, then closes the bar, then goes back.
    void theViewersFindStartsAtTheHitOpenedAndItsKeysGoOnFromThere() {
        GuiHarness gui;
        std::vector<std::string> pages(40, "nothing to see");
        for (int p : {2, 20, 21, 35}) pages[p] = "tantalum capacitor";
        writeFile("caps.pdf", QByteArray::fromStdString(makeTestPdf(pages)));
        writeFile("one.pdf", QByteArray::fromStdString(makeTestPdf({"tantalum"})));
        QPdfDocument pdf, onePage;
        pdf.load(QString::fromStdString(DocumentsFolder::pathForName("caps.pdf")));
        onePage.load(QString::fromStdString(DocumentsFolder::pathForName("one.pdf")));
        PdfPageView view;
        view.resize(400, 600);
        view.setDocument(&pdf);
        view.setHighlights({"Tantalum"}, 20);
        QCOMPARE(view.hitCount(), 1);  // before any event: the page asked for only
        QCOMPARE(view.currentHit(), 0);
        QVERIFY(view.isSearching());
        QTRY_VERIFY(!view.isSearching());
        QCOMPARE(view.hitCount(), 4);
        QCOMPARE(view.currentHit(), 1);  // still the hit on page 21, now after page 3's
        view.setDocument(&onePage);
        view.setHighlights({"tantalum"}, 0);
        QVERIFY(!view.isSearching());  // its only page searched at once: nothing left to say "searching" about
        QCOMPARE(view.hitCount(), 1);

        QVERIFY(gui.openMenuRow(kDatasheetsRow));
        QVERIFY(GuiHarness::waitFor([&] { return !gui.find<QLabel*>("m_cIndexInfo")->isVisible(); }));
        QTest::keyClicks(gui.find<QLineEdit*>("m_cSearchField"), "tantalum");
        auto* list = gui.find<QListWidget*>("m_cTableData");
        QTRY_VERIFY(rowOf(list, "Page 21") >= 0);
        DocumentView* doc = openRow(gui, "Page 21");
        QVERIFY(doc);
        auto* hits = doc->findChild<QLabel*>("hitLabel");
        auto* field = doc->findChild<QLineEdit*>("findField");
        QTRY_COMPARE(hits->text(), QString("Hit 2 of 4"));
        struct Step {
            const char* what;
            QWidget* to;
            QKeySequence key;
            QString hitLabel;
            bool barShown;
        };
        const Step steps[] = {
            {"F3: the hit after the one opened", doc->pdfView(), Qt::Key_F3, "Hit 3 of 4", true},
            {"F3 again", doc->pdfView(), Qt::Key_F3, "Hit 4 of 4", true},
            {"Shift+F3: back", doc->pdfView(), Qt::SHIFT | Qt::Key_F3, "Hit 3 of 4", true},
            {"Escape clears the words", field, Qt::Key_Escape, "", true},
            {"Escape closes the bar", field, Qt::Key_Escape, "", false},
        };
        for (const Step& step : steps) {
            step.to->setFocus();
            QTest::keySequence(QApplication::focusWidget() ? QApplication::focusWidget() : step.to, step.key);
            GuiHarness::settle(30);
            QVERIFY2(hits->text() == step.hitLabel, qPrintable(QString(step.what) + ": " + hits->text()));
            QVERIFY2(field->text().isEmpty() == step.hitLabel.isEmpty(), step.what);
            QVERIFY2(field->isVisible() == step.barShown, step.what);
            QVERIFY2(doc->currentPage() >= 20, step.what);  // the words cleared, the page stays
        }
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);  // then Escape goes back
        QVERIFY(GuiHarness::waitFor([&] { return gui.find<DocumentView*>("m_pWebView") == nullptr; }));
    }

    void aLargeTextShowsItsStartSaysSoAndIsFreedOnBack() {
        GuiHarness gui;
        QByteArray big;
        while (big.size() < 3 * DocumentView::kTextLimit) big += "R1 4k7 0.25 W, C1 100 nF 50 V, U1 NE555 \u00b5A\n";
        writeFile("bom.txt", big + "THE END\n");
        QVERIFY(gui.openMenuRow(kDatasheetsRow));
        QPointer<DocumentView> doc = openRow(gui, "bom.txt");
        QVERIFY(doc);
        QCOMPARE(doc->shown(), DocumentView::Shown::Text);
        const QString shown = doc->textBrowser()->toPlainText();
        QVERIFY(shown.size() <= DocumentView::kTextLimit && shown.size() > DocumentView::kTextLimit / 2);
        QVERIFY(shown.startsWith("R1 4k7") && !shown.contains("THE END") && !shown.contains(QChar::ReplacementCharacter));
        auto* notice = doc->findChild<QLabel*>("textNotice");
        QVERIFY(notice->isVisible() && notice->text().contains("only its first 2.0 MB of 6"));
        QVERIFY(goBack(gui));
        QVERIFY(GuiHarness::waitFor([&] { return doc.isNull(); }));
    }

    void textHtmlAndPicturesOpenInTheirOwnView() {
        GuiHarness gui;
        writeFile("notes", "R1 = 4k7\nC1 = 100n\n");
        writeFile("page.html", "<html><body><h1>Pinout</h1></body></html>");
        QImage picture(800, 400, QImage::Format_RGB32);
        picture.fill(Qt::darkGreen);
        QVERIFY(picture.save(QString::fromStdString(DocumentsFolder::pathForName("board.png"))));
        QVERIFY(gui.openMenuRow(kDatasheetsRow));

        DocumentView* doc = openRow(gui, "notes");
        QVERIFY(doc);
        QCOMPARE(doc->shown(), DocumentView::Shown::Text);
        QCOMPARE(doc->textBrowser()->toPlainText(), QString("R1 = 4k7\nC1 = 100n\n"));
        QVERIFY(goBack(gui));

        doc = openRow(gui, "page.html");
        QVERIFY(doc);
        QCOMPARE(doc->shown(), DocumentView::Shown::Text);
        QVERIFY(doc->textBrowser()->toPlainText().contains("Pinout"));
        QVERIFY(!doc->textBrowser()->toHtml().contains("<h1>"));  // rendered, not shown as source
        QVERIFY(goBack(gui));

        doc = openRow(gui, "board.png");
        QVERIFY(doc);
        QCOMPARE(doc->shown(), DocumentView::Shown::Image);
        QCOMPARE(doc->image().size(), QSize(800, 400));
        auto* shown = doc->findChild<QLabel*>("imageLabel");
        QVERIFY(shown->pixmap().width() <= gui.window().width());  // scaled down to the width
    }

    void whatCannotBeShownStopsTheCursorAndSaysWhy() {
        GuiHarness gui;
        writeFile("firmware.bin", QByteArray("\x7f" "ELF\x02\x01\x01\0\0\0", 10));
        writeFile("broken.pdf", "%PDF-1.4\nthis is not a PDF body\n");
        writeFile("gone.pdf", "x");
        QVERIFY(QDir().mkdir(QString::fromStdString(DocumentsFolder::pathForName("folder"))));
        QVERIFY(gui.openMenuRow(kDatasheetsRow));
        QVERIFY(QFile::remove(QString::fromStdString(DocumentsFolder::pathForName("gone.pdf"))));

        const std::pair<QString, QString> cases[] = {
            {"firmware.bin", "is not a kind of file this viewer shows"},
            {"broken.pdf", "it is not a complete PDF document"},
            {"gone.pdf", "is no longer in the store"},
            {"folder", "is a folder"},
        };
        for (const auto& [name, reason] : cases) {
            DocumentView* doc = openRow(gui, name);
            QVERIFY2(doc, qPrintable(name));
            auto* message = gui.find<QLabel*>("m_cMessage");
            QVERIFY2(message->isVisible(), qPrintable(name));
            QVERIFY2(message->text().contains(reason), qPrintable(message->text()));
            QCOMPARE(doc->shown(), DocumentView::Shown::Nothing);
            QVERIFY(!gui.find<QProgressBar*>("m_cWaitCursor")->isVisible());
            QVERIFY(goBack(gui));
        }
    }

    void openWithHandsTheFileToTheDesktop() {
        GuiHarness gui;
        writeFile("a b.pdf", QByteArray::fromStdString(makeTestPdf({"x"})));
        QVERIFY(gui.openMenuRow(kDatasheetsRow));
        QVERIFY(openRow(gui, "a b.pdf"));
        QString opened;
        Application::shared().setOpenURLHandler([&](const std::string& url) {
            opened = QString::fromStdString(url);
            return true;
        });
        QTest::mouseClick(gui.find<QPushButton*>("onButtonOpenExternal"), Qt::LeftButton);
        installGuiHandlers();  // the desktop's handler again
        QCOMPARE(QUrl(opened).toLocalFile(), QString::fromStdString(DocumentsFolder::pathForName("a b.pdf")));
    }

    void backBeforeTheDocumentLoadedLeavesCleanly() {
        GuiHarness gui;
        writeFile("slow.pdf", QByteArray::fromStdString(makeTestPdf({"x"})));
        QVERIFY(gui.openMenuRow(kDatasheetsRow));
        QWidget* list = gui.page();
        auto* table = gui.find<QListWidget*>("m_cTableData");
        table->setCurrentRow(0);
        emit table->itemActivated(table->item(0));  // presents the viewer; its load runs on a later turn
        ViewController* viewer = gui.window().topScreen();
        QVERIFY(viewer && viewer->nibName() == "InfoDatasheetOpen");
        QVERIFY(viewer->sendAction("onButtonBack"));
        QVERIFY(GuiHarness::waitFor([&] { return gui.page() == list; }));
        GuiHarness::settle(200);
        QCOMPARE(gui.window().topScreen()->nibName(), std::string("InfoDatasheetsView"));
    }
};

QTEST_MAIN(DatasheetsScreenTest)
#include "DatasheetsScreenTest.moc"
