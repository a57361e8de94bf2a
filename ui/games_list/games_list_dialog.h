#pragma once

#include <QString>
#include <ctime>
#include <filesystem>
#include <functional>
#include <memory>
#include <vector>

#include "messaging/newest_messages.h"
#include "pgn/games_index.h"
#include "ui/kit/background_read.h"
#include "ui/kit/dialog_controller.h"

class GameDocument;
class GamesFile;
class GamesListModel;
class QLabel;
class QTableView;
class ReadProgressView;
class SoftkeyBar;
struct OwnerIdentity;

// Reads the newest message of each sender of the Inboxes, for the marks of the list.
using InboxSendersRead = BackgroundRead<NewestMessages>;

// Starts reading the Inbox of `stores` for the games list's marks (see
// ReadNewestMessages, with the SenderCache `cacheFile` unless it is empty) on a thread
// of its own; null without stores.
std::unique_ptr<InboxSendersRead> StartInboxSendersRead(std::vector<std::filesystem::path> stores,
                                                        std::filesystem::path cacheFile = {});

// Where the program keeps what it read of the Inboxes' senders (see SenderCache): a
// file in the user's cache folder.
std::filesystem::path DefaultSenderCachePath();

// The games list, the program's outermost screen: one row per game of the games file
// with White, Black and the date of the last move or the result, "* " marking the
// side to move in running e-mail games and kAnswerWaitingMark the opponent whose answer
// waits in the Inbox. "Open" (F1, Return) opens the selected game; "Menu" (F2) offers
// New..., Settings..., About... and Quit. It owns the games file's index for the whole
// run and refills its rows after every change to the file. The file and the Inbox are
// read off the screen's thread; a read that takes long shows its progress, and the back
// key or Quit stops it and ends the list.
class GamesListDialog : public DialogController {
public:
    // Shows the game display for `document` over `parent`; returns true when the game
    // is to be saved. `answerWaiting` is the message file that waits as the opponent's
    // answer (see AnswerWaiting), empty when none does.
    using GameDisplayRunner = std::function<bool(QWidget* parent, GameDocument& document,
                                                 const std::filesystem::path& answerWaiting)>;
    // Saves `document` back into its games file; returns false after its own error box.
    using GameSaver = std::function<bool(GameDocument& document)>;
    // Runs the New Game dialog over `parent`; returns the new game with its tags set,
    // or null when cancelled.
    using NewGameRunner =
        std::function<std::unique_ptr<GameDocument>(QWidget* parent, GamesFile& games)>;
    // Appends a new game to the games file and hands it to the index, leaving
    // `document` null; returns false (the document stays the caller's) on failure.
    using NewGameAppender =
        std::function<bool(std::unique_ptr<GameDocument>& document, GamesFile& games)>;
    // Runs Settings over `parent`.
    using SettingsRunner = std::function<void(QWidget* parent)>;
    // Reads the index of the games file at `path` (ReadGamesIndex, unless a test
    // slows it down); runs off the screen's thread.
    using IndexReader =
        std::function<GamesIndex(const std::filesystem::path& path, const ReadProgress& progress)>;
    // The mail stores whose Inbox the marks come from, asked at each filling.
    using InboxStores = std::function<std::vector<std::filesystem::path>()>;

    // `gamesPath` is the games file, created empty when missing.
    explicit GamesListDialog(std::filesystem::path gamesPath);
    ~GamesListDialog() override;

    void InitDialog() override;
    // While the list is being read, only the back key and Quit do something: they stop
    // the reading and end the list.
    bool HandleCommand(int commandId) override;
    void HandleClose() override;
    void InitMenuPopup(int menuId, QMenu& popup) override;

    // Rebuilds the index from the file and reads the Inbox's senders (both off the
    // screen's thread, while the screen's events go on), then refills the rows, keeping
    // the selected row by its index (row 0 when none was selected). When the file
    // cannot be read, shows "Unable to load games file" and ends the dialog; returns
    // false then, when the list was ended while reading, and before InitDialog has made
    // the index.
    bool FillGamesList();

    // Hands the list a read of the Inbox's senders started ahead (at start-up, while
    // the screen is built), for its next filling to use instead of starting its own.
    void UseInboxSendersRead(std::unique_ptr<InboxSendersRead> read);

    // Opens the selected row's game in the game display and saves it when asked.
    // Does nothing without a selected row or while no display is wired in.
    void OpenSelectedGame();

    // Runs the New Game dialog, appends the new game and opens it. Does nothing while
    // no New Game dialog is wired in.
    void StartNewGame();

    // Brings the program's topmost screen to the front (a second start asks for it).
    void BringToFront();

    // The selected row, or -1.
    int SelectedRow() const;
    // Selects `row` (none for -1) and makes it the current row.
    void SelectRow(int row);

    // How many rows were last put in the list; shown as "%d games".
    int rowCount() const { return rowCount_; }
    // The index; owned by the dialog, null before InitDialog.
    GamesFile* games() const { return games_.get(); }
    QTableView* listView() const { return listView_; }
    QLabel* countLabel() const { return countLabel_; }
    GamesListModel* model() const { return model_; }
    SoftkeyBar* softkeyBar() const { return bar_; }
    ReadProgressView* progressView() const { return progress_; }
    // The newest message of each sender as the last filling read them.
    const NewestMessages& inboxSenders() const { return inboxSenders_; }

    // The screens that later parts of the program plug in; unset, their commands do
    // nothing.
    SettingsRunner runSettings;
    GameDisplayRunner runGameDisplay;
    GameSaver saveGame;
    NewGameRunner runNewGame;
    NewGameAppender appendNewGame;
    IndexReader readIndex;
    // Unset, or giving no store: no marks.
    InboxStores inboxStores;
    // The owner of the run, whose opponents' answers are marked; none when unset.
    const OwnerIdentity* owner = nullptr;
    // The SenderCache file of the Inbox reads; empty for none.
    std::filesystem::path senderCacheFile;
    // Shows a start-up notice; the program's box unless a test replaces it.
    std::function<void(const QString& text)> showNotice;

protected:
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    // The owner handed in, or nobody.
    const OwnerIdentity& OwnerOrNobody() const;

    // Stops the reads of a filling in progress.
    void StopReads();
    // Says once, for measuring start-up, that the list is on the screen with its rows.
    void LogShownOnce();
    void SizeColumns();
    void ShowCount();
    void UpdateOpenSoftkey();
    void TellUnlistedGames();

    std::filesystem::path gamesPath_;
    std::unique_ptr<GamesFile> games_;
    GamesListModel* model_;
    QTableView* listView_;
    QLabel* countLabel_;
    ReadProgressView* progress_;
    SoftkeyBar* bar_ = nullptr;
    int rowCount_ = 0;
    bool shownOnce_ = false;
    bool shownLogged_ = false;
    NewestMessages inboxSenders_;
    std::time_t inboxSendersTime_ = 0;
    std::unique_ptr<InboxSendersRead> inboxSendersAhead_;
    // The reads of the filling in progress; null outside it.
    BackgroundRead<GamesIndex>* indexRead_ = nullptr;
    InboxSendersRead* inboxSendersRead_ = nullptr;
};

// The games file: Korvani.pgn in the user's documents folder (the home folder when
// the system names none). The folder is created when missing.
std::filesystem::path DefaultGamesFilePath();

// Creates `path` empty when it does not exist. Returns false when it can be neither
// found nor created.
bool EnsureGamesFileExists(const std::filesystem::path& path);
