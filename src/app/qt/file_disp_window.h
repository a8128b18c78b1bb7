#pragma once
// The main window: menu bar, statistics panel, graph surfaces and version box,
// every control at its twips geometry. Its events run the logic's handlers.
#include <QMainWindow>
#include <memory>
#include <vector>

#include "app/program.h"
#include "platform/qt/qt_controls.h"

class QLabel;

namespace tobrak::qt {

class FileDispWindow final : public QMainWindow, public FormWindow {
public:
    explicit FileDispWindow(Program& core);
    ~FileDispWindow() override;

    // Points the logic's controls and menus at this window's widgets.
    void attach(Platform& p);
    // After the start-up sequence: window events now reach the logic.
    void setLoaded() { loaded_ = true; }
    // Closes without the quit question (the program is ending).
    void closeForShutdown();

    int clientWidth() const override;
    int clientHeight() const override;
    bool minimized() const override { return isMinimized(); }
    int outerHeight() const override;
    void setOuterHeight(int twips) override;
    void setTitle(const std::string& s) override { setWindowTitle(QString::fromStdString(s)); }
    std::string title() const override { return windowTitle().toStdString(); }
    int outerWidth() const override;
    void setVisible(bool v) override { QMainWindow::setVisible(v); }
    bool visible() const override { return isVisible(); }

    QtMenus& menus() { return menus_; }

    // The window's largest height: the menu bar and the graph, at the scale in force.
    void keepToTheGraphsHeight();

protected:
    void resizeEvent(QResizeEvent* e) override;
    void changeEvent(QEvent* e) override;
    void closeEvent(QCloseEvent* e) override;
    // The number keys count the hand counters.
    void keyPressEvent(QKeyEvent* e) override;

private:
    void buildMenus();
    void scrollByWheel(int notches);
    void buildPanel(QWidget* client);
    void buildGraph(QWidget* client);
    void buildVersionBox(QWidget* client);
    QtLabel* label(QWidget* parent, int l, int t, int w, int h, bool opaque, const char* text = "");
    QtBox* box(QWidget* w);

    Program& core_;
    QtMenus menus_;
    LabelSet labels_;
    std::vector<std::unique_ptr<Box>> boxes_;
    std::unique_ptr<QtCombo> combo_;
    MainControls controls_;
    QWidget* picture2_ = nullptr;
    Surface* graphSurface_ = nullptr;
    Surface* stripSurface_ = nullptr;
    bool loaded_ = false;
    bool closing_ = false;
    bool wasMinimized_ = false;
};

}  // namespace tobrak::qt
