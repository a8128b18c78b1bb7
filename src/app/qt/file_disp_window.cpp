#include "app/qt/file_disp_window.h"

#include <QAction>
#include <QCloseEvent>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QMenuBar>
#include <QPainter>
#include <QPushButton>
#include <functional>

#include "analysis/histogram.h"
#include "app/filedisp.h"
#include "app/menu.h"
#include "graph/zoom.h"
#include "platform/qt/surface_widget.h"
#include "platform/qt/twips.h"

namespace tobrak::qt {

namespace {

const char* const kUiFont = "ＭＳ Ｐゴシック";

QWidget* surface(QWidget* parent, Rgb back) {
    auto* w = new QWidget(parent);
    w->setAutoFillBackground(true);
    QPalette p = w->palette();
    p.setColor(QPalette::Window, qcolor(back));
    w->setPalette(p);
    return w;
}

// The zoom selection frame: an outline only, and transparent to the mouse so
// that the graph underneath sees the drag.
class FrameMarker final : public QWidget {
public:
    explicit FrameMarker(QWidget* parent) : QWidget(parent) {
        setAttribute(Qt::WA_TransparentForMouseEvents);
        setAttribute(Qt::WA_NoSystemBackground);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.setPen(QPen(Qt::white, 1, Qt::DashLine));
        p.drawRect(rect().adjusted(0, 0, -1, -1));
    }
};

// The version box: it takes the keyboard while shown, so that Escape or Enter
// closes it as its button does (before a window shortcut takes the key).
class VersionBox final : public QWidget {
public:
    explicit VersionBox(QWidget* parent) : QWidget(parent) { setFocusPolicy(Qt::StrongFocus); }
    std::function<void()> close;

protected:
    static bool closesIt(const QKeyEvent* k) {
        return k->modifiers() == Qt::NoModifier &&
               (k->key() == Qt::Key_Escape || k->key() == Qt::Key_Return || k->key() == Qt::Key_Enter);
    }
    bool event(QEvent* e) override {
        if (e->type() == QEvent::ShortcutOverride && closesIt(static_cast<QKeyEvent*>(e))) {
            e->accept();
            return true;
        }
        return QWidget::event(e);
    }
    void keyPressEvent(QKeyEvent* e) override {
        if (closesIt(e) && close) {
            close();
            return;
        }
        QWidget::keyPressEvent(e);
    }
    void showEvent(QShowEvent* e) override {
        QWidget::showEvent(e);
        setFocus();
    }
};

// Keys of the menu tree's items. Items on the bar itself show no shortcut text,
// so their keys are the usual ones for the direction they move.
struct Shortcut {
    const char* key;
    QKeyCombination keys;
};
const Shortcut kShortcuts[] = {
    {"menFile_open", Qt::CTRL | Qt::Key_O},
    {"menFile_Uwagaki", Qt::CTRL | Qt::Key_S},
    {"menFile_Save", Qt::CTRL | Qt::SHIFT | Qt::Key_S},
    {"O_prin", Qt::CTRL | Qt::Key_P},
    {"Pgend", Qt::CTRL | Qt::Key_Q},
    {"Hidari", QKeyCombination(Qt::Key_Left)},
    {"Migi", QKeyCombination(Qt::Key_Right)},
    {"Dhidari", Qt::CTRL | Qt::Key_Left},
    {"Dmigi", Qt::CTRL | Qt::Key_Right},
    {"menPage", QKeyCombination(Qt::Key_PageDown)},
    {"HistEnd", QKeyCombination(Qt::Key_Escape)},
};

}  // namespace

FileDispWindow::FileDispWindow(Program& core) : core_(core) {
    setWindowTitle(QStringLiteral("ＴＯＢＲＡＫ"));
    auto* client = surface(this, rgb::LightGreen);
    setCentralWidget(client);
    buildMenus();
    buildGraph(client);
    buildPanel(client);
    buildVersionBox(client);
    // Client area as designed: 12105 x 5520 twips.
    resize(px(kClientWidth), px(kPanelHeight) + menuBar()->sizeHint().height());
    keepToTheGraphsHeight();
}

FileDispWindow::~FileDispWindow() = default;

QtLabel* FileDispWindow::label(QWidget* parent, int l, int t, int w, int h, bool opaque, const char* text) {
    return labels_.add(parent, pxRect(l, t, w, h), Qt::AlignLeft | Qt::AlignTop, opaque, text);
}

QtBox* FileDispWindow::box(QWidget* w) {
    auto b = std::make_unique<QtBox>(w);
    const QRect g = w->geometry();
    b->setGeometry(twips(g.x()), twips(g.y()), twips(g.width()), twips(g.height()));
    QtBox* raw = b.get();
    boxes_.push_back(std::move(b));
    return raw;
}

void FileDispWindow::buildMenus() {
    std::map<std::string, QMenu*> dropDowns;
    const auto& tree = kMenuTree;
    auto hasChildren = [&](const char* name) {
        for (const auto& e : tree)
            if (e.parent && std::string(e.parent) == name) return true;
        return false;
    };
    for (const MenuEntry& e : tree) {
        const QString caption = QString::fromUtf8(e.caption);
        QAction* a = nullptr;
        if (!e.parent) {
            if (hasChildren(e.name)) {
                QMenu* m = menuBar()->addMenu(caption);
                dropDowns[e.name] = m;
                a = m->menuAction();
            } else {
                a = menuBar()->addAction(caption);  // a command on the bar itself
            }
        } else if (std::string(e.caption) == "-") {
            a = dropDowns.at(e.parent)->addSeparator();
        } else if (hasChildren(e.name)) {
            QMenu* m = dropDowns.at(e.parent)->addMenu(caption);
            dropDowns[e.name] = m;
            a = m->menuAction();
        } else {
            a = dropDowns.at(e.parent)->addAction(caption);
        }
        a->setVisible(e.visible);
        const std::string key = menuKey(e.name, e.index);
        menus_.add(key, a);
        if (!hasChildren(e.name)) {
            QtMenuItem* item = menus_.find(key);
            connect(a, &QAction::triggered, this, [this, item, &e] {
                item->restoreCheck();
                runMenuCommand(core_, e);
            });
        }
    }
    for (const Shortcut& s : kShortcuts) {
        QAction* a = menus_.find(s.key)->action();
        a->setShortcut(QKeySequence(s.keys));
        // Arrow keys must reach the window even while the interval box has the focus.
        a->setShortcutContext(Qt::WindowShortcut);
    }
    // Home and End go to the ends of the record rather than by the big steps.
    for (auto [key, go] : {std::pair{Qt::Key_Home, &graphHomeKey}, std::pair{Qt::Key_End, &graphEndKey}}) {
        auto* a = new QAction(this);
        a->setShortcut(key);
        a->setShortcutContext(Qt::WindowShortcut);
        addAction(a);
        connect(a, &QAction::triggered, this, [this, go] { go(core_); });
    }
    // The page cycles through three; back one is forward two. Hidden with the
    // page command itself, like the other keys of bar items.
    auto* pageBack = new QAction(this);
    pageBack->setShortcut(Qt::Key_PageUp);
    addAction(pageBack);
    connect(pageBack, &QAction::triggered, this, [this] {
        if (!menus_.find("menPage")->action()->isVisible()) return;
        for (int i = 0; i < 2; ++i) menuClick(core_, "menPage");
    });
}

void FileDispWindow::scrollByWheel(int notches) {
    // The same commands as "<<<" / ">>>", so the same bounds; none in the analysis view.
    QAction* a = menus_.find(notches > 0 ? "Hidari" : "Migi")->action();
    for (int i = 0; i < std::abs(notches) && a->isVisible(); ++i) a->trigger();
}

void FileDispWindow::buildPanel(QWidget* client) {
    QWidget* panel = surface(client, rgb::LightGreen);
    panel->setGeometry(pxRect(0, 0, 1575, 5520));
    controls_.Picture1 = box(panel);
    QFont valueFont(kUiFont);
    valueFont.setPointSizeF(11.25);
    for (int r = 0; r < kRows; ++r) {
        QtLabel* cap = label(panel, 0, 15 + 390 * r, 1575, 180, true);
        cap->setBackColor(rgb::Cyan);
        controls_.Label2[r] = cap;
        // Values are right-aligned at their designed right edge; the label reaches
        // left over the empty part of the row so that long figures are not cut.
        QtLabel* val = label(panel, 0, 180 + 390 * r, 600 + 645, 225, false);
        val->widget()->setAlignment(Qt::AlignRight | Qt::AlignTop);
        val->widget()->setFont(valueFont);
        controls_.Label3[r] = val;
        // Units reach the panel's right edge: at a larger view scale the font's
        // glyphs grow a little faster than the designed widths (135 or 180 twips).
        controls_.Label4[r] = label(panel, 1335, 210 + 390 * r, 1575 - 1335, 180, false);
    }
    QtLabel* status = label(panel, 0, 5080, 1590, 440, true, " 　ゲーム不可");
    QFont statusFont(kUiFont);
    statusFont.setPointSizeF(9.75);
    statusFont.setBold(true);
    status->widget()->setFont(statusFont);
    status->setBackColor(rgb::Yellow);
    controls_.Label1 = status;
    controls_.Label12 = label(panel, 0, 5300, 1590, 195, false, " ");
}

void FileDispWindow::buildGraph(QWidget* client) {
    auto* graph = new SurfaceWidget(client, rgb::LightBlue);
    picture2_ = graph;
    graph->setGeometry(pxRect(con_P2left, 0, kClientWidth - con_P2left, kPanelHeight));
    controls_.Picture2 = box(graph);
    graphSurface_ = &graph->surface();
    graph->mouse = [this](SurfaceWidget::MouseKind kind, int button, int shift, float x, float y) {
        switch (kind) {
            case SurfaceWidget::MouseKind::Down: core_.zoom.Picture2_MouseDown(button, shift, x, y); break;
            case SurfaceWidget::MouseKind::Move: core_.zoom.Picture2_MouseMove(button, shift, x, y); break;
            case SurfaceWidget::MouseKind::Up: core_.zoom.Picture2_MouseUp(button, shift, x, y); break;
        }
    };
    graph->wheel = [this](int notches) { scrollByWheel(notches); };

    auto* strip = new SurfaceWidget(client, rgb::LightBlue);
    strip->setGeometry(pxRect(1575, Ghp_Top - 20, 600, 5090));
    controls_.Picture3 = box(strip);
    stripSurface_ = &strip->surface();

    QFont gainFont(kUiFont);
    gainFont.setPointSize(36);
    QtLabel* gain = label(picture2_, 630, 220, 1800, 750, false);
    gain->widget()->setAlignment(Qt::AlignRight | Qt::AlignTop);
    gain->widget()->setFont(gainFont);
    controls_.Label14 = gain;
    controls_.Label15 = label(picture2_, 2250, 560, 525, 315, false, "枚");

    // The analysis view: count-label strip, title and the share panel.
    QWidget* hist = surface(picture2_, rgb::LightBlue);
    hist->setGeometry(pxRect(0, 160, 600, 5100));
    controls_.Picture9 = box(hist);
    QFont countFont(kUiFont);
    countFont.setPointSizeF(8.25);
    for (int k = 0; k < 6; ++k) {
        static const int tops[] = {3990, 3000, 1995, 980, 0, 2475};
        QtLabel* l = label(hist, 105, tops[k], 450, 165, false);
        l->widget()->setAlignment(Qt::AlignRight | Qt::AlignTop);
        l->widget()->setFont(countFont);
        l->setForeColor(rgb::White);
        controls_.Label9[static_cast<std::size_t>(k)] = l;
    }
    QFont titleFont(kUiFont);
    titleFont.setPointSizeF(15.75);
    titleFont.setBold(true);
    // Wider than designed so that the longest title is not cut; nothing lies beside it.
    QtLabel* title = label(picture2_, 730, 320, 3000, 315, false);
    title->widget()->setFont(titleFont);
    title->setForeColor(0xFFFF80);
    controls_.Label11 = title;

    QWidget* frame = surface(picture2_, rgb::LightBlue);
    frame->setGeometry(pxRect(2630, 320, 3060, 300));
    controls_.Frame1 = box(frame);
    auto* combo = new QComboBox(frame);
    combo->setGeometry(pxRect(0, 0, 645, 300));
    combo_ = std::make_unique<QtCombo>(combo);
    controls_.Combo1 = combo_.get();
    connect(combo, &QComboBox::activated, this, [this](int i) { core_.analysis.Combo1_Click(i); });
    controls_.Label13 = label(frame, 735, 60, 960, 225, false);
    for (auto [i, left, width] : {std::tuple{0, 1785, 540}, std::tuple{1, 2310, 750}}) {
        QtLabel* l = label(frame, left, 60, width, 200, true);
        l->setBackColor(0xFFFF80);
        l->widget()->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        controls_.Label16[static_cast<std::size_t>(i)] = l;
    }

    auto* marker = new FrameMarker(picture2_);
    marker->setGeometry(pxRect(0, 0, 10, 10));
    marker->hide();
    marker->setEnabled(false);
    controls_.Image1 = box(marker);
}

void FileDispWindow::buildVersionBox(QWidget* client) {
    auto* v = new VersionBox(client);
    v->setAutoFillBackground(true);
    QPalette back = v->palette();
    back.setColor(QPalette::Window, qcolor(0x3030FF));
    v->setPalette(back);
    v->close = [this] { Command2_Click(core_); };
    v->setGeometry(pxRect(3360, 2000, 4215, 1485));
    controls_.Picture10 = box(v);
    for (auto [top, width, text] : {std::tuple{210, 2535, kVersionText}, std::tuple{525, 3690, kVersionText2}}) {
        QtLabel* l = label(v, 315, top, width, 330, false, text);
        QPalette p = l->widget()->palette();
        p.setColor(QPalette::WindowText, palette().color(QPalette::HighlightedText));
        l->widget()->setPalette(p);
    }
    auto* close = new QPushButton(QStringLiteral("閉じる"), v);
    close->setGeometry(pxRect(3045, 945, 855, 330));
    connect(close, &QPushButton::clicked, this, [this] { Command2_Click(core_); });
    v->hide();
}

void FileDispWindow::attach(Platform& p) {
    controls_.form = this;
    p.main = controls_;
    p.menus = &menus_;
    p.Picture2 = graphSurface_;
    p.Picture3 = stripSurface_;
}

int FileDispWindow::clientWidth() const { return twips(centralWidget()->width()); }
int FileDispWindow::clientHeight() const { return twips(centralWidget()->height()); }
int FileDispWindow::outerHeight() const { return twips(frameGeometry().height()); }
int FileDispWindow::outerWidth() const { return twips(frameGeometry().width()); }

void FileDispWindow::setOuterHeight(int t) {
    const int delta = px(t) - frameGeometry().height();
    resize(width(), height() + delta);
}

void FileDispWindow::resizeEvent(QResizeEvent* e) {
    QMainWindow::resizeEvent(e);
    keepToTheGraphsHeight();
    if (loaded_ && !isMinimized()) Form_Resize(core_);
}

// The client area is never taller than the graph. Said to the window manager as the
// window's largest height, a maximised window fills the screen's width at the graph's
// height, and a drag of the lower border stops there, instead of the layout rule
// shrinking a window the window manager has just sized (which keeps the maximised
// width and pushes the window off the screen).
void FileDispWindow::keepToTheGraphsHeight() {
    const int most = menuBar()->heightForWidth(width()) + px(kPanelHeight);
    if (most > 0 && maximumHeight() != most) setMaximumHeight(most);
}

void FileDispWindow::changeEvent(QEvent* e) {
    QMainWindow::changeEvent(e);
    if (e->type() != QEvent::WindowStateChange) return;
    // Coming back from the task bar redraws once; the size itself may not change.
    if (wasMinimized_ && !isMinimized() && loaded_) Form_Resize(core_);
    wasMinimized_ = isMinimized();
}

namespace {
// Which hand counter a key counts (1 to 8; 0: none). With Shift a digit may
// arrive as the layout's symbol ("!" on most layouts, "#" for 3 …), so the key's
// place on the keyboard decides: its virtual key on Windows, its X key code
// (top row 10–17, the number pad 87, 88, 89, 83, 84, 85, 79, 80) elsewhere.
int counterDigit(const QKeyEvent* e) {
    if (e->key() >= Qt::Key_1 && e->key() <= Qt::Key_8) return e->key() - Qt::Key_0;
    if (!(e->modifiers() & Qt::ShiftModifier)) return 0;
#ifdef Q_OS_WIN
    const quint32 vk = e->nativeVirtualKey();
    if (vk >= '1' && vk <= '8') return static_cast<int>(vk - '0');
    if (vk >= 0x61 && vk <= 0x68) return static_cast<int>(vk - 0x60);  // VK_NUMPAD1..8
#else
    const quint32 sc = e->nativeScanCode();
    if (sc >= 10 && sc <= 17) return static_cast<int>(sc - 9);
    static const quint32 pad[] = {87, 88, 89, 83, 84, 85, 79, 80};
    for (int i = 0; i < 8; ++i)
        if (pad[i] == sc) return i + 1;
#endif
    return 0;
}
}  // namespace

void FileDispWindow::keyPressEvent(QKeyEvent* e) {
    const int digit = e->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier) ? 0 : counterDigit(e);
    if (!digit) return QMainWindow::keyPressEvent(e);
    counterKey(core_, digit, e->modifiers() & Qt::ShiftModifier);
    e->accept();
}

void FileDispWindow::closeEvent(QCloseEvent* e) {
    if (closing_) {
        e->accept();
        return;
    }
    closing_ = true;
    const bool cancel = Form_QueryUnload(core_, 0);
    closing_ = false;
    if (cancel)
        e->ignore();
    else
        e->accept();
}

void FileDispWindow::closeForShutdown() {
    if (closing_) return;  // already inside its own close
    closing_ = true;
    close();
}

}  // namespace tobrak::qt
