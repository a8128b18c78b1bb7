#pragma once
// 機種データの編集: the machine profiles of the user's folder in a window. A profile
// is made from the example, copied or opened, edited (name, note, the hand
// counters' names and, per setting, BB, RB, payout, weight, small wins and each
// counter's 1/x), checked with each mistake marked at its figure, and saved as a
// file of the same format. What is typed is kept until it is saved or thrown away
// on purpose; a file that cannot be read is never written over.
#include <QWidget>
#include <string>
#include <vector>

#include "counts/profile_draft.h"

class QLabel;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QPushButton;
class QTableWidget;

namespace tobrak::qt {

class TobrakApp;

class ProfileEditor final : public QWidget {
public:
    // The profiles of `dir` (created when the first one is saved).
    ProfileEditor(TobrakApp& app, std::string dir);
    ~ProfileEditor() override;

    // Shown beside the main window with the folder read again.
    void open();
    // The folder read again; the profile being edited stays.
    void reload();
    // Profile `index` of the list into the form (after the unsaved question). False
    // when it stays on the one before.
    bool openSlot(int index);
    void newFromExample();
    void copyCurrent();
    // Marks every mistake at its figure and lists them; true when there is none.
    bool check();
    // Checks, then writes the file (a new file that would replace another asks first).
    bool save();

    // The form's parts, for tests.
    QListWidget* profiles() const { return list_; }
    QTableWidget* table() const { return table_; }
    QLineEdit* nameEdit() const { return name_; }
    QListWidget* problems() const { return problems_; }
    const std::string& path() const { return path_; }
    bool unsaved() const { return dirty_; }
    // The table's row of a figure (DraftPlace::BB … Counter; `row` within the small
    // wins or the counters), or -1.
    int tableRow(DraftPlace::Kind kind, int row = 0) const;
    // The draft as the form holds it.
    ProfileDraft draft() const;

protected:
    void closeEvent(QCloseEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void changeEvent(QEvent* e) override;

private:
    struct Row {
        DraftPlace::Kind kind;
        int index;  // within the small wins or the counters
    };
    void display(const ProfileDraft& d, const std::string& path, bool dirty);
    void setEditable(bool on);
    void addSmallWin();
    void addCounter();
    void removeRow();
    void clearMarks();
    void mark(const std::vector<DraftProblem>& problems);
    void goTo(const std::string& field);
    void touched();
    void fitToContents();
    // The unsaved question; false: stay.
    bool mayLeave();
    void tell(const std::string& text, bool bad);
    void markName(const QString& why);  // empty: unmarked

    TobrakApp& app_;
    std::string dir_;
    std::string path_;  // the file being edited; empty: not saved yet
    bool dirty_ = false, filling_ = false, placed_ = false;
    int shownSlot_ = -1;
    std::vector<std::string> slotPaths_;  // of the list's rows ("" for the example)
    std::vector<Row> rows_;
    std::vector<int> sizes_;  // small-win sizes of the rows, as in the draft
    QListWidget* list_;
    QLineEdit* name_;
    QPlainTextEdit* note_;
    QLabel* file_;
    QTableWidget* table_;
    QListWidget* problems_;
    QLabel* status_;
    std::vector<QPushButton*> editing_;  // the buttons that change the form
};

}  // namespace tobrak::qt
