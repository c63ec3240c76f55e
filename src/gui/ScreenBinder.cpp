#include "gui/ScreenBinder.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QFile>
#include <QGridLayout>
#include <QGraphicsOpacityEffect>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPointer>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollArea>
#include <QShortcut>
#include <QSvgRenderer>
#include <QTextBrowser>
#include <QTextDocument>
#include <QTimer>
#include <QToolButton>
#include <QVariantAnimation>
#include <algorithm>
#include <memory>
#include <stdexcept>
#include <type_traits>

#include "gui/ColorConversion.h"
#include "gui/DatasheetList.h"
#include "gui/DocumentView.h"
#include "gui/PickerWheels.h"
#include "gui/QrCodeView.h"
#include "gui/ResistorBodyView.h"
#include "gui/TileGrid.h"
#include "gui/Theme.h"
#include "gui/UiLoader.h"
#include "platform/Log.h"
#include "platform/ui/ActivityIndicatorView.h"
#include "platform/ui/Button.h"
#include "platform/ui/ImageView.h"
#include "platform/ui/Label.h"
#include "platform/ui/NavigationBar.h"
#include "platform/ui/PickerView.h"
#include "platform/ui/ScrollView.h"
#include "platform/ui/TableView.h"
#include "platform/ui/TextField.h"
#include "platform/ui/ViewController.h"
#include "platform/ui/ViewVisitor.h"
#include "platform/ui/WebView.h"

namespace {

void applyCommon(View* model, QWidget* w) {
    w->setVisible(!model->isHidden());
    if (const auto& bg = model->backgroundColor()) {
        QPalette p = w->palette();
        p.setColor(QPalette::Window, Theme::adapt(toQColor(*bg), QApplication::palette()));
        w->setPalette(p);
        w->setAutoFillBackground(true);
    }
}

Qt::Alignment toQt(Label::Alignment a) {
    switch (a) {
        case Label::Alignment::Center: return Qt::AlignCenter;
        case Label::Alignment::Right: return Qt::AlignRight | Qt::AlignVCenter;
        case Label::Alignment::Left: break;
    }
    return Qt::AlignLeft | Qt::AlignVCenter;
}

// Runs `apply` now, after every change of the model and after a palette change, for as long as the widget lives
// and the model is bound to it. The returned call runs it again while that holds (and does nothing after).
template <typename W>
std::weak_ptr<std::function<void()>> follow(View* model, W* widget, std::function<void(W*)> apply) {
    QPointer<W> guard(widget);
    apply(widget);
    auto observer = std::make_shared<std::function<void()>>([guard, apply] {
        if (guard) apply(guard.data());
    });
    model->setChangeObserver([observer] { (*observer)(); });
    // Colours the screen gave were fitted to the palette: fitted again when it changes, while the model is bound.
    std::weak_ptr<std::function<void()>> bound = observer;
    QObject::connect(&Theme::shared(), &Theme::changed, widget, [bound] {
        if (auto observer = bound.lock()) (*observer)();
    });
    return bound;
}

void bindLabel(Label* m, QLabel* w) {
    follow<QLabel>(m, w, [m](QLabel* w) {
        if (m->isTextSet()) w->setText(QString::fromStdString(m->text()));
        applyCommon(m, w);
    });
}

// Calls `react` after each resize of the widget it watches, for as long as the widget lives.
class ResizeHook : public QObject {
public:
    ResizeHook(QWidget* widget, std::function<void()> react) : QObject(widget), react_(std::move(react)) {
        widget->installEventFilter(this);
    }
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Resize) react_();
        return false;
    }

private:
    std::function<void()> react_;
};

void bindImage(ImageView* m, QLabel* w) {
    // The interface file's maximum size is the picture's largest; in a narrower window it is drawn for the
    // width it gets, keeping its shape.
    QSize largest = w->maximumSize().width() < 4096 ? w->maximumSize() : w->minimumSize();
    if (largest.width() < 8) largest = QSize(64, 64);
    auto drawnWidth = std::make_shared<int>(-1);
    auto redraw = follow<QLabel>(m, w, [m, largest, drawnWidth](QLabel* w) {
        const int width = std::clamp(w->width(), std::min(w->minimumWidth(), largest.width()), largest.width());
        *drawnWidth = width;
        const QSize size(width, largest.height() * width / largest.width());
        w->setPixmap(ScreenBinder::pixmapNamed(m->imageName(), size, w->devicePixelRatioF()));
        applyCommon(m, w);
    });
    new ResizeHook(w, [w, redraw, drawnWidth, largest] {
        if (std::min(w->width(), largest.width()) == *drawnWidth) return;
        if (auto again = redraw.lock()) (*again)();
    });
}

