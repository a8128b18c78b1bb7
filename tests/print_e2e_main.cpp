// Drives the window's "グラフの印刷" against the system's printers: the print
// dialog is accepted as a user would, message boxes are answered from a script.
// Exit 0 when what was expected happened.
#include <QApplication>
#include <QPrintDialog>
#include <QTimer>
#include <cstdio>
#include <cstring>

#include "app/file_commands.h"
#include "app/headless/headless_app.h"
#include "app/menu.h"
#include "app/qt/tobrak_app.h"

int main(int argc, char** argv) {
    const bool wantPage = argc == 3 && std::strcmp(argv[2], "--expect-page") == 0;
    if (argc != 3 || (!wantPage && std::strcmp(argv[2], "--expect-no-printer") != 0)) {
        std::fprintf(stderr, "usage: %s FILE.slt --expect-page|--expect-no-printer\n", argv[0]);
        return 2;
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    tobrak::headless::ScriptedDialogs dialogs;
    tobrak::qt::TobrakApp tobrak(nullptr, &dialogs);
    tobrak.start();
    if (!tobrak::loadPlayData(tobrak.program, argv[1])) {
        std::fprintf(stderr, "cannot load %s\n", argv[1]);
        return 1;
    }
    bool dialogSeen = false;
    QTimer accept;
    QObject::connect(&accept, &QTimer::timeout, [&] {
        if (auto* d = qobject_cast<QPrintDialog*>(QApplication::activeModalWidget())) {
            dialogSeen = true;
            d->accept();
        }
    });
    accept.start(50);
    tobrak::menuClick(tobrak.program, "O_prin");
    accept.stop();
    const std::string box = dialogs.shown.empty() ? "" : dialogs.shown[0].title + ": " + dialogs.shown[0].text;
    const bool ok = wantPage ? dialogSeen && box.empty()
                             : dialogs.shown.size() == 1 && box == "プリンタ: プリンタに接続できません！";
    if (!ok)
        std::fprintf(stderr, "print dialog %s, %zu message box(es) %s\n", dialogSeen ? "shown" : "not shown",
                     dialogs.shown.size(), box.c_str());
    return ok ? 0 : 1;
}
