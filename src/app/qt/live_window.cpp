#include "app/qt/live_window.h"

#include <qrencode.h>

#include <QHBoxLayout>
#include <QHostAddress>
#include <QImage>
#include <QLabel>
#include <QMessageBox>
#include <QNetworkInterface>
#include <QPixmap>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/live_feed.h"
#include "app/menu.h"
#include "app/qt/live_graph.h"
#include "app/qt/settings.h"
#include "app/qt/side_window.h"

namespace tobrak::qt {

namespace {

constexpr int kDefaultPort = 8765;

// The QR code of `text`, each module `scale` pixels, with the quiet zone.
QPixmap qrCode(const QString& text, int scale) {
    const QByteArray utf8 = text.toUtf8();
    QRcode* code = QRcode_encodeString(utf8.constData(), 0, QR_ECLEVEL_M, QR_MODE_8, 1);
    if (!code) return {};
    const int n = code->width, quiet = 4;
    QImage img(n + 2 * quiet, n + 2 * quiet, QImage::Format_RGB32);
    img.fill(Qt::white);
    for (int y = 0; y < n; ++y)
        for (int x = 0; x < n; ++x)
            if (code->data[y * n + x] & 1) img.setPixel(x + quiet, y + quiet, qRgb(0, 0, 0));
    QRcode_free(code);
    return QPixmap::fromImage(img.scaled(img.size() * scale, Qt::KeepAspectRatio, Qt::FastTransformation));
}

// This computer's address on the local network, for a phone beside it.
QString lanAddress() {
    for (const QHostAddress& a : QNetworkInterface::allAddresses())
        if (a.protocol() == QAbstractSocket::IPv4Protocol && !a.isLoopback() && !a.isLinkLocal()) return a.toString();
    return QStringLiteral("127.0.0.1");
}

}  // namespace

LiveViewWindow::LiveViewWindow(Program& core, QWidget* parent, Settings* settings)
    : QDialog(parent),
      core_(core),
      settings_(settings),
      qr_(new QLabel(this)),
      address_(new QLabel(this)),
      overlay_(new QLabel(this)) {
    setWindowTitle(QStringLiteral("ライブ表示"));
    auto* layout = new QVBoxLayout(this);
    auto* hint = new QLabel(QStringLiteral("スマートフォンで読み取ると、カウンターとグラフが見られます。\n"
                                           "（このパソコンと同じネットワークにつないでください）"),
                            this);
    layout->addWidget(hint);
    qr_->setAlignment(Qt::AlignCenter);
    layout->addWidget(qr_);
    for (QLabel* l : {address_, overlay_}) {
        l->setTextInteractionFlags(Qt::TextSelectableByMouse);
        l->setWordWrap(true);
        layout->addWidget(l);
    }
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    auto* stopButton = new QPushButton(QStringLiteral("停止"), this);
    connect(stopButton, &QPushButton::clicked, this, [this] {
        stop();
        showLiveState(core_);
    });
    buttons->addWidget(stopButton);
    auto* close = new QPushButton(QStringLiteral("閉じる"), this);
    connect(close, &QPushButton::clicked, this, &QDialog::hide);
    buttons->addWidget(close);
    layout->addLayout(buttons);
    tick_.setInterval(250);
    connect(&tick_, &QTimer::timeout, this, [this] {
        if (!feed_) return;
        // The expected-value line switched or moved: the page's picture follows.
        if (const double rate = core_.graph.expectedRate; rate != pictureRate_) {
            pictureRate_ = rate;
            feed_->graphChanged();
        }
        feed_->tick();
    });
    core_.ui.liveView = this;
}

LiveViewWindow::~LiveViewWindow() {
    if (core_.ui.liveView == this) core_.ui.liveView = nullptr;
    if (server_) server_->stop();  // no server thread reads the hub after this
    feed_.reset();
}

std::string LiveViewWindow::start(const live::ListenAddress& at, const std::string& token) {
    if (server_) return {};
    // The window's expected-value line as it stands when the picture is made.
    feed_ = std::make_unique<LiveFeed>(core_.session, hub_, [this](const std::vector<std::uint8_t>& slt) {
        return graphPngAt(slt, 0, core_.graph.expectedRate);
    });
    feed_->tick();
    auto server = std::make_unique<live::LiveServer>(hub_, token);
    if (std::string why = server->start(at); !why.empty()) {
        feed_.reset();
        return why;
    }
    server_ = std::move(server);
    tick_.start();
    const bool everywhere = at.host == "0.0.0.0" || at.host == "::";
    phoneUrl_ = QString::fromStdString(server_->url(everywhere ? lanAddress().toStdString() : std::string()));
    return {};
}

bool LiveViewWindow::startKept() {
    std::string token = settings_ ? settings_->liveToken().toStdString() : std::string();
    if (token.empty()) {
        token = live::randomToken();
        if (settings_) settings_->setLiveToken(QString::fromStdString(token));
    }
    // The same port as last time when it is free, so that an open page reconnects.
    moved_.clear();
    std::string why = start({"0.0.0.0", kDefaultPort}, token);
    if (!why.empty()) {
        why = start({"0.0.0.0", 0}, token);
        if (why.empty())
            moved_ =
                QStringLiteral("（ポート%1は他のプログラムが使用中のため、別のポートで開きました）").arg(kDefaultPort);
    }
    if (!why.empty()) {
        QMessageBox::warning(parentWidget(), QStringLiteral("ライブ表示"),
                             QStringLiteral("ライブ表示を始められません。\n") + QString::fromStdString(why));
        return false;
    }
    return true;
}

void LiveViewWindow::keepOn(bool on) {
    if (settings_ && settings_->liveOn() != on) settings_->setLiveOn(on);
}

void LiveViewWindow::showLiveView() {
    if (!server_ && !startKept()) return;
    keepOn(true);
    showAddress();
    if (!placed_ && parentWidget()) {
        // Beside the main window, as its other windows open, not over the graph.
        placed_ = true;
        adjustSize();
        move(placeBesideMainWindow(this, parentWidget()));
    }
    show();
    raise();
    activateWindow();
}

void LiveViewWindow::toggleLiveView() {
    if (server_)
        stop();
    else
        showLiveView();
}

void LiveViewWindow::stop() {
    if (!server_) return;
    server_->stop();
    server_.reset();
    tick_.stop();
    feed_.reset();
    keepOn(false);
    hide();
}

void LiveViewWindow::resume() {
    if (server_ || !settings_ || !settings_->liveOn()) return;
    if (!startKept()) keepOn(false);
}

void LiveViewWindow::showAddress() {
    qr_->setPixmap(qrCode(phoneUrl_, 5));
    address_->setText(QStringLiteral("アドレス：") + phoneUrl_ + (moved_.isEmpty() ? QString() : "\n" + moved_));
    QString overlay = QString::fromStdString(server_->url("127.0.0.1"));
    overlay += overlay.contains(QLatin1Char('?')) ? QStringLiteral("&overlay=1") : QStringLiteral("?overlay=1");
    overlay_->setText(QStringLiteral("配信のオーバーレイ用（このパソコンで）：") + overlay);
}

}  // namespace tobrak::qt