void bindField(TextField* m, QLineEdit* w) {
    follow<QLineEdit>(m, w, [m](QLineEdit* w) {
        QString text = QString::fromStdString(m->text());
        if (w->text() != text) w->setText(text);
        w->setPlaceholderText(QString::fromStdString(m->placeholder()));
        if (m->isFirstResponder() && !w->hasFocus()) w->setFocus();
        applyCommon(m, w);
    });
    // The clear button a field may show is named like any other control.
    for (auto* clear : w->findChildren<QToolButton*>())
        if (clear->accessibleName().isEmpty()) clear->setAccessibleName(QObject::tr("Clear"));
    // Any change the model did not make is the user's: typed, or set through the accessibility interface (a
    // screen reader's or voice control's), which does not count as an edit to the field itself.
    QObject::connect(w, &QLineEdit::textChanged, w, [m](const QString& t) {
        if (t.toStdString() != m->text()) m->userEdit(t.toStdString());
    });
    QObject::connect(w, &QLineEdit::returnPressed, w, [m, w] {
        m->userReturn();
        // A field of a small form (a port, a load) presses the form's button, as Enter in a dialog would. The
        // interface file names that button in the field's "returnButton" property.
        const QString name = w->property("returnButton").toString();
        for (QWidget* form = w->parentWidget(); form && !name.isEmpty(); form = form->parentWidget()) {
            if (auto* button = form->findChild<QAbstractButton*>(name)) {
                if (button->isVisible() && button->isEnabled()) button->click();
                break;
            }
        }
    });
}

void bindButton(Button* m, QAbstractButton* w) {
    follow<QAbstractButton>(m, w, [m](QAbstractButton* w) {
        if (m->isTitleSet()) w->setText(QString::fromStdString(m->title()));
        w->setEnabled(m->isEnabled());
        if (w->isCheckable()) w->setChecked(m->isSelected());
        applyCommon(m, w);
    });
}

void bindActivity(ActivityIndicatorView* m, QProgressBar* w) {
    follow<QProgressBar>(m, w, [m](QProgressBar* w) {
        w->setRange(0, 0);  // busy
        w->setTextVisible(false);
        w->setVisible(m->isAnimating() && !m->isHidden());
    });
}

void bindScroll(ScrollView* m, QScrollArea* w) {
    follow<QScrollArea>(m, w, [m](QScrollArea* w) {
        if (QWidget* content = w->widget(); content && m->contentSize().height > 0)
            content->setMinimumHeight(static_cast<int>(m->contentSize().height));
        m->setBounds(Size{static_cast<float>(w->viewport()->width()), static_cast<float>(w->viewport()->height())});
        applyCommon(m, w);
    });
}

void bindNavigationBar(NavigationBar* m, QLabel* w) {
    follow<QLabel>(m, w, [m](QLabel* w) {
        if (m->isTitleSet()) w->setText(QString::fromStdString(m->title()));
        applyCommon(m, w);
    });
}

void bindWeb(WebView* m, QTextBrowser* w) {
    w->setOpenExternalLinks(true);
    auto shown = std::make_shared<unsigned>(0);
    auto shownDark = std::make_shared<bool>(false);
    follow<QTextBrowser>(m, w, [m, shown, shownDark](QTextBrowser* w) {
        applyCommon(m, w);
        // A page made for white paper follows the palette; a palette change redraws it without a new load.
        const QPalette palette = QApplication::palette();
        const bool html = m->source() == WebView::Source::Html;
        if (*shown == m->loadGeneration()) {
            if (html && *shownDark != Theme::isDark(palette)) {
                *shownDark = Theme::isDark(palette);
                w->setHtml(Theme::adaptDocument(QString::fromStdString(m->html()), palette));
            }
            return;
        }
        *shown = m->loadGeneration();
        *shownDark = Theme::isDark(palette);
        if (html) {
            w->setHtml(Theme::adaptDocument(QString::fromStdString(m->html()), palette));
        } else if (m->source() == WebView::Source::File) {
            w->setSource(QUrl::fromLocalFile(QString::fromStdString(m->filePath())));
        }
        // The load reports back on a later turn, as a web view does.
        m->didStartLoad();
        QPointer<QTextBrowser> guard(w);
        QTimer::singleShot(0, w, [m, guard] {
            if (guard) m->didFinishLoad();
        });
    });
}

