#include "app/qt/mqtt_window.h"

#include <QAction>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTextStream>
#include <QVBoxLayout>
#include <algorithm>

#include "app/live_feed.h"
#include "app/qt/side_window.h"
#include "app/qt/tobrak_app.h"
#include "broker/machine_id.h"
#include "broker/mqtt_client.h"
#include "util/paths.h"

namespace tobrak::qt {

namespace {

QString q(const std::string& s) { return QString::fromStdString(s); }

// The address as the publisher tells it, for the status line.
QString where(const QString& url) {
    BrokerUrl u;
    if (!parseBrokerUrl(url.toStdString(), u).empty()) return url;
    return QStringLiteral("%1://%2:%3").arg(u.tls ? "mqtts" : "mqtt", q(u.host)).arg(u.port);
}

}  // namespace

QString mqttChoiceProblem(const MqttChoice& m) {
    if (m.url.isEmpty())
        return m.on ? QStringLiteral("ブローカーのアドレスを入れてください（例：mqtt://192.168.1.10）。") : QString();
    BrokerUrl u;
    const std::string url = m.url.toStdString();
    BrokerUrlFault fault = BrokerUrlFault::None;
    (void)parseBrokerUrl(url, u, &fault);
    switch (fault) {
        case BrokerUrlFault::None: break;
        case BrokerUrlFault::Login:
            return QStringLiteral("アドレスにはユーザー名もパスワードも入れません。下の欄に入れてください。");
        case BrokerUrlFault::Port:
            return QStringLiteral("アドレスのポート番号が正しくありません（1～65535）：") + m.url;
        case BrokerUrlFault::Host: return QStringLiteral("アドレスにホスト名がありません：") + m.url;
        case BrokerUrlFault::Path: return QStringLiteral("アドレスには / の後ろを付けません：mqtt://ホスト[:ポート]");
        case BrokerUrlFault::Scheme:
            return QStringLiteral("アドレスは mqtt:// か mqtts:// で始めてください（例：mqtt://192.168.1.10:1883）。");
    }
    if (!m.caFile.isEmpty()) {
        if (!u.tls) return QStringLiteral("CA ファイルは mqtts:// のブローカーに使います。");
        const QFileInfo ca(m.caFile);
        if (!ca.isFile() || !ca.isReadable()) return QStringLiteral("CA ファイルが読めません：") + m.caFile;
    }
    if (m.user.isEmpty() && !m.password.isEmpty())
        return QStringLiteral("パスワードを使うときはユーザー名も入れてください。");
    if (m.prefix.contains(QLatin1Char('+')) || m.prefix.contains(QLatin1Char('#')))
        return QStringLiteral("トピックの接頭辞に + と # は使えません。");
    return {};
}

std::string brokerMachineName(const Machine& m) { return machineBrokerName(m.name, m.hall, m.number); }

MqttDialog::MqttDialog(QWidget* parent)
    : QDialog(parent),
      url(new QLineEdit),
      user(new QLineEdit),
      password(new QLineEdit),
      caFile(new QLineEdit),
      prefix(new QLineEdit),
      ha(new QCheckBox(QStringLiteral("Home Assistant に知らせる"))),
      on(new QCheckBox(QStringLiteral("ブローカーに送る"))),
      problem(new QLabel),
      status(new QLabel) {
    setWindowTitle(QStringLiteral("MQTT"));
    auto* layout = new QVBoxLayout(this);
    auto* hint =
        new QLabel(QStringLiteral("記録中のゲーム、ボーナス、カウンターを MQTT ブローカーに送ります。\n"
                                  "ブローカーがつながらない間のゲームは貯めておき、つながったら送ります。"));
    layout->addWidget(hint);
    auto* form = new QFormLayout;
    url->setPlaceholderText(QStringLiteral("mqtt://ホスト[:ポート] または mqtts://…"));
    form->addRow(QStringLiteral("ブローカー(&B)"), url);
    form->addRow(QStringLiteral("ユーザー名(&U)"), user);
    password->setEchoMode(QLineEdit::Password);
    form->addRow(QStringLiteral("パスワード(&P)"), password);
    auto* ca = new QHBoxLayout;
    caFile->setPlaceholderText(QStringLiteral("mqtts:// のとき（空欄：システムの証明書）"));
    ca->addWidget(caFile, 1);
    auto* browse = new QPushButton(QStringLiteral("参照…"));
    connect(browse, &QPushButton::clicked, this, [this] { chooseCaFile(); });
    ca->addWidget(browse);
    auto* caLabel = new QLabel(QStringLiteral("CA ファイル(&C)"));
    caLabel->setBuddy(caFile);  // a row of two widgets: its label is not given one by the form
    form->addRow(caLabel, ca);
    form->addRow(QStringLiteral("トピックの接頭辞(&T)"), prefix);
    layout->addLayout(form);
    ha->setToolTip(
        QStringLiteral("Home Assistant の MQTT 自動検出で、この台のゲーム数・差枚・BB・RB が"
                       "センサーとして現れます"));
    layout->addWidget(ha);
    layout->addWidget(on);
    problem->setWordWrap(true);
    problem->setStyleSheet(QStringLiteral("color: #c00000"));
    problem->hide();
    layout->addWidget(problem);
    status->setWordWrap(true);
    layout->addWidget(status);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
}

void MqttDialog::fill(const MqttChoice& m) {
    url->setText(m.url);
    user->setText(m.user);
    password->setText(m.password);
    caFile->setText(m.caFile);
    prefix->setText(m.prefix);
    ha->setChecked(m.haDiscovery);
    on->setChecked(m.on);
    problem->clear();
    problem->hide();
}

MqttChoice MqttDialog::choice() const {
    MqttChoice m;
    m.url = url->text().trimmed();
    m.user = user->text().trimmed();
    m.password = password->text();  // as typed: a space may be part of it
    m.caFile = caFile->text().trimmed();
    m.prefix = prefix->text().trimmed();
    m.haDiscovery = ha->isChecked();
    m.on = on->isChecked();
    return m;
}

void MqttDialog::setStatus(const QString& text) { status->setText(text); }

void MqttDialog::accept() {
    const QString why = take ? take(choice()) : mqttChoiceProblem(choice());
    if (!why.isEmpty()) {
        problem->setText(why);
        problem->show();
        adjustSize();
        // Grown over the main window: beside it again, where there is room.
        if (QWidget* main = parentWidget(); main && frameGeometry().intersects(main->frameGeometry()))
            move(placeBesideMainWindow(this, main));
        return;
    }
    problem->hide();
    QDialog::accept();
}

void MqttDialog::chooseCaFile() {
    const QString start = caFile->text().isEmpty() ? QString() : QFileInfo(caFile->text()).absolutePath();
    const QString file =
        QFileDialog::getOpenFileName(this, QStringLiteral("CA ファイルの選択"), start,
                                     QStringLiteral("証明書 (*.pem *.crt *.cer);;すべてのファイル (*)"));
    if (!file.isEmpty()) caFile->setText(file);
}

MqttPublishing::MqttPublishing(TobrakApp& app, Settings& settings, std::string queueDir)
    : app_(app),
      settings_(settings),
      queueDir_(std::move(queueDir)),
      action_(new QAction(QStringLiteral("MQTT…"), this)),
      dialog_(new MqttDialog(app.main.get())) {
    connect(action_, &QAction::triggered, this, [this] { open(); });
    dialog_->take = [this](const MqttChoice& m) { return take(m); };
    connect(&timer_, &QTimer::timeout, this, [this] { poll(); });
    choice_ = settings_.mqtt();
    // Kept on, but no longer valid (a CA file gone): told in the dialog, not started.
    if (choice_.on && mqttChoiceProblem(choice_).isEmpty()) start();
    showStatus();
}

MqttPublishing::~MqttPublishing() {
    stop(std::chrono::seconds(3));
    delete dialog_;  // before the main window, its parent, would
}

void MqttPublishing::open() {
    dialog_->fill(choice_);
    showStatus();
    // Wide enough for an address, a CA file's path and their hints at the view scale now.
    const QFontMetrics fm = dialog_->url->fontMetrics();
    for (QLineEdit* e : {dialog_->url, dialog_->caFile})
        e->setMinimumWidth(std::max(fm.horizontalAdvance(QStringLiteral("mqtts://broker.example.lan:8883/ca")),
                                    fm.horizontalAdvance(e->placeholderText())) +
                           24);
    dialog_->adjustSize();
    if (!placed_) {  // beside the main window, clear of its menus and panel
        placed_ = true;
        dialog_->move(placeBesideMainWindow(dialog_, app_.main.get()));
        QTimer::singleShot(SideWindow::kFramedMs, dialog_, [d = dialog_] { keepOnItsScreen(d); });
    }
    dialog_->show();
    dialog_->raise();
    dialog_->activateWindow();
}

QString MqttPublishing::take(const MqttChoice& m) {
    if (QString why = mqttChoiceProblem(m); !why.isEmpty()) return why;
    if (m == choice_ && (publishing() == m.on)) return {};
    settings_.setMqtt(m);
    choice_ = m;
    stop(std::chrono::seconds(1));
    if (choice_.on) start();
    showStatus();
    return {};
}

void MqttPublishing::start() {
    BrokerPublisher::Options o;
    o.url = choice_.url.toStdString();
    o.user = choice_.user.toStdString();
    o.password = choice_.password.toStdString();
    o.caFile = choice_.caFile.toStdString();
    o.prefix = topicPrefix(choice_.prefix.toStdString());
    machine_ = brokerMachineName(app_.program.session.machine);
    BrokerPublisher::setMachine(o, machine_, queueDir_);
    o.haDiscovery = choice_.haDiscovery;
    o.teller = "tobrak";
    if (const std::string why = BrokerPublisher::check(o); !why.empty()) {
        status_ = QStringLiteral("状態：送れません（") + q(why) + QStringLiteral("）");
        return;
    }
    feed_ = std::make_unique<LiveFeed>(app_.program.session, hub_);
    o.state = [this] { return hub_.state(); };
    pub_ = std::make_unique<BrokerPublisher>(app_.program.session, std::move(o));
    told_ = false;
    status_.clear();
    timer_.start(kPollMs);
}

void MqttPublishing::stop(std::chrono::milliseconds wait) {
    timer_.stop();
    if (pub_) {
        pub_->finish(wait);
        for (const BrokerPublisher::Notice& n : pub_->takeNotices()) QTextStream(stderr) << q(n.line) << "\n";
        if (const std::size_t n = pub_->unacknowledged())
            QTextStream(stderr) << "tobrak: " << n
                                << " messages the MQTT broker did not take wait in its queue for the next run\n";
    }
    pub_.reset();  // before the state it reads
    feed_.reset();
    status_.clear();
}

void MqttPublishing::poll() {
    if (!pub_) return;
    for (const BrokerPublisher::Notice& n : pub_->takeNotices()) tell(n);
    // Another machine chosen (the picker, 台の情報): its own topics from now on.
    if (brokerMachineName(app_.program.session.machine) != machine_) {
        stop(std::chrono::seconds(1));
        start();
    }
    showStatus();
}

void MqttPublishing::tell(const BrokerPublisher::Notice& n) {
    QTextStream(stderr) << q(n.line) << "\n";
    const QString at = where(choice_.url);
    QString text;
    switch (n.kind) {
        case BrokerPublisher::Notice::Away:
            status_ = QStringLiteral("状態：%1 につながりません。ゲームは貯めておき、つながったら送ります。").arg(at);
            text = QStringLiteral(
                       "MQTT ブローカー %1 につながりません。\n記録はそのまま続き、ゲームは貯めておいて"
                       "つながったら順に送ります。")
                       .arg(at);
            break;
        case BrokerPublisher::Notice::Refused:
            status_ = QStringLiteral("状態：%1 が接続を断りました。").arg(at);
            text = QStringLiteral(
                       "MQTT ブローカー %1 が接続を断りました。\nユーザー名とパスワードを確かめてください"
                       "（接続 → MQTT…）。記録はそのまま続きます。")
                       .arg(at);
            break;
        case BrokerPublisher::Notice::Back:
            status_.clear();
            if (box_) box_->hide();  // what it said is over
            return;
        case BrokerPublisher::Notice::Problem:
            status_ = QStringLiteral("状態：") + q(n.line);
            text = QStringLiteral("MQTT：") + q(n.line);
            break;
    }
    if (told_) return;  // once per start: a broker coming and going makes no stack of boxes
    told_ = true;
    if (!box_) {
        box_ =
            new QMessageBox(QMessageBox::Warning, QStringLiteral("MQTT"), QString(), QMessageBox::Ok, app_.main.get());
        box_->setModal(false);  // the poll goes on under it
    }
    box_->setText(text);
    box_->setDetailedText(q(n.line));
    box_->show();
}

void MqttPublishing::showStatus() {
    QString text = status_;
    if (text.isEmpty()) {
        if (!pub_)
            text = QStringLiteral("状態：送っていません");
        else if (pub_->connected())
            text = QStringLiteral("状態：%1 に送っています").arg(where(choice_.url));
        else
            text = QStringLiteral("状態：%1 に接続しています…").arg(where(choice_.url));
        if (pub_ && pub_->unacknowledged() > 0) text += QStringLiteral("（未送信 %1 件）").arg(pub_->unacknowledged());
    }
    dialog_->setStatus(text);
}

}  // namespace tobrak::qt
