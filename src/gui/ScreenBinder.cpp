#include "gui/ScreenBinder.h"

#include <QAbstractButton>
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
#include <QProgressBar>
#include <QPushButton>
#include <QScrollArea>
#include <QShortcut>
#include <QTextBrowser>
#include <QTimer>
#include <QVariantAnimation>
#include <memory>

#include "gui/ColorConversion.h"
#include "gui/PickerWheels.h"
#include "gui/TileGridKeys.h"
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
#include "platform/ui/WebView.h"

namespace {

std::vector<ScreenBinder::CustomBinding>& customBindings() {
    static std::vector<ScreenBinder::CustomBinding> list;
    return list;
}

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
// and the model is bound to it.
template <typename W>
void follow(View* model, W* widget, std::function<void(W*)> apply) {
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
}

void bindLabel(Label* m, QLabel* w) {
    follow<QLabel>(m, w, [m](QLabel* w) {
        if (m->isTextSet()) w->setText(QString::fromStdString(m->text()));
        applyCommon(m, w);
    });
}

void bindImage(ImageView* m, QLabel* w) {
    follow<QLabel>(m, w, [m](QLabel* w) {
        QSize size = w->maximumSize().width() < 4096 ? w->maximumSize() : w->minimumSize();
        if (size.width() < 8) size = QSize(64, 64);
        w->setPixmap(ScreenBinder::pixmapNamed(m->imageName(), size, w->devicePixelRatioF()));
        applyCommon(m, w);
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
    QObject::connect(w, &QLineEdit::textEdited, w, [m](const QString& t) { m->userEdit(t.toStdString()); });
    QObject::connect(w, &QLineEdit::returnPressed, w, [m] { m->userReturn(); });
}

void bindButton(Button* m, QAbstractButton* w) {
    follow<QAbstractButton>(m, w, [m](QAbstractButton* w) {
        if (m->isTitleSet()) w->setText(QString::fromStdString(m->title()));
        w->setEnabled(m->isEnabled());
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
    follow<QTextBrowser>(m, w, [m, shown](QTextBrowser* w) {
        applyCommon(m, w);
        if (*shown == m->loadGeneration()) return;
        *shown = m->loadGeneration();
        if (m->source() == WebView::Source::Html) {
            w->setHtml(QString::fromStdString(m->html()));
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
                // Screen readers and tests find the row by its text.
                if (auto* label = row->findChild<QLabel*>()) item->setData(Qt::AccessibleTextRole, label->text());
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
    if (current >= 0 && current < w->count()) w->setCurrentRow(current);
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
    QObject::connect(fade, &QVariantAnimation::finished, w, [guard, done, fade] {
        if (guard) guard->setEnabled(true);
        fade->deleteLater();
        done();
    });
    fade->start();
    return fade;
}

void bindTable(TableView* m, QListWidget* w) {
    w->setUniformItemSizes(false);
    // A newer change cuts a running fade short: its rows are about to be replaced.
    auto running = std::make_shared<QPointer<QVariantAnimation>>();
    follow<QListWidget>(m, w, [m, running](QListWidget* w) {
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

bool bindOne(View* model, QWidget* w) {
    for (auto& custom : customBindings())
        if (custom(model, w)) return true;
    if (auto* m = dynamic_cast<Label*>(model); m && qobject_cast<QLabel*>(w)) return bindLabel(m, qobject_cast<QLabel*>(w)), true;
    if (auto* m = dynamic_cast<ImageView*>(model); m && qobject_cast<QLabel*>(w)) return bindImage(m, qobject_cast<QLabel*>(w)), true;
    if (auto* m = dynamic_cast<TextField*>(model); m && qobject_cast<QLineEdit*>(w)) return bindField(m, qobject_cast<QLineEdit*>(w)), true;
    if (auto* m = dynamic_cast<Button*>(model); m && qobject_cast<QAbstractButton*>(w)) return bindButton(m, qobject_cast<QAbstractButton*>(w)), true;
    if (auto* m = dynamic_cast<ActivityIndicatorView*>(model); m && qobject_cast<QProgressBar*>(w)) return bindActivity(m, qobject_cast<QProgressBar*>(w)), true;
    if (auto* m = dynamic_cast<PickerView*>(model); m && qobject_cast<PickerWheels*>(w)) return qobject_cast<PickerWheels*>(w)->bind(m), true;
    if (auto* m = dynamic_cast<TableView*>(model); m && qobject_cast<QListWidget*>(w)) return bindTable(m, qobject_cast<QListWidget*>(w)), true;
    if (auto* m = dynamic_cast<WebView*>(model); m && qobject_cast<QTextBrowser*>(w)) return bindWeb(m, qobject_cast<QTextBrowser*>(w)), true;
    if (auto* m = dynamic_cast<ScrollView*>(model); m && qobject_cast<QScrollArea*>(w)) return bindScroll(m, qobject_cast<QScrollArea*>(w)), true;
    if (auto* m = dynamic_cast<NavigationBar*>(model); m && qobject_cast<QLabel*>(w)) return bindNavigationBar(m, qobject_cast<QLabel*>(w)), true;
    return false;
}

}  // namespace

void ScreenBinder::registerBinding(CustomBinding binding) { customBindings().push_back(std::move(binding)); }

void ScreenBinder::bindOutlets(const Outlets& outlets, QWidget* root, const std::string& owner) {
    for (const auto& [name, model] : outlets) {
        QWidget* w = root->objectName().toStdString() == name ? root : root->findChild<QWidget*>(QString::fromStdString(name));
        if (!w) {
            logLine(owner + ": outlet " + name + " has no widget in the interface file");
            continue;
        }
        if (!bindOne(model, w))
            logLine(owner + ": outlet " + name + " cannot be shown by a " + w->metaObject()->className());
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
    for (QGridLayout* grid : root->findChildren<QGridLayout*>()) TileGridKeys::attach(grid);
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
        if (QFile::exists(path)) {
            QPixmap pm = QIcon(path).pixmap(size, devicePixelRatio);
            return pm;
        }
    }
    logLine("image " + name + " is missing");
    return {};
}
