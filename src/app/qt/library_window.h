#pragma once
// The library of sessions in the window: the 収支 menu (投資 in steps, 回収, the
// list) and the セッション一覧 window with its three pages: the sessions by day,
// the 収支カレンダー of a month, and the totals by machine, hall and profile with
// the cumulative 収支 over the days. The window reads through a connection of its
// own; the recorder writes through another, off the poll's thread.
#include <QCalendarWidget>
#include <QComboBox>
#include <QLabel>
#include <QMenu>
#include <QTableWidget>
#include <QTimer>
#include <QWidget>
#include <cstdint>
#include <memory>
#include <string>

#include "app/program.h"
#include "library/library.h"
#include "library/recorder.h"

namespace tobrak::qt {

class TobrakApp;

// The cumulative 収支 over the days, as a line.
class IncomeChart final : public QWidget {
public:
    using QWidget::QWidget;
    void setDays(std::vector<std::pair<std::string, std::int64_t>> days);
    QSize sizeHint() const override { return {520, 180}; }

protected:
    void paintEvent(QPaintEvent*) override;

private:
    std::vector<std::pair<std::string, std::int64_t>> days_;  // date, 収支 of the day
};

class LibraryWindow final : public QWidget {
public:
    // Opens the library at `path` (a notice told through the program's dialogs)
    // and keeps the program's session in it from its first game.
    // After a damaged library was set aside, the kept journals of `journalDir` are
    // offered for import.
    LibraryWindow(TobrakApp& app, const std::string& path, const std::string& journalDir = {});
    ~LibraryWindow() override;

    bool kept() const { return recorder_ != nullptr; }
    LibraryRecorder* recorder() const { return recorder_.get(); }
    Library* library() const { return library_.get(); }
    QMenu* menu() const { return menu_; }
    QTableWidget* sessions() const { return table_; }
    QCalendarWidget* calendar() const { return calendar_; }
    QTableWidget* totals() const { return totalsTable_; }
    QLabel* monthTotal() const { return monthTotal_; }

    // Everything shown read again from the library.
    void refresh();
    // 投資 by `yen` for the session being recorded; kept until its first game.
    void invest(std::int64_t yen);
    // 回収 as medals at the end (at the hall's rate) or yen; asked in a box.
    void collect();
    // The selected session into the main window, after the load question; asked
    // whether to record on in it.
    void openSelected();
    void editSelected();
    void removeSelected();
    // The machine being played (機種, ホール, 台番号) and the hall's rates, asked in a
    // box; kept with the session being recorded.
    void editMachine();
    // The same without the box: the hall's rates as typed (both empty: left as
    // they are). False, and told, for rates that are not numbers above 0.
    bool setMachine(const Machine& m, const std::string& lend, const std::string& rate);
    // .slt files or kept journals into the library, one result line each in a box.
    void importFiles(const std::vector<std::string>& paths);
    // The sessions listed, as CSV; the selected session's games as CSV or as a .slt.
    void exportSessions();
    void exportGames();
    void exportSlt();
    void importChosen();  // files chosen in the open dialog

private:
    std::int64_t selectedId() const;
    ListFilter filter() const;
    void fillCalendar(int year, int month);
    void fillTotals();
    void applyPending();
    void tellNotices();

    TobrakApp& app_;
    Program& core_;
    std::unique_ptr<Library> library_;
    std::unique_ptr<LibraryRecorder> recorder_;
    std::int64_t pendingInvest_ = 0;
    bool placed_ = false;
    QMenu* menu_;
    QAction* money_;
    QComboBox *month_, *hall_, *machine_, *totalsBy_;
    QTableWidget *table_, *totalsTable_;
    QCalendarWidget* calendar_;
    QLabel* monthTotal_;
    IncomeChart* chart_;
    QTimer timer_;
};

// "+12,000円", "-3,500円"; "-" where it is not known.
QString yenText(std::optional<std::int64_t> yen);

}  // namespace tobrak::qt