// A table row: the cell's own interface file when it has one, else its title, detail and icon.
QWidget* rowWidget(TableViewCell* cell, TableView* table, IndexPath path, QWidget* parent) {
    QWidget* content = nullptr;
    if (!cell->nibName().empty()) {
        UiLoader loader;
        content = loader.loadNamed(QString::fromStdString(cell->nibName()), parent);
        if (content) {
            ScreenBinder::bindOutlets(cell->outlets(), content, cell->nibName());
            ScreenBinder::unbindOutlets(cell->outlets());  // drawn once; the cell model is not kept
        }
    }
    if (!table->isEditing()) return content;
    auto* row = new QWidget(parent);
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(6, 0, 6, 0);
    if (content) {
        content->setParent(row);
        layout->addWidget(content, 1);
    } else {
        auto* text = new QLabel(QString::fromStdString(cell->textLabel().text()), row);
        layout->addWidget(text, 1);
    }
    auto* del = new QPushButton(QObject::tr("Delete"), row);
    del->setObjectName("deleteRow");
    del->setStyleSheet("QPushButton { background: #d93025; color: white; border-radius: 4px; padding: 4px 10px; }");
    QObject::connect(del, &QPushButton::clicked, row, [table, path] { table->userDeleteRow(path); });
    layout->addWidget(del);
    return row;
}

// Asks the model for every row again and shows them.
void fillTable(TableView* m, QListWidget* w) {
    applyCommon(m, w);
    int current = w->currentRow();
    w->clear();
    for (int s = 0; s < m->numberOfSections(); ++s) {
        for (int r = 0; r < m->numberOfRowsInSection(s); ++r) {
            IndexPath path{s, r};
            auto cell = m->cellForRowAtIndexPath(path);
            if (!cell) continue;
            auto* item = new QListWidgetItem(w);
            item->setData(Qt::UserRole, s);
            item->setData(Qt::UserRole + 1, r);
            item->setSizeHint(QSize(0, static_cast<int>(m->heightForRowAtIndexPath(path))));
            if (const auto& bg = cell->contentBackgroundColor())
                item->setBackground(Theme::adapt(toQColor(*bg), QApplication::palette()));
            if (!cell->isEnabled()) item->setFlags(item->flags() & ~(Qt::ItemIsEnabled | Qt::ItemIsSelectable));
            if (QWidget* row = rowWidget(cell.get(), m, path, w)) {
                row->setEnabled(cell->isEnabled());
                w->setItemWidget(item, row);
                // Screen readers and tests find the row by its text: the first label that has some (a menu
                // row's first label is its icon).
                for (auto* label : row->findChildren<QLabel*>()) {
                    if (label->text().isEmpty()) continue;
                    QTextDocument plain;
                    plain.setHtml(label->text());
                    item->setData(Qt::AccessibleTextRole,
                                  Qt::mightBeRichText(label->text()) ? plain.toPlainText() : label->text());
                    break;
                }
            } else {
                QString text = QString::fromStdString(cell->textLabel().text());
                if (!cell->detailTextLabel().text().empty())
                    text += "\n" + QString::fromStdString(cell->detailTextLabel().text());
                item->setText(text);
                if (!cell->imageView().imageName().empty())
                    item->setIcon(QIcon(ScreenBinder::pixmapNamed(cell->imageView().imageName(), QSize(32, 32))));
            }
        }
    }
    if (current >= w->count()) current = w->count() - 1;
    if (current >= 0) w->setCurrentRow(current);
    // In delete mode each row's Delete button follows the list in the Tab order, row by row.
    QWidget* previous = w;
    for (int i = 0; i < w->count(); ++i) {
        QWidget* row = w->itemWidget(w->item(i));
        if (auto* del = row ? row->findChild<QPushButton*>("deleteRow") : nullptr) {
            QWidget::setTabOrder(previous, del);
            previous = del;
        }
    }
}

