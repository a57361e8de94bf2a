#pragma once

#include <memory>
#include <string>
#include <vector>

#include "ui/kit/dialog_controller.h"

class ContactsDatabase;
class GameDocument;
class GamesFile;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QScrollArea;
struct OwnerIdentity;

// New Game: the user's name and address (the owner's identity, or typed in and then
// kept as the owner's when none was set), the opponent chosen among the contacts that
// have an e-mail address, the colour and the Event, Round and Site tags. "Done" (F1,
// Return) checks the form and builds the new game. The form scrolls when it is taller
// than the window, always showing the field the arrows reach.
class NewGameDialog : public DialogController {
public:
    // The longest text of an opponent entry, "Last, First".
    static constexpr std::size_t kMaxEntryText = 135;

    // `contacts` is the address book session (null when it could not be opened);
    // `owner` is the identity of the run, which takes the name and address typed when
    // it had no name. None of them is owned.
    NewGameDialog(QWidget* parent, GamesFile& games, const ContactsDatabase* contacts,
                  OwnerIdentity& owner);
    ~NewGameDialog() override;

    // Fills the owner's fields and the opponents; ends after a box when no opponent
    // can be offered.
    void InitDialog() override;
    bool HandleCommand(int commandId) override;

    // The new game once the dialog ended with kIdOk, handed over to the caller; null
    // before that or when cancelled.
    std::unique_ptr<GameDocument> TakeResult();

    // The controls, owned by the dialog.
    [[nodiscard]] QLineEdit* nameEdit() const { return nameEdit_; }
    [[nodiscard]] QLineEdit* emailEdit() const { return emailEdit_; }
    [[nodiscard]] QComboBox* opponentList() const { return opponentList_; }
    [[nodiscard]] QLabel* opponentAddress() const { return opponentAddress_; }
    [[nodiscard]] QCheckBox* playBlackBox() const { return playBlack_; }
    [[nodiscard]] QLineEdit* eventEdit() const { return eventEdit_; }
    [[nodiscard]] QLineEdit* roundEdit() const { return roundEdit_; }
    [[nodiscard]] QLineEdit* siteEdit() const { return siteEdit_; }
    [[nodiscard]] QScrollArea* formScroll() const { return scroll_; }

private:
    // Fills the opponent list from the address book; false after the box that ends
    // the dialog.
    bool FillOpponents();
    void ShowSelectedAddress();
    // Checks the form and builds the game; false after the box that says what is
    // missing.
    bool Done();
    [[nodiscard]] std::unique_ptr<GameDocument> BuildGame(const std::u16string& name,
                                                          const std::u16string& email) const;

    bool storeIdentity_ = false;
    std::unique_ptr<GameDocument> result_;
    GamesFile& games_;
    const ContactsDatabase* contacts_;
    OwnerIdentity& owner_;
    std::vector<std::u16string> addresses_;  // the address of each opponent entry
    QLineEdit* nameEdit_;
    QLineEdit* emailEdit_;
    QComboBox* opponentList_;
    QLabel* opponentAddress_;
    QCheckBox* playBlack_;
    QLineEdit* eventEdit_;
    QLineEdit* roundEdit_;
    QLineEdit* siteEdit_;
    QScrollArea* scroll_;
};

// Runs New Game over `parent`; returns the new game with its tags set, for `games`,
// or null when the user cancelled or no opponent could be offered.
std::unique_ptr<GameDocument> RunNewGameDialog(QWidget* parent, GamesFile& games,
                                               const ContactsDatabase* contacts,
                                               OwnerIdentity& owner);
