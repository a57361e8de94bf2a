#pragma once

#include <QString>
#include <filesystem>
#include <functional>
#include <memory>

#include "ui/kit/dialog_controller.h"

class GameDocument;
class GamesFile;
class GamesListModel;
class QLabel;
class QTableView;
class SoftkeyBar;

// The games list, the program's outermost screen: one row per game of the games file
// with White, Black and the date of the last move or the result, "* " marking the
// side to move in running e-mail games. "Open" (F1, Return) opens the selected game;
// "Menu" (F2) offers New..., Settings..., About... and Quit. It owns the games file's index for
// the whole run and refills its rows after every change to the file.
class GamesListDialog : public DialogController {
public:
    // Shows the game display for `document` over `parent`; returns true when the game
    // is to be saved.
    using GameDisplayRunner = std::function<bool(QWidget* parent, GameDocument& document)>;
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

    // `gamesPath` is the games file, created empty when missing.
    explicit GamesListDialog(std::filesystem::path gamesPath);
    ~GamesListDialog() override;

    void InitDialog() override;
    bool HandleCommand(int commandId) override;
    void InitMenuPopup(int menuId, QMenu& popup) override;

    // Rebuilds the index from the file and refills the rows, keeping the selected row
    // by its index (row 0 when none was selected). When the file cannot be read, shows
    // "Unable to load games file" and ends the dialog; returns false then, and also
    // before InitDialog has made the index.
    bool FillGamesList();

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

    // The screens that later parts of the program plug in; unset, their commands do
    // nothing.
    SettingsRunner runSettings;
    GameDisplayRunner runGameDisplay;
    GameSaver saveGame;
    NewGameRunner runNewGame;
    NewGameAppender appendNewGame;
    // Shows a start-up notice; the program's box unless a test replaces it.
    std::function<void(const QString& text)> showNotice;

protected:
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void SizeColumns();
    void ShowCount();
    void UpdateOpenSoftkey();
    void TellUnlistedGames();

    std::filesystem::path gamesPath_;
    std::unique_ptr<GamesFile> games_;
    GamesListModel* model_;
    QTableView* listView_;
    QLabel* countLabel_;
    SoftkeyBar* bar_ = nullptr;
    int rowCount_ = 0;
    bool shownOnce_ = false;
};

// The games file: Korvani.pgn in the user's documents folder (the home folder when
// the system names none). The folder is created when missing.
std::filesystem::path DefaultGamesFilePath();

// Creates `path` empty when it does not exist. Returns false when it can be neither
// found nor created.
bool EnsureGamesFileExists(const std::filesystem::path& path);