// Fades out the rows the model just deleted, then calls `done`; returns the running fade, or nullptr when none
// of those rows is shown. The list takes no clicks meanwhile, since its rows no longer match the model's.
QVariantAnimation* fadeDeletedRows(const std::vector<IndexPath>& gone, QListWidget* w, std::function<void()> done) {
    std::vector<QListWidgetItem*> items;
    for (int i = 0; i < w->count(); ++i)
        for (const IndexPath& p : gone)
            if (w->item(i)->data(Qt::UserRole).toInt() == p.section && w->item(i)->data(Qt::UserRole + 1).toInt() == p.row)
                items.push_back(w->item(i));
    if (items.empty()) return nullptr;
    // Taken from the keyboard, the focus comes back to the list once it has closed up.
    const bool hadFocus = w->isAncestorOf(QApplication::focusWidget()) || w->hasFocus();
    w->setEnabled(false);
    auto* fade = new QVariantAnimation(w);
    fade->setStartValue(1.0);
    fade->setEndValue(0.0);
    fade->setDuration(250);
    QPointer<QListWidget> guard(w);
    QObject::connect(fade, &QVariantAnimation::valueChanged, w, [guard, items](const QVariant& v) {
        if (!guard) return;
        for (QListWidgetItem* item : items) {
            if (QWidget* row = guard->itemWidget(item)) {
                auto* effect = qobject_cast<QGraphicsOpacityEffect*>(row->graphicsEffect());
                if (!effect) row->setGraphicsEffect(effect = new QGraphicsOpacityEffect(row));
                effect->setOpacity(v.toDouble());
            } else {
                QColor c = guard->palette().color(QPalette::Text);
                c.setAlphaF(v.toFloat());
                item->setForeground(c);
            }
        }
    });
    QObject::connect(fade, &QVariantAnimation::finished, w, [guard, done, fade, hadFocus] {
        if (guard) guard->setEnabled(true);
        fade->deleteLater();
        done();
        if (guard && hadFocus) guard->setFocus(Qt::OtherFocusReason);
    });
    fade->start();
    return fade;
}

void bindTable(TableView* m, QListWidget* w) {
    w->setUniformItemSizes(false);
    // In delete mode the keys that choose a row delete it, as its Delete button does; otherwise they are the
    // list's own (Return opens the row).
    auto* deleteCurrent = new QAction(QObject::tr("Delete"), w);
    deleteCurrent->setShortcuts({Qt::Key_Delete, Qt::Key_Backspace, Qt::Key_Return, Qt::Key_Enter, Qt::Key_Space});
    deleteCurrent->setShortcutContext(Qt::WidgetShortcut);
    w->addAction(deleteCurrent);
    QObject::connect(deleteCurrent, &QAction::triggered, w, [m, w] {
        if (QListWidgetItem* item = w->currentItem())
            m->userDeleteRow(IndexPath{item->data(Qt::UserRole).toInt(), item->data(Qt::UserRole + 1).toInt()});
    });
    // A newer change cuts a running fade short: its rows are about to be replaced.
    auto running = std::make_shared<QPointer<QVariantAnimation>>();
    follow<QListWidget>(m, w, [m, running, deleteCurrent](QListWidget* w) {
        deleteCurrent->setEnabled(m->isEditing());
        if (QVariantAnimation* fade = running->data()) {
            QObject::disconnect(fade, nullptr, nullptr, nullptr);
            delete fade;
            w->setEnabled(true);
        }
        // Deleted rows fade before the list closes up, as a table deleting rows with a fade does.
        QPointer<QListWidget> guard(w);
        *running = fadeDeletedRows(m->lastDeletedRows(), w, [m, guard] {
            if (guard) fillTable(m, guard.data());
        });
        if (!*running) fillTable(m, w);
    });
    auto activate = [m](QListWidgetItem* item) {
        if (!item || !(item->flags() & Qt::ItemIsEnabled)) return;
        m->userTapRow(IndexPath{item->data(Qt::UserRole).toInt(), item->data(Qt::UserRole + 1).toInt()});
    };
    QObject::connect(w, &QListWidget::itemClicked, w, activate);
    QObject::connect(w, &QListWidget::itemActivated, w, activate);
}

// Binds a model to a widget by the model's own type; the widget must be of a class that can draw that type,
// the most specific first (a QR code is also a label's widget).
class Binding : public ViewVisitor {
public:
    explicit Binding(QWidget* widget) : w_(widget) {}
    bool bound() const { return bound_; }

