#include "platform/qt/qt_controls.h"

#include <QDesktopServices>
#include <QEvent>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QHeaderView>
#include <QIdentityProxyModel>
#include <QInputDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QTableView>
#include <QTreeView>
#include <QUrl>

#include "platform/qt/surface_widget.h"
#include "platform/qt/twips.h"

namespace tobrak::qt {

QtLabel::QtLabel(QLabel* w, bool opaque) : w_(w), opaque_(opaque) {
    w_->setAutoFillBackground(opaque_);
    caption_ = w_->text().toStdString();
}

void QtLabel::setCaption(const std::string& s) {
    if (s == caption_) return;
    caption_ = s;
    w_->setText(QString::fromStdString(s));
}

void QtLabel::setBackColor(Rgb c) {
    if (c == back_ && painted_) return;
    back_ = c;
    painted_ = true;
    QPalette p = w_->palette();
    p.setColor(QPalette::Window, qcolor(c));
    w_->setPalette(p);
}

void QtLabel::setForeColor(Rgb c) {
    fore_ = c;
    QPalette p = w_->palette();
    p.setColor(QPalette::WindowText, qcolor(c));
    w_->setPalette(p);
}

QtLabel* LabelSet::add(QWidget* parent, const QRect& at, Qt::Alignment align, bool opaque, const std::string& utf8) {
    auto* q = new QLabel(QString::fromStdString(utf8), parent);
    q->setGeometry(at);
    q->setAlignment(align);
    labels_.push_back(std::make_unique<QtLabel>(q, opaque));
    return labels_.back().get();
}

void QtBox::setGeometry(int l, int t, int w, int h) {
    l_ = l;
    t_ = t;
    wd_ = w;
    ht_ = h;
    w_->setGeometry(pxRect(l, t, w < 0 ? 0 : w, h < 0 ? 0 : h));
    // A hidden widget hears of its new size only when shown; its picture may be
    // drawn on before that, and must know which part it will show.
    if (auto* s = dynamic_cast<SurfaceWidget*>(w_)) s->surface().followSize();
}

namespace {
// A table's rows as tall as its text, whenever its font changes (a view scale).
class RowsFollowTheFont final : public QObject {
public:
    using QObject::QObject;
    static void fit(QTableView* t) { t->verticalHeader()->setDefaultSectionSize(t->fontMetrics().height() + 4); }
    bool eventFilter(QObject* o, QEvent* e) override {
        if (e->type() == QEvent::FontChange) fit(static_cast<QTableView*>(o));
        return false;
    }
};
}  // namespace

QtTable::QtTable(QTableWidget* w) : w_(w) {
    w_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    w_->setSelectionBehavior(QAbstractItemView::SelectRows);
    w_->verticalHeader()->setVisible(false);
    RowsFollowTheFont::fit(w_);
    w_->installEventFilter(new RowsFollowTheFont(w_));
}

void QtTable::setHeader(const std::vector<std::string>& h) {
    QStringList captions;
    for (const auto& s : h) captions << QString::fromStdString(s);
    w_->setColumnCount(static_cast<int>(h.size()));
    w_->setHorizontalHeaderLabels(captions);
}

void QtTable::setRows(const std::vector<std::vector<std::string>>& rows) {
    w_->setRowCount(static_cast<int>(rows.size()));
    for (int r = 0; r < static_cast<int>(rows.size()); ++r) {
        const auto& row = rows[static_cast<std::size_t>(r)];
        for (int c = 0; c < static_cast<int>(row.size()) && c < w_->columnCount(); ++c) {
            const QString text = QString::fromStdString(row[static_cast<std::size_t>(c)]);
            bool number = false;
            text.toLong(&number);
            auto* item = new QTableWidgetItem(text);
            item->setTextAlignment((number ? Qt::AlignRight : Qt::AlignHCenter) | Qt::AlignVCenter);
            w_->setItem(r, c, item);
        }
    }
    w_->scrollToBottom();
}

void QtMenuItem::setChecked(bool c) {
    checked_ = c;
    a_->setCheckable(true);
    a_->setChecked(c);
}

MenuItem* QtMenus::item(const std::string& name, int index) { return find(menuKey(name, index)); }

void QtMenus::add(const std::string& key, QAction* a) { items_[key] = std::make_unique<QtMenuItem>(a); }

QtMenuItem* QtMenus::find(const std::string& key) const {
    const auto it = items_.find(key);
    return it == items_.end() ? nullptr : it->second.get();
}

QtTimer::QtTimer(QObject* owner, std::function<void()> onTick) : t_(new QTimer(owner)) {
    QObject::connect(t_, &QTimer::timeout, owner, std::move(onTick));
}

void QtTimer::setEnabled(bool on) {
    if (on == t_->isActive()) return;
    if (on)
        t_->start();
    else
        t_->stop();
}

MsgResult QtDialogs::messageBox(const std::string& text, const std::string& title, MsgIcon icon, MsgButtons buttons) {
    QMessageBox box(parent_);
    box.setWindowTitle(QString::fromStdString(title));
    box.setText(QString::fromStdString(text));
    box.setIcon(icon == MsgIcon::Information   ? QMessageBox::Information
                : icon == MsgIcon::Exclamation ? QMessageBox::Warning
                                               : QMessageBox::Critical);
    if (buttons == MsgButtons::SaveDiscardCancel) {
        QPushButton* save = box.addButton(QStringLiteral("保存して終了"), QMessageBox::AcceptRole);
        QPushButton* discard = box.addButton(QStringLiteral("保存せずに終了"), QMessageBox::DestructiveRole);
        QPushButton* cancel = box.addButton(QStringLiteral("キャンセル"), QMessageBox::RejectRole);
        box.setDefaultButton(cancel);
        box.setEscapeButton(cancel);
        box.exec();
        return box.clickedButton() == save      ? MsgResult::Save
               : box.clickedButton() == discard ? MsgResult::Discard
                                                : MsgResult::Cancel;
    }
    // Two choices; Enter and Escape take the second, the safe one.
    const auto firstOrSafe = [&box](const QString& first, QMessageBox::ButtonRole role, const QString& safe,
                                    QMessageBox::ButtonRole safeRole) {
        QPushButton* a = box.addButton(first, role);
        QPushButton* b = box.addButton(safe, safeRole);
        box.setDefaultButton(b);
        box.setEscapeButton(b);
        box.exec();
        return box.clickedButton() == a;
    };
    if (buttons == MsgButtons::OpenQuit)
        return firstOrSafe(QStringLiteral("ボードと保護なしで開く"), QMessageBox::AcceptRole, QStringLiteral("終了"),
                           QMessageBox::RejectRole)
                   ? MsgResult::Ok
                   : MsgResult::Cancel;
    if (buttons == MsgButtons::OkSavePdf)
        return firstOrSafe(QStringLiteral("PDF保存"), QMessageBox::ActionRole, QStringLiteral("OK"),
                           QMessageBox::AcceptRole)
                   ? MsgResult::Save
                   : MsgResult::Ok;
    QPushButton* ok = box.addButton(QStringLiteral("OK"), QMessageBox::AcceptRole);
    QPushButton* cancel = nullptr;
    if (buttons != MsgButtons::Ok) {
        cancel = box.addButton(QStringLiteral("キャンセル"), QMessageBox::RejectRole);
        // A confirmation never proceeds by accident; the restore question never discards.
        box.setDefaultButton(buttons == MsgButtons::OkCancel ? cancel : ok);
        box.setEscapeButton(cancel);
    } else {
        box.setDefaultButton(ok);
        box.setEscapeButton(ok);
    }
    box.exec();
    return box.clickedButton() == ok ? MsgResult::Ok : MsgResult::Cancel;
}

QString qtFilter(const std::string& filter) {
    // "スロットデーターファイル(*.slt)|*.slt" -> "スロットデーターファイル (*.slt)"
    const QString f = QString::fromStdString(filter);
    const qsizetype bar = f.indexOf('|');
    if (bar < 0) return f;
    QString desc = f.left(bar);
    const QString pattern = f.mid(bar + 1).replace(';', ' ');
    if (desc.endsWith(')')) desc = desc.left(desc.lastIndexOf('('));
    return desc + " (" + pattern + ")";
}

namespace {

// Qt's own file dialog writes its size and date columns in the system's locale,
// English where the computer says nothing else; these are written in the
// program's language (the default locale) as the rest of the dialog is.
class LocalFileColumns final : public QIdentityProxyModel {
public:
    using QIdentityProxyModel::QIdentityProxyModel;
    QVariant data(const QModelIndex& index, int role) const override {
        enum { Size = 1, Modified = 3 };  // the file system model's columns
        const auto* files = qobject_cast<QFileSystemModel*>(sourceModel());
        if (role != Qt::DisplayRole || !files || (index.column() != Size && index.column() != Modified))
            return QIdentityProxyModel::data(index, role);
        const QFileInfo f = files->fileInfo(mapToSource(index));
        if (index.column() == Modified) return QLocale().toString(f.lastModified(), QStringLiteral("yyyy/MM/dd HH:mm"));
        return f.isDir() ? QString() : QLocale().formattedDataSize(f.size(), 1, QLocale::DataSizeTraditionalFormat);
    }
};

std::optional<std::string> runFileDialog(QWidget* parent, const QString& folder, const std::string& filter, bool save) {
    QFileDialog dialog(parent, QString(), folder, qtFilter(filter));
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    if (save) dialog.setOption(QFileDialog::DontConfirmOverwrite);
    // A system's own dialog speaks the system's language and ignores the proxy.
    dialog.setProxyModel(new LocalFileColumns(&dialog));
    if (auto* details = dialog.findChild<QTreeView*>())  // the dates whole, not cut
        details->header()->setSectionResizeMode(3, QHeaderView::ResizeToContents);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
    const QString p = dialog.selectedFiles().constFirst();
    if (p.isEmpty()) return std::nullopt;
    return p.toStdString();
}

}  // namespace

std::optional<std::string> QtDialogs::openFile(const std::string& filter) {
    return runFileDialog(parent_, startFolder, filter, false);
}

std::optional<std::string> QtDialogs::saveFile(const std::string& filter) {
    return runFileDialog(parent_, startFolder, filter, true);
}

std::string QtDialogs::inputBox(const std::string& prompt, const std::string& title, const std::string& def,
                                int maxUnits) {
    QInputDialog box(parent_);
    box.setWindowTitle(QString::fromStdString(title));
    box.setLabelText(QString::fromStdString(prompt));
    box.setTextValue(QString::fromStdString(def));
    // The box takes no more than is kept, rather than dropping the rest unseen.
    if (auto* edit = box.findChild<QLineEdit*>(); edit && maxUnits > 0) edit->setMaxLength(maxUnits);
    return box.exec() == QDialog::Accepted ? box.textValue().toStdString() : std::string();
}

void QtShell::openUrl(const std::string& url) { QDesktopServices::openUrl(QUrl(QString::fromStdString(url))); }

}  // namespace tobrak::qt
