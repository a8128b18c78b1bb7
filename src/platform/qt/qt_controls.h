#pragma once
// The controls, timers, dialogs and shell of the logic, on Qt widgets.
#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QTableWidget>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/dialogs.h"
#include "platform/shell.h"
#include "platform/windows.h"

namespace tobrak::qt {

class QtLabel final : public Label {
public:
    // An opaque label paints its background colour; a transparent one shows its container.
    QtLabel(QLabel* w, bool opaque);
    void setCaption(const std::string& s) override;
    std::string caption() const override { return caption_; }
    void setBackColor(Rgb c) override;
    Rgb backColor() const override { return back_; }
    void setForeColor(Rgb c) override;
    Rgb foreColor() const override { return fore_; }
    void setVisible(bool v) override { w_->setVisible(v); }
    bool visible() const override { return !w_->isHidden(); }
    QLabel* widget() const { return w_; }

private:
    QLabel* w_;
    bool opaque_;
    bool painted_ = false;
    std::string caption_;
    Rgb back_ = rgb::White;
    Rgb fore_ = rgb::Black;
};

// The labels of a window, made at their pixel places and kept for its lifetime.
class LabelSet {
public:
    QtLabel* add(QWidget* parent, const QRect& at, Qt::Alignment align, bool opaque, const std::string& utf8);

private:
    std::vector<std::unique_ptr<QtLabel>> labels_;
};

class QtBox final : public Box {
public:
    explicit QtBox(QWidget* w) : w_(w) {}
    void setGeometry(int l, int t, int w, int h) override;
    int left() const override { return l_; }
    int top() const override { return t_; }
    int width() const override { return wd_; }
    int height() const override { return ht_; }
    void setVisible(bool v) override { w_->setVisible(v); }
    bool visible() const override { return !w_->isHidden(); }
    QWidget* widget() const { return w_; }

private:
    QWidget* w_;
    // Kept in twips so that no rounding to pixels changes what the logic reads back.
    int l_ = 0, t_ = 0, wd_ = 0, ht_ = 0;
};

class QtCombo final : public ComboBox {
public:
    explicit QtCombo(QComboBox* w) : w_(w) {}
    void clear() override { w_->clear(); }
    void addItem(const std::string& s) override { w_->addItem(QString::fromStdString(s)); }
    int count() const override { return w_->count(); }
    void setCurrentIndex(int i) override { w_->setCurrentIndex(i); }
    int currentIndex() const override { return w_->currentIndex(); }
    std::string currentText() const override { return w_->currentText().toStdString(); }

private:
    QComboBox* w_;
};

class QtTable final : public TextTable {
public:
    explicit QtTable(QTableWidget* w);
    void setHeader(const std::vector<std::string>& h) override;
    void setRows(const std::vector<std::vector<std::string>>& rows) override;
    QTableWidget* widget() const { return w_; }

private:
    QTableWidget* w_;
};

// A menu item. Its check mark is the logic's alone: Qt's own toggle on a click is undone.
class QtMenuItem final : public MenuItem {
public:
    explicit QtMenuItem(QAction* a) : a_(a) {}
    void setCaption(const std::string& s) override { a_->setText(QString::fromStdString(s)); }
    std::string caption() const override { return a_->text().toStdString(); }
    void setChecked(bool c) override;
    bool checked() const override { return checked_; }
    void setVisible(bool v) override { a_->setVisible(v); }
    bool visible() const override { return a_->isVisible(); }
    void restoreCheck() { a_->setChecked(checked_); }
    QAction* action() const { return a_; }

private:
    QAction* a_;
    bool checked_ = false;
};

class QtMenus final : public Menus {
public:
    MenuItem* item(const std::string& name, int index = -1) override;
    void add(const std::string& key, QAction* a);
    QtMenuItem* find(const std::string& key) const;

private:
    std::map<std::string, std::unique_ptr<QtMenuItem>> items_;
};

class QtTimer final : public Timer {
public:
    QtTimer(QObject* owner, std::function<void()> onTick);
    void setEnabled(bool on) override;
    bool enabled() const override { return t_->isActive(); }
    void setInterval(int ms) override { t_->setInterval(ms); }
    int interval() const override { return t_->interval(); }

private:
    QTimer* t_;
};

class QtDialogs final : public Dialogs {
public:
    explicit QtDialogs(QWidget* parent) : parent_(parent) {}
    MsgResult messageBox(const std::string& text, const std::string& title, MsgIcon icon, MsgButtons buttons) override;
    std::optional<std::string> openFile(const std::string& filter) override;
    std::optional<std::string> saveFile(const std::string& filter) override;
    std::string inputBox(const std::string& prompt, const std::string& title, const std::string& def,
                         int maxUnits) override;
    QString startFolder;  // of the next file dialog; empty: Qt's choice

private:
    QWidget* parent_;
};

class QtShell final : public Shell {
public:
    void openUrl(const std::string& url) override;
};

// "description|pattern" as the file dialogs of the logic give it, in Qt's form.
QString qtFilter(const std::string& filter);

}  // namespace tobrak::qt