    void visit(ActivityIndicatorView& m) override { bound_ = as<QProgressBar>(m, bindActivity); }
    void visit(Button& m) override { bound_ = as<QAbstractButton>(m, bindButton); }
    void visit(ImageView& m) override { bound_ = as<QLabel>(m, bindImage); }
    void visit(Label& m) override {
        bound_ = as<QrCodeView>(m, &QrCodeView::bind) || as<ResistorBodyView>(m, &ResistorBodyView::bind) ||
                 as<QLabel>(m, bindLabel);
    }
    void visit(NavigationBar& m) override { bound_ = as<QLabel>(m, bindNavigationBar); }
    void visit(PickerView& m) override { bound_ = as<PickerWheels>(m, &PickerWheels::bind); }
    void visit(ScrollView& m) override { bound_ = as<QScrollArea>(m, bindScroll); }
    void visit(TableView& m) override {
        bound_ = as<DatasheetList>(m, &DatasheetList::bind) || as<QListWidget>(m, bindTable);
    }
    void visit(TextField& m) override { bound_ = as<QLineEdit>(m, bindField); }
    void visit(WebView& m) override { bound_ = as<DocumentView>(m, &DocumentView::bind) || as<QTextBrowser>(m, bindWeb); }

private:
    // Free binders take (model, widget); a widget's own binder is a member taking the model.
    template <typename W, typename M, typename F>
    bool as(M& m, F bind) {
        W* widget = qobject_cast<W*>(w_);
        if (!widget) return false;
        if constexpr (std::is_member_function_pointer_v<F>)
            (widget->*bind)(&m);
        else
            bind(&m, widget);
        return true;
    }

    QWidget* w_;
    bool bound_ = false;
};

}  // namespace

void ScreenBinder::bindOutlets(const Outlets& outlets, QWidget* root, const std::string& owner) {
    for (const auto& [name, model] : outlets) {
        QWidget* w = root->objectName().toStdString() == name ? root : root->findChild<QWidget*>(QString::fromStdString(name));
        std::string fault;
        if (!w) {
            fault = owner + ": outlet " + name + " has no widget in the interface file";
        } else {
            Binding binding(w);
            model->accept(binding);
            if (!binding.bound()) fault = owner + ": outlet " + name + " cannot be shown by a " + w->metaObject()->className();
        }
        if (!fault.empty()) {
            logLine(fault);
            throw std::logic_error(fault);
        }
    }
}

void ScreenBinder::unbindOutlets(const Outlets& outlets) {
    for (const auto& [name, model] : outlets) model->setChangeObserver(nullptr);
}

QWidget* ScreenBinder::bindScreen(ViewController* screen, QWidget* parent) {
    UiLoader loader;
    QWidget* root = loader.loadNamed(QString::fromStdString(screen->nibName()), parent);
    if (!root) return nullptr;
    bindOutlets(screen->outlets(), root, screen->nibName());
    for (QAbstractButton* b : root->findChildren<QAbstractButton*>()) {
        std::string action = b->objectName().toStdString();
        if (!screen->hasAction(action)) action = b->property("action").toString().toStdString();
        if (action.empty() || !screen->hasAction(action)) continue;
        b->setEnabled(screen->isActionEnabled(action));
        QObject::connect(b, &QAbstractButton::clicked, b, [screen, action] { screen->sendAction(action); });
    }
    for (QGridLayout* grid : root->findChildren<QGridLayout*>()) TileGrid::attach(grid);
    if (screen->hasAction("onButtonBack")) {
        auto* esc = new QShortcut(QKeySequence(Qt::Key_Escape), root);
        QObject::connect(esc, &QShortcut::activated, root, [screen] { screen->sendAction("onButtonBack"); });
    }
    return root;
}

void ScreenBinder::releaseScreen(ViewController* screen) { unbindOutlets(screen->outlets()); }

QPixmap ScreenBinder::pixmapNamed(const std::string& name, QSize size, qreal devicePixelRatio) {
    if (name.empty()) return {};
    // Screens may name a picture with its extension ("led_sch1.png"), as imageNamed: allows; the picture drawn
    // for it may be an SVG of the same name.
    std::string base = name;
    for (const char* ext : {".png", ".svg"})
        if (base.size() > 4 && base.ends_with(ext)) base.resize(base.size() - 4);
    for (const char* ext : {".svg", ".png"}) {
        QString path = QString(":/images/") + QString::fromStdString(base) + ext;
        QFile file(path);
        if (!file.exists()) continue;
        // A drawing (class="drawing": ink on white paper, such as a circuit) takes the palette's colours; an
        // icon keeps its own.
        QByteArray svg = ext == std::string(".svg") && file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
        if (!svg.contains("class=\"drawing\"")) return QIcon(path).pixmap(size, devicePixelRatio);
        QSvgRenderer drawing(Theme::adaptDocument(QString::fromUtf8(svg), QApplication::palette()).toUtf8());
        const QSize shown = drawing.defaultSize().scaled(size, Qt::KeepAspectRatio);
        QPixmap pm(shown * devicePixelRatio);
        pm.setDevicePixelRatio(devicePixelRatio);
        pm.fill(Qt::transparent);
        QPainter painter(&pm);
        drawing.render(&painter, QRectF(QPointF(0, 0), shown));
        return pm;
    }
    logLine("image " + name + " is missing");
    return {};
}
